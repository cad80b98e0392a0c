#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/cli/readout.h"
#include "sim/board_options.h"
#include "support/fake_console.h"
#include "support/param_name.h"
#include "support/temp_dir.h"

namespace vantrel::cli {
namespace {

using test::FakeConsole;
using test::TempDir;

// Writes a file in the directory and returns its path.
std::string put(const TempDir& dir, const std::string& name, const std::string& content) {
    test::write_file(dir / name, content);
    return dir / name;
}

class CountingSleeper : public Sleeper {
  public:
    void sleep_ms(std::uint32_t milliseconds) override {
        ++calls;
        total_ms += milliseconds;
    }
    unsigned calls = 0;
    std::uint64_t total_ms = 0;
};

// One run of the readout program with its output kept.
struct ReadoutRun {
    FakeConsole console;
    CountingSleeper real_time;
    unsigned machine_reads = 0;
    int status = -1;

    explicit ReadoutRun(const std::vector<std::string>& args) {
        status = run_readout(args, {console, real_time, [this](Console& c) {
                                        ++machine_reads;
                                        c.out("this machine\n");
                                        return kExitOk;
                                    }});
    }
};

// The directory the rows' files are made in, and a file per name.
TempDir& files() {
    static TempDir dir;
    return dir;
}

const std::string kGrid =
    "00: 02 ff 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
    "10: 09 95 93 1f 00 00 00 00 00 00 00 00 00 00 00 48\n"
    "20: 00 e4 c5 07 XX XX XX XX XX XX XX XX XX XX XX XX\n";

struct HelpCase {
    const char* label;
    std::vector<std::string> args;
};

void PrintTo(const HelpCase& row, std::ostream* os) {
    *os << row.label;
}

class ReadoutHelp : public ::testing::TestWithParam<HelpCase> {};

TEST_P(ReadoutHelp, UsageOnStandardOutput) {
    ReadoutRun run(GetParam().args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.console.out(), readout_usage());
    EXPECT_EQ(run.console.err(), "");
    EXPECT_EQ(run.machine_reads, 0u);
}

INSTANTIATE_TEST_SUITE_P(Arguments, ReadoutHelp,
                         ::testing::Values(HelpCase{"Long", {"--help"}}, HelpCase{"Short", {"-h"}},
                                           HelpCase{"AfterAnOption", {"--hub", "aa", "-h"}}),
                         test::ByLabel());

TEST(ReadoutUsage, ExplainsTheBoardOptionsAndThatHardwareIsWritten) {
    const std::string usage = readout_usage();
    EXPECT_NE(usage.find(std::string(sim::board_options_help())), std::string::npos);
    EXPECT_NE(usage.find("not a\n                        passive read"), std::string::npos);
}

struct ErrorCase {
    const char* label;
    std::vector<std::string> args;
    std::string error;  // the first line on standard error
};

void PrintTo(const ErrorCase& row, std::ostream* os) {
    *os << row.label;
}

class ReadoutErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ReadoutErrors, NameTheArgumentAndExit2) {
    ReadoutRun run(GetParam().args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.console.out(), "");
    const std::string& err = run.console.err();
    EXPECT_EQ(err.substr(0, err.find('\n')), GetParam().error);
    EXPECT_EQ(run.machine_reads, 0u);
}

const std::string kDividers = ": the dividers are CPU/SDRAM: 3, 4 or 6, then 3 or 4 (e.g. 4/3)";

INSTANTIATE_TEST_SUITE_P(
    Arguments, ReadoutErrors,
    ::testing::Values(
        ErrorCase{"TrailingText",
                  {"--dividers", "4/3xyz"},
                  "vantrel-readout: --dividers 4/3xyz: \"dividers=4/3xyz\"" + kDividers},
        ErrorCase{"ThreeNumbers",
                  {"--dividers=4/3/7"},
                  "vantrel-readout: --dividers=4/3/7: \"dividers=4/3/7\"" + kDividers},
        ErrorCase{"Sign",
                  {"--dividers", "+4/3"},
                  "vantrel-readout: --dividers +4/3: \"dividers=+4/3\"" + kDividers},
        ErrorCase{
            "Wraps",
            {"--dividers", "4294967300/3"},
            "vantrel-readout: --dividers 4294967300/3: \"dividers=4294967300/3\"" + kDividers},
        ErrorCase{"MissingValue", {"--hub"}, "vantrel-readout: --hub needs a value"},
        ErrorCase{"UnknownHub",
                  {"--hub", "xx"},
                  "vantrel-readout: --hub xx: \"hub=xx\": the hub is aa, ab, ba, none or a PCI "
                  "ID such as 0x71138086"},
        ErrorCase{"Unknown", {"--verbose"}, "vantrel-readout: unknown argument \"--verbose\""},
        ErrorCase{"TwiceAcrossArguments",
                  {"--simulate=pauses=instant,hub=aa", "--hub", "ab"},
                  "vantrel-readout: --hub ab: \"hub=ab\": hub is given twice"},
        ErrorCase{"BadSimulateOption",
                  {"--simulate=pauses=instant,model=9"},
                  "vantrel-readout: --simulate=pauses=instant,model=9: \"model=9\": the spread "
                  "model is 0 to 7"},
        ErrorCase{"HardwareAndSimulated",
                  {"--hardware", "--dividers", "4/3"},
                  "vantrel-readout: --dividers 4/3: --hardware reads this machine, not a "
                  "simulated board"},
        ErrorCase{"DumpIsADirectory",
                  {"--chip-dump", "/"},
                  "vantrel-readout: register dump /: is a directory, not a file"},
        ErrorCase{"DumpIsEndless",
                  {"--chip-dump", "/dev/zero"},
                  "vantrel-readout: register dump /dev/zero: is not a regular file"},
        ErrorCase{
            "DumpTooLarge",
            {"--chip-dump", put(files(), "large", std::string(sim::kMaxDumpFileBytes + 1, '\n'))},
            "vantrel-readout: register dump " + files().path() +
                "/large: is larger than 1048576 bytes"},
        ErrorCase{"DumpMissing",
                  {"--chip-dump", files().path() + "/none"},
                  "vantrel-readout: register dump " + files().path() +
                      "/none: No such file or directory"},
        ErrorCase{
            "DumpMalformed",
            {"--simulate=pauses=instant", "--chip-dump", put(files(), "short", "10: 09 95 93\n")},
            "vantrel-readout: " + files().path() +
                "/short: line 1: row 10 has 3 cells; a row has 16"}),
    test::ByLabel());

struct FailedCase {
    const char* label;
    const char* options;
    const char* out;
    const char* err;
};

void PrintTo(const FailedCase& row, std::ostream* os) {
    *os << row.label;
}

class ReadoutFailedDetection : public ::testing::TestWithParam<FailedCase> {};

TEST_P(ReadoutFailedDetection, PrintsWhatWasFoundAndFails) {
    ReadoutRun run({GetParam().options});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.console.out(), GetParam().out);
    EXPECT_EQ(run.console.err(), GetParam().err);
}

