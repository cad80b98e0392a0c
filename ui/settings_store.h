// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "bus/smbus_transfers.h"
#include "clockgen/clock_state.h"
#include "clockgen/frequency_model.h"
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

// The largest spread depth, REG11 minus REG12, that a load takes.
inline constexpr std::uint32_t kMaxStoredSpreadDepth = 10;

// All seven values from the key into `stored`; false, writing nothing, when one is missing.
// `unreadable`, when given, gets the name of each value that could not be read.
bool read_stored_settings(RegistryKey& key, StoredSettings& stored,
                          std::vector<std::string_view>* unreadable = nullptr);
// The seven registers from the mirror into the key, each tried; false when one was not written.
bool write_stored_settings(RegistryKey& key, const RegisterShadow& shadow);

// The CPU external frequency that stored PLL values stand for, rounded to whole MHz with an
// exact half going down; `valid` is false when it is not a finite number a slider could hold.
struct TargetFrequency {
    bool valid;
    int mhz;
};

TargetFrequency target_frequency(std::uint32_t reg11, std::uint32_t reg13,
                                 std::uint8_t cpu_divider);

// The checks a set of the seven values must pass to be loaded, each on its own; the message box
// says only that one failed.
struct SettingsChecks {
    bool pll_non_zero = true;     // REG11, REG12 and REG13 each non-zero
    bool depth_in_range = true;   // REG12 <= REG11 <= REG12 + kMaxStoredSpreadDepth
    bool target_in_range = true;  // the target frequency within the slider's range
    bool same_straps = true;      // REG1F's divider straps those of the chip
    bool all() const { return pll_non_zero && depth_in_range && target_in_range && same_straps; }
};

// What the last "Save Settings" or "Load Settings" found, for a front end that can say more
// than its one message.
struct SettingsVerdict {
    enum class Outcome : std::uint8_t {
        Valid,        // loaded and applied, or saved
        NoKey,        // there is no settings key
        Crushed,      // a value could not be read (`unreadable` names them)
        Invalid,      // a check failed (`checks` says which)
        NotLatched,   // save: the chip's PLL registers are not latched
        WriteFailed,  // save: a value could not be written
    };
    Outcome outcome = Outcome::Valid;
    std::vector<std::string_view> unreadable;
    StoredSettings stored{};  // as loaded, or as the mirror holds them for a save
    TargetFrequency target{};
    SliderRange range{};          // the slider's, that the target was held to
    std::uint8_t chip_reg1f = 0;  // the live REG1F the straps were compared with
    SettingsChecks checks;
};

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

    // What the last save or load found.
    const SettingsVerdict& last_verdict() const { return verdict_; }

  private:
    void error(const char* text);
    SettingsVerdict check_stored() const;
    SettingsVerdict check_mirror() const;
    // Runs the checks on `verdict.stored`, filling in the rest of the verdict.
    void check(SettingsVerdict& verdict) const;
    void set_controls(const StoredSettings& stored, const TargetFrequency& target);

    DialogControls& controls_;
    MessageBoxes& messages_;
    const SettingsKey& settings_key_;
    const RegisterShadow& shadow_;
    const ClockState& clock_;
    ApplyWorkflow& apply_;
    SettingsVerdict verdict_;
};

}  // namespace vantrel
