// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl/reason_text.h"

#include <cinttypes>

#include "clockgen/register_codec.h"
#include "clockgen/registers.h"
#include "ctl/ctl_report.h"
#include "ui/group_delay_names.h"

namespace vantrel::cli {

namespace {

// The CPU dividers a board can be strapped to, in the order --help gives their ranges.
constexpr std::uint8_t kCpuDividers[] = {3, 4, 6};

std::string dividers_text(std::uint8_t cpu, std::uint8_t sdram) {
    return format("%u/%u", unsigned{cpu}, unsigned{sdram});
}

std::string clock_text(const ClockState& clock) {
    return format("CPU external %.3f MHz (N %u, M %u, CPU divider %u)", double{clock.cpu_ext_mhz},
                  unsigned{clock.pll_n}, unsigned{clock.pll_m}, unsigned{clock.cpu_divider});
}

std::string path_of(const SettingsFile& file) {
    return file.registry == nullptr ? std::string() : file.registry->path();
}

// The settings file's own problem after its path, or what the caller says when it has none.
std::string file_problem(const SettingsFile& file, const std::string& otherwise) {
    const std::string path = path_of(file);
    if (path.empty()) {
        return "there is no home directory to keep the settings file in";
    }
    const std::string problem = file.registry->problem();
    return "settings file " + path + ": " + (problem.empty() ? otherwise : problem);
}

std::string unreadable_values(const SettingsVerdict& verdict, const SettingsFile& file) {
    const platform::RegFileRegistry& registry = *file.registry;
    if (registry.finding() == platform::FileFinding::Absent) {
        return "there is no settings file " + registry.path() + "; " + file.save_command +
               " writes one";
    }
    if (registry.finding() != platform::FileFinding::Parsed) {
        return file_problem(file, "it cannot be read");
    }
    std::string values;
    for (const std::string_view name : verdict.unreadable) {
        const std::string problem = registry.value_problem(name);
        values += (values.empty() ? "" : ", ") +
                  (problem.empty() ? std::string(name) + " cannot be read" : problem);
    }
    return "settings file " + registry.path() + ": " + values;
}

std::vector<std::string> failed_checks(const SettingsVerdict& verdict, const ClockState& clock,
                                       bool saving) {
    const StoredSettings& s = verdict.stored;
    const SettingsChecks& checks = verdict.checks;
    const char* whose = saving ? "the chip's" : "the saved";
    std::vector<std::string> lines;
    if (!checks.pll_non_zero) {
        std::string zero;
        const std::pair<std::uint32_t, const char*> pll[] = {
            {s.reg11, "REG11 (N)"},
            {s.reg12, "REG12 (N minus the spread depth)"},
            {s.reg13, "REG13 (M)"}};
        for (const auto& [value, name] : pll) {
            if (value == 0) {
                zero += std::string(zero.empty() ? "" : " and ") + name;
            }
        }
        lines.push_back(std::string(whose) + " " + zero +
                        " is 0; N, N minus the spread depth and M must each be above 0");
    }
    if (!checks.depth_in_range) {
        lines.push_back(s.reg12 > s.reg11
                            ? format("%s REG12 (%" PRIu32 ") is above REG11 (N, %" PRIu32
                                     "): no spread depth makes N minus the depth that",
                                     whose, s.reg12, s.reg11)
                            : format("%s spread depth, REG11 (N, %" PRIu32 ") minus REG12 (%" PRIu32
                                     ") = %" PRIu32 ", is above %" PRIu32,
                                     whose, s.reg11, s.reg12, s.reg11 - s.reg12,
                                     kMaxStoredSpreadDepth));
    }
    if (!checks.target_in_range) {
        lines.push_back(
            verdict.target.valid
                ? format("%s N %" PRIu32 " and M %" PRIu32
                         " make a CPU external clock of %d MHz with CPU divider %u, outside "
                         "the valid %s",
                         whose, s.reg11, s.reg13, verdict.target.mhz, unsigned{clock.cpu_divider},
                         range_text(verdict.range).c_str())
                : format("%s N %" PRIu32 " and M %" PRIu32
                         " make no CPU external clock in the valid %s",
                         whose, s.reg11, s.reg13, range_text(verdict.range).c_str()));
    }
    if (!checks.same_straps) {
        const auto saved = static_cast<std::uint8_t>(s.reg1f);
        const std::uint8_t chip = verdict.chip_reg1f;
        lines.push_back(format(
            "the settings were saved on a board with dividers %s (REG1F 0x%02X); this chip has "
            "%s (REG1F 0x%02X), where they would mean other clocks",
            dividers_text(cpu_divider_of(saved), sdram_divider_of(saved)).c_str(), unsigned{saved},
            dividers_text(cpu_divider_of(chip), sdram_divider_of(chip)).c_str(), unsigned{chip}));
    }
    return lines;
}

}  // namespace

std::string range_text(const SliderRange& range) {
    return format("%d to %d MHz", range.minimum, range.maximum);
}

std::string range_help() {
    std::string text;
    for (const std::uint8_t divider : kCpuDividers) {
        text += format("%s%s with CPU divider %u", text.empty() ? "" : ", ",
                       range_text(slider_range(divider)).c_str(), unsigned{divider});
    }
    return text;
}

std::string frequency_reason(const ApplyOutcome& outcome, const ClockState& clock) {
    const std::string asked = outcome.request.kind == FrequencyRequest::Kind::Number
                                  ? format("%d MHz was asked", outcome.request.mhz)
                                  : "\"" + outcome.text + "\" was asked";
    return "the CPU external clock can be " + range_text(outcome.range) +
           " with this chip's dividers " + dividers_text(clock.cpu_divider, clock.sdram_divider) +
           "; " + asked;
}

std::string running_text(const RegisterShadow& shadow, const ClockState& clock) {
    ClockState mirror = clock;
    mirror.pll_n = shadow[REG11];
    mirror.pll_m = shadow[REG13];
    derive_frequencies(mirror);
    set_fields(mirror, unpack_reg21(shadow[REG21]));
    set_fields(mirror, unpack_reg22(shadow[REG22]));
    std::string text;
    if (clock.pll_latched) {
        mirror.spread_depth = spread_depth_of(shadow[REG11], shadow[REG12]);
        text = "the chip now runs " + clock_text(mirror);
    } else {
        // Unlatched registers do not reach the PLL: it runs what it ran before the apply.
        mirror.spread_depth = clock.spread_depth;
        text = "the new N and M were not latched, so the chip still runs " + clock_text(clock);
    }
    text += format(", spread %s, depth %u, model %u",
                   (shadow[REG00] & kReg00SpreadEnable) != 0 ? "on" : "off",
                   unsigned{mirror.spread_depth}, unsigned{mirror.spread_model});
    text += ", group delays CPU " + std::string(group_delay_name(mirror.delay_cpu)) + ", PCI " +
            std::string(group_delay_name(mirror.delay_pci)) + ", SDRAM " +
            std::string(group_delay_name(mirror.delay_sdram)) + ", 3V66 " +
            std::string(group_delay_name(mirror.delay_3v66));
    return text;
}

std::vector<std::string> settings_reasons(const SettingsVerdict& verdict, const SettingsFile& file,
                                          const ClockState& clock, bool saving) {
    using Outcome = SettingsVerdict::Outcome;
    switch (verdict.outcome) {
        case Outcome::Valid:
            break;
        case Outcome::NoKey:
            return {file_problem(file, "it cannot be opened")};
        case Outcome::Crushed:
            if (file.registry == nullptr) {
                return {"saved values cannot be read"};
            }
            return {unreadable_values(verdict, file)};
        case Outcome::Invalid: {
            std::vector<std::string> lines = failed_checks(verdict, clock, saving);
            if (saving) {
                lines.insert(lines.begin(),
                             "the chip's settings would not load back, so the saved ones are "
                             "kept:");
            }
            return lines;
        }
        case Outcome::NotLatched:
            return {
                "the last apply wrote N and M but did not latch them, so the registers may "
                "not be the clock the chip runs; nothing was saved (apply again first)"};
        case Outcome::WriteFailed:
            return {file_problem(file, "it cannot be written")};
    }
    return {};
}

}  // namespace vantrel::cli
