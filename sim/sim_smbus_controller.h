#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "sim/fault_matcher.h"
#include "sim/fault_plan.h"
#include "sim/protocol_log.h"
#include "sim/smbus_device.h"

namespace vantrel::sim {

// The ICH SMBus host controller's I/O block (offsets 0..7), with the word-data and block
// protocols, the byte-done handshake and injected faults. Each step of a started transaction
// finishes after `latency_polls` reads of the status register.
class SimSmbusController {
  public:
    explicit SimSmbusController(ProtocolLog& log) : log_(log) {}

    // `address` in write form (bit 0 clear), e.g. 0xD2.
    void attach(std::uint8_t address, SmbusDevice& device) { devices_[address] = &device; }

    void set_latency_polls(unsigned polls) { latency_polls_ = polls; }
    // Real ICH hubs report a failed transaction with the error bit alone; some drivers expect
    // INTR as well, so the simulation can be told to set both.
    void set_error_sets_completion(bool on) { error_sets_completion_ = on; }

    // Ordinals and occurrences count the transactions started after the fault is injected.
    void inject(const Fault& fault) { faults_.inject(fault); }

    std::uint8_t read(std::uint16_t offset);
    void write(std::uint16_t offset, std::uint8_t value);

    const std::vector<TransferRecord>& transfers() const { return records_; }
    void clear_transfers() { records_.clear(); }

  private:
    enum class Step : std::uint8_t { None, Word, ByteReady, ByteSent, Finish };

    void start(std::uint8_t control);
    void poll();
    void run_step();
    bool strikes_at(unsigned byte) const;
    void end_with_error(std::uint8_t error_bit);
    void complete(std::uint8_t extra_status);
    void acknowledge_byte();
    void schedule(Step step);

    ProtocolLog& log_;
    std::map<std::uint8_t, SmbusDevice*> devices_;
    unsigned latency_polls_ = 1;
    bool error_sets_completion_ = false;
    FaultMatcher faults_;
    std::vector<TransferRecord> records_;

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
