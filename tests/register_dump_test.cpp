// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string>

#include "bus/register_dump.h"
#include "support/param_name.h"

namespace vantrel {
namespace {

using test::PrintTo;

constexpr std::size_t kRegisters = 36;

// Sixteen cells of the same text, for rows whose content does not matter.
std::string cells(const char* cell) {
    std::string row;
    for (int i = 0; i < 16; ++i) {
        row += std::string(" ") + cell;
    }
    return row;
}

struct RejectCase {
    const char* label;
    std::string text;
    const char* error;  // the whole message
};

class DumpRejects : public ::testing::TestWithParam<RejectCase> {};

TEST_P(DumpRejects, SaysWhyAndWritesNothing) {
    std::array<std::uint8_t, kRegisters> bytes;
    bytes.fill(0x5A);
    std::array<bool, kRegisters> given;
    given.fill(true);
    std::string error;
    EXPECT_FALSE(parse_register_dump(GetParam().text, bytes, given, error));
    EXPECT_EQ(error, GetParam().error);
    for (std::size_t i = 0; i < kRegisters; ++i) {
        EXPECT_EQ(bytes[i], 0x5A) << i;
        EXPECT_TRUE(given[i]) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DumpRejects,
    ::testing::Values(
        RejectCase{"NoAddress", ":" + cells("00") + "\n",
                   "line 1: register row without a row address"},
        RejectCase{"AddressWrapsIn32Bits", "00:" + cells("11") + "\n100000000:" + cells("22"),
                   "line 2: row address 100000000 is past the last row, f0"},
        RejectCase{"AddressPastLastRow", "100:" + cells("00"),
                   "line 1: row address 100 is past the last row, f0"},
        RejectCase{"AddressInsideARow", "08:" + cells("00"),
                   "line 1: row address 08 does not start a row (00, 10, 20 ... f0)"},
        RejectCase{"ShortRow", "00: 02 ff 00\n", "line 1: row 00 has 3 cells; a row has 16"},
        RejectCase{"BadCell", "00: 02 ff 00 00 00 00 00 00 00 00 00 00 00 00 00 0g\n",
                   "line 1: bad cell \"0g\" (two hex digits or XX)"},
        RejectCase{"RowTwice", "10:" + cells("00") + "\n20:" + cells("00") + "\n10:" + cells("01"),
                   "line 3: row 10 appears again (first on line 1)"},
        RejectCase{"Empty", "", "no register rows (lines such as \"00: 02 ff 00 ...\")"},
        RejectCase{"NotHexAddress", "zz:" + cells("00"),
                   "no register rows (lines such as \"00: 02 ff 00 ...\")"}),
    test::ByLabel());

struct AcceptCase {
    const char* label;
    std::string text;
    std::string missing;  // describe_missing_registers of what the dump did not give
    std::size_t probe;    // a register to look at
    std::uint8_t value;   // what it holds afterwards
};

class DumpAccepts : public ::testing::TestWithParam<AcceptCase> {};

TEST_P(DumpAccepts, GivesTheRegistersItHolds) {
    std::array<std::uint8_t, kRegisters> bytes;
    bytes.fill(0x5A);
    std::array<bool, kRegisters> given{};
    std::string error;
    ASSERT_TRUE(parse_register_dump(GetParam().text, bytes, given, error)) << error;
    EXPECT_EQ(describe_missing_registers(given), GetParam().missing);
    EXPECT_EQ(bytes[GetParam().probe], GetParam().value);
    for (std::size_t i = 0; i < kRegisters; ++i) {
        if (!given[i]) {
            EXPECT_EQ(bytes[i], 0x5A) << "register " << i << " was not given but changed";
        }
    }
}

const std::string kFullDump =
    "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f    0123456789abcdef\n"
    "00: 02 ff 00 00 00 00 00 00 00 00 00 00 00 00 00 00    ................\n"
    "10: 09 95 93 1f 00 00 00 00 00 00 00 00 00 00 00 48    ?????..........H\n"
    "20: 00 e4 c5 07 XX XX XX XX XX XX XX XX XX XX XX XX    .???XXXXXXXXXXXX\n";

INSTANTIATE_TEST_SUITE_P(
    Texts, DumpAccepts,
    ::testing::Values(
        AcceptCase{"I2cdumpGrid", kFullDump, "", 0x11, 0x95},
        // A readout around the grid: labelled lines with colons, blank lines, a trailer.
        AcceptCase{"ReadoutAroundTheGrid",
                   "SMBus controller  : Intel 82801BA\nSMBus I/O base    : 0x0400\n"
                   "PLL N, M          : 149, 31\nGroup delay       : CPU None, PCI 150ps\n"
                   "Note: be careful\n\nRegister dump of the clock generator:\n" +
                       kFullDump + "done\n",
                   "", 0x21, 0xE4},
        AcceptCase{"CrLfLines",
                   "00: 02 ff 00 00 00 00 00 00 00 00 00 00 00 00 00 00\r\n"
                   "10: 09 95 93 1f 00 00 00 00 00 00 00 00 00 00 00 48\r\n"
                   "20: 00 e4 c5 07 XX XX XX XX XX XX XX XX XX XX XX XX\r\n",
                   "", 0x1F, 0x48},
        AcceptCase{"OnlyRowTen", "10: 09 95 93 1f 00 00 00 00 00 00 00 00 00 00 00 48\n",
                   "0x00-0x0f, 0x20-0x23", 0x13, 0x1F},
        AcceptCase{
            "UnreadCells",
            "00:" + cells("00") + "\n10:" + cells("XX") + "\n20: 01 xx" + cells("03").substr(0, 42),
            "0x10-0x1f, 0x21", 0x20, 0x01},
        // A whole 256-register i2cdump: the rows past the chip's registers are read, not kept.
        AcceptCase{"RowsPastTheChip", kFullDump + "30:" + cells("77") + "\nf0:" + cells("88"), "",
                   0x23, 0x07}),
    test::ByLabel());

TEST(DumpRoundTrip, WhatIsPrintedReadsBackTheSame) {
    std::array<std::uint8_t, kRegisters> bytes;
    std::array<bool, kRegisters> known;
    for (std::size_t i = 0; i < kRegisters; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 37 + 11);
        known[i] = i % 7 != 3;
    }
    std::array<std::uint8_t, kRegisters> read{};
    std::array<bool, kRegisters> given{};
    std::string error;
    ASSERT_TRUE(parse_register_dump(format_register_dump(bytes.data(), known.data(), kRegisters),
                                    read, given, error))
        << error;
    EXPECT_EQ(given, known);
    for (std::size_t i = 0; i < kRegisters; ++i) {
        EXPECT_EQ(read[i], known[i] ? bytes[i] : 0) << i;
    }
}

struct MissingCase {
    const char* label;
    std::array<bool, 8> given;
    const char* text;
};

class MissingRegisters : public ::testing::TestWithParam<MissingCase> {};

TEST_P(MissingRegisters, AsRanges) {
    EXPECT_EQ(describe_missing_registers(GetParam().given), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Masks, MissingRegisters,
    ::testing::Values(MissingCase{"AllGiven", {1, 1, 1, 1, 1, 1, 1, 1}, ""},
                      MissingCase{"NoneGiven", {0, 0, 0, 0, 0, 0, 0, 0}, "0x00-0x07"},
                      MissingCase{"Single", {1, 1, 0, 1, 1, 1, 1, 1}, "0x02"},
                      MissingCase{
                          "EndsAndMiddle", {0, 1, 0, 0, 1, 1, 1, 0}, "0x00, 0x02-0x03, 0x07"}),
    test::ByLabel());

}  // namespace
}  // namespace vantrel
