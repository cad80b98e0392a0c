// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/frequency_fields.h"

#include <cmath>
#include <cstdio>

#include "clockgen/frequency_model.h"
#include "res/resource_ids.h"

namespace vantrel {

namespace {

constexpr std::size_t kMhzFieldWidth = 6;

}  // namespace

std::string format_mhz_field(float mhz) {
    // Design decision: a CPU speed that was not measured is stored as exactly 0 and shows as not
    // available rather than as a made-up "0.0" speed.
    if (mhz == 0.0f || !std::isfinite(mhz)) {
        return "   n/a";
    }
    // A float times 10 is exact in double, so only the true halves (x.25, x.75) meet the +0.5
    // and they round up.
    const double tenths = std::floor(std::fabs(double{mhz}) * 10.0 + 0.5);
    char digits[64];
    const int count = std::snprintf(digits, sizeof digits, "%.0f", tenths);
    // Design decision: a value below one still shows its integer digit ("0.4"), and one with more
    // than four integer digits shows all of them; the field grows rather than lies. The text is
    // put together in fixed buffers: string insertions here make GCC 12 at -O3 warn falsely.
    char number[72];
    std::snprintf(number, sizeof number, "%s%s%.*s.%c", mhz < 0.0f ? "-" : "", count < 2 ? "0" : "",
                  count - 1, digits, digits[count - 1]);
    char field[80];
    std::snprintf(field, sizeof field, "%*s", static_cast<int>(kMhzFieldWidth), number);
    return field;
}

std::string format_target_text(int mhz) {
    char text[16];
    std::snprintf(text, sizeof text, "%3d ", mhz);
    return text;
}

void show_frequencies(DialogControls& controls, const ClockState& clock) {
    controls.set_text(IDC_CPU_SPEED, format_mhz_field(clock.cpu_speed_mhz));
    controls.set_text(IDC_CPU_EXT_FREQ, format_mhz_field(clock.cpu_ext_mhz));
    controls.set_text(IDC_PCI_FREQ, format_mhz_field(clock.pci_mhz));
    controls.set_text(IDC_SDRAM_FREQ, format_mhz_field(sdram_mhz(clock)));
    controls.set_text(IDC_3V66_FREQ, format_mhz_field(mhz_3v66(clock)));
}

}  // namespace vantrel
