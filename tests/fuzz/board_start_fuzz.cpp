// SPDX-License-Identifier: GPL-2.0-or-later
// The simulated board's option list on any text, then a start-up of the main dialog on the board
// it builds. The first line is the option list; the rest is what any register dump it names
// holds. Pauses are always instant, so a hang shows as libFuzzer's timeout, and the simulated
// clock must stay within what the start-up's transfers can take. A refused list or a board that
// cannot be made says why; a transfer that failed during start-up is told to the user.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/core/program_records.h"
#include "res/dialog_templates.h"
#include "sim/board_options.h"
#include "sim/simulated_machine.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/fake_ui.h"
#include "ui/cpu_speed_meter.h"
#include "ui/main_dialog.h"
#include "ui/memory_dialog_controls.h"

namespace {

std::string g_dump_text;

bool read_dump(const std::string& path, std::size_t max_bytes, std::string& text,
               std::string& error) {
    if (path == "missing" || g_dump_text.size() > max_bytes) {
        error = "cannot be read";
        return false;
    }
    text = g_dump_text;
    return true;
}

// Real pauses would make a fault's retries take real time; they must never be asked for.
class NoRealSleeper : public vantrel::Sleeper {
  public:
    void sleep_ms(std::uint32_t milliseconds) override {
        (void)milliseconds;
        FUZZ_CHECK(false, "the simulated board paused in real time");
    }
};

// An hour of simulated time: far more than start-up's transfers, polls and pauses take.
constexpr std::uint64_t kMaxStartUpMicroseconds = 3600ull * 1000 * 1000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::string_view list = input.substr(0, newline);
    g_dump_text =
        newline == std::string_view::npos ? std::string() : std::string(input.substr(newline + 1));

    vantrel::sim::BoardOptions options;
    std::string error;
    if (!vantrel::sim::parse_board_options(list, options, error)) {
        FUZZ_CHECK(!error.empty(), "an option list refused without a reason");
        return 0;
    }
    options.real_pauses = false;

    vantrel::ProgramRecords records;
    NoRealSleeper real;
    auto machine = vantrel::sim::make_simulated_machine(options, read_dump, real,
                                                        records.machine_records(), error);
    if (!machine) {
        FUZZ_CHECK(!error.empty(), "a board that could not be made, without a reason");
        return 0;
    }

    vantrel::MemoryDialogControls controls(vantrel::res::kMainDialog);
    vantrel::test::FakeDialogWindow window;
    vantrel::test::FakeMessageBoxes messages;
    vantrel::MeasuredCpuSpeed meter(records.clock, machine->cpu(), machine->timing(),
                                    records.vendor);
    vantrel::MainDialog dialog({controls, window, messages, meter, machine->backend(),
                                records.controller, records.clock, records.settings_key});
    dialog.on_init_dialog();

    bool failed = false;
    for (const vantrel::sim::TransferRecord& transfer : machine->board().smbus().transfers()) {
        failed = failed || !transfer.ok;
    }
    FUZZ_CHECK(!failed || !messages.shown().empty(),
               "a transfer failed during start-up and the user was not told");
    FUZZ_CHECK(machine->board().time().now_us() <= kMaxStartUpMicroseconds,
               "start-up ran for more than an hour of simulated time");
    return 0;
}
