// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "bus/sleeper.h"
#include "cpu/system_timing.h"

namespace vantrel::platform {

// The Win32 performance counter and thread priority, one call each.
class Win32Timing : public SystemTiming {
  public:
    int query_performance_frequency(std::int64_t& frequency) override;
    int query_performance_counter(std::int64_t& count) override;
    ThreadHandle get_current_thread() override;
    int get_thread_priority(ThreadHandle thread) override;
    int set_thread_priority(ThreadHandle thread, int priority) override;
};

// Sleep.
class Win32Sleeper : public Sleeper {
  public:
    void sleep_ms(std::uint32_t milliseconds) override;
};

}  // namespace vantrel::platform
