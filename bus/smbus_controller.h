// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>

#include "bus/port_io.h"

namespace vantrel {

enum class ChipsetKind : std::uint8_t {
    None = 0,
    ICH_82801AA = 1,
    ICH_82801AB = 2,
    ICH_82801BA = 3,
};

inline constexpr std::uint16_t kDefaultSmbusIoBase = 0xE800;
// The lowest I/O base taken for an SMBus block: below it lie the legacy devices (DMA
// controllers, interrupt controllers, timer, keyboard controller).
inline constexpr std::uint16_t kSmbusMinIoBase = 0x100;
// The ports of the host register block the transfers use: offsets 0 to 7 from the base.
inline constexpr std::uint16_t kSmbusHostBlockSize = 8;

// The discovered SMBus host controller; one instance for the whole run.
struct SmbusController {
    ChipsetKind kind = ChipsetKind::None;
    std::uint16_t io_base = kDefaultSmbusIoBase;
};

// The name the main dialog shows for a controller kind; empty for None.
const char* chipset_display_name(ChipsetKind kind);

// The kind whose vendor/device dword equals `id`, or None.
ChipsetKind chipset_kind_from_id(std::uint32_t id);

// Whether the transfers may be aimed at `base`: not among the legacy devices, within what the
// hub's base register can hold, and with the whole host block below 0x10000 (each port is a
// 16-bit sum, so a block that wrapped would reach ports 0x0000 and up, the DMA controller).
bool smbus_base_usable(std::uint16_t base);

// Identifies the hub at bus 0 device 31 and, for a supported one, stores its SMBus base.
// Returns 1 when a supported hub with a usable base was found, 0 otherwise; always stores the
// kind, which is None when the base is not usable.
int detect_smbus_controller(PortIo& io, SmbusController& controller);

// Clears the hub's SMBus function-disable bit and returns the SMBus I/O base.
std::uint16_t read_smbus_base(PortIo& io);

}  // namespace vantrel
