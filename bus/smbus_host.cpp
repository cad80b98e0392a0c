// SPDX-License-Identifier: GPL-2.0-or-later
#include "bus/smbus_host.h"

#include "bus/bus_observer.h"

namespace vantrel {

namespace {

bool is_chip_register(std::size_t reg) {
    return reg < kClockChipRegisterCount;
}

// A wait that never saw its condition is named by the error bit the controller showed instead,
// if any: a hub that stops on an error clears busy without setting completion.
TransferFailure::Cause timeout_cause(std::uint8_t status) {
    if ((status & kSmbStatusDevErr) != 0) {
        return TransferFailure::Cause::DeviceError;
    }
    if ((status & kSmbStatusBusErr) != 0) {
        return TransferFailure::Cause::BusError;
    }
    if ((status & kSmbStatusFailed) != 0) {
        return TransferFailure::Cause::Failed;
    }
    return TransferFailure::Cause::Timeout;
}

}  // namespace

std::uint8_t SmbusHost::read_port(std::uint16_t offset) {
    const auto port = static_cast<std::uint16_t>(controller_.io_base + offset);
    const std::uint8_t value = io_.read_byte(port);
    if (observer() != nullptr) {
        observer()->port_access(false, port, value);
    }
    return value;
}

void SmbusHost::write_port(std::uint16_t offset, std::uint8_t value) {
    const auto port = static_cast<std::uint16_t>(controller_.io_base + offset);
    io_.write_byte(port, value);
    if (observer() != nullptr) {
        observer()->port_access(true, port, value);
    }
}

void SmbusHost::begin(TransferFailure::Transfer transfer, std::uint8_t reg) {
    attempt_ = {};
    attempt_.transfer = transfer;
    attempt_.reg = reg;
    carried_count_ = 1;
    carried_.clear();
}

void SmbusHost::preamble() {
    write_port(kSmbHostStatus, kSmbStatusClearAll);
    // The value is not used: on these hubs reading control has no side effect (the block-index
    // reset belongs to later hubs with a block buffer), and nothing here depends on one.
    (void)read_port(kSmbHostControl);
}

// Polls status with a sleep between reads. The status read that follows the 100th sleep ends
// the wait as a timeout even when it shows the condition, so a stuck transfer costs at most
// about one second.
bool SmbusHost::wait_for(std::uint8_t mask, std::uint8_t expected) {
    int sleeps = 0;
    std::uint8_t status = read_port(kSmbHostStatus);
    while ((status & mask) != expected && sleeps < kSmbPollMaxSleeps) {
        sleeper_.sleep_ms(kSmbPollSleepMs);
        ++sleeps;
        status = read_port(kSmbHostStatus);
    }
    last_status_ = status;
    return sleeps < kSmbPollMaxSleeps;
}

// Completion is INTR set with BUSY clear; INTR alone while still busy is not yet done.
bool SmbusHost::wait_completion() {
    return wait_for(kSmbStatusBusy | kSmbStatusIntr, kSmbStatusIntr);
}

bool SmbusHost::wait_byte_done() {
    return wait_for(kSmbStatusByteDone, kSmbStatusByteDone);
}

bool SmbusHost::error_test_passes() {
    const std::uint8_t status = read_port(kSmbHostStatus);
    attempt_.cause = (status & kSmbStatusDevErr) != 0 ? TransferFailure::Cause::DeviceError
                                                      : TransferFailure::Cause::BusError;
    return (status & (kSmbStatusDevErr | kSmbStatusBusErr)) == 0;
}

// The wait of one step and, when it saw its condition, the error test. A wait that timed out
// leaves the transaction on the controller, where it would block every later one, so it is
// killed before the caller's failure exit.
bool SmbusHost::step_succeeded(bool waited) {
    if (!waited) {
        attempt_.cause = timeout_cause(last_status_);
        kill_transaction();
        return false;
    }
    return error_test_passes();
}

void SmbusHost::kill_transaction() {
    write_port(kSmbHostControl, kSmbControlKill);
    sleeper_.sleep_ms(kSmbKillHoldMs);
    write_port(kSmbHostControl, 0);
}

void SmbusHost::clean_up() {
    (void)read_port(kSmbHostControl);
    write_port(kSmbHostStatus, kSmbStatusClearAll);
}

int SmbusHost::fail() {
    record_failure(attempt_);
    clean_up();
    transfer_ended(attempt_.transfer, attempt_.reg, carried_count_, carried_.data(),
                   carried_.size(), false);
    return 0;
}

int SmbusHost::succeed() {
    clean_up();
    transfer_ended(attempt_.transfer, attempt_.reg, carried_count_, carried_.data(),
                   carried_.size(), true);
    pause();
    return 1;
}

void SmbusHost::pause() {
    sleeper_.sleep_ms(kSmbTransferPauseMs);
}

// A device may announce more bytes than the chip has registers; those bytes are still read and
// acknowledged on the bus but have nowhere to go in the shadow, so they are dropped.
void SmbusHost::store(std::size_t reg, std::uint8_t value) {
    if (is_chip_register(reg)) {
        shadow_.bytes[reg] = value;
    }
}

int SmbusHost::read_register(std::uint8_t reg, std::uint8_t& value) {
    // A register the chip does not have is refused before any bus traffic.
    if (!is_chip_register(reg)) {
        return 0;
    }
    begin(TransferFailure::Transfer::WordRead, reg);
    preamble();
    write_port(kSmbHostCommand, reg);
    write_port(kSmbHostAddress, static_cast<std::uint8_t>(device_.value | kSmbAddressReadBit));
    write_port(kSmbHostData0, 1);
    write_port(kSmbHostControl, kSmbStartWordData);
    if (!step_succeeded(wait_completion())) {
        return fail();
    }
    // Data 0 holds the count byte the chip sent back; only the register value matters.
    const std::uint8_t received = read_port(kSmbHostData1);
    store(reg, received);
    value = received;
    carried_.push_back(received);
    return succeed();
}

int SmbusHost::write_register(std::uint8_t reg, std::uint8_t value) {
    if (!is_chip_register(reg)) {
        return 0;
    }
    begin(TransferFailure::Transfer::WordWrite, reg);
    preamble();
    write_port(kSmbHostCommand, reg);
    write_port(kSmbHostAddress, static_cast<std::uint8_t>(device_.value & ~kSmbAddressReadBit));
    write_port(kSmbHostData0, 1);
    write_port(kSmbHostData1, value);
    write_port(kSmbHostControl, kSmbStartWordData);
    carried_.push_back(value);
    if (!step_succeeded(wait_completion())) {
        return fail();
    }
    store(reg, value);
    return succeed();
}

int SmbusHost::block_read(std::uint8_t& count) {
    begin(TransferFailure::Transfer::BlockRead, 0);
    preamble();
    write_port(kSmbHostCommand, 0);
    write_port(kSmbHostAddress, static_cast<std::uint8_t>(device_.value | kSmbAddressReadBit));
    write_port(kSmbHostData0, kBlockReadRequestCount);
    write_port(kSmbHostData1, 0);
    write_port(kSmbHostControl, kSmbStartBlock);
    if (!step_succeeded(wait_byte_done())) {
        return fail();
    }
    const std::uint8_t n = read_port(kSmbHostData0);
    carried_count_ = n;
    for (unsigned j = 0; j < n; ++j) {
        // For the first byte the byte-done bit seen above is still set.
        if (!step_succeeded(wait_byte_done())) {
            return fail();
        }
        const std::uint8_t received = read_port(kSmbBlockData);
        store(j, received);
        carried_.push_back(received);
        if (j + 1 == n) {
            // The last-byte bit must be set before byte done is cleared, or the controller
            // acknowledges the byte and expects another.
            write_port(kSmbHostControl, kSmbControlLastByte);
        }
        write_port(kSmbHostStatus, kSmbStatusByteDone);
    }
    if (!step_succeeded(wait_completion())) {
        return fail();
    }
    count = n;
    return succeed();
}

int SmbusHost::block_write(std::uint8_t reg, std::uint8_t value, std::uint8_t count) {
    if (count == 0) {
        return 1;
    }
    // Both the patched register and every byte sent come from the shadow, which has exactly
    // the chip's registers; anything beyond it is refused before any bus traffic.
    if (!is_chip_register(reg) || count > kClockChipRegisterCount) {
        return 0;
    }
    // The other registers of the run are sent as the chip holds them now.
    std::uint8_t delivered = 0;
    if (!block_read(delivered)) {
        return 0;
    }
    begin(TransferFailure::Transfer::BlockWrite, reg);
    if (!block_write_covered(reg, count, delivered)) {
        attempt_.cause = TransferFailure::Cause::NotCovered;
        attempt_.count = delivered;
        record_failure(attempt_);
        return 0;
    }
    store(reg, value);
    carried_count_ = count;

    preamble();
    write_port(kSmbHostCommand, 0);
    write_port(kSmbHostAddress, static_cast<std::uint8_t>(device_.value & ~kSmbAddressReadBit));
    write_port(kSmbHostData0, count);
    write_port(kSmbHostData1, 0);
    write_port(kSmbBlockData, shadow_.bytes[0]);
    write_port(kSmbHostControl, kSmbStartBlock);
    carried_.push_back(shadow_.bytes[0]);
    if (!step_succeeded(wait_byte_done())) {
        return fail();
    }
    for (unsigned j = 1; j < count; ++j) {
        write_port(kSmbBlockData, shadow_.bytes[j]);
        carried_.push_back(shadow_.bytes[j]);
        write_port(kSmbHostStatus, kSmbStatusByteDone);
        if (!step_succeeded(wait_byte_done())) {
            return fail();
        }
    }
    // The hubs hold completion until byte done of the last byte has been cleared too; one that
    // completes without it takes the clear as a no-op.
    write_port(kSmbHostStatus, kSmbStatusByteDone);
    if (!step_succeeded(wait_completion())) {
        return fail();
    }
    return succeed();
}

}  // namespace vantrel
