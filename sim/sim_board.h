// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>

#include "bus/port_io.h"
#include "sim/protocol_log.h"
#include "sim/sim_clock_chip.h"
#include "sim/sim_cpu.h"
#include "sim/sim_pci.h"
#include "sim/sim_smbus_controller.h"
#include "sim/sim_time.h"

namespace vantrel::sim {

// A whole simulated motherboard behind the PortIo seam: PCI configuration at 0xCF8/0xCFC,
// the ICH SMBus host controller at the base that function 3 reports, and the clock chip on
// its bus at 0xD2. Sleeping goes to `time()`.
class SimBoard : public PortIo {
  public:
    SimBoard();
    SimBoard(const SimBoard&) = delete;
    SimBoard& operator=(const SimBoard&) = delete;

    std::uint8_t read_byte(std::uint16_t port) override;
    void write_byte(std::uint16_t port, std::uint8_t value) override;
    std::uint32_t read_dword(std::uint16_t port) override;
    void write_dword(std::uint16_t port, std::uint32_t value) override;

    SimTime& time() { return time_; }
    SimPci& pci() { return pci_; }
    SimSmbusController& smbus() { return smbus_; }
    SimClockChip& chip() { return chip_; }
    SimCpu& cpu() { return cpu_; }
    const ProtocolLog& log() const { return log_; }
    ProtocolLog& log() { return log_; }

  private:
    bool is_smbus_port(std::uint16_t port) const;
    void unmapped(const char* access, std::uint16_t port);

    ProtocolLog log_;
    SimTime time_;
    SimPci pci_;
    SimSmbusController smbus_;
    SimClockChip chip_{&log_};
    SimCpu cpu_{time_, chip_};
};

}  // namespace vantrel::sim
