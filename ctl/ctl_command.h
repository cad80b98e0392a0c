// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/linux/bus_choice.h"
#include "sim/board_options.h"

namespace vantrel::cli {

enum class Command : std::uint8_t {
    None,
    Show,
    Dump,
    Set,
    Save,
    Load,
    ClearGuard,
    Diagnose,
    Profiles,
    DeleteProfile,
    Undo  // load --profile previous
};

// What `set` changes; what is not given stays as the chip has it.
struct SetChoices {
    std::optional<std::string> cpu_ext;  // whole MHz, as typed into the frequency box
    std::optional<unsigned> delay_cpu;   // group-delay codes 0 to 3
    std::optional<unsigned> delay_pci;
    std::optional<unsigned> delay_sdram;
    std::optional<unsigned> delay_3v66;
    std::optional<bool> spread;
    std::optional<unsigned> depth;  // 0 to 10
    std::optional<unsigned> model;  // 0 to 7

    bool any() const {
        return cpu_ext || delay_cpu || delay_pci || delay_sdram || delay_3v66 || spread || depth ||
               model;
    }
};

// One vantrelctl command line, parsed.
struct CtlCommand {
    Command command = Command::None;
    bool help = false;
    bool version = false;
    bool json = false;
    SetChoices choices;
    std::optional<unsigned> step_mhz;
    bool verify = true;    // off only with --no-verify
    bool dry_run = false;  // set and load: work the apply out and print it, send nothing of it
    std::optional<unsigned> confirm_seconds;
    bool at_boot = false;
    bool yes = false;
    bool trace = false;  // each SMBus transfer on standard error
    bool quiet = false;  // no progress line
    platform::BusRequest bus = platform::BusRequest::Auto;
    bool simulate = false;  // the simulated board, set up by `board`; else this machine
    sim::BoardOptions board;
    std::string settings_path;  // empty: the Linux program's own settings file
    std::string state_dir;      // empty: kDefaultStateDir, or a simulated board's own
    std::string profile;        // save/load --profile NAME, or delete-profile's NAME
};

// Parses the arguments (without the program name). On failure returns false and `error` names
// the argument that was wrong and why.
bool parse_ctl_command(std::span<const std::string> args, CtlCommand& command, std::string& error);

std::string ctl_usage();

}  // namespace vantrel::cli
