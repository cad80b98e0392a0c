#include "app/cli/simulated_board.h"

#include "platform/linux/text_file.h"

namespace vantrel::cli {

bool build_simulated_board(const sim::BoardOptions& options, sim::SimBoard& board,
                           std::string& error, std::string& note) {
    std::string dump_text;
    if (!options.dump_path.empty()) {
        std::string reason;
        if (!platform::read_small_file(options.dump_path, sim::kMaxDumpFileBytes, dump_text,
                                       reason)) {
            error = "register dump " + options.dump_path + ": " + reason;
            return false;
        }
    }
    return sim::apply_board_options(options, dump_text, board, error, note);
}

}  // namespace vantrel::cli
