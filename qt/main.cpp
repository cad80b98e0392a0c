// SPDX-License-Identifier: GPL-2.0-or-later
// vantrel: the clock generator's dialog on Linux, on this machine or on a simulated board.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/posix_stop_signals.h"
#include "platform/linux/real_sleeper.h"
#include "platform/linux/this_machine.h"
#include "qt/command_line.h"
#include "qt/program.h"
#include "res/version_info.h"
#include "sim/linux/sim_machine.h"

namespace {

using namespace vantrel;

constexpr int kBadUsage = 2;

}  // namespace

int main(int argc, char** argv) {
    const auto start = std::chrono::steady_clock::now();
    // Noted from here on and acted on when the detection or apply in progress has ended.
    const platform::PosixStopSignals stops;
    qt::CommandLine line;
    std::string error;
    if (!qt::parse_command_line(std::vector<std::string>(argv + 1, argv + argc), line, error)) {
        std::fprintf(stderr, "vantrel: %s\nTry 'vantrel --help'.\n", error.c_str());
        return kBadUsage;
    }
    if (line.action == qt::CommandLine::Action::Help) {
        std::fputs(qt::usage_text().c_str(), stdout);
        return 0;
    }
    if (line.action == qt::CommandLine::Action::Version) {
        std::printf("vantrel %.*s\n%.*s\n", static_cast<int>(res::kVersionString.size()),
                    res::kVersionString.data(), static_cast<int>(res::kLicenceLine.size()),
                    res::kLicenceLine.data());
        return 0;
    }

    ProgramRecords records;
    platform::RealSleeper real_time;  // for a simulated board whose pauses are felt
    std::unique_ptr<Machine> machine;
    sim::SimulatedMachine* simulated = nullptr;
    if (line.simulate) {
        // A refusal of its bus is shown as the run's first message, as on this machine.
        std::unique_ptr<sim::SimulatedMachine> board = sim::make_simulated_machine(
            *line.simulate, line.bus, real_time, records.machine_records(), error);
        if (!board) {
            std::fprintf(stderr, "vantrel: --simulate: %s\n", error.c_str());
            return kBadUsage;
        }
        simulated = board.get();
        machine = std::move(board);
    } else {
        // Everything that needs root happens here, before the QApplication exists: the window
        // never runs as root. On the kernel path nothing needs it, and it is given up all the
        // same once the node is open.
        machine = platform::make_this_machine(line.bus, records.machine_records(), error);
        if (!machine) {
            std::fprintf(stderr, "vantrel: %s\n", error.c_str());
            return 1;
        }
    }
    for (const std::string& note : machine->notes()) {
        std::fprintf(stderr, "vantrel: %s\n", note.c_str());
    }
    if (!machine->bus_path().empty()) {
        std::fprintf(stderr, "vantrel: bus: %s\n", machine->bus_path().c_str());
    }

    // Without a display a picture is still made, on the offscreen platform.
    if (!line.screenshot_path.empty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Qt's own options are not taken: the command line is the program's.
    int qt_argc = 1;
    QApplication app(qt_argc, argv);
    int status = qt::run_program(line, *machine, records, start, stops);
    if (simulated != nullptr && !simulated->keep_board(error)) {
        std::fprintf(stderr, "vantrel: %s\n", error.c_str());
        status = status == 0 ? 1 : status;
    }
    return status;
}
