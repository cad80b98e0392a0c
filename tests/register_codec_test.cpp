// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <vector>

#include "clockgen/register_codec.h"
#include "support/param_name.h"
#include "ui/group_delay_names.h"

namespace vantrel {
namespace {

using test::PrintTo;

// One REG21/REG22 pair: the register as read, the fields in it, and what packing other fields
// over it gives.
struct FieldRow {
    const char* label;
    std::uint8_t reg21;
    std::uint8_t reg22;
    Reg21Fields fields21;
    Reg22Fields fields22;
    Reg21Fields new21;
    Reg22Fields new22;
    std::uint8_t packed21;
    std::uint8_t packed22;
};

class RegisterFields : public ::testing::TestWithParam<FieldRow> {};

TEST_P(RegisterFields, UnpackAndPackOverTheKeptBits) {
    const FieldRow& row = GetParam();
    const Reg21Fields got21 = unpack_reg21(row.reg21);
    const Reg22Fields got22 = unpack_reg22(row.reg22);
    EXPECT_EQ(got21.delay_cpu, row.fields21.delay_cpu);
    EXPECT_EQ(got21.delay_pci, row.fields21.delay_pci);
    EXPECT_EQ(got21.delay_sdram, row.fields21.delay_sdram);
    EXPECT_EQ(got22.delay_3v66, row.fields22.delay_3v66);
    EXPECT_EQ(got22.spread_model, row.fields22.spread_model);
    // Packing what was unpacked gives the register back, kept bits and all.
    EXPECT_EQ(pack_reg21(got21, row.reg21), row.reg21);
    EXPECT_EQ(pack_reg22(got22, row.reg22), row.reg22);
    EXPECT_EQ(pack_reg21(row.new21, row.reg21), row.packed21);
    EXPECT_EQ(pack_reg22(row.new22, row.reg22), row.packed22);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RegisterFields,
    ::testing::Values(
        FieldRow{"DriverExample", 0xE4, 0xC5, {2, 1, 0}, {3, 5}, {0, 0, 0}, {0, 0}, 0xC0, 0x00},
        FieldRow{"KeptBitsStay", 0xC0, 0x38, {0, 0, 0}, {0, 0}, {3, 2, 1}, {2, 6}, 0xF9, 0xBE},
        FieldRow{"FieldsReplaced", 0x3F, 0xC7, {3, 3, 3}, {3, 7}, {1, 0, 2}, {1, 2}, 0x12, 0x42},
        // A code wider than its field loses its high bits, never a neighbour's or a kept one.
        FieldRow{
            "WideCodesCut", 0x40, 0x28, {0, 0, 0}, {0, 0}, {0xFF, 4, 5}, {0xFF, 0xFF}, 0x71, 0xEF}),
    test::ByLabel());

TEST(RegisterCodec, PllAndDividerFields) {
    EXPECT_EQ(reg12_value(5, 10), 251);
    EXPECT_EQ(spread_depth_of(0x10, 0x12), 254);
    EXPECT_EQ(cpu_divider_of(0xC0), 3);
    EXPECT_EQ(cpu_divider_of(0x40), 4);
    EXPECT_EQ(cpu_divider_of(0x00), 6);
    EXPECT_EQ(sdram_divider_of(0x08), 3);
    EXPECT_EQ(sdram_divider_of(0x00), 4);
}

struct ExpectationRow {
    const char* label;
    std::optional<bool> spread_on;
    std::vector<std::uint8_t> registers;
    std::uint8_t reg00_value;
};

class AppliedExpectations : public ::testing::TestWithParam<ExpectationRow> {};

TEST_P(AppliedExpectations, CoverTheWrittenFieldsOnly) {
    const ExpectationRow& row = GetParam();
    ClockState clock;
    clock.pll_n = 5;
    clock.pll_m = 31;
    clock.spread_depth = 10;
    clock.delay_cpu = 2;
    clock.delay_pci = 1;
    clock.delay_sdram = 3;
    clock.delay_3v66 = 3;
    clock.spread_model = 5;
    const std::vector<RegisterExpectation> got = applied_expectations(clock, row.spread_on);
    ASSERT_EQ(got.size(), row.registers.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].reg, row.registers[i]);
    }
    EXPECT_EQ(got[0].value, 5);
    EXPECT_EQ(got[1].value, 251);
    EXPECT_EQ(got[2].value, 31);
    EXPECT_EQ(got[3].mask, 0x3F);
    EXPECT_EQ(got[3].value, 0x27);
    EXPECT_EQ(got[4].mask, 0xC7);
    EXPECT_EQ(got[4].value, 0xC5);
    if (row.spread_on) {
        EXPECT_EQ(got[5].mask, kReg00SpreadEnable);
        EXPECT_EQ(got[5].value, row.reg00_value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AppliedExpectations,
    ::testing::Values(
        ExpectationRow{"SpreadOn", true, {REG11, REG12, REG13, REG21, REG22, REG00}, 0x02},
        ExpectationRow{"SpreadOff", false, {REG11, REG12, REG13, REG21, REG22, REG00}, 0x00},
        ExpectationRow{"BoxIndeterminate", std::nullopt, {REG11, REG12, REG13, REG21, REG22}, 0}),
    test::ByLabel());

struct DelayNameRow {
    const char* label;
    const char* text;
    bool ok;
    unsigned code;
};

class GroupDelayNames : public ::testing::TestWithParam<DelayNameRow> {};

TEST_P(GroupDelayNames, ParseInAnyCase) {
    const DelayNameRow& row = GetParam();
    unsigned code = 99;
    EXPECT_EQ(parse_group_delay(row.text, code), row.ok);
    EXPECT_EQ(code, row.ok ? row.code : 99u);
    if (row.ok) {
        EXPECT_TRUE(ascii::equal_ignoring_case(group_delay_name(static_cast<std::uint8_t>(code)),
                                               row.text));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, GroupDelayNames,
                         ::testing::Values(DelayNameRow{"None", "none", true, 0},
                                           DelayNameRow{"Upper", "150PS", true, 1},
                                           DelayNameRow{"Mixed", "300ps", true, 2},
                                           DelayNameRow{"Last", "450Ps", true, 3},
                                           DelayNameRow{"NoUnit", "150", false, 0},
                                           DelayNameRow{"Empty", "", false, 0}),
                         test::ByLabel());

TEST(GroupDelayNames, CodeBeyondTheListsIsUnknown) {
    EXPECT_EQ(group_delay_name(4), "?");
}

}  // namespace
}  // namespace vantrel
