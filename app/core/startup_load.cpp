// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/core/startup_load.h"

#include "ui/main_dialog.h"
#include "ui/registry.h"

namespace vantrel {

StartupLoadResult StartupLoad::run(MainDialog& dialog, const SettingsKey& settings_key) {
    if (settings_key.key == nullptr) {
        // The dialog takes no button before a chip has been found, and no port may be touched
        // to find one, so the load stops here where "Load Settings" would stop at once.
        return {StartupLoadOutcome::NoSettingsKey, {}};
    }
    std::string failure;
    if (guard_.present(failure)) {
        return {StartupLoadOutcome::GuardPresent, failure};
    }
    if (!guard_.set()) {
        return {StartupLoadOutcome::GuardNotSet, {}};
    }

    const unsigned before = counter_.count();
    dialog.on_init_dialog();
    if (counter_.count() == before) {
        dialog.load_settings();
    }
    if (counter_.count() != before) {
        // The guard stays either way: a cause that cannot be recorded only leaves it unsaid.
        guard_.record_failure(counter_.last());
        return {StartupLoadOutcome::Failed, counter_.last()};
    }
    if (!guard_.clear()) {
        return {StartupLoadOutcome::GuardNotCleared, {}};
    }
    return {StartupLoadOutcome::Applied, {}};
}

}  // namespace vantrel
