// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "clockgen/registers.h"
#include "ctl/ctl_command.h"
#include "platform/linux/settings/reg_file_registry.h"
#include "res/resource_ids.h"
#include "sim/board_options.h"
#include "sim/sim_board.h"
#include "support/ctl_runner.h"
#include "support/dialog_harness.h"
#include "support/param_name.h"

// vantrelctl's commands on the simulated board: what each prints and returns, its argument
// errors, and "set" held to the dialog's own "Run Settings".

namespace vantrel {
namespace {

using test::CtlRunner;
using test::PrintTo;

const std::string kInstant = "--simulate=pauses=instant";

std::string first_line(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

TEST(CtlHelp, UsageOnStandardOutputWithTheBoardOptionsAndTheExitStatus) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, std::vector<std::string>{"set", "-h"}}) {
        CtlRunner ctl;
        EXPECT_EQ(ctl.run(args), 0);
        EXPECT_EQ(ctl.console.out(), cli::ctl_usage());
        EXPECT_EQ(ctl.console.err(), "");
        EXPECT_FALSE(ctl.board_used);
    }
    const std::string usage = cli::ctl_usage();
    EXPECT_NE(usage.find(std::string(sim::board_options_help())), std::string::npos);
    for (const char* status : {"  0  done", "  1  ", "  2  ", "  3  ", "  4  ", "  5  "}) {
        EXPECT_NE(usage.find(status), std::string::npos) << status;
    }
    CtlRunner ctl;
    EXPECT_EQ(ctl.run({"--version"}), 0);
    EXPECT_EQ(ctl.console.out(),
              "vantrelctl 2.01\n"
              "Licence: GNU General Public License, version 2 or later (GPL-2.0-or-later)\n");
}

struct ErrorCase {
    const char* label;
    std::vector<std::string> args;
    std::string error;  // the first line on standard error, after "vantrelctl: "
};

class CtlErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(CtlErrors, NameTheArgumentAndTouchNothing) {
    CtlRunner ctl;
    EXPECT_EQ(ctl.run(GetParam().args), 2);
    EXPECT_EQ(ctl.console.out(), "");
    EXPECT_EQ(first_line(ctl.console.err()), "vantrelctl: " + GetParam().error);
    EXPECT_TRUE(ctl.transfers.empty());
}

