// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "bus/smbus_controller.h"
#include "bus/smbus_transfers.h"
#include "clockgen/clock_state.h"
#include "cpu/cpu_info.h"
#include "ui/machine.h"
#include "ui/registry.h"

namespace vantrel {

// The program-wide records: one of each for the whole run, owned where the program starts and
// handed down by reference, so that a test builds fresh ones.
struct ProgramRecords {
    SmbusController controller;
    DeviceAddress device_address;
    RegisterShadow shadow;
    ClockState clock;
    SettingsKey settings_key;
    VendorFlag vendor;

    MachineRecords machine_records() { return {controller, device_address, shadow}; }
};

}  // namespace vantrel
