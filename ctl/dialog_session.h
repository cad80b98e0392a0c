// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/core/program_records.h"
#include "bus/dry_run_transfers.h"
#include "bus/smbus_controller.h"
#include "bus/smbus_host.h"
#include "clockgen/clock_state.h"
#include "cpu/cpu_info.h"
#include "ctl/console.h"
#include "ctl/reason_text.h"
#include "ui/cpu_speed_meter.h"
#include "ui/dialog_window.h"
#include "ui/hidden_dialog_window.h"
#include "ui/machine.h"
#include "ui/main_dialog.h"
#include "ui/memory_dialog_controls.h"
#include "ui/message_boxes.h"
#include "ui/registry.h"

namespace vantrel::cli {

// Message boxes of a program without windows: each one a line on standard error, as
// "Caption: text", and kept for the program to count.
class ConsoleMessageBoxes : public MessageBoxes {
  public:
    // After a message that a failed transfer caused, says which and why on a line of its own.
    ConsoleMessageBoxes(Console& console, const SmbusTransfers& transfers)
        : console_(console), transfers_(transfers) {}
    void show(std::string_view text, std::string_view caption, MessageButtons buttons,
              MessageIcon icon) override;
    const std::vector<std::string>& shown() const { return shown_; }

  private:
    Console& console_;
    const SmbusTransfers& transfers_;
    unsigned reported_ = 0;  // the sequence of the last failure said
    std::vector<std::string> shown_;
};

// The in-memory controls, saying on the console when the dialog logic calls one wrongly (a bug
// that a window would hide as a control that does not react).
class ConsoleDialogControls : public MemoryDialogControls {
  public:
    explicit ConsoleDialogControls(Console& console);

  protected:
    void misuse(const std::string& what) const override;

  private:
    Console& console_;
};

// The registers a read-back gives: a value for each register read, none for one that failed.
using RegisterReadback = std::array<std::optional<std::uint8_t>, kClockChipRegisterCount>;

// The main dialog's logic over in-memory controls on one machine and its bus, with the other
// program-wide records it needs; every message goes to the console. The command line drives it
// as a user drives the dialog: it opens it, sets the controls and presses the buttons.
class DialogSession {
  public:
    // A dry run's session finds the chip on the machine's bus as any other; after hold_writes()
    // nothing more reaches it.
    DialogSession(Machine& machine, ProgramRecords& records, Console& console,
                  bool dry_run = false);
    DialogSession(const DialogSession&) = delete;
    DialogSession& operator=(const DialogSession&) = delete;

    // The dialog's initialisation: finds the controller and the chip and measures the CPU.
    // False when it said either was not found.
    bool open();

    // A click on a button or the check box, as the user's.
    void click(int control_id);
    // The buttons; each true when it showed no message. Under a message each says why, from
    // what the dialog's checks found: a refused request or file, or what the chip now runs.
    bool run_settings();
    bool save_settings();
    bool load_settings();
    // Whether the last button stopped at a check of what it was given (the frequency asked
    // for, the saved settings) rather than at the chip, the bus or the file system.
    bool refused_input() const;

    // The settings file behind the settings key, for saying what is wrong with it.
    void set_settings_file(SettingsFile file) { settings_file_ = std::move(file); }

    // Reads the registers named one by one in the chip's enhanced mode, leaving it afterwards.
    // False when enhanced mode could not be entered or left; the registers read are given
    // either way.
    bool read_registers(std::span<const std::uint8_t> registers, RegisterReadback& values);

    // A dry run's: reads the registers no transfer has delivered yet, so that every read of an
    // apply can be answered, then keeps every later write off the bus. False, having said why,
    // when a register could not be read.
    bool hold_writes();
    // The dry run's transfers, or nullptr in a session that writes.
    DryRunTransfers* dry_run() { return dry_ ? &dry_->transfers() : nullptr; }

    // The CPU external clock, in whole MHz, that "Load Settings" would ask the apply for, as the
    // settings store answers it. nullopt when the store would refuse the saved set (it says why
    // when the real load runs).
    std::optional<int> load_target() const;

    MemoryDialogControls& controls() { return controls_; }
    const MemoryDialogControls& controls() const { return controls_; }
    ClockState& clock() { return clock_; }
    const RegisterShadow& shadow() const { return shadow_; }
    const SmbusController& controller() const { return controller_; }
    const DeviceAddress& device_address() const { return device_; }
    const std::string& bus_path() const { return machine_.bus_path(); }
    bool simulated() const { return machine_.simulated(); }
    std::size_t messages() const { return messages_.shown().size(); }
    // Every message shown, in order.
    const std::vector<std::string>& shown() const { return messages_.shown(); }
    // The last transfer that failed in this run, if any did.
    const TransferFailure* last_failure() const;
    // Keeps the chip's settings before each change an apply sends; nullptr for none.
    void set_change_backup(ChangeBackup* backup) { dialog_.set_change_backup(backup); }
    // Measures the CPU again into ClockState, as the dialog does after an apply.
    void refresh_cpu_speed() { cpu_meter_.refresh_cpu_speed(); }

  private:
    bool quiet_since(std::size_t before) const { return messages() == before; }
    enum class Button : std::uint8_t { Run, Save, Load };
    // Presses the button and says why under what it showed; true when it showed nothing.
    bool press(Button button);
    void explain_apply();
    void reason(const std::string& text);

    Machine& machine_;
    std::unique_ptr<DryRunBackend> dry_;
    SmbusBackend& backend_;  // the machine's, or the dry run's over it
    Console& console_;
    const SettingsKey& settings_key_;
    ClockState& clock_;
    VendorFlag& vendor_;
    SmbusController& controller_;
    const DeviceAddress& device_;
    RegisterShadow& shadow_;
    ConsoleDialogControls controls_;
    HiddenDialogWindow window_;
    ConsoleMessageBoxes messages_;
    MeasuredCpuSpeed cpu_meter_;
    MainDialog dialog_;
    SettingsFile settings_file_;
    std::optional<Button> last_button_;
};

}  // namespace vantrel::cli
