// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "bus/smbus_transfers.h"
#include "clockgen/clock_state.h"

namespace vantrel {

// The VXC812-07 driver. Every operation returns non-zero on success and zero on failure and
// talks to the chip only through the SMBus transfers, which keep the register shadow current.
class ClockChip {
  public:
    ClockChip(SmbusTransfers& host, ClockState& state) : host_(host), state_(state) {}

    // Finds the chip, reads its settings into ClockState and leaves it in normal mode.
    int detect();
    int enter_enhanced_mode();
    int leave_enhanced_mode();
    // Writes N, N minus the spread depth and M, then latches them; ClockState's pll_latched
    // says whether the last commit got as far as the latch.
    int commit_pll();

  private:
    SmbusTransfers& host_;
    ClockState& state_;
};

}  // namespace vantrel
