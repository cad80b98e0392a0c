// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>

#include "clockgen/clock_state.h"

namespace vantrel {

// The arithmetic between PLL values, dividers and clock frequencies. Each operation is done in
// double precision in the order written and each stored or compared result is rounded to single
// precision: the frequencies the dialog shows, and the slider positions taken from them, are
// computed exactly this way.

// The PLL multiplies this reference: VCO = (N + 1) x 96 / (M + 1).
inline constexpr double kPllReferenceMhz = 96.0;
// The M the solver always uses: the VCO then moves in steps of 3 MHz.
inline constexpr std::uint8_t kSolverPllM = 31;
// The slider carries a tick mark every this many MHz.
inline constexpr int kSliderTickFrequency = 5;

struct SliderRange {
    int minimum;
    int maximum;
};

// vco_mhz, cpu_ext_mhz and pci_mhz from pll_n, pll_m and cpu_divider.
void derive_frequencies(ClockState& state);

// Chooses pll_n (with pll_m = 31) for a requested CPU external frequency in whole MHz, then
// derives the frequencies. A request outside the slider range of the current divider is
// clamped to it first, so N never wraps.
void solve_n(ClockState& state, int request_mhz);

float sdram_mhz(const ClockState& state);
float mhz_3v66(const ClockState& state);

// The valid requests for a CPU divider: 100-250 for 3, 75-180 for 4, 50-120 otherwise.
SliderRange slider_range(std::uint8_t cpu_divider);

}  // namespace vantrel
