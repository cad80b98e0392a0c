// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>

namespace vantrel {

// The clock chip's settings, the user's applied selections and the derived frequencies. One
// instance lives for the whole run; the initial values are placeholders that nothing shows
// before detection and the first CPU measurement.
struct ClockState {
    std::uint8_t cpu_divider = 3;    // VCO to CPU external clock: 3, 4 or 6
    std::uint8_t sdram_divider = 3;  // VCO to SDRAM clock: 3 or 4
    float vco_mhz = 400.0f;
    float cpu_speed_mhz = 133.0f;  // measured CPU core speed
    float cpu_ext_mhz = 66.0f;     // CPU external (host) clock
    float pci_mhz = 33.0f;
    std::uint8_t delay_cpu = 0;  // group-delay codes: 0 none, 1 150 ps, 2 300 ps, 3 450 ps
    std::uint8_t delay_pci = 0;
    std::uint8_t delay_sdram = 0;
    std::uint8_t delay_3v66 = 0;
    std::uint8_t spread_depth = 0;  // 0 to 10 in the dialog
    std::uint8_t spread_model = 0;  // 0 to 7
    std::uint8_t pll_n = 0;
    std::uint8_t pll_m = 0;
    // False from the first PLL register write of a commit until its latch: the chip's REG11 to
    // REG13, and the register mirror after it, may then hold values its PLL does not run.
    bool pll_latched = true;
};

}  // namespace vantrel
