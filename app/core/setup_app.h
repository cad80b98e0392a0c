// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "app/core/caution_notice.h"
#include "ui/main_dialog.h"
#include "ui/registry.h"

namespace vantrel {

// The dialog framework's side of start-up: the 3-D look and the main dialog's modal run.
class DialogFramework {
  public:
    virtual ~DialogFramework() = default;
    virtual void enable_3d_controls() = 0;
    // Creates the dialog's window from res::kMainDialog, runs on_init_dialog and routes events to
    // the dialog until the user closes it.
    virtual void run_modal(MainDialog& dialog) = 0;
};

// The application object: one start-up routine, after which the program ends.
class SetupApp {
  public:
    SetupApp(DialogFramework& framework, Registry& registry, CautionNotice& caution,
             SettingsKey& settings_key, const MainDialogEnvironment& dialog_env)
        : framework_(framework),
          registry_(registry),
          caution_(caution),
          settings_key_(settings_key),
          dialog_env_(dialog_env) {}

    // Opens the settings key for the rest of the run, shows the caution notice when it is due
    // and runs the main dialog. Returns false: no message loop follows.
    bool start_up();

  private:
    void show_caution_if_due(RegistryKey& key);

    DialogFramework& framework_;
    Registry& registry_;
    CautionNotice& caution_;
    SettingsKey& settings_key_;
    MainDialogEnvironment dialog_env_;
};

}  // namespace vantrel
