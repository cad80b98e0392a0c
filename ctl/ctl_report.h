// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "ctl/console.h"
#include "ctl/dialog_session.h"

namespace vantrel::cli {

inline constexpr std::string_view kProgram = "vantrelctl: ";

// A message of vantrelctl's own on standard error, one line, after the program's name.
inline void say(Console& console, const std::string& text) {
    console.err(std::string(kProgram) + text + "\n");
}

template <class... Values>
std::string format(const char* pattern, Values... values) {
    char text[256];
    std::snprintf(text, sizeof text, pattern, values...);
    return text;
}

// The key that tells a simulated board's report from this machine's, without a comma after it.
inline std::string simulated_json(bool simulated) {
    return std::string("  \"simulated\": ") + (simulated ? "true" : "false");
}

// What `show` prints: the controller, the chip's settings and the clocks, one fact a line.
std::string show_text(DialogSession& session);
// The same facts for scripts: keys and their order stay as they are.
std::string show_json(DialogSession& session);
// What a command with --json prints when it fails: the messages shown and the last transfer
// that failed.
std::string failed_json(DialogSession& session);
// Prints every register of the chip as a dump; false, having said why, when enhanced mode
// could not be entered or left (the registers read are printed even so).
bool dump_registers(DialogSession& session, Console& console);

// Text as a JSON string, quoted, with quotes, backslashes and control characters escaped.
std::string json_string(const std::string& text);

}  // namespace vantrel::cli
