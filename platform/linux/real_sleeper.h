// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "bus/sleeper.h"

namespace vantrel::platform {

class RealSleeper : public Sleeper {
  public:
    void sleep_ms(std::uint32_t milliseconds) override;
};

}  // namespace vantrel::platform
