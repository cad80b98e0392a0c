// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/settings/regedit4_document.h"

#include "bus/ascii_text.h"
#include "platform/linux/settings/regedit4_syntax.h"

namespace vantrel::platform {

using regedit4::dword_bytes;
using regedit4::dword_line;
using regedit4::kDwordSize;
using regedit4::kRegDword;
using regedit4::parse_quoted;

namespace {

constexpr std::string_view kSignature = "REGEDIT4";
constexpr std::string_view kRegedit5Signature = "Windows Registry Editor Version 5.00";
constexpr std::string_view kUtf16Bom = "\xFF\xFE";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";

struct PhysicalLines {
    std::vector<std::string> lines;
    bool last_unterminated = false;
};

PhysicalLines split_lines(std::string_view text) {
    PhysicalLines result;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        result.lines.emplace_back(line);
        if (end == std::string_view::npos) {
            result.last_unterminated = true;
            break;
        }
        text.remove_prefix(end + 1);
    }
    return result;
}

std::string at_line(std::size_t number, const std::string& what) {
    return "line " + std::to_string(number) + ": " + what;
}

}  // namespace

Regedit4Document::Regedit4Document()
    : entries_{Entry{Entry::Kind::Signature, {std::string(kSignature)}, {}, {}, {}},
               Entry{Entry::Kind::Blank, {""}, {}, {}, {}}} {}

bool Regedit4Document::parse(std::string_view text, std::string& error) {
    std::vector<Entry> entries;
    if (!parse_entries(text, entries, error)) {
        return false;
    }
    entries_ = std::move(entries);
    return true;
}

bool Regedit4Document::parse_entries(std::string_view text, std::vector<Entry>& doc,
                                     std::string& error) {
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        error = "the file is empty";
        return false;
    }
    // The export of regedit from Windows 2000 on: UTF-16 text with a byte-order mark, under
    // another signature.
    const std::string_view unmarked =
        text.starts_with(kUtf8Bom) ? text.substr(kUtf8Bom.size()) : text;
    if (text.starts_with(kUtf16Bom) || unmarked.starts_with(kRegedit5Signature)) {
        error =
            "it is a REGEDIT5 export (regedit of Windows 2000 or later), not REGEDIT4; "
            "export the key again as \"Win9x/NT4 Registration Files (REGEDIT4)\"";
        return false;
    }
    if (text.find('\0') != std::string_view::npos) {
        error = "the file holds NUL bytes (it is not a REGEDIT4 text file)";
        return false;
    }
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        text.remove_prefix(kUtf8Bom.size());
    }
    const PhysicalLines physical = split_lines(text);
    const std::vector<std::string>& lines = physical.lines;
    if (lines.empty() || ascii::trim_blanks(lines[0]) != kSignature) {
        error = "it is not a REGEDIT4 file: it does not begin with REGEDIT4";
        return false;
    }
    doc.clear();
    doc.push_back(Entry{Entry::Kind::Signature, {lines[0]}, {}, {}, {}});
    bool in_section = false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::size_t number = i + 1;
        const std::string_view line = ascii::trim_blanks(lines[i]);
        Entry entry{Entry::Kind::Blank, {lines[i]}, {}, {}, {}};
        if (line.empty()) {
            doc.push_back(std::move(entry));
            continue;
        }
        if (line.front() == ';') {
            entry.kind = Entry::Kind::Comment;
            doc.push_back(std::move(entry));
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3) {
                error = at_line(number, "a key must be written as [path]");
                return false;
            }
            entry.kind = Entry::Kind::Section;
            entry.key = std::string(line.substr(1, line.size() - 2));
            in_section = true;
            doc.push_back(std::move(entry));
            continue;
        }
        if (line.front() != '"' && line.front() != '@') {
            error = at_line(number, "not a key, a value or a comment");
            return false;
        }
        if (!in_section) {
            error = at_line(number, "a value before any key");
            return false;
        }
        std::string_view rest = line;
        if (rest.front() == '@') {
            rest.remove_prefix(1);
        } else if (!parse_quoted(rest, entry.name)) {
            error = at_line(number, "a value name is not closed properly");
            return false;
        }
        rest = ascii::trim_blanks(rest);
        if (rest.empty() || rest.front() != '=') {
            error = at_line(number, "a value name must be followed by =");
            return false;
        }
        rest = ascii::trim_blanks(rest.substr(1));
        // Long hex data goes on over further lines, each but the last ending in a backslash.
        std::string logical(rest);
        if (ascii::starts_with_ignoring_case(logical, "hex")) {
            while (!logical.empty() && logical.back() == '\\') {
                logical.pop_back();
                if (i + 1 >= lines.size()) {
                    error = at_line(number, "the file ends inside a value (truncated?)");
                    return false;
                }
                ++i;
                entry.lines.push_back(lines[i]);
                logical += ascii::trim_blanks(lines[i]);
            }
        }
        std::string what;
        if (!regedit4::parse_value_data(logical, entry.data, what)) {
            error = at_line(number, what);
            return false;
        }
        if (physical.last_unterminated && i + 1 == lines.size()) {
            // Every writer ends its lines; a value cut off at the end is a torn write, and the
            // digits before the cut would give a wrong value.
            error = at_line(number, "the file ends in the middle of a value (truncated?)");
            return false;
        }
        entry.kind = Entry::Kind::Value;
        doc.push_back(std::move(entry));
    }
    return true;
}

