// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/linux/kernel/i2c_dev_system.h"
#include "sim/smbus_device.h"

namespace vantrel::test {

// A device that keeps what it is sent as the kernel's i2c-stub keeps it: one 16-bit word per
// command, and per command one block whose length is that of the longest block written to it,
// whose first byte and length its command's word then holds. A block command never written is
// refused.
class StubLikeDevice : public sim::SmbusDevice {
  public:
    bool word_read(std::uint8_t reg, std::uint8_t& count, std::uint8_t& value) override;
    bool word_write(std::uint8_t reg, std::uint8_t count, std::uint8_t value) override;
    bool block_read(std::uint8_t reg, std::vector<std::uint8_t>& bytes) override;
    bool block_write_begin(std::uint8_t reg, std::uint8_t count) override;
    bool block_write_byte(std::uint8_t value) override;

  private:
    struct Block {
        std::uint8_t length = 0;
        std::array<std::uint8_t, 32> bytes{};
    };
    std::array<std::uint16_t, 256> words_{};
    std::map<std::uint8_t, Block> blocks_;
    std::uint8_t writing_ = 0;
    std::size_t next_ = 0;
};

// One request to an i2c-dev node, made either on the node itself or through the project's
// I2cDevBus on the same node.
enum class NodeOp : std::uint8_t {
    Functions,         // I2C_FUNCS
    Select,            // I2C_SLAVE `arg`
    WordRead,          // SMBus read word data, command `arg`
    WordWrite,         // SMBus write word data, command `arg`, word `value`
    BlockRead,         // SMBus block read, command `arg`
    BlockWrite,        // SMBus block write, command `arg`, `count` bytes value, value + 1, ...
    BusOpen,           // I2cDevBus::open for the chip at `arg` (7-bit)
    BusReadRegister,   // I2cDevBus::read_register `arg`
    BusWriteRegister,  // I2cDevBus::write_register `arg` `value`
    BusBlockRead,      // I2cDevBus::block_read
    BusBlockWrite,     // I2cDevBus::block_write `arg` `value` `count`
};

// How the simulated node's answer must relate to the kernel's.
enum class Agreement : std::uint8_t {
    Same,        // the same error and data
    BothFail,    // both fail; the errno belongs to the adapter's driver
    KernelOnly,  // the answer comes from the device behind the node, not from the node
};

// What a request got back: 0 or the errno, and the data read (a word as its low and high
// byte; a block as its count and bytes; the functions as 4 bytes, low first; a register's value;
// a block read through the bus as its count and the shadow's bytes).
struct NodeAnswer {
    int error = 0;
    std::vector<std::uint8_t> data;
    bool operator==(const NodeAnswer&) const = default;
};

struct NodeStep {
    const char* label;
    NodeOp op;
    unsigned arg;
    unsigned value;
    unsigned count;
    Agreement agreement;
    NodeAnswer kernel;  // what Linux 6.1 answers
};

// The requests made on a node of i2c-stub loaded with chip_addr=0x69 and the functions of
// SimulatedI2cDev::kIchFunctions, from its fresh state; the answers recorded from that kernel.
std::vector<NodeStep> stub_node_steps();
// The requests made on the ICH driver's own node at an address where no device answers.
std::vector<NodeStep> absent_device_steps();

// Opens /dev/i2c-`adapter` on `system` and makes each step's request in turn.
std::vector<NodeAnswer> run_node_steps(platform::I2cDevSystem& system, int adapter,
                                       const std::vector<NodeStep>& steps);

// "error 0 data 20 40 41" style text of an answer, for messages.
std::string describe(const NodeAnswer& answer);

}  // namespace vantrel::test
