#include "win32/program.h"

#include <optional>
#include <string>

#include "app/core/program_records.h"
#include "app/core/setup_app.h"
#include "app/core/startup_load.h"
#include "bus/smbus_controller.h"
#include "bus/smbus_host.h"
#include "clockgen/clock_state.h"
#include "cpu/cpu_info.h"
#include "platform/windows/win32_port_io.h"
#include "platform/windows/win32_registry.h"
#include "platform/windows/win32_system.h"
#include "platform/windows/win32_timing.h"
#include "platform/x86/native_cpu.h"
#include "res/dialog_templates.h"
#include "sim/board_options.h"
#include "sim/sim_board.h"
#include "ui/cpu_speed_meter.h"
#include "ui/main_dialog.h"
#include "ui/message_boxes.h"
#include "win32/command_line.h"
#include "win32/framework.h"

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

// Where the program's hardware operations go: this machine, or a simulated board.
class Machine {
  public:
    // Sets up the simulated board from its options; false (with the reason shown) when they
    // cannot be used.
    bool simulate(const std::string& option_text) {
        sim::BoardOptions options;
        std::string error;
        if (!sim::parse_board_options(option_text, options, error)) {
            say("/simulate: " + error + "\n\n" + usage_text(), MB_ICONHAND);
            return false;
        }
        std::string dump;
        if (!options.dump_path.empty() &&
            !platform::read_file(options.dump_path, sim::kMaxDumpFileBytes, dump, error)) {
            say("/simulate: " + error, MB_ICONHAND);
            return false;
        }
        board_.emplace();
        std::string notice;
        if (!sim::apply_board_options(options, dump, *board_, error, notice)) {
            say("/simulate: " + error, MB_ICONHAND);
            return false;
        }
        if (!notice.empty()) {
            say("/simulate: " + notice, MB_ICONINFORMATION);
        }
        io_ = &*board_;
        cpu_ = &board_->cpu();
        timing_ = &board_->cpu();
        if (options.real_pauses) {
            paced_.emplace(board_->time(), real_sleeper_);
            sleeper_ = &*paced_;
        } else {
            sleeper_ = &board_->time();
        }
        return true;
    }

    // Leaves the ports alone, as on the NT family: every read answers as an empty bus.
    void refuse_ports() { io_ = &refused_io_; }

    PortIo& io() { return *io_; }
    Sleeper& sleeper() { return *sleeper_; }
    CpuInstructions& cpu() { return *cpu_; }
    SystemTiming& timing() { return *timing_; }

  private:
    platform::Win32PortIo real_io_;
    platform::RefusedPortIo refused_io_;
    platform::NativeCpu real_cpu_;
    platform::Win32Timing real_timing_;
    platform::Win32Sleeper real_sleeper_;
    std::optional<sim::SimBoard> board_;
    std::optional<sim::PacedSleeper> paced_;

    PortIo* io_ = &real_io_;
    Sleeper* sleeper_ = &real_sleeper_;
    CpuInstructions* cpu_ = &real_cpu_;
    SystemTiming* timing_ = &real_timing_;
};

int clear_guard(platform::Win32Registry& registry) {
    platform::RegistryBootGuard guard(registry.create_or_open(kSettingsKeyPath));
    Win32MessageBoxes messages;
    return clear_boot_guard(guard, messages) ? kExitDone : kExitFailed;
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
    const MainDialogEnvironment env{framework.controls(), window,
                                    load.messages(),      meter,
                                    machine.io(),         machine.sleeper(),
                                    records.controller,   records.device_address,
                                    records.shadow,       records.clock,
                                    records.settings_key};
    MainDialog dialog(env);
    const StartupLoadOutcome outcome = load.run(dialog, records.settings_key);
    framework.destroy_hidden(hidden);
    return outcome == StartupLoadOutcome::Applied ? kExitDone : kExitFailed;
}

int open_dialog(HINSTANCE instance, platform::Win32Registry& registry, Machine& machine,
                ProgramRecords& records) {
    Win32DialogFramework framework(instance);
    Win32CautionNotice caution(instance, framework);
    MeasuredCpuSpeed meter(records.clock, machine.cpu(), machine.timing(), records.vendor);
    const MainDialogEnvironment env{
        framework.controls(), framework.window(), framework.messages(), meter,
        machine.io(),         machine.sleeper(),  records.controller,   records.device_address,
        records.shadow,       records.clock,      records.settings_key};
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

    Machine machine;
    if (command.simulate) {
        if (!machine.simulate(command.board_options)) {
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
        if (refusal != nullptr) {
            error_box(refusal);
            if (command.load) {
                return kExitFailed;
            }
            machine.refuse_ports();
        }
    }

    ProgramRecords records;
    if (command.load) {
        return load_at_start(instance, registry, machine, records);
    }
    return open_dialog(instance, registry, machine, records);
}

}  // namespace vantrel::win32
