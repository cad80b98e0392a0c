// SPDX-License-Identifier: GPL-2.0-or-later
#include "bus/smbus_controller.h"

#include "bus/pci_config.h"

namespace vantrel {

namespace {

struct SupportedHub {
    std::uint32_t id;
    ChipsetKind kind;
    const char* display_name;
};

// Compared in this order; the first equal identification wins.
constexpr SupportedHub kSupportedHubs[] = {
    {kIdIch82801AA, ChipsetKind::ICH_82801AA, "82801AA"},
    {kIdIch82801AB, ChipsetKind::ICH_82801AB, "82801AB"},
    {kIdIch82801BA, ChipsetKind::ICH_82801BA, "82801BA"},
};

}  // namespace

const char* chipset_display_name(ChipsetKind kind) {
    for (const auto& hub : kSupportedHubs) {
        if (hub.kind == kind) {
            return hub.display_name;
        }
    }
    return "";
}

ChipsetKind chipset_kind_from_id(std::uint32_t id) {
    for (const auto& hub : kSupportedHubs) {
        if (hub.id == id) {
            return hub.kind;
        }
    }
    return ChipsetKind::None;
}

bool smbus_base_usable(std::uint16_t base) {
    return base >= kSmbusMinIoBase && (base & kSmbusBaseReservedBits) == 0 &&
           std::uint32_t{base} + kSmbusHostBlockSize <= 0x10000u;
}

int detect_smbus_controller(PortIo& io, SmbusController& controller) {
    io.write_dword(kPciConfigAddressPort, kPciAddrHubId);
    const std::uint32_t id = io.read_dword(kPciConfigDataPort);
    controller.kind = chipset_kind_from_id(id);
    if (controller.kind == ChipsetKind::None) {
        return 0;
    }
    const std::uint16_t base = read_smbus_base(io);
    // A base register the BIOS never programmed reads 0 or 1, and that of a function it hid
    // reads all ones; taken as a base either would aim the transfers at the DMA controller.
    if (!smbus_base_usable(base)) {
        controller.kind = ChipsetKind::None;
        return 0;
    }
    controller.io_base = base;
    return 1;
}

std::uint16_t read_smbus_base(PortIo& io) {
    io.write_dword(kPciConfigAddressPort, kPciAddrHubFunctionDisable);
    const std::uint32_t disable = io.read_dword(kPciConfigDataPort);
    // The address latched above still selects offset 0xF0, so the write-back needs no new
    // address; it is made whether or not the bit was set.
    io.write_dword(kPciConfigDataPort, disable & ~kFunctionDisableSmbusBit);

    io.write_dword(kPciConfigAddressPort, kPciAddrSmbusBase);
    const std::uint32_t base = io.read_dword(kPciConfigDataPort);
    return static_cast<std::uint16_t>(base & kSmbusBaseMask);
}

}  // namespace vantrel
