// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ctl/console.h"

namespace vantrel::cli {

// A profile's name: 1 to 64 of A-Z a-z 0-9 . _ -, not starting with a dot, so that it is one
// plain file name in the profile directory and never a hidden or a relative one.
bool valid_profile_name(std::string_view name);
// Why a name is not a profile's, for the user: `name` quoted and the rule.
std::string profile_name_refusal(std::string_view name);

// One directory entry at a time, as readdir gives them: the next name, or null at the end (with
// `failure` 0) or when reading failed (with `failure` the errno).
using NextDirectoryEntry = std::function<const char*(int& failure)>;
// The profile names among the entries, sorted. A failed read is not the end of the directory:
// it returns false with `error` said, and `names` untouched, rather than a short list.
bool profile_names_in(const NextDirectoryEntry& next, std::vector<std::string>& names,
                      std::string& error);

// The profile directory beside the settings file ("profiles" in its directory), empty when the
// settings file has no path.
std::string profile_directory(const std::string& settings_path);
// The profile's file in that directory, NAME.reg; empty when there is no directory.
std::string profile_path(const std::string& settings_path, std::string_view name);

// `profiles`: each profile in the directory, by name, with the clocks and spread its file
// holds, as lines or as one JSON object; nothing touches the chip. A profile that cannot be read
// is said on standard error and left out. Returns the exit status.
int list_profiles(const std::string& directory, bool json, Console& console);

// `delete-profile NAME`: removes the profile's file. Returns the exit status.
int delete_profile(const std::string& directory, std::string_view name, Console& console);

}  // namespace vantrel::cli
