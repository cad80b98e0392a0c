// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/faults.h"
#include "sim/sim_board.h"
#include "sim/sim_time.h"

namespace vantrel::sim {

// How a simulated board is set up. Every front end takes the same option list after
// --simulate= (or /simulate: on Windows) and parses it here, so the options mean the same
// everywhere. Fields left unset keep the board as SimBoard builds it.
struct BoardOptions {
    std::optional<std::uint32_t> hub_id;               // kNoDevice for "no hub"
    std::optional<std::uint32_t> smbus_base_register;  // what the SMBus base register reads
    std::optional<unsigned> cpu_divider;               // 3, 4 or 6
    std::optional<unsigned> sdram_divider;             // 3 or 4
    std::optional<std::uint8_t> pll_n;
    std::optional<std::uint8_t> pll_m;
    std::optional<std::uint8_t> spread_depth;
    std::optional<unsigned> delay_cpu;  // codes 0..3
    std::optional<unsigned> delay_pci;
    std::optional<unsigned> delay_sdram;
    std::optional<unsigned> delay_3v66;
    std::optional<bool> spread_on;
    std::optional<unsigned> spread_model;  // 0..7
    std::optional<double> multiplier;      // CPU core clock over the CPU external clock
    std::string dump_path;                 // an i2cdump-style file to load into the chip
    // A file the chip's registers are kept in from one run to the next, in the same grid: read
    // at the start when it is there, written back when the program ends.
    std::string board_path;
    std::vector<Fault> faults;
    bool real_pauses = true;  // whether the SMBus polls and pauses take real time
};

// Parses a comma-separated option list ("hub=ab,dividers=4/3,fault=..."); the empty list is
// the default board. On failure returns false and `error` names the option that was wrong.
bool parse_board_options(std::string_view text, BoardOptions& options, std::string& error);

// A register dump is a few KB; front ends refuse a larger file before reading it whole.
inline constexpr std::size_t kMaxDumpFileBytes = 1024 * 1024;

// Builds the board the options describe (sim/board_setup.cpp): the dump first, then every other
// option on top of it. `dump_text` is the content of options.dump_path or of the kept board
// options.board_path, read by the caller (empty when there is none). On failure returns false with
// the reason. On success `note` is what the user should still be told (the registers a partial dump
// did not give), or empty.
bool apply_board_options(const BoardOptions& options, const std::string& dump_text, SimBoard& board,
                         std::string& error, std::string& note);
// The same, for a caller that has nowhere to show a note.
bool apply_board_options(const BoardOptions& options, const std::string& dump_text, SimBoard& board,
                         std::string& error);

// The option list as --help prints it, one option a line.
std::string_view board_options_help();

}  // namespace vantrel::sim
