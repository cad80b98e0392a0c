// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/main_dialog.h"

#include "clockgen/clock_chip.h"
#include "clockgen/frequency_model.h"
#include "clockgen/registers.h"
#include "res/resource_ids.h"
#include "ui/frequency_fields.h"

namespace vantrel {

namespace {

// Disabled, in this order, when initialisation finds no controller or no clock generator. The
// spread-spectrum box and the frequency fields stay enabled.
constexpr int kSettingControls[] = {
    IDC_GENERATOR,     IDC_SM_TYPE,      IDC_FREQ_EDIT,    IDC_DELAY_CPU,    IDC_DELAY_PCI,
    IDC_DELAY_SDRAM,   IDC_DELAY_3V66,   IDC_SPREAD_DEPTH, IDC_SPREAD_MODEL, IDC_LOAD_SETTINGS,
    IDC_SAVE_SETTINGS, IDC_RUN_SETTINGS, IDC_FREQ_SLIDER,
};

constexpr char kGeneratorName[] = "VXC 812-07 ";

}  // namespace

MainDialog::MainDialog(const MainDialogEnvironment& env)
    : env_(env),
      backend_(env.backend),
      apply_(env.controls, env.messages, backend_.transfers(), env.clock, env.cpu),
      store_(env.controls, env.messages, env.settings_key, backend_.transfers().shadow(), env.clock,
             apply_),
      main_icon_(env.window.load_icon(IDR_MAINFRAME)) {}

void MainDialog::stop_error(const char* text) {
    env_.messages.show(text, kErrorCaption, MessageButtons::Ok, MessageIcon::Stop);
}

bool MainDialog::on_init_dialog() {
    DialogControls& controls = env_.controls;
    env_.window.set_icon(IconKind::Big, main_icon_);
    env_.window.set_icon(IconKind::Small, main_icon_);

    if (!backend_.detect_smbus_controller()) {
        stop_error("Cannot Get SM Base Address!");
        disable_setting_controls();
        return true;
    }
    controls.set_text(IDC_SM_TYPE, chipset_display_name(env_.controller.kind));

    ClockChip chip(backend_.transfers(), env_.clock);
    if (!chip.detect()) {
        stop_error("Cannot Find VXC812-07 Clock Generator!");
        disable_setting_controls();
        return true;
    }
    controls.set_text(IDC_GENERATOR, kGeneratorName);

    const SliderRange range = slider_range(env_.clock.cpu_divider);
    controls.set_slider_minimum(IDC_FREQ_SLIDER, range.minimum);
    controls.set_slider_maximum(IDC_FREQ_SLIDER, range.maximum);
    controls.set_slider_tick_frequency(IDC_FREQ_SLIDER, kSliderTickFrequency);
    controls.set_slider_position(IDC_FREQ_SLIDER, static_cast<int>(env_.clock.cpu_ext_mhz));

    const ClockState& clock = env_.clock;
    controls.select(IDC_DELAY_CPU, clock.delay_cpu);
    controls.select(IDC_DELAY_PCI, clock.delay_pci);
    controls.select(IDC_DELAY_SDRAM, clock.delay_sdram);
    controls.select(IDC_DELAY_3V66, clock.delay_3v66);
    controls.select(IDC_SPREAD_DEPTH, clock.spread_depth);
    controls.select(IDC_SPREAD_MODEL, clock.spread_model);

    if ((backend_.transfers().shadow()[REG00] & kReg00SpreadEnable) != 0) {
        controls.set_check_state(IDC_SPREAD_ENABLE, kBstChecked);
    } else {
        controls.set_check_state(IDC_SPREAD_ENABLE, kBstUnchecked);
        controls.enable(IDC_SPREAD_DEPTH, false);
        controls.enable(IDC_SPREAD_MODEL, false);
    }

    hardware_found_ = true;
    env_.cpu.refresh_cpu_speed();
    show_frequencies();
    return true;
}

void MainDialog::disable_setting_controls() {
    for (const int id : kSettingControls) {
        env_.controls.enable(id, false);
    }
}

void MainDialog::show_frequencies() {
    vantrel::show_frequencies(env_.controls, env_.clock);
}

bool MainDialog::on_command(int control_id, int notification) {
    if (notification != kBnClicked) {
        return false;
    }
    switch (control_id) {
        case IDC_RUN_SETTINGS:
            run_settings();
            return true;
        case IDC_SAVE_SETTINGS:
            save_settings();
            return true;
        case IDC_LOAD_SETTINGS:
            load_settings();
            return true;
        case IDC_SPREAD_ENABLE:
            on_spread_clicked();
            return true;
        default:
            return false;
    }
}

void MainDialog::run_settings() {
    if (hardware_found_) {
        apply_.run_settings();
    }
}

void MainDialog::save_settings() {
    if (hardware_found_) {
        store_.save_settings();
    }
}

void MainDialog::load_settings() {
    if (hardware_found_) {
        store_.load_settings();
    }
}

void MainDialog::on_slider_scroll() {
    if (!hardware_found_) {
        return;
    }
    const int position = env_.controls.slider_position(IDC_FREQ_SLIDER);
    env_.controls.set_text(IDC_FREQ_EDIT, format_target_text(position));
}

void MainDialog::on_spread_clicked() {
    const int state = env_.controls.check_state(IDC_SPREAD_ENABLE);
    if (state == kBstChecked || state == kBstUnchecked) {
        env_.controls.enable(IDC_SPREAD_DEPTH, state == kBstChecked);
        env_.controls.enable(IDC_SPREAD_MODEL, state == kBstChecked);
    }
}

void MainDialog::on_paint() {
    DialogWindow& window = env_.window;
    if (!window.minimised()) {
        window.default_paint();
        return;
    }
    window.begin_paint();
    window.erase_icon_background();
    const PixelSize icon = window.system_icon_size();
    const PixelSize client = window.client_size();
    window.draw_icon(main_icon_, (client.width - icon.width + 1) / 2,
                     (client.height - icon.height + 1) / 2);
    window.end_paint();
}

}  // namespace vantrel
