// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

#include "clockgen/clock_state.h"
#include "ui/dialog_controls.h"

namespace vantrel {

// A frequency as the 6-character text of a read-only frequency field: rounded to one decimal
// (an exact half rounds up) and right-aligned, e.g. "  33.3", "1266.0".
std::string format_mhz_field(float mhz);

// A whole number of MHz as the text of the frequency edit box: right-aligned in three columns
// and followed by one space, e.g. " 75 ", "133 ".
std::string format_target_text(int mhz);

// Writes the five frequency fields from ClockState; the SDRAM and 3V66 clocks are derived from
// vco_mhz at this moment, as nothing stores them.
void show_frequencies(DialogControls& controls, const ClockState& clock);

}  // namespace vantrel
