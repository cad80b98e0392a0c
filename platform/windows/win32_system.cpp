// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/windows/win32_system.h"

#include <cstdio>

#include <windows.h>

namespace vantrel::platform {

namespace {

std::string system_error_text(DWORD code) {
    char text[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, text, sizeof text, nullptr);
    std::string result(text, length);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' ||
                               result.back() == ' ' || result.back() == '.')) {
        result.pop_back();
    }
    if (result.empty()) {
        char number[32];
        std::snprintf(number, sizeof number, "system error %lu", code);
        result = number;
    }
    return result;
}

}  // namespace

bool nt_family() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) {
        // It fails only for a wrong structure size; should it fail anyway, the ports count as off
        // limits, which costs the hardware path and never crashes.
        return true;
    }
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool under_wine() {
    // Windows 95 and 98 have no ntdll.dll in a Win32 process, so the lookup ends there.
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

ClockChipClaim claim_clock_chip() {
    // Never closed: the system releases it when the process ends, however it ends.
    const HANDLE mutex = CreateMutexA(nullptr, TRUE, "Vantrel.VXC812-07.ClockChip");
    if (mutex == nullptr) {
        return ClockChipClaim::Failed;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return ClockChipClaim::HeldElsewhere;
    }
    return ClockChipClaim::Claimed;
}

bool read_file(const std::string& path, std::size_t max_bytes, std::string& content,
               std::string& error) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = "cannot be opened: " + system_error_text(GetLastError());
        return false;
    }
    const DWORD size = GetFileSize(file, nullptr);
    if (size == INVALID_FILE_SIZE || size > max_bytes) {
        CloseHandle(file);
        error = "is larger than " + std::to_string(max_bytes) + " bytes";
        return false;
    }
    std::string bytes(size, '\0');
    DWORD done = 0;
    while (done < size) {
        DWORD got = 0;
        if (!ReadFile(file, bytes.data() + done, size - done, &got, nullptr)) {
            const DWORD code = GetLastError();
            CloseHandle(file);
            error = "cannot be read: " + system_error_text(code);
            return false;
        }
        if (got == 0) {
            // Shortened by someone else while it was being read.
            bytes.resize(done);
            break;
        }
        done += got;
    }
    CloseHandle(file);
    content = std::move(bytes);
    return true;
}

}  // namespace vantrel::platform
