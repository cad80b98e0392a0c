// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "bus/sleeper.h"
#include "bus/smbus_backend.h"
#include "sim/board_options.h"
#include "sim/sim_board.h"
#include "ui/machine.h"

namespace vantrel::sim {

// The operating system's way of reading a whole file of at most `max_bytes`: false for anything
// else, with a reason that does not repeat the path.
using ReadFile = bool (*)(const std::string& path, std::size_t max_bytes, std::string& text,
                          std::string& error);

// The operating system's file operations for a board kept in a file (board=FILE).
struct BoardFileAccess {
    // Whether anything is at the path: a board not kept yet starts at power-up.
    bool (*exists)(const std::string& path) = nullptr;
    // Puts `text` in place of the whole file, so that a crash leaves the old file or the new
    // one; false with why.
    bool (*replace)(const std::string& path, const std::string& text,
                    std::string& problem) = nullptr;
};

// The simulated board as a machine: its ports reached directly, its own processor and clock,
// and its pauses passing in real time through `real` unless the options make them instant.
class SimulatedMachine : public Machine {
  public:
    SimulatedMachine(const MachineRecords& records, Sleeper& real)
        : records_(records), paced_(board_.time(), real) {}

    // Sets the board up as the options describe, reading their register dump through
    // `read_file`. On failure returns false with a message that names the file or the option;
    // a note for the user may come with success.
    bool make(const BoardOptions& options, ReadFile read_file, std::string& error);
    // The same, where a board can be kept in a file through `board_file`.
    bool make(const BoardOptions& options, ReadFile read_file, const BoardFileAccess& board_file,
              std::string& error);
    // Writes the chip's registers back to the file the options keep the board in, if any; false
    // with why. The front end calls it once, as the program ends.
    bool keep_board(std::string& problem);

    SmbusBackend& backend() override { return *backend_; }
    Sleeper& sleeper() override;
    CpuInstructions& cpu() override { return board_.cpu(); }
    SystemTiming& timing() override { return board_.cpu(); }
    bool simulated() const override { return true; }

    SimBoard& board() { return board_; }
    const BoardOptions& options() const { return options_; }

  protected:
    const MachineRecords& records() const { return records_; }
    // Another way to the board's bus in place of its ports; `path` empty when it is refused.
    void reach_bus(std::unique_ptr<SmbusBackend> backend, std::string path, std::string refusal);

  private:
    MachineRecords records_;
    SimBoard board_;
    PacedSleeper paced_;
    BoardOptions options_;
    std::unique_ptr<SmbusBackend> backend_;
    BoardFileAccess board_file_;
};

// A simulated machine made from its options, or nullptr with why.
std::unique_ptr<SimulatedMachine> make_simulated_machine(const BoardOptions& options,
                                                         ReadFile read_file, Sleeper& real,
                                                         const MachineRecords& records,
                                                         std::string& error);

}  // namespace vantrel::sim
