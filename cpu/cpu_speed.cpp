// SPDX-License-Identifier: GPL-2.0-or-later
#include "cpu/cpu_speed.h"

#include <cstdlib>
#include <limits>

namespace vantrel {

namespace {

constexpr std::uint32_t kLeadInTicks = 50;
constexpr std::uint32_t kWindowTicks = 1000;
constexpr std::uint32_t kMinTries = 3;
constexpr std::uint32_t kMaxTries = 20;
constexpr std::uint32_t kTimingRuns = 10;
constexpr std::uint64_t kMicrosecondsPerTenthSecond = 100000;

// Only the low 32 bits of the counter, its frequency and the time-stamp counter take part; all
// differences are modulo 2^32.
std::uint32_t low32(std::int64_t value) {
    return static_cast<std::uint32_t>(value);
}
std::uint32_t low32(std::uint64_t value) {
    return static_cast<std::uint32_t>(value);
}

bool read_counter(SystemTiming& timing, std::uint32_t& ticks) {
    std::int64_t count = 0;
    if (timing.query_performance_counter(count) == 0) {
        return false;
    }
    ticks = low32(count);
    return true;
}

// The counter frequency over ten, the divisor that turns ticks into microseconds; 0 when there
// is none (query failed, or a counter below 10 Hz, which would divide by zero).
std::uint32_t tenth_of_frequency(SystemTiming& timing, std::uint32_t& frequency) {
    std::int64_t raw = 0;
    if (timing.query_performance_frequency(raw) == 0) {
        return 0;
    }
    frequency = low32(raw);
    return frequency / 10;
}

// Ticks times 100000 exceeds 32 bits for long intervals, so the product is taken in 64 bits.
std::uint64_t ticks_to_us(std::uint32_t ticks, std::uint32_t tenth) {
    return std::uint64_t{ticks} * kMicrosecondsPerTenthSecond / tenth;
}

// Rounds `us` up when its remainder against the counter frequency exceeds half the frequency.
// The remainder is taken against the frequency, not a tick, so with counters of a megahertz or
// more this only ever touches windows longer than half a second.
std::uint64_t round_us(std::uint64_t us, std::uint32_t frequency) {
    return us % frequency > frequency / 2 ? us + 1 : us;
}

// A run longer than 32 bits of microseconds (over an hour) reports the longest time a sample can
// hold rather than a wrapped, far too short one.
std::uint32_t saturate32(std::uint64_t value) {
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uint32_t>(value > kMax ? kMax : value);
}

// MHz of one window, rounded to nearest with an exact half rounding down; a window too short to
// give a whole microsecond has no result.
std::uint32_t per_try_mhz(std::uint32_t cycles, std::uint64_t us) {
    if (us == 0) {
        return 0;
    }
    const std::uint64_t quotient = cycles / us;
    return static_cast<std::uint32_t>(cycles % us > us / 2 ? quotient + 1 : quotient);
}

// The stop rule compares each of the last three results with their mean; the differences are
// taken exactly in 64 bits so no result can wrap into a false agreement.
bool within_one_mhz_of_mean(std::uint32_t r0, std::uint32_t r1, std::uint32_t r2) {
    const std::int64_t sum = std::int64_t{r0} + r1 + r2;
    for (const std::uint32_t r : {r0, r1, r2}) {
        if (std::llabs(3 * std::int64_t{r} - sum) > 3) {
            return false;
        }
    }
    return true;
}

// The totals are kept in 64 bits; a sample holds 32, so both are halved together until they fit,
// which keeps their quotient.
CpuSpeedSample fit_sample(std::uint64_t cycles, std::uint64_t us) {
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
    while (cycles > kMax || us > kMax) {
        cycles >>= 1;
        us >>= 1;
    }
    return {static_cast<std::uint32_t>(cycles), static_cast<std::uint32_t>(us)};
}

}  // namespace

void refresh_cpu_speed(ClockState& state, CpuInstructions& cpu, SystemTiming& timing,
                       VendorFlag& vendor) {
    const CpuSpeedSample sample = measure_cpu_speed(cpu, timing, vendor);
    // An unmeasured processor shows 0, never the 133.0 placeholder: nothing may display a speed
    // that was not measured.
    state.cpu_speed_mhz =
        sample.elapsed_us == 0 ? 0.0f : static_cast<float>(sample.cycles / sample.elapsed_us);
}

CpuSpeedSample measure_cpu_speed(CpuInstructions& cpu, SystemTiming& timing, VendorFlag& vendor) {
    CpuInfo info(cpu, vendor);
    const std::uint16_t type = info.cpu_type();
    const std::uint32_t features = info.feature_flags();
    if ((type & kCpuTypeNonIntel) != 0) {
        return {};
    }
    if ((features & kFeatureTimeStampCounter) != 0) {
        return measure_by_time_stamp(cpu, timing);
    }
    if (type >= 3) {
        // Families above 11 without a time-stamp counter are taken to run the loop like the
        // newest generation in the table.
        const std::uint32_t per_iteration =
            type < kLoopCycles.size() ? kLoopCycles[type] : kLoopCycles.back();
        return measure_by_loop(per_iteration * kTimingLoopIterations, cpu, timing);
    }
    return {};
}

CpuSpeedSample measure_by_loop(std::uint32_t count, CpuInstructions& cpu, SystemTiming& timing) {
    std::uint32_t frequency = 0;
    const std::uint32_t tenth = tenth_of_frequency(timing, frequency);
    if (tenth == 0) {
        return {};
    }
    std::uint32_t best = 0xFFFFFFFF;
    for (std::uint32_t run = 0; run < kTimingRuns; ++run) {
        std::uint32_t t0 = 0;
        std::uint32_t t1 = 0;
        if (!read_counter(timing, t0)) {
            return {};
        }
        cpu.run_bsf_loop();
        if (!read_counter(timing, t1)) {
            return {};
        }
        const std::uint32_t ticks = t1 - t0;
        if (ticks < best) {
            best = ticks;
        }
    }
    const std::uint64_t us = round_us(ticks_to_us(best, tenth), frequency);
    return {count, saturate32(us)};
}

CpuSpeedSample measure_by_time_stamp(CpuInstructions& cpu, SystemTiming& timing) {
    const ThreadHandle thread = timing.get_current_thread();
    std::uint32_t frequency = 0;
    const std::uint32_t tenth = tenth_of_frequency(timing, frequency);
    if (tenth == 0) {
        return {};
    }

    std::uint32_t tries = 0;
    std::uint64_t total_cycles = 0;
    std::uint64_t total_us = 0;
    std::uint32_t r0 = 0;
    std::uint32_t r1 = 0;
    std::uint32_t r2 = 0;
    for (;;) {
        ++tries;
        r0 = r1;
        r1 = r2;

        std::uint32_t t0 = 0;
        if (!read_counter(timing, t0)) {
            return {};
        }
        std::uint32_t t1 = t0;
        const int priority = timing.get_thread_priority(thread);
        const bool raised = priority != kThreadPriorityErrorReturn;
        if (raised) {
            timing.set_thread_priority(thread, kThreadPriorityTimeCritical);
        }
        // The time-stamp counter is read directly after the performance counter each time, so
        // both ends of the window pair the two clocks at the same instant.
        bool counted = true;
        std::uint32_t s0 = 0;
        do {
            counted = read_counter(timing, t1);
            s0 = low32(cpu.read_time_stamp_counter());
        } while (counted && t1 - t0 < kLeadInTicks);
        t0 = t1;
        std::uint32_t s1 = s0;
        if (counted) {
            do {
                counted = read_counter(timing, t1);
                s1 = low32(cpu.read_time_stamp_counter());
            } while (counted && t1 - t0 < kWindowTicks);
        }
        if (raised) {
            timing.set_thread_priority(thread, priority);
        }
        if (!counted) {
            return {};
        }

        const std::uint32_t cycles = s1 - s0;
        std::uint64_t us = ticks_to_us(t1 - t0, tenth);
        total_us += us;
        total_cycles += cycles;
        us = round_us(us, frequency);  // for this window's result only; the total keeps the raw
        r2 = per_try_mhz(cycles, us);

        if (tries >= kMaxTries || (tries >= kMinTries && within_one_mhz_of_mean(r0, r1, r2))) {
            break;
        }
    }
    return fit_sample(total_cycles, total_us);
}

}  // namespace vantrel
