#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bus/sleeper.h"
#include "bus/smbus_host.h"
#include "sim/fault_plan.h"
#include "sim/sim_board.h"
#include "sim/sim_time.h"

namespace vantrel::sim {

// How a simulated board is set up. Every front end takes the same option list after
// --simulate= (or /simulate: on Windows) and parses it here, so the options mean the same
// everywhere. Fields left unset keep the board as SimBoard builds it.
struct BoardOptions {
    std::optional<std::uint32_t> hub_id;               // kNoDevice for "no hub"
    std::optional<std::uint32_t> smbus_base_register;  // what the SMBus base register reads
    std::optional<unsigned> cpu_divider;               // 3, 4 or 6
    std::optional<unsigned> sdram_divider;             // 3 or 4
    std::optional<std::uint8_t> pll_n;
    std::optional<std::uint8_t> pll_m;
    std::optional<std::uint8_t> spread_depth;
    std::optional<unsigned> delay_cpu;  // codes 0..3
    std::optional<unsigned> delay_pci;
    std::optional<unsigned> delay_sdram;
    std::optional<unsigned> delay_3v66;
    std::optional<bool> spread_on;
    std::optional<unsigned> spread_model;  // 0..7
    std::optional<double> multiplier;      // CPU core clock over the CPU external clock
    std::string dump_path;                 // an i2cdump-style file to load into the chip
    std::vector<Fault> faults;
    bool real_pauses = true;  // whether the SMBus polls and pauses take real time
};

// Parses a comma-separated option list ("hub=ab,dividers=4/3,fault=..."); the empty list is
// the default board. On failure returns false and `error` names the option that was wrong.
bool parse_board_options(std::string_view text, BoardOptions& options, std::string& error);

// A register dump is a few KB; front ends refuse a larger file before reading it whole.
inline constexpr std::size_t kMaxDumpFileBytes = 1024 * 1024;

// Builds the board the options describe: the dump first, then every other option on top of it.
// `dump_text` is the content of options.dump_path, read by the caller (empty when there is
// none). On failure returns false with the reason. On success `notice` is what the user should
// still be told (the registers a partial dump did not give), or empty.
bool apply_board_options(const BoardOptions& options, const std::string& dump_text, SimBoard& board,
                         std::string& error, std::string& notice);
// The same, for a caller that has nowhere to show a notice.
bool apply_board_options(const BoardOptions& options, const std::string& dump_text, SimBoard& board,
                         std::string& error);

// A group delay as the dialog's lists name it ("None", "150ps", "300ps", "450ps"), in any case,
// as its code 0 to 3.
bool parse_group_delay(std::string_view text, unsigned& code);

// The option list as --help prints it, one option a line.
std::string_view board_options_help();

// The simulated board's sleeper when its pauses should be felt: every sleep advances the board's
// time, and the pause that ends each transfer also passes in real time through the platform's
// sleeper. The status polls between do not: the simulated controller answers on the first poll,
// where a real one takes a fraction of a millisecond, so their 10 ms sleeps would only slow the
// board down beyond the hardware it stands for.
class PacedSleeper : public Sleeper {
  public:
    PacedSleeper(SimTime& time, Sleeper& real) : time_(time), real_(real) {}
    void sleep_ms(std::uint32_t milliseconds) override {
        time_.sleep_ms(milliseconds);
        if (milliseconds >= kSmbTransferPauseMs) {
            real_.sleep_ms(milliseconds);
        }
    }

  private:
    SimTime& time_;
    Sleeper& real_;
};

}  // namespace vantrel::sim
