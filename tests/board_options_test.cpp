#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "bus/pci_config.h"
#include "bus/smbus_controller.h"
#include "bus/smbus_host.h"
#include "clockgen/clock_chip.h"
#include "clockgen/registers.h"
#include "sim/board_options.h"
#include "support/param_name.h"

namespace vantrel {
namespace {

using sim::BoardOptions;
using sim::FaultAction;
using sim::TransferKind;

const char* kind_name(TransferKind kind) {
    switch (kind) {
        case TransferKind::WordRead:
            return "word-read";
        case TransferKind::WordWrite:
            return "word-write";
        case TransferKind::BlockRead:
            return "block-read";
        case TransferKind::BlockWrite:
            return "block-write";
    }
    return "?";
}

// The options as one line, every field that is set, so that a row can state all of them.
std::string summary(const BoardOptions& o) {
    std::string out;
    const auto add = [&out](const std::string& item) { out += (out.empty() ? "" : " ") + item; };
    char hex[16];
    if (o.hub_id) {
        std::snprintf(hex, sizeof hex, "%08x", *o.hub_id);
        add(std::string("hub ") + hex);
    }
    if (o.unprogrammed_base) {
        add("unprogrammed");
    }
    if (o.cpu_divider || o.sdram_divider) {
        add("dividers " + std::to_string(o.cpu_divider.value_or(0)) + "/" +
            std::to_string(o.sdram_divider.value_or(0)));
    }
    const auto number = [&add](const char* name, const auto& field) {
        if (field) {
            add(std::string(name) + " " + std::to_string(unsigned{*field}));
        }
    };
    number("n", o.pll_n);
    number("m", o.pll_m);
    number("depth", o.spread_depth);
    number("delay-cpu", o.delay_cpu);
    number("delay-pci", o.delay_pci);
    number("delay-sdram", o.delay_sdram);
    number("delay-3v66", o.delay_3v66);
    if (o.spread_on) {
        add(*o.spread_on ? "spread on" : "spread off");
    }
    number("model", o.spread_model);
    if (o.multiplier) {
        char text[32];
        std::snprintf(text, sizeof text, "multiplier %.3f", *o.multiplier);
        add(text);
    }
    if (!o.dump_path.empty()) {
        add("dump " + o.dump_path);
    }
    for (const sim::Fault& f : o.faults) {
        std::string fault = "fault " + std::to_string(static_cast<int>(f.action));
        if (f.action == FaultAction::BlockCount) {
            fault.append("(").append(std::to_string(f.block_count)).append(")");
        }
        if (f.ordinal) {
            fault += " #" + std::to_string(*f.ordinal);
        }
        if (f.kind) {
            fault += std::string(" ") + kind_name(*f.kind);
        }
        if (f.reg) {
            std::snprintf(hex, sizeof hex, "%02x", *f.reg);
            fault += std::string(" reg ") + hex;
        }
        fault += " nth " + std::to_string(f.occurrence) + " byte " + std::to_string(f.at_byte);
        add(fault);
    }
    if (!o.real_pauses) {
        add("instant");
    }
    return out;
}

struct ParseCase {
    const char* label;
    const char* text;
    const char* summary;
};

void PrintTo(const ParseCase& row, std::ostream* os) {
    *os << row.label;
}

class OptionsParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(OptionsParse, SetsWhatTheListNames) {
    BoardOptions options;
    std::string error;
    ASSERT_TRUE(sim::parse_board_options(GetParam().text, options, error)) << error;
    EXPECT_EQ(summary(options), GetParam().summary);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, OptionsParse,
    ::testing::Values(
        ParseCase{"Empty", "", ""}, ParseCase{"Hubs", "hub=aa", "hub 24108086"},
        ParseCase{"HubAb", "hub=AB", "hub 24208086"},
        ParseCase{"NoHub", "hub=none", "hub ffffffff"},
        ParseCase{"OtherChipset", "hub=0x71138086", "hub 71138086"},
        ParseCase{"Base", "base=unprogrammed", "unprogrammed"},
        ParseCase{"Dividers", "dividers=6/4", "dividers 6/4"},
        ParseCase{"Pll", "n=255,m=0,depth=10", "n 255 m 0 depth 10"},
        ParseCase{"Delays", "delay-cpu=none,delay-pci=150ps,delay-sdram=300PS,delay-3v66=450ps",
                  "delay-cpu 0 delay-pci 1 delay-sdram 2 delay-3v66 3"},
        ParseCase{"Spread", "spread=on,model=7", "spread on model 7"},
        ParseCase{"SpreadOff", "spread=off", "spread off"},
        ParseCase{"Multiplier", "multiplier=7.5", "multiplier 7.500"},
        ParseCase{"MultiplierLimits", "multiplier=64", "multiplier 64.000"},
        ParseCase{"MultiplierThousandths", "multiplier=1.005", "multiplier 1.005"},
        ParseCase{"Dump", "dump=/tmp/a=b.txt", "dump /tmp/a=b.txt"},
        ParseCase{"Instant", "pauses=instant", "instant"}, ParseCase{"Real", "pauses=real", ""},
        ParseCase{"FaultOnRegister", "fault=device-error:word-write:reg=22",
                  "fault 1 word-write reg 22 nth 1 byte 0"},
        ParseCase{"FaultHexRegister", "fault=timeout:reg=0x1F:word-read:nth=3",
                  "fault 0 word-read reg 1f nth 3 byte 0"},
        ParseCase{"FaultOrdinal", "fault=bus-error:transfer=5", "fault 2 #5 nth 1 byte 0"},
        ParseCase{"FaultAtByte", "fault=timeout:block-write:byte=17",
                  "fault 0 block-write nth 1 byte 17"},
        ParseCase{"FaultBlockCount", "fault=block-count=4:block-read",
                  "fault 3(4) block-read nth 1 byte 0"},
        ParseCase{"FaultDropWrite", "fault=drop-write:word-write:reg=11",
                  "fault 4 word-write reg 11 nth 1 byte 0"},
        ParseCase{"TwoFaults", "fault=timeout:transfer=1,fault=device-error:block-read:nth=2",
                  "fault 0 #1 nth 1 byte 0 fault 1 block-read nth 2 byte 0"},
        ParseCase{"Everything", "hub=ab,dividers=4/3,n=149,pauses=instant,spread=on",
                  "hub 24208086 dividers 4/3 n 149 spread on instant"}),
    test::ByLabel());

struct RejectCase {
    const char* label;
    const char* text;
    const char* error;  // the whole message: the option in quotes, then why
};

void PrintTo(const RejectCase& row, std::ostream* os) {
    *os << row.label;
}

class OptionsReject : public ::testing::TestWithParam<RejectCase> {};

TEST_P(OptionsReject, NamesTheOptionAndKeepsTheOld) {
    BoardOptions options;
    options.pll_n = 77;
    std::string error;
    EXPECT_FALSE(sim::parse_board_options(GetParam().text, options, error));
    EXPECT_EQ(error, GetParam().error);
    EXPECT_EQ(summary(options), "n 77");
}

INSTANTIATE_TEST_SUITE_P(
    Lists, OptionsReject,
    ::testing::Values(
        RejectCase{"TrailingText", "dividers=4/3xyz",
                   "\"dividers=4/3xyz\": the dividers are CPU/SDRAM: 3, 4 or 6, then 3 or 4 "
                   "(e.g. 4/3)"},
        RejectCase{"ThreeDividers", "dividers=4/3/7",
                   "\"dividers=4/3/7\": the dividers are CPU/SDRAM: 3, 4 or 6, then 3 or 4 "
                   "(e.g. 4/3)"},
        RejectCase{"SignedDivider", "dividers=+4/3",
                   "\"dividers=+4/3\": the dividers are CPU/SDRAM: 3, 4 or 6, then 3 or 4 "
                   "(e.g. 4/3)"},
        RejectCase{"WrapsTo4", "dividers=4294967300/3",
                   "\"dividers=4294967300/3\": the dividers are CPU/SDRAM: 3, 4 or 6, then 3 "
                   "or 4 (e.g. 4/3)"},
        RejectCase{"NoSuchDivider", "dividers=5/3",
                   "\"dividers=5/3\": the dividers are CPU/SDRAM: 3, 4 or 6, then 3 or 4 (e.g. "
                   "4/3)"},
        RejectCase{"OneDivider", "dividers=4",
                   "\"dividers=4\": the dividers are CPU/SDRAM: 3, 4 or 6, then 3 or 4 (e.g. "
                   "4/3)"},
        RejectCase{"UnknownHub", "hub=bx",
                   "\"hub=bx\": the hub is aa, ab, ba, none or a PCI ID such as 0x71138086"},
        RejectCase{"ShortPciId", "hub=0x7113",
                   "\"hub=0x7113\": the hub is aa, ab, ba, none or a PCI ID such as 0x71138086"},
        RejectCase{"BaseValue", "base=0x400",
                   "\"base=0x400\": the only base option is base=unprogrammed"},
        RejectCase{"ByteTooLarge", "n=256", "\"n=256\": a PLL register value from 0 to 255"},
        RejectCase{"NegativeByte", "m=-1", "\"m=-1\": a PLL register value from 0 to 255"},
        RejectCase{"EmptyByte", "depth=", "\"depth=\": a PLL register value from 0 to 255"},
        RejectCase{"UnknownDelay", "delay-pci=200ps",
                   "\"delay-pci=200ps\": a group delay is none, 150ps, 300ps or 450ps"},
        RejectCase{"DelayCode", "delay-cpu=1",
                   "\"delay-cpu=1\": a group delay is none, 150ps, 300ps or 450ps"},
        RejectCase{"SpreadYes", "spread=yes", "\"spread=yes\": spread is on or off"},
        RejectCase{"ModelEight", "model=8", "\"model=8\": the spread model is 0 to 7"},
        RejectCase{"MultiplierBelowOne", "multiplier=0.5",
                   "\"multiplier=0.5\": the multiplier is a number from 1 to 64 with up to three "
                   "decimals"},
        RejectCase{"MultiplierPoint", "multiplier=7.",
                   "\"multiplier=7.\": the multiplier is a number from 1 to 64 with up to three "
                   "decimals"},
        RejectCase{"MultiplierDigits", "multiplier=7.1234",
                   "\"multiplier=7.1234\": the multiplier is a number from 1 to 64 with up to "
                   "three decimals"},
        RejectCase{"MultiplierAbove", "multiplier=64.001",
                   "\"multiplier=64.001\": the multiplier is a number from 1 to 64 with up to "
                   "three decimals"},
        RejectCase{"Pauses", "pauses=slow", "\"pauses=slow\": pauses are real or instant"},
        RejectCase{"EmptyDump", "dump=", "\"dump=\": dump= needs a file name"},
        RejectCase{"UnknownOption", "colour=red", "\"colour=red\": unknown option \"colour\""},
        RejectCase{"NoValue", "spread", "\"spread\": an option is NAME=VALUE"},
        RejectCase{"Twice", "hub=aa,n=3,hub=ab", "\"hub=ab\": hub is given twice"},
        RejectCase{"TrailingComma", "hub=aa,", "\"hub=aa,\": the list ends with a comma"},
        RejectCase{"LeadingComma", ",hub=aa",
                   "\"\": empty option (two commas in a row, or one at an end)"},
        RejectCase{"DoubleComma", "hub=aa,,n=1",
                   "\"\": empty option (two commas in a row, or one at an end)"},
        RejectCase{"FaultAction", "fault=explode:word-read",
                   "\"fault=explode:word-read\": a fault starts with its action: timeout, "
                   "device-error, bus-error, drop-write or block-count=N"},
        RejectCase{"DropWriteOnRead", "fault=drop-write:block-read",
                   "\"fault=drop-write:block-read\": drop-write applies to writes"},
        RejectCase{"FaultWithoutTransfer", "fault=timeout",
                   "\"fault=timeout\": say which transfer: a kind (word-read, word-write, "
                   "block-read, block-write) or transfer=N"},
        RejectCase{"FaultEmpty", "fault=", "\"fault=\": fault= needs an action and a transfer"},
        RejectCase{"OrdinalZero", "fault=timeout:transfer=0",
                   "\"fault=timeout:transfer=0\": transfer= counts every transfer from 1"},
        RejectCase{"NthZero", "fault=timeout:word-read:nth=0",
                   "\"fault=timeout:word-read:nth=0\": nth= counts matching transfers from 1"},
        RejectCase{"OrdinalWithKind", "fault=timeout:transfer=3:word-read",
                   "\"fault=timeout:transfer=3:word-read\": transfer= counts every transfer; it "
                   "takes no kind, reg= or nth="},
        RejectCase{"TwoKinds", "fault=timeout:word-read:word-write",
                   "\"fault=timeout:word-read:word-write\": more than one transfer kind"},
        RejectCase{"BlockCountOnWord", "fault=block-count=4:word-read",
                   "\"fault=block-count=4:word-read\": block-count= applies to block reads"},
        RejectCase{"BlockCountTooLarge", "fault=block-count=256:block-read",
                   "\"fault=block-count=256:block-read\": block-count= takes a byte count from 0 "
                   "to 255"},
        RejectCase{"ByteOnWord", "fault=timeout:word-read:byte=2",
                   "\"fault=timeout:word-read:byte=2\": byte= applies to block transfers"},
        RejectCase{"ByteTooLarge33", "fault=timeout:block-read:byte=33",
                   "\"fault=timeout:block-read:byte=33\": byte= takes a data byte of a block "
                   "transfer, 0 to 32"},
        RejectCase{"RegisterTooLarge", "fault=timeout:word-read:reg=123",
                   "\"fault=timeout:word-read:reg=123\": reg= takes one register in hex, e.g. "
                   "reg=21"},
        RejectCase{"FaultTrailingColon", "fault=timeout:word-read:",
                   "\"fault=timeout:word-read:\": the fault ends with a colon"},
        RejectCase{"UnknownQualifier", "fault=timeout:word-read:when=now",
                   "\"fault=timeout:word-read:when=now\": unknown qualifier \"when=now\" (a "
                   "transfer kind, reg=, nth=, transfer= or byte=)"}),
    test::ByLabel());

TEST(OptionsHelp, NamesEveryOptionTheParserKnows) {
    const std::string help(sim::board_options_help());
    for (const char* name :
         {"hub", "base", "dividers", "n", "m", "depth", "delay-cpu", "delay-pci", "delay-sdram",
          "delay-3v66", "spread", "model", "multiplier", "dump", "fault", "pauses"}) {
        EXPECT_NE(help.find(std::string(name) + "="), std::string::npos) << name;
        BoardOptions options;
        std::string error;
        sim::parse_board_options(std::string(name) + "=?", options, error);
        EXPECT_EQ(error.find("unknown option"), std::string::npos) << name;
    }
    for (const char* word :
         {"timeout", "device-error", "bus-error", "drop-write", "block-count=", "word-read",
          "word-write", "block-read", "block-write", "reg=", "nth=", "transfer=", "byte="}) {
        EXPECT_NE(help.find(word), std::string::npos) << word;
    }
}

// What the driver finds on a board built from an option list.
struct Found {
    int controller = 0;
    int chip = 0;
    SmbusController controller_record;
    ClockState clock;
    RegisterShadow shadow;
};

Found detect_on(sim::SimBoard& board) {
    Found found;
    DeviceAddress device;
    found.controller = detect_smbus_controller(board, found.controller_record);
    if (found.controller) {
        SmbusHost host(board, board.time(), found.controller_record, device, found.shadow);
        found.chip = ClockChip(host, found.clock).detect();
    }
    return found;
}

struct BoardCase {
    const char* label;
    const char* options;
    void (*check)(const Found& found, sim::SimBoard& board);
};

void PrintTo(const BoardCase& row, std::ostream* os) {
    *os << row.label;
}

class OptionsBuild : public ::testing::TestWithParam<BoardCase> {};

TEST_P(OptionsBuild, TheDriverFindsWhatTheOptionsSay) {
    BoardOptions options;
    std::string error;
    ASSERT_TRUE(sim::parse_board_options(GetParam().options, options, error)) << error;
    sim::SimBoard board;
    ASSERT_TRUE(sim::apply_board_options(options, "", board, error)) << error;
    GetParam().check(detect_on(board), board);
}

INSTANTIATE_TEST_SUITE_P(
    Boards, OptionsBuild,
    ::testing::Values(BoardCase{"Default", "",
                                [](const Found& f, sim::SimBoard& board) {
                                    EXPECT_EQ(f.controller_record.kind, ChipsetKind::ICH_82801BA);
                                    ASSERT_EQ(f.chip, 1);
                                    EXPECT_EQ(f.clock.pll_n, 132);
                                    EXPECT_EQ(f.clock.cpu_divider, 3);
                                    EXPECT_DOUBLE_EQ(board.cpu().multiplier(), 7.5);
                                }},
                      BoardCase{"HubAa", "hub=aa",
                                [](const Found& f, sim::SimBoard&) {
                                    EXPECT_EQ(f.controller_record.kind, ChipsetKind::ICH_82801AA);
                                    EXPECT_EQ(f.chip, 1);
                                }},
                      BoardCase{"NoHub", "hub=none",
                                [](const Found& f, sim::SimBoard&) {
                                    EXPECT_EQ(f.controller, 0);
                                    EXPECT_EQ(f.controller_record.kind, ChipsetKind::None);
                                }},
                      BoardCase{"OtherChipset", "hub=0x71138086",
                                [](const Found& f, sim::SimBoard&) { EXPECT_EQ(f.controller, 0); }},
                      BoardCase{"UnprogrammedBase", "base=unprogrammed",
                                [](const Found&, sim::SimBoard& board) {
                                    EXPECT_EQ(board.pci().smbus_base(), 0);
                                }},
                      BoardCase{"DividersAndPll", "dividers=4/4,n=149,m=31,depth=3",
                                [](const Found& f, sim::SimBoard&) {
                                    ASSERT_EQ(f.chip, 1);
                                    EXPECT_EQ(f.clock.cpu_divider, 4);
                                    EXPECT_EQ(f.clock.sdram_divider, 4);
                                    EXPECT_EQ(f.clock.pll_n, 149);
                                    EXPECT_EQ(f.clock.spread_depth, 3);
                                    EXPECT_FLOAT_EQ(f.clock.cpu_ext_mhz, 150 * 96.0f / 32 / 4);
                                }},
                      BoardCase{"OnlyM", "m=15",
                                [](const Found& f, sim::SimBoard& board) {
                                    ASSERT_EQ(f.chip, 1);
                                    EXPECT_EQ(f.clock.pll_n, 132);  // N stays
                                    EXPECT_EQ(f.clock.pll_m, 15);
                                    EXPECT_EQ(board.chip().running_m(), 15);
                                }},
                      BoardCase{"Delays", "delay-cpu=300ps,delay-3v66=450ps",
                                [](const Found& f, sim::SimBoard&) {
                                    ASSERT_EQ(f.chip, 1);
                                    EXPECT_EQ(f.clock.delay_cpu, 2);
                                    EXPECT_EQ(f.clock.delay_pci, 0);
                                    EXPECT_EQ(f.clock.delay_sdram, 0);
                                    EXPECT_EQ(f.clock.delay_3v66, 3);
                                }},
                      BoardCase{"Spread", "spread=on,model=5",
                                [](const Found& f, sim::SimBoard&) {
                                    ASSERT_EQ(f.chip, 1);
                                    EXPECT_NE(f.shadow[REG00] & kReg00SpreadEnable, 0);
                                    EXPECT_EQ(f.clock.spread_model, 5);
                                }},
                      BoardCase{"ModelKeepsSpreadOff", "model=6",
                                [](const Found& f, sim::SimBoard&) {
                                    ASSERT_EQ(f.chip, 1);
                                    EXPECT_EQ(f.shadow[REG00] & kReg00SpreadEnable, 0);
                                    EXPECT_EQ(f.clock.spread_model, 6);
                                }},
                      BoardCase{"Multiplier", "multiplier=10.5",
                                [](const Found&, sim::SimBoard& board) {
                                    EXPECT_DOUBLE_EQ(board.cpu().multiplier(), 10.5);
                                }}),
    test::ByLabel());

struct FaultCase {
    const char* label;
    const char* options;
    // The transfers below, as ok (1) or failed (0), in order.
    std::vector<int> results;
    // What the chip's REG21 holds at the end: 0x21 written first, then 0x12.
    std::uint8_t reg21;
};

void PrintTo(const FaultCase& row, std::ostream* os) {
    *os << row.label;
}

class OptionsFaults : public ::testing::TestWithParam<FaultCase> {};

// Enters enhanced mode, then reads and writes REG21 and REG22 twice over.
TEST_P(OptionsFaults, StrikeTheTransferTheyName) {
    BoardOptions options;
    std::string error;
    ASSERT_TRUE(sim::parse_board_options(GetParam().options, options, error)) << error;
    sim::SimBoard board;
    ASSERT_TRUE(sim::apply_board_options(options, "", board, error)) << error;
    SmbusController controller;
    DeviceAddress device;
    RegisterShadow shadow;
    ASSERT_EQ(detect_smbus_controller(board, controller), 1);
    SmbusHost host(board, board.time(), controller, device, shadow);
    std::vector<int> results;
    std::uint8_t count = 0;
    results.push_back(host.block_read(count));
    results.push_back(host.block_write(REG10, kReg10EnhancedMode, kEnhancedModeBlockCount));
    for (const std::uint8_t written : {std::uint8_t{0x21}, std::uint8_t{0x12}}) {
        for (const std::uint8_t reg : {REG21, REG22}) {
            std::uint8_t value = 0;
            results.push_back(host.read_register(reg, value));
            results.push_back(host.write_register(reg, written));
        }
    }
    EXPECT_EQ(results, GetParam().results);
    EXPECT_EQ(board.chip().reg(REG21), GetParam().reg21);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, OptionsFaults,
    ::testing::Values(
        FaultCase{"None", "", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 0x12},
        FaultCase{"WriteOfReg22",
                  "fault=device-error:word-write:reg=22",
                  {1, 1, 1, 1, 1, 0, 1, 1, 1, 1},
                  0x12},
        FaultCase{"SecondWordRead",
                  "fault=timeout:word-read:nth=2",
                  {1, 1, 1, 1, 0, 1, 1, 1, 1, 1},
                  0x12},
        FaultCase{"ThirdReadOfReg21NeverComes",
                  "fault=bus-error:word-read:reg=21:nth=3",
                  {1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
                  0x12},
        // The block write reads the chip first, so it makes transfers 2 and 3.
        FaultCase{
            "SixthTransfer", "fault=device-error:transfer=6", {1, 1, 1, 1, 0, 1, 1, 1, 1, 1}, 0x12},
        // Enhanced mode is not entered, so the chip refuses every one-register transfer.
        FaultCase{"BlockWriteProper",
                  "fault=device-error:transfer=3",
                  {1, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                  0x40},
        // Acknowledged, so the host sees success; the chip keeps what it had.
        FaultCase{"DroppedWrite",
                  "fault=drop-write:word-write:reg=21:nth=2",
                  {1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
                  0x21},
        FaultCase{"TwoFaults",
                  "fault=device-error:transfer=4,fault=device-error:word-write:nth=4",
                  {1, 1, 0, 1, 1, 1, 1, 1, 1, 0},
                  0x12}),
    test::ByLabel());

TEST(OptionsFaultBlockCount, ABlockReadAnnouncesTheGivenCount) {
    BoardOptions options;
    std::string error;
    ASSERT_TRUE(sim::parse_board_options("fault=block-count=4:block-read", options, error));
    sim::SimBoard board;
    ASSERT_TRUE(sim::apply_board_options(options, "", board, error)) << error;
    SmbusController controller;
    DeviceAddress device;
    RegisterShadow shadow;
    ASSERT_EQ(detect_smbus_controller(board, controller), 1);
    SmbusHost host(board, board.time(), controller, device, shadow);
    std::uint8_t count = 0;
    ASSERT_EQ(host.block_read(count), 1);
    EXPECT_EQ(count, 4);
}

const std::string kDumpRows10And20 =
    "10: 09 95 93 1f 00 00 00 00 00 00 00 00 00 00 00 48\n"
    "20: 00 e4 c5 07 XX XX XX XX XX XX XX XX XX XX XX XX\n";

struct DumpCase {
    const char* label;
    const char* options;
    std::string text;
    bool ok;
    const char* message;  // the error, or the notice on success
    int pll_n;            // what the chip then holds in REG11 (on success)
};

void PrintTo(const DumpCase& row, std::ostream* os) {
    *os << row.label;
}

class OptionsDump : public ::testing::TestWithParam<DumpCase> {};

TEST_P(OptionsDump, LoadsAndSaysWhatItLeft) {
    BoardOptions options;
    std::string error;
    ASSERT_TRUE(sim::parse_board_options(GetParam().options, options, error)) << error;
    sim::SimBoard board;
    const auto before = board.chip().registers();
    std::string notice;
    EXPECT_EQ(sim::apply_board_options(options, GetParam().text, board, error, notice),
              GetParam().ok);
    if (GetParam().ok) {
        EXPECT_EQ(notice, GetParam().message);
        EXPECT_EQ(board.chip().reg(REG11), GetParam().pll_n);
        EXPECT_EQ(board.chip().running_n(), GetParam().pll_n);
    } else {
        EXPECT_EQ(error, GetParam().message);
        EXPECT_EQ(board.chip().registers(), before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Dumps, OptionsDump,
    ::testing::Values(
        DumpCase{"Partial", "dump=board.txt", kDumpRows10And20, true,
                 "board.txt gives no value for registers 0x00-0x0f; the simulated chip keeps its "
                 "own",
                 0x95},
        DumpCase{"Whole", "dump=board.txt",
                 "00: 02 ff 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n" + kDumpRows10And20, true,
                 "", 0x95},
        DumpCase{"OptionOverDump", "dump=board.txt,n=140", kDumpRows10And20, true,
                 "board.txt gives no value for registers 0x00-0x0f; the simulated chip keeps its "
                 "own",
                 140},
        DumpCase{"Malformed", "dump=board.txt", "10: 09 95\n", false,
                 "board.txt: line 1: row 10 has 2 cells; a row has 16", 0},
        DumpCase{"DepthOverN", "n=4,depth=5", "", false,
                 "depth=5 is more than N (4): REG12 holds N minus the depth", 0}),
    test::ByLabel());

// A sleeper that only counts.
class CountingSleeper : public Sleeper {
  public:
    void sleep_ms(std::uint32_t milliseconds) override { calls.push_back(milliseconds); }
    std::vector<std::uint32_t> calls;
};

TEST(PacedSleeper, TransferPausesPassInRealTimeAndPollsDoNot) {
    sim::SimTime time;
    CountingSleeper real;
    sim::PacedSleeper paced(time, real);
    for (const std::uint32_t ms : {10u, 300u, 10u, 10u, 300u, 299u}) {
        paced.sleep_ms(ms);
    }
    EXPECT_EQ(time.slept_ms(), 929u);
    EXPECT_EQ(time.now_us(), 929000u);
    EXPECT_EQ(real.calls, (std::vector<std::uint32_t>{300, 300}));
}

}  // namespace
}  // namespace vantrel
