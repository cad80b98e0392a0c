#include "support/ctl_runner.h"

#include <gtest/gtest.h>

#include "platform/linux/board_bus.h"
#include "sim/board_options.h"
#include "sim/sim_board.h"

namespace vantrel::test {

namespace {

constexpr unsigned kDetectionBlockWrites = 2;

// "This machine" for tests: a simulated board behind the same door as real hardware, its bus
// chosen the way the simulated board's is.
class BoardMachine : public cli::OpenMachine {
  public:
    BoardMachine(ProgramRecords& records, std::function<void(sim::SimBoard&)> done)
        : records_(records), done_(std::move(done)) {}
    ~BoardMachine() override { done_(board); }
    bool open(platform::BusRequest request, std::string& error) {
        return bus_.open_simulated(
            request, board, {},
            {board.time(), records_.controller, records_.device_address, records_.shadow}, error);
    }
    cli::Machine machine() override {
        return {board,           board.time(), board.cpu(), board.cpu(),
                *bus_.backend(), records_,     bus_.path()};
    }

    sim::SimBoard board;

  private:
    ProgramRecords& records_;
    std::function<void(sim::SimBoard&)> done_;
    platform::BoardBus bus_;
};

}  // namespace

std::optional<std::string> ScriptedTerminal::read_line(std::optional<std::uint32_t> timeout_ms) {
    ++reads_;
    if (lines_.empty()) {
        return std::nullopt;  // the input has ended
    }
    Typed& next = lines_.front();
    if (timeout_ms && next.after_ms > *timeout_ms) {
        waited_ms_ += *timeout_ms;
        next.after_ms -= *timeout_ms;
        return std::nullopt;
    }
    waited_ms_ += next.after_ms;
    std::string line = std::move(next.line);
    lines_.pop_front();
    return line;
}

CtlRunner::CtlRunner() = default;

void CtlRunner::keep(sim::SimBoard& board) {
    board_used = true;
    transfers = board.smbus().transfers();
    const auto& regs = board.chip().registers();
    chip_registers.assign(regs.begin(), regs.end());
    running_cpu_ext_mhz = board.chip().running_cpu_ext_mhz();
}

int CtlRunner::run(std::vector<std::string> args) {
    transfers.clear();
    board_used = false;
    const auto keep_board = [this](sim::SimBoard& board) { keep(board); };
    const cli::CtlEnvironment env{
        console,
        terminal,
        real_time,
        [this, keep_board](platform::BusRequest request, ProgramRecords& records,
                           std::string& message) -> std::unique_ptr<cli::OpenMachine> {
            if (machine_refused) {
                message = "no access to the hardware (test)";
                return nullptr;
            }
            auto machine = std::make_unique<BoardMachine>(records, keep_board);
            sim::BoardOptions options;
            std::string error;
            EXPECT_TRUE(sim::parse_board_options(machine_options, options, error)) << error;
            EXPECT_TRUE(sim::apply_board_options(options, "", machine->board, error)) << error;
            if (!machine->open(request, message)) {
                return nullptr;
            }
            return machine;
        },
        [this] { return settings_path(); },
        keep_board,
    };
    return cli::run_vantrelctl(args, env);
}

std::vector<std::string> CtlRunner::err_lines() const {
    std::vector<std::string> lines;
    std::string rest = console.err();
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        lines.push_back(rest.substr(0, end));
        rest = end == std::string::npos ? "" : rest.substr(end + 1);
    }
    return lines;
}

std::vector<std::string> CtlRunner::messages() const {
    std::vector<std::string> shown;
    for (const std::string& line : err_lines()) {
        if (line.starts_with("Error: ")) {
            shown.push_back(line.substr(7));
        }
    }
    return shown;
}

unsigned CtlRunner::workflows() const {
    unsigned block_writes = 0;
    for (const auto& t : transfers) {
        block_writes += t.kind == sim::TransferKind::BlockWrite ? 1 : 0;
    }
    return block_writes > kDetectionBlockWrites ? block_writes - kDetectionBlockWrites : 0;
}

}  // namespace vantrel::test
