// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "app/core/program_records.h"
#include "clockgen/registers.h"
#include "platform/linux/bus_choice.h"
#include "sim/board_options.h"
#include "sim/linux/sim_machine.h"
#include "sim/simulated_machine.h"
#include "support/ctl_runner.h"
#include "support/param_name.h"

namespace vantrel {
namespace {

using test::PrintTo;

// The file-reading seam: one file, "board.txt", whose content a row sets; any other path is
// missing.
const char* g_board_file = nullptr;

bool read_board_file(const std::string& path, std::size_t, std::string& text, std::string& error) {
    if (path != "board.txt" || g_board_file == nullptr) {
        error = std::strerror(ENOENT);
        return false;
    }
    text = g_board_file;
    return true;
}

constexpr const char* kRows10And20 =
    "10: 09 95 93 1f 00 00 00 00 00 00 00 00 00 00 00 48\n"
    "20: 00 e4 c5 07 XX XX XX XX XX XX XX XX XX XX XX XX\n";

struct BuildCase {
    const char* label;
    const char* options;
    const char* file;   // the content of board.txt, or nullptr when it is missing
    const char* error;  // nullptr when the machine is made
    std::vector<std::string> notes;
    std::uint8_t reg11;
    std::uint64_t real_ms_of_a_transfer_pause;
};

class SimulatedMachineBuild : public ::testing::TestWithParam<BuildCase> {};

// The simulated board's machine: the options and their dump through the seam, the notes, and
// whether its pauses are felt.
TEST_P(SimulatedMachineBuild, MakesTheBoardTheOptionsDescribe) {
    const BuildCase& row = GetParam();
    sim::BoardOptions options;
    std::string error;
    ASSERT_TRUE(sim::parse_board_options(row.options, options, error)) << error;
    g_board_file = row.file;
    ProgramRecords records;
    test::CountingSleeper real;
    auto machine = sim::make_simulated_machine(options, read_board_file, real,
                                               records.machine_records(), error);
    if (row.error != nullptr) {
        EXPECT_EQ(machine, nullptr);
        EXPECT_EQ(error, row.error);
        return;
    }
    ASSERT_NE(machine, nullptr) << error;
    EXPECT_EQ(machine->notes(), row.notes);
    EXPECT_EQ(machine->bus_path(), "direct port I/O");
    EXPECT_EQ(machine->refusal(), "");
    EXPECT_EQ(machine->board().chip().reg(REG11), row.reg11);
    EXPECT_EQ(machine->backend().detect_smbus_controller(), 1);
    EXPECT_EQ(records.controller.kind, ChipsetKind::ICH_82801BA);
    machine->sleeper().sleep_ms(kSmbTransferPauseMs);
    EXPECT_EQ(real.total_ms, row.real_ms_of_a_transfer_pause);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Options, SimulatedMachineBuild, ::testing::Values(
    BuildCase{"Default", "", nullptr, nullptr, {}, 132, kSmbTransferPauseMs},
    BuildCase{"InstantPauses", "pauses=instant", nullptr, nullptr, {}, 132, 0},
    BuildCase{"PartialDump", "dump=board.txt,pauses=instant", kRows10And20, nullptr,
              {"board.txt gives no value for registers 0x00-0x0f; the simulated chip keeps its own"}, 0x95, 0},
    BuildCase{"MissingDump", "dump=board.txt", nullptr, "register dump board.txt: No such file or directory", {}, 0, 0},
    BuildCase{"OtherDumpMissing", "dump=other.txt", kRows10And20, "register dump other.txt: No such file or directory", {}, 0, 0},
    BuildCase{"MalformedDump", "dump=board.txt", "10: 09 95\n", "board.txt: line 1: row 10 has 2 cells; a row has 16", {}, 0, 0}),
    test::ByLabel());
// clang-format on

struct BusCase {
    const char* label;
    const char* options;
    platform::BusRequest request;
    const char* bus_path;
    bool refused;
    int found;  // what detection returns
};

class SimulatedMachineBus : public ::testing::TestWithParam<BusCase> {};

// The simulated board as a Linux program reaches it: the ports unless the kernel path is asked
// for, and a refusal that still leaves a machine whose bus finds nothing.
TEST_P(SimulatedMachineBus, ReachesTheBusAsAsked) {
    const BusCase& row = GetParam();
    sim::BoardOptions options;
    std::string error;
    ASSERT_TRUE(sim::parse_board_options(row.options, options, error)) << error;
    ProgramRecords records;
    test::CountingSleeper real;
    auto machine =
        sim::make_simulated_machine(options, row.request, real, records.machine_records(), error);
    ASSERT_NE(machine, nullptr) << error;
    EXPECT_EQ(machine->bus_path(), row.bus_path);
    EXPECT_EQ(!machine->refusal().empty(), row.refused) << machine->refusal();
    EXPECT_EQ(machine->backend().detect_smbus_controller(), row.found);
    const std::size_t port_transfers = machine->board().smbus().transfers().size();
    std::uint8_t value = 0;
    EXPECT_EQ(machine->backend().transfers().block_read(value), row.found);
    // Over the kernel path the chip is reached through the node, never the board's ports.
    const bool through_ports = row.request != platform::BusRequest::Kernel;
    EXPECT_EQ(machine->board().smbus().transfers().size() > port_transfers,
              through_ports && row.found == 1);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Requests, SimulatedMachineBus, ::testing::Values(
    BusCase{"Chosen", "pauses=instant", platform::BusRequest::Auto, "direct port I/O", false, 1},
    BusCase{"Ports", "pauses=instant", platform::BusRequest::Ports, "direct port I/O", false, 1},
    BusCase{"Kernel", "pauses=instant", platform::BusRequest::Kernel, "kernel i2c-dev /dev/i2c-0", false, 1},
    BusCase{"KernelWithoutHub", "pauses=instant,hub=none", platform::BusRequest::Kernel, "", true, 0}),
    test::ByLabel());
// clang-format on

}  // namespace
}  // namespace vantrel
