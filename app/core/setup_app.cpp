// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/core/setup_app.h"

#include <cstdint>

namespace vantrel {

namespace {

constexpr char kCautionValue[] = "Caution";

}  // namespace

bool SetupApp::start_up() {
    framework_.enable_3d_controls();
    MainDialog dialog(dialog_env_);

    // Opened once and never closed: the settings store uses this key for the rest of the run.
    settings_key_.key = registry_.create_or_open(kSettingsKeyPath);
    if (settings_key_.key != nullptr) {
        show_caution_if_due(*settings_key_.key);
    }

    framework_.run_modal(dialog);
    return false;
}

void SetupApp::show_caution_if_due(RegistryKey& key) {
    std::uint32_t caution = 0;
    if (key.query_dword(kCautionValue, caution) && caution == 0) {
        return;
    }
    // A notice that could not be shown stores -1, which keeps it due at the next start.
    const int result = caution_.run();
    key.set_dword(kCautionValue, static_cast<std::uint32_t>(result));
}

}  // namespace vantrel
