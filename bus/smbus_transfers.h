// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vantrel {

class BusObserver;

// The clock chip's address and register count.
inline constexpr std::uint8_t kClockChipAddress = 0xD2;
inline constexpr std::size_t kClockChipRegisterCount = 36;

// Every successful transfer ends with this pause, whichever way the bus is reached: the chip
// needs it between transfers.
inline constexpr std::uint32_t kSmbTransferPauseMs = 300;

// The clock chip's SMBus address in write form, fixed for the run.
struct DeviceAddress {
    std::uint8_t value = kClockChipAddress;
};

// The program's mirror of the clock chip's registers 0x00..0x23; only the transfers write it.
struct RegisterShadow {
    std::array<std::uint8_t, kClockChipRegisterCount> bytes{};

    std::uint8_t operator[](std::size_t reg) const { return bytes.at(reg); }
};

// Whether a block write of registers 0..count-1 that patches `reg` may go out after its block
// read delivered `delivered` bytes: every byte sent must be one that read just delivered or the
// patch itself. Otherwise the rest would be written from a mirror never read in this run (a
// faulty chip, or another device at the address, announcing fewer bytes), so nothing is sent.
constexpr bool block_write_covered(std::uint8_t reg, std::uint8_t count, std::uint8_t delivered) {
    return delivered >= count || (delivered + 1 == count && reg == delivered);
}

// Why the last transfer that failed did, kept by the bus so a program can say more than the
// dialog's fixed message; the hardware operations themselves still only answer 0.
struct TransferFailure {
    enum class Transfer : std::uint8_t { WordRead, WordWrite, BlockRead, BlockWrite };
    enum class Cause : std::uint8_t {
        Timeout,      // the awaited status never came; the transaction was killed
        DeviceError,  // the chip did not acknowledge
        BusError,     // a bus error or collision
        Failed,       // the controller failed the transaction
        BlockCount,   // the chip announced a block count out of range
        NotCovered,   // a block write's read did not deliver the registers it would send
        Kernel,       // the kernel refused it with another errno
    };
    Transfer transfer = Transfer::WordRead;
    std::uint8_t reg = 0;  // the register; for a block write the one it patches
    Cause cause = Cause::Timeout;
    std::uint8_t count = 0;  // the block count announced or delivered, for those two causes
    int error_number = 0;    // the errno on the kernel path, 0 on the ports
    unsigned sequence = 0;   // counts the failures of the run; 0 before the first
};

// The four transfers with the clock chip. Each returns 1 on success and 0 on failure, writes
// its out-parameters only on success, keeps the register shadow current and ends a successful
// transfer with the pause. The chip driver and everything above it see only this, so they run
// the same over direct port access and over the kernel's SMBus driver.
class SmbusTransfers {
  public:
    virtual ~SmbusTransfers() = default;

    // One register through a word-data transfer (count 1, then the value).
    virtual int read_register(std::uint8_t reg, std::uint8_t& value) = 0;
    virtual int write_register(std::uint8_t reg, std::uint8_t value) = 0;
    // The register block from register 0; `count` is the chip's byte count.
    virtual int block_read(std::uint8_t& count) = 0;
    // Refreshes the shadow by a block read, patches `reg` and writes registers 0..count-1; fails
    // before sending when that read did not deliver them (block_write_covered).
    virtual int block_write(std::uint8_t reg, std::uint8_t value, std::uint8_t count) = 0;

    virtual const RegisterShadow& shadow() const = 0;

    const TransferFailure& last_failure() const { return last_failure_; }

    // Hears every transfer from now on (nullptr: none); the caller keeps it alive.
    void set_observer(BusObserver* observer) { observer_ = observer; }

  protected:
    BusObserver* observer() const { return observer_; }
    // Tells the observer, if any, of a transfer that ended; a failed one after record_failure.
    void transfer_ended(TransferFailure::Transfer transfer, std::uint8_t reg, std::uint8_t count,
                        const std::uint8_t* bytes, std::size_t size, bool ok);

    void record_failure(TransferFailure failure) {
        failure.sequence = last_failure_.sequence + 1;
        last_failure_ = failure;
    }

  private:
    TransferFailure last_failure_;
    BusObserver* observer_ = nullptr;
};

}  // namespace vantrel
