// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The pieces of a REGEDIT4 line: quoted names and the data after the "=".
namespace vantrel::platform::regedit4 {

inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::size_t kDwordSize = 4;

// A value's type and bytes as the registry would hold them.
struct ValueData {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> bytes;
};

// A quoted string at the start of `text` with regedit's two escapes, \\ and \". On success
// `text` is left after the closing quote.
bool parse_quoted(std::string_view& text, std::string& out);

// The data of one value, its continuation lines joined: "string", dword:, hex: or hex(N):.
// On failure says why, in words for the user.
bool parse_value_data(std::string_view text, ValueData& data, std::string& error);

// A dword value's line, the name quoted ("" is the default value "@").
std::string dword_line(std::string_view name, std::uint32_t value);
// A dword's four bytes, least significant first.
std::vector<std::uint8_t> dword_bytes(std::uint32_t value);

}  // namespace vantrel::platform::regedit4
