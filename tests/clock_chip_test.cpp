// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <optional>

#include "bus/smbus_controller.h"
#include "bus/smbus_host.h"
#include "clockgen/clock_chip.h"
#include "clockgen/registers.h"
#include "sim/sim_board.h"

namespace vantrel {
namespace {

using sim::Fault;
using sim::FaultAction;
using sim::TransferKind;

// The clock chip driver on a simulated board whose controller has been discovered.
struct Rig {
    sim::SimBoard board;
    SmbusController controller;
    DeviceAddress device;
    RegisterShadow shadow;
    ClockState state;
    SmbusHost host{board, board.time(), controller, device, shadow};
    ClockChip chip{host, state};

    Rig() { EXPECT_EQ(detect_smbus_controller(board, controller), 1); }
    sim::SimClockChip& vxc() { return board.chip(); }
    std::size_t transfers() const {
        return const_cast<sim::SimBoard&>(board).smbus().transfers().size();
    }
    std::size_t word_transfers() {
        std::size_t n = 0;
        for (const auto& t : board.smbus().transfers()) {
            n += t.kind == TransferKind::WordRead || t.kind == TransferKind::WordWrite ? 1 : 0;
        }
        return n;
    }
};

TEST(ClockChipDetect, DefaultBoard) {
    Rig rig;
    ASSERT_EQ(rig.chip.detect(), 1);
    EXPECT_EQ(rig.transfers(), 13u);
    EXPECT_EQ(rig.state.pll_n, 132);
    EXPECT_EQ(rig.state.pll_m, 31);
    EXPECT_EQ(rig.state.spread_depth, 0);
    EXPECT_EQ(rig.state.cpu_divider, 3);
    EXPECT_EQ(rig.state.sdram_divider, 3);
    EXPECT_EQ(rig.state.vco_mhz, 399.0f);
    EXPECT_EQ(rig.state.cpu_ext_mhz, 133.0f);
    EXPECT_EQ(rig.state.pci_mhz, 33.25f);
    EXPECT_FALSE(rig.vxc().enhanced_mode());
    EXPECT_EQ(rig.vxc().reg(REG10), 0x08);  // 0x09 from the 16-byte branch, mode bits cleared
    // Thirteen transfers with their 300 ms pauses, plus the polls: four to five seconds.
    EXPECT_GE(rig.board.time().slept_ms(), 3900u);
    EXPECT_LT(rig.board.time().slept_ms(), 6000u);
    EXPECT_TRUE(rig.board.log().violations().empty());
}

TEST(ClockChipDetect, FirstReadBranchDecidesTheREG10Value) {
    struct Row {
        std::uint8_t reg10;
        std::optional<unsigned> first_count;  // none: the chip's own count
        std::uint8_t written;
    };
    const Row rows[] = {
        {0x00, std::nullopt, 0x09},  // 16 bytes at power-up
        {0x24, 16, 0x09},           {0x24, 0, 0x09},
        {0x24, 17, 0x25},  // REG10 delivered: its own value with bit 0 set
        {0x01, std::nullopt, 0x01}, {0x80, 36, 0x81},
    };
    for (const Row& row : rows) {
        Rig rig;
        rig.vxc().set_reg(REG10, row.reg10);
        if (row.first_count) {
            rig.vxc().queue_block_counts({*row.first_count});
        }
        EXPECT_EQ(rig.chip.detect(), 1);
        const auto& write = rig.board.smbus().transfers().at(2);
        ASSERT_EQ(write.kind, TransferKind::BlockWrite);
        ASSERT_EQ(write.data.size(), 17u);
        EXPECT_EQ(write.data[REG10], row.written) << int{row.reg10};
    }
}

TEST(ClockChipDetect, SecondReadOtherThan22IsNotTheChip) {
    for (const unsigned second : {0u, 16u, 17u, 21u, 23u, 36u}) {
        Rig rig;
        // The first read, the one inside the block write, then the second read.
        rig.vxc().queue_block_counts({16, 16, second});
        EXPECT_EQ(rig.chip.detect(), 0) << second;
        EXPECT_EQ(rig.transfers(), 4u);
        EXPECT_EQ(rig.word_transfers(), 0u);
    }
}

TEST(ClockChipDetect, DecodesTheRegisters) {
    struct Row {
        std::uint8_t reg11, reg12, reg13, reg1f, reg21, reg22;
        std::uint8_t depth, cpu_div, sdram_div, d_cpu, d_pci, d_sdram, d_3v66, model;
    };
    const Row rows[] = {
        {132, 132, 31, 0xC0, 0x00, 0x00, 0, 3, 4, 0, 0, 0, 0, 0},  // bit 7 wins over bit 6
        {132, 132, 31, 0x40, 0x00, 0x00, 0, 4, 4, 0, 0, 0, 0, 0},
        {132, 132, 31, 0x00, 0x00, 0x00, 0, 6, 4, 0, 0, 0, 0, 0},
        {132, 132, 31, 0x08, 0x00, 0x00, 0, 6, 3, 0, 0, 0, 0, 0},
        {0x10, 0x12, 31, 0x88, 0x00, 0x00, 254, 3, 3, 0, 0, 0, 0, 0},  // depth wraps at 8 bits
        {140, 130, 31, 0x88, 0xE4, 0xC5, 10, 3, 3, 2, 1, 0, 3, 5},
        {99, 99, 13, 0x37, 0x1B, 0x3F, 0, 6, 4, 1, 2, 3, 0, 7},
    };
    for (const Row& row : rows) {
        Rig rig;
        rig.vxc().set_reg(REG11, row.reg11);
        rig.vxc().set_reg(REG12, row.reg12);
        rig.vxc().set_reg(REG13, row.reg13);
        rig.vxc().set_reg(REG1F, row.reg1f);
        rig.vxc().set_reg(REG21, row.reg21);
        rig.vxc().set_reg(REG22, row.reg22);
        ASSERT_EQ(rig.chip.detect(), 1);
        const ClockState& s = rig.state;
        SCOPED_TRACE(::testing::Message() << std::hex << int{row.reg1f} << " " << int{row.reg21}
                                          << " " << int{row.reg22});
        EXPECT_EQ(s.pll_n, row.reg11);
        EXPECT_EQ(s.pll_m, row.reg13);
        EXPECT_EQ(s.spread_depth, row.depth);
        EXPECT_EQ(s.cpu_divider, row.cpu_div);
        EXPECT_EQ(s.sdram_divider, row.sdram_div);
        EXPECT_EQ(s.delay_cpu, row.d_cpu);
        EXPECT_EQ(s.delay_pci, row.d_pci);
        EXPECT_EQ(s.delay_sdram, row.d_sdram);
        EXPECT_EQ(s.delay_3v66, row.d_3v66);
        EXPECT_EQ(s.spread_model, row.model);
    }
}

// A failure at any of the thirteen transfers ends detection at once; what was done stays.
TEST(ClockChipDetect, FailureAtEachTransferEndsIt) {
    for (unsigned k = 1; k <= 13; ++k) {
        SCOPED_TRACE(k);
        Rig rig;
        const std::uint8_t reg10_at_power_up = rig.vxc().reg(REG10);
        rig.board.smbus().inject(Fault::at_ordinal(k, FaultAction::DeviceError));
        EXPECT_EQ(rig.chip.detect(), 0);
        EXPECT_EQ(rig.transfers(), k);
        // Reads after enhanced mode was entered leave the chip in it: detect does not leave.
        EXPECT_EQ(rig.vxc().enhanced_mode(), k >= 7);
        EXPECT_EQ(rig.state.pll_n, k > 7 ? 132 : 0);
        EXPECT_EQ(rig.state.pll_m, k > 9 ? 31 : 0);
        // Frequencies are derived after the last read, before leaving enhanced mode.
        EXPECT_EQ(rig.state.cpu_ext_mhz, k == 13 ? 133.0f : 66.0f);
        if (k == 3) {
            // The shadow holds the REG10 value although the chip never received it.
            EXPECT_EQ(rig.shadow[REG10], 0x09);
            EXPECT_EQ(rig.vxc().reg(REG10), reg10_at_power_up);
        }
        EXPECT_TRUE(rig.board.log().violations().empty());
    }
}

TEST(ClockChipModes, TransferCountsAndREG10) {
    Rig rig;
    ASSERT_EQ(rig.chip.detect(), 1);
    rig.board.smbus().clear_transfers();
    ASSERT_EQ(rig.chip.enter_enhanced_mode(), 1);
    EXPECT_EQ(rig.transfers(), 2u);
    EXPECT_EQ(rig.vxc().reg(REG10), 0x0B);
    EXPECT_TRUE(rig.vxc().enhanced_mode());
    rig.board.smbus().clear_transfers();
    ASSERT_EQ(rig.chip.leave_enhanced_mode(), 1);
    EXPECT_EQ(rig.transfers(), 1u);
    EXPECT_EQ(rig.vxc().reg(REG10), 0x08);
    EXPECT_FALSE(rig.vxc().enhanced_mode());
}

TEST(ClockChipModes, EnterAfterAFailedBlockWriteUsesTheShadowByte) {
    Rig rig;
    ASSERT_EQ(rig.chip.detect(), 1);
    rig.board.smbus().inject(Fault::on(TransferKind::BlockWrite, FaultAction::BusError));
    ASSERT_EQ(rig.chip.enter_enhanced_mode(), 0);
    EXPECT_EQ(rig.shadow[REG10], 0x0B);
    EXPECT_FALSE(rig.vxc().enhanced_mode());
    ASSERT_EQ(rig.chip.enter_enhanced_mode(), 1);
    EXPECT_EQ(rig.vxc().reg(REG10), 0x0B);
}

struct CommitRig : Rig {
    CommitRig() {
        EXPECT_EQ(chip.detect(), 1);
        EXPECT_EQ(chip.enter_enhanced_mode(), 1);
        board.smbus().clear_transfers();
        state.pll_n = 149;
        state.pll_m = 30;
        state.spread_depth = 3;
    }
};

TEST(ClockChipCommit, WritesAndLatches) {
    CommitRig rig;
    ASSERT_EQ(rig.chip.commit_pll(), 1);
    EXPECT_EQ(rig.transfers(), 7u);
    EXPECT_EQ(rig.vxc().reg(REG11), 149);
    EXPECT_EQ(rig.vxc().reg(REG12), 146);
    EXPECT_EQ(rig.vxc().reg(REG13), 30);
    EXPECT_EQ(rig.vxc().reg(REG17) & 0x01, 0x01);
    EXPECT_EQ(rig.vxc().reg(REG1F) & 0x03, 0x03);
    EXPECT_EQ(rig.vxc().reg(REG1F) & 0x88, 0x88);  // straps untouched
    // The board now runs the new clock: 150 x 96 / 31 / 3.
    EXPECT_DOUBLE_EQ(rig.vxc().running_cpu_ext_mhz(), 150 * 96.0 / 31 / 3);
    EXPECT_TRUE(rig.board.log().violations().empty());
}

TEST(ClockChipCommit, REG12WrapsAtEightBits) {
    CommitRig rig;
    rig.state.pll_n = 5;
    rig.state.spread_depth = 10;
    ASSERT_EQ(rig.chip.commit_pll(), 1);
    EXPECT_EQ(rig.vxc().reg(REG12), 251);
}

TEST(ClockChipCommit, FailureAtEachTransferLeavesTheEarlierWrites) {
    for (unsigned k = 1; k <= 7; ++k) {
        SCOPED_TRACE(k);
        CommitRig rig;
        rig.board.smbus().inject(Fault::at_ordinal(k, FaultAction::DeviceError));
        EXPECT_EQ(rig.chip.commit_pll(), 0);
        EXPECT_EQ(rig.transfers(), k);
        EXPECT_EQ(rig.vxc().reg(REG11), k > 1 ? 149 : 132);
        EXPECT_EQ(rig.vxc().reg(REG12), k > 2 ? 146 : 132);
        EXPECT_EQ(rig.vxc().reg(REG13), k > 3 ? 30 : 31);
        EXPECT_EQ(rig.vxc().reg(REG17) & 0x01, k > 5 ? 0x01 : 0x00);
        EXPECT_EQ(rig.vxc().reg(REG1F) & 0x03, 0x00);
        EXPECT_EQ(rig.vxc().running_n(), 132);  // nothing latched
    }
}

TEST(ClockChipCommit, AnotherDetectReadsTheCommittedClock) {
    CommitRig rig;
    ASSERT_EQ(rig.chip.commit_pll(), 1);
    ASSERT_EQ(rig.chip.leave_enhanced_mode(), 1);
    ClockState fresh;
    ClockChip again(rig.host, fresh);
    ASSERT_EQ(again.detect(), 1);
    EXPECT_EQ(fresh.pll_n, 149);
    EXPECT_EQ(fresh.spread_depth, 3);
    EXPECT_EQ(fresh.pll_m, 30);
}

}  // namespace
}  // namespace vantrel