INSTANTIATE_TEST_SUITE_P(
    Boards, ReadoutFailedDetection,
    ::testing::Values(FailedCase{"NoController", "--simulate=pauses=instant,hub=none",
                                 "Vantrel readout (simulated board)\n\n",
                                 "Cannot Get SM Base Address!\n"},
                      FailedCase{"NoChip",
                                 "--simulate=pauses=instant,fault=device-error:block-read",
                                 "Vantrel readout (simulated board)\n\n"
                                 "SMBus controller  : Intel 82801BA\n"
                                 "SMBus I/O base    : 0xE800\n",
                                 "Cannot Find VXC812-07 Clock Generator!\n"}),
    test::ByLabel());

struct RoundTripCase {
    const char* label;
    const char* options;
};

void PrintTo(const RoundTripCase& row, std::ostream* os) {
    *os << row.label;
}

class ReadoutRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(ReadoutRoundTrip, OwnOutputLoadsBackAsTheSameBoard) {
    ReadoutRun first({std::string("--simulate=pauses=instant,") + GetParam().options});
    ASSERT_EQ(first.status, 0) << first.console.err();
    TempDir dir;
    const std::string saved = put(dir, "readout.txt", first.console.out());

    ReadoutRun second({"--simulate=pauses=instant", "--chip-dump", saved});
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(second.console.err(), "");
    EXPECT_EQ(second.console.out(), first.console.out());
}

INSTANTIATE_TEST_SUITE_P(Boards, ReadoutRoundTrip,
                         ::testing::Values(RoundTripCase{"Default", "hub=ba"},
                                           RoundTripCase{
                                               "Changed",
                                               "dividers=4/3,n=149,m=30,depth=2,spread=on,model=3,"
                                               "delay-pci=300ps,delay-3v66=150ps"},
                                           RoundTripCase{"SlowBoard", "dividers=6/4,n=100"}),
                         test::ByLabel());

TEST(ReadoutDump, APartialDumpSaysWhatItLeft) {
    TempDir dir;
    ReadoutRun run(
        {"--simulate=pauses=instant", "--chip-dump", put(dir, "rows.txt", kGrid.substr(52))});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.console.err(), "vantrel-readout: note: " + dir.path() +
                                     "/rows.txt gives no value for registers 0x00-0x0f; the "
                                     "simulated chip keeps its own\n");
    EXPECT_NE(run.console.out().find("PLL N, M          : 149, 31\n"), std::string::npos);
}

struct PauseCase {
    const char* label;
    std::vector<std::string> args;
    bool real;
};

void PrintTo(const PauseCase& row, std::ostream* os) {
    *os << row.label;
}

class ReadoutPauses : public ::testing::TestWithParam<PauseCase> {};

TEST_P(ReadoutPauses, RealOnlyWhenAsked) {
    ReadoutRun run(GetParam().args);
    ASSERT_EQ(run.status, 0) << run.console.err();
    if (GetParam().real) {
        // Every successful transfer ends with a 300 ms pause: detection alone makes 13.
        EXPECT_GE(run.real_time.total_ms, 13u * 300u);
    } else {
        EXPECT_EQ(run.real_time.calls, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Options, ReadoutPauses,
                         ::testing::Values(PauseCase{"ByDefault", {}, true},
                                           PauseCase{"Real", {"--simulate=pauses=real"}, true},
                                           PauseCase{
                                               "Instant", {"--simulate=pauses=instant"}, false}),
                         test::ByLabel());

TEST(ReadoutHardware, ReadsThisMachineAndNoSimulatedBoard) {
    ReadoutRun run({"--hardware"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.machine_reads, 1u);
    EXPECT_EQ(run.console.out(), "this machine\n");
    EXPECT_EQ(run.real_time.calls, 0u);
}

}  // namespace
}  // namespace vantrel::cli
