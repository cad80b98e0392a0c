// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "bus/sleeper.h"
#include "bus/smbus_controller.h"
#include "bus/smbus_transfers.h"
#include "platform/linux/kernel/i2c_dev_bus.h"
#include "platform/linux/kernel/i2c_dev_system.h"
#include "platform/linux/kernel/smbus_sysfs.h"

namespace vantrel::platform {

// What the user asked for with --bus: nothing (choose), "kernel" or "ports".
enum class BusRequest : std::uint8_t { Auto, Kernel, Ports };

// Reads a --bus value; false for anything but "kernel" and "ports".
bool parse_bus_request(std::string_view text, BusRequest& request);

enum class BusPath : std::uint8_t { None, Kernel, Ports };

// The way the program reaches the clock chip's bus, or why it may not.
struct BusChoice {
    BusPath path = BusPath::None;
    // Set when the path is None: what stands in the way and how to fix it.
    std::string refusal;
    // Set when the automatic choice went to direct port access: why the kernel path was not
    // taken.
    std::string reason;
    // Set when the refusal is another instance holding the kernel path's node.
    bool held_elsewhere = false;
    // The open bus on the kernel path. Direct port access is set up by the caller, with its own
    // checks (privileges, lockdown, ioperm).
    std::unique_ptr<I2cDevBus> kernel;
};

// The program-wide records the chosen bus works on.
struct BusRecords {
    Sleeper& sleeper;
    SmbusController& controller;
    const DeviceAddress& device;
    RegisterShadow& shadow;
};

// The path choose_bus takes from the sysfs facts alone, opening nothing: Kernel (its node still to
// be opened, `kernel` left empty), Ports, or None with the refusal.
BusChoice plan_bus(BusRequest request, const SmbusSysfs& sysfs);

// The kernel path when the kernel's driver holds the hub's SMBus function and its i2c-dev node
// opens for the chip; direct port access when no driver holds it. A controller held by a kernel
// driver is never driven through the ports, since two masters would race on one bus.
BusChoice choose_bus(BusRequest request, const SmbusSysfs& sysfs, I2cDevSystem& system,
                     const BusRecords& records);

// "kernel i2c-dev /dev/i2c-N" or "direct port I/O"; empty when refused.
std::string bus_path_name(const BusChoice& choice);

}  // namespace vantrel::platform
