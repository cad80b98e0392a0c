// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "sim/fault_matcher.h"
#include "sim/faults.h"
#include "sim/protocol_log.h"
#include "sim/smbus_device.h"

namespace vantrel::sim {

// The ICH SMBus host controller's I/O block (offsets 0..7), with the word-data and block
// protocols, the byte-done handshake, kill and injected faults, as the 82801AA/AB/BA datasheets
// describe them. Each step of a started transaction finishes after `latency_polls` reads of the
// status register. A failed transaction sets device error (bus error for a collision) and never
// completion; a block transfer completes only once software has cleared byte done after its
// last data byte; a hung transaction stays busy until it is killed.
class SimSmbusController {
  public:
    explicit SimSmbusController(ProtocolLog& log) : log_(log) {}

    // `address` in write form (bit 0 clear), e.g. 0xD2.
    void attach(std::uint8_t address, SmbusDevice& device) { devices_[address] = &device; }

    void set_latency_polls(unsigned polls) { latency_polls_ = polls; }

    // Ordinals and occurrences count the transactions started after the fault is injected.
    void inject(const Fault& fault) { faults_.inject(fault); }

    std::uint8_t read(std::uint16_t offset);
    void write(std::uint16_t offset, std::uint8_t value);

    const std::vector<TransferRecord>& transfers() const { return records_; }
    void clear_transfers() { records_.clear(); }

    // Hears each transaction as it starts, by its number counted from 1, while the transaction
    // is still to run: something from outside can then happen in the middle of the bus work.
    void on_start(std::function<void(std::size_t transfer)> listener) {
        on_start_ = std::move(listener);
    }

  private:
    enum class Step : std::uint8_t { None, Word, ByteReady, ByteSent, Finish };

    void write_control(std::uint8_t value);
    void write_status(std::uint8_t value);
    void start(std::uint8_t control);
    void kill();
    void poll();
    void run_step();
    void run_word();
    void run_byte_ready();
    void run_byte_sent();
    bool strikes_at(unsigned byte) const;
    bool drops_write() const;
    void apply_fault();
    void end_with_error(std::uint8_t error_bit);
    void complete(std::uint8_t extra_status);
    void acknowledge_byte();
    void schedule(Step step);

    ProtocolLog& log_;
    std::map<std::uint8_t, SmbusDevice*> devices_;
    unsigned latency_polls_ = 1;
    FaultMatcher faults_;
    std::vector<TransferRecord> records_;
    std::function<void(std::size_t)> on_start_;

    // Host registers.
    std::uint8_t status_ = 0;
    std::uint8_t control_ = 0;
    std::uint8_t command_ = 0;
    std::uint8_t address_ = 0;
    std::uint8_t data0_ = 0;
    std::uint8_t data1_ = 0;
    std::uint8_t block_data_ = 0;

    // The transaction in progress.
    bool active_ = false;
    bool hung_ = false;
    TransferKind kind_ = TransferKind::WordRead;
    Step step_ = Step::None;
    unsigned polls_left_ = 0;
    std::optional<Fault> fault_;
    SmbusDevice* device_ = nullptr;
    std::vector<std::uint8_t> bytes_;
    unsigned index_ = 0;
    unsigned count_ = 0;
};

}  // namespace vantrel::sim
