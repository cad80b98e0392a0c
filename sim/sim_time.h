// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>

#include "bus/sleeper.h"
#include "bus/smbus_host.h"

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

// The simulated board's sleeper when its pauses should be felt: every sleep advances the board's
// time, and the pause that ends each transfer also passes in real time through the platform's
// sleeper. The status polls between do not: the simulated controller answers on the first poll,
// where a real one takes a fraction of a millisecond, so their 10 ms sleeps would only slow the
// board down beyond the hardware it stands for.
class PacedSleeper : public Sleeper {
  public:
    PacedSleeper(SimTime& time, Sleeper& real) : time_(time), real_(real) {}
    void sleep_ms(std::uint32_t milliseconds) override {
        time_.sleep_ms(milliseconds);
        if (milliseconds >= kSmbTransferPauseMs) {
            real_.sleep_ms(milliseconds);
        }
    }

  private:
    SimTime& time_;
    Sleeper& real_;
};

}  // namespace vantrel::sim
