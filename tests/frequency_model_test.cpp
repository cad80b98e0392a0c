// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

#include "clockgen/frequency_model.h"

namespace vantrel {
namespace {

ClockState with_dividers(std::uint8_t cpu, std::uint8_t sdram) {
    ClockState state;
    state.cpu_divider = cpu;
    state.sdram_divider = sdram;
    return state;
}

TEST(FrequencyModel, WorkedExamples) {
    struct Row {
        std::uint8_t divider;
        int request;
        int n;
        float vco, cpu_ext, pci, sdram3, sdram4, v3v66;
        int slider;
    };
    const Row rows[] = {
        {3, 100, 99, 300.0f, 100.0f, 25.0f, 100.0f, 75.0f, 50.0f, 100},
        {3, 133, 132, 399.0f, 133.0f, 33.25f, 133.0f, 99.75f, 66.5f, 133},
        {3, 250, 249, 750.0f, 250.0f, 62.5f, 250.0f, 187.5f, 125.0f, 250},
        {4, 75, 99, 300.0f, 75.0f, 25.0f, 100.0f, 75.0f, 50.0f, 75},
        {4, 100, 132, 399.0f, 99.75f, 33.25f, 133.0f, 99.75f, 66.5f, 99},
        {4, 101, 134, 405.0f, 101.25f, 33.75f, 135.0f, 101.25f, 67.5f, 101},
        {4, 133, 176, 531.0f, 132.75f, 44.25f, 177.0f, 132.75f, 88.5f, 132},
        {4, 180, 239, 720.0f, 180.0f, 60.0f, 240.0f, 180.0f, 120.0f, 180},
        {6, 50, 99, 300.0f, 50.0f, 25.0f, 100.0f, 75.0f, 50.0f, 50},
        {6, 100, 199, 600.0f, 100.0f, 50.0f, 200.0f, 150.0f, 100.0f, 100},
        {6, 120, 239, 720.0f, 120.0f, 60.0f, 240.0f, 180.0f, 120.0f, 120},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "divider " << int{row.divider} << ", " << row.request);
        ClockState state = with_dividers(row.divider, 3);
        solve_n(state, row.request);
        EXPECT_EQ(state.pll_m, 31);
        EXPECT_EQ(state.pll_n, row.n);
        EXPECT_EQ(state.vco_mhz, row.vco);
        EXPECT_EQ(state.cpu_ext_mhz, row.cpu_ext);
        EXPECT_EQ(state.pci_mhz, row.pci);
        EXPECT_EQ(sdram_mhz(state), row.sdram3);
        state.sdram_divider = 4;
        EXPECT_EQ(sdram_mhz(state), row.sdram4);
        EXPECT_EQ(mhz_3v66(state), row.v3v66);
        EXPECT_EQ(static_cast<int>(state.cpu_ext_mhz), row.slider);
    }
}

TEST(FrequencyModel, ChipValuesShowSinglePrecisionRounding) {
    ClockState state = with_dividers(6, 4);
    state.pll_n = 99;
    state.pll_m = 13;
    derive_frequencies(state);
    EXPECT_EQ(state.vco_mhz, 685.71429443359375f);
    EXPECT_EQ(state.cpu_ext_mhz, 114.28571319580078125f);
    EXPECT_EQ(state.pci_mhz, 57.142856597900390625f);
    EXPECT_EQ(sdram_mhz(state), 171.4285736083984375f);
    EXPECT_EQ(mhz_3v66(state), 114.28571319580078125f);
}

// For every whole request in each slider range the chosen N is one whose frequency, 3(N+1)/d,
// is nearest the request; worked out here in integers, independent of the solver's floats.
TEST(FrequencyModel, EveryRequestGetsTheNearestN) {
    for (const std::uint8_t divider : {std::uint8_t{3}, std::uint8_t{4}, std::uint8_t{6}}) {
        const SliderRange range = slider_range(divider);
        for (int f = range.minimum; f <= range.maximum; ++f) {
            ClockState state = with_dividers(divider, 3);
            solve_n(state, f);
            const int chosen = std::abs(3 * (state.pll_n + 1) - f * divider);
            for (int n = 0; n <= 255; ++n) {
                ASSERT_LE(chosen, std::abs(3 * (n + 1) - f * divider))
                    << "divider " << int{divider} << ", request " << f << ", N " << n;
            }
            ASSERT_GE(state.pll_n, 99) << f;
            ASSERT_LE(state.pll_n, 249) << f;
        }
    }
}

TEST(FrequencyModel, RequestsOutsideTheRangeAreClampedNotWrapped) {
    struct Row {
        std::uint8_t divider;
        int request;
        int clamped_to;
    };
    const Row rows[] = {
        {3, 0, 100},   {3, -40, 100},     {3, 99, 100},     {3, 251, 250}, {3, 1205, 250},
        {4, 74, 75},   {4, 181, 180},     {4, 255, 180},    {6, 49, 50},   {6, 121, 120},
        {6, 200, 120}, {3, INT_MAX, 250}, {4, INT_MIN, 75},
    };
    for (const Row& row : rows) {
        ClockState clamped = with_dividers(row.divider, 3);
        solve_n(clamped, row.request);
        ClockState expected = with_dividers(row.divider, 3);
        solve_n(expected, row.clamped_to);
        EXPECT_EQ(clamped.pll_n, expected.pll_n) << int{row.divider} << " " << row.request;
        EXPECT_EQ(clamped.cpu_ext_mhz, expected.cpu_ext_mhz);
    }
}

TEST(FrequencyModel, SliderRanges) {
    struct Row {
        std::uint8_t divider;
        int minimum;
        int maximum;
    };
    for (const Row& row :
         {Row{3, 100, 250}, Row{4, 75, 180}, Row{6, 50, 120}, Row{0, 50, 120}, Row{5, 50, 120}}) {
        const SliderRange range = slider_range(row.divider);
        EXPECT_EQ(range.minimum, row.minimum);
        EXPECT_EQ(range.maximum, row.maximum);
    }
}

}  // namespace
}  // namespace vantrel
