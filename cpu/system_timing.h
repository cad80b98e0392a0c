// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>

namespace vantrel {

// Win32 HANDLE of a thread; only the pseudo-handle of the calling thread is ever used.
using ThreadHandle = std::uintptr_t;

inline constexpr int kThreadPriorityErrorReturn = 0x7FFFFFFF;  // THREAD_PRIORITY_ERROR_RETURN
inline constexpr int kThreadPriorityTimeCritical = 15;         // THREAD_PRIORITY_TIME_CRITICAL

// The operating system's performance counter and thread priority, with the meaning of the Win32
// calls of the same names: QueryPerformanceFrequency, QueryPerformanceCounter, GetCurrentThread,
// GetThreadPriority, SetThreadPriority. The queries return non-zero on success and write their
// out-parameter only then.
class SystemTiming {
  public:
    virtual ~SystemTiming() = default;
    virtual int query_performance_frequency(std::int64_t& frequency) = 0;
    virtual int query_performance_counter(std::int64_t& count) = 0;
    virtual ThreadHandle get_current_thread() = 0;
    // The thread's priority, or kThreadPriorityErrorReturn.
    virtual int get_thread_priority(ThreadHandle thread) = 0;
    virtual int set_thread_priority(ThreadHandle thread, int priority) = 0;
};

}  // namespace vantrel
