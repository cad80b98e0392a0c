// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "bus/smbus_transfers.h"
#include "clockgen/clock_state.h"
#include "clockgen/frequency_model.h"
#include "ui/change_backup.h"
#include "ui/cpu_speed_meter.h"
#include "ui/dialog_controls.h"
#include "ui/message_boxes.h"

namespace vantrel {

// The selections and frequencies of ClockState as they were when a run entered enhanced mode,
// for giving back what a failed run did not write.
struct ApplySnapshot {
    std::uint8_t delay_cpu;
    std::uint8_t delay_pci;
    std::uint8_t delay_sdram;
    std::uint8_t delay_3v66;
    std::uint8_t spread_depth;
    std::uint8_t spread_model;
    float cpu_ext_mhz;
    float pci_mhz;
    float vco_mhz;
    // Design decision: the PLL values travel with the frequencies, so that a rolled-back run
    // leaves no N or M behind that the dialog does not show and a later run would commit.
    std::uint8_t pll_n;
    std::uint8_t pll_m;
};

ApplySnapshot take_snapshot(const ClockState& clock);
// Gives every field of the snapshot back, as a run that failed before writing REG21 does.
void restore_snapshot(ClockState& clock, const ApplySnapshot& snapshot);

// How the frequency edit box reads: empty, a request in whole MHz, or text that no valid
// request can come from.
struct FrequencyRequest {
    enum class Kind : std::uint8_t { Empty, Number, TooLong };
    Kind kind;
    int mhz;
};

// Reads the edit box's text through a 4-character buffer (at most three characters, converted
// like the standard string-to-integer conversion).
FrequencyRequest read_frequency_request(const std::string& text);

// How the last "Run Settings" went, for a front end that can say more than its messages.
struct ApplyOutcome {
    // The step that showed a failure message, None when every step went through.
    enum class Stop : std::uint8_t {
        None,
        InvalidFrequency,
        EnhancedMode,
        Reg21,
        Reg22,
        Commit,
        Reg00
    };
    Stop stop = Stop::None;
    bool left_enhanced_mode = true;  // false when leaving it failed (or it was never entered)
    std::string text;                // the frequency box's text, as the run found it
    FrequencyRequest request{FrequencyRequest::Kind::Empty, 0};
    SliderRange range{};  // the slider's range the request was held to
};

// "Run Settings": programs the clock chip with the dialog's choices and refreshes the display.
class ApplyWorkflow {
  public:
    ApplyWorkflow(DialogControls& controls, MessageBoxes& messages, SmbusTransfers& host,
                  ClockState& clock, CpuSpeedMeter& cpu)
        : controls_(controls), messages_(messages), host_(host), clock_(clock), cpu_(cpu) {}

    void run_settings();
    // Heard before every apply that is about to write; nullptr (the default) for none.
    void set_backup(ChangeBackup* backup) { backup_ = backup; }

    const ApplyOutcome& last_outcome() const { return outcome_; }

  private:
    void error(const char* text);
    void read_selections();
    int write_reg21();
    int write_reg22();
    int write_reg00();

    DialogControls& controls_;
    MessageBoxes& messages_;
    SmbusTransfers& host_;
    ClockState& clock_;
    CpuSpeedMeter& cpu_;
    ApplyOutcome outcome_;
    ChangeBackup* backup_ = nullptr;
};

}  // namespace vantrel
