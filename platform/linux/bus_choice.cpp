// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/bus_choice.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vantrel::platform {

namespace {

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string hub_function(const SmbusFunction& function) {
    return "the " + std::string(chipset_display_name(function.kind)) + "'s SMBus function " +
           function.pci_name;
}

std::string chip_address(const DeviceAddress& device) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", device.value >> 1);
    return text;
}

std::string open_refusal(const SmbusAdapter& adapter, const SmbusSysfs& sysfs, int error_number,
                         I2cDevSystem& system) {
    const std::string node = adapter.node();
    const std::string held = "The kernel's SMBus driver has " + hub_function(adapter.function) +
                             " as i2c-" + std::to_string(adapter.number) + ", but ";
    if (error_number == ENOENT && !sysfs.i2c_dev_loaded) {
        return held + node +
               " does not exist: the i2c-dev module is not loaded. Load it with \"sudo modprobe "
               "i2c-dev\" (to load it at every boot: \"echo i2c-dev | sudo tee "
               "/etc/modules-load.d/i2c-dev.conf\").";
    }
    if (error_number == ENOENT) {
        return held + node +
               " does not exist although the i2c-dev module is loaded, so the device manager "
               "has not made it. Create it with \"sudo mknod -m 0660 " +
               node + " c 89 " + std::to_string(adapter.number) + "\" or restart udev.";
    }
    if (error_number == EACCES || error_number == EPERM) {
        const std::string group = system.node_group(node);
        if (group.empty() || group == "root") {
            return held + "permission to open " + node +
                   " is denied: only root may open it. Give it to group \"i2c\" with the rule "
                   "that comes with Vantrel (\"sudo cp dist/60-vantrel-i2c.rules "
                   "/etc/udev/rules.d/ && sudo udevadm trigger\"), join that group with \"sudo "
                   "usermod -aG i2c $USER\" and log in again.";
        }
        return held + "permission to open " + node + " is denied. Join the group that owns it, " +
               quoted(group) + ", with \"sudo usermod -aG " + group +
               " $USER\" and log in again; no root is needed after that.";
    }
    return held + node + " cannot be opened: " + std::strerror(error_number) + ".";
}

std::string open_failure_text(const I2cDevOpenFailure& failure, const SmbusAdapter& adapter,
                              const SmbusSysfs& sysfs, const DeviceAddress& device,
                              I2cDevSystem& system) {
    const std::string node = adapter.node();
    switch (failure.step) {
        case I2cDevOpenFailure::Step::Open:
            return open_refusal(adapter, sysfs, failure.error_number, system);
        case I2cDevOpenFailure::Step::Lock:
            if (failure.error_number == EWOULDBLOCK) {
                return "Another Vantrel program is using the clock chip through " + node +
                       "; close it first.";
            }
            return "Cannot lock " + node + ": " + std::strerror(failure.error_number) + ".";
        case I2cDevOpenFailure::Step::Functions:
            if (failure.error_number != 0) {
                return "Cannot ask " + node +
                       " what its adapter can do: " + std::strerror(failure.error_number) + ".";
            }
            return "The kernel's adapter i2c-" + std::to_string(adapter.number) + " (" +
                   adapter.name +
                   ") cannot make the SMBus word-data and block-data transfers the VXC812-07 "
                   "needs.";
        case I2cDevOpenFailure::Step::Address:
            if (failure.error_number == EBUSY) {
                char client[24];
                std::snprintf(client, sizeof client, "%d-%04x", adapter.number,
                              unsigned{device.value} >> 1);
                return "Address " + chip_address(device) + " on i2c-" +
                       std::to_string(adapter.number) +
                       " is in use by a kernel driver; unbind that driver first (see "
                       "/sys/bus/i2c/devices/" +
                       client + "/driver).";
            }
            return "Cannot select address " + chip_address(device) + " on " + node + ": " +
                   std::strerror(failure.error_number) + ".";
    }
    return {};
}

BusChoice refuse(std::string text) {
    BusChoice choice;
    choice.refusal = std::move(text);
    return choice;
}

BusChoice ports(std::string reason) {
    BusChoice choice;
    choice.path = BusPath::Ports;
    choice.reason = std::move(reason);
    return choice;
}

