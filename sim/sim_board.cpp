// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/sim_board.h"

#include <cstdio>
#include <string>

#include "bus/pci_config.h"
#include "bus/smbus_host.h"

namespace vantrel::sim {

namespace {

constexpr std::uint16_t kSmbusBlockSize = 8;

}  // namespace

SimBoard::SimBoard() : pci_(log_), smbus_(log_) {
    smbus_.attach(kClockChipAddress, chip_);
}

bool SimBoard::is_smbus_port(std::uint16_t port) const {
    const std::uint16_t base = pci_.smbus_base();
    return pci_.smbus_function_enabled() && port >= base && port < base + kSmbusBlockSize;
}

void SimBoard::unmapped(const char* access, std::uint16_t port) {
    char text[64];
    std::snprintf(text, sizeof text, "%s of unmapped port 0x%04X", access, port);
    log_.violation(text);
}

std::uint8_t SimBoard::read_byte(std::uint16_t port) {
    if (is_smbus_port(port)) {
        return smbus_.read(static_cast<std::uint16_t>(port - pci_.smbus_base()));
    }
    unmapped("byte read", port);
    return 0xFF;
}

void SimBoard::write_byte(std::uint16_t port, std::uint8_t value) {
    if (is_smbus_port(port)) {
        smbus_.write(static_cast<std::uint16_t>(port - pci_.smbus_base()), value);
        return;
    }
    unmapped("byte write", port);
}

std::uint32_t SimBoard::read_dword(std::uint16_t port) {
    if (port == kPciConfigAddressPort) {
        return pci_.address();
    }
    if (port == kPciConfigDataPort) {
        return pci_.read_data();
    }
    unmapped("dword read", port);
    return 0xFFFFFFFF;
}

void SimBoard::write_dword(std::uint16_t port, std::uint32_t value) {
    if (port == kPciConfigAddressPort) {
        pci_.write_address(value);
        return;
    }
    if (port == kPciConfigDataPort) {
        pci_.write_data(value);
        return;
    }
    unmapped("dword write", port);
}

}  // namespace vantrel::sim
