// SPDX-License-Identifier: GPL-2.0-or-later
#include "win32/startup_messages.h"

#include "res/dialog_templates.h"

namespace vantrel::win32 {

namespace {

void error(MessageBoxes& messages, std::string_view text) {
    messages.show(text, kErrorCaption, MessageButtons::Ok, MessageIcon::None);
}

}  // namespace

void tell_startup_load(const StartupLoadResult& result, MessageBoxes& messages) {
    switch (result.outcome) {
        case StartupLoadOutcome::Applied:
            return;
        case StartupLoadOutcome::NoSettingsKey:
            // What "Load Settings" says without the key.
            error(messages, "Cannot Load Settings!");
            return;
        case StartupLoadOutcome::GuardPresent:
            error(messages, kGuardPresentText);
            return;
        case StartupLoadOutcome::GuardNotSet:
            error(messages, kGuardNotSetText);
            return;
        case StartupLoadOutcome::Failed:
            // The cause is on the screen already: it is the message the dialog showed.
            error(messages, kApplyFailedText);
            return;
        case StartupLoadOutcome::GuardNotCleared:
            error(messages, kAppliedGuardStaysText);
            return;
    }
}

bool clear_boot_guard(BootGuard& guard, MessageBoxes& messages) {
    if (!guard.clear()) {
        error(messages, kGuardNotClearedText);
        return false;
    }
    messages.show(kGuardClearedText, res::kMainDialogTitle, MessageButtons::Ok, MessageIcon::None);
    return true;
}

}  // namespace vantrel::win32