BusChoice kernel_path(const SmbusSysfs& sysfs, I2cDevSystem& system, const BusRecords& records) {
    const SmbusAdapter& adapter = *sysfs.adapter;
    auto bus = std::make_unique<I2cDevBus>(system, adapter, records.sleeper, records.controller,
                                           records.device, records.shadow);
    I2cDevOpenFailure failure;
    if (!bus->open(failure)) {
        BusChoice choice =
            refuse(open_failure_text(failure, adapter, sysfs, records.device, system));
        choice.held_elsewhere =
            failure.step == I2cDevOpenFailure::Step::Lock && failure.error_number == EWOULDBLOCK;
        return choice;
    }
    BusChoice choice;
    choice.path = BusPath::Kernel;
    choice.kernel = std::move(bus);
    return choice;
}

}  // namespace

bool parse_bus_request(std::string_view text, BusRequest& request) {
    if (text == "kernel") {
        request = BusRequest::Kernel;
        return true;
    }
    if (text == "ports") {
        request = BusRequest::Ports;
        return true;
    }
    return false;
}

BusChoice plan_bus(BusRequest request, const SmbusSysfs& sysfs) {
    const bool driver_bound = sysfs.function && !sysfs.function->driver.empty();

    if (request == BusRequest::Ports) {
        if (driver_bound) {
            const SmbusFunction& f = *sysfs.function;
            const std::string unbind = "\"echo " + f.pci_name +
                                       " | sudo tee /sys/bus/pci/drivers/" + f.driver + "/unbind\"";
            const char* instead = sysfs.adapter ? " Use the kernel path (leave out --bus ports), "
                                                  "or unbind the driver first: "
                                                : " Unbind the driver first: ";
            return refuse("The kernel's driver " + quoted(f.driver) + " is bound to " +
                          hub_function(f) + "; direct port access would race it on the bus." +
                          instead + unbind + ".");
        }
        return ports({});
    }

    if (!sysfs.function) {
        if (request == BusRequest::Kernel) {
            // Port discovery can reach only a function the firmware hid on a hub of ours.
            return refuse(
                std::string("The kernel sees no supported SMBus controller (the SMBus function "
                            "of an Intel 82801AA, 82801AB or 82801BA), so the kernel path "
                            "cannot be used") +
                (sysfs.hub_bridge ? "; leave out --bus kernel to look for the hub through "
                                    "direct port access."
                                  : "."));
        }
        return ports("the kernel sees no supported SMBus controller");
    }
    const SmbusFunction& function = *sysfs.function;
    if (!driver_bound) {
        if (request == BusRequest::Kernel) {
            return refuse("No kernel driver is bound to " + hub_function(function) +
                          ". Load the kernel's SMBus driver and its device interface with "
                          "\"sudo modprobe i2c-i801 i2c-dev\".");
        }
        return ports("no kernel driver is bound to " + hub_function(function));
    }
    if (!sysfs.adapter) {
        return refuse("The kernel driver " + quoted(function.driver) + " holds " +
                      hub_function(function) +
                      " but offers no I2C adapter; direct port access would race it on the "
                      "bus. Unbind it (\"echo " +
                      function.pci_name + " | sudo tee /sys/bus/pci/drivers/" + function.driver +
                      "/unbind\") and load the kernel's SMBus driver (\"sudo modprobe i2c-i801 "
                      "i2c-dev\").");
    }
    BusChoice choice;
    choice.path = BusPath::Kernel;
    return choice;
}

BusChoice choose_bus(BusRequest request, const SmbusSysfs& sysfs, I2cDevSystem& system,
                     const BusRecords& records) {
    BusChoice plan = plan_bus(request, sysfs);
    if (plan.path != BusPath::Kernel) {
        return plan;
    }
    return kernel_path(sysfs, system, records);
}

std::string bus_path_name(const BusChoice& choice) {
    switch (choice.path) {
        case BusPath::Kernel:
            return "kernel i2c-dev " + choice.kernel->adapter().node();
        case BusPath::Ports:
            return "direct port I/O";
        case BusPath::None:
            break;
    }
    return {};
}

}  // namespace vantrel::platform
