// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/settings_store.h"

#include <cmath>

#include "clockgen/frequency_model.h"
#include "clockgen/register_codec.h"
#include "res/resource_ids.h"
#include "ui/frequency_fields.h"

namespace vantrel {

namespace {

struct StoredValue {
    const char* name;
    std::uint8_t reg;
    std::uint32_t StoredSettings::*field;
};

// Saved and queried in this order.
constexpr StoredValue kStoredValues[] = {
    {"REG00", REG00, &StoredSettings::reg00}, {"REG11", REG11, &StoredSettings::reg11},
    {"REG12", REG12, &StoredSettings::reg12}, {"REG13", REG13, &StoredSettings::reg13},
    {"REG1F", REG1F, &StoredSettings::reg1f}, {"REG21", REG21, &StoredSettings::reg21},
    {"REG22", REG22, &StoredSettings::reg22},
};

// The divider straps: stored and live REG1F must agree in these bits.
constexpr std::uint32_t kReg1FComparedBits = 0xF8;
// Beyond this a quotient cannot be a slider position; it also keeps the conversion defined.
constexpr double kLargestTarget = 1e9;

}  // namespace

TargetFrequency target_frequency(std::uint32_t reg11, std::uint32_t reg13,
                                 std::uint8_t cpu_divider) {
    const double q = (static_cast<double>(reg11) + 1.0) * kPllReferenceMhz /
                     (static_cast<double>(reg13) + 1.0) / cpu_divider;
    if (!std::isfinite(q) || std::fabs(q) > kLargestTarget) {
        return {false, 0};
    }
    int t = static_cast<int>(q);
    // Compared in single precision, so a quotient a hair above a half still rounds down.
    if (double{static_cast<float>(q)} - t > 0.5) {
        ++t;
    }
    return {true, t};
}

bool read_stored_settings(RegistryKey& key, StoredSettings& stored,
                          std::vector<std::string_view>* unreadable) {
    // Every value is asked for even after one is missing, as the dialog's load always has.
    StoredSettings read{};
    bool all_read = true;
    for (const auto& value : kStoredValues) {
        std::uint32_t data = 0;
        if (key.query_dword(value.name, data)) {
            read.*value.field = data;
        } else {
            all_read = false;
            if (unreadable != nullptr) {
                unreadable->push_back(value.name);
            }
        }
    }
    if (all_read) {
        stored = read;
    }
    return all_read;
}

bool write_stored_settings(RegistryKey& key, const RegisterShadow& shadow) {
    bool all_written = true;
    for (const auto& value : kStoredValues) {
        if (!key.set_dword(value.name, shadow[value.reg])) {
            all_written = false;
        }
    }
    return all_written;
}

void SettingsStore::error(const char* text) {
    messages_.show(text, kErrorCaption, MessageButtons::Ok, MessageIcon::None);
}

void SettingsStore::save_settings() {
    // Design decision: a save that cannot be made says so, instead of letting the user believe
    // the settings are kept.
    RegistryKey* key = settings_key_.key;
    if (key == nullptr) {
        verdict_ = {};
        verdict_.outcome = SettingsVerdict::Outcome::NoKey;
        error("Cannot Save Settings!");
        return;
    }
    // A set that the load would refuse, or that names a clock the chip is not running, would
    // only overwrite the user's last good set; nothing is written then.
    verdict_ = check_mirror();
    if (verdict_.outcome != SettingsVerdict::Outcome::Valid) {
        error("Cannot Save Settings!");
        return;
    }
    if (!write_stored_settings(*key, shadow_)) {
        verdict_.outcome = SettingsVerdict::Outcome::WriteFailed;
        error("Cannot Save Settings!");
    }
}

SettingsVerdict SettingsStore::check_stored() const {
    SettingsVerdict verdict;
    RegistryKey* key = settings_key_.key;
    if (key == nullptr) {
        verdict.outcome = SettingsVerdict::Outcome::NoKey;
        return verdict;
    }
    if (!read_stored_settings(*key, verdict.stored, &verdict.unreadable)) {
        verdict.outcome = SettingsVerdict::Outcome::Crushed;
        return verdict;
    }
    check(verdict);
    return verdict;
}

void SettingsStore::load_settings() {
    verdict_ = check_stored();
    switch (verdict_.outcome) {
        case SettingsVerdict::Outcome::NoKey:
            error("Cannot Load Settings!");
            return;
        case SettingsVerdict::Outcome::Crushed:
            error("Settings Data Crushed!");
            return;
        case SettingsVerdict::Outcome::Invalid:
            error("Cannot Apply These Settings!");
            return;
        case SettingsVerdict::Outcome::Valid:
        case SettingsVerdict::Outcome::NotLatched:
        case SettingsVerdict::Outcome::WriteFailed:
            break;
    }
    set_controls(verdict_.stored, verdict_.target);
    apply_.run_settings();
}

std::optional<int> SettingsStore::load_target() const {
    const SettingsVerdict verdict = check_stored();
    if (verdict.outcome != SettingsVerdict::Outcome::Valid) {
        return std::nullopt;
    }
    return verdict.target.mhz;
}

// Whether the mirror's seven registers are a set that loading would apply, and its PLL bytes
// the ones the chip runs.
SettingsVerdict SettingsStore::check_mirror() const {
    SettingsVerdict verdict;
    for (const auto& value : kStoredValues) {
        verdict.stored.*value.field = shadow_[value.reg];
    }
    check(verdict);
    if (!clock_.pll_latched) {
        verdict.outcome = SettingsVerdict::Outcome::NotLatched;
    }
    return verdict;
}

void SettingsStore::check(SettingsVerdict& verdict) const {
    const StoredSettings& stored = verdict.stored;
    verdict.target = target_frequency(stored.reg11, stored.reg13, clock_.cpu_divider);
    verdict.range = {controls_.slider_minimum(IDC_FREQ_SLIDER),
                     controls_.slider_maximum(IDC_FREQ_SLIDER)};
    verdict.chip_reg1f = shadow_[REG1F];
    SettingsChecks& checks = verdict.checks;
    checks.pll_non_zero = stored.reg11 != 0 && stored.reg12 != 0 && stored.reg13 != 0;
    checks.depth_in_range =
        stored.reg12 <= stored.reg11 && stored.reg11 - stored.reg12 <= kMaxStoredSpreadDepth;
    checks.target_in_range = verdict.target.valid && verdict.target.mhz >= verdict.range.minimum &&
                             verdict.target.mhz <= verdict.range.maximum;
    // Settings from a board strapped to other dividers would mean other clocks; bits 0-2 hold
    // the latch bits, which every commit sets, and may differ.
    checks.same_straps = (((stored.reg1f & 0xFFu) ^ verdict.chip_reg1f) & kReg1FComparedBits) == 0;
    verdict.outcome =
        checks.all() ? SettingsVerdict::Outcome::Valid : SettingsVerdict::Outcome::Invalid;
}

void SettingsStore::set_controls(const StoredSettings& stored, const TargetFrequency& target) {
    const bool spread_on = (stored.reg00 & kReg00SpreadEnable) != 0;
    controls_.set_check_state(IDC_SPREAD_ENABLE, spread_on ? kBstChecked : kBstUnchecked);
    controls_.enable(IDC_SPREAD_DEPTH, spread_on);
    controls_.enable(IDC_SPREAD_MODEL, spread_on);
    // Every field lies in the low byte of its value.
    const Reg21Fields reg21 = unpack_reg21(static_cast<std::uint8_t>(stored.reg21));
    const Reg22Fields reg22 = unpack_reg22(static_cast<std::uint8_t>(stored.reg22));
    controls_.select(IDC_DELAY_CPU, reg21.delay_cpu);
    controls_.select(IDC_DELAY_PCI, reg21.delay_pci);
    controls_.select(IDC_DELAY_SDRAM, reg21.delay_sdram);
    controls_.select(IDC_DELAY_3V66, reg22.delay_3v66);
    controls_.select(IDC_SPREAD_DEPTH, static_cast<int>(stored.reg11 - stored.reg12));
    controls_.select(IDC_SPREAD_MODEL, reg22.spread_model);
    controls_.set_text(IDC_FREQ_EDIT, format_target_text(target.mhz));
}

}  // namespace vantrel
