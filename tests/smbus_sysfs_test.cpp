// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <optional>

#include "bus/smbus_controller.h"
#include "platform/linux/kernel/smbus_sysfs.h"
#include "support/param_name.h"
#include "support/sysfs_tree.h"

namespace vantrel::platform {
namespace {

using test::PrintTo;

using test::SysfsTree;

constexpr std::uint16_t kIntel = 0x8086;

// One sysfs layout and what discovery must find in it.
struct SysfsRow {
    const char* label;
    void (*build)(SysfsTree&);
    ChipsetKind kind;  // of the function found; None: no function
    const char* pci_name;
    const char* driver;
    std::optional<std::uint16_t> io_base;
    int adapter;  // -1: none
    const char* adapter_name;
    bool i2c_dev_loaded;
};

class SmbusSysfsLayout : public ::testing::TestWithParam<SysfsRow> {};

TEST_P(SmbusSysfsLayout, FindsTheHubsFunctionAndAdapter) {
    const SysfsRow& row = GetParam();
    SysfsTree tree;
    row.build(tree);

    const SmbusSysfs found = read_smbus_sysfs(tree.root());

    ASSERT_EQ(found.function.has_value(), row.kind != ChipsetKind::None);
    if (found.function) {
        EXPECT_EQ(found.function->kind, row.kind);
        EXPECT_EQ(found.function->pci_name, row.pci_name);
        EXPECT_EQ(found.function->driver, row.driver);
        EXPECT_EQ(found.function->io_base, row.io_base);
    }
    ASSERT_EQ(found.adapter.has_value(), row.adapter >= 0);
    if (found.adapter) {
        EXPECT_EQ(found.adapter->number, row.adapter);
        EXPECT_EQ(found.adapter->name, row.adapter_name);
        EXPECT_EQ(found.adapter->node(), "/dev/i2c-" + std::to_string(row.adapter));
        EXPECT_EQ(found.adapter->function.kind, row.kind);
    }
    EXPECT_EQ(found.i2c_dev_loaded, row.i2c_dev_loaded);
}

INSTANTIATE_TEST_SUITE_P(
    Trees, SmbusSysfsLayout,
    ::testing::Values(
        SysfsRow{"IchBound",
                 [](SysfsTree& tree) {
                     tree.add_pci_function("1f.3", kIntel, 0x2443, "i801_smbus", 0xE800);
                     tree.add_adapter(0, "SMBus I801 adapter at e800", "1f.3");
                     tree.load_i2c_dev();
                 },
                 ChipsetKind::ICH_82801BA, "0000:00:1f.3", "i801_smbus", 0xE800, 0,
                 "SMBus I801 adapter at e800", true},
        SysfsRow{"IchBoundWithDeviceLink",
                 [](SysfsTree& tree) {
                     tree.add_pci_function("1f.3", kIntel, 0x2413, "i801_smbus", 0x5000);
                     tree.add_adapter(1, "SMBus I801 adapter at 5000", "1f.3", true);
                     tree.load_i2c_dev();
                 },
                 ChipsetKind::ICH_82801AA, "0000:00:1f.3", "i801_smbus", 0x5000, 1,
                 "SMBus I801 adapter at 5000", true},
        SysfsRow{"DriverUnbound",
                 [](SysfsTree& tree) {
                     tree.add_pci_function("1f.3", kIntel, 0x2443, "", 0xE800);
                     tree.load_i2c_dev();
                 },
                 ChipsetKind::ICH_82801BA, "0000:00:1f.3", "", 0xE800, -1, "", true},
        SysfsRow{"UnassignedBaseIsNotShown",
                 [](SysfsTree& tree) { tree.add_pci_function("1f.3", kIntel, 0x2443, "", 0x0000); },
                 ChipsetKind::ICH_82801BA, "0000:00:1f.3", "", std::nullopt, -1, "", false},
        SysfsRow{"HubFunctionZeroIsNotTheSmbusFunction",
                 [](SysfsTree& tree) { tree.add_pci_function("1f.0", kIntel, 0x2440); },
                 ChipsetKind::None, "", "", std::nullopt, -1, "", false},
        SysfsRow{"OtherVendorWithTheSameDeviceId",
                 [](SysfsTree& tree) {
                     tree.add_pci_function("1f.3", 0x10DE, 0x2443, "nvidia-smbus", 0xE800);
                     tree.add_adapter(0, "other SMBus", "1f.3");
                 },
                 ChipsetKind::None, "", "", std::nullopt, -1, "", false},
        SysfsRow{"OnlyUnmatchedAdapters",
                 [](SysfsTree& tree) {
                     tree.add_pci_function("02.0", kIntel, 0x1132, "i915");
                     tree.add_adapter(0, "i915 gmbus dpc", "02.0");
                     tree.add_adapter(1, "i2c-gpio", "");
                     tree.load_i2c_dev();
                 },
                 ChipsetKind::None, "", "", std::nullopt, -1, "", true},
        SysfsRow{"SeveralAdaptersAndClients",
                 [](SysfsTree& tree) {
                     tree.add_pci_function("02.0", kIntel, 0x1132, "i915");
                     tree.add_adapter(0, "i915 gmbus dpc", "02.0");
                     tree.add_adapter(1, "i2c-gpio", "");
                     tree.add_pci_function("1f.3", kIntel, 0x2443, "i801_smbus", 0xE800);
                     tree.add_adapter(3, "SMBus I801 adapter at e800", "1f.3");
                     tree.add_client("3-0069");
                     tree.add_client("0-0050");
                     tree.load_i2c_dev();
                 },
                 ChipsetKind::ICH_82801BA, "0000:00:1f.3", "i801_smbus", 0xE800, 3,
                 "SMBus I801 adapter at e800", true},
        // Ten sorts before two as text; the lowest number is meant.
        SysfsRow{"TwoMatchingAdaptersLowestNumberWins",
                 [](SysfsTree& tree) {
                     tree.add_pci_function("1f.3", kIntel, 0x2443, "i801_smbus", 0xE800);
                     tree.add_adapter(10, "SMBus I801 adapter at e800 (second)", "1f.3");
                     tree.add_adapter(2, "SMBus I801 adapter at e800", "1f.3");
                 },
                 ChipsetKind::ICH_82801BA, "0000:00:1f.3", "i801_smbus", 0xE800, 2,
                 "SMBus I801 adapter at e800", false},
        SysfsRow{"EmptyTree", [](SysfsTree&) {}, ChipsetKind::None, "", "", std::nullopt, -1, "",
                 false}),
    test::ByLabel());

// The hub's bridge tells a function the firmware hid from a machine without a hub of ours.
struct BridgeRow {
    const char* label;
    std::uint16_t vendor;  // 0: no function at 1f.0
    std::uint16_t device;
    bool hub_bridge;
};

class HubBridge : public ::testing::TestWithParam<BridgeRow> {};

TEST_P(HubBridge, IsOnlyThatOfASupportedHub) {
    SysfsTree tree;
    if (GetParam().vendor != 0) {
        tree.add_pci_function("1f.0", GetParam().vendor, GetParam().device);
    }
    EXPECT_EQ(read_smbus_sysfs(tree.root()).hub_bridge, GetParam().hub_bridge);
}

INSTANTIATE_TEST_SUITE_P(Bridges, HubBridge,
                         ::testing::Values(BridgeRow{"Ich82801AA", kIntel, 0x2410, true},
                                           BridgeRow{"Ich82801BA", kIntel, 0x2440, true},
                                           BridgeRow{"Ich9IsNotOurs", kIntel, 0x2918, false},
                                           BridgeRow{"OtherVendor", 0x10DE, 0x2440, false},
                                           BridgeRow{"NoBridge", 0, 0, false}),
                         test::ByLabel());

}  // namespace
}  // namespace vantrel::platform
