// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string_view>

namespace vantrel {

// A request from outside to end the program: an interrupt, a hang-up, a termination.
struct StopSignal {
    int number = 0;  // 0: none has come
    std::string_view name;
};

// The requests to stop that reach the program. One is only noted when it comes, never acted on
// there: the program looks here between transfer sequences and between the steps of a change,
// where the chip is in a known state, so that no transfer is cut and enhanced mode is always
// left.
class StopSignals {
  public:
    virtual ~StopSignals() = default;
    // The first request that came; its number is 0 while none has.
    virtual StopSignal first() const = 0;
    // How many have come in all, the first included.
    virtual unsigned count() const = 0;

    bool stopping() const { return first().number != 0; }
};

// A program that takes no requests to stop, or a test that sends none.
class NoStopSignals : public StopSignals {
  public:
    StopSignal first() const override { return {}; }
    unsigned count() const override { return 0; }
};

// The exit status of a program ended by a request to stop: 128 plus its number, as a shell
// reports a program the signal itself ended.
inline constexpr int kExitStoppedBase = 128;
inline int stopped_exit_status(const StopSignal& signal) {
    return kExitStoppedBase + signal.number;
}

}  // namespace vantrel
