// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl/ctl_command.h"

#include <string_view>
#include <vector>

#include "bus/ascii_text.h"
#include "ctl/previous_profile.h"
#include "ctl/profiles.h"
#include "platform/linux/file_boot_guard.h"
#include "ui/group_delay_names.h"

namespace vantrel::cli {

namespace {

// Which commands take an option, as bits of (1 << Command).
constexpr unsigned bit(Command command) {
    return 1u << static_cast<unsigned>(command);
}
constexpr unsigned kAnyCommand = ~0u;
constexpr unsigned kFileCommands =
    bit(Command::ClearGuard) | bit(Command::Profiles) | bit(Command::DeleteProfile);
constexpr unsigned kBoardCommands = kAnyCommand & ~kFileCommands;
// The commands that work the bus.
constexpr unsigned kBusCommands = bit(Command::Show) | bit(Command::Dump) | bit(Command::Set) |
                                  bit(Command::Save) | bit(Command::Load) | bit(Command::Undo);
// A change's options, which undo takes as load does.
constexpr unsigned kChangeCommands = bit(Command::Set) | bit(Command::Load) | bit(Command::Undo);

struct OptionRule {
    std::string_view name;
    bool takes_value;
    unsigned commands;
};

constexpr OptionRule kOptions[] = {
    {"--json", false, bit(Command::Show) | bit(Command::Diagnose) | bit(Command::Profiles)},
    {"--cpu-ext", true, bit(Command::Set)},
    {"--delay-cpu", true, bit(Command::Set)},
    {"--delay-pci", true, bit(Command::Set)},
    {"--delay-sdram", true, bit(Command::Set)},
    {"--delay-3v66", true, bit(Command::Set)},
    {"--spread", true, bit(Command::Set)},
    {"--depth", true, bit(Command::Set)},
    {"--model", true, bit(Command::Set)},
    {"--step", true, kChangeCommands},
    {"--verify", false, kChangeCommands},
    {"--no-verify", false, kChangeCommands},
    {"--confirm", true, kChangeCommands},
    {"--dry-run", false, kChangeCommands},
    {"--at-boot", false, bit(Command::Load)},
    {"--settings", true, bit(Command::Save) | bit(Command::Load) | bit(Command::Diagnose)},
    {"--profile", true, bit(Command::Save) | bit(Command::Load)},
    {"--state-dir", true, bit(Command::Load) | bit(Command::ClearGuard) | bit(Command::Diagnose)},
    {"--bus", true, kBoardCommands},
    {"--trace", false, kBusCommands},
    {"-q", false, kBusCommands},
    {"--quiet", false, kBusCommands},
    {"-y", false, kAnyCommand},
    {"--yes", false, kAnyCommand},
    {"--hub", true, kAnyCommand},
    {"--dividers", true, kAnyCommand},
    {"--chip-dump", true, kAnyCommand},
};

constexpr std::pair<std::string_view, Command> kCommands[] = {
    {"show", Command::Show},
    {"dump", Command::Dump},
    {"set", Command::Set},
    {"save", Command::Save},
    {"load", Command::Load},
    {"clear-guard", Command::ClearGuard},
    {"diagnose", Command::Diagnose},
    {"profiles", Command::Profiles},
    {"delete-profile", Command::DeleteProfile},
    {"undo", Command::Undo},
};

constexpr unsigned kMaxStep = 255;
constexpr unsigned kMaxConfirmSeconds = 3600;
constexpr unsigned kMaxDepth = 10;
constexpr unsigned kMaxModel = 7;
// More digits than any frequency box could hold; the dialog's own check judges the rest.
constexpr std::size_t kMaxFrequencyDigits = 6;

// Ten digits at most, leading zeros included.
bool parse_decimal(std::string_view text, unsigned max, unsigned& value) {
    return text.size() <= 10 && ascii::parse_decimal(text, max, value);
}

// One piece of the simulated board's option list and the argument it came from.
struct OptionSource {
    std::string items;
    std::string argument;
};

// Parses the pieces as one list, so that an option given twice is caught across arguments; on
// failure the error names the argument that made the list wrong.
bool parse_sources(const std::vector<OptionSource>& sources, sim::BoardOptions& options,
                   std::string& error) {
    std::string list;
    for (const OptionSource& source : sources) {
        if (source.items.empty()) {
            continue;
        }
        const std::string candidate = list.empty() ? source.items : list + "," + source.items;
        sim::BoardOptions parsed;
        std::string reason;
        if (!sim::parse_board_options(candidate, parsed, reason)) {
            error = source.argument + ": " + reason;
            return false;
        }
        list = candidate;
    }
    return sim::parse_board_options(list, options, error);
}

// An option as given, with its value and the argument text that named it.
struct GivenOption {
    const OptionRule* rule;
    std::string value;
    std::string argument;
};

bool apply_option(const GivenOption& given, CtlCommand& command, std::string& error) {
    const std::string_view name = given.rule->name;
    const std::string& value = given.value;
    SetChoices& choices = command.choices;
    unsigned number = 0;
    const auto fail = [&](const std::string& reason) {
        error = given.argument + ": " + reason;
        return false;
    };
    if (name == "--json") {
        command.json = true;
    } else if (name == "--cpu-ext") {
        if (value.size() > kMaxFrequencyDigits || !parse_decimal(value, 999999, number)) {
            return fail("the CPU external clock is a whole number of MHz");
        }
        choices.cpu_ext = value;
    } else if (name.starts_with("--delay-")) {
        if (!parse_group_delay(value, number)) {
            return fail("a group delay is none, 150ps, 300ps or 450ps");
        }
        auto& field = name == "--delay-cpu"     ? choices.delay_cpu
                      : name == "--delay-pci"   ? choices.delay_pci
                      : name == "--delay-sdram" ? choices.delay_sdram
                                                : choices.delay_3v66;
        field = number;
    } else if (name == "--spread") {
        if (value != "on" && value != "off") {
            return fail("spread spectrum is on or off");
        }
        choices.spread = value == "on";
    } else if (name == "--depth") {
        if (!parse_decimal(value, kMaxDepth, number)) {
            return fail("the spread depth is 0 to 10");
        }
        choices.depth = number;
    } else if (name == "--model") {
        if (!parse_decimal(value, kMaxModel, number)) {
            return fail("the spread model is 0 to 7");
        }
        choices.model = number;
    } else if (name == "--step") {
        if (!parse_decimal(value, kMaxStep, number) || number == 0) {
            return fail("a step is a whole number of MHz from 1 to 255");
        }
        command.step_mhz = number;
    } else if (name == "--verify" || name == "--no-verify") {
        command.verify = name == "--verify";
    } else if (name == "--confirm") {
        if (!parse_decimal(value, kMaxConfirmSeconds, number) || number == 0) {
            return fail("the time to answer is 1 to 3600 seconds");
        }
        command.confirm_seconds = number;
    } else if (name == "--dry-run") {
        command.dry_run = true;
    } else if (name == "--at-boot") {
        command.at_boot = true;
    } else if (name == "--settings") {
        if (value.empty()) {
            return fail("needs a file name");
        }
        command.settings_path = value;
    } else if (name == "--profile") {
        if (!valid_profile_name(value)) {
            return fail(profile_name_refusal(value));
        }
        command.profile = value;
    } else if (name == "--state-dir") {
        if (value.empty()) {
            return fail("needs a directory");
        }
        command.state_dir = value;
    } else if (name == "--bus") {
        if (!platform::parse_bus_request(value, command.bus)) {
            return fail("the bus is reached through the kernel or the ports, not \"" + value +
                        "\"");
        }
    } else if (name == "-y" || name == "--yes") {
        command.yes = true;
    } else if (name == "--trace") {
        command.trace = true;
    } else if (name == "-q" || name == "--quiet") {
        command.quiet = true;
    }
    return true;
}

const char* command_name(Command command) {
    for (const auto& [name, value] : kCommands) {
        if (value == command) {
            return name.data();
        }
    }
    return "";
}

}  // namespace

bool parse_ctl_command(std::span<const std::string> args, CtlCommand& command, std::string& error) {
    CtlCommand parsed;
    std::vector<GivenOption> given;
    std::vector<OptionSource> sources;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            parsed.help = true;
            continue;
        }
        if (arg == "--version") {
            parsed.version = true;
            continue;
        }
        if (arg == "--simulate" || arg.starts_with("--simulate=")) {
            sources.push_back({arg.size() > 10 ? arg.substr(11) : "", arg});
            parsed.simulate = true;
            continue;
        }
        if (!arg.starts_with("-")) {
            if (parsed.command == Command::DeleteProfile && parsed.profile.empty()) {
                if (!valid_profile_name(arg)) {
                    error = profile_name_refusal(arg);
                    return false;
                }
                parsed.profile = arg;
                continue;
            }
            if (parsed.command != Command::None) {
                error =
                    "unexpected \"" + arg + "\" after the command " + command_name(parsed.command);
                return false;
            }
            for (const auto& [name, value] : kCommands) {
                if (arg == name) {
                    parsed.command = value;
                }
            }
            if (parsed.command == Command::None) {
                error = "unknown command \"" + arg + "\"";
                return false;
            }
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const OptionRule* rule = nullptr;
        for (const OptionRule& option : kOptions) {
            if (option.name == name) {
                rule = &option;
            }
        }
        if (rule == nullptr) {
            error = "unknown option \"" + arg + "\"";
            return false;
        }
        GivenOption option{rule, {}, arg};
        if (!rule->takes_value && equals != std::string::npos) {
            error = arg + ": " + name + " takes no value";
            return false;
        }
        if (rule->takes_value) {
            if (equals != std::string::npos) {
                option.value = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                option.value = args[++i];
                option.argument = arg + " " + option.value;
            } else {
                error = name + " needs a value";
                return false;
            }
        }
        if (name == "--hub" || name == "--dividers" || name == "--chip-dump") {
            const char* key = name == "--hub" ? "hub" : name == "--dividers" ? "dividers" : "dump";
            sources.push_back({std::string(key) + "=" + option.value, option.argument});
            parsed.simulate = true;
            continue;
        }
        given.push_back(option);
    }

