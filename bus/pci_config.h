// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>

#include "bus/port_io.h"

namespace vantrel {

// PCI configuration mechanism #1.
inline constexpr std::uint16_t kPciConfigAddressPort = 0xCF8;
inline constexpr std::uint16_t kPciConfigDataPort = 0xCFC;

// The only three configuration addresses the program uses (bus 0, device 31).
inline constexpr std::uint32_t kPciAddrHubId = 0x8000F800;               // function 0, offset 0x00
inline constexpr std::uint32_t kPciAddrHubFunctionDisable = 0x8000F8F0;  // function 0, offset 0xF0
inline constexpr std::uint32_t kPciAddrSmbusBase = 0x8000FB20;           // function 3, offset 0x20

// Bit 19 of the dword at 0xF0 is bit 3 of the 16-bit function-disable register at 0xF2: the
// SMBus function (device 31, function 3) is hidden while it is set.
inline constexpr std::uint32_t kFunctionDisableSmbusBit = 0x00080000;
// The base register reads bit 0 as 1 to mark an I/O-space base.
inline constexpr std::uint32_t kSmbusBaseMask = 0xFFFE;
// The hub decodes a 16-byte SMBus block, so bits 3..1 of its base register are hard-wired to
// 0; a base with any of them set did not come from that register (an absent or hidden function
// reads all ones).
inline constexpr std::uint16_t kSmbusBaseReservedBits = 0x000E;

inline constexpr std::uint32_t kIdIch82801AA = 0x24108086;
inline constexpr std::uint32_t kIdIch82801AB = 0x24208086;
inline constexpr std::uint32_t kIdIch82801BA = 0x24408086;

// Builds a mechanism #1 address dword; used by the simulated board to decode what the driver
// writes, and by tests to spell the three addresses above.
constexpr std::uint32_t pci_config_address(unsigned bus, unsigned device, unsigned function,
                                           unsigned offset) {
    return 0x80000000u | (bus & 0xFFu) << 16 | (device & 0x1Fu) << 11 | (function & 0x7u) << 8 |
           (offset & 0xFCu);
}

}  // namespace vantrel
