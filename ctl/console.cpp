// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl/console.h"

#include <unistd.h>

#include <cstdio>

namespace vantrel::cli {

void StdioConsole::out(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void StdioConsole::err(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
}

bool StdioConsole::err_is_terminal() const {
    return ::isatty(STDERR_FILENO) == 1;
}

}  // namespace vantrel::cli
