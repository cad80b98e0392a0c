// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/settings_path.h"

#include "platform/linux/account_lookup.h"

#include <unistd.h>

#include <cstdlib>

namespace vantrel::platform {

namespace {

std::string account_home() {
    UserAccount account;
    return lookup_account_by_uid(::getuid(), account) ? account.home : std::string();
}

bool usable_base(const char* dir) {
    return dir != nullptr && dir[0] == '/';
}

// The base without its trailing slashes, so that a HOME of "/" gives "/.config", not "//.config".
std::string under(std::string base, const char* rest) {
    while (!base.empty() && base.back() == '/') {
        base.pop_back();
    }
    return base + rest;
}

}  // namespace

std::string settings_path_from(const SettingsPathSources& sources) {
    if (usable_base(sources.xdg_config_home)) {
        return under(sources.xdg_config_home, "/vantrel/settings.reg");
    }
    if (usable_base(sources.home)) {
        return under(sources.home, "/.config/vantrel/settings.reg");
    }
    if (usable_base(sources.account_home.c_str())) {
        return under(sources.account_home, "/.config/vantrel/settings.reg");
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
