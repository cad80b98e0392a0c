// SPDX-License-Identifier: GPL-2.0-or-later
#include "support/i2c_node_steps.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include <linux/i2c-dev.h>
#include <linux/i2c.h>

#include "bus/smbus_controller.h"
#include "bus/smbus_transfers.h"
#include "platform/linux/kernel/i2c_dev_bus.h"
#include "sim/linux/sim_i2c_dev.h"
#include "sim/sim_time.h"

namespace vantrel::test {

bool StubLikeDevice::word_read(std::uint8_t reg, std::uint8_t& count, std::uint8_t& value) {
    count = static_cast<std::uint8_t>(words_[reg] & 0xFF);
    value = static_cast<std::uint8_t>(words_[reg] >> 8);
    return true;
}

bool StubLikeDevice::word_write(std::uint8_t reg, std::uint8_t count, std::uint8_t value) {
    words_[reg] = static_cast<std::uint16_t>(count | value << 8);
    return true;
}

bool StubLikeDevice::block_read(std::uint8_t reg, std::vector<std::uint8_t>& bytes) {
    const auto block = blocks_.find(reg);
    if (block == blocks_.end()) {
        return false;
    }
    bytes.assign(block->second.bytes.begin(), block->second.bytes.begin() + block->second.length);
    return true;
}

bool StubLikeDevice::block_write_begin(std::uint8_t reg, std::uint8_t count) {
    if (count < 1 || count > 32) {
        return false;
    }
    Block& block = blocks_[reg];
    block.length = std::max(block.length, count);
    writing_ = reg;
    next_ = 0;
    return true;
}

bool StubLikeDevice::block_write_byte(std::uint8_t value) {
    Block& block = blocks_[writing_];
    if (next_ >= block.bytes.size()) {
        return false;
    }
    block.bytes[next_++] = value;
    words_[writing_] = static_cast<std::uint16_t>(block.bytes[0] << 8 | block.length);
    return true;
}

namespace {

using Bytes = std::vector<std::uint8_t>;

// `count` bytes from `first` upwards.
Bytes run_of(unsigned first, unsigned count) {
    Bytes bytes;
    for (unsigned i = 0; i < count; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(first + i));
    }
    return bytes;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes functions_bytes(unsigned long functions) {
    return {static_cast<std::uint8_t>(functions), static_cast<std::uint8_t>(functions >> 8),
            static_cast<std::uint8_t>(functions >> 16), static_cast<std::uint8_t>(functions >> 24)};
}

NodeAnswer node_request(platform::I2cDevSystem& system, int fd, const NodeStep& step) {
    NodeAnswer answer;
    int result = 0;
    if (step.op == NodeOp::Functions) {
        unsigned long functions = 0;
        result = system.ioctl(fd, I2C_FUNCS, &functions);
        if (result >= 0) {
            answer.data = functions_bytes(functions);
        }
    } else if (step.op == NodeOp::Select) {
        result = system.ioctl(fd, I2C_SLAVE, reinterpret_cast<void*>(std::uintptr_t{step.arg}));
    } else {
        const bool reading = step.op == NodeOp::WordRead || step.op == NodeOp::BlockRead;
        const bool block = step.op == NodeOp::BlockRead || step.op == NodeOp::BlockWrite;
        i2c_smbus_data data{};
        if (step.op == NodeOp::WordWrite) {
            data.word = static_cast<std::uint16_t>(step.value);
        } else if (step.op == NodeOp::BlockWrite) {
            // The length byte goes as asked, even past the limit; the buffer holds at most 32.
            data.block[0] = static_cast<std::uint8_t>(step.count);
            const Bytes bytes = run_of(step.value, std::min(step.count, 32u));
            std::copy(bytes.begin(), bytes.end(), data.block + 1);
        }
        i2c_smbus_ioctl_data args{};
        args.read_write = reading ? I2C_SMBUS_READ : I2C_SMBUS_WRITE;
        args.command = static_cast<std::uint8_t>(step.arg);
        args.size = block ? I2C_SMBUS_BLOCK_DATA : I2C_SMBUS_WORD_DATA;
        args.data = &data;
        result = system.ioctl(fd, I2C_SMBUS, &args);
        if (result >= 0 && step.op == NodeOp::WordRead) {
            answer.data = {static_cast<std::uint8_t>(data.word),
                           static_cast<std::uint8_t>(data.word >> 8)};
        } else if (result >= 0 && step.op == NodeOp::BlockRead) {
            const unsigned count = std::min<unsigned>(data.block[0], 32);
            answer.data.assign(data.block, data.block + 1 + count);
        }
    }
    answer.error = result < 0 ? -result : 0;
    return answer;
}

// The bus with what it needs around it; no hub behind it, so nothing but its transfers is used.
struct BusRig {
    sim::SimTime time;
    SmbusController controller;
    DeviceAddress device;
    RegisterShadow shadow;
    platform::SmbusAdapter adapter;
    platform::I2cDevBus bus;

