// SPDX-License-Identifier: GPL-2.0-or-later
#include "bus/bus_observer.h"

namespace vantrel {

void SmbusTransfers::transfer_ended(TransferFailure::Transfer transfer, std::uint8_t reg,
                                    std::uint8_t count, const std::uint8_t* bytes, std::size_t size,
                                    bool ok) {
    if (observer_ == nullptr) {
        return;
    }
    // A block starts at register 0 on the wire, whichever register a block write patches.
    const bool block = transfer == TransferFailure::Transfer::BlockRead ||
                       transfer == TransferFailure::Transfer::BlockWrite;
    observer_->transfer_ended({transfer,
                               block ? std::uint8_t{0} : reg,
                               count,
                               {bytes, size},
                               ok ? nullptr : &last_failure_});
}

}  // namespace vantrel