// Files the error rows read, made once.
test::TempDir& files() {
    static test::TempDir dir;
    return dir;
}
std::string put(const std::string& name, const std::string& content) {
    test::write_file(files() / name, content);
    return files() / name;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Arguments, CtlErrors, ::testing::Values(
    ErrorCase{"NoCommand", {kInstant}, "no command: give show, dump, set, save, load, undo, clear-guard, diagnose, profiles or delete-profile"},
    ErrorCase{"UnknownCommand", {"shwo"}, "unknown command \"shwo\""},
    ErrorCase{"TwoCommands", {"show", "dump"}, "unexpected \"dump\" after the command show"},
    ErrorCase{"UnknownOption", {"show", "--colour"}, "unknown option \"--colour\""},
    ErrorCase{"OptionOfAnotherCommand", {"show", "--cpu-ext", "150"}, "--cpu-ext 150: not an option of show"},
    ErrorCase{"MissingValue", {"set", "--cpu-ext"}, "--cpu-ext needs a value"},
    ErrorCase{"FlagWithValue", {"set", "--verify=yes"}, "--verify=yes: --verify takes no value"},
    ErrorCase{"NoVerifyOfShow", {"show", "--no-verify"}, "--no-verify: not an option of show"},
    ErrorCase{"DryRunOfSave", {"save", "--dry-run"}, "--dry-run: not an option of save"},
    ErrorCase{"FrequencyText", {"set", "--cpu-ext", "13x"}, "--cpu-ext 13x: the CPU external clock is a whole number of MHz"},
    ErrorCase{"NegativeFrequency", {"set", "--cpu-ext=-5"}, "--cpu-ext=-5: the CPU external clock is a whole number of MHz"},
    ErrorCase{"Delay", {"set", "--delay-pci", "200ps"}, "--delay-pci 200ps: a group delay is none, 150ps, 300ps or 450ps"},
    ErrorCase{"Depth", {"set", "--depth", "11"}, "--depth 11: the spread depth is 0 to 10"},
    ErrorCase{"StepWithoutTarget", {"set", "--step", "5"}, "--step: set has no --cpu-ext to step to"},
    ErrorCase{"ConfirmZero", {"set", "--confirm", "0"}, "--confirm 0: the time to answer is 1 to 3600 seconds"},
    ErrorCase{"ConfirmAtBoot", {"load", "--at-boot", "--confirm", "30"}, "--confirm: at boot no one is there to answer"},
    ErrorCase{"UnknownBus", {"--bus", "usb", "show"}, "--bus usb: the bus is reached through the kernel or the ports, not \"usb\""},
    ErrorCase{"VerifyOfDiagnose", {"diagnose", "--verify"}, "--verify: not an option of diagnose"},
    ErrorCase{"BusOfTheGuard", {"clear-guard", "--bus=kernel"}, "--bus=kernel: not an option of clear-guard"},
    ErrorCase{"ShortFormOfABoardOption", {"--dividers", "4/3xyz", "show"}, "--dividers 4/3xyz: \"dividers=4/3xyz\": the dividers are CPU/SDRAM: 3, 4 or 6, then 3 or 4 (e.g. 4/3)"},
    ErrorCase{"TwiceAcrossArguments", {kInstant + ",hub=aa", "--hub", "ab", "show"}, "--hub ab: \"hub=ab\": hub is given twice"},
    ErrorCase{"DumpIsADirectory", {"--chip-dump", "/", "show"}, "register dump /: is a directory, not a file"},
    ErrorCase{"DumpIsEndless", {"--chip-dump", "/dev/zero", "show"}, "register dump /dev/zero: is not a regular file"},
    ErrorCase{"DumpTooLarge", {"--chip-dump", put("large", std::string(sim::kMaxDumpFileBytes + 1, '\n')), "show"},
              "register dump " + files().path() + "/large: is larger than 1048576 bytes"},
    ErrorCase{"DumpMalformed", {kInstant, "--chip-dump", put("short", "10: 09 95 93\n"), "show"},
              files().path() + "/short: line 1: row 10 has 3 cells; a row has 16"}),
    test::ByLabel());
// clang-format on

TEST(CtlShow, TextAndJsonOfAChangedBoard) {
    const std::string board = kInstant +
                              ",dividers=4/3,n=149,m=31,depth=2,spread=on,model=5,"
                              "delay-cpu=300ps,delay-3v66=150ps,multiplier=8";
    CtlRunner text;
    EXPECT_EQ(text.run({board, "show"}), 0);
    EXPECT_EQ(text.console.err(), "");
    EXPECT_EQ(text.console.out(),
              "SMBus controller  : Intel 82801BA\n"
              "SMBus I/O base    : 0xE800\n"
              "SMBus path        : direct port I/O of the simulated board, not of this "
              "machine\n"
              "Clock generator   : VXC812-07 at SMBus address 0xD2\n"
              "CPU divider       : 4\n"
              "SDRAM divider     : 3\n"
              "CPU external range: 75 to 180 MHz (CPU divider 4)\n"
              "PLL N, M          : 149, 31\n"
              "VCO               :  450.000 MHz\n"
              "CPU external      :  112.500 MHz\n"
              "PCI               :   37.500 MHz\n"
              "SDRAM             :  150.000 MHz\n"
              "3V66              :   75.000 MHz\n"
              "CPU speed         :  900.000 MHz\n"
              "Group delay       : CPU 300ps, PCI None, SDRAM None, 3V66 150ps\n"
              "Spread spectrum   : on, depth 2, model 5\n");

    CtlRunner json;
    EXPECT_EQ(json.run({board, "show", "--json"}), 0);
    EXPECT_EQ(json.console.out(),
              "{\n"
              "  \"controller\": {\"hub\": \"82801BA\", \"io_base\": 59392},\n"
              "  \"chip\": {\"name\": \"VXC812-07\", \"address\": 210},\n"
              "  \"dividers\": {\"cpu\": 4, \"sdram\": 3},\n"
              "  \"pll\": {\"n\": 149, \"m\": 31},\n"
              "  \"clocks_mhz\": {\"vco\": 450.000, \"cpu_ext\": 112.500, \"pci\": 37.500, "
              "\"sdram\": 150.000, \"3v66\": 75.000},\n"
              "  \"cpu_speed_mhz\": 900.000,\n"
              "  \"delays\": {\"cpu\": \"300ps\", \"pci\": \"none\", \"sdram\": \"none\", "
              "\"3v66\": \"150ps\"},\n"
              "  \"spread\": {\"enabled\": true, \"depth\": 2, \"model\": 5},\n"
              "  \"bus\": \"direct port I/O\",\n"
              "  \"last_failure\": null,\n"
              "  \"cpu_ext_range_mhz\": {\"min\": 75, \"max\": 180},\n"
              "  \"simulated\": true\n"
              "}\n");
}

