// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "bus/smbus_controller.h"

namespace vantrel::platform {

// A supported hub's SMBus function as sysfs shows it.
struct SmbusFunction {
    std::string pci_name;  // the PCI address, e.g. "0000:00:1f.3"
    ChipsetKind kind = ChipsetKind::None;
    std::string driver;                    // the bound driver's name, empty when none is bound
    std::optional<std::uint16_t> io_base;  // the SMBus I/O base the kernel assigned, if shown
};

// An I2C adapter whose parent is a supported SMBus function: the kernel's driver of the hub.
struct SmbusAdapter {
    int number = -1;   // N of i2c-N
    std::string name;  // the adapter's name, e.g. "SMBus I801 adapter at e800"
    SmbusFunction function;

    std::string node() const { return "/dev/i2c-" + std::to_string(number); }
};

// What sysfs says about the hub and the kernel's hold on it.
struct SmbusSysfs {
    // The supported SMBus function with the lowest PCI address, when the kernel sees one.
    std::optional<SmbusFunction> function;
    // Its adapter (the lowest-numbered when there are several), when a driver has made one.
    std::optional<SmbusAdapter> adapter;
    // Whether the i2c-dev module is there to give adapters their /dev/i2c-N nodes.
    bool i2c_dev_loaded = false;
    // Whether a supported hub's bridge (bus 0, device 31, function 0) is there: without a
    // function, the firmware hid it, and only port discovery can reach it.
    bool hub_bridge = false;
};

// Reads bus/pci/devices, bus/i2c/devices and class/i2c-dev under `sysfs_root` ("/sys" on a
// running system). Entries that cannot be read count as absent.
SmbusSysfs read_smbus_sysfs(const std::string& sysfs_root);

}  // namespace vantrel::platform
