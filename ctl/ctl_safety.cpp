// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl/ctl_safety.h"

#include <cmath>

#include "bus/ascii_text.h"
#include "clockgen/register_codec.h"
#include "ctl/ctl_report.h"
#include "ui/dialog_controls.h"

namespace vantrel::cli {

namespace {

// A running clock is taken as meant when the CPU speed is within this of what the CPU speed
// before and the clocks before and after predict: the speed is measured in whole MHz.
constexpr double kSpeedToleranceMhz = 2.0;
constexpr double kSpeedToleranceShare = 0.01;

// The clocks on the way from `from` to `to`, at most `step` apart, without `to` itself.
std::vector<int> steps_between(int from, int to, int step) {
    std::vector<int> steps;
    const int direction = to > from ? 1 : -1;
    for (int at = from + direction * step; (to - at) * direction > 0; at += direction * step) {
        steps.push_back(at);
    }
    return steps;
}

}  // namespace

void SafetySteps::say(const std::string& text) {
    cli::say(console_, text);
}

Previous remember(DialogSession& session) {
    Previous p{};
    p.clock = take_snapshot(session.clock());
    for (std::size_t i = 0; i < std::size(kLists); ++i) {
        p.selections[i] = session.controls().selection(kLists[i]);
    }
    p.check = session.controls().check_state(IDC_SPREAD_ENABLE);
    p.cpu_speed_mhz = session.clock().cpu_speed_mhz;
    for (std::size_t i = 0; i < std::size(kAppliedRegisters); ++i) {
        p.registers[i] = session.shadow()[kAppliedRegisters[i]];
    }
    return p;
}

bool registers_changed(DialogSession& session, const Previous& before) {
    for (std::size_t i = 0; i < std::size(kAppliedRegisters); ++i) {
        if (session.shadow()[kAppliedRegisters[i]] != before.registers[i]) {
            return true;
        }
    }
    return false;
}

void set_spread_box(DialogSession& session, int state) {
    if (session.controls().check_state(IDC_SPREAD_ENABLE) != state) {
        session.controls().set_check_state(IDC_SPREAD_ENABLE, state);
        session.click(IDC_SPREAD_ENABLE);
    }
}

double expected_cpu_speed(float speed_before, float cpu_ext_before, float cpu_ext_after) {
    if (speed_before == 0.0f || cpu_ext_before <= 0.0f) {
        return 0.0;
    }
    return double{speed_before} / double{cpu_ext_before} * double{cpu_ext_after};
}

bool is_yes(const std::optional<std::string>& answer) {
    if (!answer) {
        return false;
    }
    std::string text = ascii::lower_case(*answer);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\t')) {
        text.pop_back();
    }
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.erase(0, 1);
    }
    return text == "y" || text == "yes";
}

bool SafetySteps::go_to(DialogSession& session, std::optional<int> target, bool load_at_end,
                        const std::function<void(const std::string&)>& applied) {
    std::vector<int> steps;
    if (target && command_.step_mhz) {
        steps = steps_between(static_cast<int>(session.clock().cpu_ext_mhz), *target,
                              static_cast<int>(*command_.step_mhz));
    }
    const std::size_t count = steps.size() + 1;
    const auto heard = [&](std::size_t step, int mhz, const char* button) {
        if (applied) {
            applied(count == 1 ? std::string(button)
                               : format("step %zu of %zu (%d MHz): %s", step, count, mhz, button));
        }
    };
    const auto stop_before = [&](std::size_t step) {
        if (!stops_.stopping()) {
            return false;
        }
        say(format("%s: stopped before step %zu of %zu: the CPU external clock is %.1f MHz",
                   std::string(stops_.first().name).c_str(), step, count,
                   double{session.clock().cpu_ext_mhz}));
        return true;
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (stop_before(i + 1)) {
            return false;
        }
        say(format("step %zu of %zu: %d MHz", i + 1, count, steps[i]));
        session.controls().set_text(IDC_FREQ_EDIT, std::to_string(steps[i]));
        if (!session.run_settings()) {
            say(format("stopped at step %zu of %zu: the CPU external clock is %.1f MHz", i + 1,
                       count, double{session.clock().cpu_ext_mhz}));
            return false;
        }
        heard(i + 1, steps[i], "Run Settings");
    }
    if (count > 1 && stop_before(count)) {
        return false;
    }
    if (count > 1) {
        say(format("step %zu of %zu: %d MHz", count, count, *target));
    }
    bool done = false;
    if (load_at_end) {
        done = session.load_settings();
    } else {
        session.controls().set_text(IDC_FREQ_EDIT, command_.choices.cpu_ext.value_or(""));
        done = session.run_settings();
    }
    if (!done && count > 1) {
        say(format("stopped at the last step: the CPU external clock is %.1f MHz",
                   double{session.clock().cpu_ext_mhz}));
    }
    if (done) {
        heard(count, target.value_or(0), load_at_end ? "Load Settings" : "Run Settings");
    }
    return done;
}

