// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/boot_guard.h"
#include "ui/message_boxes.h"

namespace vantrel {

class MainDialog;
struct SettingsKey;

enum class StartupLoadOutcome : std::uint8_t {
    Applied,
    NoSettingsKey,    // the registry key could not be opened; nothing was touched
    GuardPresent,     // an earlier start-up apply did not finish or failed; nothing was touched
    GuardNotSet,      // the guard could not be written; nothing was touched
    Failed,           // the dialog's own checks or the chip failed, with their messages shown
    GuardNotCleared,  // applied, but the guard could not be removed
};

struct StartupLoadResult {
    StartupLoadOutcome outcome = StartupLoadOutcome::Failed;
    // Failed: the message that stopped the load. GuardPresent: why the earlier load failed, as
    // the guard recorded it, or empty when that load never finished.
    std::string cause;
};

// Applies the saved settings at program start without showing the dialog: the dialog's
// initialisation and its "Load Settings" run over controls nobody sees, exactly as they would
// in the dialog, and every message either of them shows is a failure. The dialog must be made
// with messages() as its message boxes. A failed load leaves the guard, with its cause.
class StartupLoad {
  public:
    StartupLoad(MessageBoxes& user_messages, BootGuard& guard)
        : counter_(user_messages), guard_(guard) {}
    StartupLoad(const StartupLoad&) = delete;
    StartupLoad& operator=(const StartupLoad&) = delete;

    MessageBoxes& messages() { return counter_; }

    StartupLoadResult run(MainDialog& dialog, const SettingsKey& settings_key);

  private:
    // Passes every message on to the user, counting them and keeping the last.
    class CountingMessages : public MessageBoxes {
      public:
        explicit CountingMessages(MessageBoxes& inner) : inner_(inner) {}
        void show(std::string_view text, std::string_view caption, MessageButtons buttons,
                  MessageIcon icon) override {
            ++count_;
            last_ = text;
            inner_.show(text, caption, buttons, icon);
        }
        unsigned count() const { return count_; }
        const std::string& last() const { return last_; }

      private:
        MessageBoxes& inner_;
        unsigned count_ = 0;
        std::string last_;
    };

    CountingMessages counter_;
    BootGuard& guard_;
};

}  // namespace vantrel
