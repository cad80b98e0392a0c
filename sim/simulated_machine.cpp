// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/simulated_machine.h"

#include <algorithm>
#include <iterator>

#include "bus/register_dump.h"

namespace vantrel::sim {

bool SimulatedMachine::make(const BoardOptions& options, ReadFile read_file, std::string& error) {
    return make(options, read_file, {}, error);
}

bool SimulatedMachine::make(const BoardOptions& options, ReadFile read_file,
                            const BoardFileAccess& board_file, std::string& error) {
    std::string dump;
    if (!options.dump_path.empty()) {
        std::string reason;
        if (!read_file(options.dump_path, kMaxDumpFileBytes, dump, reason)) {
            error = "register dump " + options.dump_path + ": " + reason;
            return false;
        }
    }
    if (!options.board_path.empty()) {
        if (board_file.exists == nullptr || board_file.replace == nullptr) {
            error = "board=" + options.board_path + ": this program cannot keep a board in a file";
            return false;
        }
        std::string reason;
        if (board_file.exists(options.board_path) &&
            !read_file(options.board_path, kMaxDumpFileBytes, dump, reason)) {
            error = "board " + options.board_path + ": " + reason;
            return false;
        }
    }
    board_file_ = board_file;
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

bool SimulatedMachine::keep_board(std::string& problem) {
    if (options_.board_path.empty()) {
        return true;
    }
    const auto& registers = board_.chip().registers();
    bool known[kSimChipRegisters];
    std::fill(std::begin(known), std::end(known), true);
    const std::string text = format_register_dump(registers.data(), known, registers.size());
    std::string reason;
    if (!board_file_.replace(options_.board_path, text, reason)) {
        problem = "the simulated board is not kept in " + options_.board_path + ": " + reason;
        return false;
    }
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
