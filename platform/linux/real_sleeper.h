#pragma once

#include "bus/sleeper.h"

namespace vantrel::platform {

class RealSleeper : public Sleeper {
  public:
    void sleep_ms(std::uint32_t milliseconds) override;
};

}  // namespace vantrel::platform
