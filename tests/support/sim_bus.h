// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <vector>

#include "bus/smbus_controller.h"
#include "bus/smbus_host.h"
#include "sim/sim_board.h"

namespace vantrel::test {

// A simulated board with the controller already discovered, as after start-up, and the SMBus
// host driving it.
struct SimBus {
    sim::SimBoard board;
    SmbusController controller;
    DeviceAddress device;
    RegisterShadow shadow;
    SmbusHost host{board, board.time(), controller, device, shadow};

    SimBus();
    void enter_enhanced_mode();
};

// The simulated controller's ports driven by hand, for tests of the hardware model itself
// rather than of the driver.
class HostPorts {
  public:
    explicit HostPorts(sim::SimBoard& board) : board_(board) {}

    std::uint8_t read(std::uint16_t offset);
    void write(std::uint16_t offset, std::uint8_t value);

    // Reads status until it shows byte done, an error or failure, or no longer busy, for at most
    // `polls` reads; returns the last status read.
    std::uint8_t settle(unsigned polls = 20);
    // Whether any status read so far showed completion.
    bool completion_seen() const { return completion_seen_; }

    // Starts a word-data transfer to the clock chip.
    void start_word(bool read, std::uint8_t reg, std::uint8_t count, std::uint8_t value = 0);

    // A block write of `bytes` announcing `count`, byte by byte with the byte-done handshake,
    // clearing byte done after the last byte when `clear_last`. Returns how many bytes the
    // device took before the transfer ended or stopped answering.
    unsigned block_write(const std::vector<std::uint8_t>& bytes, std::uint8_t count,
                         bool clear_last = true);

  private:
    sim::SimBoard& board_;
    bool completion_seen_ = false;
};

}  // namespace vantrel::test
