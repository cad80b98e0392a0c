// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <vector>

namespace vantrel::sim {

// Misuse of the simulated hardware that a real board might not survive. Tests assert that a
// correct driver leaves this empty.
class ProtocolLog {
  public:
    void violation(std::string what) { violations_.push_back(std::move(what)); }
    const std::vector<std::string>& violations() const { return violations_; }

  private:
    std::vector<std::string> violations_;
};

}  // namespace vantrel::sim
