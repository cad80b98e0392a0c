// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "bus/smbus_backend.h"
#include "bus/smbus_transfers.h"

namespace vantrel {

// A write that a dry run kept off the bus: how it would have gone out, the register it changes
// with its value before and after, and every register as the chip would then hold them.
struct HeldWrite {
    TransferFailure::Transfer transfer;  // WordWrite or BlockWrite
    std::uint8_t reg;                    // for a block write the one it patches
    std::uint8_t count;                  // a block write sends registers 0..count-1
    std::uint8_t before;
    std::uint8_t after;
    RegisterShadow registers;
};

// The transfers of a dry run. They pass through to the bus until hold(), so that the chip is
// found as usual; from then on nothing reaches the bus: each write is kept, and each read is
// answered from the registers as the passing transfers left them, with the kept writes on top.
class DryRunTransfers : public SmbusTransfers {
  public:
    explicit DryRunTransfers(SmbusBackend& real);

    int read_register(std::uint8_t reg, std::uint8_t& value) override;
    int write_register(std::uint8_t reg, std::uint8_t value) override;
    int block_read(std::uint8_t& count) override;
    int block_write(std::uint8_t reg, std::uint8_t value, std::uint8_t count) override;
    const RegisterShadow& shadow() const override { return registers_; }

    // Whether a passing transfer delivered or wrote the register, so that a held read can
    // answer it with what the chip holds; a held read of any other fails.
    bool known(std::uint8_t reg) const { return reg < known_.size() && known_[reg]; }
    // From now on nothing reaches the bus.
    void hold() { holding_ = true; }
    bool holding() const { return holding_; }
    // The writes kept since the last call, in the order they were made.
    std::vector<HeldWrite> take_held();

  private:
    // After a passing transfer: the registers as the bus now has them, and those from `first`
    // on that it delivered or wrote, when it succeeded. Returns `result`.
    int passed(int result, std::size_t first, std::size_t count);
    void keep(TransferFailure::Transfer transfer, std::uint8_t reg, std::uint8_t value,
              std::uint8_t count);

    SmbusBackend& real_;
    RegisterShadow registers_;
    std::array<bool, kClockChipRegisterCount> known_{};
    std::uint8_t delivered_ = 0;  // the count of the last passing block read
    bool holding_ = false;
    std::vector<HeldWrite> held_;
};

// A way to the bus whose transfers are a dry run's; finding the controller passes through.
class DryRunBackend : public SmbusBackend {
  public:
    explicit DryRunBackend(SmbusBackend& real) : real_(real), transfers_(real) {}

    int detect_smbus_controller() override { return real_.detect_smbus_controller(); }
    DryRunTransfers& transfers() override { return transfers_; }

  private:
    SmbusBackend& real_;
    DryRunTransfers transfers_;
};

}  // namespace vantrel
