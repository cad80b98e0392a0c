// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <span>

#include "bus/smbus_transfers.h"

namespace vantrel {

// One SMBus transfer as it ended on the bus. A block write's own block read comes first as a
// transfer of its own; a transfer refused before any bus traffic is not one.
struct TransferEvent {
    TransferFailure::Transfer transfer;
    std::uint8_t reg;    // the command byte: the register, or 0 where every block starts
    std::uint8_t count;  // a block's count: announced by the chip, or sent; 1 for a word
    // The register bytes it carried: the value of a word, the bytes a block delivered or sent
    // (as far as it got when it failed).
    std::span<const std::uint8_t> bytes;
    // Why it failed, or nullptr when it succeeded.
    const TransferFailure* failure;
};

// Hears the bus at work, for a program that shows it: each transfer as it ends, and on the port
// path each access to the host controller's ports as it is made. Every call comes from inside a
// transfer, so an observer must not start one.
class BusObserver {
  public:
    virtual ~BusObserver() = default;
    virtual void port_access(bool write, std::uint16_t port, std::uint8_t value) = 0;
    virtual void transfer_ended(const TransferEvent& event) = 0;
};

}  // namespace vantrel
