// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl/vantrelctl.h"

#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "clockgen/registers.h"
#include "ctl/bus_watch.h"
#include "ctl/ctl_command.h"
#include "ctl/ctl_report.h"
#include "ctl/ctl_safety.h"
#include "ctl/diagnose.h"
#include "ctl/dialog_session.h"
#include "ctl/dry_run_report.h"
#include "ctl/previous_profile.h"
#include "ctl/profiles.h"
#include "platform/linux/file_boot_guard.h"
#include "platform/linux/settings/reg_file_registry.h"
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

// The settings file of a save or load: the one --settings names, the profile's, or the
// program's own.
std::string settings_path(const CtlCommand& command, const CtlEnvironment& env) {
    return command.settings_path.empty() ? env.default_settings_path() : command.settings_path;
}

// Whether the path was named with --settings; a profile's path is filled in from its name.
bool named_settings_path(const CtlCommand& command) {
    return !command.settings_path.empty() && command.profile.empty();
}

// The one decision on making directories: only the program's own configuration directory (the
// settings file's, and the profiles' in it) is made when missing, and only by the write that
// needs it; a directory the user named must be there.
platform::DirectoryCreation directory_creation(const CtlCommand& command) {
    return named_settings_path(command) ? platform::DirectoryCreation::MustExist
                                        : platform::DirectoryCreation::CreateWhenMissing;
}

// The command that writes the settings file a load found missing.
std::string save_command(const CtlCommand& command) {
    if (!command.profile.empty()) {
        return "\"vantrelctl save --profile " + command.profile + "\"";
    }
    return named_settings_path(command) ? "\"vantrelctl save --settings\" with the same file"
                                        : "\"vantrelctl save\"";
}

// The stages of bus work the progress line names.
constexpr std::string_view kStageFinding = "finding the chip";
constexpr std::string_view kStageReading = "reading the registers";
constexpr std::string_view kStageApplying = "applying";
constexpr std::string_view kStageReadingBack = "reading back";
constexpr std::string_view kStagePuttingBack = "putting back";

class CtlRun {
  public:
    CtlRun(const CtlCommand& command, const CtlEnvironment& env)
        : command_(command),
          env_(env),
          watch_(env.console, command.trace, !command.quiet),
          console_(watch_),
          stops_(env.stops != nullptr ? *env.stops : no_stops_),
          safety_(command, env.terminal, watch_, stops_) {}

    int execute();

  private:
    void say(const std::string& text) { cli::say(console_, text); }
    int on_machine(Machine& machine, ProgramRecords& records, bool this_machine);
    bool ask_before_writing();
    int command(DialogSession& session);
    int save(DialogSession& session);
    int change(DialogSession& session);
    int dry_run(DialogSession& session, std::optional<int> target);
    bool stopping() const { return stops_.stopping(); }
    std::string stop_name() const { return std::string(stops_.first().name); }
    int stopped() const { return stopped_exit_status(stops_.first()); }
    // Ends a command stopped with the chip as it found it, saying so and the clock it runs.
    int stopped_unchanged(std::optional<float> cpu_ext_mhz);
    // Ends a change stopped before it was finished: the settings from before go back.
    int stopped_change(DialogSession& session, const Previous& before);

