// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>

#include "bus/port_io.h"

namespace vantrel::test {

// Passes every access on to another PortIo (a simulated board) and counts them, so that a test
// can tell that nothing touched a port.
class CountingPortIo : public PortIo {
  public:
    explicit CountingPortIo(PortIo& inner) : inner_(inner) {}

    std::uint8_t read_byte(std::uint16_t port) override {
        ++byte_accesses_;
        return inner_.read_byte(port);
    }
    void write_byte(std::uint16_t port, std::uint8_t value) override {
        ++byte_accesses_;
        inner_.write_byte(port, value);
    }
    std::uint32_t read_dword(std::uint16_t port) override {
        ++dword_accesses_;
        return inner_.read_dword(port);
    }
    void write_dword(std::uint16_t port, std::uint32_t value) override {
        ++dword_accesses_;
        inner_.write_dword(port, value);
    }

    // 8-bit accesses are the SMBus block's, 32-bit ones PCI configuration's.
    unsigned byte_accesses() const { return byte_accesses_; }
    unsigned accesses() const { return byte_accesses_ + dword_accesses_; }

  private:
    PortIo& inner_;
    unsigned byte_accesses_ = 0;
    unsigned dword_accesses_ = 0;
};

}  // namespace vantrel::test
