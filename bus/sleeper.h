// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>

namespace vantrel {

// The operating system's Sleep: the SMBus layer's polls and pauses go through it so that the
// simulated board and the tests run on simulated time.
class Sleeper {
  public:
    virtual ~Sleeper() = default;
    virtual void sleep_ms(std::uint32_t milliseconds) = 0;
};

}  // namespace vantrel
