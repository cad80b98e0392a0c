// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl/dialog_session.h"

#include "clockgen/clock_chip.h"
#include "ctl/ctl_report.h"
#include "ctl/failure_text.h"
#include "res/dialog_templates.h"
#include "res/resource_ids.h"

namespace vantrel::cli {

void ConsoleMessageBoxes::show(std::string_view text, std::string_view caption, MessageButtons,
                               MessageIcon) {
    console_.err(std::string(caption) + ": " + std::string(text) + "\n");
    shown_.emplace_back(text);
    const TransferFailure& failure = transfers_.last_failure();
    if (failure.sequence != reported_) {
        reported_ = failure.sequence;
        console_.err("vantrelctl: " + failure_text(failure) + "\n");
    }
}

ConsoleDialogControls::ConsoleDialogControls(Console& console)
    : MemoryDialogControls(res::kMainDialog), console_(console) {}

void ConsoleDialogControls::misuse(const std::string& what) const {
    console_.err("vantrelctl: internal error: " + what + "\n");
}

DialogSession::DialogSession(Machine& machine, ProgramRecords& records, Console& console,
                             bool dry_run)
    : machine_(machine),
      dry_(dry_run ? std::make_unique<DryRunBackend>(machine.backend()) : nullptr),
      backend_(dry_ ? *dry_ : machine.backend()),
      console_(console),
      settings_key_(records.settings_key),
      clock_(records.clock),
      vendor_(records.vendor),
      controller_(records.controller),
      device_(records.device_address),
      shadow_(records.shadow),
      controls_(console),
      messages_(console, machine.backend().transfers()),
      cpu_meter_(clock_, machine.cpu(), machine.timing(), vendor_),
      dialog_({controls_, window_, messages_, cpu_meter_, backend_, controller_, clock_,
               settings_key_}) {}

void DialogSession::click(int control_id) {
    dialog_.on_command(control_id, kBnClicked);
}

std::optional<int> DialogSession::load_target() const {
    return dialog_.settings_store().load_target();
}

bool DialogSession::open() {
    const std::size_t before = messages();
    dialog_.on_init_dialog();
    return quiet_since(before);
}

bool DialogSession::run_settings() {
    return press(Button::Run);
}

bool DialogSession::save_settings() {
    return press(Button::Save);
}

bool DialogSession::load_settings() {
    return press(Button::Load);
}

bool DialogSession::press(Button button) {
    static constexpr int kIds[] = {IDC_RUN_SETTINGS, IDC_SAVE_SETTINGS, IDC_LOAD_SETTINGS};
    const std::size_t before = messages();
    last_button_ = button;
    click(kIds[static_cast<std::size_t>(button)]);
    if (quiet_since(before)) {
        return true;
    }
    const SettingsVerdict& verdict = dialog_.settings_store().last_verdict();
    if (button == Button::Run ||
        (button == Button::Load && verdict.outcome == SettingsVerdict::Outcome::Valid)) {
        explain_apply();
    } else {
        for (const std::string& line :
             settings_reasons(verdict, settings_file_, clock_, button == Button::Save)) {
            reason(line);
        }
    }
    return false;
}

void DialogSession::explain_apply() {
    const ApplyOutcome& outcome = dialog_.apply_workflow().last_outcome();
    if (outcome.stop == ApplyOutcome::Stop::InvalidFrequency) {
        reason(frequency_reason(outcome, clock_));
    } else {
        reason(running_text(shadow_, clock_));
    }
}

void DialogSession::reason(const std::string& text) {
    say(console_, text);
}

bool DialogSession::refused_input() const {
    if (!last_button_) {
        return false;
    }
    const SettingsVerdict::Outcome outcome = dialog_.settings_store().last_verdict().outcome;
    switch (*last_button_) {
        case Button::Run:
            return dialog_.apply_workflow().last_outcome().stop ==
                   ApplyOutcome::Stop::InvalidFrequency;
        case Button::Load:
            // A file that is there but cannot be read is a failure of the file, not of its
            // content.
            if (outcome == SettingsVerdict::Outcome::Crushed) {
                return settings_file_.registry == nullptr ||
                       settings_file_.registry->finding() != platform::FileFinding::Unusable;
            }
            return outcome == SettingsVerdict::Outcome::Invalid;
        case Button::Save:
            break;
    }
    return false;
}

const TransferFailure* DialogSession::last_failure() const {
    const TransferFailure& failure = machine_.backend().transfers().last_failure();
    return failure.sequence == 0 ? nullptr : &failure;
}

bool DialogSession::read_registers(std::span<const std::uint8_t> registers,
                                   RegisterReadback& values) {
    values.fill(std::nullopt);
    SmbusTransfers& host = backend_.transfers();
    ClockChip chip(host, clock_);
    // The chip answers one-register reads only in enhanced mode.
    if (!chip.enter_enhanced_mode()) {
        return false;
    }
    for (const std::uint8_t reg : registers) {
        std::uint8_t value = 0;
        if (reg < values.size() && host.read_register(reg, value)) {
            values[reg] = value;
        }
    }
    return chip.leave_enhanced_mode() != 0;
}

bool DialogSession::hold_writes() {
    DryRunTransfers& dry = *dry_run();
    std::vector<std::uint8_t> unread;
    for (std::uint8_t reg = 0; reg < kClockChipRegisterCount; ++reg) {
        if (!dry.known(reg)) {
            unread.push_back(reg);
        }
    }
    const TransferFailure* earlier = last_failure();
    const unsigned failures = earlier == nullptr ? 0 : earlier->sequence;
    RegisterReadback values;
    const bool read = unread.empty() || read_registers(unread, values);
    std::string missing;
    for (const std::uint8_t reg : unread) {
        if (!dry.known(reg)) {
            missing += (missing.empty() ? "" : ", ") + register_name(reg);
        }
    }
    if (!read || !missing.empty()) {
        const TransferFailure* failure = last_failure();
        if (failure != nullptr && failure->sequence == failures) {
            failure = nullptr;  // one from before these reads
        }
        console_.err("vantrelctl: dry run: " +
                     (read ? missing + " could not be read"
                           : std::string("the chip's enhanced mode, in which its registers can be "
                                         "read, could not be entered or left")) +
                     ", so what the apply would write cannot be worked out" +
                     (failure ? " (" + failure_text(*failure) + ")" : std::string()) + "\n");
        return false;
    }
    dry.hold();
    return true;
}

}  // namespace vantrel::cli
