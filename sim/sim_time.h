#pragma once

#include <cstdint>

#include "bus/sleeper.h"

namespace vantrel::sim {

// The simulated board's clock. Sleeping advances it instantly, so simulated waits cost no
// wall time.
class SimTime : public Sleeper {
  public:
    void sleep_ms(std::uint32_t milliseconds) override {
        now_us_ += std::uint64_t{milliseconds} * 1000u;
        slept_ms_ += milliseconds;
    }

    void advance_us(std::uint64_t microseconds) { now_us_ += microseconds; }
    std::uint64_t now_us() const { return now_us_; }
    std::uint64_t slept_ms() const { return slept_ms_; }

  private:
    std::uint64_t now_us_ = 0;
    std::uint64_t slept_ms_ = 0;
};

}  // namespace vantrel::sim
