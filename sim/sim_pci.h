// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>

#include "bus/pci_config.h"
#include "sim/protocol_log.h"

namespace vantrel::sim {

inline constexpr std::uint32_t kNoDevice = 0xFFFFFFFF;

// PCI configuration mechanism #1 with the one device the program looks at: the I/O controller
// hub at bus 0, device 31 (function 0 for identification and function disable, function 3 for
// the SMBus base).
class SimPci {
  public:
    explicit SimPci(ProtocolLog& log) : log_(log) {}

    // The vendor/device dword of function 0; kNoDevice leaves the whole device absent.
    void set_hub_id(std::uint32_t id) { hub_id_ = id; }
    std::uint32_t hub_id() const { return hub_id_; }
    void set_function_disable(std::uint32_t dword) { function_disable_ = dword; }
    std::uint32_t function_disable() const { return function_disable_; }
    // The SMBus function's base register as it reads, I/O-space bit included; set_smbus_base
    // programs it as a BIOS would, with that bit set.
    void set_smbus_base_register(std::uint32_t value) { smbus_base_register_ = value; }
    void set_smbus_base(std::uint16_t base) { smbus_base_register_ = std::uint32_t{base} | 1u; }
    // The base the hub decodes the host block at.
    std::uint16_t smbus_base() const {
        return static_cast<std::uint16_t>(smbus_base_register_ & kSmbusBaseMask);
    }

    // Function 3 answers only while bit 19 of the dword at 0xF0 is clear.
    bool smbus_function_enabled() const;

    std::uint32_t address() const { return address_; }
    void write_address(std::uint32_t value) { address_ = value; }
    std::uint32_t read_data();
    void write_data(std::uint32_t value);

  private:
    ProtocolLog& log_;
    std::uint32_t hub_id_ = 0x24408086;
    std::uint32_t function_disable_ = 0;
    std::uint32_t smbus_base_register_ = 0xE801;
    std::uint32_t address_ = 0;
};

}  // namespace vantrel::sim
