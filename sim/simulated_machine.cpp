// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/simulated_machine.h"

namespace vantrel::sim {

bool SimulatedMachine::make(const BoardOptions& options, ReadFile read_file, std::string& error) {
    std::string dump;
    if (!options.dump_path.empty()) {
        std::string reason;
        if (!read_file(options.dump_path, kMaxDumpFileBytes, dump, reason)) {
            error = "register dump " + options.dump_path + ": " + reason;
            return false;
        }
    }
    std::string note;
    if (!apply_board_options(options, dump, board_, error, note)) {
        return false;
    }
    if (!note.empty()) {
        notes_.push_back(note);
    }
    options_ = options;
    reach_bus(std::make_unique<PortSmbusBackend>(board_, sleeper(), records_.controller,
                                                 records_.device_address, records_.shadow),
              "direct port I/O", {});
    return true;
}

Sleeper& SimulatedMachine::sleeper() {
    if (options_.real_pauses) {
        return paced_;
    }
    return board_.time();
}

void SimulatedMachine::reach_bus(std::unique_ptr<SmbusBackend> backend, std::string path,
                                 std::string refusal) {
    backend_ = std::move(backend);
    bus_path_ = std::move(path);
    refusal_ = std::move(refusal);
}

std::unique_ptr<SimulatedMachine> make_simulated_machine(const BoardOptions& options,
                                                         ReadFile read_file, Sleeper& real,
                                                         const MachineRecords& records,
                                                         std::string& error) {
    auto machine = std::make_unique<SimulatedMachine>(records, real);
    if (!machine->make(options, read_file, error)) {
        return nullptr;
    }
    return machine;
}

}  // namespace vantrel::sim