    if (parsed.help || parsed.version) {
        command = std::move(parsed);
        return true;
    }
    if (parsed.command == Command::None) {
        error =
            "no command: give show, dump, set, save, load, undo, clear-guard, diagnose, profiles "
            "or delete-profile";
        return false;
    }
    for (const GivenOption& option : given) {
        if ((option.rule->commands & bit(parsed.command)) == 0) {
            error = option.argument + ": not an option of " + command_name(parsed.command);
            return false;
        }
        if (!apply_option(option, parsed, error)) {
            return false;
        }
    }
    if (parsed.step_mhz && parsed.command == Command::Set && !parsed.choices.cpu_ext) {
        error = "--step: set has no --cpu-ext to step to";
        return false;
    }
    if (parsed.command == Command::Set && !parsed.choices.any()) {
        error =
            "nothing to set: give one or more of --cpu-ext, --delay-cpu, --delay-pci, "
            "--delay-sdram, --delay-3v66, --spread, --depth and --model";
        return false;
    }
    if (parsed.at_boot && parsed.confirm_seconds) {
        error = "--confirm: at boot no one is there to answer";
        return false;
    }
    if (!parsed.profile.empty() && !parsed.settings_path.empty()) {
        error = "--profile: a profile is a settings file of its own; give it or --settings";
        return false;
    }
    if (parsed.command == Command::DeleteProfile && parsed.profile.empty()) {
        error = "delete-profile needs the NAME of a profile";
        return false;
    }
    if (!parse_sources(sources, parsed.board, error)) {
        return false;
    }
    // Undo is a load of what the last change kept.
    if (parsed.command == Command::Undo) {
        parsed.command = Command::Load;
        parsed.profile = kPreviousProfile;
    }
    command = std::move(parsed);
    return true;
}

}  // namespace vantrel::cli
