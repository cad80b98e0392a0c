// SPDX-License-Identifier: GPL-2.0-or-later
#include "clockgen/clock_chip.h"

#include "clockgen/frequency_model.h"
#include "clockgen/register_codec.h"

namespace vantrel {

int ClockChip::detect() {
    std::uint8_t first_count = 0;
    if (!host_.block_read(first_count)) {
        return 0;
    }
    // A chip that announced 16 bytes or fewer has not delivered REG10, so its value is unknown.
    const std::uint8_t reg10 =
        first_count <= kPowerUpBlockCountMax
            ? kReg10PowerUpValue
            : static_cast<std::uint8_t>(host_.shadow()[REG10] | kReg10Enable);
    if (!host_.block_write(REG10, reg10, kEnhancedModeBlockCount)) {
        return 0;
    }
    std::uint8_t second_count = 0;
    if (!host_.block_read(second_count) || second_count != kDetectedBlockCount) {
        return 0;
    }
    if (!enter_enhanced_mode()) {
        return 0;
    }

    std::uint8_t value = 0;
    if (!host_.read_register(REG11, value)) {
        return 0;
    }
    state_.pll_n = value;
    if (!host_.read_register(REG12, value)) {
        return 0;
    }
    state_.spread_depth = spread_depth_of(state_.pll_n, value);
    if (!host_.read_register(REG13, value)) {
        return 0;
    }
    state_.pll_m = value;
    if (!host_.read_register(REG1F, value)) {
        return 0;
    }
    state_.sdram_divider = sdram_divider_of(value);
    state_.cpu_divider = cpu_divider_of(value);
    if (!host_.read_register(REG21, value)) {
        return 0;
    }
    set_fields(state_, unpack_reg21(value));
    if (!host_.read_register(REG22, value)) {
        return 0;
    }
    set_fields(state_, unpack_reg22(value));

    derive_frequencies(state_);
    return leave_enhanced_mode();
}

int ClockChip::enter_enhanced_mode() {
    // Taken from the shadow before the transfer; the block write's own read refreshes the rest.
    const auto value = static_cast<std::uint8_t>(host_.shadow()[REG10] | kReg10EnhancedMode);
    return host_.block_write(REG10, value, kEnhancedModeBlockCount);
}

int ClockChip::leave_enhanced_mode() {
    const auto value = static_cast<std::uint8_t>(host_.shadow()[REG10] & ~kReg10EnhancedMode);
    return host_.write_register(REG10, value);
}

int ClockChip::commit_pll() {
    const std::uint8_t reg12 = reg12_value(state_.pll_n, state_.spread_depth);
    // A failed write may still have reached the chip, so the registers count as unlatched
    // from the first write on.
    state_.pll_latched = false;
    if (!host_.write_register(REG11, state_.pll_n) || !host_.write_register(REG12, reg12) ||
        !host_.write_register(REG13, state_.pll_m)) {
        return 0;
    }
    // The new N and M reach the VCO only when the latch bits are written, REG17's first.
    std::uint8_t value = 0;
    if (!host_.read_register(REG17, value) ||
        !host_.write_register(REG17, static_cast<std::uint8_t>(value | kReg17Latch))) {
        return 0;
    }
    if (!host_.read_register(REG1F, value) ||
        !host_.write_register(REG1F, static_cast<std::uint8_t>(value | kReg1FLatch))) {
        return 0;
    }
    state_.pll_latched = true;
    return 1;
}

}  // namespace vantrel
