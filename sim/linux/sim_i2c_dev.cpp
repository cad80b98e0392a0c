// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/linux/sim_i2c_dev.h"

#include <algorithm>
#include <cerrno>

#include <linux/i2c-dev.h>
#include <linux/i2c.h>

namespace vantrel::sim {

namespace {

int error_of(FaultAction action) {
    switch (action) {
        case FaultAction::Timeout:
            return ETIMEDOUT;
        case FaultAction::DeviceError:
            return ENXIO;
        case FaultAction::BusError:
            return EAGAIN;
        case FaultAction::Failed:
            return EIO;
        case FaultAction::BlockCount:
        case FaultAction::DropWrite:
            break;
    }
    return 0;
}

TransferKind kind_of(std::uint8_t read_write, std::uint32_t size) {
    const bool reading = read_write == I2C_SMBUS_READ;
    if (size == I2C_SMBUS_BLOCK_DATA) {
        return reading ? TransferKind::BlockRead : TransferKind::BlockWrite;
    }
    return reading ? TransferKind::WordRead : TransferKind::WordWrite;
}

}  // namespace

const unsigned long SimulatedI2cDev::kIchFunctions =
    I2C_FUNC_SMBUS_QUICK | I2C_FUNC_SMBUS_BYTE | I2C_FUNC_SMBUS_BYTE_DATA |
    I2C_FUNC_SMBUS_WORD_DATA | I2C_FUNC_SMBUS_BLOCK_DATA | I2C_FUNC_SMBUS_WRITE_I2C_BLOCK;

int SimulatedI2cDev::open_node(const std::string& path) {
    if (path != node_) {
        return -ENOENT;
    }
    if (open_error_ != 0) {
        return -open_error_;
    }
    ++open_fds_;
    return kFd;
}

void SimulatedI2cDev::close_node(int fd) {
    if (fd == kFd && open_fds_ > 0) {
        --open_fds_;
        locked_ = locked_ && open_fds_ > 0;
    }
}

int SimulatedI2cDev::lock_node(int fd) {
    if (fd != kFd || open_fds_ == 0) {
        return -EBADF;
    }
    if (held_elsewhere_) {
        return -EWOULDBLOCK;
    }
    locked_ = true;
    return 0;
}

std::string SimulatedI2cDev::node_group(const std::string& path) {
    return path == node_ ? group_ : std::string();
}

int SimulatedI2cDev::ioctl(int fd, unsigned long request, void* arg) {
    if (fd != kFd || open_fds_ == 0) {
        return -EBADF;
    }
    const auto refused = request_errors_.find(request);
    if (refused != request_errors_.end()) {
        return -refused->second;
    }
    switch (request) {
        case I2C_FUNCS:
            *static_cast<unsigned long*>(arg) = functions_;
            return 0;
        case I2C_SLAVE: {
            const auto address = reinterpret_cast<unsigned long>(arg);
            if (address > 0x7F) {
                return -EINVAL;
            }
            address_ = static_cast<std::uint8_t>(address);
            return 0;
        }
        case I2C_SMBUS:
            return smbus(arg);
        default:
            return -ENOTTY;
    }
}

int SimulatedI2cDev::smbus(void* arg) {
    auto& args = *static_cast<i2c_smbus_ioctl_data*>(arg);
    if (args.size != I2C_SMBUS_WORD_DATA && args.size != I2C_SMBUS_BLOCK_DATA) {
        return -EOPNOTSUPP;
    }
    i2c_smbus_data& data = *args.data;
    const TransferKind kind = kind_of(args.read_write, args.size);
    // The ICH driver refuses a block write's count outside 1..32 before the transaction starts,
    // whatever the address: nothing reaches the wire.
    if (kind == TransferKind::BlockWrite &&
        (data.block[0] < 1 || data.block[0] > I2C_SMBUS_BLOCK_MAX)) {
        return -EPROTO;
    }
    const auto wire_address =
        static_cast<std::uint8_t>(address_ << 1 | (args.read_write == I2C_SMBUS_READ ? 1 : 0));
    records_.push_back(TransferRecord{kind, wire_address, args.command, {}, false});
    TransferRecord& record = records_.back();

    ++transfers_started_;
    const std::optional<Fault> fault = faults_.next(kind, args.command);
    int failure = 0;
    if (const auto error = errors_.find(transfers_started_); error != errors_.end()) {
        failure = error->second;
    } else if (fault) {
        failure = error_of(fault->action);
    }
    // A chip that acknowledges a write without storing it: the kernel sees success.
    const bool drop_write = fault && fault->action == FaultAction::DropWrite;
    const auto device = devices_.find(static_cast<std::uint8_t>(address_ << 1));
    if (device == devices_.end()) {
        return -ENXIO;
    }
    SmbusDevice& chip = *device->second;
    // A block read fails only after the device has answered (its count is on the wire first);
    // the other transfers fail before the device takes anything.
    if (failure != 0 && kind != TransferKind::BlockRead) {
        return -failure;
    }

    switch (kind) {
        case TransferKind::WordRead: {
            std::uint8_t count = 0;
            std::uint8_t value = 0;
            if (!chip.word_read(args.command, count, value)) {
                return -ENXIO;
            }
            data.word = static_cast<std::uint16_t>(count | value << 8);
            record.data = {count, value};
            break;
        }
        case TransferKind::WordWrite: {
            const auto count = static_cast<std::uint8_t>(data.word & 0xFF);
            const auto value = static_cast<std::uint8_t>(data.word >> 8);
            record.data = {count, value};
            if (!drop_write && !chip.word_write(args.command, count, value)) {
                return -ENXIO;
            }
            break;
        }
        case TransferKind::BlockRead: {
            std::vector<std::uint8_t> bytes;
            if (!chip.block_read(args.command, bytes)) {
                return -ENXIO;
            }
            if (fault && fault->action == FaultAction::BlockCount) {
                bytes.resize(fault->block_count, 0x00);
            }
            record.data = bytes;
            if (failure != 0) {
                return -failure;
            }
            if (unchecked_count_) {
                // What a kernel without the range check would hand over: the count as the
                // device sent it and as many bytes as the buffer holds.
                const std::uint8_t count = *unchecked_count_;
                unchecked_count_.reset();
                bytes.resize(count, 0x00);
                data.block[0] = count;
                const std::size_t fits = std::min<std::size_t>(count, I2C_SMBUS_BLOCK_MAX + 1);
                std::copy_n(bytes.begin(), fits, data.block + 1);
                break;
            }
            if (bytes.empty() || bytes.size() > I2C_SMBUS_BLOCK_MAX) {
                return -EPROTO;
            }
            data.block[0] = static_cast<std::uint8_t>(bytes.size());
            std::copy(bytes.begin(), bytes.end(), data.block + 1);
            break;
        }
        case TransferKind::BlockWrite: {
            const std::uint8_t count = data.block[0];
            const std::vector<std::uint8_t> bytes(data.block + 1, data.block + 1 + count);
            record.data = bytes;
            if (drop_write) {
                break;
            }
            // The bytes go to the device as they cross the wire: those before a refusal stay.
            if (!chip.block_write_begin(args.command, count)) {
                return -ENXIO;
            }
            for (const std::uint8_t byte : bytes) {
                if (!chip.block_write_byte(byte)) {
                    return -ENXIO;
                }
            }
            break;
        }
    }
    record.ok = true;
    return 0;
}

}  // namespace vantrel::sim
