#include "app/cli/vantrelctl.h"

#include <unistd.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/ctl_command.h"
#include "app/cli/ctl_report.h"
#include "app/cli/ctl_safety.h"
#include "app/cli/diagnose.h"
#include "app/cli/dialog_session.h"
#include "app/cli/dry_run_report.h"
#include "app/cli/profiles.h"
#include "clockgen/registers.h"
#include "platform/linux/file_boot_guard.h"
#include "platform/linux/reg_file_registry.h"
#include "res/dialog_templates.h"
#include "res/version_info.h"
#include "sim/board_options.h"
#include "sim/linux/sim_machine.h"

namespace vantrel::cli {

namespace {

// Lines said as one message: `first`, when there is one, then each note.
std::string joined(const std::string& first, const std::vector<std::string>& notes) {
    std::string text = first;
    for (const std::string& note : notes) {
        text += (text.empty() ? "" : "\n") + note;
    }
    return text;
}

class CtlRun {
  public:
    CtlRun(const CtlCommand& command, const CtlEnvironment& env)
        : command_(command),
          env_(env),
          console_(env.console),
          safety_(command, env.terminal, env.console) {}

    int execute();

  private:
    void say(const std::string& text) { cli::say(console_, text); }
    int on_machine(Machine& machine, ProgramRecords& records, bool this_machine);
    bool ask_before_writing();
    int command(DialogSession& session);
    int save(DialogSession& session);
    int change(DialogSession& session);
    int dry_run(DialogSession& session, std::optional<int> target);

