// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "app/core/stop_signals.h"
#include "bus/sleeper.h"
#include "ctl/console.h"
#include "ctl/terminal.h"
#include "platform/linux/bus_choice.h"
#include "platform/linux/durable_file.h"
#include "platform/linux/settings/settings_path.h"
#include "sim/sim_board.h"
#include "ui/machine.h"

namespace vantrel::cli {

// vantrelctl's exit status.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;        // a failure message from the chip, bus or file
inline constexpr int kExitUsage = 2;         // a wrong argument or input file
inline constexpr int kExitRefused = 3;       // nothing touched: no access, no yes, boot guard
inline constexpr int kExitVerifyFailed = 4;  // the chip differs from what was set
inline constexpr int kExitNotConfirmed = 5;  // no yes in time: the previous settings are back
// A request to stop ends a command with stopped_exit_status(): 128 plus the signal's number.

// Each exit status with its meaning, as --help and the man page give them.
struct ExitStatusMeaning {
    int status;
    std::string_view meaning;
};
inline constexpr ExitStatusMeaning kExitStatuses[] = {
    {kExitOk, "done"},
    {kExitFailed,
     "the chip, the bus or the settings file reported a failure (the message and the line under "
     "it say which)"},
    {kExitUsage,
     "a wrong argument or input file: an unknown command or option, a bad value, set with "
     "nothing to set, a CPU external clock outside the valid range, a --settings file in a "
     "directory that does not exist, or saved settings that are missing, damaged or do not fit "
     "this chip"},
    {kExitRefused,
     "refused before touching the chip: no access to the hardware, no answer or no terminal to "
     "ask on, or a boot guard left by an unfinished boot-time load (diagnose: the path that "
     "would be taken would not work)"},
    {kExitVerifyFailed, "the read-back found the chip different from what was set"},
    {kExitNotConfirmed, "--confirm got no y: the previous settings were put back"},
};

// What vantrelctl needs from outside besides its arguments.
struct CtlEnvironment {
    Console& console;
    Terminal& terminal;
    Sleeper& real_sleeper;  // real time, for a simulated board whose pauses are real
    // Makes this computer's machine, for a command without --simulate, its bus reached as asked
    // and working on the records given; nullptr with the reason.
    std::function<std::unique_ptr<Machine>(platform::BusRequest request,
                                           const MachineRecords& records, std::string& error)>
        make_machine;
    // The settings file when --settings names none.
    std::function<std::string()> default_settings_path;
    // Sees the simulated board once the command is done with it (for tests); may be empty.
    std::function<void(sim::SimBoard&)> board_done;
    // The requests to stop (SIGINT, SIGTERM, SIGHUP, SIGQUIT); nullptr: none come.
    const StopSignals* stops = nullptr;
    // Sees the simulated board as soon as it is made, before any transfer (for tests); may be
    // empty.
    std::function<void(sim::SimBoard&)> board_made;
    // Under --simulate, in place of default_settings_path and the boot guard's state directory:
    // a simulated board's own, so that it never reads or writes this machine's.
    std::function<std::string()> simulated_settings_path = [] {
        return platform::default_settings_path(platform::FilesOf::SimulatedBoard);
    };
    std::function<std::string()> simulated_state_dir = [] {
        return platform::default_state_dir(platform::FilesOf::SimulatedBoard);
    };
    // The calls that write and remove the boot guard; the system's own unless a test watches.
    platform::FileCalls* file_calls = &platform::system_file_calls();
};

// The vantrelctl program: its arguments (without the program name) in, the exit status out.
int run_vantrelctl(std::span<const std::string> args, const CtlEnvironment& env);

}  // namespace vantrel::cli
