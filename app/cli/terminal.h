// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

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

// The process's standard input.
class StdinTerminal : public Terminal {
  public:
    bool interactive() const override;
    std::optional<std::string> read_line(std::optional<std::uint32_t> timeout_ms) override;
};

}  // namespace vantrel::cli
