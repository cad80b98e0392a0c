// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/settings/regedit4_syntax.h"

#include <cstdio>

#include "bus/ascii_text.h"

namespace vantrel::platform::regedit4 {

namespace {

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegBinary = 3;

// "aa,bb,cc": bytes of one or two hexadecimal digits; an empty list is an empty value.
bool parse_byte_list(std::string_view text, std::vector<std::uint8_t>& bytes) {
    text = ascii::trim_blanks(text);
    if (text.empty()) {
        return true;
    }
    while (true) {
        const std::size_t comma = text.find(',');
        std::uint32_t byte = 0;
        if (!ascii::parse_hex_digits(ascii::trim_blanks(text.substr(0, comma)), 2, byte)) {
            return false;
        }
        bytes.push_back(static_cast<std::uint8_t>(byte));
        if (comma == std::string_view::npos) {
            return true;
        }
        text.remove_prefix(comma + 1);
    }
}

std::string quote(std::string_view name) {
    std::string text = "\"";
    for (char c : name) {
        if (c == '\\' || c == '"') {
            text.push_back('\\');
        }
        text.push_back(c);
    }
    text.push_back('"');
    return text;
}

}  // namespace

// A quoted string at the start of `text` with regedit's two escapes, \\ and \". On success
// `text` is left after the closing quote.
bool parse_quoted(std::string_view& text, std::string& out) {
    if (text.empty() || text.front() != '"') {
        return false;
    }
    std::string result;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            out = std::move(result);
            text.remove_prefix(i + 1);
            return true;
        }
        if (c == '\\') {
            if (i + 1 >= text.size() || (text[i + 1] != '\\' && text[i + 1] != '"')) {
                return false;
            }
            result.push_back(text[++i]);
        } else {
            result.push_back(c);
        }
    }
    return false;
}

bool parse_value_data(std::string_view text, ValueData& data, std::string& error) {
    if (!text.empty() && text.front() == '"') {
        std::string value;
        if (!parse_quoted(text, value) || !ascii::trim_blanks(text).empty()) {
            error = "a string value is not closed properly";
            return false;
        }
        data.type = kRegSz;
        data.bytes.assign(value.begin(), value.end());
        data.bytes.push_back(0);  // REG_SZ data holds its terminating NUL
        return true;
    }
    if (ascii::starts_with_ignoring_case(text, "dword:")) {
        std::uint32_t value = 0;
        if (!ascii::parse_hex_digits(ascii::trim_blanks(text.substr(6)), 8, value)) {
            error = "a dword value needs 1 to 8 hexadecimal digits";
            return false;
        }
        data.type = kRegDword;
        data.bytes = dword_bytes(value);
        return true;
    }
    std::string_view list;
    if (ascii::starts_with_ignoring_case(text, "hex:")) {
        data.type = kRegBinary;
        list = text.substr(4);
    } else if (ascii::starts_with_ignoring_case(text, "hex(")) {
        const std::size_t close = text.find("):");
        if (close == std::string_view::npos ||
            !ascii::parse_hex_digits(text.substr(4, close - 4), 8, data.type)) {
            error = "a hex(N) type needs 1 to 8 hexadecimal digits";
            return false;
        }
        list = text.substr(close + 2);
    } else {
        error = "unknown value type";
        return false;
    }
    data.bytes.clear();
    if (!parse_byte_list(list, data.bytes)) {
        error = "hex data must be bytes of two hexadecimal digits separated by commas";
        return false;
    }
    return true;
}

std::string dword_line(std::string_view name, std::uint32_t value) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%08x", value);
    return (name.empty() ? std::string("@") : quote(name)) + "=dword:" + digits;
}

std::vector<std::uint8_t> dword_bytes(std::uint32_t value) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < kDwordSize; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
    return bytes;
}

}  // namespace vantrel::platform::regedit4
