// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cpu/cpu_instructions.h"
#include "cpu/system_timing.h"

namespace vantrel::test {

// How a processor generation answers the flag-register probes: the bits user code can change,
// and the fixed values of the others.
struct FlagModel {
    std::uint32_t fixed;
    std::uint32_t writable;

    std::uint32_t kept(std::uint32_t value) const {
        return (value & writable) | (fixed & ~writable);
    }
};

// 8086/8088: FLAGS bits 12 to 15 always read as 1.
inline constexpr FlagModel kFlags8086{0x0000F002, 0x00000FD5};
// 80286 in real mode: bits 12 to 15 always read as 0.
inline constexpr FlagModel kFlags80286{0x00000002, 0x00000FD5};
// 80386: NT and IOPL can be written, the alignment-check flag cannot.
inline constexpr FlagModel kFlags80386{0x00000002, 0x00007FD5};
// 80486 without CPUID: the alignment-check flag can be toggled, the ID flag cannot.
inline constexpr FlagModel kFlags80486{0x00000002, 0x00047FD5};
// Anything with CPUID: the ID flag can be toggled.
inline constexpr FlagModel kFlagsCpuid{0x00000002, 0x00247FD5};

// A processor answering from a table of CPUID leaves and a flag model. Every instruction is
// logged by name ("cpuid 0", "read_eflags", "eflags_after_write", "read_flags",
// "flags_after_write", "div", "rdtsc", "bsf_loop") in the order executed.
class ScriptedCpu : public CpuInstructions {
  public:
    // A processor with CPUID: the vendor text (12 characters), leaf 0's EAX and leaf 1.
    static ScriptedCpu with_cpuid(const char* vendor, std::uint32_t highest_leaf,
                                  std::uint32_t signature, std::uint32_t features);
    // A processor without CPUID.
    static ScriptedCpu without_cpuid(FlagModel flags, int division_keeps_zero_flag);

    void set_leaf(std::uint32_t leaf, CpuidResult result) { leaves_[leaf] = result; }
    // The values RDTSC gives, in order.
    void script_time_stamps(std::initializer_list<std::uint64_t> values);
    void add_time_stamp(std::uint64_t value) { time_stamps_.push_back(value); }

    CpuidResult cpuid(std::uint32_t leaf) override;
    std::uint32_t read_eflags() override;
    std::uint32_t eflags_after_write(std::uint32_t value) override;
    std::uint16_t read_flags() override;
    std::uint16_t flags_after_write(std::uint16_t value) override;
    int division_keeps_zero_flag() override;
    std::uint64_t read_time_stamp_counter() override;
    void run_bsf_loop() override;

    const std::vector<std::string>& log() const { return log_; }
    unsigned count(const std::string& instruction) const;

  private:
    FlagModel flags_ = kFlagsCpuid;
    int division_keeps_zero_flag_ = 0;
    std::map<std::uint32_t, CpuidResult> leaves_;
    std::deque<std::uint64_t> time_stamps_;
    std::uint64_t last_time_stamp_ = 0;
    std::vector<std::string> log_;
};

// One call seen by ScriptedTiming, in order.
struct TimingEvent {
    enum Kind : std::uint8_t { Counter, GetPriority, SetPriority };
    Kind kind;
    std::int64_t value;  // the count read, the priority got, or the priority set

    bool operator==(const TimingEvent&) const = default;
};

// A performance counter that gives scripted readings, and a thread priority that records how it
// is changed. An exhausted script fails the test and then keeps moving 1000 ticks per reading,
// so no busy-wait can hang.
class ScriptedTiming : public SystemTiming {
  public:
    // nullopt: QueryPerformanceFrequency fails.
    std::optional<std::int64_t> frequency = 1000000;
    // Readings for which QueryPerformanceCounter fails: none unless set.
    std::optional<std::size_t> counter_fails_at_reading;
    // What GetThreadPriority reports.
    int priority = 0;

    void script_counter(std::initializer_list<std::int64_t> readings);
    void add_reading(std::int64_t reading) { readings_.push_back(reading); }

    int query_performance_frequency(std::int64_t& value) override;
    int query_performance_counter(std::int64_t& count) override;
    ThreadHandle get_current_thread() override { return kThread; }
    int get_thread_priority(ThreadHandle thread) override;
    int set_thread_priority(ThreadHandle thread, int value) override;

    const std::vector<TimingEvent>& events() const { return events_; }
    std::size_t readings_taken() const { return readings_taken_; }
    int current_priority() const { return current_priority_; }

    static constexpr ThreadHandle kThread = 0x1234;

  private:
    std::deque<std::int64_t> readings_;
    std::int64_t last_reading_ = 0;
    std::size_t readings_taken_ = 0;
    int current_priority_ = 0;
    std::vector<TimingEvent> events_;
};

}  // namespace vantrel::test
