// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string_view>

#include "app/core/startup_load.h"
#include "ui/boot_guard.h"
#include "ui/message_boxes.h"

namespace vantrel::win32 {

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

// Says what a start-up load with /load came to, after the dialog's own messages; an applied
// load says nothing.
void tell_startup_load(const StartupLoadResult& result, MessageBoxes& messages);

// Removes the guard so that the next start-up apply runs, and says so.
bool clear_boot_guard(BootGuard& guard, MessageBoxes& messages);

}  // namespace vantrel::win32
