// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <vector>

#include "cpu/cpu_instructions.h"
#include "cpu/system_timing.h"
#include "sim/sim_clock_chip.h"
#include "sim/sim_time.h"

namespace vantrel::sim {

// The simulated board's processor and its operating system's timing: a "GenuineIntel" family-6
// part (Pentium III, CPUID 0x686) with a time-stamp counter that runs at `multiplier()` times
// the CPU external clock the simulated chip is running, and a 1,193,180 Hz performance counter
// on the board's simulated time. Each performance-counter read takes 1 us of simulated time, so
// a busy-wait on it ends; the time-stamp counter advances with that same time, at the clock the
// chip runs when it is read.
class SimCpu : public CpuInstructions, public SystemTiming {
  public:
    static constexpr std::int64_t kCounterFrequency = 1193180;
    static constexpr double kDefaultMultiplier = 7.5;

    SimCpu(SimTime& time, const SimClockChip& chip);

    void set_multiplier(double multiplier) { multiplier_ = multiplier; }
    double multiplier() const { return multiplier_; }
    // The core clock now, in MHz.
    double core_mhz() const;

    // CpuInstructions
    CpuidResult cpuid(std::uint32_t leaf) override;
    std::uint32_t read_eflags() override { return eflags_; }
    std::uint32_t eflags_after_write(std::uint32_t value) override;
    std::uint16_t read_flags() override { return static_cast<std::uint16_t>(eflags_); }
    std::uint16_t flags_after_write(std::uint16_t value) override;
    int division_keeps_zero_flag() override { return 0; }
    std::uint64_t read_time_stamp_counter() override;
    void run_bsf_loop() override;

    // SystemTiming
    int query_performance_frequency(std::int64_t& frequency) override;
    int query_performance_counter(std::int64_t& count) override;
    ThreadHandle get_current_thread() override { return kCurrentThread; }
    int get_thread_priority(ThreadHandle thread) override;
    int set_thread_priority(ThreadHandle thread, int priority) override;

    int thread_priority() const { return priority_; }
    // Every priority set, in order.
    const std::vector<int>& priority_history() const { return priority_history_; }

  private:
    static constexpr ThreadHandle kCurrentThread = static_cast<ThreadHandle>(-2);

    void advance_time_stamp();

    SimTime& time_;
    const SimClockChip& chip_;
    double multiplier_ = kDefaultMultiplier;
    std::uint32_t eflags_ = 0x00000202;  // IF and the always-one bit 1
    double cycles_ = 0.0;
    std::uint64_t cycles_at_us_ = 0;  // simulated time up to which `cycles_` is counted
    int priority_ = 0;
    std::vector<int> priority_history_;
};

}  // namespace vantrel::sim
