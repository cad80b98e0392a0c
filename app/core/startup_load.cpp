#include "app/core/startup_load.h"

#include "res/dialog_templates.h"

namespace vantrel {

void StartupLoad::error(std::string_view text) {
    counter_.show(text, kErrorCaption, MessageButtons::Ok, MessageIcon::None);
}

StartupLoadOutcome StartupLoad::run(MainDialog& dialog, const SettingsKey& settings_key) {
    if (settings_key.key == nullptr) {
        // Without the key "Load Settings" would stop at once with this message; it is said here
        // because the dialog takes no button before a chip has been found, and no port may be
        // touched to find one.
        error("Cannot Load Settings!");
        return StartupLoadOutcome::NoSettingsKey;
    }
    if (guard_.present()) {
        error(kGuardPresentText);
        return StartupLoadOutcome::GuardPresent;
    }
    if (!guard_.set()) {
        error(kGuardNotSetText);
        return StartupLoadOutcome::GuardNotSet;
    }

    const unsigned before = counter_.count();
    dialog.on_init_dialog();
    if (counter_.count() == before) {
        dialog.load_settings();
    }
    if (counter_.count() != before) {
        // The guard stays: the next start shows why instead of trying again.
        error(kApplyFailedText);
        return StartupLoadOutcome::Failed;
    }
    if (!guard_.clear()) {
        error(kAppliedGuardStaysText);
        return StartupLoadOutcome::Failed;
    }
    return StartupLoadOutcome::Applied;
}

bool clear_boot_guard(BootGuard& guard, MessageBoxes& messages) {
    if (!guard.clear()) {
        messages.show(kGuardNotClearedText, kErrorCaption, MessageButtons::Ok, MessageIcon::None);
        return false;
    }
    messages.show(kGuardClearedText, res::kMainDialogTitle, MessageButtons::Ok, MessageIcon::None);
    return true;
}

}  // namespace vantrel
