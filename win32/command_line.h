// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace vantrel::win32 {

// What vantrel.exe was asked to do. Switches start with "/" or "-" and are read without regard
// to case, as Windows programs read theirs.
struct CommandLine {
    bool simulate = false;      // /simulate[:OPTIONS]: the simulated board instead of the ports
    std::string board_options;  // the OPTIONS of /simulate:, empty for the default board
    bool load = false;          // /load: apply the saved settings without opening the dialog
    bool clear_guard = false;   // /clearguard: let /load apply again after an unfinished run
    bool help = false;          // /? or /help
};

// Splits the command line that WinMain receives (the program's name already removed) at blanks
// outside double quotes; the quotes themselves are dropped, so a path with blanks can be quoted
// anywhere in an argument. Returns false and says which argument is wrong for anything it does
// not know, and for /load together with /clearguard.
bool parse_command_line(std::string_view text, CommandLine& command, std::string& error);

// The usage text, followed by the simulated board's options.
std::string usage_text();

}  // namespace vantrel::win32
