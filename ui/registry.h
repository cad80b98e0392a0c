// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <string_view>

namespace vantrel {

// The program's key, under HKEY_LOCAL_MACHINE.
inline constexpr std::string_view kSettingsKeyPath = "Software\\Korvane\\25";

// One open registry key.
class RegistryKey {
  public:
    virtual ~RegistryKey() = default;

    // Reads a value into a 4-byte buffer without asking for its type. Fails when the value is
    // missing or its data is longer than 4 bytes; shorter data is zero-extended.
    virtual bool query_dword(std::string_view name, std::uint32_t& value) = 0;
    // Stores a REG_DWORD of 4 bytes.
    virtual bool set_dword(std::string_view name, std::uint32_t value) = 0;
};

// The registry as the program opens it: create-or-open of one key with full access. The key
// belongs to the registry and is never closed by the program; nullptr when neither creating nor
// opening it worked.
class Registry {
  public:
    virtual ~Registry() = default;
    virtual RegistryKey* create_or_open(std::string_view path) = 0;
};

// The key that start-up opens and the settings store uses for the rest of the run.
struct SettingsKey {
    RegistryKey* key = nullptr;
};

}  // namespace vantrel
