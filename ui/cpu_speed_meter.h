#pragma once

namespace vantrel {

// Measures the CPU core clock and stores it in ClockState::cpu_speed_mhz.
class CpuSpeedMeter {
  public:
    virtual ~CpuSpeedMeter() = default;
    virtual void refresh_cpu_speed() = 0;
};

}  // namespace vantrel
