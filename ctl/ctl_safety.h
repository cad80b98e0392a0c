// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "app/core/stop_signals.h"
#include "clockgen/registers.h"
#include "ctl/console.h"
#include "ctl/ctl_command.h"
#include "ctl/dialog_session.h"
#include "ctl/terminal.h"
#include "res/resource_ids.h"
#include "ui/apply_workflow.h"

namespace vantrel::cli {

// The lists of the dialog, in the order of SetChoices and of a saved selection.
inline constexpr int kLists[] = {IDC_DELAY_CPU,  IDC_DELAY_PCI,    IDC_DELAY_SDRAM,
                                 IDC_DELAY_3V66, IDC_SPREAD_DEPTH, IDC_SPREAD_MODEL};
// The registers an apply writes.
inline constexpr std::uint8_t kAppliedRegisters[] = {REG00, REG11, REG12, REG13, REG21, REG22};

// What the dialog and the chip held before a change, to put back when it is not kept: the
// apply's own snapshot of ClockState, and besides it the controls, the measured CPU speed and
// the registers an apply writes.
struct Previous {
    ApplySnapshot clock;
    int selections[std::size(kLists)];
    int check;
    float cpu_speed_mhz;
    std::uint8_t registers[std::size(kAppliedRegisters)];
};

// Takes what the dialog and the chip hold now.
Previous remember(DialogSession& session);
// Whether an apply since `before` changed any register it writes.
bool registers_changed(DialogSession& session, const Previous& before);
// A checked box as a user makes it: it toggles on the click, which the dialog then hears.
void set_spread_box(DialogSession& session, int state);
// The CPU speed a CPU external clock of `cpu_ext_after` should give, worked out from the speed
// measured at `cpu_ext_before`; 0 when that speed was not measured.
double expected_cpu_speed(float speed_before, float cpu_ext_before, float cpu_ext_after);
// Whether the answer is a yes: "y" or "yes" in any case, blanks around it allowed.
bool is_yes(const std::optional<std::string>& answer);

// The steps that keep a change of the running clock safe: stepping toward the new clock,
// checking what the chip holds, asking the user to keep it, and putting the old one back.
class SafetySteps {
  public:
    SafetySteps(const CtlCommand& command, Terminal& terminal, Console& console,
                const StopSignals& stops)
        : command_(command), terminal_(terminal), console_(console), stops_(stops) {}

    // Runs the apply once per step toward `target`, then the last one: "Load Settings" when
    // `load_at_end`, else "Run Settings" with the frequency box as set asks. Stops at the
    // first step that shows a message, or before the next apply once a request to stop has
    // come, and says where the chip was left. After each apply
    // that showed none, `applied` hears which it was ("step 1 of 3 (138 MHz): Run Settings").
    bool go_to(DialogSession& session, std::optional<int> target, bool load_at_end,
               const std::function<void(const std::string&)>& applied = {});
    // Reads the chip back and compares it with what the apply meant: the registers it wrote,
    // and the clock the chip runs, as the CPU speed shows it.
    bool verify(DialogSession& session, const Previous& before);
    // Asks whether to keep the change, waiting as long as the command says. A request to stop
    // while it waits is a no.
    bool confirmed();
    // Puts the settings from before the change back through the same apply. Requests to stop
    // do not end it; one that comes meanwhile is only said.
    bool put_back(DialogSession& session, const Previous& before);

  private:
    void say(const std::string& text);
    // Says that a request to stop came during the putting back and did not end it.
    void note_signals_while_putting_back();

    const CtlCommand& command_;
    Terminal& terminal_;
    Console& console_;
    const StopSignals& stops_;
    unsigned signals_said_ = 0;
};

}  // namespace vantrel::cli
