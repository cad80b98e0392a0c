// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <string_view>

#include "ctl/console.h"

namespace vantrel::test {

// Keeps what a command-line program writes, each stream on its own.
class FakeConsole : public cli::Console {
  public:
    void out(std::string_view text) override { out_ += text; }
    void err(std::string_view text) override { err_ += text; }
    bool err_is_terminal() const override { return err_terminal; }

    const std::string& out() const { return out_; }
    const std::string& err() const { return err_; }
    void clear() {
        out_.clear();
        err_.clear();
    }

    bool err_terminal = false;  // standard error as a terminal, for the progress line

  private:
    std::string out_;
    std::string err_;
};

}  // namespace vantrel::test
