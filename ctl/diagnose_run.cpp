// SPDX-License-Identifier: GPL-2.0-or-later
#include <algorithm>
#include <cstdio>

#include <sys/stat.h>

#include "clockgen/registers.h"
#include "ctl/ctl_report.h"
#include "ctl/diagnose.h"
#include "ctl/failure_text.h"
#include "ctl/vantrelctl.h"
#include "platform/linux/file_boot_guard.h"
#include "platform/linux/settings/reg_file_registry.h"
#include "ui/registry.h"

namespace vantrel::cli {

namespace {

// The values a saved set consists of, in the order the settings store keeps them.
constexpr std::uint8_t kStoredRegisters[] = {REG00, REG11, REG12, REG13, REG1F, REG21, REG22};

const char* verdict_name(Verdict verdict) {
    switch (verdict) {
        case Verdict::Ok:
            return "ok";
        case Verdict::Wrong:
            return "wrong";
        case Verdict::Unused:
            return "unused";
        case Verdict::Unknown:
            return "unknown";
    }
    return "";
}

}  // namespace

std::string json_string(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

GuardFact read_guard_fact(const std::string& state_dir) {
    platform::FileBootGuard guard(state_dir.empty() ? platform::kDefaultStateDir : state_dir);
    GuardFact fact;
    fact.path = guard.path();
    std::string failure;
    fact.present = guard.present(failure);
    fact.content = failure.empty() ? guard.record() : failure;
    return fact;
}

SettingsFact read_settings_fact(const std::string& path) {
    SettingsFact fact;
    fact.path = path;
    struct stat info {};
    // A file not there yet has nothing to look into.
    fact.exists = !path.empty() && ::lstat(path.c_str(), &info) == 0;
    if (!fact.exists) {
        return fact;
    }
    platform::RegFileRegistry registry(path);
    RegistryKey* key = registry.create_or_open(kSettingsKeyPath);
    if (key == nullptr) {
        fact.problem = registry.problem();
        return fact;
    }
    std::string missing;
    for (const std::uint8_t reg : kStoredRegisters) {
        const std::string name = register_name(reg);
        std::uint32_t value = 0;
        if (key->query_dword(name, value)) {
            char text[24];
            std::snprintf(text, sizeof text, "%s=0x%02X", name.c_str(),
                          static_cast<unsigned>(value));
            fact.values.push_back(text);
        } else if (!registry.problem().empty()) {
            fact.problem = registry.problem();
            return fact;
        } else {
            missing += std::string(missing.empty() ? "" : ", ") + name;
        }
    }
    if (!missing.empty() && !fact.values.empty()) {
        fact.problem = "it lacks " + missing + ", so \"Load Settings\" cannot use it";
    }
    return fact;
}

std::string diagnose_text(const DiagnoseReport& report) {
    std::string out;
    for (const DiagnoseLine& line : report.lines) {
        // The verdicts line up in a column of seven, which "unknown" fills to the edge.
        std::string head = verdict_name(line.verdict);
        head.resize(std::max<std::size_t>(7, head.size() + 1), ' ');
        char key[24];
        std::snprintf(key, sizeof key, "%-14s", line.key);
        out += head + key + line.value + (line.fix.empty() ? "" : "; fix: " + line.fix) + "\n";
    }
    return out;
}

std::string diagnose_json(const DiagnoseReport& report) {
    std::string out = "{\n";
    for (const DiagnoseLine& line : report.lines) {
        out += "  " + json_string(line.key) + ": {\"verdict\": \"" + verdict_name(line.verdict) +
               "\", \"value\": " + json_string(line.value) +
               ", \"fix\": " + (line.fix.empty() ? std::string("null") : json_string(line.fix)) +
               "},\n";
    }
    out += std::string("  \"works\": ") + (report.works ? "true" : "false") + ",\n";
    out += simulated_json(report.simulated) + "\n}\n";
    return out;
}

int run_diagnose(const CtlCommand& command, const platform::AccessProbe& probe,
                 const std::string& default_settings_path, Console& console) {
    const GuardFact guard = read_guard_fact(command.state_dir);
    const SettingsFact settings = read_settings_fact(
        command.settings_path.empty() ? default_settings_path : command.settings_path);
    const DiagnoseReport report = command.simulate
                                      ? build_simulated_diagnose_report(guard, settings)
                                      : build_diagnose_report(platform::gather_access_facts(probe),
                                                              command.bus, guard, settings);
    console.out(command.json ? diagnose_json(report) : diagnose_text(report));
    return report.works ? kExitOk : kExitRefused;
}

}  // namespace vantrel::cli
