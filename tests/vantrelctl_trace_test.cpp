// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <filesystem>
#include <string>
#include <vector>

#include "bus/register_dump.h"
#include "clockgen/clock_chip.h"
#include "clockgen/registers.h"
#include "ctl/bus_watch.h"
#include "ctl/failure_text.h"
#include "platform/linux/kernel/i2c_dev_bus.h"
#include "sim/fault_grammar.h"
#include "sim/linux/sim_i2c_dev.h"
#include "sim/linux/sim_sysfs.h"
#include "support/ctl_runner.h"
#include "support/dialog_harness.h"
#include "support/fake_console.h"
#include "support/param_name.h"
#include "support/sim_bus.h"

// What vantrelctl shows of the bus at work: the transfer trace against the simulated board's
// own record on both paths, the progress line, and the undo kept before every change.

namespace vantrel {
namespace {

using test::CtlRunner;
using test::PrintTo;

const std::string kInstant = "--simulate=pauses=instant";
constexpr std::string_view kTrace = "vantrelctl: trace: ";

// Both ways to the simulated chip, each with the record the simulation keeps of what crossed
// it. Faults are injected where the options would put them.
struct PortPath {
    test::SimBus bus;
    SmbusTransfers& transfers() { return bus.host; }
    void inject(const sim::Fault& fault) { bus.board.smbus().inject(fault); }
    const std::vector<sim::TransferRecord>& record() { return bus.board.smbus().transfers(); }
};

struct KernelPath {
    sim::SimClockChip chip;
    sim::SimTime time;
    sim::SimulatedI2cDev dev;
    SmbusController controller;
    DeviceAddress device;
    RegisterShadow shadow;
    platform::I2cDevBus bus{dev,    *sim::simulated_smbus_sysfs(0x24408086, 0xE800).adapter,
                            time,   controller,
                            device, shadow};
    KernelPath() {
        dev.attach(kClockChipAddress, chip);
        platform::I2cDevOpenFailure failure;
        EXPECT_TRUE(bus.open(failure));
    }
    SmbusTransfers& transfers() { return bus; }
    void inject(const sim::Fault& fault) { dev.inject(fault); }
    const std::vector<sim::TransferRecord>& record() { return dev.transfers(); }
};

// One trace line of a transfer, read back.
struct Traced {
    std::string kind;
    std::string reg;
    std::vector<unsigned> bytes;
    bool ok;
};

std::vector<Traced> traced_transfers(const std::string& err, unsigned& port_lines) {
    std::vector<Traced> traced;
    std::istringstream lines(err);
    std::string line;
    port_lines = 0;
    while (std::getline(lines, line)) {
        if (!line.starts_with(kTrace)) {
            continue;
        }
        line = line.substr(kTrace.size());
        if (line.starts_with("  ")) {
            ++port_lines;
            continue;
        }
        // "word write REG11 [1]: 84 ok"
        Traced t;
        const std::size_t reg_at = line.find(" REG");
        t.kind = line.substr(0, reg_at);
        t.reg = line.substr(reg_at + 1, 5);
        std::istringstream rest(line.substr(line.find("]:") + 2));
        std::string word;
        while (rest >> word && word != "ok" && word != "failed:") {
            t.bytes.push_back(static_cast<unsigned>(std::stoul(word, nullptr, 16)));
        }
        t.ok = word == "ok";
        traced.push_back(t);
    }
    return traced;
}

// The two enums list the four transfers in the same order.
TransferFailure::Transfer kind_of(sim::TransferKind kind) {
    return static_cast<TransferFailure::Transfer>(kind);
}

// The trace matches what the board saw, transfer by transfer: kind, register and outcome, and
// for one that went through the register bytes (a word's wire data is its count, then them).
void expect_trace_matches(const std::string& err, const std::vector<sim::TransferRecord>& record,
                          unsigned& port_lines) {
    const std::vector<Traced> traced = traced_transfers(err, port_lines);
    ASSERT_EQ(traced.size(), record.size()) << err;
    for (std::size_t i = 0; i < record.size(); ++i) {
        const sim::TransferRecord& r = record[i];
        SCOPED_TRACE("transfer " + std::to_string(i + 1));
        EXPECT_EQ(traced[i].kind, cli::transfer_name(kind_of(r.kind)));
        EXPECT_EQ(traced[i].reg, cli::register_name(r.reg));
        EXPECT_EQ(traced[i].ok, r.ok);
        if (r.ok) {
            const std::vector<std::uint8_t> wire =
                sim::is_block(r.kind) ? r.data
                                      : std::vector<std::uint8_t>(r.data.begin() + 1, r.data.end());
            EXPECT_EQ(traced[i].bytes, std::vector<unsigned>(wire.begin(), wire.end()));
        }
    }
}

struct TraceCase {
    const char* label;
    bool kernel;
    const char* fault;  // in the --simulate grammar, or empty
};

class TraceOfTransfers : public ::testing::TestWithParam<TraceCase> {};

// Detection, then one change of each kind of write, each tried whatever the last one did.
template <class Path>
void run_on(Path& path, const TraceCase& row, std::string& err,
            std::vector<sim::TransferRecord>& record) {
    if (row.fault[0] != '\0') {
        sim::Fault fault;
        std::string error;
        ASSERT_TRUE(sim::parse_fault(row.fault, fault, error)) << error;
        path.inject(fault);
    }
    test::FakeConsole console;
    cli::BusWatch watch(console, true, true);
    path.transfers().set_observer(&watch);
    ClockState clock;
    ClockChip chip(path.transfers(), clock);
    chip.detect();
    chip.enter_enhanced_mode();
    path.transfers().write_register(REG21, 0x15);
    chip.commit_pll();
    chip.leave_enhanced_mode();
    path.transfers().set_observer(nullptr);
    err = console.err();
    record = path.record();
}

TEST_P(TraceOfTransfers, MatchesTheBoardsRecord) {
    const TraceCase& row = GetParam();
    std::string err;
    std::vector<sim::TransferRecord> record;
    if (row.kernel) {
        KernelPath path;
        run_on(path, row, err, record);
    } else {
        PortPath path;
        run_on(path, row, err, record);
    }
    ASSERT_FALSE(record.empty());
    unsigned port_lines = 0;
    expect_trace_matches(err, record, port_lines);
    // Only the port path has ports to show; the kernel makes each transfer whole.
    EXPECT_EQ(port_lines > 0, !row.kernel);
    EXPECT_EQ(err.find('\r'), std::string::npos) << "no terminal, no progress line";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Paths, TraceOfTransfers, ::testing::Values(
    TraceCase{"Ports", false, ""},
    TraceCase{"Kernel", true, ""},
    TraceCase{"PortsWordWriteNak", false, "device-error:word-write:reg=21"},
    TraceCase{"KernelWordWriteNak", true, "device-error:word-write:reg=21"},
    TraceCase{"PortsReadTimeout", false, "timeout:word-read:reg=13"},
    TraceCase{"KernelReadTimeout", true, "timeout:word-read:reg=13"},
    TraceCase{"PortsBlockWriteMidway", false, "bus-error:block-write:nth=3:byte=5"},
    TraceCase{"KernelBlockReadFailed", true, "failed:block-read:nth=2"}),
    test::ByLabel());
// clang-format on

// The whole command: the trace on standard error, transfer for transfer the board's, and
// nothing of it on standard output.
TEST(Trace, VantrelctlTracesEveryTransfer) {
    CtlRunner ctl;
    ASSERT_EQ(ctl.run({kInstant + ",fault=device-error:word-write:reg=22", "--trace", "set",
                       "--cpu-ext", "140", "--no-verify"}),
              1);
    unsigned port_lines = 0;
    expect_trace_matches(ctl.console.err(), ctl.transfers, port_lines);
    EXPECT_GT(port_lines, 0u);
    EXPECT_EQ(ctl.console.out().find("trace"), std::string::npos);
}

// The progress line: only on a terminal and without -q, redrawn in place, gone at the end, and
// never on standard output.
struct ProgressCase {
    const char* label;
    std::vector<std::string> args;
    bool terminal;
    std::vector<std::string> stages;  // shown, in order; none when the line is off
};

class ProgressLine : public ::testing::TestWithParam<ProgressCase> {};

constexpr std::string_view kErase = "\r\x1b[K";

TEST_P(ProgressLine, OnlyOnATerminal) {
    const ProgressCase& row = GetParam();
    CtlRunner ctl;
    ctl.console.err_terminal = row.terminal;
    std::vector<std::string> args = {kInstant};
    args.insert(args.end(), row.args.begin(), row.args.end());
    ASSERT_EQ(ctl.run(args), 0) << ctl.console.err();
    const std::string& err = ctl.console.err();
    EXPECT_EQ(ctl.console.out().find('\r'), std::string::npos);
    // A progress line is drawn after an erase and ends without a newline, before the next
    // erase; an erase also comes before any other text once a line is shown.
    std::vector<std::string> stages;
    std::size_t last_line = std::string::npos;
    for (std::size_t at = err.find(kErase); at != std::string::npos;
         at = err.find(kErase, at + 1)) {
        const std::size_t start = at + kErase.size();
        const std::string drawn = err.substr(start, err.find_first_of("\r\n", start) - start);
        if (!drawn.starts_with("vantrelctl: ") || !drawn.ends_with(" done")) {
            continue;
        }
        last_line = at;
        const std::string stage = drawn.substr(12, drawn.find(',') - 12);
        if (stages.empty() || stages.back() != stage) {
            stages.push_back(stage);
        }
    }
    EXPECT_EQ(stages, row.stages);
    if (last_line != std::string::npos) {
        // Cleared once the work is done: an erase follows the last line drawn.
        EXPECT_NE(err.find(kErase, last_line + 1), std::string::npos);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Commands, ProgressLine, ::testing::Values(
    ProgressCase{"Show", {"show"}, true, {"finding the chip"}},
    ProgressCase{"SetWithReadBack", {"set", "--cpu-ext", "140"}, true, {"finding the chip", "applying", "reading back"}},
    ProgressCase{"Dump", {"dump"}, true, {"finding the chip", "reading the registers"}},
    ProgressCase{"NotATerminal", {"set", "--cpu-ext", "140"}, false, {}},
    ProgressCase{"Quiet", {"-q", "set", "--cpu-ext", "140"}, true, {}},
    ProgressCase{"QuietLong", {"show", "--quiet"}, true, {}}),
    test::ByLabel());
// clang-format on

bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// The registers an apply writes, as the chip holds them.
std::vector<std::uint8_t> applied(const std::vector<std::uint8_t>& chip) {
    return {chip.at(REG11), chip.at(REG12),
            chip.at(REG13), chip.at(REG21),
            chip.at(REG22), static_cast<std::uint8_t>(chip.at(REG00) & kReg00SpreadEnable)};
}

// The chip's end state as an i2cdump file, so a later run starts where this one ended.
std::string dump_file(const CtlRunner& ctl, const std::string& name) {
    const std::string path = ctl.dir / name;
    const std::size_t count = ctl.chip_registers.size();
    const auto known = std::make_unique<bool[]>(count);
    std::fill_n(known.get(), count, true);
    std::ofstream(path) << format_register_dump(ctl.chip_registers.data(), known.get(), count);
    return path;
}

// A change keeps the chip's settings as the profile "previous" first, and undo puts them back:
// the chip ends as it was before the change. Undoing again redoes it.
TEST(Undo, PutsTheChipBackAsItWas) {
    CtlRunner ctl;
    const std::string board = kInstant + ",spread=on,model=3";
    ASSERT_EQ(ctl.run({board, "show"}), 0);
    const std::vector<std::uint8_t> before = applied(ctl.chip_registers);

    ASSERT_EQ(
        ctl.run({board, "set", "--cpu-ext", "140", "--delay-cpu", "300ps", "--spread", "off"}), 0)
        << ctl.console.err();
    const std::vector<std::uint8_t> changed = applied(ctl.chip_registers);
    ASSERT_NE(changed, before);
    const std::string previous = ctl.dir / "simulated/profiles/previous.reg";
    ASSERT_TRUE(exists(previous));
    EXPECT_FALSE(exists(ctl.dir / "simulated/profiles/previous.1.reg"));

    // A dump alone: any other option would change the registers it gives.
    ASSERT_EQ(ctl.run({kInstant + ",dump=" + dump_file(ctl, "changed.txt"), "undo"}), 0)
        << ctl.console.err();
    EXPECT_EQ(applied(ctl.chip_registers), before);
    EXPECT_TRUE(exists(ctl.dir / "simulated/profiles/previous.1.reg"));

    ASSERT_EQ(ctl.run({kInstant + ",dump=" + dump_file(ctl, "undone.txt"), "undo"}), 0)
        << ctl.console.err();
    EXPECT_EQ(applied(ctl.chip_registers), changed);
}

// The profile is written only when a change is about to be sent.
struct KeptCase {
    const char* label;
    std::vector<std::string> args;
    int status;
    bool kept;
};

class UndoKept : public ::testing::TestWithParam<KeptCase> {};

TEST_P(UndoKept, OnlyBeforeAChangeIsSent) {
    const KeptCase& row = GetParam();
    CtlRunner ctl;
    if (!row.args.empty() && row.args.front() == "load") {
        ASSERT_EQ(ctl.run({kInstant, "save"}), 0);
    }
    std::vector<std::string> args = {kInstant};
    args.insert(args.end(), row.args.begin(), row.args.end());
    EXPECT_EQ(ctl.run(args), row.status) << ctl.console.err();
    EXPECT_EQ(exists(ctl.dir / "simulated/profiles/previous.reg"), row.kept);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Commands, UndoKept, ::testing::Values(
    KeptCase{"Set", {"set", "--delay-pci", "150ps"}, 0, true},
    KeptCase{"Load", {"load"}, 0, true},
    KeptCase{"SetDryRun", {"set", "--cpu-ext", "140", "--dry-run"}, 0, false},
    KeptCase{"LoadDryRun", {"load", "--dry-run"}, 0, false},
    KeptCase{"Show", {"show"}, 0, false},
    KeptCase{"Save", {"save"}, 0, false},
    KeptCase{"NothingToUndo", {"undo"}, 2, false},
    KeptCase{"EnhancedModeRefused", {"set", "--cpu-ext", "140", "--simulate=fault=device-error:block-write:nth=3"}, 1, true}),
    test::ByLabel());
// clang-format on

// A change whose settings cannot be kept for an undo is not made: nothing reaches the chip.
TEST(Undo, NoChangeWithoutTheBackup) {
    CtlRunner ctl;
    std::filesystem::create_directories(ctl.dir / "simulated");
    std::ofstream(ctl.dir / "simulated/profiles") << "not a directory\n";
    EXPECT_EQ(ctl.run({kInstant, "set", "--cpu-ext", "140"}), 1);
    EXPECT_EQ(ctl.workflows(), 0u);
    EXPECT_NE(ctl.console.err().find("not changing the clock: the chip's settings could not be "
                                     "kept as the profile previous for an undo ("),
              std::string::npos)
        << ctl.console.err();
}

// The dialog's side of the undo: the backup hears the mirror once the request is checked and
// before anything is written, and one it refuses stops the apply with nothing sent.
class RecordingBackup : public ChangeBackup {
  public:
    explicit RecordingBackup(bool accept) : accept_(accept) {}
    bool keep(const RegisterShadow& chip) override {
        kept.push_back(chip);
        return accept_;
    }
    std::vector<RegisterShadow> kept;

  private:
    bool accept_;
};

struct BackupCase {
    const char* label;
    const char* typed;  // into the frequency box
    bool accept;
    bool heard;
    bool sent;  // whether any transfer followed
};

class ApplyBackup : public ::testing::TestWithParam<BackupCase> {};

TEST_P(ApplyBackup, HeardJustBeforeTheFirstWrite) {
    const BackupCase& row = GetParam();
    test::DialogHarness h;
    h.init();
    RecordingBackup backup(row.accept);
    h.dialog.set_change_backup(&backup);
    const RegisterShadow before = h.shadow;
    h.controls.type(IDC_FREQ_EDIT, row.typed);
    h.dialog.run_settings();
    ASSERT_EQ(backup.kept.size(), row.heard ? 1u : 0u);
    if (row.heard) {
        EXPECT_EQ(backup.kept[0].bytes, before.bytes);
    }
    EXPECT_EQ(!h.new_transfers().empty(), row.sent);
    EXPECT_EQ(h.board.chip().latch_count(), row.sent ? 1u : 0u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Requests, ApplyBackup, ::testing::Values(
    BackupCase{"Kept", "140", true, true, true},
    BackupCase{"RefusedBackupSendsNothing", "140", false, true, false},
    BackupCase{"InvalidFrequencyKeepsNothing", "251", true, false, false}),
    test::ByLabel());
// clang-format on

// profiles --json: every readable profile as an object, the same clocks as the lines show.
TEST(ProfilesJson, SameProfilesAsTheLines) {
    CtlRunner ctl;
    ASSERT_EQ(ctl.run({kInstant, "profiles", "--json"}), 0);
    EXPECT_EQ(ctl.console.out(), "{\n  \"profiles\": []\n}\n");
    ASSERT_EQ(ctl.run({kInstant, "save", "--profile", "base"}), 0);
    ASSERT_EQ(ctl.run({kInstant + ",dividers=4/3,spread=on,model=5", "save", "--profile", "fast"}),
              0);
    ctl.console.clear();
    ASSERT_EQ(ctl.run({kInstant, "profiles", "--json"}), 0) << ctl.console.err();
    EXPECT_EQ(
        ctl.console.out(),
        "{\n  \"profiles\": [\n"
        "    {\"name\": \"base\", \"clocks_mhz\": {\"cpu_ext\": 133.000, \"pci\": 33.250, "
        "\"sdram\": 133.000, \"3v66\": 66.500}, \"spread\": {\"enabled\": false, \"depth\": 0, "
        "\"model\": 0}},\n"
        "    {\"name\": \"fast\", \"clocks_mhz\": {\"cpu_ext\": 99.750, \"pci\": 33.250, "
        "\"sdram\": 133.000, \"3v66\": 66.500}, \"spread\": {\"enabled\": true, \"depth\": 0, "
        "\"model\": 5}}\n  ]\n}\n");
}

}  // namespace
}  // namespace vantrel
