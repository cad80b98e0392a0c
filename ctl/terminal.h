// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/core/stop_signals.h"

namespace vantrel::cli {

// Where a command-line program reads its answers: standard input.
class Terminal {
  public:
    virtual ~Terminal() = default;
    // Whether standard input is a terminal, so that someone can be asked.
    virtual bool interactive() const = 0;
    // One line without its newline, waiting at most `timeout_ms` (for ever without one); nullopt
    // when none came in time or the input has ended.
    virtual std::optional<std::string> read_line(std::optional<std::uint32_t> timeout_ms) = 0;
};

// The process's standard input. A request to stop, when `stops` is given, ends a wait as
// if no answer came.
class StdinTerminal : public Terminal {
  public:
    explicit StdinTerminal(const StopSignals* stops = nullptr) : stops_(stops) {}
    bool interactive() const override;
    std::optional<std::string> read_line(std::optional<std::uint32_t> timeout_ms) override;

  private:
    const StopSignals* stops_;
};

}  // namespace vantrel::cli
