// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/linux/sim_sysfs.h"

#include <cstdio>

namespace vantrel::sim {

namespace {

constexpr char kAdapterDriver[] = "i801_smbus";

}  // namespace

platform::SmbusSysfs simulated_smbus_sysfs(std::uint32_t hub_id, std::uint16_t io_base) {
    platform::SmbusSysfs sysfs;
    sysfs.i2c_dev_loaded = true;
    const ChipsetKind kind = chipset_kind_from_id(hub_id);
    if (kind == ChipsetKind::None) {
        return sysfs;
    }
    platform::SmbusFunction function;
    function.pci_name = "0000:00:1f.3";
    function.kind = kind;
    function.driver = kAdapterDriver;
    function.io_base = io_base;
    char name[40];
    std::snprintf(name, sizeof name, "SMBus I801 adapter at %04x", unsigned{io_base});
    sysfs.hub_bridge = true;
    sysfs.function = function;
    sysfs.adapter = platform::SmbusAdapter{0, name, function};
    return sysfs;
}

}  // namespace vantrel::sim
