#pragma once

#include <cstdint>
#include <string_view>

#include "ui/dialog_window.h"
#include "ui/main_dialog.h"
#include "ui/message_boxes.h"
#include "ui/registry.h"

namespace vantrel {

// The mark that an apply of the saved settings at program start is under way. It is set before
// the chip is touched and removed when the apply has succeeded, and it lives where a hang or a
// reset cannot take it away, so that a start after a run that never finished finds it.
class BootGuard {
  public:
    virtual ~BootGuard() = default;
    virtual bool present() = 0;
    // Both return false when the mark could not be written or removed.
    virtual bool set() = 0;
    virtual bool clear() = 0;
};

// The guard as a value of the program's registry key.
inline constexpr std::string_view kBootGuardValue = "LoadGuard";

inline constexpr std::string_view kGuardPresentText =
    "The saved clock settings were not applied: the last start-up apply of them did not finish "
    "successfully (it failed, or the machine hung or was reset during it).\n\n"
    "Check them with \"Load Settings\" in Vantrel, then run \"vantrel.exe /clearguard\" to have "
    "them applied at start-up again.";
inline constexpr std::string_view kGuardNotSetText =
    "The saved clock settings were not applied: the start-up guard could not be written to the "
    "registry, and without it a setting that hangs the machine would be applied again at every "
    "start.";
inline constexpr std::string_view kApplyFailedText =
    "The saved clock settings were not applied. They will not be applied at start-up again "
    "until \"vantrel.exe /clearguard\" is run.";
inline constexpr std::string_view kGuardClearedText =
    "The saved clock settings will be applied again at the next start with /load.";
inline constexpr std::string_view kGuardNotClearedText =
    "The start-up guard could not be removed from the registry.";
inline constexpr std::string_view kAppliedGuardStaysText =
    "The saved clock settings were applied, but the start-up guard could not be removed from "
    "the registry, so they will not be applied at the next start.";

enum class StartupLoadOutcome : std::uint8_t {
    Applied,
    NoSettingsKey,  // the registry key could not be opened
    GuardPresent,   // an earlier start-up apply did not finish; nothing was touched
    GuardNotSet,    // the guard could not be written; nothing was touched
    Failed,         // the dialog's own checks or the chip failed, with their messages shown
};

// The window of a dialog nobody sees: it has no icons and never paints.
class HiddenDialogWindow : public DialogWindow {
  public:
    IconHandle load_icon(int) override { return nullptr; }
    void set_icon(IconKind, IconHandle) override {}
    bool minimised() const override { return false; }
    void begin_paint() override {}
    void erase_icon_background() override {}
    PixelSize system_icon_size() const override { return {0, 0}; }
    PixelSize client_size() const override { return {0, 0}; }
    void draw_icon(IconHandle, int, int) override {}
    void end_paint() override {}
    void default_paint() override {}
};

// Applies the saved settings at program start without showing the dialog: the dialog's
// initialisation and its "Load Settings" run over controls nobody sees, exactly as they would
// in the dialog, and every message either of them shows is a failure. The dialog must be made
// with messages() as its message boxes.
class StartupLoad {
  public:
    StartupLoad(MessageBoxes& user_messages, BootGuard& guard)
        : counter_(user_messages), guard_(guard) {}
    StartupLoad(const StartupLoad&) = delete;
    StartupLoad& operator=(const StartupLoad&) = delete;

    MessageBoxes& messages() { return counter_; }

    StartupLoadOutcome run(MainDialog& dialog, const SettingsKey& settings_key);

  private:
    // Passes every message on to the user and counts them.
    class CountingMessages : public MessageBoxes {
      public:
        explicit CountingMessages(MessageBoxes& inner) : inner_(inner) {}
        void show(std::string_view text, std::string_view caption, MessageButtons buttons,
                  MessageIcon icon) override {
            ++count_;
            inner_.show(text, caption, buttons, icon);
        }
        unsigned count() const { return count_; }

      private:
        MessageBoxes& inner_;
        unsigned count_ = 0;
    };

    void error(std::string_view text);

    CountingMessages counter_;
    BootGuard& guard_;
};

// Removes the guard so that the next start-up apply runs, and says so.
bool clear_boot_guard(BootGuard& guard, MessageBoxes& messages);

}  // namespace vantrel
