#pragma once

#include <string>

#include "sim/board_options.h"
#include "sim/sim_board.h"

namespace vantrel::cli {

// Builds the simulated board from its options, reading the register dump they name (a regular
// file of at most sim::kMaxDumpFileBytes). On failure returns false with a message that names
// the file or the option; on success `note` is what the user should still be told, or empty.
bool build_simulated_board(const sim::BoardOptions& options, sim::SimBoard& board,
                           std::string& error, std::string& note);

}  // namespace vantrel::cli
