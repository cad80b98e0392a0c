// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <optional>

#include "cpu/system_timing.h"

namespace vantrel::platform {

// The Win32 performance counter and thread priority on Linux. The counter runs at 1,193,180 Hz
// (what Windows 98 reported on these boards) derived from CLOCK_MONOTONIC_RAW, so the speed
// measurement's 32-bit tick arithmetic behaves as it did there. Of the thread priorities only
// the two the measurement uses are modelled: time-critical is SCHED_FIFO at its highest
// priority, and any other value puts back the scheduling found by the last
// get_thread_priority. Where the process may not use real-time scheduling,
// get_thread_priority reports kThreadPriorityErrorReturn so the measurement runs unprioritised.
class LinuxTiming : public SystemTiming {
  public:
    static constexpr std::int64_t kCounterFrequency = 1193180;

    int query_performance_frequency(std::int64_t& frequency) override;
    int query_performance_counter(std::int64_t& count) override;
    ThreadHandle get_current_thread() override;
    int get_thread_priority(ThreadHandle thread) override;
    int set_thread_priority(ThreadHandle thread, int priority) override;

    // Whether this process may use real-time scheduling; tried once, then remembered.
    bool real_time_allowed();

  private:
    struct Scheduling {
        int policy = 0;
        int priority = 0;
    };

    std::optional<bool> real_time_allowed_;
    Scheduling saved_{};
};

}  // namespace vantrel::platform
