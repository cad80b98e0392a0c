// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/settings/regedit4_syntax.h"

namespace vantrel::platform {

// A registry export in the format of Windows 98's regedit (REGEDIT4), as text:
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\Software\Korvane\25]
//   "REG11"=dword:00000084
//
// Values of other types are read from hex:, hex(N): and "string" entries. Every line is kept as
// it was read, so that whatever the program does not change is written back unchanged.
class Regedit4Document {
  public:
    // The signature and one blank line: what a new file begins with.
    Regedit4Document();

    // Replaces the document with the one `text` holds. On failure says which line is wrong and
    // why, and leaves the document as it was.
    bool parse(std::string_view text, std::string& error);
    // The document with every line ended by CR LF, as regedit writes it.
    std::string text() const;

    // A 4-byte registry query of the value as an import would leave it (later sections of the
    // same key, and later lines, override earlier ones; names ignore case): fails when the value
    // is missing or its data is longer than 4 bytes, zero-extends shorter data.
    bool query_dword(std::string_view key, std::string_view name, std::uint32_t& value) const;
    // The size of the value's data in bytes, as the query would find it; nullopt when the value
    // is not there.
    std::optional<std::size_t> data_size(std::string_view key, std::string_view name) const;
    // Writes the value as a dword, in place (keeping the name's spelling) when it is there, else
    // at the end of the key's last section, else in a new section at the end.
    void set_dword(std::string_view key, std::string_view name, std::uint32_t value);

  private:
    // One logical line, kept with its physical lines.
    struct Entry {
        enum class Kind { Signature, Blank, Comment, Section, Value };
        Kind kind;
        std::vector<std::string> lines;
        std::string key;           // Section: the path between the brackets
        std::string name;          // Value: the name, "" for the default value "@"
        regedit4::ValueData data;  // Value
    };

    static bool parse_entries(std::string_view text, std::vector<Entry>& entries,
                              std::string& error);
    std::size_t find_value(std::string_view key, std::string_view name) const;

    std::vector<Entry> entries_;
};

}  // namespace vantrel::platform
