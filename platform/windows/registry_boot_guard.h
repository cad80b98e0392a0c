// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <string_view>

#include "platform/windows/win32_registry.h"
#include "ui/boot_guard.h"

namespace vantrel::platform {

// The guard's values in the program's key.
inline constexpr std::string_view kBootGuardValue = "LoadGuard";
inline constexpr std::string_view kBootGuardCauseValue = "LoadGuardCause";

// The start-up guard as values of the program's key: the DWORD "LoadGuard", 1 while a start-up
// apply runs and after one that failed, and beside it the string "LoadGuardCause" saying why it
// failed. Without a key there is nowhere to keep it, and it can be neither set nor cleared.
class RegistryBootGuard : public BootGuard {
  public:
    explicit RegistryBootGuard(Win32RegistryKey* key) : key_(key) {}

    bool present(std::string& failure) override;
    bool set() override;
    bool record_failure(std::string_view cause) override;
    bool clear() override;

  private:
    Win32RegistryKey* key_;
};

}  // namespace vantrel::platform
