// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>

namespace vantrel {

// x86 I/O port access. Each call is exactly one port access: no retry, no delay, no check.
// Only 8-bit and 32-bit widths exist because nothing in the program needs 16-bit access.
class PortIo {
  public:
    virtual ~PortIo() = default;
    virtual std::uint8_t read_byte(std::uint16_t port) = 0;
    virtual void write_byte(std::uint16_t port, std::uint8_t value) = 0;
    virtual std::uint32_t read_dword(std::uint16_t port) = 0;
    virtual void write_dword(std::uint16_t port, std::uint32_t value) = 0;
};

// The ports of a program that may not touch them: every read answers all ones, as an empty bus
// does, and writes go nowhere. Discovery then finds no controller, and the dialog opens in its
// "no controller" state.
class RefusedPortIo : public PortIo {
  public:
    std::uint8_t read_byte(std::uint16_t) override { return 0xFF; }
    void write_byte(std::uint16_t, std::uint8_t) override {}
    std::uint32_t read_dword(std::uint16_t) override { return 0xFFFFFFFFu; }
    void write_dword(std::uint16_t, std::uint32_t) override {}
};

}  // namespace vantrel
