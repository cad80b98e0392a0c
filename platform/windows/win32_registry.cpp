// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/windows/win32_registry.h"

#include <string>

#include <windows.h>

namespace vantrel::platform {

namespace {

HKEY to_hkey(void* key) {
    return static_cast<HKEY>(key);
}

}  // namespace

bool Win32RegistryKey::query_dword(std::string_view name, std::uint32_t& value) {
    // Zeroed first, so that shorter data reads as its zero-extension.
    DWORD data = 0;
    DWORD size = sizeof data;
    const std::string value_name(name);
    if (RegQueryValueExA(to_hkey(key_), value_name.c_str(), nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS) {
        return false;
    }
    value = data;
    return true;
}

bool Win32RegistryKey::set_dword(std::string_view name, std::uint32_t value) {
    const DWORD data = value;
    const std::string value_name(name);
    return RegSetValueExA(to_hkey(key_), value_name.c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&data), sizeof data) == ERROR_SUCCESS;
}

bool Win32RegistryKey::has_value(std::string_view name) {
    const std::string value_name(name);
    // Without a buffer the query only says whether the value is there, at any size.
    return RegQueryValueExA(to_hkey(key_), value_name.c_str(), nullptr, nullptr, nullptr,
                            nullptr) == ERROR_SUCCESS;
}

bool Win32RegistryKey::query_string(std::string_view name, std::string& value) {
    char data[1024];
    DWORD size = sizeof data;
    DWORD type = 0;
    const std::string value_name(name);
    if (RegQueryValueExA(to_hkey(key_), value_name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return false;
    }
    // The stored terminating NUL, or none when the data was written without one.
    std::size_t length = size;
    while (length > 0 && data[length - 1] == '\0') {
        --length;
    }
    value.assign(data, length);
    return true;
}

bool Win32RegistryKey::set_string(std::string_view name, std::string_view value) {
    const std::string value_name(name);
    const std::string data(value);
    return RegSetValueExA(to_hkey(key_), value_name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

bool Win32RegistryKey::delete_value(std::string_view name) {
    const std::string value_name(name);
    const LONG result = RegDeleteValueA(to_hkey(key_), value_name.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

bool Win32RegistryKey::flush() {
    return RegFlushKey(to_hkey(key_)) == ERROR_SUCCESS;
}

Win32RegistryKey* Win32Registry::create_or_open(std::string_view path) {
    if (opened_) {
        return &key_;
    }
    const std::string key_path(path);
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, &disposition) != ERROR_SUCCESS) {
        return nullptr;
    }
    key_ = Win32RegistryKey(key);
    opened_ = true;
    return &key_;
}

}  // namespace vantrel::platform
