// SPDX-License-Identifier: GPL-2.0-or-later
#include "win32/program.h"

#include <memory>
#include <string>

#include "app/core/program_records.h"
#include "app/core/setup_app.h"
#include "app/core/startup_load.h"
#include "bus/port_io.h"
#include "bus/smbus_backend.h"
#include "bus/smbus_controller.h"
#include "clockgen/clock_state.h"
#include "cpu/cpu_info.h"
#include "platform/windows/registry_boot_guard.h"
#include "platform/windows/win32_port_io.h"
#include "platform/windows/win32_registry.h"
#include "platform/windows/win32_system.h"
#include "platform/windows/win32_timing.h"
#include "platform/x86/native_cpu.h"
#include "res/dialog_templates.h"
#include "sim/board_options.h"
#include "sim/simulated_machine.h"
#include "ui/cpu_speed_meter.h"
#include "ui/hidden_dialog_window.h"
#include "ui/machine.h"
#include "ui/main_dialog.h"
#include "ui/message_boxes.h"
#include "win32/command_line.h"
#include "win32/framework.h"
#include "win32/startup_messages.h"

namespace vantrel::win32 {

namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr char kPortsRefused[] =
    "Vantrel reaches the clock generator through the processor's I/O ports, which this system "
    "does not let a program use: Windows NT, 2000 and XP forbid it (in a Windows 98 "
    "compatibility mode too), and so do emulators that keep the ports to themselves.\n\n"
    "The hardware is left alone. Vantrel runs on Windows 95 and 98; \"vantrel.exe /simulate\" "
    "shows it on a simulated board.";

constexpr char kWineRefused[] =
    "Vantrel is running under Wine. The I/O ports a program sees under Wine are Wine's own (or "
    "ports of the machine Wine runs on), never those of the board's SMBus controller, so this "
    "program does not touch them.\n\n"
    "The hardware is left alone. On Linux, use the Linux program \"vantrel\", which reaches the "
    "clock generator through the kernel; \"vantrel.exe /simulate\" shows this program on a "
    "simulated board.";

constexpr char kClockChipInUse[] =
    "Another Vantrel program is using the clock chip; only one may drive it at a time, or their "
    "transfers would interleave on the bus.\n\n"
    "Close the other one (or wait for its /load to end), then start Vantrel again.";

constexpr char kClockChipClaimFailed[] =
    "Vantrel could not make sure that no other Vantrel program is using the clock chip, so the "
    "hardware is left alone.";

void say(const std::string& text, UINT icon) {
    const std::string caption(res::kMainDialogTitle);
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_SETFOREGROUND | icon);
}

void error_box(const char* text) {
    const std::string caption(kErrorCaption);
    MessageBoxA(nullptr, text, caption.c_str(), MB_OK | MB_ICONHAND | MB_SETFOREGROUND);
}

// This machine through the program's own port instructions, or, when `refusal` says why they
// may not be used, with its ports left alone: every read then answers as an empty bus.
class ThisMachine : public Machine {
  public:
    ThisMachine(const MachineRecords& records, const char* refusal)
        : ports_(refusal == nullptr ? static_cast<PortIo&>(real_io_) : refused_io_),
          backend_(ports_, sleeper_, records.controller, records.device_address, records.shadow) {
        if (refusal == nullptr) {
            bus_path_ = "direct port I/O";
        } else {
            refusal_ = refusal;
        }
    }

    SmbusBackend& backend() override { return backend_; }
    Sleeper& sleeper() override { return sleeper_; }
    CpuInstructions& cpu() override { return cpu_; }
    SystemTiming& timing() override { return timing_; }

  private:
    platform::Win32PortIo real_io_;
    RefusedPortIo refused_io_;
    PortIo& ports_;
    platform::Win32Sleeper sleeper_;
    platform::NativeCpu cpu_;
    platform::Win32Timing timing_;
    PortSmbusBackend backend_;
};

// The simulated board the /simulate options describe, or nullptr with the reason shown.
std::unique_ptr<Machine> make_simulated(const std::string& option_text, Sleeper& real_time,
                                        const MachineRecords& records) {
    sim::BoardOptions options;
    std::string error;
    if (!sim::parse_board_options(option_text, options, error)) {
        say("/simulate: " + error + "\n\n" + usage_text(), MB_ICONHAND);
        return nullptr;
    }
    std::unique_ptr<sim::SimulatedMachine> machine =
        sim::make_simulated_machine(options, platform::read_file, real_time, records, error);
    if (!machine) {
        say("/simulate: " + error, MB_ICONHAND);
        return nullptr;
    }
    for (const std::string& note : machine->notes()) {
        say("/simulate: " + note, MB_ICONINFORMATION);
    }
    return machine;
}

