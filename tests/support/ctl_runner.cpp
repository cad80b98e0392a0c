// SPDX-License-Identifier: GPL-2.0-or-later
#include "support/ctl_runner.h"

#include <gtest/gtest.h>

#include "sim/board_options.h"
#include "sim/linux/sim_machine.h"
#include "sim/sim_board.h"

namespace vantrel::test {

namespace {

constexpr unsigned kDetectionBlockWrites = 2;

// "This machine" for tests: a simulated board behind the same door as real hardware, its bus
// chosen the way the simulated board's is, seen by the test when the command is done with it.
class BoardMachine : public Machine {
  public:
    BoardMachine(std::unique_ptr<sim::SimulatedMachine> inner,
                 std::function<void(sim::SimBoard&)> done)
        : inner_(std::move(inner)), done_(std::move(done)) {
        bus_path_ = inner_->bus_path();
        refusal_ = inner_->refusal();
        notes_ = inner_->notes();
    }
    ~BoardMachine() override { done_(inner_->board()); }
    BoardMachine(const BoardMachine&) = delete;
    BoardMachine& operator=(const BoardMachine&) = delete;

    SmbusBackend& backend() override { return inner_->backend(); }
    Sleeper& sleeper() override { return inner_->sleeper(); }
    CpuInstructions& cpu() override { return inner_->cpu(); }
    SystemTiming& timing() override { return inner_->timing(); }

  private:
    std::unique_ptr<sim::SimulatedMachine> inner_;
    std::function<void(sim::SimBoard&)> done_;
};

}  // namespace

std::optional<std::string> ScriptedTerminal::read_line(std::optional<std::uint32_t> timeout_ms) {
    ++reads_;
    if (on_read) {
        on_read();
    }
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

void CtlRunner::plan_stops(sim::SimBoard& board) {
    for (const auto& [transfer, signal] : stop_at) {
        stops.arrive_at_transfer(board, transfer, signal);
    }
}

void CtlRunner::keep(sim::SimBoard& board) {
    live_board = nullptr;
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
    cli::CtlEnvironment env{
        console,
        terminal,
        real_time,
        [this, keep_board](platform::BusRequest request, const MachineRecords& records,
                           std::string& error) -> std::unique_ptr<Machine> {
            if (machine_refused) {
                error = "no access to the hardware (test)";
                return nullptr;
            }
            sim::BoardOptions options;
            EXPECT_TRUE(sim::parse_board_options(machine_options, options, error)) << error;
            auto board = sim::make_simulated_machine(options, request, real_time, records, error);
            EXPECT_NE(board, nullptr) << error;
            if (!board) {
                return nullptr;
            }
            plan_stops(board->board());
            live_board = &board->board();
            return std::make_unique<BoardMachine>(std::move(board), keep_board);
        },
        [this] { return settings_path(); },
        keep_board,
        &stops,
        [this](sim::SimBoard& board) { plan_stops(board); },
        [this] { return simulated_settings_path(); },
        [this] { return simulated_state_dir(); },
    };
    if (file_calls != nullptr) {
        env.file_calls = file_calls;
    }
    if (platform_paths) {
        const cli::CtlEnvironment defaults{console, terminal, real_time, nullptr,
                                           nullptr, nullptr,  nullptr,   nullptr};
        env.default_settings_path = [] { return platform::default_settings_path(); };
        env.simulated_settings_path = defaults.simulated_settings_path;
        env.simulated_state_dir = defaults.simulated_state_dir;
    }
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
