// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/linux/bus_choice.h"
#include "sim/board_options.h"

namespace vantrel::qt {

// What the command line asks for.
struct CommandLine {
    enum class Action : unsigned char { Run, Help, Version };

    Action action = Action::Run;
    // Set when --simulate was given: the simulated board and its options.
    std::optional<sim::BoardOptions> simulate;
    std::string settings_path;    // empty: the default settings file
    std::string screenshot_path;  // empty: run the dialog
    bool measure = false;         // print start-up and apply timings and memory, then exit
    // --bus: the kernel's i2c-dev node or direct port access; Auto lets the program choose.
    platform::BusRequest bus = platform::BusRequest::Auto;
};

// Parses the arguments after the program name. On failure returns false and `error` names the
// argument that was wrong and why.
bool parse_command_line(const std::vector<std::string>& args, CommandLine& line,
                        std::string& error);

// The text of --help.
std::string usage_text();

// Where the caution notice's picture goes beside the main dialog's: "-caution" before the
// extension of the file name ("shot.png" gives "shot-caution.png").
std::string caution_screenshot_path(const std::string& path);

}  // namespace vantrel::qt
