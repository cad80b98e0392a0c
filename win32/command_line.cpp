// SPDX-License-Identifier: GPL-2.0-or-later
#include "win32/command_line.h"

#include <vector>

#include "bus/ascii_text.h"
#include "sim/board_options.h"

namespace vantrel::win32 {

namespace {

std::vector<std::string> split_arguments(std::string_view text) {
    std::vector<std::string> arguments;
    std::string current;
    bool quoted = false;
    bool in_argument = false;
    for (const char c : text) {
        if (c == '"') {
            quoted = !quoted;
            in_argument = true;
        } else if (!quoted && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
            if (in_argument) {
                arguments.push_back(current);
                current.clear();
                in_argument = false;
            }
        } else {
            current += c;
            in_argument = true;
        }
    }
    if (in_argument) {
        arguments.push_back(current);
    }
    return arguments;
}

}  // namespace

bool parse_command_line(std::string_view text, CommandLine& command, std::string& error) {
    CommandLine parsed;
    for (const std::string& argument : split_arguments(text)) {
        if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) {
            error = "unknown argument \"" + argument + "\"";
            return false;
        }
        const std::string_view body = std::string_view(argument).substr(1);
        const std::size_t colon = body.find(':');
        const std::string_view name = body.substr(0, colon);
        if (ascii::equal_ignoring_case(name, "simulate")) {
            parsed.simulate = true;
            parsed.board_options = colon == std::string_view::npos
                                       ? std::string()
                                       : std::string(body.substr(colon + 1));
            continue;
        }
        if (colon != std::string_view::npos) {
            error = "\"" + argument + "\" takes no value";
            return false;
        }
        if (ascii::equal_ignoring_case(name, "load")) {
            parsed.load = true;
        } else if (ascii::equal_ignoring_case(name, "clearguard")) {
            parsed.clear_guard = true;
        } else if (ascii::equal_ignoring_case(name, "?") ||
                   ascii::equal_ignoring_case(name, "help")) {
            parsed.help = true;
        } else {
            error = "unknown argument \"" + argument + "\"";
            return false;
        }
    }
    if (parsed.load && parsed.clear_guard) {
        error = "/load and /clearguard cannot be given together";
        return false;
    }
    command = std::move(parsed);
    return true;
}

std::string usage_text() {
    std::string text =
        "vantrel.exe [/simulate[:OPTIONS]] [/load | /clearguard]\n"
        "\n"
        "/simulate\truns on a simulated board instead of this machine's hardware.\n"
        "/load\t\tapplies the saved settings without opening the dialog (for the Startup "
        "folder); a failure is shown in a message box.\n"
        "/clearguard\tlets /load apply the saved settings again after a start-up apply that did "
        "not finish.\n"
        "\n"
        "OPTIONS, separated by commas:\n";
    text += sim::board_options_help();
    return text;
}

}  // namespace vantrel::win32