    const CtlCommand& command_;
    const CtlEnvironment& env_;
    Console& console_;
    SafetySteps safety_;
    std::optional<platform::FileBootGuard> guard_;
};

int CtlRun::execute() {
    if (command_.at_boot) {
        guard_.emplace(command_.state_dir, *env_.file_calls);
        std::string failure;
        if (guard_->present(failure)) {
            say("not loading the saved settings: the boot guard " + guard_->path() +
                " is still there.\n" + guard_->record() +
                "The machine hung or was reset during the last boot-time load, or that load "
                "failed, so the chip is left alone. Once the saved settings are right, run "
                "'vantrelctl clear-guard'.");
            return kExitRefused;
        }
        // A dry run is refused by a guard as the load would be, but neither sets nor clears it.
        if (command_.dry_run) {
            guard_.reset();
        }
    }

    ProgramRecords records;
    std::string error;
    if (!command_.simulate) {
        std::unique_ptr<Machine> machine =
            env_.make_machine(command_.bus, records.machine_records(), error);
        if (!machine) {
            say(error);
            return kExitRefused;
        }
        if (!machine->refusal().empty()) {
            say(joined(machine->refusal(), machine->notes()));
            return kExitRefused;
        }
        if (!machine->notes().empty()) {
            say(joined({}, machine->notes()));
        }
        return on_machine(*machine, records, true);
    }

    std::unique_ptr<sim::SimulatedMachine> machine = sim::make_simulated_machine(
        command_.board, command_.bus, env_.real_sleeper, records.machine_records(), error);
    if (!machine) {
        say(error);
        return kExitUsage;
    }
    for (const std::string& note : machine->notes()) {
        say("note: " + note);
    }
    int status = kExitRefused;
    if (machine->refusal().empty()) {
        status = on_machine(*machine, records, false);
    } else {
        say(machine->refusal());
    }
    if (env_.board_done) {
        env_.board_done(machine->board());
    }
    return status;
}

bool CtlRun::ask_before_writing() {
    if (command_.yes) {
        return true;
    }
    if (!env_.terminal.interactive()) {
        say("refusing to write to the clock chip of this machine without asking, and there is "
            "no terminal to ask on; give -y to go ahead");
        return false;
    }
    const bool changes_clock =
        (command_.command == Command::Set || command_.command == Command::Load) &&
        !command_.dry_run;
    console_.err(changes_clock
                     ? "vantrelctl: this changes the clock of the running machine; continue? "
                       "[y/N] "
                     : "vantrelctl: finding the clock chip writes to it; continue? [y/N] ");
    if (!is_yes(env_.terminal.read_line(std::nullopt))) {
        say("nothing done");
        return false;
    }
    return true;
}

int CtlRun::on_machine(Machine& machine, ProgramRecords& records, bool this_machine) {
    if (this_machine && !ask_before_writing()) {
        return kExitRefused;
    }
    if (guard_ && !guard_->set()) {
        say(guard_->problem() + "; not loading without a boot guard");
        return kExitRefused;
    }
    // Opened only now: on this machine root has been given up by here, so a settings directory
    // made on the way belongs to the user.
    std::optional<platform::RegFileRegistry> registry;
    SettingsKey& key = records.settings_key;
    if (command_.command == Command::Save || command_.command == Command::Load) {
        registry.emplace(command_.settings_path.empty() ? env_.default_settings_path()
                                                        : command_.settings_path);
        key.key = registry->create_or_open(kSettingsKeyPath);
        if (key.key == nullptr) {
            const std::string& problem = registry->problem();
            say("no settings file" + (problem.empty() ? "" : ": " + problem) +
                (registry->path().empty() ? " (there is no home directory to keep it in)"
                                          : " (" + registry->path() + ")"));
        }
    }
    DialogSession session(machine, records, console_, command_.dry_run);
    const int status = command(session);
    if (guard_) {
        const std::string reason = session.shown().empty()
                                       ? "it ended with status " + std::to_string(status)
                                       : session.shown().back();
        const bool cleared = status == kExitOk ? guard_->clear() : guard_->record_failure(reason);
        if (!cleared) {
            say(guard_->problem());
            return status == kExitOk ? kExitFailed : status;
        }
    }
    return status;
}

int CtlRun::command(DialogSession& session) {
    if (!session.open()) {
        if (command_.json) {
            console_.out(failed_json(session));
        }
        return kExitFailed;
    }
    switch (command_.command) {
        case Command::Show:
            console_.out(command_.json ? show_json(session) : show_text(session));
            return kExitOk;
        case Command::Dump:
            return dump_registers(session, console_) ? kExitOk : kExitFailed;
        case Command::Save:
            return save(session);
        case Command::Set:
        case Command::Load:
            return change(session);
        case Command::None:
        case Command::ClearGuard:
        case Command::Diagnose:
        case Command::Profiles:
        case Command::DeleteProfile:
            break;
    }
    return kExitUsage;
}

int CtlRun::save(DialogSession& session) {
    if (!session.save_settings()) {
        return kExitFailed;
    }
    say("saved the chip's settings");
    return kExitOk;
}

int CtlRun::change(DialogSession& session) {
    const Previous before = remember(session);
    std::optional<int> target;
    if (command_.command == Command::Set) {
        const SetChoices& choices = command_.choices;
        if (choices.spread) {
            set_spread_box(session, *choices.spread ? kBstChecked : kBstUnchecked);
        }
        const std::optional<unsigned> picks[] = {choices.delay_cpu,   choices.delay_pci,
                                                 choices.delay_sdram, choices.delay_3v66,
                                                 choices.depth,       choices.model};
        for (std::size_t i = 0; i < std::size(kLists); ++i) {
            if (picks[i]) {
                session.controls().select(kLists[i], static_cast<int>(*picks[i]));
            }
        }
        // Only a request the apply will take is stepped to; any other goes to it at once and
        // gets its own message.
        if (choices.cpu_ext) {
            const FrequencyRequest request = read_frequency_request(*choices.cpu_ext);
            if (request.kind == FrequencyRequest::Kind::Number &&
                request.mhz >= session.controls().slider_minimum(IDC_FREQ_SLIDER) &&
                request.mhz <= session.controls().slider_maximum(IDC_FREQ_SLIDER)) {
                target = request.mhz;
            }
        }
    } else if (command_.step_mhz) {
        target = session.load_target();
    }
    if (command_.dry_run) {
        return dry_run(session, target);
    }

    if (!safety_.go_to(session, target, command_.command == Command::Load)) {
        if (registers_changed(session, before) && command_.confirm_seconds &&
            !safety_.confirmed()) {
            safety_.put_back(session, before);
        }
        return kExitFailed;
    }
    const bool as_meant = !command_.verify || safety_.verify(session, before);
    if (command_.confirm_seconds && registers_changed(session, before) && !safety_.confirmed()) {
        if (!safety_.put_back(session, before)) {
            return kExitFailed;
        }
        console_.out(show_text(session));
        return kExitNotConfirmed;
    }
    console_.out(show_text(session));
    return as_meant ? kExitOk : kExitVerifyFailed;
}

// The same apply, steps and all, on transfers that keep every write off the bus; what the
// writes would have been and done is printed instead. Nothing is read back or confirmed, as
// nothing has changed.
int CtlRun::dry_run(DialogSession& session, std::optional<int> target) {
    if (!session.hold_writes()) {
        return kExitFailed;
    }
    DryRunTransfers& dry = *session.dry_run();
    const auto spread_on = [&dry] { return (dry.shadow()[REG00] & kReg00SpreadEnable) != 0; };
    const PlanEnd before{session.clock(), spread_on()};
    const bool done = safety_.go_to(session, target, command_.command == Command::Load,
                                    [&](const std::string& heading) {
                                        console_.out(held_writes_text(heading, dry.take_held()));
                                    });
    if (done) {
        PlanEnd after{session.clock(), spread_on()};
        after.clock.cpu_speed_mhz = static_cast<float>(expected_cpu_speed(
            before.clock.cpu_speed_mhz, before.clock.cpu_ext_mhz, after.clock.cpu_ext_mhz));
        console_.out(before_after_text(before, after));
    }
    say("dry run: nothing of the apply was sent to the chip");
    return done ? kExitOk : kExitFailed;
}

int clear_guard(const CtlCommand& command, const CtlEnvironment& env) {
    Console& console = env.console;
    platform::FileBootGuard guard(command.state_dir, *env.file_calls);
    std::string failure;
    const bool was_there = guard.present(failure);
    if (!guard.clear()) {
        console.err(std::string(kProgram) + guard.problem() + "\n");
        return kExitFailed;
    }
    console.err(std::string(kProgram) +
                (was_there ? "boot guard " + guard.path() +
                                 " removed: the next boot-time load applies the saved settings"
                           : "no boot guard at " + guard.path()) +
                "\n");
    return kExitOk;
}

// A profile's file is found before the chip is touched: a load needs one to be there, and
// without a home directory there is nowhere to keep one.
bool profile_usable(const CtlCommand& command, Console& console) {
    if (command.settings_path.empty()) {
        say(console,
            "no profile " + command.profile + " (there is no home directory to keep it in)");
        return false;
    }
    if (command.command == Command::Load && ::access(command.settings_path.c_str(), F_OK) != 0) {
        say(console, "there is no profile " + command.profile + " (" + command.settings_path + ")");
        return false;
    }
    return true;
}

// Where the command's files are when the command line names none: a simulated board's are its
// own, apart from this machine's. False, having said why, when a command needs a state
// directory and a simulated board has none.
bool choose_files(CtlCommand& command, const CtlEnvironment& given, CtlEnvironment& env) {
    if (command.simulate) {
        env.default_settings_path = given.simulated_settings_path;
    }
    if (!command.state_dir.empty()) {
        return true;
    }
    command.state_dir =
        command.simulate ? given.simulated_state_dir() : std::string(platform::kDefaultStateDir);
    const bool needs_state = command.at_boot || command.command == Command::ClearGuard ||
                             command.command == Command::Diagnose;
    if (command.state_dir.empty() && needs_state) {
        say(given.console,
            "no state directory for the simulated board's boot guard (there is no home "
            "directory to keep it in); give --state-dir");
        return false;
    }
    return true;
}

}  // namespace

int run_vantrelctl(std::span<const std::string> args, const CtlEnvironment& given) {
    CtlCommand command;
    std::string error;
    CtlEnvironment env = given;
    if (!parse_ctl_command(args, command, error)) {
        env.console.err(std::string(kProgram) + error + "\nTry 'vantrelctl --help'.\n");
        return kExitUsage;
    }
    if (command.help) {
        env.console.out(ctl_usage());
        return kExitOk;
    }
    if (command.version) {
        env.console.out("vantrelctl " + std::string(res::kVersionString) + "\n");
        return kExitOk;
    }
    if (!choose_files(command, given, env)) {
        return kExitUsage;
    }
    if (command.command == Command::ClearGuard) {
        return clear_guard(command, env);
    }
    if (command.command == Command::Diagnose) {
        return run_diagnose(command, platform::real_access_probe(), env.default_settings_path(),
                            env.console);
    }
    const std::string profiles = profile_directory(env.default_settings_path());
    if (command.command == Command::Profiles) {
        return list_profiles(profiles, env.console);
    }
    if (command.command == Command::DeleteProfile) {
        return delete_profile(profiles, command.profile, env.console);
    }
    if (!command.profile.empty()) {
        command.settings_path = profile_path(env.default_settings_path(), command.profile);
        if (!profile_usable(command, env.console)) {
            return kExitUsage;
        }
    }
    return CtlRun(command, env).execute();
}

}  // namespace vantrel::cli
