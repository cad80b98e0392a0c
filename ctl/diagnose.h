// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ctl/console.h"
#include "ctl/ctl_command.h"
#include "platform/linux/access/access_facts.h"

namespace vantrel::cli {

enum class Verdict : std::uint8_t {
    Ok,
    Wrong,    // stands in the way; the fix says what to do
    Unused,   // would be wrong, but the path taken does not need it
    Unknown,  // cannot be seen from here; neither claimed to work nor in the way
};

// One line of the diagnosis.
struct DiagnoseLine {
    const char* key;  // stable: the JSON key and the text line's name
    std::string value;
    Verdict verdict = Verdict::Ok;
    std::string fix;  // set when the verdict is Wrong
};

// The boot guard and the settings file as they are found, read without changing either.
struct GuardFact {
    std::string path;
    bool present = false;
    std::string content;
};
struct SettingsFact {
    std::string path;
    bool exists = false;
    std::string problem;              // why it cannot be read or used; empty when it can
    std::vector<std::string> values;  // "REG11=0x84", of the values it has
};

GuardFact read_guard_fact(const std::string& state_dir);
SettingsFact read_settings_fact(const std::string& path);

struct DiagnoseReport {
    std::vector<DiagnoseLine> lines;  // in the order the programs decide; the path last
    bool works = false;
    bool simulated = false;  // of a simulated board, whose files are its own
};

DiagnoseReport build_diagnose_report(const platform::AccessFacts& facts,
                                     platform::BusRequest request, const GuardFact& guard,
                                     const SettingsFact& settings);

// Under --simulate: the simulated board's own boot guard and settings file, and the path to it.
DiagnoseReport build_simulated_diagnose_report(const GuardFact& guard,
                                               const SettingsFact& settings);

std::string diagnose_text(const DiagnoseReport& report);
std::string diagnose_json(const DiagnoseReport& report);

// `vantrelctl diagnose`: reads every fact through `probe`, prints them and exits 0 when the path
// that would be taken works, kExitRefused when not. Touches neither ports, bus nor lock.
int run_diagnose(const CtlCommand& command, const platform::AccessProbe& probe,
                 const std::string& default_settings_path, Console& console);

}  // namespace vantrel::cli
