// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "bus/smbus_backend.h"
#include "bus/smbus_controller.h"
#include "bus/smbus_transfers.h"
#include "clockgen/clock_state.h"
#include "res/resource_ids.h"
#include "ui/apply_workflow.h"
#include "ui/cpu_speed_meter.h"
#include "ui/dialog_controls.h"
#include "ui/dialog_window.h"
#include "ui/message_boxes.h"
#include "ui/registry.h"
#include "ui/settings_store.h"

namespace vantrel {

// A button's click notification, the only command notification the dialog handles.
inline constexpr int kBnClicked = 0;

// Everything the main dialog reaches outside itself: the front end's seams, the board, and the
// program-wide records, all owned by the caller.
struct MainDialogEnvironment {
    DialogControls& controls;
    DialogWindow& window;
    MessageBoxes& messages;
    CpuSpeedMeter& cpu;
    // How the bus is reached; it keeps `controller` as the record it fills.
    SmbusBackend& backend;
    SmbusController& controller;
    ClockState& clock;
    const SettingsKey& settings_key;
};

// The main dialog's logic, bound to its window through the seams. A front end creates the
// controls from res::kMainDialog, calls on_init_dialog once, and routes its events to the
// handlers below.
class MainDialog {
  public:
    explicit MainDialog(const MainDialogEnvironment& env);
    MainDialog(const MainDialog&) = delete;
    MainDialog& operator=(const MainDialog&) = delete;

    static constexpr int template_id() { return IDD_MAIN; }

    // Always true: the dialog manager then places the initial focus.
    bool on_init_dialog();

    void disable_setting_controls();
    void show_frequencies();

    // The event table. on_command returns false for a command the dialog leaves to the default
    // handling.
    bool on_command(int control_id, int notification);
    void on_slider_scroll();
    void on_spread_clicked();
    void on_paint();
    IconHandle on_query_drag_icon() const { return main_icon_; }

    // Until initialisation has found the controller and the clock generator these three and
    // the slider handler do nothing: a disabled control is not the only way an event arrives,
    // and none may reach the bus. The check box still governs the two lists after a failed
    // initialisation; its handler never touches the bus.
    void run_settings();
    void save_settings();
    void load_settings();

    const SettingsStore& settings_store() const { return store_; }
    const ApplyWorkflow& apply_workflow() const { return apply_; }
    // Keeps the chip's settings before each change "Run Settings" or "Load Settings" sends.
    void set_change_backup(ChangeBackup* backup) { apply_.set_backup(backup); }

  private:
    void stop_error(const char* text);

    MainDialogEnvironment env_;
    SmbusBackend& backend_;
    ApplyWorkflow apply_;
    SettingsStore store_;
    IconHandle main_icon_;
    bool hardware_found_ = false;
};

}  // namespace vantrel
