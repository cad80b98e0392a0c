// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl/bus_watch.h"

#include "ctl/ctl_report.h"
#include "ctl/failure_text.h"
#include "platform/linux/kernel/i2c_dev_bus.h"

namespace vantrel::cli {

namespace {

constexpr std::string_view kTracePrefix = "vantrelctl: trace: ";
// Back to the start of the line and erase it: a progress line is redrawn in place.
constexpr std::string_view kEraseLine = "\r\x1b[K";

}  // namespace

std::string trace_line(const TransferEvent& event) {
    std::string line = transfer_name(event.transfer);
    // Appended piece by piece: GCC 12 at -O3 warns (-Wrestrict) on "literal" + a returned string.
    line += ' ';
    line += register_name(event.reg);
    line += " [";
    line += std::to_string(event.count);
    line += "]:";
    for (const std::uint8_t byte : event.bytes) {
        line += format(" %02x", unsigned{byte});
    }
    if (event.failure == nullptr) {
        return line + " ok";
    }
    line += std::string(" failed: ") + cause_name(event.failure->cause);
    if (event.failure->error_number != 0) {
        line += " (";
        line += platform::errno_name(event.failure->error_number);
        line += ')';
    }
    return line;
}

BusWatch::BusWatch(Console& console, bool trace, bool progress)
    : console_(console), trace_(trace), progress_(progress && console.err_is_terminal()) {}

void BusWatch::out(std::string_view text) {
    clear_line();
    console_.out(text);
}

void BusWatch::err(std::string_view text) {
    clear_line();
    console_.err(text);
}

void BusWatch::port_access(bool write, std::uint16_t port, std::uint8_t value) {
    if (trace_) {
        err(std::string(kTracePrefix) +
            format(write ? "  out 0x%04x <- 0x%02x\n" : "  in  0x%04x -> 0x%02x\n", unsigned{port},
                   unsigned{value}));
    }
}

void BusWatch::transfer_ended(const TransferEvent& event) {
    if (trace_) {
        err(std::string(kTracePrefix) + trace_line(event) + "\n");
    }
    ++transfers_;
    if (progress_ && !stage_.empty()) {
        console_.err(std::string(kEraseLine) + "vantrelctl: " + stage_ + ", " +
                     std::to_string(transfers_) + (transfers_ == 1 ? " transfer" : " transfers") +
                     " done");
        line_shown_ = true;
    }
}

void BusWatch::stage(std::string_view name) {
    stage_ = name;
    transfers_ = 0;
}

void BusWatch::finish() {
    clear_line();
    stage_.clear();
}

void BusWatch::clear_line() {
    if (line_shown_) {
        console_.err(kEraseLine);
        line_shown_ = false;
    }
}

}  // namespace vantrel::cli