struct FailedCase {
    const char* label;
    std::string board;
    const char* message;
};

class CtlNothingFound : public ::testing::TestWithParam<FailedCase> {};

TEST_P(CtlNothingFound, SaysWhatAndFails) {
    for (const std::vector<std::string>& command : {std::vector<std::string>{"show"},
                                                    {"dump"},
                                                    {"set", "--cpu-ext", "140"},
                                                    {"save"},
                                                    {"load"}}) {
        CtlRunner ctl;
        std::vector<std::string> args = {GetParam().board};
        args.insert(args.end(), command.begin(), command.end());
        EXPECT_EQ(ctl.run(args), 1) << command[0];
        EXPECT_EQ(ctl.console.out(), "") << command[0];
        EXPECT_EQ(ctl.messages(), std::vector<std::string>{GetParam().message}) << command[0];
    }
}

INSTANTIATE_TEST_SUITE_P(Boards, CtlNothingFound,
                         ::testing::Values(FailedCase{"NoController", kInstant + ",hub=none",
                                                      "Cannot Get SM Base Address!"},
                                           FailedCase{"NoChip",
                                                      kInstant + ",fault=device-error:block-read",
                                                      "Cannot Find VXC812-07 Clock Generator!"}),
                         test::ByLabel());

struct RoundTripCase {
    const char* label;
    const char* options;
};

class CtlDump : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(CtlDump, LoadsBackAsTheSameBoard) {
    const std::string board = kInstant + "," + GetParam().options;
    CtlRunner first;
    ASSERT_EQ(first.run({board, "dump"}), 0) << first.console.err();
    const std::string dump = first.console.out();
    EXPECT_EQ(dump.substr(0, 4), "    ");  // the grid alone: column header first
    CtlRunner shown;
    ASSERT_EQ(shown.run({board, "show"}), 0);

    test::TempDir dir;
    test::write_file(dir / "dump.txt", dump);
    CtlRunner again;
    EXPECT_EQ(again.run({kInstant, "--chip-dump", dir / "dump.txt", "dump"}), 0);
    EXPECT_EQ(again.console.err(), "");
    EXPECT_EQ(again.console.out(), dump);
    EXPECT_EQ(again.chip_registers, first.chip_registers);
    CtlRunner reshown;
    EXPECT_EQ(reshown.run({kInstant, "--chip-dump", dir / "dump.txt", "show"}), 0);
    EXPECT_EQ(reshown.console.out(), shown.console.out());
}

INSTANTIATE_TEST_SUITE_P(Boards, CtlDump,
                         ::testing::Values(RoundTripCase{"Default", "hub=ba"},
                                           RoundTripCase{
                                               "Changed",
                                               "dividers=4/3,n=149,m=30,depth=2,spread=on,model=3,"
                                               "delay-pci=300ps,delay-3v66=150ps"},
                                           RoundTripCase{"SlowBoard", "dividers=6/4,n=100"}),
                         test::ByLabel());

TEST(CtlDumpNotice, APartialDumpSaysWhatItLeft) {
    test::TempDir dir;
    test::write_file(dir / "rows.txt", "10: 09 95 93 1f 00 00 00 00 00 00 00 00 00 00 00 48\n");
    CtlRunner ctl;
    EXPECT_EQ(ctl.run({kInstant, "--chip-dump", dir / "rows.txt", "show"}), 0);
    EXPECT_EQ(ctl.console.err(), "vantrelctl: note: " + dir.path() +
                                     "/rows.txt gives no value for registers 0x00-0x0f, "
                                     "0x20-0x23; the simulated chip keeps its own\n");
    EXPECT_NE(ctl.console.out().find("PLL N, M          : 149, 31\n"), std::string::npos);
}

struct PauseCase {
    const char* label;
    std::string simulate;
    bool real;
};

class CtlPauses : public ::testing::TestWithParam<PauseCase> {};

