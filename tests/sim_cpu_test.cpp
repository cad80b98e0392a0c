// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <string>

#include "clockgen/clock_state.h"
#include "cpu/cpu_speed.h"
#include "sim/sim_board.h"

namespace vantrel {
namespace {

struct SimSpeedRow {
    const char* name;
    std::uint8_t pll_n;  // with M = 31 and the CPU divider 3: N + 1 MHz
    double multiplier;
    float expected_mhz;
};

void PrintTo(const SimSpeedRow& row, std::ostream* os) {
    *os << row.name;
}

class SimulatedBoardSpeed : public ::testing::TestWithParam<SimSpeedRow> {};

TEST_P(SimulatedBoardSpeed, FollowsTheClockTheChipRuns) {
    const SimSpeedRow row = GetParam();
    sim::SimBoard board;
    board.chip().power_up_pll(row.pll_n, 31, 0);
    board.cpu().set_multiplier(row.multiplier);
    ClockState state;
    VendorFlag vendor;

    refresh_cpu_speed(state, board.cpu(), board.cpu(), vendor);
    EXPECT_NEAR(state.cpu_speed_mhz, row.expected_mhz, 2.0f);
    EXPECT_EQ(vendor.non_intel, 0u);
    EXPECT_EQ(board.cpu().thread_priority(), 0);
}

INSTANTIATE_TEST_SUITE_P(Clocks, SimulatedBoardSpeed,
                         ::testing::Values(SimSpeedRow{"Default133MhzTimes7_5", 132, 7.5, 997.5f},
                                           SimSpeedRow{"Applied150MhzTimes7_5", 149, 7.5, 1125.0f},
                                           SimSpeedRow{"Applied100MhzTimes7_5", 99, 7.5, 750.0f},
                                           SimSpeedRow{"Default133MhzTimes5", 132, 5.0, 665.0f}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(SimulatedBoardSpeed, MeasuresAgainAfterTheClockChanges) {
    sim::SimBoard board;
    ClockState state;
    VendorFlag vendor;

    refresh_cpu_speed(state, board.cpu(), board.cpu(), vendor);
    const float before = state.cpu_speed_mhz;
    board.chip().power_up_pll(149, 31, 0);
    refresh_cpu_speed(state, board.cpu(), board.cpu(), vendor);

    EXPECT_NEAR(before, 997.5f, 2.0f);
    EXPECT_NEAR(state.cpu_speed_mhz, 1125.0f, 2.0f);
}

}  // namespace
}  // namespace vantrel
