#include "bus/dry_run_transfers.h"

#include <algorithm>
#include <utility>

namespace vantrel {

DryRunTransfers::DryRunTransfers(SmbusBackend& real) : real_(real) {
    registers_ = real_.transfers().shadow();
}

int DryRunTransfers::passed(int result) {
    registers_ = real_.transfers().shadow();
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
        const int ok = passed(real_.transfers().read_register(reg, value));
        if (ok && reg < known_.size()) {
            known_[reg] = true;
        }
        return ok;
    }
    if (!known(reg)) {
        return 0;
    }
    value = registers_.bytes[reg];
    return 1;
}

int DryRunTransfers::write_register(std::uint8_t reg, std::uint8_t value) {
    if (!holding_) {
        const int ok = passed(real_.transfers().write_register(reg, value));
        if (ok && reg < known_.size()) {
            known_[reg] = true;
        }
        return ok;
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
        const int ok = passed(real_.transfers().block_read(n));
        if (ok) {
            delivered_ = n;
            std::fill_n(known_.begin(), std::min<std::size_t>(n, known_.size()), true);
            count = n;
        }
        return ok;
    }
    for (std::size_t i = 0; i < std::min<std::size_t>(delivered_, known_.size()); ++i) {
        if (!known_[i]) {
            return 0;
        }
    }
    count = delivered_;
    return 1;
}

int DryRunTransfers::block_write(std::uint8_t reg, std::uint8_t value, std::uint8_t count) {
    if (!holding_) {
        const int ok = passed(real_.transfers().block_write(reg, value, count));
        if (ok) {
            std::fill_n(known_.begin(), std::min<std::size_t>(count, known_.size()), true);
        }
        return ok;
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