TEST_P(CtlPauses, RealOnlyWhenAsked) {
    CtlRunner ctl;
    ASSERT_EQ(ctl.run({GetParam().simulate, "show"}), 0) << ctl.console.err();
    if (GetParam().real) {
        // Detection makes 13 transfers, each ending in a 300 ms pause; the polls between pass
        // in simulated time only.
        EXPECT_EQ(ctl.real_time.calls, 13u);
        EXPECT_EQ(ctl.real_time.total_ms, 13u * 300u);
    } else {
        EXPECT_EQ(ctl.real_time.calls, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Options, CtlPauses,
                         ::testing::Values(PauseCase{"ByDefault", "--simulate", true},
                                           PauseCase{"Instant", kInstant, false}),
                         test::ByLabel());

// What a user does in the dialog for one "set" command line, and what the board does wrong.
struct SetCase {
    const char* label;
    std::vector<std::string> set;  // the arguments after "set"
    const char* faults;            // board options, the same for both
    void (*user)(test::DialogHarness& h);
    std::vector<std::string> messages;
};

class CtlSetIsRunSettings : public ::testing::TestWithParam<SetCase> {};

bool same_transfer(const sim::TransferRecord& a, const sim::TransferRecord& b) {
    return a.kind == b.kind && a.address == b.address && a.reg == b.reg && a.data == b.data &&
           a.ok == b.ok;
}

TEST_P(CtlSetIsRunSettings, SameTransfersAndMessages) {
    const SetCase& row = GetParam();
    sim::BoardOptions options;
    std::string error;
    ASSERT_TRUE(sim::parse_board_options(row.faults, options, error)) << error;

    test::DialogHarness dialog;
    ASSERT_TRUE(sim::apply_board_options(options, "", dialog.board, error)) << error;
    dialog.dialog.on_init_dialog();
    row.user(dialog);
    dialog.dialog.on_command(IDC_RUN_SETTINGS, kBnClicked);
    std::vector<std::string> dialog_messages;
    for (const auto& shown : dialog.messages.shown()) {
        dialog_messages.push_back(shown.text);
    }
    EXPECT_EQ(dialog_messages, row.messages);

    CtlRunner ctl;
    // The dialog reads nothing back after its apply.
    std::vector<std::string> args = {kInstant + (row.faults[0] ? "," : "") + row.faults, "set",
                                     "--no-verify"};
    args.insert(args.end(), row.set.begin(), row.set.end());
    // A request out of range is a wrong argument; any other message a failure.
    const int status = row.messages.empty() ? cli::kExitOk
                       : row.messages == std::vector<std::string>{"Invalid Frequency"}
                           ? cli::kExitUsage
                           : cli::kExitFailed;
    EXPECT_EQ(ctl.run(args), status);
    EXPECT_EQ(ctl.messages(), dialog_messages);
    const auto& expected = dialog.board.smbus().transfers();
    ASSERT_EQ(ctl.transfers.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_TRUE(same_transfer(ctl.transfers[i], expected[i])) << "transfer " << i + 1;
    }
}

void type_150(test::DialogHarness& h) {
    h.controls.type(IDC_FREQ_EDIT, "150");
}

// Detection makes two block writes, one read of each register it uses and one write of REG10.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Choices, CtlSetIsRunSettings, ::testing::Values(
    // A choice the chip already has: the same whole apply as a click that changes nothing.
    SetCase{"Nothing", {"--spread", "off"}, "", [](test::DialogHarness&) {}, {}},
    SetCase{"Everything", {"--cpu-ext", "140", "--delay-cpu", "150ps", "--delay-pci", "300ps", "--delay-sdram", "450ps", "--delay-3v66", "150ps", "--spread", "on", "--depth", "4", "--model", "6"}, "",
            [](test::DialogHarness& h) {
                h.controls.set_check_state(IDC_SPREAD_ENABLE, kBstChecked);
                h.dialog.on_command(IDC_SPREAD_ENABLE, kBnClicked);
                for (const auto& [id, index] : {std::pair{IDC_DELAY_CPU, 1}, {IDC_DELAY_PCI, 2}, {IDC_DELAY_SDRAM, 3}, {IDC_DELAY_3V66, 1}, {IDC_SPREAD_DEPTH, 4}, {IDC_SPREAD_MODEL, 6}}) {
                    h.controls.select(id, index);
                }
                h.controls.type(IDC_FREQ_EDIT, "140");
            }, {}},
    SetCase{"SpreadOff", {"--spread", "off"}, "spread=on,model=2",
            [](test::DialogHarness& h) {
                h.controls.set_check_state(IDC_SPREAD_ENABLE, kBstUnchecked);
                h.dialog.on_command(IDC_SPREAD_ENABLE, kBnClicked);
            }, {}},
    SetCase{"OutOfRange", {"--cpu-ext", "251"}, "", [](test::DialogHarness& h) { h.controls.type(IDC_FREQ_EDIT, "251"); }, {"Invalid Frequency"}},
    SetCase{"EnhancedModeRefused", {"--cpu-ext", "150"}, "fault=device-error:block-write:nth=3", type_150, {"Enable Enhanced-Mode Failed!"}},
    SetCase{"Reg21Read", {"--cpu-ext", "150"}, "fault=timeout:word-read:reg=21:nth=2", type_150, {"Cannot Change Clock Settings!"}},
    SetCase{"CommitOfN", {"--cpu-ext", "150"}, "fault=bus-error:word-write:reg=11", type_150, {"Cannot Change Some Clock Settings!"}},
    SetCase{"LeavingAndCommit", {"--cpu-ext", "150"}, "fault=device-error:word-write:reg=13,fault=device-error:word-write:reg=10:nth=2", type_150,
            {"Cannot Change Some Clock Settings!", "Disable Enhanced Mode Failed!"}}),
    test::ByLabel());
