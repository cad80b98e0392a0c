// vantrel: the clock generator's dialog on Linux, on this machine or on a simulated board.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "qt/command_line.h"
#include "qt/machine_board.h"
#include "qt/program.h"
#include "qt/simulated_board.h"
#include "res/version_info.h"

namespace {

using namespace vantrel;

constexpr int kBadUsage = 2;

}  // namespace

int main(int argc, char** argv) {
    const auto start = std::chrono::steady_clock::now();
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
        std::printf("vantrel %.*s\n", static_cast<int>(res::kVersionString.size()),
                    res::kVersionString.data());
        return 0;
    }

    ProgramRecords records;
    std::unique_ptr<qt::Board> board;
    std::string refusal;
    if (line.simulate) {
        auto simulated = std::make_unique<qt::SimulatedBoard>(records.clock, records.vendor);
        std::string note;
        if (!simulated->configure(*line.simulate, error, note)) {
            std::fprintf(stderr, "vantrel: --simulate: %s\n", error.c_str());
            return kBadUsage;
        }
        if (!note.empty()) {
            std::fprintf(stderr, "vantrel: %s\n", note.c_str());
        }
        // A refusal is shown as the run's first message, as on this machine.
        simulated->choose_bus(line.bus, records.controller, records.device_address, records.shadow,
                              refusal);
        board = std::move(simulated);
    } else {
        // Everything that needs root happens here, before the QApplication exists: the window
        // never runs as root. On the kernel path nothing needs it, and it is given up all the
        // same once the node is open.
        auto machine = std::make_unique<qt::MachineBoard>(records.clock, records.vendor);
        std::string message;
        switch (machine->prepare(line.bus, records.controller, records.device_address,
                                 records.shadow, message)) {
            case platform::HardwareAccessStatus::Ready:
                if (!message.empty()) {
                    std::fprintf(stderr, "vantrel: %s\n", message.c_str());
                }
                break;
            case platform::HardwareAccessStatus::Refused:
                // Shown as the first message of the run; the dialog then opens without a
                // controller.
                refusal = message;
                break;
            case platform::HardwareAccessStatus::AlreadyRunning:
            case platform::HardwareAccessStatus::CannotDropRoot:
                std::fprintf(stderr, "vantrel: %s\n", message.c_str());
                return 1;
        }
        if (!machine->note().empty()) {
            std::fprintf(stderr, "vantrel: %s\n", machine->note().c_str());
        }
        if (!machine->bus_reason().empty()) {
            std::fprintf(stderr, "vantrel: not the kernel path: %s\n",
                         machine->bus_reason().c_str());
        }
        board = std::move(machine);
    }
    if (!board->bus_path().empty()) {
        std::fprintf(stderr, "vantrel: bus: %s\n", board->bus_path().c_str());
    }

    // Without a display a picture is still made, on the offscreen platform.
    if (!line.screenshot_path.empty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Qt's own options are not taken: the command line is the program's.
    int qt_argc = 1;
    QApplication app(qt_argc, argv);
    return qt::run_program(line, *board, records, refusal, start);
}
