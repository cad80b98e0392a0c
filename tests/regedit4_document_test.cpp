// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/settings/regedit4_document.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/param_name.h"

namespace vantrel::platform {
namespace {

using test::PrintTo;

const std::string kKey = "HKEY_LOCAL_MACHINE\\Software\\Korvane\\25";
const std::string kHeader = "REGEDIT4\r\n\r\n[" + kKey + "]\r\n";

Regedit4Document parsed(const std::string& text) {
    Regedit4Document doc;
    std::string error;
    EXPECT_TRUE(doc.parse(text, error)) << error;
    return doc;
}

std::optional<std::uint32_t> query(const Regedit4Document& doc, const char* name) {
    std::uint32_t value = 0xDEADBEEF;
    if (!doc.query_dword(kKey, name, value)) {
        EXPECT_EQ(value, 0xDEADBEEFu) << "written on failure";
        return std::nullopt;
    }
    return value;
}

// ---------------------------------------------------------------------------------------------
// Writing: what a change leaves in the text.

struct ChangeCase {
    const char* label;
    std::string before;
    std::vector<std::pair<const char*, std::uint32_t>> sets;
    std::string after;
};

class DocumentChange : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(DocumentChange, LeavesTheExpectedText) {
    Regedit4Document doc = parsed(GetParam().before);
    for (const auto& [name, value] : GetParam().sets) {
        doc.set_dword(kKey, name, value);
    }
    EXPECT_EQ(doc.text(), GetParam().after);
    // What was written reads back from the text alone.
    const Regedit4Document again = parsed(doc.text());
    for (const auto& [name, value] : GetParam().sets) {
        EXPECT_EQ(query(again, name), value) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DocumentChange,
    ::testing::Values(
        ChangeCase{"NewDocumentInRegeditLayout",
                   "REGEDIT4\r\n\r\n",
                   {{"REG11", 0x84}},
                   kHeader + "\"REG11\"=dword:00000084\r\n\r\n"},
        ChangeCase{"NewValueJoinsItsKeyAndOtherKeysStayWithCrlf",
                   "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Korvane\\25]\n\"REG00\"=dword:0\n\n"
                   "; kept\n[HKEY_CURRENT_USER\\Other]\n\"Blob\"=hex(7):41,00,\\\n  42,00,00,00\n"
                   "@=\"x \\\"y\\\"\"\n",
                   {{"REG13", 0x1F}},
                   "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Korvane\\25]\r\n"
                   "\"REG00\"=dword:0\r\n\"REG13\"=dword:0000001f\r\n\r\n; kept\r\n"
                   "[HKEY_CURRENT_USER\\Other]\r\n\"Blob\"=hex(7):41,00,\\\r\n  42,00,00,00\r\n"
                   "@=\"x \\\"y\\\"\"\r\n"},
        ChangeCase{"KeyAddedAfterOtherKeys",
                   "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Other]\r\n\"A\"=\"b\"\r\n",
                   {{"REG21", 0x24}},
                   "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Other]\r\n\"A\"=\"b\"\r\n\r\n"
                   "[HKEY_LOCAL_MACHINE\\Software\\Korvane\\25]\r\n\"REG21\"=dword:00000024\r\n"
                   "\r\n"},
        ChangeCase{
            "RepeatedKeyChangesTheValueThatCounts",
            kHeader + "\"REG22\"=dword:00000001\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\korvane\\"
                      "25]\r\n\"REG22\"=dword:00000002\r\n\r\n",
            {{"REG22", 0x45}, {"REG1F", 0x3}},
            kHeader + "\"REG22\"=dword:00000001\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\korvane\\"
                      "25]\r\n\"REG22\"=dword:00000045\r\n\"REG1F\"=dword:00000003\r\n\r\n"}),
    test::ByLabel());

TEST(DocumentChange, NewDocumentIsTheSignatureAndABlankLine) {
    EXPECT_EQ(Regedit4Document().text(), "REGEDIT4\r\n\r\n");
}

// A text that cannot be parsed says where, and leaves the document as it was.
TEST(DocumentParse, RefusalNamesTheLineAndKeepsTheDocument) {
    Regedit4Document doc = parsed(kHeader + "\"REG11\"=dword:84\r\n");
    std::string error;
    EXPECT_FALSE(doc.parse(kHeader + "\"REG11\"=dword:85\r\nREG12=132\r\n", error));
    EXPECT_EQ(error, "line 5: not a key, a value or a comment");
    EXPECT_EQ(query(doc, "REG11"), 0x84u);
}

// ---------------------------------------------------------------------------------------------
// Reading: the 4-byte query of values written by hand.

struct QueryCase {
    const char* label;
    std::string file;
    const char* name;
    std::optional<std::uint32_t> value;  // nullopt: the query fails
};

// A well-formed value of 100,000 bytes on one line.
std::string long_hex_line() {
    std::string line = "\"Big\"=hex:00";
    for (int i = 1; i < 100000; ++i) {
        line += ",00";
    }
    return line + "\r\n";
}

class DocumentQuery : public ::testing::TestWithParam<QueryCase> {};

TEST_P(DocumentQuery, ReadsLikeAFourByteRegistryQuery) {
    EXPECT_EQ(query(parsed(GetParam().file), GetParam().name), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Values, DocumentQuery,
    ::testing::Values(
        QueryCase{"Dword", kHeader + "\"REG11\"=dword:00000084\r\n", "REG11", 0x84},
        QueryCase{"DwordFewDigitsUpperCase", kHeader + "\"REG11\"=DWORD:A5\r\n", "REG11", 0xA5},
        QueryCase{"DwordAsHex4", kHeader + "\"REG11\"=hex(4):78,56,34,12\r\n", "REG11", 0x12345678},
        QueryCase{"ShortBinaryZeroExtended", kHeader + "\"REG11\"=hex:84,1\r\n", "REG11", 0x0184},
        QueryCase{"EmptyBinaryIsZero", kHeader + "\"REG11\"=hex:\r\n", "REG11", 0},
        QueryCase{"EightByteQwordFails", kHeader + "\"REG11\"=hex(b):84,00,00,00,00,00,00,00\r\n",
                  "REG11", std::nullopt},
        QueryCase{"FiveByteBinaryFails", kHeader + "\"REG11\"=hex:84,00,00,00,00\r\n", "REG11",
                  std::nullopt},
        QueryCase{"ShortStringWithItsNul", kHeader + "\"REG11\"=\"ab\"\r\n", "REG11", 0x6261},
        QueryCase{"FourCharacterStringIsFiveBytes", kHeader + "\"REG11\"=\"abcd\"\r\n", "REG11",
                  std::nullopt},
        QueryCase{"ContinuedHexLines", kHeader + "\"REG11\"=hex(2):11,\\\r\n  22,\\\n  33\r\n",
                  "REG11", 0x332211},
        QueryCase{"NamesIgnoreCase",
                  "REGEDIT4\n\n[hkey_local_machine\\software\\KORVANE\\25]\n"
                  "\"reg11\"=dword:00000084\n",
                  "REG11", 0x84},
        QueryCase{"LaterLineWins", kHeader + "\"REG11\"=dword:1\r\n\"REG11\"=dword:2\r\n", "REG11",
                  2},
        QueryCase{"OtherKeyDoesNotCount",
                  "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Korvane\\26]\r\n"
                  "\"REG11\"=dword:00000084\r\n",
                  "REG11", std::nullopt},
        QueryCase{"MissingValue", kHeader + "\"REG12\"=dword:00000084\r\n", "REG11", std::nullopt},
        QueryCase{"Utf8MarkAndLastLineWithoutEnd",
                  "\xEF\xBB\xBFREGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Korvane\\25]\n"
                  "\"REG11\"=dword:84\n; no line end",
                  "REG11", 0x84},
        QueryCase{"LongValidLineBelowTheCap", kHeader + long_hex_line() + "\"REG11\"=dword:84\r\n",
                  "REG11", 0x84},
        QueryCase{"LongValueIsTooLongForADword", kHeader + long_hex_line(), "Big", std::nullopt}),
    test::ByLabel());

}  // namespace
}  // namespace vantrel::platform
