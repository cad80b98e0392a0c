// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "clockgen/clock_state.h"
#include "cpu/cpu_info.h"
#include "cpu/cpu_instructions.h"
#include "cpu/cpu_speed.h"
#include "cpu/system_timing.h"

namespace vantrel {

// Measures the CPU core clock and stores it in ClockState::cpu_speed_mhz.
class CpuSpeedMeter {
  public:
    virtual ~CpuSpeedMeter() = default;
    virtual void refresh_cpu_speed() = 0;
};

// The measurement itself, on the processor and timing the caller hands in.
class MeasuredCpuSpeed : public CpuSpeedMeter {
  public:
    MeasuredCpuSpeed(ClockState& clock, CpuInstructions& cpu, SystemTiming& timing,
                     VendorFlag& vendor)
        : clock_(clock), cpu_(cpu), timing_(timing), vendor_(vendor) {}

    void refresh_cpu_speed() override {
        vantrel::refresh_cpu_speed(clock_, cpu_, timing_, vendor_);
    }

  private:
    ClockState& clock_;
    CpuInstructions& cpu_;
    SystemTiming& timing_;
    VendorFlag& vendor_;
};

}  // namespace vantrel
