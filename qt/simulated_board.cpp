#include "qt/simulated_board.h"

#include "platform/linux/text_file.h"

namespace vantrel::qt {

bool SimulatedBoard::configure(const sim::BoardOptions& options, std::string& error,
                               std::string& note) {
    std::string dump;
    if (!options.dump_path.empty() &&
        !platform::read_small_file(options.dump_path, sim::kMaxDumpFileBytes, dump, error)) {
        error = "dump=" + options.dump_path + ": " + error;
        return false;
    }
    if (!sim::apply_board_options(options, dump, board_, error, note)) {
        return false;
    }
    real_pauses_ = options.real_pauses;
    faults_ = options.faults;
    return true;
}

bool SimulatedBoard::choose_bus(platform::BusRequest request, SmbusController& controller,
                                const DeviceAddress& device, RegisterShadow& shadow,
                                std::string& error) {
    return bus_.open_simulated(request, board_, faults_, {sleeper(), controller, device, shadow},
                               error);
}

Sleeper& SimulatedBoard::sleeper() {
    if (real_pauses_) {
        return paced_;
    }
    return board_.time();
}

}  // namespace vantrel::qt
