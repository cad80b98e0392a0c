// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/boot_guard.h"

namespace vantrel::platform {

// The guard's values in the program's key.
inline constexpr std::string_view kBootGuardValue = "LoadGuard";
inline constexpr std::string_view kBootGuardCauseValue = "LoadGuardCause";

// What the guard needs of the program's key: the Win32 key, or a test's that sees the order of
// the calls. No Windows header is needed for it.
class GuardKey {
  public:
    virtual ~GuardKey() = default;
    virtual bool has_value(std::string_view name) = 0;
    virtual bool query_string(std::string_view name, std::string& value) = 0;
    virtual bool set_dword(std::string_view name, std::uint32_t value) = 0;
    virtual bool set_string(std::string_view name, std::string_view value) = 0;
    virtual bool delete_value(std::string_view name) = 0;
    virtual bool flush() = 0;
};

// The start-up guard as values of the program's key: the DWORD "LoadGuard", 1 while a start-up
// apply runs and after one that failed, and beside it the string "LoadGuardCause" saying why it
// failed. Without a key there is nowhere to keep it, and it can be neither set nor cleared.
class RegistryBootGuard : public BootGuard {
  public:
    explicit RegistryBootGuard(GuardKey* key) : key_(key) {}

    bool present(std::string& failure) override;
    bool set() override;
    bool record_failure(std::string_view cause) override;
    bool clear() override;

  private:
    GuardKey* key_;
};

}  // namespace vantrel::platform
