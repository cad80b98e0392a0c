// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/sim_pci.h"

#include <cstdio>
#include <string>

#include "bus/pci_config.h"

namespace vantrel::sim {

namespace {

constexpr std::uint32_t kEnableBit = 0x80000000;

std::string hex(std::uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", v);
    return text;
}

}  // namespace

bool SimPci::smbus_function_enabled() const {
    return hub_id_ != kNoDevice && (function_disable_ & kFunctionDisableSmbusBit) == 0;
}

std::uint32_t SimPci::read_data() {
    if ((address_ & kEnableBit) == 0) {
        log_.violation("PCI data read without the enable bit in the address " + hex(address_));
        return kNoDevice;
    }
    if (hub_id_ == kNoDevice) {
        return kNoDevice;
    }
    if (address_ == kPciAddrHubId) {
        return hub_id_;
    }
    if (address_ == kPciAddrHubFunctionDisable) {
        return function_disable_;
    }
    if (address_ == kPciAddrSmbusBase) {
        return smbus_function_enabled() ? smbus_base_register_ : kNoDevice;
    }
    log_.violation("PCI read of an address the program never uses: " + hex(address_));
    return kNoDevice;
}

void SimPci::write_data(std::uint32_t value) {
    if (hub_id_ != kNoDevice && address_ == kPciAddrHubFunctionDisable) {
        function_disable_ = value;
        return;
    }
    log_.violation("PCI write of " + hex(value) + " to " + hex(address_));
}

}  // namespace vantrel::sim