int clear_guard(platform::Win32Registry& registry) {
    platform::RegistryBootGuard guard(registry.create_or_open(kSettingsKeyPath));
    Win32MessageBoxes messages;
    return clear_boot_guard(guard, messages) ? kExitDone : kExitFailed;
}

// The main dialog's environment, the same for the dialog and for /load but for the window and the
// message boxes: the framework's own, or a hidden window and the start-up load's.
MainDialogEnvironment dialog_environment(Win32DialogFramework& framework, DialogWindow& window,
                                         MessageBoxes& messages, CpuSpeedMeter& meter,
                                         Machine& machine, ProgramRecords& records) {
    return {framework.controls(),
            window,
            messages,
            meter,
            machine.backend(),
            records.controller,
            records.clock,
            records.settings_key};
}

int load_at_start(HINSTANCE instance, platform::Win32Registry& registry, Machine& machine,
                  ProgramRecords& records) {
    platform::Win32RegistryKey* key = registry.create_or_open(kSettingsKeyPath);
    records.settings_key.key = key;
    platform::RegistryBootGuard guard(key);
    Win32MessageBoxes messages;
    StartupLoad load(messages, guard);

    Win32DialogFramework framework(instance);
    const HWND hidden = framework.create_hidden();
    if (hidden == nullptr) {
        error_box(
            "The saved clock settings were not applied: the program's window could not be "
            "made.");
        return kExitFailed;
    }
    MeasuredCpuSpeed meter(records.clock, machine.cpu(), machine.timing(), records.vendor);
    HiddenDialogWindow window;
    MainDialog dialog(
        dialog_environment(framework, window, load.messages(), meter, machine, records));
    const StartupLoadResult result = load.run(dialog, records.settings_key);
    tell_startup_load(result, messages);
    framework.destroy_hidden(hidden);
    return result.outcome == StartupLoadOutcome::Applied ? kExitDone : kExitFailed;
}

int open_dialog(HINSTANCE instance, platform::Win32Registry& registry, Machine& machine,
                ProgramRecords& records) {
    Win32DialogFramework framework(instance);
    Win32CautionNotice caution(instance, framework);
    MeasuredCpuSpeed meter(records.clock, machine.cpu(), machine.timing(), records.vendor);
    const MainDialogEnvironment env = dialog_environment(
        framework, framework.window(), framework.messages(), meter, machine, records);
    SetupApp app(framework, registry, caution, records.settings_key, env);
    app.start_up();
    return kExitDone;
}

}  // namespace

int run_program(HINSTANCE instance, const char* command_line) {
    CommandLine command;
    std::string error;
    if (!parse_command_line(command_line != nullptr ? command_line : "", command, error)) {
        say(error + "\n\n" + usage_text(), MB_ICONHAND);
        return kExitUsage;
    }
    if (command.help) {
        say(usage_text(), MB_ICONINFORMATION);
        return kExitDone;
    }

    platform::Win32Registry registry;
    if (command.clear_guard) {
        return clear_guard(registry);
    }

    ProgramRecords records;
    platform::Win32Sleeper real_time;  // for a simulated board whose pauses are felt
    std::unique_ptr<Machine> machine;
    if (command.simulate) {
        machine = make_simulated(command.board_options, real_time, records.machine_records());
        if (!machine) {
            return kExitUsage;
        }
    } else {
        // Claimed before anything else of the hardware path, the port probe included; an
        // instance that then finds the ports refused keeps the claim until it ends.
        const platform::ClockChipClaim claim = platform::claim_clock_chip();
        if (claim != platform::ClockChipClaim::Claimed) {
            error_box(claim == platform::ClockChipClaim::HeldElsewhere ? kClockChipInUse
                                                                       : kClockChipClaimFailed);
            return kExitFailed;
        }
        const char* refusal = platform::under_wine() ? kWineRefused
                              : platform::nt_family() || !platform::user_port_access_allowed()
                                  ? kPortsRefused
                                  : nullptr;
        machine = std::make_unique<ThisMachine>(records.machine_records(), refusal);
        if (!machine->refusal().empty()) {
            error_box(machine->refusal().c_str());
            if (command.load) {
                return kExitFailed;
            }
        }
    }

    if (command.load) {
        return load_at_start(instance, registry, *machine, records);
    }
    return open_dialog(instance, registry, *machine, records);
}

}  // namespace vantrel::win32
