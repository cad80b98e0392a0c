// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/real_sleeper.h"

#include <chrono>
#include <thread>

namespace vantrel::platform {

void RealSleeper::sleep_ms(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace vantrel::platform