// clang-format on

struct StoreCase {
    const char* label;
    const char* saved_on;   // the board the settings are saved on, or nullptr for none
    const char* loaded_on;  // the board they are loaded on
    int status;
    std::vector<std::string> messages;
    const char* cpu_ext;  // the line show prints afterwards, when the load applies
};

class CtlSaveLoad : public ::testing::TestWithParam<StoreCase> {};

TEST_P(CtlSaveLoad, TheButtonsOnTheSettingsFile) {
    const StoreCase& row = GetParam();
    CtlRunner ctl;
    if (row.saved_on != nullptr) {
        ASSERT_EQ(ctl.run({kInstant + "," + row.saved_on, "save"}), 0) << ctl.console.err();
        EXPECT_EQ(ctl.console.err(), "vantrelctl: saved the chip's settings to " +
                                         ctl.simulated_settings_path() + "\n");
        // The file holds the chip's registers, as the Linux program reads them.
        // A simulated board's settings file is its own.
        platform::RegFileRegistry registry(ctl.simulated_settings_path());
        RegistryKey* key = registry.create_or_open(kSettingsKeyPath);
        ASSERT_NE(key, nullptr);
        std::uint32_t reg11 = 0;
        ASSERT_TRUE(key->query_dword("REG11", reg11));
        EXPECT_EQ(reg11, ctl.chip_registers[REG11]);
    }
    CtlRunner load;
    // A directory named with --settings must be there, whether or not the file is.
    std::filesystem::create_directories(
        std::filesystem::path(ctl.simulated_settings_path()).parent_path());
    EXPECT_EQ(load.run({kInstant + "," + row.loaded_on, "load", "--settings",
                        ctl.simulated_settings_path(), "--no-verify"}),
              row.status);
    EXPECT_EQ(load.messages(), row.messages);
    if (row.cpu_ext != nullptr) {
        EXPECT_NE(load.console.out().find(row.cpu_ext), std::string::npos) << load.console.out();
        EXPECT_EQ(load.workflows(), 1u);
    } else {
        EXPECT_EQ(load.workflows(), 0u);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Sets, CtlSaveLoad, ::testing::Values(
    StoreCase{"BackAt150", "n=149", "hub=ba", 0, {}, "CPU external      :  150.000 MHz"},
    StoreCase{"WithDelaysAndSpread", "n=140,spread=on,depth=3,delay-sdram=450ps", "hub=ab", 0, {}, "CPU external      :  141.000 MHz"},
    StoreCase{"NothingSaved", nullptr, "hub=ba", 2, {"Settings Data Crushed!"}, nullptr},
    StoreCase{"OtherStraps", "dividers=4/3", "dividers=3/3", 2, {"Cannot Apply These Settings!"}, nullptr}),
    test::ByLabel());
// clang-format on

TEST(CtlSaveLoad, NoSettingsFileIsSaid) {
    CtlRunner ctl;
    // The settings file cannot be used: a directory stands where it should be.
    std::filesystem::create_directories(ctl.simulated_settings_path());
    const std::string reason =
        "vantrelctl: settings file " + ctl.simulated_settings_path() + ": it is not a regular file";
    EXPECT_EQ(ctl.run({kInstant, "save"}), 1);
    EXPECT_EQ(ctl.messages(), std::vector<std::string>{"Cannot Save Settings!"});
    EXPECT_EQ(ctl.err_lines().at(1), reason);
    CtlRunner load;
    EXPECT_EQ(load.run({kInstant, "load", "--settings", ctl.simulated_settings_path()}), 1);
    EXPECT_EQ(load.messages(), std::vector<std::string>{"Cannot Load Settings!"});
    EXPECT_EQ(load.err_lines().at(1), reason);
}

struct BusCase {
    const char* label;
    std::vector<std::string> args;  // a board and a command; --bus goes in front
    const char* machine;            // the options of "this machine", for a row without --simulate
    int status;
    std::vector<std::string> messages;
};

class CtlBothBuses : public ::testing::TestWithParam<BusCase> {};

// What a run shows of the chip, without the line or key that names the path.
std::string without_path(const std::string& out) {
    std::string kept;
    std::size_t start = 0;
    while (start < out.size()) {
        const std::size_t end = out.find('\n', start);
        const std::string line = out.substr(start, end - start);
        if (!line.starts_with("SMBus path") && !line.starts_with("  \"bus\"")) {
            kept += line + "\n";
        }
        start = end == std::string::npos ? out.size() : end + 1;
    }
    return kept;
}

// The command line over the kernel's i2c-dev node and over the ports: the same output,
// messages, exit status and registers, each run saying which path it took.
TEST_P(CtlBothBuses, SameResultOverTheKernelAndThePorts) {
    const BusCase& row = GetParam();
    std::string out[2];
    std::vector<std::uint8_t> registers[2];
    const char* const buses[] = {"ports", "kernel"};
    const char* const paths[] = {"direct port I/O", "kernel i2c-dev /dev/i2c-0"};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(buses[i]);
        CtlRunner ctl;
        ctl.machine_options = row.machine;
        std::vector<std::string> args = {"--bus", buses[i]};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const bool simulated = args[2].starts_with("--simulate");
        if (std::find(args.begin(), args.end(), "load") != args.end()) {
            // Settings saved over the ports on another board, in the simulated board's file.
            CtlRunner saver;
            std::filesystem::create_directories(
                std::filesystem::path(ctl.simulated_settings_path()).parent_path());
            ASSERT_EQ(saver.run({kInstant + ",n=149,spread=on,depth=3", "save", "--settings",
                                 ctl.simulated_settings_path()}),
                      0);
        }
        EXPECT_EQ(ctl.run(args), row.status) << ctl.console.err();
        EXPECT_EQ(ctl.messages(), row.messages);
        const std::string& printed = ctl.console.out();
        if (printed.starts_with("SMBus controller")) {
            EXPECT_NE(printed.find(
                          std::string("SMBus path        : ") + paths[i] +
                          (simulated ? " of the simulated board, not of this machine" : "") + "\n"),
                      std::string::npos)
                << printed;
        } else if (printed.starts_with("{")) {
            EXPECT_NE(printed.find(std::string("\"bus\": \"") + paths[i] + "\""), std::string::npos)
                << printed;
        }
        out[i] = without_path(ctl.console.out());
        registers[i] = ctl.chip_registers;
    }
    EXPECT_EQ(out[0], out[1]);
    EXPECT_EQ(registers[0], registers[1]);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Commands, CtlBothBuses, ::testing::Values(
    BusCase{"Show", {kInstant + ",hub=aa,dividers=4/3", "show"}, "", 0, {}},
    BusCase{"Json", {kInstant, "show", "--json"}, "", 0, {}},
    BusCase{"Dump", {kInstant + ",n=140", "dump"}, "", 0, {}},
    BusCase{"Set", {kInstant, "set", "--cpu-ext", "145", "--spread", "on", "--delay-pci", "300ps", "--verify"}, "", 0, {}},
    BusCase{"SetInSteps", {kInstant, "set", "--cpu-ext", "150", "--step", "5"}, "", 0, {}},
    BusCase{"CommitOfNFails", {kInstant + ",fault=device-error:word-write:reg=11", "set", "--cpu-ext", "150"}, "", 1, {"Cannot Change Some Clock Settings!"}},
    BusCase{"EnhancedModeTimesOut", {kInstant + ",fault=timeout:block-write:nth=3", "set", "--cpu-ext", "150"}, "", 1, {"Enable Enhanced-Mode Failed!"}},
    BusCase{"WriteDropped", {kInstant + ",fault=drop-write:word-write:reg=11", "set", "--cpu-ext", "150", "--verify"}, "", 4, {}},
    BusCase{"Load", {kInstant, "load", "--verify"}, "", 0, {}},
    BusCase{"ThisMachine", {"-y", "set", "--cpu-ext", "140"}, "pauses=instant,hub=ab", 0, {}}),
    test::ByLabel());
