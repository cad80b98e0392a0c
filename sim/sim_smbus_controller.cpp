// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/sim_smbus_controller.h"

#include <string>

#include "bus/smbus_host.h"

namespace vantrel::sim {

namespace {

constexpr std::uint8_t kWriteOneToClear = kSmbStatusIntr | kSmbStatusDevErr | kSmbStatusBusErr |
                                          kSmbStatusFailed | kSmbStatusSmbAlert | kSmbStatusInUse |
                                          kSmbStatusByteDone;

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

}  // namespace

std::uint8_t SimSmbusController::read(std::uint16_t offset) {
    switch (offset) {
        case kSmbHostStatus:
            poll();
            return static_cast<std::uint8_t>(status_ | (active_ ? kSmbStatusBusy : 0));
        case kSmbHostControl:
            // No side effect: the block-index reset on reading control belongs to later hubs
            // with a block buffer. The start bit always reads back as 0; kill reads as written.
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
        case kSmbHostStatus:
            write_status(value);
            return;
        case kSmbHostControl:
            write_control(value);
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

void SimSmbusController::write_status(std::uint8_t value) {
    // Clearing status never ends a transaction: one that hangs stays busy until it is killed.
    const bool ack = active_ && is_block(kind_) && (value & kSmbStatusByteDone) != 0 &&
                     (status_ & kSmbStatusByteDone) != 0;
    status_ = static_cast<std::uint8_t>(status_ & ~(value & kWriteOneToClear));
    if (ack) {
        acknowledge_byte();
    }
}

void SimSmbusController::write_control(std::uint8_t value) {
    const bool was_killing = (control_ & kSmbControlKill) != 0;
    if ((value & kSmbControlKill) != 0) {
        if (!was_killing) {
            kill();
        }
        if ((value & kSmbControlStart) != 0) {
            log_.violation("start written together with the kill bit");
        }
        control_ = static_cast<std::uint8_t>(value & ~kSmbControlStart);
        return;
    }
    if ((value & kSmbControlStart) != 0) {
        if (active_) {
            log_.violation("new start while busy");
            return;
        }
        // The controller works again only once software has cleared kill; the write that
        // clears it cannot start a transaction as well.
        if (was_killing) {
            log_.violation("start written before the kill bit was cleared");
            control_ = static_cast<std::uint8_t>(value & ~kSmbControlStart);
            return;
        }
        start(value);
        return;
    }
    if (active_ && kind_ != TransferKind::BlockRead) {
        log_.violation("control written during a transaction");
    }
    control_ = value;
}

void SimSmbusController::kill() {
    active_ = false;
    hung_ = false;
    step_ = Step::None;
    status_ |= kSmbStatusFailed;
}

void SimSmbusController::start(std::uint8_t control) {
    control_ = static_cast<std::uint8_t>(control & ~kSmbControlStart);
    const std::uint8_t command = control & kSmbControlCommandMask;
    const bool reading = (address_ & kSmbAddressReadBit) != 0;
    if (command == kSmbCommandWordData) {
        kind_ = reading ? TransferKind::WordRead : TransferKind::WordWrite;
    } else if (command == kSmbCommandBlock) {
        kind_ = reading ? TransferKind::BlockRead : TransferKind::BlockWrite;
    } else {
        // The hub refuses a command field it does not run with a device error, never busy.
        log_.violation("start with an unsupported command field");
        status_ |= kSmbStatusDevErr;
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
    if (on_start_) {
        on_start_(records_.size());
    }
}

}  // namespace vantrel::sim
