// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <optional>

#include "bus/smbus_transfers.h"
#include "clockgen/clock_state.h"
#include "ui/apply_workflow.h"
#include "ui/dialog_controls.h"
#include "ui/message_boxes.h"
#include "ui/registry.h"

namespace vantrel {

// The seven register values kept under the settings key, as loaded.
struct StoredSettings {
    std::uint32_t reg00;
    std::uint32_t reg11;
    std::uint32_t reg12;
    std::uint32_t reg13;
    std::uint32_t reg1f;
    std::uint32_t reg21;
    std::uint32_t reg22;
};

// All seven values from the key into `stored`; false, writing nothing, when one is missing.
bool read_stored_settings(RegistryKey& key, StoredSettings& stored);

// The CPU external frequency that stored PLL values stand for, rounded to whole MHz with an
// exact half going down; `valid` is false when it is not a finite number a slider could hold.
struct TargetFrequency {
    bool valid;
    int mhz;
};

TargetFrequency target_frequency(std::uint32_t reg11, std::uint32_t reg13,
                                 std::uint8_t cpu_divider);

// "Save Settings" and "Load Settings": seven of the chip's registers in the registry.
class SettingsStore {
  public:
    SettingsStore(DialogControls& controls, MessageBoxes& messages, const SettingsKey& settings_key,
                  const RegisterShadow& shadow, const ClockState& clock, ApplyWorkflow& apply)
        : controls_(controls),
          messages_(messages),
          settings_key_(settings_key),
          shadow_(shadow),
          clock_(clock),
          apply_(apply) {}

    void save_settings();
    void load_settings();

    // The CPU external clock, in whole MHz, that "Load Settings" would now ask the apply for;
    // nullopt when the load would refuse the stored set. Shows nothing and sets no control.
    std::optional<int> load_target() const;

  private:
    // How far a load gets before it would apply: the reason it stops, or Valid.
    enum class LoadCheck : std::uint8_t { NoKey, Crushed, Invalid, Valid };

    void error(const char* text);
    LoadCheck check_stored(StoredSettings& stored, TargetFrequency& target) const;
    bool mirror_can_be_loaded() const;
    bool settings_valid(const StoredSettings& stored, const TargetFrequency& target) const;
    void set_controls(const StoredSettings& stored, const TargetFrequency& target);

    DialogControls& controls_;
    MessageBoxes& messages_;
    const SettingsKey& settings_key_;
    const RegisterShadow& shadow_;
    const ClockState& clock_;
    ApplyWorkflow& apply_;
};

}  // namespace vantrel
