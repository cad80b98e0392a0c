// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>

namespace vantrel {

// The VXC812-07 registers the program uses, with their bit fields.
inline constexpr std::uint8_t REG00 = 0x00;
inline constexpr std::uint8_t REG10 = 0x10;
inline constexpr std::uint8_t REG11 = 0x11;
inline constexpr std::uint8_t REG12 = 0x12;
inline constexpr std::uint8_t REG13 = 0x13;
inline constexpr std::uint8_t REG17 = 0x17;
inline constexpr std::uint8_t REG1F = 0x1F;
inline constexpr std::uint8_t REG21 = 0x21;
inline constexpr std::uint8_t REG22 = 0x22;

// REG00
inline constexpr std::uint8_t kReg00SpreadEnable = 0x02;

// REG10: both bits set while in enhanced mode.
inline constexpr std::uint8_t kReg10EnhancedMode = 0x03;
inline constexpr std::uint8_t kReg10Enable = 0x01;
// Written to a chip that delivered 16 bytes or fewer in its first block read (bits 0 and 3).
inline constexpr std::uint8_t kReg10PowerUpValue = 0x09;

// REG17
inline constexpr std::uint8_t kReg17Latch = 0x01;

// REG1F: divider straps and the PLL latch.
inline constexpr std::uint8_t kReg1FCpuDiv3 = 0x80;
inline constexpr std::uint8_t kReg1FCpuDiv4 = 0x40;
inline constexpr std::uint8_t kReg1FSdramDiv3 = 0x08;
inline constexpr std::uint8_t kReg1FLatch = 0x03;

// REG21: group delays.
inline constexpr std::uint8_t kReg21SdramDelayShift = 0;
inline constexpr std::uint8_t kReg21PciDelayShift = 2;
inline constexpr std::uint8_t kReg21CpuDelayShift = 4;
inline constexpr std::uint8_t kDelayFieldMask = 0x03;

// REG22: spread model and 3V66 group delay.
inline constexpr std::uint8_t kReg22SpreadModelMask = 0x07;
inline constexpr std::uint8_t kReg22Delay3v66Shift = 6;

// The bits of REG21 (6-7) and REG22 (3-5) beside the program's fields. What the chip does with
// them is not known, so every write hands them back as the chip holds them.
inline constexpr std::uint8_t kReg21KeptBits = 0xC0;
inline constexpr std::uint8_t kReg22KeptBits = 0x38;

// Block transfers of the driver cover registers 0x00..0x10.
inline constexpr std::uint8_t kEnhancedModeBlockCount = 17;
// The count a detected chip announces in a block read once REG10 bit 0 is set.
inline constexpr std::uint8_t kDetectedBlockCount = 22;
// A first block read of more than this many bytes means REG10 was delivered.
inline constexpr std::uint8_t kPowerUpBlockCountMax = 16;

}  // namespace vantrel
