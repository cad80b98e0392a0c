// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "bus/smbus_controller.h"
#include "bus/smbus_host.h"
#include "clockgen/clock_chip.h"
#include "clockgen/registers.h"
#include "sim/board_options.h"
#include "support/ctl_runner.h"
#include "support/param_name.h"

namespace vantrel {
namespace {

using test::PrintTo;

using sim::BoardOptions;

// Every field that is set, in one line, so that a row states all of them.
std::string summary(const BoardOptions& o) {
    std::string out;
    const auto add = [&out](const std::string& item) { out += (out.empty() ? "" : " ") + item; };
    const auto number = [&add](const char* name, const auto& field) {
        if (field) {
            add(std::string(name) + "=" + std::to_string(unsigned{*field}));
        }
    };
    if (o.hub_id) {
        char id[16];
        std::snprintf(id, sizeof id, "hub=%08x", *o.hub_id);
        add(id);
    }
    if (o.smbus_base_register) {
        char base[24];
        std::snprintf(base, sizeof base, "base=%08x", *o.smbus_base_register);
        add(base);
    }
    number("cpu", o.cpu_divider);
    number("sdram", o.sdram_divider);
    number("n", o.pll_n);
    number("m", o.pll_m);
    number("depth", o.spread_depth);
    number("dcpu", o.delay_cpu);
    number("dpci", o.delay_pci);
    number("dsdram", o.delay_sdram);
    number("d3v66", o.delay_3v66);
    number("spread", o.spread_on);
    number("model", o.spread_model);
    if (o.multiplier) {
        std::string multiplier(1, 'x');
        multiplier += std::to_string(std::lround(*o.multiplier * 1000));
        add(multiplier);
    }
    if (!o.dump_path.empty()) {
        add("dump=" + o.dump_path);
    }
    if (!o.board_path.empty()) {
        add("board=" + o.board_path);
    }
    for (const sim::Fault& f : o.faults) {
        std::string fault = "fault=" + std::to_string(static_cast<int>(f.action));
        fault.append("/").append(f.ordinal ? std::to_string(*f.ordinal) : "-");
        fault.append("/").append(f.kind ? std::to_string(static_cast<int>(*f.kind)) : "-");
        fault.append("/").append(f.reg ? std::to_string(*f.reg) : "-");
        fault.append("/").append(std::to_string(f.occurrence));
        fault.append("/").append(std::to_string(f.at_byte));
        fault.append("/").append(std::to_string(f.block_count));
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

class OptionsParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(OptionsParse, SetsWhatTheListNames) {
    BoardOptions options;
    std::string error;
    ASSERT_TRUE(sim::parse_board_options(GetParam().text, options, error)) << error;
    EXPECT_EQ(summary(options), GetParam().summary);
}

// Faults read action/ordinal/kind/reg/occurrence/byte/count; actions and kinds by their order.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Lists, OptionsParse, ::testing::Values(
    ParseCase{"Empty", "", ""},
    ParseCase{"Hubs", "hub=AB", "hub=24208086"},
    ParseCase{"NoHubAndPciId", "hub=none", "hub=ffffffff"},
    ParseCase{"OtherChipset", "hub=0x71138086", "hub=71138086"},
    ParseCase{"BaseAndDividers", "base=unprogrammed,dividers=6/4", "base=00000001 cpu=6 sdram=4"},
    ParseCase{"BaseRegisterAllOnes", "base=0xFFFFFFFF", "base=ffffffff"},
    ParseCase{"BaseRegisterShort", "base=0xe801", "base=0000e801"},
    ParseCase{"PllLimits", "n=255,m=0,depth=10", "n=255 m=0 depth=10"},
    ParseCase{"DelaysInAnyCase", "delay-cpu=none,delay-pci=150ps,delay-sdram=300PS,delay-3v66=450ps",
              "dcpu=0 dpci=1 dsdram=2 d3v66=3"},
    ParseCase{"Spread", "spread=on,model=7", "spread=1 model=7"},
    ParseCase{"Multiplier", "multiplier=7.5", "x7500"},
    ParseCase{"MultiplierThousandths", "multiplier=1.005", "x1005"},
    ParseCase{"DumpWithEquals", "dump=/tmp/a=b.txt,pauses=instant", "dump=/tmp/a=b.txt instant"},
    ParseCase{"KeptBoard", "board=/tmp/board.txt,n=140", "n=140 board=/tmp/board.txt"},
    ParseCase{"FaultOnRegister", "fault=device-error:word-write:reg=22", "fault=1/-/1/34/1/0/0"},
    ParseCase{"FaultQualifiersInAnyOrder", "fault=timeout:reg=0x1F:word-read:nth=3", "fault=0/-/0/31/3/0/0"},
    ParseCase{"FaultOrdinal", "fault=bus-error:transfer=5", "fault=2/5/-/-/1/0/0"},
    ParseCase{"FaultAtByte", "fault=timeout:block-write:byte=17", "fault=0/-/3/-/1/17/0"},
    ParseCase{"FaultBlockCount", "fault=block-count=4:block-read", "fault=3/-/2/-/1/0/4"},
    ParseCase{"FaultDropWrite", "fault=drop-write:word-write:reg=11", "fault=4/-/1/17/1/0/0"},
    ParseCase{"TwoFaults", "fault=timeout:transfer=1,fault=device-error:block-read:nth=2",
              "fault=0/1/-/-/1/0/0 fault=1/-/2/-/2/0/0"}),
    test::ByLabel());
// clang-format on

struct RejectCase {
    const char* label;
    const char* text;
    std::string error;  // the whole message: the option in quotes, then why
};

class OptionsReject : public ::testing::TestWithParam<RejectCase> {};

TEST_P(OptionsReject, NamesTheOptionAndKeepsTheOld) {
    BoardOptions options;
    options.pll_n = 77;
    std::string error;
    EXPECT_FALSE(sim::parse_board_options(GetParam().text, options, error));
    EXPECT_EQ(error, GetParam().error);
    EXPECT_EQ(summary(options), "n=77");
}

const std::string kDividers = ": the dividers are CPU/SDRAM: 3, 4 or 6, then 3 or 4 (e.g. 4/3)";
const std::string kBase =
    ": the base is unprogrammed or what the SMBus base register reads, in hex (e.g. base=0xe801)";
const std::string kMultiplier =
    ": the multiplier is a number from 1 to 64 with up to three decimals";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Lists, OptionsReject, ::testing::Values(
    RejectCase{"TrailingText", "dividers=4/3xyz", "\"dividers=4/3xyz\"" + kDividers},
    RejectCase{"ThreeDividers", "dividers=4/3/7", "\"dividers=4/3/7\"" + kDividers},
    RejectCase{"SignedDivider", "dividers=+4/3", "\"dividers=+4/3\"" + kDividers},
    RejectCase{"WrapsTo4", "dividers=4294967300/3", "\"dividers=4294967300/3\"" + kDividers},
    RejectCase{"NoSuchDivider", "dividers=5/3", "\"dividers=5/3\"" + kDividers},
    RejectCase{"ShortPciId", "hub=0x7113", "\"hub=0x7113\": the hub is aa, ab, ba, none or a PCI ID such as 0x71138086"},
    RejectCase{"BaseWithoutPrefix", "base=e801", "\"base=e801\"" + kBase},
    RejectCase{"BaseTooLong", "base=0x100000000", "\"base=0x100000000\"" + kBase},
    RejectCase{"BaseNoDigits", "base=0x", "\"base=0x\"" + kBase},
    RejectCase{"ByteTooLarge", "n=256", "\"n=256\": a PLL register value from 0 to 255"},
    RejectCase{"NegativeByte", "m=-1", "\"m=-1\": a PLL register value from 0 to 255"},
    RejectCase{"DelayCode", "delay-cpu=1", "\"delay-cpu=1\": a group delay is none, 150ps, 300ps or 450ps"},
    RejectCase{"ModelEight", "model=8", "\"model=8\": the spread model is 0 to 7"},
    RejectCase{"MultiplierBelowOne", "multiplier=0.5", "\"multiplier=0.5\"" + kMultiplier},
    RejectCase{"MultiplierPoint", "multiplier=7.", "\"multiplier=7.\"" + kMultiplier},
    RejectCase{"MultiplierDigits", "multiplier=7.1234", "\"multiplier=7.1234\"" + kMultiplier},
    RejectCase{"Pauses", "pauses=slow", "\"pauses=slow\": pauses are real or instant"},
    RejectCase{"UnknownOption", "colour=red", "\"colour=red\": unknown option \"colour\""},
    RejectCase{"NoValue", "spread", "\"spread\": an option is NAME=VALUE"},
    RejectCase{"Twice", "hub=aa,n=3,hub=ab", "\"hub=ab\": hub is given twice"},
    RejectCase{"TrailingComma", "hub=aa,", "\"hub=aa,\": the list ends with a comma"},
    RejectCase{"DoubleComma", "hub=aa,,n=1", "\"\": empty option (two commas in a row, or one at an end)"},
    RejectCase{"FaultAction", "fault=explode:word-read", "\"fault=explode:word-read\": a fault starts with its action: timeout, device-error, bus-error, failed, drop-write or block-count=N"},
    RejectCase{"BoardWithoutFile", "board=", "\"board=\": board= needs a file name"},
    RejectCase{"BoardAndDump", "board=a.txt,dump=b.txt", "dump= and board= both give the chip's registers; give one of them"},
    RejectCase{"FaultWithoutTransfer", "fault=timeout", "\"fault=timeout\": say which transfer: a kind (word-read, word-write, block-read, block-write) or transfer=N"},
    RejectCase{"OrdinalZero", "fault=timeout:transfer=0", "\"fault=timeout:transfer=0\": transfer= counts every transfer from 1"},
    RejectCase{"OrdinalWithKind", "fault=timeout:transfer=3:word-read", "\"fault=timeout:transfer=3:word-read\": transfer= counts every transfer; it takes no kind, reg= or nth="},
    RejectCase{"TwoKinds", "fault=timeout:word-read:word-write", "\"fault=timeout:word-read:word-write\": more than one transfer kind"},
    RejectCase{"BlockCountOnWord", "fault=block-count=4:word-read", "\"fault=block-count=4:word-read\": block-count= applies to block reads"},
    RejectCase{"DropWriteOnRead", "fault=drop-write:block-read", "\"fault=drop-write:block-read\": drop-write applies to writes"},
    RejectCase{"ByteOnWord", "fault=timeout:word-read:byte=2", "\"fault=timeout:word-read:byte=2\": byte= applies to block transfers"},
    RejectCase{"RegisterTooLarge", "fault=timeout:word-read:reg=123", "\"fault=timeout:word-read:reg=123\": reg= takes one register in hex, e.g. reg=21"},
    RejectCase{"UnknownQualifier", "fault=timeout:word-read:when=now", "\"fault=timeout:word-read:when=now\": unknown qualifier \"when=now\" (a transfer kind, reg=, nth=, transfer= or byte=)"}),
    test::ByLabel());
// clang-format on

TEST(OptionsHelp, NamesEveryOptionTheParserKnows) {
    const std::string help(sim::board_options_help());
    for (const char* name :
         {"hub", "base", "dividers", "n", "m", "depth", "delay-cpu", "delay-pci", "delay-sdram",
          "delay-3v66", "spread", "model", "multiplier", "dump", "board", "fault", "pauses"}) {
        EXPECT_NE(help.find(std::string(name) + "="), std::string::npos) << name;
        BoardOptions options;
        std::string error;
        sim::parse_board_options(std::string(name) + "=?", options, error);
        EXPECT_EQ(error.find("unknown option"), std::string::npos) << name;
    }
}

// What the driver finds on a board built from an option list.
struct Found {
    int controller = 0;
    int chip = 0;
    SmbusController record;
    ClockState clock;
    RegisterShadow shadow;
};

struct BoardCase {
    const char* label;
    const char* options;
    std::function<void(const Found&, sim::SimBoard&)> check;
};

class OptionsBuild : public ::testing::TestWithParam<BoardCase> {};

TEST_P(OptionsBuild, TheDriverFindsWhatTheOptionsSay) {
    BoardOptions options;
    std::string error;
    ASSERT_TRUE(sim::parse_board_options(GetParam().options, options, error)) << error;
    sim::SimBoard board;
    ASSERT_TRUE(sim::apply_board_options(options, "", board, error)) << error;
    Found found;
    DeviceAddress device;
    found.controller = detect_smbus_controller(board, found.record);
    if (found.controller) {
        SmbusHost host(board, board.time(), found.record, device, found.shadow);
        found.chip = ClockChip(host, found.clock).detect();
    }
    GetParam().check(found, board);
}

INSTANTIATE_TEST_SUITE_P(
    Boards, OptionsBuild,
    ::testing::Values(BoardCase{"HubAa", "hub=aa",
                                [](const Found& f, sim::SimBoard&) {
                                    EXPECT_EQ(f.record.kind, ChipsetKind::ICH_82801AA);
                                    EXPECT_EQ(f.chip, 1);
                                }},
                      BoardCase{"NoHub", "hub=none",
                                [](const Found& f, sim::SimBoard&) { EXPECT_EQ(f.controller, 0); }},
                      BoardCase{"UnprogrammedBase", "base=unprogrammed",
                                [](const Found& f, sim::SimBoard&) { EXPECT_EQ(f.controller, 0); }},
                      BoardCase{"HiddenFunctionBase", "base=0xffff",
                                [](const Found& f, sim::SimBoard&) { EXPECT_EQ(f.controller, 0); }},
                      BoardCase{"LowBase", "base=0x0501",
                                [](const Found& f, sim::SimBoard&) {
                                    EXPECT_EQ(f.record.io_base, 0x0500);
                                    EXPECT_EQ(f.chip, 1);
                                }},
                      BoardCase{"DividersAndPll", "dividers=4/4,n=149,m=31,depth=3",
                                [](const Found& f, sim::SimBoard&) {
                                    ASSERT_EQ(f.chip, 1);
                                    EXPECT_EQ(f.clock.cpu_divider, 4);
                                    EXPECT_EQ(f.clock.sdram_divider, 4);
                                    EXPECT_EQ(f.clock.pll_n, 149);
                                    EXPECT_EQ(f.clock.spread_depth, 3);
                                    EXPECT_FLOAT_EQ(f.clock.cpu_ext_mhz, 112.5f);
                                }},
                      BoardCase{"OnlyMKeepsN", "m=15",
                                [](const Found& f, sim::SimBoard& board) {
                                    EXPECT_EQ(f.clock.pll_n, 132);
                                    EXPECT_EQ(f.clock.pll_m, 15);
                                    EXPECT_EQ(board.chip().running_m(), 15);
                                }},
                      BoardCase{"DelaysAndSpread",
                                "delay-cpu=300ps,delay-3v66=450ps,spread=on,model=5",
                                [](const Found& f, sim::SimBoard&) {
                                    EXPECT_EQ(f.clock.delay_cpu, 2);
                                    EXPECT_EQ(f.clock.delay_pci, 0);
                                    EXPECT_EQ(f.clock.delay_3v66, 3);
                                    EXPECT_NE(f.shadow[REG00] & kReg00SpreadEnable, 0);
                                    EXPECT_EQ(f.clock.spread_model, 5);
                                }},
                      BoardCase{"ModelKeepsSpreadOff", "model=6,multiplier=10.5",
                                [](const Found& f, sim::SimBoard& board) {
                                    EXPECT_EQ(f.shadow[REG00] & kReg00SpreadEnable, 0);
                                    EXPECT_EQ(f.clock.spread_model, 6);
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

// The block write reads the chip first, so it makes transfers 2 and 3; REG21 powers up 0x40.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Faults, OptionsFaults, ::testing::Values(
    FaultCase{"None", "", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 0x12},
    FaultCase{"WriteOfReg22", "fault=device-error:word-write:reg=22", {1, 1, 1, 1, 1, 0, 1, 1, 1, 1}, 0x12},
    FaultCase{"SecondWordRead", "fault=timeout:word-read:nth=2", {1, 1, 1, 1, 0, 1, 1, 1, 1, 1}, 0x12},
    FaultCase{"ThirdReadOfReg21NeverComes", "fault=bus-error:word-read:reg=21:nth=3", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 0x12},
    FaultCase{"SixthTransfer", "fault=device-error:transfer=6", {1, 1, 1, 1, 0, 1, 1, 1, 1, 1}, 0x12},
    FaultCase{"BlockWriteProper", "fault=device-error:transfer=3", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0x40},
    FaultCase{"DroppedWrite", "fault=drop-write:word-write:reg=21:nth=2", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 0x21},
    FaultCase{"TwoFaults", "fault=device-error:transfer=4,fault=device-error:word-write:nth=4", {1, 1, 0, 1, 1, 1, 1, 1, 1, 0}, 0x12}),
    test::ByLabel());
// clang-format on

struct DumpCase {
    const char* label;
    const char* options;
    std::string text;
    bool ok;
    const char* message;  // the error, or the notice on success
    int pll_n;            // what the chip then holds in REG11 and runs (on success)
};

class OptionsDump : public ::testing::TestWithParam<DumpCase> {};

TEST_P(OptionsDump, LoadsFirstAndSaysWhatItLeft) {
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

const std::string kRows10And20 =
    "10: 09 95 93 1f 00 00 00 00 00 00 00 00 00 00 00 48\n"
    "20: 00 e4 c5 07 XX XX XX XX XX XX XX XX XX XX XX XX\n";
constexpr const char* kPartial =
    "board.txt gives no value for registers 0x00-0x0f; the simulated chip keeps its own";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Dumps, OptionsDump, ::testing::Values(
    DumpCase{"Partial", "dump=board.txt", kRows10And20, true, kPartial, 0x95},
    DumpCase{"Whole", "dump=board.txt", "00: 02 ff 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n" + kRows10And20, true, "", 0x95},
    DumpCase{"OptionOverDump", "dump=board.txt,n=140", kRows10And20, true, kPartial, 140},
    DumpCase{"Malformed", "dump=board.txt", "10: 09 95\n", false, "board.txt: line 1: row 10 has 2 cells; a row has 16", 0},
    DumpCase{"DepthOverN", "n=4,depth=5", "", false, "depth=5 is more than N (4): REG12 holds N minus the depth", 0}),
    test::ByLabel());
// clang-format on

TEST(PacedSleeper, TransferPausesPassInRealTimeAndPollsDoNot) {
    sim::SimTime time;
    test::CountingSleeper real;
    sim::PacedSleeper paced(time, real);
    for (const std::uint32_t ms : {10u, 300u, 10u, 10u, 300u, 299u}) {
        paced.sleep_ms(ms);
    }
    EXPECT_EQ(time.slept_ms(), 929u);
    EXPECT_EQ(real.calls, 2u);
    EXPECT_EQ(real.total_ms, 600u);
}

}  // namespace
}  // namespace vantrel
