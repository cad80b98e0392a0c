// SPDX-License-Identifier: GPL-2.0-or-later
// vantrelctl: the clock generator from the command line, on this machine or a simulated board.
#include <string>
#include <vector>

#include "ctl/console.h"
#include "ctl/terminal.h"
#include "ctl/vantrelctl.h"
#include "platform/linux/posix_stop_signals.h"
#include "platform/linux/real_sleeper.h"
#include "platform/linux/settings/settings_path.h"
#include "platform/linux/this_machine.h"

int main(int argc, char** argv) {
    using namespace vantrel;
    const std::vector<std::string> args(argv + 1, argv + argc);
    // Noted from here on and acted on between transfer sequences, never in the middle of one.
    const platform::PosixStopSignals stops;
    cli::StdioConsole console;
    cli::StdinTerminal terminal(&stops);
    platform::RealSleeper sleeper;
    return cli::run_vantrelctl(
        args, {console, terminal, sleeper, platform::make_this_machine,
               [] { return platform::default_settings_path(); }, nullptr, &stops, nullptr});
}
