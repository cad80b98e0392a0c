#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>

#include "app/cli/console.h"
#include "app/cli/terminal.h"
#include "bus/sleeper.h"
#include "platform/linux/bus_choice.h"
#include "platform/linux/durable_file.h"
#include "platform/linux/settings_path.h"
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
