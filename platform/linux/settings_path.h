// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

namespace vantrel::platform {

// What decides where the settings file lives when none is named on the command line.
struct SettingsPathSources {
    const char* xdg_config_home = nullptr;  // $XDG_CONFIG_HOME, nullptr when unset
    const char* home = nullptr;             // $HOME, nullptr when unset
    std::string account_home;               // the home directory of the user's account, or empty
};

// $XDG_CONFIG_HOME/vantrel/settings.reg, else $HOME/.config/vantrel/settings.reg, else the same
// under the account's home directory; relative or empty variables are ignored, as the XDG rules
// say. Empty when there is no home at all: the registry then opens no key.
std::string settings_path_from(const SettingsPathSources& sources);
std::string default_settings_path();

}  // namespace vantrel::platform
