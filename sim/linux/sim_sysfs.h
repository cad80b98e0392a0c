// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>

#include "platform/linux/kernel/smbus_sysfs.h"

namespace vantrel::sim {

// What the simulated board looks like to the kernel: its hub's SMBus function with the ICH
// driver bound as adapter i2c-0 and i2c-dev loaded, or nothing when the board has no
// supported hub.
platform::SmbusSysfs simulated_smbus_sysfs(std::uint32_t hub_id, std::uint16_t io_base);

}  // namespace vantrel::sim
