// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "bus/dry_run_transfers.h"
#include "clockgen/clock_state.h"

namespace vantrel::cli {

// What one held write changes, in words: "PLL N 132 -> 149"; empty for a register the apply has
// no setting in.
std::string write_meaning(const HeldWrite& write);

// One apply's writes, a line each in the order they would go out, under `heading` ("Run
// Settings", "step 1 of 3 (138 MHz): Run Settings").
std::string held_writes_text(std::string_view heading, const std::vector<HeldWrite>& writes);

// The chip's settings and clocks at one end of a dry run. After it, the CPU speed is the one
// the new clock should give, 0 when the speed could not be measured.
struct PlanEnd {
    ClockState clock;
    bool spread_on;
};

// The clocks and settings before and after, side by side.
std::string before_after_text(const PlanEnd& before, const PlanEnd& after);

}  // namespace vantrel::cli
