#pragma once

#include <chrono>
#include <string>

#include "app/core/program_records.h"
#include "qt/board.h"
#include "qt/command_line.h"

namespace vantrel::qt {

// One run of the desktop program once the command line is read and the board is ready (the
// QApplication exists): the settings file, the windows and start-up. `refusal` is why the
// hardware could not be used, shown before the dialog opens, or empty. Returns the exit status.
int run_program(const CommandLine& line, Board& board, ProgramRecords& records,
                const std::string& refusal, std::chrono::steady_clock::time_point start);

}  // namespace vantrel::qt
