// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The small pieces of reading ASCII text that the register dump, the board options, the
// settings file and the command lines all need. Locale-free on purpose: a file or an option
// reads the same whatever the user's locale.
namespace vantrel::ascii {

constexpr bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// A space or a tab.
constexpr bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

constexpr std::string_view trim_blanks(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && is_blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Splits `text` at the first `separator`: returns what comes before it and leaves `text` after
// it (empty when there is none).
constexpr std::string_view take_until(std::string_view& text, char separator) {
    const std::size_t at = text.find(separator);
    const std::string_view head = text.substr(0, at);
    text.remove_prefix(at == std::string_view::npos ? text.size() : at + 1);
    return head;
}

// The value of a hexadecimal digit of either case, or -1.
constexpr int hex_digit(char c) {
    if (is_digit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

constexpr char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string lower_case(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = lower(c);
    }
    return out;
}

inline std::string upper_case(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = upper(c);
    }
    return out;
}

constexpr bool equal_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

constexpr bool starts_with_ignoring_case(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           equal_ignoring_case(text.substr(0, prefix.size()), prefix);
}

// Decimal digits only: no sign, no blanks, no trailing text, at most `max`. `value` is written
// only on success.
constexpr bool parse_decimal(std::string_view text, unsigned max, unsigned& value) {
    if (text.empty()) {
        return false;
    }
    unsigned long long result = 0;
    for (const char c : text) {
        if (!is_digit(c)) {
            return false;
        }
        result = result * 10 + static_cast<unsigned>(c - '0');
        if (result > max) {
            return false;
        }
    }
    value = static_cast<unsigned>(result);
    return true;
}

// Hexadecimal digits of either case only, at most `max`. `value` is written only on success.
constexpr bool parse_hex(std::string_view text, std::uint32_t max, std::uint32_t& value) {
    if (text.empty()) {
        return false;
    }
    unsigned long long result = 0;
    for (const char c : text) {
        const int digit = hex_digit(c);
        if (digit < 0) {
            return false;
        }
        result = result * 16 + static_cast<unsigned>(digit);
        if (result > max) {
            return false;
        }
    }
    value = static_cast<std::uint32_t>(result);
    return true;
}

// 1 to `max_digits` hexadecimal digits (at most 8) and nothing else.
constexpr bool parse_hex_digits(std::string_view text, std::size_t max_digits,
                                std::uint32_t& value) {
    return text.size() <= max_digits && parse_hex(text, 0xFFFFFFFFu, value);
}

// The text after a leading "0x" or "0X" that has digits behind it; otherwise the text itself.
constexpr std::string_view without_hex_prefix(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
    }
    return text;
}

}  // namespace vantrel::ascii
