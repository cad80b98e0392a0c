// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>

#include "bus/port_io.h"

namespace vantrel::platform {

// x86 port access by the program's own IN and OUT instructions, which Windows 95 and 98 allow
// a user-mode program for every port they do not virtualise. On the NT family the same
// instructions raise a privileged-instruction exception, so a caller checks nt_family() before
// it makes one of these.
class Win32PortIo : public PortIo {
  public:
    std::uint8_t read_byte(std::uint16_t port) override;
    void write_byte(std::uint16_t port, std::uint8_t value) override;
    std::uint32_t read_dword(std::uint16_t port) override;
    void write_dword(std::uint16_t port, std::uint32_t value) override;
};

// Whether a user-mode IN reaches the ports here: one 32-bit read of the PCI address port 0xCF8,
// which only reads back the address latch, made under an exception handler. It faults on the
// NT family (also when a compatibility mode reports Windows 98) and under emulators that do
// not pass ports through; the fault is caught and the answer is false instead of a crash.
bool user_port_access_allowed();

}  // namespace vantrel::platform
