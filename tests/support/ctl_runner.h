// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ctl/terminal.h"
#include "ctl/vantrelctl.h"
#include "platform/linux/durable_file.h"
#include "sim/faults.h"
#include "sim/sim_board.h"
#include "sim/sim_stop_signals.h"
#include "support/fake_console.h"
#include "support/temp_dir.h"

namespace vantrel::test {

// Standard input as a test scripts it, on simulated time: each answer is typed some time after
// the program starts waiting for it, and a wait with a timeout ends there without one.
class ScriptedTerminal : public cli::Terminal {
  public:
    bool interactive() const override { return interactive_; }
    std::optional<std::string> read_line(std::optional<std::uint32_t> timeout_ms) override;

    void set_interactive(bool on) { interactive_ = on; }
    // Runs as each wait for a line begins (a signal that comes at the question).
    std::function<void()> on_read;
    void type(std::string line, std::uint32_t after_ms = 0) {
        lines_.push_back({std::move(line), after_ms});
    }
    // The simulated time spent waiting for answers, and how many were asked for.
    std::uint64_t waited_ms() const { return waited_ms_; }
    unsigned reads() const { return reads_; }

  private:
    struct Typed {
        std::string line;
        std::uint32_t after_ms;
    };
    bool interactive_ = true;
    std::deque<Typed> lines_;
    std::uint64_t waited_ms_ = 0;
    unsigned reads_ = 0;
};

// A sleeper that only adds up what it is asked to sleep.
class CountingSleeper : public Sleeper {
  public:
    void sleep_ms(std::uint32_t milliseconds) override {
        ++calls;
        total_ms += milliseconds;
    }
    unsigned calls = 0;
    std::uint64_t total_ms = 0;
};

// Runs vantrelctl in-process with its output kept, a scripted terminal, and "this machine" as
// a simulated board (built from `machine_options`, with instant pauses), so that the paths of
// real hardware can be run too. The settings file and the state directory default to a
// temporary directory.
class CtlRunner {
  public:
    CtlRunner();

    int run(std::vector<std::string> args);

    FakeConsole console;
    ScriptedTerminal terminal;
    CountingSleeper real_time;
    TempDir dir;
    std::string machine_options = "pauses=instant";
    bool machine_refused = false;
    // The requests to stop the program hears; `stop_at` sends them as the board's transfer
    // number `first` starts (counted from 1 over the whole run).
    sim::SimStopSignals stops;
    std::vector<std::pair<std::size_t, StopSignal>> stop_at;

    // What the last run left: the transfers on the board it used (simulated or "this
    // machine"), whether a board was used at all, and the chip's registers and running clock.
    std::vector<sim::TransferRecord> transfers;
    bool board_used = false;
    std::vector<std::uint8_t> chip_registers;
    double running_cpu_ext_mhz = 0.0;

    // Where the files are that no --settings or --state-dir names: this machine's (a
    // simulated board standing in for it) and a simulated board's own. With `platform_paths`
    // the programs' own defaults are used, from the environment, as the installed programs do.
    bool platform_paths = false;
    // The calls that write the boot guard, when a test watches them; else the system's.
    platform::FileCalls* file_calls = nullptr;
    // The board standing in for this machine while a command works on it, else nullptr.
    sim::SimBoard* live_board = nullptr;
    // The settings file when --settings names none, inside `dir`.
    std::string settings_name = "settings.reg";
    std::string settings_path() const { return dir / settings_name; }
    std::string state_dir() const { return dir / "state"; }
    // A simulated board's settings file when --settings names none, inside `dir`.
    std::string simulated_settings_name = "simulated/settings.reg";
    std::string simulated_settings_path() const { return dir / simulated_settings_name; }
    std::string simulated_state_dir() const { return dir / "simulated-state"; }
    // The lines on standard error, one by one.
    std::vector<std::string> err_lines() const;
    // The message boxes shown, by their text.
    std::vector<std::string> messages() const;
    // The apply workflows run: each one enters enhanced mode with a block write, after the two
    // that detection makes.
    unsigned workflows() const;

  private:
    void keep(sim::SimBoard& board);
    void plan_stops(sim::SimBoard& board);
};

}  // namespace vantrel::test
