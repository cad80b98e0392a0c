// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <string_view>

#include "platform/windows/registry_boot_guard.h"
#include "ui/registry.h"

namespace vantrel::platform {

// A key under HKEY_LOCAL_MACHINE, opened with full access and never closed: the process's end
// releases it.
class Win32RegistryKey : public RegistryKey, public GuardKey {
  public:
    explicit Win32RegistryKey(void* key) : key_(key) {}

    bool query_dword(std::string_view name, std::uint32_t& value) override;
    bool set_dword(std::string_view name, std::uint32_t value) override;

    // Whether a value of this name exists, whatever its type and size.
    bool has_value(std::string_view name) override;
    // A REG_SZ value; false when it is missing, of another type or too long for a message.
    bool query_string(std::string_view name, std::string& value) override;
    bool set_string(std::string_view name, std::string_view value) override;
    // Removes a value; true also when there was none.
    bool delete_value(std::string_view name) override;
    // Writes the key's changes to disk now rather than when the system gets round to it.
    bool flush() override;

  private:
    void* key_;
};

// RegCreateKeyExA of one key under HKEY_LOCAL_MACHINE.
class Win32Registry : public Registry {
  public:
    Win32Registry() = default;
    Win32Registry(const Win32Registry&) = delete;
    Win32Registry& operator=(const Win32Registry&) = delete;

    Win32RegistryKey* create_or_open(std::string_view path) override;

  private:
    Win32RegistryKey key_{nullptr};
    bool opened_ = false;
};

}  // namespace vantrel::platform