bool SafetySteps::confirmed() {
    console_.err("Keep these settings? [y/N] ");
    const std::optional<std::string> answer =
        terminal_.read_line(*command_.confirm_seconds * 1000u);
    // A terminal echoes the answer with its newline; anything else leaves the line open.
    if (!answer || !terminal_.interactive()) {
        console_.err("\n");
    }
    if (stops_.stopping()) {
        say(std::string(stops_.first().name) + " at the question: taken as no");
        return false;
    }
    if (!answer) {
        say(format("no answer within %u s, or the input ended", *command_.confirm_seconds));
    }
    return is_yes(answer);
}

// The lists and the box as they were, then the PLL values themselves, which an empty frequency
// box commits as they stand, so the clock is the one from before and not one solved anew.
bool SafetySteps::put_back(DialogSession& session, const Previous& before) {
    say("putting the previous settings back");
    signals_said_ = stops_.count();
    MemoryDialogControls& controls = session.controls();
    set_spread_box(session, before.check);
    for (std::size_t i = 0; i < std::size(kLists); ++i) {
        controls.select(kLists[i], before.selections[i]);
    }
    if (command_.step_mhz) {
        for (const int at : steps_between(static_cast<int>(session.clock().cpu_ext_mhz),
                                          static_cast<int>(before.clock.cpu_ext_mhz),
                                          static_cast<int>(*command_.step_mhz))) {
            say(format("step back: %d MHz", at));
            controls.set_text(IDC_FREQ_EDIT, std::to_string(at));
            const bool stepped = session.run_settings();
            note_signals_while_putting_back();
            if (!stepped) {
                say(
                    format("could not put the previous settings back: the CPU external clock is "
                           "%.1f MHz",
                           double{session.clock().cpu_ext_mhz}));
                return false;
            }
        }
    }
    restore_snapshot(session.clock(), before.clock);
    controls.set_text(IDC_FREQ_EDIT, "");
    const bool back = session.run_settings();
    note_signals_while_putting_back();
    if (!back) {
        say("could not put the previous settings back");
        return false;
    }
    return true;
}

void SafetySteps::note_signals_while_putting_back() {
    if (stops_.count() > signals_said_) {
        signals_said_ = stops_.count();
        say("another signal came: the previous settings still go back; putting them back is "
            "not stopped");
    }
}

bool SafetySteps::verify(DialogSession& session, const Previous& before) {
    RegisterReadback values;
    const bool read = session.read_registers(kAppliedRegisters, values);
    const ClockState& clock = session.clock();
    const int check = session.controls().check_state(IDC_SPREAD_ENABLE);
    std::optional<bool> spread_on;
    if (check == kBstChecked || check == kBstUnchecked) {
        spread_on = check == kBstChecked;
    }
    bool same = read;
    if (!read) {
        say("verify: the chip's enhanced mode could not be entered or left");
    }
    for (const RegisterExpectation& e : applied_expectations(clock, spread_on)) {
        if (!values[e.reg]) {
            say(format("verify: REG%02X could not be read", e.reg));
            same = false;
        } else if ((*values[e.reg] & e.mask) != e.value) {
            say(
                format("verify: REG%02X holds 0x%02X; the %s should make it 0x%02X under mask "
                       "0x%02X",
                       e.reg, *values[e.reg], e.what, e.value, e.mask));
            same = false;
        }
    }
    const double meant =
        expected_cpu_speed(before.cpu_speed_mhz, before.clock.cpu_ext_mhz, clock.cpu_ext_mhz);
    if (meant == 0.0 || clock.cpu_speed_mhz == 0.0f) {
        say("verify: the running clock is not checked: the CPU speed cannot be measured here");
    } else {
        const double measured = clock.cpu_speed_mhz;
        if (std::fabs(measured - meant) > kSpeedToleranceMhz + kSpeedToleranceShare * meant) {
            say(
                format("verify: the CPU runs at %.0f MHz, but a CPU external clock of %.1f MHz "
                       "would make it about %.0f MHz: the chip does not run the new clock",
                       measured, double{clock.cpu_ext_mhz}, meant));
            same = false;
        }
    }
    if (same) {
        say("verify: the chip holds and runs what was set");
    }
    return same;
}

}  // namespace vantrel::cli
