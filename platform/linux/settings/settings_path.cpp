// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/settings/settings_path.h"

#include "platform/linux/access/account_lookup.h"

#include <unistd.h>

#include <cstdlib>

#include "platform/linux/file_boot_guard.h"

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

// The XDG base directory `xdg`, else `fallback` under the home directory, else under the
// account's; empty without any.
std::string base_dir(const char* xdg, const char* home, const std::string& account,
                     const char* fallback) {
    if (usable_base(xdg)) {
        return xdg;
    }
    if (usable_base(home)) {
        return under(home, fallback);
    }
    if (usable_base(account.c_str())) {
        return under(account, fallback);
    }
    return {};
}

const char* files_dir(FilesOf files) {
    return files == FilesOf::SimulatedBoard ? "/vantrel/simulated" : "/vantrel";
}

}  // namespace

std::string settings_path_from(const SettingsPathSources& sources) {
    const std::string base =
        base_dir(sources.xdg_config_home, sources.home, sources.account_home, "/.config");
    return base.empty() ? base : under(base, files_dir(sources.files)) + "/settings.reg";
}

std::string default_settings_path(FilesOf files) {
    SettingsPathSources sources;
    sources.xdg_config_home = std::getenv("XDG_CONFIG_HOME");
    sources.home = std::getenv("HOME");
    sources.files = files;
    if (!usable_base(sources.xdg_config_home) && !usable_base(sources.home)) {
        sources.account_home = account_home();
    }
    return settings_path_from(sources);
}

std::string state_dir_from(FilesOf files, const StateDirSources& sources) {
    if (files == FilesOf::ThisMachine) {
        return kDefaultStateDir;
    }
    const std::string base =
        base_dir(sources.xdg_state_home, sources.home, sources.account_home, "/.local/state");
    return base.empty() ? base : under(base, files_dir(files));
}

std::string default_state_dir(FilesOf files) {
    StateDirSources sources;
    sources.xdg_state_home = std::getenv("XDG_STATE_HOME");
    sources.home = std::getenv("HOME");
    if (files == FilesOf::SimulatedBoard && !usable_base(sources.xdg_state_home) &&
        !usable_base(sources.home)) {
        sources.account_home = account_home();
    }
    return state_dir_from(files, sources);
}

}  // namespace vantrel::platform
