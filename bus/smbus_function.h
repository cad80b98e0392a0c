// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>

#include "bus/smbus_controller.h"

namespace vantrel {

// The PCI identity of each supported hub's SMBus function (bus 0, device 31, function 3), as an
// operating system that enumerates PCI sees it. Function 0 of the same hub carries the IDs that
// port discovery compares (0x2410, 0x2420, 0x2440).
inline constexpr std::uint16_t kPciVendorIntel = 0x8086;

struct SmbusFunctionId {
    std::uint16_t device;
    ChipsetKind kind;
};

inline constexpr SmbusFunctionId kSmbusFunctionIds[] = {
    {0x2413, ChipsetKind::ICH_82801AA},
    {0x2423, ChipsetKind::ICH_82801AB},
    {0x2443, ChipsetKind::ICH_82801BA},
};

// The hub whose SMBus function has this vendor and device ID, or None.
constexpr ChipsetKind chipset_kind_from_smbus_function(std::uint16_t vendor, std::uint16_t device) {
    if (vendor != kPciVendorIntel) {
        return ChipsetKind::None;
    }
    for (const auto& id : kSmbusFunctionIds) {
        if (id.device == device) {
            return id.kind;
        }
    }
    return ChipsetKind::None;
}

}  // namespace vantrel
