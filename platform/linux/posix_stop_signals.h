// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <csignal>

#include "app/core/stop_signals.h"

namespace vantrel::platform {

// SIGINT, SIGTERM, SIGHUP and SIGQUIT, noted by a handler that only counts them and keeps the
// first; the program acts on them where it looks. A signal that was ignored when the program
// started (nohup's SIGHUP, a background job's SIGINT) stays ignored. One at a time per process:
// the handler's flags are the process's.
class PosixStopSignals : public StopSignals {
  public:
    static constexpr int kSignals = 4;  // the four above

    PosixStopSignals();
    ~PosixStopSignals() override;
    PosixStopSignals(const PosixStopSignals&) = delete;
    PosixStopSignals& operator=(const PosixStopSignals&) = delete;

    StopSignal first() const override;
    unsigned count() const override;

  private:
    struct sigaction previous_[kSignals] {};
    bool installed_[kSignals] = {};
};

// "SIGINT" for SIGINT, and so on for the four; "another signal" for any other.
std::string_view stop_signal_name(int number);

}  // namespace vantrel::platform
