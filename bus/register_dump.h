// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vantrel {

// Formats registers as i2cdump prints them: a 16-column hex grid with an ASCII column.
// Registers whose `known` entry is false print as "XX", as i2cdump shows a failed read.
std::string format_register_dump(const std::uint8_t* bytes, const bool* known, std::size_t count);

// Reads the grid that format_register_dump and i2cdump print into `bytes`. A grid row is a line
// with a hexadecimal row address (or none), a colon and then a cell; every other line (column
// header, a readout around the grid, notes) is skipped. A row holds 16 cells, each two hex
// digits or "XX" for a register that was not read; the rest of the line (the ASCII column) is
// ignored. Rows past the end of `bytes` are checked but not stored.
//
// On success sets `given[i]` for every register the dump gave a value and writes those to
// `bytes`; the others keep their values. On failure writes nothing and `error` says which line
// is wrong and why. Both spans have the same size.
bool parse_register_dump(std::string_view text, std::span<std::uint8_t> bytes,
                         std::span<bool> given, std::string& error);

// The registers a dump did not give, as ranges ("0x10-0x1f, 0x22"); empty when it gave all.
std::string describe_missing_registers(std::span<const bool> given);

}  // namespace vantrel
