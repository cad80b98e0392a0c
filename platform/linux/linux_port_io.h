// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "bus/port_io.h"

namespace vantrel::platform {

#if defined(__i386__) || defined(__x86_64__)
inline constexpr bool kHavePortIo = true;
#else
inline constexpr bool kHavePortIo = false;
#endif

// What the Linux port-access layer asks of the system; replaced in tests.
struct PortAccessSystem {
    std::function<int(unsigned long from, unsigned long count, int turn_on)> ioperm;
    std::function<unsigned()> effective_uid;
    std::function<std::string()> lockdown_state;  // /sys/kernel/security/lockdown, or empty
};

PortAccessSystem real_port_access_system();

// Direct x86 port access on Linux through ioperm. Every access is one IN or OUT, as on
// Windows 98; a port that was never granted is not touched (reads give all ones, as an
// undecoded port does) and the access is counted, so nothing can fault on a missing grant.
class LinuxPortIo : public PortIo {
  public:
    explicit LinuxPortIo(PortAccessSystem system = real_port_access_system());

    // Asks for ports [first, first + count). On refusal returns false and says why.
    bool grant(std::uint16_t first, std::uint16_t count, std::string& error);
    // PCI configuration mechanism #1: 0xCF8..0xCFF.
    bool grant_pci_config(std::string& error) { return grant(0xCF8, 8, error); }

    std::uint8_t read_byte(std::uint16_t port) override;
    void write_byte(std::uint16_t port, std::uint8_t value) override;
    std::uint32_t read_dword(std::uint16_t port) override;
    void write_dword(std::uint16_t port, std::uint32_t value) override;

    // Gives back every grant, so that no port stays reachable.
    void revoke_all();
    // The granted ranges, [first, end).
    const std::vector<std::pair<unsigned, unsigned>>& granted_ranges() const { return ranges_; }

    unsigned denied_accesses() const { return denied_; }
    const PortAccessSystem& system() const { return system_; }

  private:
    bool granted(std::uint16_t port, unsigned width) const;

    PortAccessSystem system_;
    std::vector<std::pair<unsigned, unsigned>> ranges_;  // [first, end)
    unsigned denied_ = 0;
};

// Why ioperm refused, in words a user can act on.
std::string describe_port_access_refusal(int error_number, std::uint16_t first, std::uint16_t count,
                                         const PortAccessSystem& system);

}  // namespace vantrel::platform
