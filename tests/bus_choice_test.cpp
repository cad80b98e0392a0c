// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include <linux/i2c-dev.h>
#include <linux/i2c.h>

#include "platform/linux/bus_choice.h"
#include "sim/linux/sim_i2c_dev.h"
#include "sim/linux/sim_sysfs.h"
#include "sim/sim_clock_chip.h"
#include "sim/sim_time.h"
#include "support/param_name.h"
#include "support/sysfs_tree.h"

namespace vantrel::platform {
namespace {

using test::PrintTo;

// What sysfs shows of the hub's SMBus function.
// None: the function is hidden, its bridge there; NoHubAtAll: neither.
enum class Hub : unsigned char { None, NoHubAtAll, Unbound, OtherDriver, Bound, BoundNoI2cDev };

// How the adapter's node answers.
enum class Node : unsigned char {
    Opens,
    Missing,
    DeniedGroupI2c,
    DeniedGroupSmbus,
    DeniedRootOnly,
    IoError,
    NoBlockWrite,
    FunctionsUnreadable,
    AddressBusy,
    AddressInvalid,
    LockedElsewhere,
};

SmbusSysfs sysfs_of(Hub hub) {
    SmbusSysfs sysfs = sim::simulated_smbus_sysfs(0x24408086, 0xE800);
    switch (hub) {
        case Hub::None:
            sysfs.function.reset();
            sysfs.adapter.reset();
            break;
        case Hub::NoHubAtAll:
            sysfs.function.reset();
            sysfs.adapter.reset();
            sysfs.hub_bridge = false;
            break;
        case Hub::Unbound:
            sysfs.function->driver.clear();
            sysfs.adapter.reset();
            break;
        case Hub::OtherDriver:
            sysfs.function->driver = "vfio-pci";
            sysfs.adapter.reset();
            break;
        case Hub::BoundNoI2cDev:
            sysfs.i2c_dev_loaded = false;
            break;
        case Hub::Bound:
            break;
    }
    return sysfs;
}

void set_up(sim::SimulatedI2cDev& dev, Node node) {
    switch (node) {
        case Node::Opens:
            break;
        case Node::Missing:
            dev.refuse_open(ENOENT);
            break;
        case Node::DeniedGroupI2c:
            dev.refuse_open(EACCES);
            break;
        case Node::DeniedGroupSmbus:
            dev.refuse_open(EPERM);
            dev.set_group("smbus");
            break;
        case Node::DeniedRootOnly:
            dev.refuse_open(EACCES);
            dev.set_group("root");
            break;
        case Node::IoError:
            dev.refuse_open(EIO);
            break;
        case Node::NoBlockWrite:
            dev.set_functions(I2C_FUNC_SMBUS_WORD_DATA | I2C_FUNC_SMBUS_READ_BLOCK_DATA);
            break;
        case Node::FunctionsUnreadable:
            dev.refuse_request(I2C_FUNCS, ENOTTY);
            break;
        case Node::AddressBusy:
            dev.refuse_request(I2C_SLAVE, EBUSY);
            break;
        case Node::AddressInvalid:
            dev.refuse_request(I2C_SLAVE, EINVAL);
            break;
        case Node::LockedElsewhere:
            dev.hold_lock_elsewhere();
            break;
    }
}

struct ChoiceRow {
    const char* label;
    BusRequest request;
    Hub hub;
    Node node;
    BusPath path;
    // Found in the refusal, or in the reason for taking the ports.
    std::vector<const char*> message;
};

class BusChoiceCase : public ::testing::TestWithParam<ChoiceRow> {};

TEST_P(BusChoiceCase, TakesThePathAndNamesTheCauseAndTheFix) {
    const ChoiceRow& row = GetParam();
    sim::SimClockChip chip;
    sim::SimTime time;
    sim::SimulatedI2cDev dev;
    dev.attach(kClockChipAddress, chip);
    set_up(dev, row.node);
    SmbusController controller;
    DeviceAddress device;
    RegisterShadow shadow;

    const BusChoice choice =
        choose_bus(row.request, sysfs_of(row.hub), dev, {time, controller, device, shadow});

    EXPECT_EQ(choice.path, row.path);
    const char* names[] = {"", "kernel i2c-dev /dev/i2c-0", "direct port I/O"};
    EXPECT_EQ(bus_path_name(choice), names[static_cast<int>(row.path)]);
    EXPECT_EQ(choice.kernel != nullptr, row.path == BusPath::Kernel);
    // A node left open after a refusal would hold the adapter for nothing.
    EXPECT_EQ(dev.is_open(), row.path == BusPath::Kernel);
    // The lock keeps a second program from interleaving its transfers with an apply.
    EXPECT_EQ(dev.locked(), row.path == BusPath::Kernel);
    EXPECT_EQ(choice.held_elsewhere, row.node == Node::LockedElsewhere);
    const std::string& text = row.path == BusPath::None ? choice.refusal : choice.reason;
    EXPECT_EQ(choice.refusal.empty(), row.path != BusPath::None);
    EXPECT_EQ(text.empty(), row.message.empty()) << text;
    for (const char* part : row.message) {
        EXPECT_NE(text.find(part), std::string::npos) << "\"" << part << "\" not in: " << text;
    }
    EXPECT_TRUE(dev.transfers().empty());
}

using enum BusRequest;
using enum Hub;
using enum Node;
constexpr BusPath kKernel = BusPath::Kernel;
constexpr BusPath kPorts = BusPath::Ports;
constexpr BusPath kRefused = BusPath::None;

INSTANTIATE_TEST_SUITE_P(
    Cases, BusChoiceCase,
    ::testing::Values(
        ChoiceRow{"AutoKernel", Auto, Bound, Opens, kKernel, {}},
        ChoiceRow{"ForcedKernel", Kernel, Bound, Opens, kKernel, {}},
        // No driver holds the hub: the ports, with the reason when it was the program's choice.
        ChoiceRow{"AutoNoHub", Auto, None, Opens, kPorts, {"no supported SMBus controller"}},
        ChoiceRow{"AutoUnbound", Auto, Unbound, Opens, kPorts, {"no kernel driver", "82801BA"}},
        ChoiceRow{"ForcedPortsUnbound", Ports, Unbound, Opens, kPorts, {}},
        // A driver holds the hub: never the ports.
        ChoiceRow{"ForcedPortsWhileBound",
                  Ports,
                  Bound,
                  Opens,
                  kRefused,
                  {"race", "leave out --bus ports",
                   "echo 0000:00:1f.3 | sudo tee /sys/bus/pci/drivers/i801_smbus/unbind"}},
        ChoiceRow{"ForcedPortsWhileOtherDriver",
                  Ports,
                  OtherDriver,
                  Opens,
                  kRefused,
                  {"\"vfio-pci\"", "/sys/bus/pci/drivers/vfio-pci/unbind"}},
        ChoiceRow{"AutoOtherDriver",
                  Auto,
                  OtherDriver,
                  Opens,
                  kRefused,
                  {"no I2C adapter", "race", "modprobe i2c-i801"}},
        // The kernel path asked for where the kernel does not hold the hub.
        ChoiceRow{"ForcedKernelNoHub", Kernel, None, Opens, kRefused, {"--bus kernel"}},
        // No hub of ours at all: the ports would find nothing either, so no advice to try them.
        ChoiceRow{"ForcedKernelNoHubAtAll",
                  Kernel,
                  NoHubAtAll,
                  Opens,
                  kRefused,
                  {"so the kernel path cannot be used."}},
        ChoiceRow{"ForcedKernelUnbound",
                  Kernel,
                  Unbound,
                  Opens,
                  kRefused,
                  {"No kernel driver", "sudo modprobe i2c-i801 i2c-dev"}},
        // The driver holds the hub but its node does not serve the chip.
        ChoiceRow{
            "I2cDevNotLoaded",
            Auto,
            BoundNoI2cDev,
            Missing,
            kRefused,
            {"i2c-dev module is not loaded", "sudo modprobe i2c-dev", "/etc/modules-load.d/"}},
        ChoiceRow{"NodeMissing", Kernel, Bound, Missing, kRefused, {"c 89 0", "restart udev"}},
        ChoiceRow{"DeniedToGroupI2c",
                  Auto,
                  Bound,
                  DeniedGroupI2c,
                  kRefused,
                  {"/dev/i2c-0 is denied", "sudo usermod -aG i2c $USER", "log in again"}},
        ChoiceRow{"DeniedToGroupSmbus",
                  Auto,
                  Bound,
                  DeniedGroupSmbus,
                  kRefused,
                  {"\"smbus\"", "sudo usermod -aG smbus $USER"}},
        ChoiceRow{"DeniedToAllButRoot",
                  Auto,
                  Bound,
                  DeniedRootOnly,
                  kRefused,
                  {"only root", "dist/60-vantrel-i2c.rules", "sudo usermod -aG i2c $USER"}},
        ChoiceRow{"OpenIoError", Auto, Bound, IoError, kRefused, {"Input/output error"}},
        ChoiceRow{"NoBlockWrites", Auto, Bound, NoBlockWrite, kRefused, {"block-data"}},
        ChoiceRow{"FunctionsUnreadable",
                  Auto,
                  Bound,
                  FunctionsUnreadable,
                  kRefused,
                  {"Cannot ask /dev/i2c-0"}},
        ChoiceRow{"AddressBusy",
                  Auto,
                  Bound,
                  AddressBusy,
                  kRefused,
                  {"0x69", "in use by a kernel driver", "/sys/bus/i2c/devices/0-0069/driver"}},
        ChoiceRow{"AddressInvalid",
                  Kernel,
                  Bound,
                  AddressInvalid,
                  kRefused,
                  {"Cannot select address 0x69"}},
        ChoiceRow{"HeldByAnotherInstance",
                  Auto,
                  Bound,
                  LockedElsewhere,
                  kRefused,
                  {"Another Vantrel program", "/dev/i2c-0", "close it first"}}),
    test::ByLabel());

// The choice made from a sysfs tree on disk, as a running system shows it.
struct TreeRow {
    const char* label;
    bool bound;
    BusPath path;
};

class BusChoiceFromSysfs : public ::testing::TestWithParam<TreeRow> {};

TEST_P(BusChoiceFromSysfs, FollowsWhatTheTreeShows) {
    const TreeRow& row = GetParam();
    test::SysfsTree tree;
    tree.add_pci_function("1f.3", 0x8086, 0x2423, row.bound ? "i801_smbus" : "", 0x1040);
    if (row.bound) {
        tree.add_adapter(4, "SMBus I801 adapter at 1040", "1f.3");
    }
    tree.load_i2c_dev();
    sim::SimClockChip chip;
    sim::SimTime time;
    sim::SimulatedI2cDev dev("/dev/i2c-4");
    dev.attach(kClockChipAddress, chip);
    SmbusController controller;
    DeviceAddress device;
    RegisterShadow shadow;

    const BusChoice choice = choose_bus(BusRequest::Auto, read_smbus_sysfs(tree.root()), dev,
                                        {time, controller, device, shadow});

    EXPECT_EQ(choice.path, row.path) << choice.refusal;
    if (choice.kernel) {
        EXPECT_EQ(bus_path_name(choice), "kernel i2c-dev /dev/i2c-4");
        EXPECT_EQ(choice.kernel->detect_smbus_controller(), 1);
        EXPECT_EQ(controller.kind, ChipsetKind::ICH_82801AB);
        EXPECT_EQ(controller.io_base, 0x1040);
    }
}

INSTANTIATE_TEST_SUITE_P(Trees, BusChoiceFromSysfs,
                         ::testing::Values(TreeRow{"Bound", true, BusPath::Kernel},
                                           TreeRow{"Unbound", false, BusPath::Ports}),
                         test::ByLabel());

struct RequestRow {
    const char* label;
    const char* text;
    bool ok;
    BusRequest request;
};

class BusRequestText : public ::testing::TestWithParam<RequestRow> {};

TEST_P(BusRequestText, ReadsOnlyTheTwoNames) {
    const RequestRow& row = GetParam();
    BusRequest request = BusRequest::Auto;
    EXPECT_EQ(parse_bus_request(row.text, request), row.ok);
    EXPECT_EQ(request, row.request);
}

INSTANTIATE_TEST_SUITE_P(Texts, BusRequestText,
                         ::testing::Values(RequestRow{"Kernel", "kernel", true, Kernel},
                                           RequestRow{"Ports", "ports", true, Ports},
                                           RequestRow{"CapitalLetter", "Kernel", false, Auto},
                                           RequestRow{"Prefix", "port", false, Auto}),
                         test::ByLabel());

}  // namespace
}  // namespace vantrel::platform
