// SPDX-License-Identifier: GPL-2.0-or-later
#include "qt/command_line.h"

#include <string_view>

namespace vantrel::qt {

namespace {

constexpr std::string_view kSimulate = "--simulate";
constexpr std::string_view kSettings = "--settings";
constexpr std::string_view kScreenshot = "--screenshot";
constexpr std::string_view kBus = "--bus";

// An option that takes a file: "--name FILE" or "--name=FILE". Returns false with an error
// when the file name is missing.
bool take_file(std::string_view name, const std::vector<std::string>& args, std::size_t& i,
               std::string& value, std::string& error) {
    const std::string_view arg = args[i];
    if (arg.size() > name.size()) {
        value = std::string(arg.substr(name.size() + 1));
    } else if (i + 1 < args.size()) {
        value = args[++i];
    } else {
        value.clear();
    }
    if (value.empty()) {
        error = std::string(name) + " needs a file name";
        return false;
    }
    return true;
}

// Whether the file name ends in ".png", in any case: the only kind of picture written.
bool names_png(std::string_view path) {
    constexpr std::string_view kPng = ".png";
    if (path.size() <= kPng.size()) {
        return false;
    }
    const std::string_view end = path.substr(path.size() - kPng.size());
    for (std::size_t i = 0; i < kPng.size(); ++i) {
        const char c = end[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != kPng[i]) {
            return false;
        }
    }
    return true;
}

// Whether `arg` is the option `name`, alone or with "=value".
bool is_option(std::string_view arg, std::string_view name) {
    return arg.substr(0, name.size()) == name &&
           (arg.size() == name.size() || arg[name.size()] == '=');
}

}  // namespace

bool parse_command_line(const std::vector<std::string>& args, CommandLine& line,
                        std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h") {
            line.action = CommandLine::Action::Help;
        } else if (arg == "--version") {
            line.action = CommandLine::Action::Version;
        } else if (arg == "--measure") {
            line.measure = true;
        } else if (is_option(arg, kSimulate)) {
            sim::BoardOptions options;
            const std::string_view list =
                arg.size() > kSimulate.size() ? arg.substr(kSimulate.size() + 1) : "";
            std::string reason;
            if (!sim::parse_board_options(list, options, reason)) {
                error = std::string(arg) + ": " + reason;
                return false;
            }
            line.simulate = std::move(options);
        } else if (is_option(arg, kSettings)) {
            if (!take_file(kSettings, args, i, line.settings_path, error)) {
                return false;
            }
        } else if (is_option(arg, kScreenshot)) {
            if (!take_file(kScreenshot, args, i, line.screenshot_path, error)) {
                return false;
            }
            if (!names_png(line.screenshot_path)) {
                error = std::string(kScreenshot) + " writes a PNG picture; give a file name " +
                        "ending in .png, not '" + line.screenshot_path + "'";
                return false;
            }
        } else if (is_option(arg, kBus)) {
            std::string value;
            if (arg.size() > kBus.size()) {
                value = std::string(arg.substr(kBus.size() + 1));
            } else if (i + 1 < args.size()) {
                value = args[++i];
            }
            if (!platform::parse_bus_request(value, line.bus)) {
                error = "--bus takes kernel or ports, not '" + value + "'";
                return false;
            }
        } else {
            error = "unknown argument '" + std::string(arg) + "'";
            return false;
        }
    }
    return true;
}

std::string usage_text() {
    std::string text =
        "usage: vantrel [--simulate[=OPTIONS]] [--bus kernel|ports] [--settings FILE]\n"
        "               [--screenshot FILE]\n"
        "       vantrel --help | --version\n"
        "\n"
        "Sets the clocks of a VXC812-07 clock generator on an Intel ICH SMBus.\n"
        "\n"
        "  --simulate[=OPTIONS]  run on a simulated board instead of this machine, with its\n"
        "                        own settings file ($XDG_CONFIG_HOME/vantrel/simulated/)\n"
        "  --bus kernel|ports    reach the SMBus through the kernel's i2c-dev node or through\n"
        "                        direct port access (default: the kernel's when its driver\n"
        "                        holds the controller)\n"
        "  --settings FILE       the settings file (default "
        "$XDG_CONFIG_HOME/vantrel/settings.reg)\n"
        "  --screenshot FILE     render the dialog to a PNG file and exit; the caution notice,\n"
        "                        when due, goes to FILE with -caution before the extension;\n"
        "                        FILE must end in .png\n"
        "  --help                show this text\n"
        "  --version             show the version\n"
        "\n";
    text += sim::board_options_help();
    return text;
}

std::string caution_screenshot_path(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.find_last_of('.');
    // A dot that starts the file name ("dir/.png") or lies in a directory is no extension.
    const std::size_t at = dot != std::string::npos && dot > name ? dot : path.size();
    return path.substr(0, at) + "-caution" + path.substr(at);
}

}  // namespace vantrel::qt
