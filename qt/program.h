#pragma once

#include <chrono>
#include <string>

#include "app/core/program_records.h"
#include "qt/command_line.h"
#include "ui/machine.h"

namespace vantrel::qt {

// One run of the desktop program once the command line is read and the machine is made (the
// QApplication exists): the settings file, the windows and start-up. The machine's refusal, if
// any, is shown before the dialog opens. Returns the exit status.
int run_program(const CommandLine& line, Machine& machine, ProgramRecords& records,
                std::chrono::steady_clock::time_point start);

}  // namespace vantrel::qt
