#pragma once

#include <string>
#include <string_view>

#include "platform/windows/win32_registry.h"
#include "ui/boot_guard.h"

namespace vantrel::platform {

// The guard's value in the program's key.
inline constexpr std::string_view kBootGuardValue = "LoadGuard";

// The start-up guard as a value of the program's key: the DWORD 1 while a start-up apply runs,
// the reason as a string once one has failed. Without a key there is nowhere to keep it, and it
// can be neither set nor cleared.
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
