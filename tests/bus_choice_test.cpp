#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include <linux/i2c-dev.h>
#include <linux/i2c.h>

#include "platform/linux/bus_choice.h"
#include "platform/linux/sim_i2c_dev.h"
#include "sim/sim_clock_chip.h"
#include "sim/sim_time.h"
#include "support/param_name.h"
#include "support/sysfs_tree.h"

namespace vantrel::platform {
namespace {

// What sysfs shows, reduced to what the choice depends on.
enum class Kernel : unsigned char {
    NoHub,           // no supported SMBus function
    Unbound,         // the function without a driver
    BoundNoAdapter,  // a driver without an I2C adapter
    Bound,           // i801_smbus with adapter i2c-0
};

SmbusSysfs sysfs_of(Kernel kernel, bool i2c_dev_loaded) {
    SmbusSysfs sysfs = simulated_smbus_sysfs(0x24408086, 0xE800);
    sysfs.i2c_dev_loaded = i2c_dev_loaded;
    switch (kernel) {
        case Kernel::NoHub:
            sysfs.function.reset();
            sysfs.adapter.reset();
            break;
        case Kernel::Unbound:
            sysfs.function->driver.clear();
            sysfs.adapter.reset();
            break;
        case Kernel::BoundNoAdapter:
            sysfs.function->driver = "vfio-pci";
            sysfs.adapter.reset();
            break;
        case Kernel::Bound:
            break;
    }
    return sysfs;
}

struct ChoiceRow {
    const char* label;
    BusRequest request;
    Kernel kernel;
    bool i2c_dev_loaded;
    int open_error;           // opening /dev/i2c-0 fails with this
    const char* group;        // owner of the node
    unsigned long functions;  // what the adapter reports; 0: what i2c-i801 reports
    int functions_error;      // I2C_FUNCS fails with this
    int address_error;        // I2C_SLAVE fails with this
    BusPath path;
    const char* name;                  // the path's short name
    std::vector<const char*> message;  // in the refusal, or in the reason for the ports
};

class BusChoiceCase : public ::testing::TestWithParam<ChoiceRow> {};

TEST_P(BusChoiceCase, TakesThePathAndNamesTheCauseAndTheFix) {
    const ChoiceRow& row = GetParam();
    sim::SimClockChip chip;
    sim::SimTime time;
    SimulatedI2cDev dev;
    dev.attach(kClockChipAddress, chip);
    dev.refuse_open(row.open_error);
    dev.set_group(row.group);
    if (row.functions != 0) {
        dev.set_functions(row.functions);
    }
    if (row.functions_error != 0) {
        dev.refuse_request(I2C_FUNCS, row.functions_error);
    }
    if (row.address_error != 0) {
        dev.refuse_request(I2C_SLAVE, row.address_error);
    }
    SmbusController controller;
    DeviceAddress device;
    RegisterShadow shadow;

    const BusChoice choice = choose_bus(row.request, sysfs_of(row.kernel, row.i2c_dev_loaded), dev,
                                        {time, controller, device, shadow});

    EXPECT_EQ(choice.path, row.path);
    EXPECT_EQ(bus_path_name(choice), row.name);
    EXPECT_EQ(choice.kernel != nullptr, row.path == BusPath::Kernel);
    // A node left open would hold the adapter for nothing.
    EXPECT_EQ(dev.is_open(), row.path == BusPath::Kernel);
    EXPECT_EQ(choice.refusal.empty(), row.path != BusPath::None) << choice.refusal;
    const std::string& text = row.path == BusPath::None ? choice.refusal : choice.reason;
    EXPECT_EQ(text.empty(), row.message.empty()) << text;
    for (const char* part : row.message) {
        EXPECT_NE(text.find(part), std::string::npos) << "\"" << part << "\" not in: " << text;
    }
    // Nothing is said on the bus while choosing.
    EXPECT_TRUE(dev.transfers().empty());
}

constexpr unsigned long kWordOnly = I2C_FUNC_SMBUS_BYTE_DATA | I2C_FUNC_SMBUS_WORD_DATA;
constexpr unsigned long kNoBlockWrite = I2C_FUNC_SMBUS_WORD_DATA | I2C_FUNC_SMBUS_READ_BLOCK_DATA;

INSTANTIATE_TEST_SUITE_P(
    Cases, BusChoiceCase,
    ::testing::Values(
        // The kernel holds the hub and its node opens.
        ChoiceRow{"AutoKernel",
                  BusRequest::Auto,
                  Kernel::Bound,
                  true,
                  0,
                  "i2c",
                  0,
                  0,
                  0,
                  BusPath::Kernel,
                  "kernel i2c-dev /dev/i2c-0",
                  {}},
        ChoiceRow{"ForcedKernel",
                  BusRequest::Kernel,
                  Kernel::Bound,
                  true,
                  0,
                  "i2c",
                  0,
                  0,
                  0,
                  BusPath::Kernel,
                  "kernel i2c-dev /dev/i2c-0",
                  {}},
        // Nothing in the kernel holds the hub: the ports, with the reason.
        ChoiceRow{"AutoNoHubGoesToPorts",
                  BusRequest::Auto,
                  Kernel::NoHub,
                  true,
                  0,
                  "i2c",
                  0,
                  0,
                  0,
                  BusPath::Ports,
                  "direct port I/O",
                  {"no supported SMBus controller"}},
        ChoiceRow{"AutoUnboundGoesToPorts",
                  BusRequest::Auto,
                  Kernel::Unbound,
                  true,
                  0,
                  "i2c",
                  0,
                  0,
                  0,
                  BusPath::Ports,
                  "direct port I/O",
                  {"no kernel driver", "82801BA", "0000:00:1f.3"}},
        ChoiceRow{"ForcedPortsUnbound",
                  BusRequest::Ports,
                  Kernel::Unbound,
                  false,
                  0,
                  "i2c",
                  0,
                  0,
                  0,
                  BusPath::Ports,
                  "direct port I/O",
                  {}},
        ChoiceRow{"ForcedPortsNoHub",
                  BusRequest::Ports,
                  Kernel::NoHub,
                  false,
                  0,
                  "i2c",
                  0,
                  0,
                  0,
                  BusPath::Ports,
                  "direct port I/O",
                  {}},
        // A driver holds the hub: never the ports.
        ChoiceRow{"ForcedPortsWhileBound",
                  BusRequest::Ports,
                  Kernel::Bound,
                  true,
                  0,
                  "i2c",
                  0,
                  0,
                  0,
                  BusPath::None,
                  "",
                  {"i801_smbus", "race", "/sys/bus/pci/drivers/i801_smbus/unbind", "0000:00:1f.3"}},
        ChoiceRow{"ForcedPortsWhileOtherDriver",
                  BusRequest::Ports,
                  Kernel::BoundNoAdapter,
                  true,
                  0,
                  "i2c",
                  0,
                  0,
                  0,
                  BusPath::None,
                  "",
                  {"vfio-pci", "/sys/bus/pci/drivers/vfio-pci/unbind"}},
        ChoiceRow{"AutoOtherDriverWithoutAdapter",
                  BusRequest::Auto,
                  Kernel::BoundNoAdapter,
                  true,
                  0,
                  "i2c",
                  0,
                  0,
                  0,
                  BusPath::None,
                  "",
                  {"vfio-pci", "no I2C adapter", "race", "modprobe i2c-i801"}},
        // The kernel path asked for where the kernel does not hold the hub.
        ChoiceRow{"ForcedKernelNoHub",
                  BusRequest::Kernel,
                  Kernel::NoHub,
                  true,
                  0,
                  "i2c",
                  0,
                  0,
                  0,
                  BusPath::None,
                  "",
                  {"no supported SMBus controller", "--bus kernel"}},
        ChoiceRow{"ForcedKernelUnbound",
                  BusRequest::Kernel,
                  Kernel::Unbound,
                  true,
                  0,
                  "i2c",
                  0,
                  0,
                  0,
                  BusPath::None,
                  "",
                  {"No kernel driver", "sudo modprobe i2c-i801 i2c-dev"}},
        // The driver is bound but its node does not open.
        ChoiceRow{"AutoI2cDevNotLoaded",
                  BusRequest::Auto,
                  Kernel::Bound,
                  false,
                  ENOENT,
                  "i2c",
                  0,
                  0,
                  0,
                  BusPath::None,
                  "",
                  {"/dev/i2c-0", "i2c-dev module is not loaded", "sudo modprobe i2c-dev",
                   "/etc/modules-load.d/"}},
        ChoiceRow{"ForcedKernelI2cDevNotLoaded",
                  BusRequest::Kernel,
                  Kernel::Bound,
                  false,
                  ENOENT,
                  "i2c",
                  0,
                  0,
                  0,
                  BusPath::None,
                  "",
                  {"sudo modprobe i2c-dev"}},
        ChoiceRow{"NodeMissingWithI2cDevLoaded",
                  BusRequest::Auto,
                  Kernel::Bound,
                  true,
                  ENOENT,
                  "i2c",
                  0,
                  0,
                  0,
                  BusPath::None,
                  "",
                  {"does not exist although", "mknod -m 0660 /dev/i2c-0 c 89 0"}},
        ChoiceRow{"PermissionWithGroup",
                  BusRequest::Auto,
                  Kernel::Bound,
                  true,
                  EACCES,
                  "i2c",
                  0,
                  0,
                  0,
                  BusPath::None,
                  "",
                  {"permission to open /dev/i2c-0 is denied", "\"i2c\"",
                   "sudo usermod -aG i2c $USER", "log in again"}},
        ChoiceRow{"PermissionWithOtherGroup",
                  BusRequest::Kernel,
                  Kernel::Bound,
                  true,
                  EPERM,
                  "smbus",
                  0,
                  0,
                  0,
                  BusPath::None,
                  "",
                  {"\"smbus\"", "sudo usermod -aG smbus"}},
        ChoiceRow{"PermissionRootOnly",
                  BusRequest::Auto,
                  Kernel::Bound,
                  true,
                  EACCES,
                  "root",
                  0,
                  0,
                  0,
                  BusPath::None,
                  "",
                  {"only root", "dist/60-vantrel-i2c.rules", "udevadm trigger",
                   "sudo usermod -aG i2c $USER"}},
        ChoiceRow{"OpenFailsOtherwise",
                  BusRequest::Auto,
                  Kernel::Bound,
                  true,
                  EIO,
                  "i2c",
                  0,
                  0,
                  0,
                  BusPath::None,
                  "",
                  {"/dev/i2c-0 cannot be opened", "Input/output error"}},
        // The node opens but the adapter cannot serve the chip.
        ChoiceRow{"AdapterWithoutBlockTransfers",
                  BusRequest::Auto,
                  Kernel::Bound,
                  true,
                  0,
                  "i2c",
                  kWordOnly,
                  0,
                  0,
                  BusPath::None,
                  "",
                  {"i2c-0", "SMBus I801 adapter at e800", "word-data and block-data"}},
        ChoiceRow{"AdapterWithoutBlockWrites",
                  BusRequest::Auto,
                  Kernel::Bound,
                  true,
                  0,
                  "i2c",
                  kNoBlockWrite,
                  0,
                  0,
                  BusPath::None,
                  "",
                  {"word-data and block-data"}},
        ChoiceRow{"FunctionsUnreadable",
                  BusRequest::Auto,
                  Kernel::Bound,
                  true,
                  0,
                  "i2c",
                  0,
                  ENOTTY,
                  0,
                  BusPath::None,
                  "",
                  {"Cannot ask /dev/i2c-0"}},
        ChoiceRow{"AddressClaimedByADriver",
                  BusRequest::Auto,
                  Kernel::Bound,
                  true,
                  0,
                  "i2c",
                  0,
                  0,
                  EBUSY,
                  BusPath::None,
                  "",
                  {"0x69", "in use by a kernel driver", "/sys/bus/i2c/devices/0-0069/driver"}},
        ChoiceRow{"AddressRefusedOtherwise",
                  BusRequest::Kernel,
                  Kernel::Bound,
                  true,
                  0,
                  "i2c",
                  0,
                  0,
                  EINVAL,
                  BusPath::None,
                  "",
                  {"Cannot select address 0x69"}}),
    test::ByLabel());

// The same choice from a sysfs tree on disk, as a running system shows it.
struct TreeRow {
    const char* label;
    bool bound;
    bool i2c_dev;
    BusPath path;
};

class BusChoiceFromSysfs : public ::testing::TestWithParam<TreeRow> {};

TEST_P(BusChoiceFromSysfs, FollowsWhatTheTreeShows) {
    const TreeRow& row = GetParam();
    test::SysfsTree tree;
    tree.add_pci_function("1f.3", 0x8086, 0x2443, row.bound ? "i801_smbus" : "", 0xE800);
    if (row.bound) {
        tree.add_adapter(4, "SMBus I801 adapter at e800", "1f.3");
    }
    if (row.i2c_dev) {
        tree.load_i2c_dev();
    }
    sim::SimClockChip chip;
    sim::SimTime time;
    SimulatedI2cDev dev("/dev/i2c-4");
    dev.attach(kClockChipAddress, chip);
    if (!row.i2c_dev) {
        dev.refuse_open(ENOENT);
    }
    SmbusController controller;
    DeviceAddress device;
    RegisterShadow shadow;

    const BusChoice choice = choose_bus(BusRequest::Auto, read_smbus_sysfs(tree.root()), dev,
                                        {time, controller, device, shadow});

    EXPECT_EQ(choice.path, row.path) << choice.refusal;
    if (row.path == BusPath::Kernel) {
        EXPECT_EQ(bus_path_name(choice), "kernel i2c-dev /dev/i2c-4");
        EXPECT_EQ(choice.kernel->detect_smbus_controller(), 1);
        EXPECT_EQ(controller.kind, ChipsetKind::ICH_82801BA);
    }
}

INSTANTIATE_TEST_SUITE_P(Trees, BusChoiceFromSysfs,
                         ::testing::Values(TreeRow{"Bound", true, true, BusPath::Kernel},
                                           TreeRow{"BoundWithoutI2cDev", true, false,
                                                   BusPath::None},
                                           TreeRow{"Unbound", false, true, BusPath::Ports}),
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
                         ::testing::Values(RequestRow{"Kernel", "kernel", true, BusRequest::Kernel},
                                           RequestRow{"Ports", "ports", true, BusRequest::Ports},
                                           RequestRow{"Empty", "", false, BusRequest::Auto},
                                           RequestRow{"CapitalLetter", "Kernel", false,
                                                      BusRequest::Auto},
                                           RequestRow{"Auto", "auto", false, BusRequest::Auto},
                                           RequestRow{"Prefix", "port", false, BusRequest::Auto}),
                         test::ByLabel());

}  // namespace
}  // namespace vantrel::platform
