// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <string_view>

// The program's version block.

namespace vantrel::res {

struct FileVersion {
    std::uint16_t major;
    std::uint16_t minor;
    std::uint16_t patch;
    std::uint16_t build;
};

inline constexpr FileVersion kFileVersion = {2, 0, 0, 1};
inline constexpr FileVersion kProductVersion = kFileVersion;
inline constexpr std::string_view kVersionString = "2.01";
// The second line of the Linux programs' --version; the Windows version block keeps its own text.
inline constexpr std::string_view kLicenceLine =
    "Licence: GNU General Public License, version 2 or later (GPL-2.0-or-later)";
inline constexpr std::uint16_t kVersionLanguage = 0x0409;  // US English
inline constexpr std::uint16_t kVersionCodePage = 1200;    // Unicode
inline constexpr std::string_view kFileDescription = "Vantrel for VXC812-07 Clock Generator";
inline constexpr std::string_view kCompanyName = "Korvane Corporation";
inline constexpr std::string_view kLegalCopyright = "Copyright (C) 2001 Korvane Corporation";
inline constexpr std::string_view kLegalTrademarks =
    "Vantrel is a trademark of Korvane Corporation";

}  // namespace vantrel::res
