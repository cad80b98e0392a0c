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
constexpr std::uint32_t kMaxSpreadDepth = 10;
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

bool read_stored_settings(RegistryKey& key, StoredSettings& stored) {
    // Every value is asked for even after one is missing, as the dialog's load always has.
    StoredSettings read{};
    bool all_read = true;
    for (const auto& value : kStoredValues) {
        std::uint32_t data = 0;
        if (key.query_dword(value.name, data)) {
            read.*value.field = data;
        } else {
            all_read = false;
        }
    }
    if (all_read) {
        stored = read;
    }
    return all_read;
}

void SettingsStore::error(const char* text) {
    messages_.show(text, kErrorCaption, MessageButtons::Ok, MessageIcon::None);
}

void SettingsStore::save_settings() {
    // Design decision: a save that cannot be made says so, instead of letting the user believe
    // the settings are kept.
    RegistryKey* key = settings_key_.key;
    if (key == nullptr) {
        error("Cannot Save Settings!");
        return;
    }
    // A set that the load would refuse, or that names a clock the chip is not running, would
    // only overwrite the user's last good set; nothing is written then.
    if (!mirror_can_be_loaded()) {
        error("Cannot Save Settings!");
        return;
    }
    bool all_written = true;
    for (const auto& value : kStoredValues) {
        if (!key->set_dword(value.name, shadow_[value.reg])) {
            all_written = false;
        }
    }
    if (!all_written) {
        error("Cannot Save Settings!");
    }
}

SettingsStore::LoadCheck SettingsStore::check_stored(StoredSettings& stored,
                                                     TargetFrequency& target) const {
    RegistryKey* key = settings_key_.key;
    if (key == nullptr) {
        return LoadCheck::NoKey;
    }
    if (!read_stored_settings(*key, stored)) {
        return LoadCheck::Crushed;
    }
    target = target_frequency(stored.reg11, stored.reg13, clock_.cpu_divider);
    return settings_valid(stored, target) ? LoadCheck::Valid : LoadCheck::Invalid;
}

void SettingsStore::load_settings() {
    StoredSettings stored{};
    TargetFrequency target{};
    switch (check_stored(stored, target)) {
        case LoadCheck::NoKey:
            error("Cannot Load Settings!");
            return;
        case LoadCheck::Crushed:
            error("Settings Data Crushed!");
            return;
        case LoadCheck::Invalid:
            error("Cannot Apply These Settings!");
            return;
        case LoadCheck::Valid:
            break;
    }
    set_controls(stored, target);
    apply_.run_settings();
}

std::optional<int> SettingsStore::load_target() const {
    StoredSettings stored{};
    TargetFrequency target{};
    if (check_stored(stored, target) != LoadCheck::Valid) {
        return std::nullopt;
    }
    return target.mhz;
}

// Whether the mirror's seven registers are a set that loading would apply, and its PLL bytes
// the ones the chip runs.
bool SettingsStore::mirror_can_be_loaded() const {
    if (!clock_.pll_latched) {
        return false;
    }
    StoredSettings mirror{};
    for (const auto& value : kStoredValues) {
        mirror.*value.field = shadow_[value.reg];
    }
    const TargetFrequency target = target_frequency(mirror.reg11, mirror.reg13, clock_.cpu_divider);
    return settings_valid(mirror, target);
}

bool SettingsStore::settings_valid(const StoredSettings& stored,
                                   const TargetFrequency& target) const {
    const bool pll_non_zero = stored.reg11 != 0 && stored.reg12 != 0 && stored.reg13 != 0;
    const bool depth_in_range =
        stored.reg12 <= stored.reg11 && stored.reg11 - stored.reg12 <= kMaxSpreadDepth;
    const bool target_in_range = target.valid &&
                                 target.mhz >= controls_.slider_minimum(IDC_FREQ_SLIDER) &&
                                 target.mhz <= controls_.slider_maximum(IDC_FREQ_SLIDER);
    // Settings from a board strapped to other dividers would mean other clocks; bits 0-2 hold
    // the latch bits, which every commit sets, and may differ.
    const bool same_straps = (((stored.reg1f & 0xFFu) ^ shadow_[REG1F]) & kReg1FComparedBits) == 0;
    return pll_non_zero && depth_in_range && target_in_range && same_straps;
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
