// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/settings_path.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace vantrel::platform {

namespace {

std::string account_home() {
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr) {
        return {};
    }
    return found->pw_dir;
}

bool usable_base(const char* dir) {
    return dir != nullptr && dir[0] == '/';
}

}  // namespace

std::string settings_path_from(const SettingsPathSources& sources) {
    if (usable_base(sources.xdg_config_home)) {
        return std::string(sources.xdg_config_home) + "/vantrel/settings.reg";
    }
    if (usable_base(sources.home)) {
        return std::string(sources.home) + "/.config/vantrel/settings.reg";
    }
    if (usable_base(sources.account_home.c_str())) {
        return sources.account_home + "/.config/vantrel/settings.reg";
    }
    return {};
}

std::string default_settings_path() {
    SettingsPathSources sources;
    sources.xdg_config_home = std::getenv("XDG_CONFIG_HOME");
    sources.home = std::getenv("HOME");
    if (!usable_base(sources.xdg_config_home) && !usable_base(sources.home)) {
        sources.account_home = account_home();
    }
    return settings_path_from(sources);
}

}  // namespace vantrel::platform
