// SPDX-License-Identifier: GPL-2.0-or-later
// The simulated clock chip's own rules: reserved bits that a writer must hand back as read, and
// divider straps that no write can change.
#include <gtest/gtest.h>

#include "clockgen/registers.h"
#include "support/param_name.h"
#include "support/sim_bus.h"

namespace vantrel {
namespace {

using test::PrintTo;
using test::SimBus;

struct WriteRow {
    const char* label;
    std::uint8_t reg;
    std::uint8_t (*value)(std::uint8_t before);   // what the writer sends
    std::uint8_t (*stored)(std::uint8_t before);  // what the register then holds; null: as sent
    bool violation;
};

class ChipRegisterWrite : public ::testing::TestWithParam<WriteRow> {};

TEST_P(ChipRegisterWrite, KeepsStrapsAndReportsLostReservedBits) {
    const WriteRow& row = GetParam();
    SimBus bus;
    bus.enter_enhanced_mode();
    const std::uint8_t before = bus.board.chip().reg(row.reg);
    const std::uint8_t value = row.value(before);

    ASSERT_EQ(bus.host.write_register(row.reg, value), 1);

    EXPECT_EQ(bus.board.chip().reg(row.reg), row.stored ? row.stored(before) : value);
    EXPECT_EQ(bus.board.log().violations().empty(), !row.violation)
        << ::testing::PrintToString(bus.board.log().violations());
}

INSTANTIATE_TEST_SUITE_P(
    Writes, ChipRegisterWrite,
    ::testing::Values(
        // Read-modify-write of each register's own field keeps its reserved bits.
        WriteRow{"Reg00SpreadBitFlipped", REG00,
                 [](std::uint8_t b) -> std::uint8_t { return b ^ 0x02; }, nullptr, false},
        WriteRow{"Reg00SpreadBitAlone", REG00, [](std::uint8_t) -> std::uint8_t { return 0x02; },
                 nullptr, true},
        WriteRow{"Reg10ModeBitsCleared", REG10,
                 [](std::uint8_t b) -> std::uint8_t { return b & 0xFC; }, nullptr, false},
        WriteRow{"Reg10ZeroToLeave", REG10, [](std::uint8_t) -> std::uint8_t { return 0x00; },
                 nullptr, true},
        WriteRow{"Reg17LatchAdded", REG17, [](std::uint8_t b) -> std::uint8_t { return b | 0x01; },
                 nullptr, false},
        WriteRow{"Reg17LatchAlone", REG17, [](std::uint8_t) -> std::uint8_t { return 0x01; },
                 nullptr, true},
        WriteRow{"Reg1FLatchAdded", REG1F, [](std::uint8_t b) -> std::uint8_t { return b | 0x03; },
                 nullptr, false},
        // The straps are pins: the write is reported and they keep reading as strapped.
        WriteRow{"Reg1FLatchAlone", REG1F, [](std::uint8_t) -> std::uint8_t { return 0x03; },
                 [](std::uint8_t b) -> std::uint8_t { return (b & 0xC8) | 0x03; }, true},
        WriteRow{"Reg1FReservedBitsKeptStrapFlipped", REG1F,
                 [](std::uint8_t b) -> std::uint8_t { return b ^ 0x40; },
                 [](std::uint8_t b) -> std::uint8_t { return b; }, true},
        WriteRow{"Reg21DelaysReplaced", REG21,
                 [](std::uint8_t b) -> std::uint8_t { return (b & 0xC0) | 0x2D; }, nullptr, false},
        WriteRow{"Reg21DelaysAlone", REG21, [](std::uint8_t) -> std::uint8_t { return 0x2D; },
                 nullptr, true},
        WriteRow{"Reg22FieldsReplaced", REG22,
                 [](std::uint8_t b) -> std::uint8_t { return (b & 0x38) | 0xC5; }, nullptr, false},
        WriteRow{"Reg22FieldsAlone", REG22, [](std::uint8_t) -> std::uint8_t { return 0xC5; },
                 nullptr, true},
        // A whole-byte register has nothing reserved.
        WriteRow{"Reg11AnyValue", REG11, [](std::uint8_t) -> std::uint8_t { return 0x00; }, nullptr,
                 false}),
    test::ByLabel());

}  // namespace
}  // namespace vantrel
