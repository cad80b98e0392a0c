// SPDX-License-Identifier: GPL-2.0-or-later
#include "clockgen/frequency_model.h"

#include <algorithm>
#include <cmath>

namespace vantrel {

namespace {

constexpr double kPciDivider = 12.0;
constexpr double k3v66Divider = 6.0;

// The CPU external frequency of candidate N with M = 31, in the order the formula is written:
// 96 is multiplied first, then the division by M + 1 = 32, then by the divider.
float candidate_mhz(int n_plus_one, std::uint8_t cpu_divider) {
    return static_cast<float>(n_plus_one * kPllReferenceMhz / (kSolverPllM + 1) / cpu_divider);
}

}  // namespace

void derive_frequencies(ClockState& state) {
    state.vco_mhz = static_cast<float>((state.pll_n + 1) * kPllReferenceMhz / (state.pll_m + 1));
    state.cpu_ext_mhz = static_cast<float>(double{state.vco_mhz} / state.cpu_divider);
    state.pci_mhz = static_cast<float>(double{state.vco_mhz} / kPciDivider);
}

void solve_n(ClockState& state, int request_mhz) {
    const SliderRange range = slider_range(state.cpu_divider);
    const int f = std::clamp(request_mhz, range.minimum, range.maximum);

    // For divider 4 this is 1.33333337, slightly above 4/3; the first guess relies on it.
    const float k = static_cast<float>(state.cpu_divider / 3.0);
    state.pll_m = kSolverPllM;
    state.pll_n = static_cast<std::uint8_t>(static_cast<long long>(f * double{k} - 1.0) & 0xFF);

    const float c0 = candidate_mhz(state.pll_n + 1, state.cpu_divider);
    if (f > double{c0}) {
        const float up = candidate_mhz(state.pll_n + 2, state.cpu_divider);
        if (!(std::fabs(double{c0} - f) < std::fabs(double{up} - f))) {
            state.pll_n = static_cast<std::uint8_t>(state.pll_n + 1);
        }
    } else {
        const float down = candidate_mhz(state.pll_n, state.cpu_divider);
        if (!(std::fabs(double{c0} - f) < std::fabs(double{down} - f))) {
            state.pll_n = static_cast<std::uint8_t>(state.pll_n - 1);
        }
    }
    derive_frequencies(state);
}

float sdram_mhz(const ClockState& state) {
    return static_cast<float>(double{state.vco_mhz} / state.sdram_divider);
}

float mhz_3v66(const ClockState& state) {
    return static_cast<float>(double{state.vco_mhz} / k3v66Divider);
}

SliderRange slider_range(std::uint8_t cpu_divider) {
    switch (cpu_divider) {
        case 3:
            return {100, 250};
        case 4:
            return {75, 180};
        default:
            return {50, 120};
    }
}

}  // namespace vantrel
