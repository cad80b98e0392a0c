// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <array>
#include <cstdint>

#include "clockgen/clock_state.h"
#include "cpu/cpu_info.h"
#include "cpu/cpu_instructions.h"
#include "cpu/system_timing.h"

namespace vantrel {

// One measurement: processor cycles over a time in microseconds. Both 0: nothing was measured.
struct CpuSpeedSample {
    std::uint32_t cycles = 0;
    std::uint32_t elapsed_us = 0;

    bool operator==(const CpuSpeedSample&) const = default;
};

// Cycles one iteration of the BSF timing loop takes, by CPU type code.
inline constexpr std::array<std::uint32_t, 12> kLoopCycles = {0,  0,  0,  115, 47, 43,
                                                              38, 38, 38, 38,  38, 38};
inline constexpr std::uint32_t kTimingLoopIterations = 4000;

// Measures the processor and stores the whole MHz in `state.cpu_speed_mhz`; 0 when the processor
// was not measured.
void refresh_cpu_speed(ClockState& state, CpuInstructions& cpu, SystemTiming& timing,
                       VendorFlag& vendor);

// Identifies the processor and measures it by the time-stamp counter where it has one, else by
// the timing loop; a processor that is not a genuine Intel one is not measured.
CpuSpeedSample measure_cpu_speed(CpuInstructions& cpu, SystemTiming& timing, VendorFlag& vendor);

// The fastest of ten runs of the timing loop against the performance counter; `count` is the
// nominal cycle count of one run.
CpuSpeedSample measure_by_loop(std::uint32_t count, CpuInstructions& cpu, SystemTiming& timing);

// Time-stamp counter against performance counter over 1000-tick windows, repeated until three
// successive per-window results lie within 1 MHz of their mean (3 to 20 windows).
CpuSpeedSample measure_by_time_stamp(CpuInstructions& cpu, SystemTiming& timing);

}  // namespace vantrel
