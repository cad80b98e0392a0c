#include "sim/sim_smbus_controller.h"

#include <string>

#include "bus/smbus_host.h"

namespace vantrel::sim {

namespace {

constexpr std::uint8_t kWriteOneToClear = kSmbStatusIntr | kSmbStatusDevErr | kSmbStatusBusErr |
                                          kSmbStatusFailed | kSmbStatusByteDone | 0x60;

const char* register_name(std::uint16_t offset) {
    switch (offset) {
        case kSmbHostCommand:
            return "command";
        case kSmbHostAddress:
            return "slave address";
        case kSmbHostData0:
            return "data 0";
        case kSmbHostData1:
            return "data 1";
        default:
            return "an unused register";
    }
}

bool is_block(TransferKind kind) {
    return kind == TransferKind::BlockRead || kind == TransferKind::BlockWrite;
}

}  // namespace

std::uint8_t SimSmbusController::read(std::uint16_t offset) {
    switch (offset) {
        case kSmbHostStatus:
            poll();
            return static_cast<std::uint8_t>(status_ | (active_ ? kSmbStatusBusy : 0));
        case kSmbHostControl:
            // The start bit always reads back as 0.
            return static_cast<std::uint8_t>(control_ & ~kSmbControlStart);
        case kSmbHostCommand:
            return command_;
        case kSmbHostAddress:
            return address_;
        case kSmbHostData0:
            return data0_;
        case kSmbHostData1:
            return data1_;
        case kSmbBlockData:
            if (active_ && kind_ == TransferKind::BlockRead &&
                (status_ & kSmbStatusByteDone) == 0) {
                log_.violation("block data read before byte done");
            }
            return block_data_;
        default:
            log_.violation("read of unused SMBus host offset " + std::to_string(offset));
            return 0xFF;
    }
}

void SimSmbusController::write(std::uint16_t offset, std::uint8_t value) {
    switch (offset) {
        case kSmbHostStatus: {
            if (active_ && hung_) {
                // Stands in for the kill a real driver would need: the hung transaction is
                // dropped once the host gives up and clears the status.
                active_ = false;
                hung_ = false;
            }
            const bool ack = active_ && is_block(kind_) && (value & kSmbStatusByteDone) != 0 &&
                             (status_ & kSmbStatusByteDone) != 0;
            status_ = static_cast<std::uint8_t>(status_ & ~(value & kWriteOneToClear));
            if (ack) {
                acknowledge_byte();
            }
            return;
        }
        case kSmbHostControl:
            if ((value & kSmbControlStart) != 0) {
                if (active_) {
                    log_.violation("new start while busy");
                    return;
                }
                start(value);
                return;
            }
            if (active_ && kind_ != TransferKind::BlockRead) {
                log_.violation("control written during a transaction");
            }
            control_ = value;
            return;
        case kSmbHostCommand:
        case kSmbHostAddress:
        case kSmbHostData0:
        case kSmbHostData1:
            if (active_) {
                log_.violation(std::string(register_name(offset)) +
                               " written during a transaction");
            }
            if (offset == kSmbHostCommand) {
                command_ = value;
            } else if (offset == kSmbHostAddress) {
                address_ = value;
            } else if (offset == kSmbHostData0) {
                data0_ = value;
            } else {
                data1_ = value;
            }
            return;
        case kSmbBlockData:
            if (active_ &&
                (kind_ != TransferKind::BlockWrite || (status_ & kSmbStatusByteDone) == 0)) {
                log_.violation("block byte written without byte-done");
            }
            block_data_ = value;
            return;
        default:
            log_.violation("write to unused SMBus host offset " + std::to_string(offset));
            return;
    }
}

void SimSmbusController::start(std::uint8_t control) {
    control_ = control;
    const std::uint8_t command = control & kSmbControlCommandMask;
    const bool reading = (address_ & kSmbAddressReadBit) != 0;
    if (command == kSmbCommandWordData) {
        kind_ = reading ? TransferKind::WordRead : TransferKind::WordWrite;
    } else if (command == kSmbCommandBlock) {
        kind_ = reading ? TransferKind::BlockRead : TransferKind::BlockWrite;
    } else {
        log_.violation("start with an unsupported command field");
        return;
    }
    if ((status_ & kWriteOneToClear) != 0) {
        log_.violation("start with status bits still set");
    }
    records_.push_back(TransferRecord{kind_, address_, command_, {}, false});
    fault_ = faults_.next(kind_, command_);
    const auto device = devices_.find(static_cast<std::uint8_t>(address_ & ~kSmbAddressReadBit));
    device_ = device == devices_.end() ? nullptr : device->second;

    active_ = true;
    hung_ = false;
    bytes_.clear();
    index_ = 0;
    count_ = 0;
    if (kind_ == TransferKind::BlockWrite) {
        count_ = data0_;
        if (count_ == 0) {
            log_.violation("block write with a byte count of 0");
        }
        bytes_.push_back(block_data_);
        schedule(Step::ByteSent);
    } else if (kind_ == TransferKind::BlockRead) {
        schedule(Step::ByteReady);
    } else {
        schedule(Step::Word);
    }
}

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
    return fault_ && fault_->action != FaultAction::BlockCount && fault_->at_byte == byte;
}

void SimSmbusController::end_with_error(std::uint8_t error_bit) {
    status_ = static_cast<std::uint8_t>(status_ | error_bit |
                                        (error_sets_completion_ ? kSmbStatusIntr : 0));
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
    const auto apply_fault = [this]() {
        switch (fault_->action) {
            case FaultAction::Timeout:
                hung_ = true;
                break;
            case FaultAction::DeviceError:
                end_with_error(kSmbStatusDevErr);
                break;
            case FaultAction::BusError:
                end_with_error(kSmbStatusBusErr);
                break;
            case FaultAction::BlockCount:
                break;
        }
    };

    switch (step) {
        case Step::None:
            return;
        case Step::Word: {
            if (fault_ && fault_->action != FaultAction::BlockCount) {
                apply_fault();
                return;
            }
            bool acked = false;
            if (kind_ == TransferKind::WordRead) {
                std::uint8_t count = 0;
                std::uint8_t value = 0;
                acked = device_->word_read(command_, count, value);
                if (acked) {
                    data0_ = count;
                    data1_ = value;
                    records_.back().data = {count, value};
                }
            } else {
                acked = device_->word_write(command_, data0_, data1_);
                records_.back().data = {data0_, data1_};
            }
            if (acked) {
                complete(0);
            } else {
                end_with_error(kSmbStatusDevErr);
            }
            return;
        }
        case Step::ByteReady:
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
                complete(kSmbStatusByteDone);
                return;
            }
            block_data_ = bytes_[index_];
            status_ |= kSmbStatusByteDone;
            return;
        case Step::ByteSent: {
            const auto sent = static_cast<unsigned>(bytes_.size());
            if (strikes_at(sent - 1)) {
                apply_fault();
                return;
            }
            if (sent < count_) {
                status_ |= kSmbStatusByteDone;
                return;
            }
            records_.back().data = bytes_;
            if (!device_->block_write(command_, bytes_)) {
                end_with_error(kSmbStatusDevErr);
                return;
            }
            complete(kSmbStatusByteDone);
            return;
        }
        case Step::Finish:
            complete(0);
            return;
    }
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
    if (bytes_.size() >= count_) {
        log_.violation("byte acknowledged after the last byte of a block write");
        return;
    }
    bytes_.push_back(block_data_);
    schedule(Step::ByteSent);
}

}  // namespace vantrel::sim
