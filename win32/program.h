// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <windows.h>

namespace vantrel::win32 {

// Everything vantrel.exe does, from its command line to its exit code: 0 when it did what it
// was asked, 1 when that failed (and a message box said why), 2 for a command line or a
// simulated board it could not use.
int run_program(HINSTANCE instance, const char* command_line);

}  // namespace vantrel::win32
