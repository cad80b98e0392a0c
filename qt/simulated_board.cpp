#include "qt/simulated_board.h"

#include "platform/linux/text_file.h"

namespace vantrel::qt {

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
    faults_ = options.faults;
    return true;
}

bool SimulatedBoard::choose_bus(platform::BusRequest request, SmbusController& controller,
                                const DeviceAddress& device, RegisterShadow& shadow,
                                std::string& refusal) {
    if (request != platform::BusRequest::Kernel) {
        // No kernel driver holds a simulated hub unless asked to.
        backend_ =
            std::make_unique<PortSmbusBackend>(board_, sleeper(), controller, device, shadow);
        path_ = "direct port I/O";
        return true;
    }
    i2c_dev_.attach(kClockChipAddress, board_.chip());
    for (const sim::Fault& fault : faults_) {
        i2c_dev_.inject(fault);
    }
    platform::BusChoice choice = platform::choose_bus(
        request, platform::simulated_smbus_sysfs(board_.pci().hub_id(), board_.pci().smbus_base()),
        i2c_dev_, {sleeper(), controller, device, shadow});
    path_ = platform::bus_path_name(choice);
    if (choice.path != platform::BusPath::Kernel) {
        refusal = choice.refusal;
        backend_ = std::make_unique<NoSmbusBackend>(controller, shadow);
        return false;
    }
    backend_ = std::move(choice.kernel);
    return true;
}

Sleeper& SimulatedBoard::sleeper() {
    if (real_pauses_) {
        return paced_;
    }
    return board_.time();
}

}  // namespace vantrel::qt