// clang-format on

// Two bus hazards, on both paths: a chip that delivers fewer bytes than a block write would
// send back (at detection, and when an apply enters enhanced mode; the kernel refuses a count
// of 0 itself, the ports leave it to the block write), and a base whose block would wrap onto
// the DMA controller's ports. Each fails before a byte of it goes out, so registers 0x00 to 0x0F
// stay as the board started (REG00 0x41 among them).
struct HazardCase {
    const char* label;
    std::vector<std::string> args;
    const char* message;
};

class CtlBusHazard : public ::testing::TestWithParam<HazardCase> {};

TEST_P(CtlBusHazard, FailsBeforeAByteOfItGoesOut) {
    const HazardCase& row = GetParam();
    sim::SimBoard fresh;
    for (const char* bus : {"ports", "kernel"}) {
        SCOPED_TRACE(bus);
        CtlRunner ctl;
        std::vector<std::string> args = {"--bus", bus};
        args.insert(args.end(), row.args.begin(), row.args.end());
        EXPECT_EQ(ctl.run(args), 1) << ctl.console.err();
        EXPECT_EQ(ctl.messages(), std::vector<std::string>{row.message});
        ASSERT_GE(ctl.chip_registers.size(), 0x10u);
        for (std::uint8_t reg = 0; reg < 0x10; ++reg) {
            EXPECT_EQ(ctl.chip_registers[reg], fresh.chip().reg(reg)) << int{reg};
        }
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Boards, CtlBusHazard, ::testing::Values(
    HazardCase{"DetectionReadsShort", {kInstant + ",fault=block-count=0:block-read,fault=block-count=0:block-read:nth=2", "show"}, "Cannot Find VXC812-07 Clock Generator!"},
    HazardCase{"EnterReadsShort", {kInstant + ",fault=block-count=0:block-read:nth=5", "set", "--cpu-ext", "150"}, "Enable Enhanced-Mode Failed!"},
    HazardCase{"BaseOfAHiddenFunction", {kInstant + ",base=0xffff", "show"}, "Cannot Get SM Base Address!"},
    HazardCase{"BaseWithReservedBits", {kInstant + ",base=0xe80f", "show"}, "Cannot Get SM Base Address!"}),
    test::ByLabel());
// clang-format on

// Without a hub the kernel knows, the kernel path is refused before anything is touched, on a
// simulated board as on this machine; over the ports the dialog finds no controller.
TEST(CtlBothBuses, NoHubRefusesTheKernelPath) {
    const std::string refusal =
        "vantrelctl: The kernel sees no supported SMBus controller (the SMBus function of an "
        "Intel 82801AA, 82801AB or 82801BA), so the kernel path cannot be used.";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--bus", "kernel", kInstant + ",hub=none", "show"},
          std::vector<std::string>{"--bus", "kernel", "-y", "show"}}) {
        CtlRunner ctl;
        ctl.machine_options = "pauses=instant,hub=none";
        EXPECT_EQ(ctl.run(args), 3);
        EXPECT_EQ(first_line(ctl.console.err()), refusal);
        EXPECT_EQ(ctl.console.out(), "");
        EXPECT_TRUE(ctl.transfers.empty());
    }
    CtlRunner ports;
    EXPECT_EQ(ports.run({"--bus", "ports", kInstant + ",hub=none", "show"}), 1);
    EXPECT_EQ(ports.messages(), std::vector<std::string>{"Cannot Get SM Base Address!"});
}

}  // namespace
}  // namespace vantrel