    const CtlCommand& command_;
    const CtlEnvironment& env_;
    BusWatch watch_;  // everything written goes through it, so the progress line stays apart
    Console& console_;
    NoStopSignals no_stops_;
    const StopSignals& stops_;
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
    if (env_.board_made) {
        env_.board_made(machine->board());
    }
    int status = kExitRefused;
    if (machine->refusal().empty()) {
        status = on_machine(*machine, records, false);
    } else {
        say(machine->refusal());
    }
    std::string problem;
    if (!machine->keep_board(problem)) {
        say(problem);
        if (status == kExitOk) {
            status = kExitFailed;
        }
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
    const std::optional<std::string> answer = env_.terminal.read_line(std::nullopt);
    if (stopping()) {
        console_.err("\n");
        say(stop_name() + ": nothing done");
        return false;
    }
    if (!is_yes(answer)) {
        say("nothing done");
        return false;
    }
    return true;
}

int CtlRun::on_machine(Machine& machine, ProgramRecords& records, bool this_machine) {
    if (this_machine && !ask_before_writing()) {
        return stopping() ? stopped() : kExitRefused;
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
        registry.emplace(settings_path(command_, env_), directory_creation(command_));
        key.key = registry->create_or_open(kSettingsKeyPath);
    }
    DialogSession session(machine, records, console_, command_.dry_run);
    if (registry) {
        session.set_settings_file({&*registry, save_command(command_)});
    }
    SmbusTransfers& bus = machine.backend().transfers();
    bus.set_observer(&watch_);
    int status = stopping() ? stopped_unchanged(std::nullopt) : command(session);
    watch_.finish();
    bus.set_observer(nullptr);
    if (stopping() && status < kExitStoppedBase) {
        // The command was done with the chip before the request was seen.
        say(stop_name() + " came as the command ended; it had finished");
        status = stopped();
    }
    if (guard_) {
        const std::string reason = stopping() ? "it was stopped by " + stop_name()
                                   : session.shown().empty()
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
    watch_.stage(kStageFinding);
    const bool found = session.open();
    watch_.finish();
    if (stopping()) {
        return stopped_unchanged(found ? std::optional<float>(session.clock().cpu_ext_mhz)
                                       : std::nullopt);
    }
    if (!found) {
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
            watch_.stage(kStageReading);
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
        case Command::Undo:
            break;
    }
    return kExitUsage;
}

int CtlRun::save(DialogSession& session) {
    if (!session.save_settings()) {
        return kExitFailed;
    }
    const std::string path = settings_path(command_, env_);
    say(command_.profile.empty()
            ? "saved the chip's settings to " + path
            : "saved the chip's settings as the profile " + command_.profile + ", " + path);
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

    // Until the command is done with the chip (applied, read back and, when asked, confirmed)
    // the change is not finished, and a request to stop puts the settings from before back.
    if (stopping()) {
        return stopped_unchanged(before.clock.cpu_ext_mhz);
    }
    // The settings the chip has are kept for an undo just before the first write, and not at
    // all when the apply refuses the request first.
    PreviousProfile previous(env_.default_settings_path(), true);
    session.set_change_backup(&previous);
    watch_.stage(kStageApplying);
    const bool applied = safety_.go_to(session, target, command_.command == Command::Load);
    watch_.finish();
    session.set_change_backup(nullptr);
    if (stopping()) {
        return stopped_change(session, before);
    }
    if (!previous.problem().empty()) {
        say("not changing the clock: the chip's settings could not be kept as the profile " +
            std::string(kPreviousProfile) + " for an undo (" + previous.problem() + ")");
        return kExitFailed;
    }
    if (!applied) {
        if (registers_changed(session, before) && command_.confirm_seconds &&
            !safety_.confirmed()) {
            watch_.stage(kStagePuttingBack);
            safety_.put_back(session, before);
            watch_.finish();
        }
        if (stopping()) {
            return stopped();
        }
        return session.refused_input() ? kExitUsage : kExitFailed;
    }
    watch_.stage(kStageReadingBack);
    const bool as_meant = !command_.verify || safety_.verify(session, before);
    watch_.finish();
    if (stopping()) {
        return stopped_change(session, before);
    }
    if (command_.confirm_seconds && registers_changed(session, before) && !safety_.confirmed()) {
        if (stopping()) {
            return stopped_change(session, before);
        }
        watch_.stage(kStagePuttingBack);
        const bool put_back = safety_.put_back(session, before);
        watch_.finish();
        if (!put_back) {
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
    watch_.stage(kStageReading);
    const bool held = session.hold_writes();
    watch_.finish();
    if (!held) {
        return stopping() ? stopped_unchanged(session.clock().cpu_ext_mhz) : kExitFailed;
    }
    DryRunTransfers& dry = *session.dry_run();
    const auto spread_on = [&dry] { return (dry.shadow()[REG00] & kReg00SpreadEnable) != 0; };
    const PlanEnd before{session.clock(), spread_on()};
    if (stopping()) {
        return stopped_unchanged(before.clock.cpu_ext_mhz);
    }
    const bool done = safety_.go_to(session, target, command_.command == Command::Load,
                                    [&](const std::string& heading) {
                                        console_.out(held_writes_text(heading, dry.take_held()));
                                    });
    if (done && !stopping()) {
        PlanEnd after{session.clock(), spread_on()};
        after.clock.cpu_speed_mhz = static_cast<float>(expected_cpu_speed(
            before.clock.cpu_speed_mhz, before.clock.cpu_ext_mhz, after.clock.cpu_ext_mhz));
        console_.out(before_after_text(before, after));
    }
    say("dry run: nothing of the apply was sent to the chip");
    if (stopping()) {
        return stopped_unchanged(before.clock.cpu_ext_mhz);
    }
    return done ? kExitOk : session.refused_input() ? kExitUsage : kExitFailed;
}

int CtlRun::stopped_unchanged(std::optional<float> cpu_ext_mhz) {
    say(stop_name() + ": stopped; the chip is as the command found it" +
        (cpu_ext_mhz ? format(", at a CPU external clock of %.1f MHz", double{*cpu_ext_mhz})
                     : std::string()));
    return stopped();
}

int CtlRun::stopped_change(DialogSession& session, const Previous& before) {
    if (!registers_changed(session, before)) {
        return stopped_unchanged(before.clock.cpu_ext_mhz);
    }
    say(stop_name() +
        ": the change is not finished, so the settings from before go back; a second signal "
        "does not stop that");
    const bool back = safety_.put_back(session, before);
    console_.out(show_text(session));
    say(stop_name() + (back ? ": stopped; the chip is back at the settings it had before the "
                              "command, shown above"
                            : ": stopped; the settings from before could not all be put back: "
                              "the chip runs what is shown above"));
    return stopped();
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

// A directory named with --settings is never made, so a missing one is refused before the chip
// is touched, as a wrong argument.
bool settings_directory_usable(const CtlCommand& command, Console& console) {
    if (!named_settings_path(command)) {
        return true;
    }
    const std::size_t slash = command.settings_path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string(".")
                            : slash == 0               ? std::string("/")
                                                       : command.settings_path.substr(0, slash);
    struct stat info {};
    if (::stat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        return true;
    }
    say(console, "--settings " + command.settings_path + ": the directory " + dir +
                     (::stat(dir.c_str(), &info) == 0 ? " is not a directory"
                                                      : " does not exist; it is not created for "
                                                        "a file named with --settings"));
    return false;
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
        env.console.out("vantrelctl " + std::string(res::kVersionString) + "\n" +
                        std::string(res::kLicenceLine) + "\n");
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
        return list_profiles(profiles, command.json, env.console);
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
    if ((command.command == Command::Save || command.command == Command::Load) &&
        !settings_directory_usable(command, env.console)) {
        return kExitUsage;
    }
    return CtlRun(command, env).execute();
}

}  // namespace vantrel::cli
