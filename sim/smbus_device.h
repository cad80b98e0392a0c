// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <vector>

namespace vantrel::sim {

// A device on the simulated SMBus, in the terms of the clock chip's register protocol: the
// command byte names the first register, then come a count and the register bytes.
// A false result is a NAK of the byte the call stands for: the controller reports it as a
// device error at that byte.
class SmbusDevice {
  public:
    virtual ~SmbusDevice() = default;
    virtual bool word_read(std::uint8_t reg, std::uint8_t& count, std::uint8_t& value) = 0;
    virtual bool word_write(std::uint8_t reg, std::uint8_t count, std::uint8_t value) = 0;
    // The count the device announces is the number of bytes it puts in `bytes`.
    virtual bool block_read(std::uint8_t reg, std::vector<std::uint8_t>& bytes) = 0;
    // A block write reaches the device as it goes over the wire: the command and count bytes,
    // then each data byte in turn, so the bytes acknowledged before a refusal stay written.
    virtual bool block_write_begin(std::uint8_t reg, std::uint8_t count) = 0;
    virtual bool block_write_byte(std::uint8_t value) = 0;
};

}  // namespace vantrel::sim
