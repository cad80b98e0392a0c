// SPDX-License-Identifier: GPL-2.0-or-later
// The simulated controller's transaction as it runs: one step a status poll, the device's
// answers, and the injected faults striking.
#include "bus/smbus_host.h"
#include "sim/sim_smbus_controller.h"

namespace vantrel::sim {

void SimSmbusController::schedule(Step step) {
    step_ = step;
    polls_left_ = latency_polls_;
}

void SimSmbusController::poll() {
    if (!active_ || hung_ || step_ == Step::None) {
        return;
    }
    if (polls_left_ > 0) {
        --polls_left_;
        return;
    }
    run_step();
}

bool SimSmbusController::strikes_at(unsigned byte) const {
    if (!fault_) {
        return false;
    }
    const FaultAction action = fault_->action;
    const bool stops = action == FaultAction::Timeout || action == FaultAction::DeviceError ||
                       action == FaultAction::BusError || action == FaultAction::Failed;
    return stops && (!is_block(kind_) || fault_->at_byte == byte);
}

bool SimSmbusController::drops_write() const {
    return fault_ && fault_->action == FaultAction::DropWrite && is_write(kind_);
}

void SimSmbusController::apply_fault() {
    switch (fault_->action) {
        case FaultAction::Timeout:
            hung_ = true;
            return;
        case FaultAction::DeviceError:
            end_with_error(kSmbStatusDevErr);
            return;
        case FaultAction::BusError:
            end_with_error(kSmbStatusBusErr);
            return;
        case FaultAction::Failed:
            end_with_error(kSmbStatusFailed);
            return;
        case FaultAction::BlockCount:
        case FaultAction::DropWrite:
            return;
    }
}

void SimSmbusController::end_with_error(std::uint8_t error_bit) {
    status_ |= error_bit;
    active_ = false;
    records_.back().ok = false;
}

void SimSmbusController::complete(std::uint8_t extra_status) {
    status_ = static_cast<std::uint8_t>(status_ | kSmbStatusIntr | extra_status);
    active_ = false;
    records_.back().ok = true;
}

void SimSmbusController::run_step() {
    const Step step = step_;
    step_ = Step::None;

    // An absent device never acknowledges its address.
    if (device_ == nullptr) {
        end_with_error(kSmbStatusDevErr);
        return;
    }
    switch (step) {
        case Step::None:
            return;
        case Step::Word:
            run_word();
            return;
        case Step::ByteReady:
            run_byte_ready();
            return;
        case Step::ByteSent:
            run_byte_sent();
            return;
        case Step::Finish:
            complete(0);
            return;
    }
}

void SimSmbusController::run_word() {
    if (strikes_at(0)) {
        apply_fault();
        return;
    }
    if (kind_ == TransferKind::WordRead) {
        std::uint8_t count = 0;
        std::uint8_t value = 0;
        if (!device_->word_read(command_, count, value)) {
            end_with_error(kSmbStatusDevErr);
            return;
        }
        data0_ = count;
        data1_ = value;
        records_.back().data = {count, value};
        complete(0);
        return;
    }
    records_.back().data = {data0_, data1_};
    if (!drops_write() && !device_->word_write(command_, data0_, data1_)) {
        end_with_error(kSmbStatusDevErr);
        return;
    }
    complete(0);
}

void SimSmbusController::run_byte_ready() {
    if (index_ == 0) {
        if (!device_->block_read(command_, bytes_)) {
            end_with_error(kSmbStatusDevErr);
            return;
        }
        if (fault_ && fault_->action == FaultAction::BlockCount) {
            bytes_.resize(fault_->block_count, 0x00);
        }
        if (bytes_.size() > 0xFF) {
            bytes_.resize(0xFF);
        }
        count_ = static_cast<unsigned>(bytes_.size());
        data0_ = static_cast<std::uint8_t>(count_);
        records_.back().data = bytes_;
    }
    if (strikes_at(index_)) {
        apply_fault();
        return;
    }
    if (count_ == 0) {
        // With no data byte to hand over, the count byte itself ends the transfer.
        complete(kSmbStatusByteDone);
        return;
    }
    block_data_ = bytes_[index_];
    status_ |= kSmbStatusByteDone;
}

void SimSmbusController::run_byte_sent() {
    const auto index = static_cast<unsigned>(bytes_.size() - 1);
    if (index == 0 && !drops_write() && !device_->block_write_begin(command_, data0_)) {
        end_with_error(kSmbStatusDevErr);
        return;
    }
    if (strikes_at(index)) {
        apply_fault();
        return;
    }
    if (!drops_write() && !device_->block_write_byte(bytes_[index])) {
        end_with_error(kSmbStatusDevErr);
        return;
    }
    records_.back().data.push_back(bytes_[index]);
    status_ |= kSmbStatusByteDone;
}

void SimSmbusController::acknowledge_byte() {
    if (kind_ == TransferKind::BlockRead) {
        const bool last = index_ + 1 >= count_;
        const bool last_byte_bit = (control_ & kSmbControlLastByte) != 0;
        if (last && !last_byte_bit) {
            log_.violation("last byte of a block read acknowledged without the last-byte bit");
        }
        if (!last && last_byte_bit) {
            log_.violation("last-byte bit set before the last byte of a block read");
        }
        if (last) {
            schedule(Step::Finish);
        } else {
            ++index_;
            schedule(Step::ByteReady);
        }
        return;
    }
    // A block write ends only when byte done of its last byte has been cleared.
    if (bytes_.size() >= count_) {
        schedule(Step::Finish);
        return;
    }
    bytes_.push_back(block_data_);
    schedule(Step::ByteSent);
}

}  // namespace vantrel::sim
