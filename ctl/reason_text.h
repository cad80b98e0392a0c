// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <vector>

#include "bus/smbus_transfers.h"
#include "clockgen/clock_state.h"
#include "clockgen/frequency_model.h"
#include "platform/linux/settings/reg_file_registry.h"
#include "ui/apply_workflow.h"
#include "ui/settings_store.h"

namespace vantrel::cli {

// The lines vantrelctl prints under the dialog's fixed messages, each worded from what the
// dialog's own checks recorded rather than from checks of its own.

// "100 to 250 MHz".
std::string range_text(const SliderRange& range);

// How the valid range of the CPU external clock follows from the CPU divider, for --help.
std::string range_help();

// Under "Invalid Frequency": the valid range for the chip's dividers and what was asked.
std::string frequency_reason(const ApplyOutcome& outcome, const ClockState& clock);

// After an apply that showed a message: what the chip now runs, from the register mirror the
// apply left. PLL registers written but not latched are said as such, with the clock the PLL
// still runs, which the apply gave back to ClockState.
std::string running_text(const RegisterShadow& shadow, const ClockState& clock);

// The settings file a save or load uses.
struct SettingsFile {
    const platform::RegFileRegistry* registry = nullptr;
    std::string save_command;  // what writes it, for a load that finds none
};

// Under "Cannot Load Settings!", "Settings Data Crushed!", "Cannot Apply These Settings!" and
// "Cannot Save Settings!": one line for each thing that made the store refuse.
std::vector<std::string> settings_reasons(const SettingsVerdict& verdict, const SettingsFile& file,
                                          const ClockState& clock, bool saving);

}  // namespace vantrel::cli
