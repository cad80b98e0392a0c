// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "clockgen/clock_state.h"
#include "clockgen/registers.h"

namespace vantrel {

// The register fields of the VXC812-07 packed and unpacked in one place, for the driver, the
// apply workflow, the settings store, the command line's check and the simulated chip alike.

// REG21's three group-delay codes, 0 to 3 each.
struct Reg21Fields {
    std::uint8_t delay_cpu;
    std::uint8_t delay_pci;
    std::uint8_t delay_sdram;
};

// REG22's 3V66 group-delay code (0 to 3) and spread model (0 to 7).
struct Reg22Fields {
    std::uint8_t delay_3v66;
    std::uint8_t spread_model;
};

constexpr Reg21Fields unpack_reg21(std::uint8_t value) {
    return {static_cast<std::uint8_t>((value >> kReg21CpuDelayShift) & kDelayFieldMask),
            static_cast<std::uint8_t>((value >> kReg21PciDelayShift) & kDelayFieldMask),
            static_cast<std::uint8_t>((value >> kReg21SdramDelayShift) & kDelayFieldMask)};
}

constexpr Reg22Fields unpack_reg22(std::uint8_t value) {
    return {static_cast<std::uint8_t>((value >> kReg22Delay3v66Shift) & kDelayFieldMask),
            static_cast<std::uint8_t>(value & kReg22SpreadModelMask)};
}

// The fields over the kept bits of `read`, the register as the chip last gave it; a code's bits
// beyond its field are dropped.
constexpr std::uint8_t pack_reg21(const Reg21Fields& fields, std::uint8_t read) {
    return static_cast<std::uint8_t>(
        (read & kReg21KeptBits) | (fields.delay_cpu & kDelayFieldMask) << kReg21CpuDelayShift |
        (fields.delay_pci & kDelayFieldMask) << kReg21PciDelayShift |
        (fields.delay_sdram & kDelayFieldMask) << kReg21SdramDelayShift);
}

constexpr std::uint8_t pack_reg22(const Reg22Fields& fields, std::uint8_t read) {
    return static_cast<std::uint8_t>((read & kReg22KeptBits) |
                                     (fields.delay_3v66 & kDelayFieldMask) << kReg22Delay3v66Shift |
                                     (fields.spread_model & kReg22SpreadModelMask));
}

constexpr Reg21Fields reg21_fields(const ClockState& clock) {
    return {clock.delay_cpu, clock.delay_pci, clock.delay_sdram};
}

constexpr Reg22Fields reg22_fields(const ClockState& clock) {
    return {clock.delay_3v66, clock.spread_model};
}

constexpr void set_fields(ClockState& clock, const Reg21Fields& fields) {
    clock.delay_cpu = fields.delay_cpu;
    clock.delay_pci = fields.delay_pci;
    clock.delay_sdram = fields.delay_sdram;
}

constexpr void set_fields(ClockState& clock, const Reg22Fields& fields) {
    clock.delay_3v66 = fields.delay_3v66;
    clock.spread_model = fields.spread_model;
}

// REG12 holds N minus the spread depth, modulo 256.
constexpr std::uint8_t reg12_value(std::uint8_t pll_n, std::uint8_t spread_depth) {
    return static_cast<std::uint8_t>(pll_n - spread_depth);
}

constexpr std::uint8_t spread_depth_of(std::uint8_t reg11, std::uint8_t reg12) {
    return static_cast<std::uint8_t>(reg11 - reg12);
}

// Bit 7 is tested first: with both strap bits set the divider is 3.
constexpr std::uint8_t cpu_divider_of(std::uint8_t reg1f) {
    if ((reg1f & kReg1FCpuDiv3) != 0) {
        return 3;
    }
    return (reg1f & kReg1FCpuDiv4) != 0 ? 4 : 6;
}

constexpr std::uint8_t sdram_divider_of(std::uint8_t reg1f) {
    return (reg1f & kReg1FSdramDiv3) != 0 ? 3 : 4;
}

// What one register should hold in the bits of `mask` after an apply, and which setting those
// bits carry, in words for a report.
struct RegisterExpectation {
    std::uint8_t reg;
    std::uint8_t mask;
    std::uint8_t value;
    const char* what;
};

// The registers an apply of `clock` writes, as the chip should then hold them: the PLL
// registers whole, REG21 and REG22 without their kept bits, and REG00's spread-spectrum bit
// when `spread_on` says which way it was set.
std::vector<RegisterExpectation> applied_expectations(const ClockState& clock,
                                                      std::optional<bool> spread_on);

}  // namespace vantrel
