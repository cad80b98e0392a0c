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

bool RegistryBootGuard::present() {
    return key_ != nullptr && key_->has_value(kBootGuardValue);
}

// The guard is flushed before anything touches the chip: the system writes registry changes
// to disk lazily, and a machine that hangs right after the write would otherwise start again
// without the guard and hang again.
bool RegistryBootGuard::set() {
    return key_ != nullptr && key_->set_dword(kBootGuardValue, 1) && key_->flush();
}

bool RegistryBootGuard::clear() {
    return key_ != nullptr && key_->delete_value(kBootGuardValue) && key_->flush();
}

}  // namespace vantrel::platform
