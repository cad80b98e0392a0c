// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string_view>

namespace vantrel::cli {

// Where a command-line program writes: results on standard output, messages on standard error.
class Console {
  public:
    virtual ~Console() = default;
    virtual void out(std::string_view text) = 0;
    virtual void err(std::string_view text) = 0;
    // Whether standard error is a terminal, where a line may be redrawn in place.
    virtual bool err_is_terminal() const { return false; }
};

// The process's own standard output and standard error.
class StdioConsole : public Console {
  public:
    void out(std::string_view text) override;
    void err(std::string_view text) override;
    bool err_is_terminal() const override;
};

}  // namespace vantrel::cli
