// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

namespace vantrel::platform {

// Whose files a program works on: this machine's, or a simulated board's. A simulated board's
// are kept apart, so that nothing a simulated run saves is ever loaded onto a real chip and no
// simulated failure leaves a guard that stops the machine's own boot-time load.
enum class FilesOf : unsigned char { ThisMachine, SimulatedBoard };

// What decides where the settings file lives when none is named on the command line.
struct SettingsPathSources {
    const char* xdg_config_home = nullptr;  // $XDG_CONFIG_HOME, nullptr when unset
    const char* home = nullptr;             // $HOME, nullptr when unset
    std::string account_home;               // the home directory of the user's account, or empty
    FilesOf files = FilesOf::ThisMachine;
};

// $XDG_CONFIG_HOME/vantrel/settings.reg, else $HOME/.config/vantrel/settings.reg, else the same
// under the account's home directory; relative or empty variables are ignored, as the XDG rules
// say. A simulated board's is in "simulated" below that directory. Empty when there is no home
// at all: the registry then opens no key.
std::string settings_path_from(const SettingsPathSources& sources);
std::string default_settings_path(FilesOf files = FilesOf::ThisMachine);

// What decides where a simulated board's boot guard lives when no state directory is named.
struct StateDirSources {
    const char* xdg_state_home = nullptr;  // $XDG_STATE_HOME, nullptr when unset
    const char* home = nullptr;            // $HOME, nullptr when unset
    std::string account_home;              // the home directory of the user's account, or empty
};

// This machine's is kDefaultStateDir; a simulated board's is $XDG_STATE_HOME/vantrel/simulated,
// else $HOME/.local/state/vantrel/simulated, else the same under the account's home directory.
// Empty when a simulated board has no home at all.
std::string state_dir_from(FilesOf files, const StateDirSources& sources);
std::string default_state_dir(FilesOf files);

}  // namespace vantrel::platform
