// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl/profiles.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "clockgen/frequency_model.h"
#include "clockgen/register_codec.h"
#include "clockgen/registers.h"
#include "ctl/ctl_report.h"
#include "ctl/vantrelctl.h"
#include "platform/linux/settings/reg_file_registry.h"
#include "ui/settings_store.h"

namespace vantrel::cli {

namespace {

constexpr std::size_t kMaxProfileName = 64;
constexpr std::string_view kProfileSuffix = ".reg";

bool profile_character(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
}

// The names of the profiles in the directory, sorted; false when it exists but cannot be read.
bool profile_names(const std::string& directory, std::vector<std::string>& names,
                   std::string& error) {
    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr) {
        if (errno == ENOENT) {
            return true;
        }
        error = std::strerror(errno);
        return false;
    }
    const bool read = profile_names_in(
        [dir](int& failure) -> const char* {
            errno = 0;
            const dirent* entry = ::readdir(dir);
            failure = entry == nullptr ? errno : 0;
            return entry == nullptr ? nullptr : entry->d_name;
        },
        names, error);
    ::closedir(dir);
    return read;
}

// The clocks and spread spectrum that a profile's file holds.
struct ProfileClocks {
    ClockState clock;
    bool spread_on;
    unsigned depth;
    unsigned model;
};

ProfileClocks profile_clocks(const StoredSettings& stored) {
    ClockState clock;
    const auto reg1f = static_cast<std::uint8_t>(stored.reg1f);
    clock.cpu_divider = cpu_divider_of(reg1f);
    clock.sdram_divider = sdram_divider_of(reg1f);
    clock.pll_n = static_cast<std::uint8_t>(stored.reg11);
    clock.pll_m = static_cast<std::uint8_t>(stored.reg13);
    derive_frequencies(clock);
    const bool spread_on = (stored.reg00 & kReg00SpreadEnable) != 0;
    const auto depth = spread_depth_of(clock.pll_n, static_cast<std::uint8_t>(stored.reg12));
    const auto model = unpack_reg22(static_cast<std::uint8_t>(stored.reg22)).spread_model;
    return {clock, spread_on, unsigned{depth}, unsigned{model}};
}

// One profile's line: its clocks and spread as its file holds them.
std::string profile_line(const std::string& name, const StoredSettings& stored) {
    const auto [clock, spread_on, depth, model] = profile_clocks(stored);
    return format(
        "%-20s CPU %7.3f  PCI %6.3f  SDRAM %7.3f  3V66 %6.3f MHz, spread %s, depth %u, "
        "model %u\n",
        name.c_str(), double{clock.cpu_ext_mhz}, double{clock.pci_mhz}, double{sdram_mhz(clock)},
        double{mhz_3v66(clock)}, spread_on ? "on" : "off", depth, model);
}

// The same as a JSON object, in the keys of show --json.
std::string profile_json(const std::string& name, const StoredSettings& stored) {
    const auto [clock, spread_on, depth, model] = profile_clocks(stored);
    return format(
        "{\"name\": %s, \"clocks_mhz\": {\"cpu_ext\": %.3f, \"pci\": %.3f, \"sdram\": %.3f, "
        "\"3v66\": %.3f}, \"spread\": {\"enabled\": %s, \"depth\": %u, \"model\": %u}}",
        json_string(name).c_str(), double{clock.cpu_ext_mhz}, double{clock.pci_mhz},
        double{sdram_mhz(clock)}, double{mhz_3v66(clock)}, spread_on ? "true" : "false", depth,
        model);
}

}  // namespace

bool valid_profile_name(std::string_view name) {
    return !name.empty() && name.size() <= kMaxProfileName && name.front() != '.' &&
           std::all_of(name.begin(), name.end(), profile_character);
}

bool profile_names_in(const NextDirectoryEntry& next, std::vector<std::string>& names,
                      std::string& error) {
    std::vector<std::string> found;
    int failure = 0;
    while (const char* entry = next(failure)) {
        const std::string_view file = entry;
        if (file.size() <= kProfileSuffix.size() || !file.ends_with(kProfileSuffix)) {
            continue;
        }
        const std::string_view name = file.substr(0, file.size() - kProfileSuffix.size());
        if (valid_profile_name(name)) {
            found.emplace_back(name);
        }
    }
    if (failure != 0) {
        error = std::strerror(failure);
        return false;
    }
    std::sort(found.begin(), found.end());
    names = std::move(found);
    return true;
}

std::string profile_name_refusal(std::string_view name) {
    // Appended: GCC 12 at -O3 warns (-Wrestrict) on "literal" + a temporary string.
    std::string text = "\"";
    text += name;
    text += "\" is not a profile name: 1 to 64 of A-Z a-z 0-9 . _ -, not starting with a dot";
    return text;
}

std::string profile_directory(const std::string& settings_path) {
    const std::size_t slash = settings_path.rfind('/');
    if (settings_path.empty()) {
        return {};
    }
    return (slash == std::string::npos ? std::string(".") : settings_path.substr(0, slash)) +
           "/profiles";
}

std::string profile_path(const std::string& settings_path, std::string_view name) {
    const std::string directory = profile_directory(settings_path);
    if (directory.empty()) {
        return {};
    }
    return directory + "/" + std::string(name) + std::string(kProfileSuffix);
}

int list_profiles(const std::string& directory, bool json, Console& console) {
    std::vector<std::string> names;
    std::string error;
    if (directory.empty() || !profile_names(directory, names, error)) {
        say(console, "cannot read the profiles" +
                         (directory.empty() ? std::string(" (there is no home directory)")
                                            : " in " + directory + ": " + error));
        return kExitFailed;
    }
    int status = kExitOk;
    std::string entries;
    for (const std::string& name : names) {
        platform::RegFileRegistry registry(directory + "/" + name + std::string(kProfileSuffix));
        RegistryKey* key = registry.create_or_open(kSettingsKeyPath);
        StoredSettings stored{};
        if (key == nullptr || !read_stored_settings(*key, stored)) {
            say(console, "profile " + name + ": no saved settings in " + registry.path() +
                             (registry.problem().empty() ? "" : " (" + registry.problem() + ")"));
            status = kExitFailed;
            continue;
        }
        if (json) {
            entries += (entries.empty() ? "\n    " : ",\n    ") + profile_json(name, stored);
        } else {
            console.out(profile_line(name, stored));
        }
    }
    if (json) {
        console.out("{\n  \"profiles\": [" + entries + (entries.empty() ? "]\n}\n" : "\n  ]\n}\n"));
    }
    return status;
}

int delete_profile(const std::string& directory, std::string_view name, Console& console) {
    if (!valid_profile_name(name)) {
        say(console, profile_name_refusal(name));
        return kExitUsage;
    }
    const std::string path = directory + "/" + std::string(name) + std::string(kProfileSuffix);
    struct stat info {};
    if (directory.empty() || ::lstat(path.c_str(), &info) != 0) {
        say(console, "there is no profile " + std::string(name) +
                         (directory.empty() ? std::string() : " (" + path + ")"));
        return kExitUsage;
    }
    if (!S_ISREG(info.st_mode) || ::unlink(path.c_str()) != 0) {
        say(console, "cannot delete the profile " + std::string(name) + " (" + path +
                         "): " + (S_ISREG(info.st_mode) ? std::strerror(errno) : "not a file"));
        return kExitFailed;
    }
    say(console, "deleted the profile " + std::string(name));
    return kExitOk;
}

}  // namespace vantrel::cli
