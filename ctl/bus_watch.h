// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "bus/bus_observer.h"
#include "ctl/console.h"

namespace vantrel::cli {

// What vantrelctl shows of the bus at work, all on standard error: with the trace, a line for
// each transfer as it ends (and on the port path one for each port access before it); with the
// progress, when standard error is a terminal, one line with the stage and the transfers done,
// redrawn in place and cleared when the stage is over. Everything else the program writes goes
// through it too, so that no text ever lands on the end of a progress line.
class BusWatch : public Console, public BusObserver {
  public:
    BusWatch(Console& console, bool trace, bool progress);

    void out(std::string_view text) override;
    void err(std::string_view text) override;
    bool err_is_terminal() const override { return console_.err_is_terminal(); }

    void port_access(bool write, std::uint16_t port, std::uint8_t value) override;
    void transfer_ended(const TransferEvent& event) override;

    // The work from now on ("applying"), counted from no transfer; shown from its first one.
    void stage(std::string_view name);
    // The work is over: the progress line goes.
    void finish();

  private:
    void clear_line();

    Console& console_;
    bool trace_;
    bool progress_;
    std::string stage_;
    unsigned transfers_ = 0;
    bool line_shown_ = false;
};

// One transfer as the trace shows it, e.g. "word write REG11 [1]: 84 ok".
std::string trace_line(const TransferEvent& event);

}  // namespace vantrel::cli
