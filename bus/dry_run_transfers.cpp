// SPDX-License-Identifier: GPL-2.0-or-later
#include "bus/dry_run_transfers.h"

#include <algorithm>
#include <utility>

namespace vantrel {

DryRunTransfers::DryRunTransfers(SmbusBackend& real) : real_(real) {
    registers_ = real_.transfers().shadow();
}

int DryRunTransfers::passed(int result, std::size_t first, std::size_t count) {
    registers_ = real_.transfers().shadow();
    if (result != 0) {
        for (std::size_t reg = first; reg < first + count && reg < known_.size(); ++reg) {
            known_[reg] = true;
        }
    }
    return result;
}

void DryRunTransfers::keep(TransferFailure::Transfer transfer, std::uint8_t reg, std::uint8_t value,
                           std::uint8_t count) {
    const std::uint8_t before = registers_.bytes[reg];
    registers_.bytes[reg] = value;
    known_[reg] = true;
    held_.push_back({transfer, reg, count, before, value, registers_});
}

std::vector<HeldWrite> DryRunTransfers::take_held() {
    return std::exchange(held_, {});
}

int DryRunTransfers::read_register(std::uint8_t reg, std::uint8_t& value) {
    if (!holding_) {
        return passed(real_.transfers().read_register(reg, value), reg, 1);
    }
    if (!known(reg)) {
        return 0;
    }
    value = registers_.bytes[reg];
    return 1;
}

int DryRunTransfers::write_register(std::uint8_t reg, std::uint8_t value) {
    if (!holding_) {
        return passed(real_.transfers().write_register(reg, value), reg, 1);
    }
    if (reg >= kClockChipRegisterCount) {
        return 0;
    }
    keep(TransferFailure::Transfer::WordWrite, reg, value, 1);
    return 1;
}

int DryRunTransfers::block_read(std::uint8_t& count) {
    if (!holding_) {
        std::uint8_t n = 0;
        const int ok = real_.transfers().block_read(n);
        if (ok) {
            delivered_ = n;
            count = n;
        }
        return passed(ok, 0, n);
    }
    const auto delivered_end = known_.begin() + std::min<std::size_t>(delivered_, known_.size());
    if (!std::all_of(known_.begin(), delivered_end, [](bool known) { return known; })) {
        return 0;
    }
    count = delivered_;
    return 1;
}

int DryRunTransfers::block_write(std::uint8_t reg, std::uint8_t value, std::uint8_t count) {
    if (!holding_) {
        return passed(real_.transfers().block_write(reg, value, count), 0, count);
    }
    if (count == 0) {
        return 1;
    }
    // The same refusals as the bus's own block write, which would read the block first.
    std::uint8_t delivered = 0;
    if (reg >= kClockChipRegisterCount || count > kClockChipRegisterCount ||
        !block_read(delivered) || !block_write_covered(reg, count, delivered)) {
        return 0;
    }
    keep(TransferFailure::Transfer::BlockWrite, reg, value, count);
    return 1;
}

}  // namespace vantrel
