// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "clockgen/clock_state.h"
#include "cpu/cpu_speed.h"
#include "support/param_name.h"
#include "support/scripted_cpu.h"

namespace vantrel {

void PrintTo(const CpuSpeedSample& sample, std::ostream* os) {
    *os << "{cycles " << sample.cycles << ", elapsed_us " << sample.elapsed_us << "}";
}

namespace {

using test::PrintTo;
using test::ScriptedCpu;
using test::ScriptedTiming;
using test::TimingEvent;

ScriptedCpu pentium_iii() {
    return ScriptedCpu::with_cpuid("GenuineIntel", 2, 0x683, 0x0383FBFF);
}

// A processor and its system timing, scripted window by window. With the default 1 MHz counter
// a 1000-tick window is 1000 us, so `cycles` = MHz x 1000.
struct Machine {
    ScriptedCpu cpu = pentium_iii();
    ScriptedTiming timing;
    std::int64_t now = 0x7FFFFC00;  // windows straddle the 32-bit boundary of the counter
    std::uint64_t tsc = 0xFFFF0000;

    // One try of the time-stamp method: t0, the lead-in ending 50 ticks later, then the window
    // ending `ticks` after that; the time-stamp counter gives s0 and s0 + cycles.
    void window(std::uint32_t cycles, std::uint32_t ticks = 1000) {
        timing.add_reading(now);
        timing.add_reading(now + 50);
        timing.add_reading(now + 50 + ticks);
        cpu.add_time_stamp(tsc);
        cpu.add_time_stamp(tsc + cycles);
        now += 50 + ticks + 7;
        tsc += cycles + 12345;
    }
    // One run of the timing loop taking `ticks`.
    void run(std::uint32_t ticks) {
        timing.add_reading(now);
        timing.add_reading(now + ticks);
        now += ticks + 3;
    }
};

// ---- Time-stamp method: when it stops ----

struct StopRow {
    const char* name;
    std::vector<std::uint32_t> mhz_per_window;  // scripted; the surplus is never read
    std::uint32_t tries;
};

void PrintTo(const StopRow& row, std::ostream* os) {
    *os << row.name;
}

class TimeStampStopRule : public ::testing::TestWithParam<StopRow> {};

TEST_P(TimeStampStopRule, StopsWhenLastThreeAgreeWithinOneMhz) {
    const StopRow& row = GetParam();
    Machine m;
    for (const std::uint32_t mhz : row.mhz_per_window) {
        m.window(mhz * 1000);
    }

    const CpuSpeedSample sample = measure_by_time_stamp(m.cpu, m.timing);

    EXPECT_EQ(m.timing.readings_taken(), 3u * row.tries);
    std::uint32_t cycles = 0;
    for (std::uint32_t i = 0; i < row.tries; ++i) {
        cycles += row.mhz_per_window[i] * 1000;
    }
    EXPECT_EQ(sample, (CpuSpeedSample{cycles, 1000 * row.tries}));
}

std::vector<std::uint32_t> alternating(std::uint32_t a, std::uint32_t b, unsigned count) {
    std::vector<std::uint32_t> v;
    for (unsigned i = 0; i < count; ++i) {
        v.push_back(i % 2 == 0 ? a : b);
    }
    return v;
}

INSTANTIATE_TEST_SUITE_P(
    Windows, TimeStampStopRule,
    ::testing::Values(StopRow{"SpreadOfTwoStops", {300, 301, 302, 900}, 3},
                      StopRow{"SpreadOfTwoNotCenteredGoesOn", {300, 300, 302, 302, 302, 900}, 5},
                      StopRow{"NeverBeforeThreeTries", {0, 0, 0, 900}, 3},
                      StopRow{"DriftStopsWhenSettled", {300, 310, 320, 321, 322, 900}, 5},
                      StopRow{"NeverAgreeingStopsAtTwenty", alternating(300, 310, 25), 20}),
    [](const auto& row) { return std::string(row.param.name); });

// ---- Time-stamp method: per-window rounding and totals ----

struct RoundingRow {
    const char* name;
    std::int64_t frequency;
    std::vector<std::uint32_t> cycles;  // per 1000-tick window
    std::uint32_t tries;
};

void PrintTo(const RoundingRow& row, std::ostream* os) {
    *os << row.name;
}

class TimeStampRounding : public ::testing::TestWithParam<RoundingRow> {};

TEST_P(TimeStampRounding, PerWindowResultDecidesTheStop) {
    const RoundingRow& row = GetParam();
    Machine m;
    m.timing.frequency = row.frequency;
    for (const std::uint32_t cycles : row.cycles) {
        m.window(cycles);
    }
    measure_by_time_stamp(m.cpu, m.timing);
    EXPECT_EQ(m.timing.readings_taken(), 3u * row.tries);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, TimeStampRounding,
    ::testing::Values(
        // 2 us windows: 201/2 is 100 (an exact half rounds down), so 100, 102, 102 do not agree.
        RoundingRow{"ExactHalfRoundsDown", 500000000, {201, 204, 204, 204}, 4},
        // 4 us windows: 403/4 is 101 (remainder 3 above half), so 101, 102, 102 agree.
        RoundingRow{"AboveHalfRoundsUp", 250000000, {403, 408, 408, 408}, 3}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(TimeStamp, LongWindowTimeIsTakenIn64Bits) {
    // 50000 ticks x 100000 exceeds 32 bits.
    Machine m;
    for (int i = 0; i < 3; ++i) {
        m.window(15000000, 50000);
    }
    EXPECT_EQ(measure_by_time_stamp(m.cpu, m.timing), (CpuSpeedSample{45000000, 150000}));
}

TEST(TimeStamp, TotalsBeyond32BitsKeepTheirQuotient) {
    // A 10 Hz counter: each 1000-tick window is 100 s, and three windows of 0xF0000000 cycles
    // total more than 32 bits.
    Machine m;
    m.timing.frequency = 10;
    for (int i = 0; i < 3; ++i) {
        m.window(0xF0000000);
    }
    const CpuSpeedSample sample = measure_by_time_stamp(m.cpu, m.timing);
    EXPECT_EQ(sample, (CpuSpeedSample{0xB4000000, 75000000}));
}

TEST(TimeStamp, TotalTimeKeepsTheUnroundedWindow) {
    // An 11 Hz counter: a 1002-tick window is 100200000 us, remainder 10 against 11, which is
    // above half, so the window's own result uses 100200001 us; the total keeps 100200000.
    Machine m;
    m.timing.frequency = 11;
    for (int i = 0; i < 3; ++i) {
        m.window(100200000, 1002);
    }
    EXPECT_EQ(measure_by_time_stamp(m.cpu, m.timing), (CpuSpeedSample{300600000, 300600000}));
}

// ---- Time-stamp method: thread priority ----

std::vector<TimingEvent> one_try(std::int64_t t0, std::int64_t priority, bool prioritised) {
    std::vector<TimingEvent> events = {{TimingEvent::Counter, t0},
                                       {TimingEvent::GetPriority, priority}};
    if (prioritised) {
        events.push_back({TimingEvent::SetPriority, 15});
    }
    events.push_back({TimingEvent::Counter, t0 + 50});
    events.push_back({TimingEvent::Counter, t0 + 1050});
    if (prioritised) {
        events.push_back({TimingEvent::SetPriority, priority});
    }
    return events;
}

TEST(TimeStampPriority, TimeCriticalDuringEachTryAndRestoredAfter) {
    Machine m;
    m.timing.priority = 2;
    const std::int64_t start = m.now;
    for (int i = 0; i < 3; ++i) {
        m.window(500000);
    }
    measure_by_time_stamp(m.cpu, m.timing);

    std::vector<TimingEvent> expected;
    for (std::int64_t i = 0; i < 3; ++i) {
        const auto events = one_try(start + i * 1057, 2, true);
        expected.insert(expected.end(), events.begin(), events.end());
    }
    EXPECT_EQ(m.timing.events(), expected);
}

TEST(TimeStampPriority, FailedPriorityQueryLeavesPriorityAloneAndStillMeasures) {
    Machine m;
    m.timing.priority = kThreadPriorityErrorReturn;
    const std::int64_t start = m.now;
    for (int i = 0; i < 3; ++i) {
        m.window(500000);
    }
    EXPECT_EQ(measure_by_time_stamp(m.cpu, m.timing), (CpuSpeedSample{1500000, 3000}));

    std::vector<TimingEvent> expected;
    for (std::int64_t i = 0; i < 3; ++i) {
        const auto events = one_try(start + i * 1057, kThreadPriorityErrorReturn, false);
        expected.insert(expected.end(), events.begin(), events.end());
    }
    EXPECT_EQ(m.timing.events(), expected);
}

TEST(TimeStampPriority, FailedCounterReadMidWindowRestoresPriorityAndMeasuresNothing) {
    Machine m;
    m.timing.priority = -1;
    m.window(500000);
    m.window(500000);
    m.timing.counter_fails_at_reading = 5;  // the second try's window end
    EXPECT_EQ(measure_by_time_stamp(m.cpu, m.timing), CpuSpeedSample{});
    EXPECT_EQ(m.timing.current_priority(), -1);
    EXPECT_EQ(m.timing.events().back(), (TimingEvent{TimingEvent::SetPriority, -1}));
}

// ---- Loop method ----

struct LoopRow {
    const char* name;
    std::int64_t frequency;
    std::vector<std::uint32_t> ticks_per_run;
    std::uint32_t elapsed_us;
};

void PrintTo(const LoopRow& row, std::ostream* os) {
    *os << row.name;
}

class LoopMethod : public ::testing::TestWithParam<LoopRow> {};

TEST_P(LoopMethod, FastestOfTenRuns) {
    const LoopRow& row = GetParam();
    Machine m;
    m.timing.frequency = row.frequency;
    for (const std::uint32_t ticks : row.ticks_per_run) {
        m.run(ticks);
    }
    EXPECT_EQ(measure_by_loop(152000, m.cpu, m.timing), (CpuSpeedSample{152000, row.elapsed_us}));
    EXPECT_EQ(m.cpu.count("bsf_loop"), 10u);
    EXPECT_EQ(m.timing.readings_taken(), 20u);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, LoopMethod,
    ::testing::Values(
        // 800 ticks of 1193180 Hz: 80000000 / 119318 = 670.47, truncated.
        LoopRow{"FastestIsLast", 1193180, {900, 880, 870, 860, 850, 840, 830, 820, 810, 800}, 670},
        LoopRow{"FastestIsFirst", 1193180, {800, 880, 870, 860, 850, 840, 830, 820, 810, 801}, 670},
        LoopRow{
            "FastestInTheMiddle", 1193180, {805, 803, 900, 799, 802, 810, 811, 812, 813, 814}, 669},
        // 100000 x 100000 exceeds 32 bits; 10000000000 / 119318 = 83809.6, truncated.
        LoopRow{"SlowRunTakenIn64Bits",
                1193180,
                {100000, 100000, 100000, 100000, 100000, 100000, 100000, 100000, 100000, 100000},
                83809},
        // 11 Hz: one tick is 100000 us, remainder 10 against 11 exceeds half, so one is added.
        LoopRow{"RemainderAboveHalfRoundsUp", 11, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 100001},
        LoopRow{"NoRemainderNoRounding", 11, {11, 11, 11, 11, 11, 11, 11, 11, 11, 11}, 1100000}),
    [](const auto& row) { return std::string(row.param.name); });

// Without a usable counter frequency (the query fails, or below 10 Hz there is no divisor)
// neither method measures or reads the counter.
struct CounterFrequencyRow {
    const char* label;
    std::optional<std::int64_t> frequency;  // none: the query fails
};

class WithoutCounterFrequency : public ::testing::TestWithParam<CounterFrequencyRow> {};

TEST_P(WithoutCounterFrequency, NothingIsMeasured) {
    Machine m;
    m.timing.frequency = GetParam().frequency;
    EXPECT_EQ(measure_by_time_stamp(m.cpu, m.timing), CpuSpeedSample{});
    EXPECT_EQ(measure_by_loop(152000, m.cpu, m.timing), CpuSpeedSample{});
    EXPECT_EQ(m.timing.readings_taken(), 0u);
    EXPECT_EQ(m.cpu.count("bsf_loop"), 0u);
}

INSTANTIATE_TEST_SUITE_P(Frequencies, WithoutCounterFrequency,
                         ::testing::Values(CounterFrequencyRow{"QueryFails", std::nullopt},
                                           CounterFrequencyRow{"ZeroHertz", 0},
                                           CounterFrequencyRow{"NineHertz", 9}),
                         test::ByLabel());

// ---- Choice of method ----

enum class Method { None, Loop, TimeStamp };

struct ChoiceRow {
    const char* name;
    ScriptedCpu (*make)();
    Method method;
    std::uint32_t loop_count;  // nominal cycles of one loop run, for the loop method
};

void PrintTo(const ChoiceRow& row, std::ostream* os) {
    *os << row.name;
}

class MethodChoice : public ::testing::TestWithParam<ChoiceRow> {};

TEST_P(MethodChoice, ByVendorTimeStampCounterAndType) {
    const ChoiceRow& row = GetParam();
    Machine m;
    m.cpu = row.make();
    // Only what the expected method reads is scripted; any other method runs off the script.
    for (int i = 0; row.method == Method::TimeStamp && i < 3; ++i) {
        m.window(400000);
    }
    for (int i = 0; row.method == Method::Loop && i < 10; ++i) {
        m.run(1000);
    }
    VendorFlag vendor;

    const CpuSpeedSample sample = measure_cpu_speed(m.cpu, m.timing, vendor);
    switch (row.method) {
        case Method::None:
            EXPECT_EQ(sample, CpuSpeedSample{});
            EXPECT_EQ(m.timing.readings_taken(), 0u);
            break;
        case Method::Loop:
            EXPECT_EQ(sample, (CpuSpeedSample{row.loop_count, 1000}));
            EXPECT_EQ(m.cpu.count("rdtsc"), 0u);
            break;
        case Method::TimeStamp:
            EXPECT_EQ(sample, (CpuSpeedSample{1200000, 3000}));
            EXPECT_EQ(m.cpu.count("bsf_loop"), 0u);
            break;
    }
}

constexpr std::uint32_t kNoTsc = 0x0383FBEF;

INSTANTIATE_TEST_SUITE_P(
    Processors, MethodChoice,
    ::testing::Values(
        ChoiceRow{"IntelWithTsc", pentium_iii, Method::TimeStamp, 0},
        ChoiceRow{"Family15WithTscHasNoLoopEntry",
                  [] { return ScriptedCpu::with_cpuid("GenuineIntel", 2, 0xF27, 0xBFEBFBFF); },
                  Method::TimeStamp, 0},
        ChoiceRow{"OtherVendorWithTsc",
                  [] { return ScriptedCpu::with_cpuid("AuthenticAMD", 1, 0x642, 0x0183F9FF); },
                  Method::None, 0},
        ChoiceRow{"IntelWithoutLeaf1",
                  [] { return ScriptedCpu::with_cpuid("GenuineIntel", 0, 0x683, 0x0383FBFF); },
                  Method::None, 0},
        ChoiceRow{"Intel486WithCpuid",
                  [] { return ScriptedCpu::with_cpuid("GenuineIntel", 1, 0x480, 0x00000003); },
                  Method::Loop, 188000},
        ChoiceRow{"IntelFamily5WithoutTsc",
                  [] { return ScriptedCpu::with_cpuid("GenuineIntel", 1, 0x521, 0x000001AF); },
                  Method::Loop, 172000},
        ChoiceRow{"IntelFamily6WithoutTsc",
                  [] { return ScriptedCpu::with_cpuid("GenuineIntel", 2, 0x683, kNoTsc); },
                  Method::Loop, 152000},
        // Beyond the table: the newest generation's 38 cycles per iteration.
        ChoiceRow{"IntelFamily15WithoutTsc",
                  [] { return ScriptedCpu::with_cpuid("GenuineIntel", 2, 0xF27, kNoTsc); },
                  Method::Loop, 152000},
        ChoiceRow{"Intel80486", [] { return ScriptedCpu::without_cpuid(test::kFlags80486, 0); },
                  Method::Loop, 188000},
        ChoiceRow{"Intel80386", [] { return ScriptedCpu::without_cpuid(test::kFlags80386, 0); },
                  Method::Loop, 460000},
        ChoiceRow{"Other80386", [] { return ScriptedCpu::without_cpuid(test::kFlags80386, 1); },
                  Method::None, 0},
        ChoiceRow{"Intel80286", [] { return ScriptedCpu::without_cpuid(test::kFlags80286, 0); },
                  Method::None, 0},
        ChoiceRow{"Intel8086", [] { return ScriptedCpu::without_cpuid(test::kFlags8086, 0); },
                  Method::None, 0}),
    [](const auto& row) { return std::string(row.param.name); });

// ---- Cycles per iteration of the timing loop, by type ----

// An Intel processor of each CPUID family without a time-stamp counter: from family 3 on it is
// timed by the loop, whose nominal count is the table's cycles per iteration x 4000; below, it
// is not measured. Families past the table's last entry take that entry's cycles.
struct LoopTypeRow {
    const char* label;
    std::uint32_t family;
    std::uint32_t cycles_per_iteration;  // the table's entry; 0 below family 3
};

class LoopCyclesByType : public ::testing::TestWithParam<LoopTypeRow> {};

TEST_P(LoopCyclesByType, SetTheNominalCountOfTheLoop) {
    const LoopTypeRow& row = GetParam();
    Machine m;
    m.cpu = ScriptedCpu::with_cpuid("GenuineIntel", 1, row.family << 8, kNoTsc);
    for (int i = 0; i < 10; ++i) {
        m.run(1000);
    }
    VendorFlag vendor;

    const CpuSpeedSample sample = measure_cpu_speed(m.cpu, m.timing, vendor);

    if (row.family < kLoopCycles.size()) {
        EXPECT_EQ(kLoopCycles[row.family], row.cycles_per_iteration);
    }
    if (row.family < 3) {
        EXPECT_EQ(sample, CpuSpeedSample{});
        EXPECT_EQ(m.cpu.count("bsf_loop"), 0u);
    } else {
        EXPECT_EQ(sample, (CpuSpeedSample{row.cycles_per_iteration * 4000, 1000}));
        EXPECT_EQ(m.cpu.count("bsf_loop"), 10u);
    }
}

INSTANTIATE_TEST_SUITE_P(Types, LoopCyclesByType,
                         ::testing::Values(LoopTypeRow{"Type0", 0, 0}, LoopTypeRow{"Type1", 1, 0},
                                           LoopTypeRow{"Type2", 2, 0}, LoopTypeRow{"Type3", 3, 115},
                                           LoopTypeRow{"Type4", 4, 47}, LoopTypeRow{"Type5", 5, 43},
                                           LoopTypeRow{"Type6", 6, 38}, LoopTypeRow{"Type7", 7, 38},
                                           LoopTypeRow{"Type8", 8, 38}, LoopTypeRow{"Type9", 9, 38},
                                           LoopTypeRow{"Type10", 10, 38},
                                           LoopTypeRow{"Type11", 11, 38},
                                           LoopTypeRow{"Type12PastTheTable", 12, 38},
                                           LoopTypeRow{"Type15PastTheTable", 15, 38}),
                         test::ByLabel());

// ---- What the dialog is given ----

TEST(RefreshCpuSpeed, StoresTruncatedQuotient) {
    // A 3 MHz counter: windows of 1000, 1000 and 1003 ticks are 333, 333 and 334 us; with
    // 333333, 333333 and 334333 cycles each gives 1001 MHz, and the totals are 1000999 cycles
    // over 1000 us.
    Machine m;
    m.timing.frequency = 3000000;
    m.window(333333, 1000);
    m.window(333333, 1000);
    m.window(334333, 1003);
    ClockState state;
    VendorFlag vendor;

    refresh_cpu_speed(state, m.cpu, m.timing, vendor);
    EXPECT_EQ(state.cpu_speed_mhz, 1000.0f);
}

TEST(RefreshCpuSpeed, UnmeasuredProcessorStoresZeroNotThePlaceholder) {
    Machine m;
    m.cpu = ScriptedCpu::with_cpuid("CyrixInstead", 1, 0x600, 0x0080A135);
    ClockState state;
    VendorFlag vendor;

    refresh_cpu_speed(state, m.cpu, m.timing, vendor);
    EXPECT_EQ(state.cpu_speed_mhz, 0.0f);
    EXPECT_EQ(vendor.non_intel, 1u);
}

TEST(RefreshCpuSpeed, ZeroTimeStoresZero) {
    // A counter that does not move during the loop: no time to divide by.
    Machine m;
    m.cpu = ScriptedCpu::with_cpuid("GenuineIntel", 2, 0x683, kNoTsc);
    for (int i = 0; i < 10; ++i) {
        m.run(0);
    }
    ClockState state;
    VendorFlag vendor;

    refresh_cpu_speed(state, m.cpu, m.timing, vendor);
    EXPECT_EQ(state.cpu_speed_mhz, 0.0f);
}

}  // namespace
}  // namespace vantrel