    BusRig(platform::I2cDevSystem& system, int number)
        : adapter{number, "i2c-" + std::to_string(number), {}},
          bus(system, adapter, time, controller, device, shadow) {}
};

NodeAnswer bus_request(BusRig& rig, const NodeStep& step) {
    NodeAnswer answer;
    int ok = 0;
    switch (step.op) {
        case NodeOp::BusOpen: {
            rig.device.value = static_cast<std::uint8_t>(step.arg << 1);
            platform::I2cDevOpenFailure failure;
            if (rig.bus.open(failure)) {
                return answer;
            }
            answer.error = failure.error_number != 0 ? failure.error_number : EPROTO;
            answer.data = {static_cast<std::uint8_t>(failure.step)};
            return answer;
        }
        case NodeOp::BusReadRegister: {
            std::uint8_t value = 0;
            ok = rig.bus.read_register(static_cast<std::uint8_t>(step.arg), value);
            if (ok) {
                answer.data = {value};
            }
            break;
        }
        case NodeOp::BusWriteRegister:
            ok = rig.bus.write_register(static_cast<std::uint8_t>(step.arg),
                                        static_cast<std::uint8_t>(step.value));
            break;
        case NodeOp::BusBlockRead: {
            std::uint8_t count = 0;
            ok = rig.bus.block_read(count);
            if (ok) {
                answer.data = {count};
                answer.data.insert(answer.data.end(), rig.shadow.bytes.begin(),
                                   rig.shadow.bytes.begin() + count);
            }
            break;
        }
        case NodeOp::BusBlockWrite:
            ok = rig.bus.block_write(static_cast<std::uint8_t>(step.arg),
                                     static_cast<std::uint8_t>(step.value),
                                     static_cast<std::uint8_t>(step.count));
            break;
        default:
            break;
    }
    if (!ok) {
        answer.error = rig.bus.last_error() != 0 ? rig.bus.last_error() : EPROTO;
    }
    return answer;
}

constexpr unsigned kChip = 0x69;

}  // namespace

std::vector<NodeStep> stub_node_steps() {
    using A = Agreement;
    using O = NodeOp;
    const Bytes block = run_of(0x80, 32);
    const Bytes shorter = run_of(0x40, 5) + run_of(0x85, 27);
    // The bus's block write of 17 bytes: the shadow as the last block read left it, with
    // register 0x10 made 0x03.
    const Bytes after_bus = run_of(0x40, 5) + run_of(0x85, 11) + Bytes{0x03} + run_of(0x91, 15);
    return {
        {"FunctionsAsLoaded",
         O::Functions,
         0,
         0,
         0,
         A::Same,
         {0, functions_bytes(sim::SimulatedI2cDev::kIchFunctions)}},
        {"AddressPast7Bits", O::Select, 0x80, 0, 0, A::Same, {EINVAL, {}}},
        {"SelectChip", O::Select, kChip, 0, 0, A::Same, {0, {}}},
        {"WordReadUnwritten", O::WordRead, 0x05, 0, 0, A::Same, {0, {0x00, 0x00}}},
        {"WordWrite", O::WordWrite, 0x05, 0x5A01, 0, A::Same, {0, {}}},
        {"WordReadBack", O::WordRead, 0x05, 0, 0, A::Same, {0, {0x01, 0x5A}}},
        // i2c-stub answers a block read only for a command a block was written to.
        {"BlockReadBeforeAnyWrite", O::BlockRead, 0x00, 0, 0, A::KernelOnly, {EOPNOTSUPP, {}}},
        {"BlockWriteAtLimit", O::BlockWrite, 0x00, 0x80, 32, A::Same, {0, {}}},
        {"BlockReadAtLimit", O::BlockRead, 0x00, 0, 0, A::Same, {0, Bytes{32} + block}},
        // i2c-stub's own errno; the ICH driver's is in absent_device_steps.
        {"BlockWritePastLimit", O::BlockWrite, 0x00, 0x60, 33, A::BothFail, {EINVAL, {}}},
        {"BlockWriteOfNothing", O::BlockWrite, 0x00, 0x60, 0, A::BothFail, {EINVAL, {}}},
        {"BlockReadUnchangedByRefusals", O::BlockRead, 0x00, 0, 0, A::Same, {0, Bytes{32} + block}},
        {"ShorterBlockWrite", O::BlockWrite, 0x00, 0x40, 5, A::Same, {0, {}}},
        {"BlockReadKeepsLongest", O::BlockRead, 0x00, 0, 0, A::Same, {0, Bytes{32} + shorter}},
        {"WordOfBlockCommand", O::WordRead, 0x00, 0, 0, A::Same, {0, {32, 0x40}}},
        {"SelectEmptyAddress", O::Select, 0x6A, 0, 0, A::Same, {0, {}}},
        // i2c-stub says ENODEV where no chip is; the ICH driver ENXIO (absent_device_steps).
        {"WordReadNoDevice", O::WordRead, 0x05, 0, 0, A::BothFail, {ENODEV, {}}},
        {"BlockWriteNoDevice", O::BlockWrite, 0x00, 0x80, 4, A::BothFail, {ENODEV, {}}},
        {"SelectChipAgain", O::Select, kChip, 0, 0, A::Same, {0, {}}},
        {"BusOpens", O::BusOpen, kChip, 0, 0, A::Same, {0, {}}},
        {"BusReadRegister", O::BusReadRegister, 0x05, 0, 0, A::Same, {0, {0x5A}}},
        {"BusWriteRegister", O::BusWriteRegister, 0x07, 0x33, 0, A::Same, {0, {}}},
        {"BusReadRegisterBack", O::BusReadRegister, 0x07, 0, 0, A::Same, {0, {0x33}}},
        {"BusBlockRead", O::BusBlockRead, 0, 0, 0, A::Same, {0, Bytes{32} + shorter}},
        {"BusBlockWrite", O::BusBlockWrite, 0x10, 0x03, 17, A::Same, {0, {}}},
        {"BlockReadAfterBusWrite", O::BlockRead, 0x00, 0, 0, A::Same, {0, Bytes{32} + after_bus}},
    };
}

std::vector<NodeStep> absent_device_steps() {
    using A = Agreement;
    using O = NodeOp;
    return {
        {"SelectEmptyAddress", O::Select, kChip, 0, 0, A::Same, {0, {}}},
        {"WordReadNoDevice", O::WordRead, 0x05, 0, 0, A::Same, {ENXIO, {}}},
        {"WordWriteNoDevice", O::WordWrite, 0x05, 0x5A01, 0, A::Same, {ENXIO, {}}},
        {"BlockReadNoDevice", O::BlockRead, 0x00, 0, 0, A::Same, {ENXIO, {}}},
        {"BlockWriteNoDevice", O::BlockWrite, 0x00, 0x80, 32, A::Same, {ENXIO, {}}},
        // Refused before the transaction starts, so the same with or without a device.
        {"BlockWritePastLimit", O::BlockWrite, 0x00, 0x60, 33, A::Same, {EPROTO, {}}},
        {"BlockWriteOfNothing", O::BlockWrite, 0x00, 0x60, 0, A::Same, {EPROTO, {}}},
        {"BusOpens", O::BusOpen, kChip, 0, 0, A::Same, {0, {}}},
        {"BusReadRegisterNoDevice", O::BusReadRegister, 0x05, 0, 0, A::Same, {ENXIO, {}}},
        {"BusBlockReadNoDevice", O::BusBlockRead, 0, 0, 0, A::Same, {ENXIO, {}}},
    };
}

std::vector<NodeAnswer> run_node_steps(platform::I2cDevSystem& system, int adapter,
                                       const std::vector<NodeStep>& steps) {
    std::vector<NodeAnswer> answers;
    const int fd = system.open_node("/dev/i2c-" + std::to_string(adapter));
    BusRig rig(system, adapter);
    for (const NodeStep& step : steps) {
        if (fd < 0) {
            answers.push_back({-fd, {}});
        } else if (step.op >= NodeOp::BusOpen) {
            answers.push_back(bus_request(rig, step));
        } else {
            answers.push_back(node_request(system, fd, step));
        }
    }
    if (fd >= 0) {
        system.close_node(fd);
    }
    return answers;
}

std::string describe(const NodeAnswer& answer) {
    std::string text = answer.error == 0 ? "ok" : platform::errno_name(answer.error);
    for (const std::uint8_t byte : answer.data) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", byte);
        text += hex;
    }
    return text;
}

}  // namespace vantrel::test
