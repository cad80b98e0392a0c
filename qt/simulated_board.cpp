#include "qt/simulated_board.h"

#include "platform/linux/text_file.h"

namespace vantrel::qt {

SimulatedBoard::SimulatedBoard(ClockState& clock, VendorFlag& vendor)
    : meter_(clock, board_.cpu(), board_.cpu(), vendor) {
    // The controller has finished each step by the time the program first reads its status, so
    // a transfer costs its 300 ms pause and no 10 ms polls: detection about 3.9 s, an apply about
    // 4.5 s, as the program's timings are laid out. The poll loop itself is exercised by the
    // core's tests.
    board_.smbus().set_latency_polls(0);
}

bool SimulatedBoard::configure(const sim::BoardOptions& options, std::string& error,
                               std::string& notice) {
    std::string dump;
    if (!options.dump_path.empty() &&
        !platform::read_small_file(options.dump_path, sim::kMaxDumpFileBytes, dump, error)) {
        error = "dump=" + options.dump_path + ": " + error;
        return false;
    }
    if (!sim::apply_board_options(options, dump, board_, error, notice)) {
        return false;
    }
    real_pauses_ = options.real_pauses;
    return true;
}

Sleeper& SimulatedBoard::sleeper() {
    if (real_pauses_) {
        return paced_;
    }
    return board_.time();
}

}  // namespace vantrel::qt
