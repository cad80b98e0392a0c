// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include "bus/ascii_text.h"
#include "support/param_name.h"

namespace vantrel {
namespace {

using test::PrintTo;

struct HexRow {
    const char* label;
    const char* text;
    std::uint32_t max;   // for parse_hex
    std::size_t digits;  // for parse_hex_digits
    bool by_value;       // parse_hex accepts
    bool by_digits;      // parse_hex_digits accepts
    std::uint32_t value;
};

class AsciiHex : public ::testing::TestWithParam<HexRow> {};

TEST_P(AsciiHex, ByValueAndByDigits) {
    const HexRow& row = GetParam();
    std::uint32_t value = 7;
    EXPECT_EQ(ascii::parse_hex(row.text, row.max, value), row.by_value);
    EXPECT_EQ(value, row.by_value ? row.value : 7u);
    value = 7;
    EXPECT_EQ(ascii::parse_hex_digits(row.text, row.digits, value), row.by_digits);
    EXPECT_EQ(value, row.by_digits ? row.value : 7u);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AsciiHex,
    ::testing::Values(HexRow{"EitherCase", "aB", 0xFF, 2, true, true, 0xAB},
                      HexRow{"LeadingZerosByValue", "0021", 0xFF, 2, true, false, 0x21},
                      HexRow{"AboveTheMaximum", "100", 0xFF, 3, false, true, 0x100},
                      HexRow{"AllEightDigits", "FFFFFFFF", 0xFFFFFFFF, 8, true, true, 0xFFFFFFFF},
                      HexRow{"NineDigitsOverflow", "100000000", 0xFFFFFFFF, 9, false, false, 0},
                      HexRow{"NotADigit", "1g", 0xFF, 2, false, false, 0},
                      HexRow{"PrefixIsNotADigit", "0x1", 0xFF, 3, false, false, 0},
                      HexRow{"Empty", "", 0xFF, 2, false, false, 0}),
    test::ByLabel());

TEST(AsciiText, PrefixAndCase) {
    EXPECT_EQ(ascii::without_hex_prefix("0X1f"), "1f");
    EXPECT_EQ(ascii::without_hex_prefix("0x"), "0x");
    EXPECT_EQ(ascii::without_hex_prefix("12"), "12");
    EXPECT_TRUE(ascii::starts_with_ignoring_case("DWORD:1", "dword:"));
    EXPECT_FALSE(ascii::starts_with_ignoring_case("dwor", "dword:"));
    EXPECT_EQ(ascii::upper_case("Software\\Korvane-25"), "SOFTWARE\\KORVANE-25");
    EXPECT_EQ(ascii::lower_case("150PS Yes"), "150ps yes");
}

}  // namespace
}  // namespace vantrel
