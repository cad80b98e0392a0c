// SPDX-License-Identifier: GPL-2.0-or-later
#include <windows.h>

#include "win32/program.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR command_line, int /*show*/) {
    return vantrel::win32::run_program(instance, command_line);
}
