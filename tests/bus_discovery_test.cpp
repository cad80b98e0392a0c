// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <string>

#include "bus/pci_config.h"
#include "bus/smbus_controller.h"
#include "support/param_name.h"
#include "support/recording_port_io.h"

namespace vantrel {
namespace {

using test::in32;
using test::out32;
using test::PrintTo;
using test::RecordingPortIo;

struct HubRow {
    const char* label;
    std::uint32_t id;
    ChipsetKind kind;
    const char* name;
};

class DiscoveryOfHub : public ::testing::TestWithParam<HubRow> {};

TEST_P(DiscoveryOfHub, IdentifiesHubClearsDisableBitAndReadsBase) {
    const HubRow row = GetParam();
    RecordingPortIo io;
    io.script(0xCFC, {row.id, 0x00080000, 0x0000E801});
    SmbusController controller;

    EXPECT_EQ(detect_smbus_controller(io, controller), 1);
    EXPECT_EQ(controller.kind, row.kind);
    EXPECT_STREQ(chipset_display_name(controller.kind), row.name);
    EXPECT_EQ(controller.io_base, 0xE800);
    const std::vector<test::Access> expected = {
        out32(0xCF8, 0x8000F800),
        in32(0xCFC, row.id),
        out32(0xCF8, 0x8000F8F0),
        in32(0xCFC, 0x00080000),
        out32(0xCFC, 0x00000000),  // written back to the latched address,
                                   // bit 19 cleared
        out32(0xCF8, 0x8000FB20),
        in32(0xCFC, 0x0000E801),
    };
    EXPECT_EQ(io.log(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    SupportedHubs, DiscoveryOfHub,
    ::testing::Values(HubRow{"Ich82801AA", 0x24108086, ChipsetKind::ICH_82801AA, "82801AA"},
                      HubRow{"Ich82801AB", 0x24208086, ChipsetKind::ICH_82801AB, "82801AB"},
                      HubRow{"Ich82801BA", 0x24408086, ChipsetKind::ICH_82801BA, "82801BA"}),
    test::ByLabel());

TEST(Discovery, UnrecognisedHubStopsAfterTheIdentificationRead) {
    // Another Intel hub, another vendor with a matching device ID, and no device at all.
    for (const std::uint32_t id : {0x24408087u, 0x71108086u, 0x24400000u, 0xFFFFFFFFu}) {
        RecordingPortIo io;
        io.script(0xCFC, {id});
        SmbusController controller{ChipsetKind::ICH_82801BA, 0xE800};

        EXPECT_EQ(detect_smbus_controller(io, controller), 0) << std::hex << id;
        EXPECT_EQ(controller.kind, ChipsetKind::None);
        EXPECT_EQ(controller.io_base, 0xE800);
        const std::vector<test::Access> expected = {out32(0xCF8, 0x8000F800), in32(0xCFC, id)};
        EXPECT_EQ(io.log(), expected);
    }
}

TEST(Discovery, FunctionDisableWriteBackAndBaseMasking) {
    struct Row {
        std::uint32_t disable_read;
        std::uint32_t disable_written;
        std::uint32_t base_read;
        std::uint16_t io_base;
    };
    const Row rows[] = {
        {0x00080000, 0x00000000, 0x0000E801, 0xE800},
        {0x00000000, 0x00000000, 0x12340501, 0x0500},
        {0xFFFFFFFF, 0xFFF7FFFF, 0x0000FFFF, 0xFFFE},
        {0x12345678, 0x12345678, 0x00000000, 0x0000},  // a zero base is not second-guessed
    };
    for (const Row& row : rows) {
        RecordingPortIo io;
        io.script(0xCFC, {row.disable_read, row.base_read});
        EXPECT_EQ(read_smbus_base(io), row.io_base);
        ASSERT_EQ(io.log().size(), 5u);
        EXPECT_EQ(io.log()[2], out32(0xCFC, row.disable_written));
    }
}

TEST(Discovery, ConfigAddressesAreMechanismOneEncodings) {
    EXPECT_EQ(pci_config_address(0, 31, 0, 0x00), kPciAddrHubId);
    EXPECT_EQ(pci_config_address(0, 31, 0, 0xF0), kPciAddrHubFunctionDisable);
    EXPECT_EQ(pci_config_address(0, 31, 3, 0x20), kPciAddrSmbusBase);
}

TEST(Discovery, NoDisplayNameForNone) {
    EXPECT_STREQ(chipset_display_name(ChipsetKind::None), "");
}

// A base below 0x100 would put the SMBus block on the legacy devices' ports (DMA, interrupt
// controllers), and so would one whose block wraps past 0xFFFF; a base the hub's register
// cannot hold (bits 3..1 set, as all ones gives) is refused too. Each is no controller, with
// configuration accesses only.
struct BaseRow {
    const char* label;
    std::uint32_t base_read;
    int result;
    ChipsetKind kind;
    std::uint16_t io_base;
};

class DiscoveredBase : public ::testing::TestWithParam<BaseRow> {};

TEST_P(DiscoveredBase, OnlyABaseTheHubCouldGiveIsTaken) {
    const BaseRow& row = GetParam();
    RecordingPortIo io;
    io.script(0xCFC, {kIdIch82801AB, 0x00000000, row.base_read});
    SmbusController controller;

    EXPECT_EQ(detect_smbus_controller(io, controller), row.result);
    EXPECT_EQ(controller.kind, row.kind);
    EXPECT_EQ(controller.io_base, row.io_base);
    const std::vector<test::Access> expected = {
        out32(0xCF8, 0x8000F800),   in32(0xCFC, kIdIch82801AB), out32(0xCF8, 0x8000F8F0),
        in32(0xCFC, 0x00000000),    out32(0xCFC, 0x00000000),   out32(0xCF8, 0x8000FB20),
        in32(0xCFC, row.base_read),
    };
    EXPECT_EQ(io.log(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Bases, DiscoveredBase,
    ::testing::Values(BaseRow{"Unprogrammed", 0x00000001, 0, ChipsetKind::None, 0xE800},
                      BaseRow{"AllZero", 0x00000000, 0, ChipsetKind::None, 0xE800},
                      BaseRow{"JustBelowTheLimit", 0x000000FF, 0, ChipsetKind::None, 0xE800},
                      BaseRow{"HighBitsOnlyAboveTheMask", 0xABCD0081, 0, ChipsetKind::None, 0xE800},
                      BaseRow{"AtTheLimit", 0x00000101, 1, ChipsetKind::ICH_82801AB, 0x0100},
                      BaseRow{"Usual", 0x0000E801, 1, ChipsetKind::ICH_82801AB, 0xE800},
                      BaseRow{"AllOnesWrapsToTheDmaPorts", 0xFFFFFFFF, 0, ChipsetKind::None,
                              0xE800},
                      BaseRow{"LowWordAllOnes", 0x0000FFFF, 0, ChipsetKind::None, 0xE800},
                      BaseRow{"ReservedBit1", 0x0000E803, 0, ChipsetKind::None, 0xE800},
                      BaseRow{"ReservedBit3", 0x0000E809, 0, ChipsetKind::None, 0xE800},
                      BaseRow{"HighestBlock", 0x0000FFF1, 1, ChipsetKind::ICH_82801AB, 0xFFF0}),
    test::ByLabel());

}  // namespace
}  // namespace vantrel
