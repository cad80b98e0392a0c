#pragma once

#include <cstdint>
#include <vector>

namespace vantrel::sim {

// A device on the simulated SMBus, in the terms of the clock chip's register protocol: the
// command byte names the first register, then come a count and the register bytes.
// A false result is a NAK: the controller reports it as a device error.
class SmbusDevice {
  public:
    virtual ~SmbusDevice() = default;
    virtual bool word_read(std::uint8_t reg, std::uint8_t& count, std::uint8_t& value) = 0;
    virtual bool word_write(std::uint8_t reg, std::uint8_t count, std::uint8_t value) = 0;
    virtual bool block_read(std::uint8_t reg, std::vector<std::uint8_t>& bytes) = 0;
    virtual bool block_write(std::uint8_t reg, const std::vector<std::uint8_t>& bytes) = 0;
};

}  // namespace vantrel::sim
