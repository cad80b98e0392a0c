// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/linux_timing.h"

#include <pthread.h>
#include <sched.h>
#include <time.h>

namespace vantrel::platform {

namespace {

// Win32's pseudo-handle for the calling thread: (HANDLE)-2.
constexpr ThreadHandle kCurrentThreadPseudoHandle = static_cast<ThreadHandle>(-2);
constexpr int kThreadPriorityNormal = 0;
constexpr std::int64_t kNanosecondsPerSecond = 1000000000;

bool set_scheduling(int policy, int priority) {
    sched_param param{};
    param.sched_priority = priority;
    return pthread_setschedparam(pthread_self(), policy, &param) == 0;
}

}  // namespace

int LinuxTiming::query_performance_frequency(std::int64_t& frequency) {
    frequency = kCounterFrequency;
    return 1;
}

int LinuxTiming::query_performance_counter(std::int64_t& count) {
    timespec now{};
    if (clock_gettime(CLOCK_MONOTONIC_RAW, &now) != 0) {
        return 0;
    }
    // Whole seconds and the fraction are scaled apart so the product cannot overflow.
    count = std::int64_t{now.tv_sec} * kCounterFrequency +
            std::int64_t{now.tv_nsec} * kCounterFrequency / kNanosecondsPerSecond;
    return 1;
}

ThreadHandle LinuxTiming::get_current_thread() {
    return kCurrentThreadPseudoHandle;
}

bool LinuxTiming::real_time_allowed() {
    if (!real_time_allowed_) {
        // Permission for SCHED_FIFO depends on capabilities, RLIMIT_RTPRIO and container
        // policy; trying it once, and putting the old scheduling straight back, is the only
        // reliable answer.
        int policy = 0;
        sched_param param{};
        bool allowed = false;
        if (pthread_getschedparam(pthread_self(), &policy, &param) == 0 &&
            set_scheduling(SCHED_FIFO, sched_get_priority_min(SCHED_FIFO))) {
            allowed = set_scheduling(policy, param.sched_priority);
        }
        real_time_allowed_ = allowed;
    }
    return *real_time_allowed_;
}

int LinuxTiming::get_thread_priority(ThreadHandle thread) {
    if (thread != kCurrentThreadPseudoHandle || !real_time_allowed()) {
        return kThreadPriorityErrorReturn;
    }
    sched_param param{};
    if (pthread_getschedparam(pthread_self(), &saved_.policy, &param) != 0) {
        return kThreadPriorityErrorReturn;
    }
    saved_.priority = param.sched_priority;
    const bool critical =
        saved_.policy == SCHED_FIFO && param.sched_priority == sched_get_priority_max(SCHED_FIFO);
    return critical ? kThreadPriorityTimeCritical : kThreadPriorityNormal;
}

int LinuxTiming::set_thread_priority(ThreadHandle thread, int priority) {
    if (thread != kCurrentThreadPseudoHandle) {
        return 0;
    }
    if (priority == kThreadPriorityTimeCritical) {
        return set_scheduling(SCHED_FIFO, sched_get_priority_max(SCHED_FIFO)) ? 1 : 0;
    }
    return set_scheduling(saved_.policy, saved_.priority) ? 1 : 0;
}

}  // namespace vantrel::platform
