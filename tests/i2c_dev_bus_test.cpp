// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "clockgen/registers.h"
#include "platform/linux/bus_choice.h"
#include "platform/linux/kernel/i2c_dev_bus.h"
#include "sim/linux/sim_i2c_dev.h"
#include "sim/linux/sim_sysfs.h"
#include "sim/sim_clock_chip.h"
#include "sim/sim_time.h"
#include "support/param_name.h"

namespace vantrel::platform {
namespace {

using test::PrintTo;

using sim::TransferKind;

constexpr std::uint8_t kMarker = 0xA5;  // what the shadow holds where no transfer wrote

// The kernel path opened on adapter i2c-0 of a simulated 82801BA, with the chip in enhanced
// mode so that one-register transfers are answered, and every register distinct.
struct KernelRig {
    sim::SimClockChip chip;
    sim::SimTime time;
    sim::SimulatedI2cDev dev;
    SmbusController controller;
    DeviceAddress device;
    RegisterShadow shadow;
    I2cDevBus bus{dev,    *sim::simulated_smbus_sysfs(0x24408086, 0xE800).adapter,
                  time,   controller,
                  device, shadow};

    KernelRig() {
        dev.attach(kClockChipAddress, chip);
        for (std::size_t i = 0; i < kClockChipRegisterCount; ++i) {
            chip.set_reg(i, static_cast<std::uint8_t>(i * 7 + 3));
        }
        chip.set_reg(REG10, 0x0B);  // enhanced mode, 22-byte block reads
        shadow.bytes.fill(kMarker);
        I2cDevOpenFailure failure;
        EXPECT_TRUE(bus.open(failure));
    }
};

enum class Op : unsigned char { ReadRegister, WriteRegister, BlockRead, BlockWrite };

// Runs one transfer; `out` is the out-parameter, left as it was when nothing is written.
int run(KernelRig& rig, Op op, std::uint8_t& out) {
    switch (op) {
        case Op::ReadRegister:
            return rig.bus.read_register(REG21, out);
        case Op::WriteRegister:
            return rig.bus.write_register(REG21, 0x3C);
        case Op::BlockRead:
            return rig.bus.block_read(out);
        case Op::BlockWrite:
            return rig.bus.block_write(REG10, 0x0B, kEnhancedModeBlockCount);
    }
    return -1;
}

// A kernel error at one transfer of one operation.
struct ErrnoRow {
    std::string label;
    Op op;
    unsigned failing;  // which ioctl of the operation fails (a block write makes two)
    int error_number;
};

std::vector<ErrnoRow> errno_rows() {
    struct Named {
        int number;
        const char* name;
    };
    const Named errors[] = {
        {ENXIO, "ENXIO"},           {EIO, "EIO"},       {ETIMEDOUT, "ETIMEDOUT"},
        {EBUSY, "EBUSY"},           {EAGAIN, "EAGAIN"}, {EPROTO, "EPROTO"},
        {EOPNOTSUPP, "EOPNOTSUPP"}, {EINVAL, "EINVAL"}, {EBADMSG, "EBADMSG"},
        {ENODEV, "ENODEV"},         {EINTR, "EINTR"},   {EREMOTEIO, "EREMOTEIO"},
        {EFAULT, "EFAULT"},
    };
    struct Step {
        const char* name;
        Op op;
        unsigned failing;
    };
    const Step steps[] = {
        {"ReadRegister", Op::ReadRegister, 1},   {"WriteRegister", Op::WriteRegister, 1},
        {"BlockRead", Op::BlockRead, 1},         {"BlockWriteItsRead", Op::BlockWrite, 1},
        {"BlockWriteItself", Op::BlockWrite, 2},
    };
    std::vector<ErrnoRow> rows;
    for (const Step& step : steps) {
        for (const Named& error : errors) {
            rows.push_back(
                {std::string(step.name) + "_" + error.name, step.op, step.failing, error.number});
        }
    }
    return rows;
}

class KernelError : public ::testing::TestWithParam<ErrnoRow> {};

TEST_P(KernelError, FailsTheTransferAndWritesNothing) {
    const ErrnoRow& row = GetParam();
    KernelRig rig;
    const auto chip_before = rig.chip.registers();
    rig.dev.fail_transfer(row.failing, row.error_number);
    std::uint8_t out = 0x5A;

    EXPECT_EQ(run(rig, row.op, out), 0);

    EXPECT_EQ(out, 0x5A);
    EXPECT_EQ(rig.bus.last_error(), row.error_number);
    EXPECT_EQ(rig.chip.registers(), chip_before);
    if (row.failing == 1) {
        // Nothing arrived, so nothing is mirrored and no pause follows.
        for (const std::uint8_t byte : rig.shadow.bytes) {
            EXPECT_EQ(byte, kMarker);
        }
        EXPECT_EQ(rig.time.slept_ms(), 0u);
    } else {
        // The block write's own read succeeded and paused; its patch stays in the shadow.
        EXPECT_EQ(rig.shadow[REG10], 0x0B);
        EXPECT_EQ(rig.shadow[0], rig.chip.reg(0));
        EXPECT_EQ(rig.time.slept_ms(), kSmbTransferPauseMs);
    }
    EXPECT_EQ(rig.dev.transfers().size(), row.failing);
}

INSTANTIATE_TEST_SUITE_P(Errors, KernelError, ::testing::ValuesIn(errno_rows()), test::ByLabel());

// A block read's count as the kernel hands it over.
struct BlockReadRow {
    const char* label;
    unsigned chip_count;  // what the chip announces
    bool unchecked;       // the count reaches the caller without the kernel's range check
    bool ok;
};

class KernelBlockRead : public ::testing::TestWithParam<BlockReadRow> {};

TEST_P(KernelBlockRead, StoresExactlyTheCountedBytesOrFails) {
    const BlockReadRow& row = GetParam();
    KernelRig rig;
    rig.chip.queue_block_counts({row.chip_count});
    if (row.unchecked) {
        rig.dev.answer_unchecked_block_count(static_cast<std::uint8_t>(row.chip_count));
    }
    std::uint8_t count = 0x5A;

    EXPECT_EQ(rig.bus.block_read(count), row.ok ? 1 : 0);

    const unsigned stored = row.ok ? row.chip_count : 0;
    EXPECT_EQ(count, row.ok ? row.chip_count : 0x5A);
    for (std::size_t i = 0; i < kClockChipRegisterCount; ++i) {
        EXPECT_EQ(rig.shadow[i], i < stored ? rig.chip.reg(i) : kMarker) << i;
    }
    EXPECT_EQ(rig.time.slept_ms(), row.ok ? kSmbTransferPauseMs : 0u);
    if (!row.ok) {
        EXPECT_EQ(rig.bus.last_error(), EPROTO);
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, KernelBlockRead,
                         ::testing::Values(BlockReadRow{"Count0", 0, false, false},
                                           BlockReadRow{"Count0Unchecked", 0, true, false},
                                           BlockReadRow{"Count1", 1, false, true},
                                           BlockReadRow{"ShortAnswer16", 16, false, true},
                                           BlockReadRow{"Count22", 22, false, true},
                                           BlockReadRow{"Count32", 32, false, true},
                                           BlockReadRow{"Count32Unchecked", 32, true, true},
                                           BlockReadRow{"Count33", 33, false, false},
                                           BlockReadRow{"Count33Unchecked", 33, true, false},
                                           BlockReadRow{"Count255Unchecked", 255, true, false}),
                         test::ByLabel());

// A block write's count: at most what one kernel block carries, and only registers its block
// read delivered (or the patch itself).
struct BlockWriteRow {
    const char* label;
    std::uint8_t reg;
    unsigned count;
    bool ok;
    std::size_t transfers;    // ioctls made
    unsigned delivered = 22;  // what the chip announces to the block read
};

class KernelBlockWrite : public ::testing::TestWithParam<BlockWriteRow> {};

TEST_P(KernelBlockWrite, SendsTheRefreshedShadowWithinTheLimit) {
    const BlockWriteRow& row = GetParam();
    KernelRig rig;
    rig.chip.queue_block_counts({row.delivered});
    const std::uint8_t value = 0x0B;

    EXPECT_EQ(rig.bus.block_write(row.reg, value, static_cast<std::uint8_t>(row.count)),
              row.ok ? 1 : 0);

    ASSERT_EQ(rig.dev.transfers().size(), row.transfers);
    if (row.transfers == 2) {
        const auto& write = rig.dev.transfers()[1];
        EXPECT_EQ(write.kind, TransferKind::BlockWrite);
        EXPECT_EQ(write.address, 0xD2);
        const std::vector<std::uint8_t> sent(rig.shadow.bytes.begin(),
                                             rig.shadow.bytes.begin() + row.count);
        EXPECT_EQ(write.data, sent);
        EXPECT_EQ(rig.shadow[row.reg], value);
        EXPECT_EQ(rig.time.slept_ms(), 2 * kSmbTransferPauseMs);
    } else if (row.transfers == 1) {
        // The read went through; nothing of the write was sent and nothing was patched.
        EXPECT_EQ(rig.dev.transfers()[0].kind, TransferKind::BlockRead);
        EXPECT_EQ(rig.bus.last_error(), EPROTO);
        for (std::size_t i = 0; i < kClockChipRegisterCount; ++i) {
            EXPECT_EQ(rig.shadow[i], i < row.delivered ? rig.chip.reg(i) : kMarker) << i;
        }
    } else {
        EXPECT_EQ(rig.time.slept_ms(), 0u);
        for (const std::uint8_t byte : rig.shadow.bytes) {
            EXPECT_EQ(byte, kMarker);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Counts, KernelBlockWrite,
    ::testing::Values(BlockWriteRow{"Count0", REG10, 0, true, 0},
                      BlockWriteRow{"Count1", REG00, 1, true, 2},
                      BlockWriteRow{"Count1PatchBeyond", REG10, 1, true, 2},
                      BlockWriteRow{"Count22", REG10, 22, true, 2},
                      BlockWriteRow{"Count32", REG10, 32, true, 2, 32},
                      BlockWriteRow{"PowerUpChipPatchCompletes", REG10, 17, true, 2, 16},
                      BlockWriteRow{"ShortReadLeavesBytesUnread", REG10, 17, false, 1, 5},
                      BlockWriteRow{"PatchDoesNotCloseTheGap", REG10, 17, false, 1, 15},
                      BlockWriteRow{"MoreThanTheChipDelivered", REG10, 23, false, 1},
                      BlockWriteRow{"Count33", REG10, 33, false, 0},
                      BlockWriteRow{"RegisterBeyondTheChip", 36, 17, false, 0}),
    test::ByLabel());

// The kernel reaches the ports itself, but a base the hub could not have given counts as no
// controller here too, as on the port path.
TEST(KernelDiscovery, TakesOnlyABaseTheHubCouldGive) {
    const struct {
        std::uint16_t base;
        int found;
    } rows[] = {{0xE800, 1}, {0xFFF0, 1}, {0xFFFE, 0}, {0xE808, 0}, {0x0000, 0}, {0x00F0, 0}};
    for (const auto& row : rows) {
        sim::SimulatedI2cDev dev;
        sim::SimTime time;
        SmbusController controller;
        DeviceAddress device;
        RegisterShadow shadow;
        I2cDevBus bus{dev,    *sim::simulated_smbus_sysfs(0x24408086, row.base).adapter,
                      time,   controller,
                      device, shadow};

        EXPECT_EQ(bus.detect_smbus_controller(), row.found) << std::hex << row.base;
        EXPECT_EQ(controller.kind, row.found ? ChipsetKind::ICH_82801BA : ChipsetKind::None);
        EXPECT_EQ(controller.io_base, row.found ? row.base : kDefaultSmbusIoBase);
    }
}

}  // namespace
}  // namespace vantrel::platform
