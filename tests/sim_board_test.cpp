// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <string>

#include "bus/pci_config.h"
#include "bus/register_dump.h"
#include "bus/smbus_controller.h"
#include "bus/smbus_host.h"
#include "sim/sim_board.h"
#include "support/sim_bus.h"

namespace vantrel {
namespace {

using sim::Fault;
using sim::FaultAction;
using sim::TransferKind;

using Board = test::SimBus;

TEST(SimDiscovery, EachHub) {
    struct Row {
        std::uint32_t id;
        int result;
        ChipsetKind kind;
    };
    const Row rows[] = {
        {kIdIch82801AA, 1, ChipsetKind::ICH_82801AA},
        {kIdIch82801AB, 1, ChipsetKind::ICH_82801AB},
        {kIdIch82801BA, 1, ChipsetKind::ICH_82801BA},
        {0x71138086, 0, ChipsetKind::None},  // another chipset
        {sim::kNoDevice, 0, ChipsetKind::None},
    };
    for (const Row& row : rows) {
        sim::SimBoard board;
        board.pci().set_hub_id(row.id);
        board.pci().set_smbus_base(0x0500);
        SmbusController controller;
        EXPECT_EQ(detect_smbus_controller(board, controller), row.result);
        EXPECT_EQ(controller.kind, row.kind);
        EXPECT_EQ(controller.io_base, row.result ? 0x0500 : 0xE800);
        EXPECT_TRUE(board.log().violations().empty());
    }
}

TEST(SimDiscovery, HiddenSmbusFunctionIsRevealed) {
    sim::SimBoard board;
    board.pci().set_function_disable(0x00080000 | 0x00000100);
    EXPECT_EQ(board.read_byte(0xE800), 0xFF);  // not decoded while hidden

    SmbusController controller;
    ASSERT_EQ(detect_smbus_controller(board, controller), 1);
    EXPECT_EQ(board.pci().function_disable(), 0x00000100u);
    EXPECT_TRUE(board.pci().smbus_function_enabled());
    EXPECT_EQ(controller.io_base, 0xE800);
}

TEST(SimTransfers, BlockReadAndWriteFollowTheDetectionCounts) {
    Board b;
    std::uint8_t count = 0;
    ASSERT_EQ(b.host.block_read(count), 1);
    EXPECT_EQ(count, 16);
    for (unsigned i = 0; i < 16; ++i) {
        EXPECT_EQ(b.shadow[i], b.board.chip().reg(i)) << i;
    }

    ASSERT_EQ(b.host.block_write(0x10, 0x09, 17), 1);
    EXPECT_EQ(b.board.chip().reg(0x10), 0x09);
    ASSERT_EQ(b.host.block_read(count), 1);
    EXPECT_EQ(count, 22);
    EXPECT_EQ(b.shadow[0x11], 132);
    EXPECT_TRUE(b.board.log().violations().empty());
}

TEST(SimTransfers, OneRegisterTransfersNeedEnhancedMode) {
    Board b;
    std::uint8_t value = 0x5A;
    EXPECT_EQ(b.host.read_register(0x11, value), 0);
    EXPECT_EQ(value, 0x5A);
    const auto reg21_at_power_up = b.board.chip().reg(0x21);
    EXPECT_EQ(b.host.write_register(0x21, 0x64), 0);
    EXPECT_EQ(b.board.chip().reg(0x21), reg21_at_power_up);

    b.enter_enhanced_mode();
    ASSERT_EQ(b.host.read_register(0x11, value), 1);
    EXPECT_EQ(value, 132);
    EXPECT_EQ(b.shadow[0x11], 132);
    ASSERT_EQ(b.host.write_register(0x21, 0x64), 1);
    EXPECT_EQ(b.board.chip().reg(0x21), 0x64);
    ASSERT_EQ(b.host.write_register(0x10, 0x08), 1);
    EXPECT_FALSE(b.board.chip().enhanced_mode());
    EXPECT_TRUE(b.board.log().violations().empty());
}

TEST(SimTransfers, SuccessfulTransfersCostTheirPausesInSimulatedTime) {
    Board b;
    std::uint8_t count = 0;
    const auto before = b.board.time().slept_ms();
    ASSERT_EQ(b.host.block_write(0x10, 0x0B, 17), 1);
    // Two pauses (the inner read and the write) plus one 10 ms poll per controller step.
    EXPECT_GE(b.board.time().slept_ms() - before, 600u);
    EXPECT_LT(b.board.time().slept_ms() - before, 1200u);
    ASSERT_EQ(b.host.block_read(count), 1);
}

TEST(SimTransfers, WorkAtAnyControllerLatency) {
    for (const unsigned latency : {0u, 1u, 7u}) {
        Board b;
        b.board.smbus().set_latency_polls(latency);
        b.enter_enhanced_mode();
        std::uint8_t value = 0;
        EXPECT_EQ(b.host.read_register(0x13, value), 1) << latency;
        EXPECT_EQ(value, 31);
        EXPECT_TRUE(b.board.log().violations().empty());
    }
}

TEST(SimTransfers, AbsentDeviceFails) {
    Board b;
    b.device.value = 0xA0;
    std::uint8_t count = 0;
    EXPECT_EQ(b.host.block_read(count), 0);
    EXPECT_EQ(b.board.smbus().transfers().size(), 1u);
    EXPECT_FALSE(b.board.smbus().transfers()[0].ok);
}

// Each injected fault fails the transfer it hits, leaves no protocol violation and leaves the
// board usable for the next transfer. No error sets completion, so every failed transfer runs
// out its wait.
TEST(SimFaults, EachFaultFailsItsTransfer) {
    enum class Op { BlockRead, BlockWrite, Read, Write };
    struct Row {
        const char* what;
        Fault fault;
        Op op;
    };
    Fault at_byte_five = Fault::on(TransferKind::BlockRead, FaultAction::DeviceError);
    at_byte_five.at_byte = 5;
    Fault write_byte_three = Fault::on(TransferKind::BlockWrite, FaultAction::BusError);
    write_byte_three.at_byte = 3;
    const Row rows[] = {
        {"block read times out", Fault::on(TransferKind::BlockRead, FaultAction::Timeout),
         Op::BlockRead},
        {"block read device error at byte 5", at_byte_five, Op::BlockRead},
        {"block write bus error at byte 3", write_byte_three, Op::BlockWrite},
        {"second transaction of a block write (the write itself)",
         Fault::at_ordinal(2, FaultAction::DeviceError), Op::BlockWrite},
        {"REG11 read times out",
         Fault::on_register(TransferKind::WordRead, 0x11, FaultAction::Timeout), Op::Read},
        {"REG21 write bus error",
         Fault::on_register(TransferKind::WordWrite, 0x21, FaultAction::BusError), Op::Write},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Board b;
        b.enter_enhanced_mode();
        b.board.smbus().inject(row.fault);
        const auto reg21_before = b.board.chip().reg(0x21);
        const auto start_ms = b.board.time().slept_ms();
        std::uint8_t value = 0;
        int result = -1;
        switch (row.op) {
            case Op::BlockRead:
                result = b.host.block_read(value);
                break;
            case Op::BlockWrite:
                result = b.host.block_write(0x10, 0x0B, 17);
                break;
            case Op::Read:
                result = b.host.read_register(0x11, value);
                break;
            case Op::Write:
                result = b.host.write_register(0x21, 0x50);
                break;
        }
        EXPECT_EQ(result, 0);
        EXPECT_GE(b.board.time().slept_ms() - start_ms, 1000u);  // the wait ran out
        EXPECT_EQ(b.board.chip().reg(0x21), reg21_before);
        EXPECT_EQ(b.host.read_register(0x13, value), 1);
        EXPECT_TRUE(b.board.log().violations().empty());
    }
}

TEST(SimFaults, BlockReadFailureKeepsTheBytesAlreadyStored) {
    Board b;
    Fault fault = Fault::on(TransferKind::BlockRead, FaultAction::DeviceError);
    fault.at_byte = 5;
    b.board.smbus().inject(fault);
    b.board.chip().set_reg(4, 0x44);
    b.board.chip().set_reg(5, 0x55);
    std::uint8_t count = 0;
    ASSERT_EQ(b.host.block_read(count), 0);
    EXPECT_EQ(b.shadow[4], 0x44);
    EXPECT_EQ(b.shadow[5], 0x00);
}

TEST(SimFaults, ChosenBlockCounts) {
    for (const unsigned announced : {0u, 1u, 17u, 23u, 36u, 40u}) {
        Board b;
        Fault fault = Fault::on(TransferKind::BlockRead, FaultAction::BlockCount);
        fault.block_count = static_cast<std::uint8_t>(announced);
        b.board.smbus().inject(fault);
        std::uint8_t count = 0xEE;
        ASSERT_EQ(b.host.block_read(count), 1) << announced;
        EXPECT_EQ(count, announced);
        EXPECT_TRUE(b.board.log().violations().empty());
    }
}

TEST(SimFaults, OccurrenceSelectsTheNthMatchingTransfer) {
    Board b;
    b.enter_enhanced_mode();
    Fault fault = Fault::on(TransferKind::WordRead, FaultAction::BusError);
    fault.occurrence = 2;
    b.board.smbus().inject(fault);
    std::uint8_t value = 0;
    EXPECT_EQ(b.host.read_register(0x11, value), 1);
    EXPECT_EQ(b.host.read_register(0x11, value), 0);
    EXPECT_EQ(b.host.read_register(0x11, value), 1);
}

// The controller complains about misuse, so an empty violation list means something.
TEST(SimProtocol, MisuseIsRecorded) {
    struct Row {
        const char* what;
        void (*misuse)(sim::SimBoard&);
    };
    const Row rows[] = {
        {"new start while busy",
         [](sim::SimBoard& board) {
             board.write_byte(0xE804, 0xD3);
             board.write_byte(0xE802, 0x4C);
             board.write_byte(0xE802, 0x4C);
         }},
        {"block byte written without byte-done",
         [](sim::SimBoard& board) {
             board.write_byte(0xE804, 0xD2);
             board.write_byte(0xE805, 2);
             board.write_byte(0xE802, 0x54);
             board.write_byte(0xE807, 0x12);
         }},
        {"last byte acknowledged without the last-byte bit",
         [](sim::SimBoard& board) {
             board.write_byte(0xE804, 0xD3);
             board.write_byte(0xE802, 0x54);
             for (int i = 0; i < 16; ++i) {
                 while ((board.read_byte(0xE800) & 0x80) == 0) {
                 }
                 board.write_byte(0xE800, 0x80);
             }
         }},
        {"unused offset", [](sim::SimBoard& board) { (void)board.read_byte(0xE801); }},
        {"unmapped port", [](sim::SimBoard& board) { board.write_byte(0x80, 0x01); }},
    };
    for (const Row& row : rows) {
        Board b;
        row.misuse(b.board);
        EXPECT_FALSE(b.board.log().violations().empty()) << row.what;
    }
}

constexpr const char* kDump =
    "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f    0123456789abcdef\n"
    "00: 02 ff 00 00 00 00 00 00 00 00 00 00 00 00 00 00    ................\n"
    "10: 09 95 93 1f 00 00 00 00 00 00 00 00 00 00 00 48    ?????..........H\n"
    "20: 00 e4 c5 07 XX XX XX XX XX XX XX XX XX XX XX XX    .???XXXXXXXXXXXX\n";

TEST(SimChipDump, LoadsRegistersAndRunningClock) {
    sim::SimClockChip chip;
    std::string error;
    ASSERT_TRUE(chip.load_dump(kDump, error)) << error;
    EXPECT_EQ(chip.reg(0x00), 0x02);
    EXPECT_EQ(chip.reg(0x11), 0x95);
    EXPECT_EQ(chip.reg(0x21), 0xE4);
    EXPECT_EQ(chip.reg(0x23), 0x07);
    EXPECT_EQ(chip.cpu_divider(), 4);
    EXPECT_EQ(chip.sdram_divider(), 3);
    EXPECT_DOUBLE_EQ(chip.running_cpu_ext_mhz(), 150 * 96.0 / 32 / 4);

    // What the program prints reads back into the same registers.
    bool known[kClockChipRegisterCount];
    std::fill(std::begin(known), std::end(known), true);
    const std::string printed =
        format_register_dump(chip.registers().data(), known, chip.registers().size());
    sim::SimClockChip copy;
    ASSERT_TRUE(copy.load_dump(printed, error)) << error;
    EXPECT_EQ(copy.registers(), chip.registers());
}

TEST(SimChipDump, MalformedTextLeavesTheChipAlone) {
    const char* const bad[] = {
        "",
        "00: 02 ff 00\n",
        "00: 02 ff 00 00 00 00 00 00 00 00 00 00 00 00 00 0g\n",
        "08: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n",
        "zz: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n",
    };
    for (const char* text : bad) {
        sim::SimClockChip chip;
        const auto before = chip.registers();
        std::string error;
        EXPECT_FALSE(chip.load_dump(text, error)) << text;
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(chip.registers(), before);
    }
}

}  // namespace
}  // namespace vantrel
