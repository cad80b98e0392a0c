// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "app/core/stop_signals.h"
#include "sim/sim_board.h"

namespace vantrel::sim {

// Requests to stop as a test sends them: at once, or in the middle of the simulated board's
// bus work, as a transaction starts.
class SimStopSignals : public StopSignals {
  public:
    StopSignal first() const override { return first_; }
    unsigned count() const override { return count_; }

    void arrive(StopSignal signal) {
        if (first_.number == 0) {
            first_ = signal;
        }
        ++count_;
    }
    // `signal` arrives as the board's transaction number `transfer` (counted from 1) starts.
    void arrive_at_transfer(SimBoard& board, std::size_t transfer, StopSignal signal) {
        planned_.push_back({transfer, signal});
        board.smbus().on_start([this](std::size_t started) {
            for (const Planned& p : planned_) {
                if (p.transfer == started) {
                    arrive(p.signal);
                }
            }
        });
    }

  private:
    struct Planned {
        std::size_t transfer;
        StopSignal signal;
    };
    StopSignal first_;
    unsigned count_ = 0;
    std::vector<Planned> planned_;
};

}  // namespace vantrel::sim
