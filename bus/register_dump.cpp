// SPDX-License-Identifier: GPL-2.0-or-later
#include "bus/register_dump.h"

#include <cstdio>
#include <vector>

#include "bus/ascii_text.h"

namespace vantrel {

namespace {

// i2cdump shows 256 registers at most, 16 a row.
constexpr std::size_t kCellsPerRow = 16;
constexpr unsigned kLastRowAddress = 0xF0;

// Splits off the next blank-separated word of `text`.
std::string_view next_word(std::string_view& text) {
    text = ascii::trim_blanks(text);
    std::size_t end = 0;
    while (end < text.size() && !ascii::is_blank(text[end])) {
        ++end;
    }
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(end);
    return word;
}

bool is_unread_cell(std::string_view cell) {
    return cell == "XX" || cell == "xx";
}

bool is_cell(std::string_view cell) {
    return is_unread_cell(cell) ||
           (cell.size() == 2 && ascii::hex_digit(cell[0]) >= 0 && ascii::hex_digit(cell[1]) >= 0);
}

bool all_hex(std::string_view text) {
    for (const char c : text) {
        if (ascii::hex_digit(c) < 0) {
            return false;
        }
    }
    return true;
}

std::string at_line(int line, const std::string& what) {
    return "line " + std::to_string(line) + ": " + what;
}

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

}  // namespace

std::string format_register_dump(const std::uint8_t* bytes, const bool* known, std::size_t count) {
    std::string out = "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f    0123456789abcdef\n";
    for (std::size_t row = 0; row < count; row += 16) {
        char cell[24];
        std::snprintf(cell, sizeof cell, "%02zx: ", row);
        out += cell;
        std::string ascii;
        for (std::size_t i = row; i < row + 16; ++i) {
            if (i >= count || !known[i]) {
                out += "XX ";
                ascii += 'X';
                continue;
            }
            std::snprintf(cell, sizeof cell, "%02x ", bytes[i]);
            out += cell;
            const std::uint8_t b = bytes[i];
            // i2cdump prints 0x00 and 0xff as '.', other non-printables as '?'.
            if (b == 0x00 || b == 0xFF) {
                ascii += '.';
            } else if (b < 0x20 || b >= 0x7F) {
                ascii += '?';
            } else {
                ascii += static_cast<char>(b);
            }
        }
        out += "   " + ascii + "\n";
    }
    return out;
}

bool parse_register_dump(std::string_view text, std::span<std::uint8_t> bytes,
                         std::span<bool> given, std::string& error) {
    std::vector<std::uint8_t> values(bytes.begin(), bytes.end());
    std::vector<bool> seen(bytes.size(), false);
    int row_line[kLastRowAddress / kCellsPerRow + 1] = {};
    int line_number = 0;
    bool any_row = false;
    while (!text.empty()) {
        ++line_number;
        const std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }

        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            continue;
        }
        const std::string_view address = ascii::trim_blanks(line.substr(0, colon));
        std::string_view cells = line.substr(colon + 1);
        std::string_view first_cells = cells;
        if (!all_hex(address) || !is_cell(next_word(first_cells))) {
            continue;  // not a grid row: a header, a readout line or a note
        }

        if (address.empty()) {
            error = at_line(line_number, "register row without a row address");
            return false;
        }
        unsigned row = 0;
        for (const char c : address) {
            // Saturates, so that no number of digits can wrap round to a small row.
            row =
                row > kLastRowAddress ? row : row * 16 + static_cast<unsigned>(ascii::hex_digit(c));
        }
        if (row > kLastRowAddress) {
            error = at_line(line_number,
                            "row address " + std::string(address) + " is past the last row, f0");
            return false;
        }
        if (row % kCellsPerRow != 0) {
            error = at_line(line_number, "row address " + std::string(address) +
                                             " does not start a row (00, 10, 20 ... f0)");
            return false;
        }
        int& first_seen = row_line[row / kCellsPerRow];
        if (first_seen != 0) {
            error = at_line(line_number, "row " + std::string(address) +
                                             " appears again (first on line " +
                                             std::to_string(first_seen) + ")");
            return false;
        }
        first_seen = line_number;

        for (std::size_t column = 0; column < kCellsPerRow; ++column) {
            const std::string_view cell = next_word(cells);
            if (cell.empty()) {
                error = at_line(line_number, "row " + std::string(address) + " has " +
                                                 std::to_string(column) + " cells; a row has 16");
                return false;
            }
            if (!is_cell(cell)) {
                error =
                    at_line(line_number, "bad cell " + quoted(cell) + " (two hex digits or XX)");
                return false;
            }
            const std::size_t index = row + column;
            if (is_unread_cell(cell) || index >= values.size()) {
                continue;
            }
            values[index] = static_cast<std::uint8_t>(ascii::hex_digit(cell[0]) * 16 +
                                                      ascii::hex_digit(cell[1]));
            seen[index] = true;
        }
        any_row = true;
    }
    if (!any_row) {
        error = "no register rows (lines such as \"00: 02 ff 00 ...\")";
        return false;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = values[i];
        given[i] = seen[i];
    }
    return true;
}

std::string describe_missing_registers(std::span<const bool> given) {
    std::string out;
    std::size_t i = 0;
    while (i < given.size()) {
        if (given[i]) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end + 1 < given.size() && !given[end + 1]) {
            ++end;
        }
        char range[48];
        if (end == i) {
            std::snprintf(range, sizeof range, "0x%02zx", i);
        } else {
            std::snprintf(range, sizeof range, "0x%02zx-0x%02zx", i, end);
        }
        out += out.empty() ? "" : ", ";
        out += range;
        i = end + 1;
    }
    return out;
}

}  // namespace vantrel
