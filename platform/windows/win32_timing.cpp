// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/windows/win32_timing.h"

#include <windows.h>

namespace vantrel::platform {

static_assert(kThreadPriorityErrorReturn == THREAD_PRIORITY_ERROR_RETURN);
static_assert(kThreadPriorityTimeCritical == THREAD_PRIORITY_TIME_CRITICAL);

namespace {

HANDLE to_handle(ThreadHandle thread) {
    return reinterpret_cast<HANDLE>(thread);
}

}  // namespace

int Win32Timing::query_performance_frequency(std::int64_t& frequency) {
    LARGE_INTEGER value;
    if (!QueryPerformanceFrequency(&value)) {
        return 0;
    }
    frequency = value.QuadPart;
    return 1;
}

int Win32Timing::query_performance_counter(std::int64_t& count) {
    LARGE_INTEGER value;
    if (!QueryPerformanceCounter(&value)) {
        return 0;
    }
    count = value.QuadPart;
    return 1;
}

ThreadHandle Win32Timing::get_current_thread() {
    return reinterpret_cast<ThreadHandle>(GetCurrentThread());
}

int Win32Timing::get_thread_priority(ThreadHandle thread) {
    return GetThreadPriority(to_handle(thread));
}

int Win32Timing::set_thread_priority(ThreadHandle thread, int priority) {
    return SetThreadPriority(to_handle(thread), priority) ? 1 : 0;
}

void Win32Sleeper::sleep_ms(std::uint32_t milliseconds) {
    Sleep(milliseconds);
}

}  // namespace vantrel::platform