std::string Regedit4Document::text() const {
    std::string text;
    for (const Entry& entry : entries_) {
        for (const std::string& line : entry.lines) {
            text += line;
            text += kLineEnd;
        }
    }
    return text;
}

// The value as an import would leave it: later sections of the same key, and later lines,
// override earlier ones. Returns entries_.size() when the value is not there.
std::size_t Regedit4Document::find_value(std::string_view key, std::string_view name) const {
    const std::vector<Entry>& doc = entries_;
    std::size_t found = doc.size();
    bool in_key = false;
    for (std::size_t i = 0; i < doc.size(); ++i) {
        const Entry& entry = doc[i];
        if (entry.kind == Entry::Kind::Section) {
            in_key = ascii::equal_ignoring_case(entry.key, key);
        } else if (in_key && entry.kind == Entry::Kind::Value &&
                   ascii::equal_ignoring_case(entry.name, name)) {
            found = i;
        }
    }
    return found;
}

std::optional<std::size_t> Regedit4Document::data_size(std::string_view key,
                                                       std::string_view name) const {
    const std::size_t found = find_value(key, name);
    if (found == entries_.size()) {
        return std::nullopt;
    }
    return entries_[found].data.bytes.size();
}

bool Regedit4Document::query_dword(std::string_view key, std::string_view name,
                                   std::uint32_t& value) const {
    const std::size_t found = find_value(key, name);
    if (found == entries_.size() || entries_[found].data.bytes.size() > kDwordSize) {
        return false;
    }
    std::uint32_t result = 0;
    const std::vector<std::uint8_t>& bytes = entries_[found].data.bytes;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        result |= std::uint32_t{bytes[i]} << (8 * i);
    }
    value = result;
    return true;
}

void Regedit4Document::set_dword(std::string_view key, std::string_view name, std::uint32_t value) {
    std::vector<Entry>& doc = entries_;
    const std::size_t existing = find_value(key, name);
    if (existing != doc.size()) {
        Entry& entry = doc[existing];
        entry.lines = {dword_line(entry.name, value)};  // the name keeps its spelling
        entry.data = regedit4::ValueData{kRegDword, dword_bytes(value)};
        return;
    }
    Entry added{Entry::Kind::Value,
                {dword_line(name, value)},
                {},
                std::string(name),
                regedit4::ValueData{kRegDword, dword_bytes(value)}};
    // After the last value (or the header) of the key's last section, before its blank lines.
    std::size_t insert_at = doc.size();
    bool in_key = false;
    for (std::size_t i = 0; i < doc.size(); ++i) {
        if (doc[i].kind == Entry::Kind::Section) {
            in_key = ascii::equal_ignoring_case(doc[i].key, key);
            if (in_key) {
                insert_at = i + 1;
            }
        } else if (in_key && doc[i].kind == Entry::Kind::Value) {
            insert_at = i + 1;
        }
    }
    if (insert_at != doc.size()) {
        doc.insert(doc.begin() + static_cast<std::ptrdiff_t>(insert_at), std::move(added));
        return;
    }
    // A new key goes at the end, set off by blank lines as regedit writes it.
    if (doc.back().kind != Entry::Kind::Blank) {
        doc.push_back(Entry{Entry::Kind::Blank, {""}, {}, {}, {}});
    }
    // Built by appends: GCC 12 at -O3 warns (-Wrestrict) on the inlined operator+ chain.
    std::string header;
    header.reserve(key.size() + 2);
    header.push_back('[');
    header.append(key);
    header.push_back(']');
    doc.push_back(Entry{Entry::Kind::Section, {std::move(header)}, std::string(key), {}, {}});
    doc.push_back(std::move(added));
    doc.push_back(Entry{Entry::Kind::Blank, {""}, {}, {}, {}});
}
}  // namespace vantrel::platform
