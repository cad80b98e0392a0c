// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/kernel/i2c_dev_bus.h"

#include <cerrno>
#include <cstring>

#include <linux/i2c-dev.h>
#include <linux/i2c.h>

#include "bus/bus_observer.h"

namespace vantrel::platform {

namespace {

static_assert(I2C_SMBUS_BLOCK_MAX == kKernelBlockMax);

// What the chip's register protocol needs of the adapter, in both directions.
constexpr unsigned long kNeededFunctions = I2C_FUNC_SMBUS_WORD_DATA | I2C_FUNC_SMBUS_BLOCK_DATA;

// The chip's register protocol puts the count (1) in a word's first byte on the wire, which the
// kernel carries as the word's low byte, and the register value in the high byte.
constexpr std::uint16_t word_of(std::uint8_t value) {
    return static_cast<std::uint16_t>(1u | unsigned{value} << 8);
}
constexpr std::uint8_t value_of(std::uint16_t word) {
    return static_cast<std::uint8_t>(word >> 8);
}

bool is_chip_register(std::size_t reg) {
    return reg < kClockChipRegisterCount;
}

// The ICH driver gives each status bit its own errno.
TransferFailure::Cause cause_of(int error_number) {
    switch (error_number) {
        case ETIMEDOUT:
            return TransferFailure::Cause::Timeout;
        case ENXIO:
            return TransferFailure::Cause::DeviceError;
        case EAGAIN:
            return TransferFailure::Cause::BusError;
        case EIO:
            return TransferFailure::Cause::Failed;
        case EPROTO:
            return TransferFailure::Cause::BlockCount;
        default:
            return TransferFailure::Cause::Kernel;
    }
}

}  // namespace

std::string errno_name(int error_number) {
    const char* name = strerrorname_np(error_number);
    return name != nullptr ? name : "errno " + std::to_string(error_number);
}

I2cDevBus::~I2cDevBus() {
    if (fd_ >= 0) {
        system_.close_node(fd_);
    }
}

bool I2cDevBus::open(I2cDevOpenFailure& failure) {
    if (fd_ >= 0) {
        return true;
    }
    const int fd = system_.open_node(adapter_.node());
    if (fd < 0) {
        failure = {I2cDevOpenFailure::Step::Open, -fd};
        return false;
    }
    // The kernel makes each transfer whole, but an apply is many; a second program between
    // them would program the chip from a stale mirror.
    const int lock_result = system_.lock_node(fd);
    if (lock_result < 0) {
        system_.close_node(fd);
        failure = {I2cDevOpenFailure::Step::Lock, -lock_result};
        return false;
    }
    unsigned long functions = 0;
    const int functions_result = system_.ioctl(fd, I2C_FUNCS, &functions);
    if (functions_result < 0 || (functions & kNeededFunctions) != kNeededFunctions) {
        system_.close_node(fd);
        failure = {I2cDevOpenFailure::Step::Functions,
                   functions_result < 0 ? -functions_result : 0};
        return false;
    }
    // I2C_SLAVE, not I2C_SLAVE_FORCE: an address a kernel driver has claimed is not taken away
    // from it.
    const unsigned long address = device_.value >> 1;
    const int address_result = system_.ioctl(fd, I2C_SLAVE, reinterpret_cast<void*>(address));
    if (address_result < 0) {
        system_.close_node(fd);
        failure = {I2cDevOpenFailure::Step::Address, -address_result};
        return false;
    }
    fd_ = fd;
    return true;
}

int I2cDevBus::detect_smbus_controller() {
    controller_.kind = adapter_.function.kind;
    if (controller_.kind == ChipsetKind::None) {
        return 0;
    }
    if (adapter_.function.io_base) {
        // The kernel reaches the ports itself, but a base the hub could not have given is the
        // same sign of a missing function as on the port path, and both paths agree on it.
        if (!smbus_base_usable(*adapter_.function.io_base)) {
            controller_.kind = ChipsetKind::None;
            return 0;
        }
        controller_.io_base = *adapter_.function.io_base;
    }
    return 1;
}

int I2cDevBus::fail(TransferFailure::Transfer transfer, std::uint8_t reg, int error_number,
                    std::uint8_t count) {
    last_error_ = error_number;
    TransferFailure failure;
    failure.transfer = transfer;
    failure.reg = reg;
    failure.cause = cause_of(error_number);
    failure.count = count;
    failure.error_number = error_number;
    record_failure(failure);
    return 0;
}

int I2cDevBus::transfer(TransferFailure::Transfer transfer, std::uint8_t reg, std::uint8_t command,
                        void* data) {
    if (fd_ < 0) {
        return fail(transfer, reg, EBADF);
    }
    using Transfer = TransferFailure::Transfer;
    i2c_smbus_ioctl_data args{};
    args.read_write = transfer == Transfer::WordRead || transfer == Transfer::BlockRead
                          ? I2C_SMBUS_READ
                          : I2C_SMBUS_WRITE;
    args.command = command;
    args.size = transfer == Transfer::WordRead || transfer == Transfer::WordWrite
                    ? I2C_SMBUS_WORD_DATA
                    : I2C_SMBUS_BLOCK_DATA;
    args.data = static_cast<i2c_smbus_data*>(data);
    const int result = system_.ioctl(fd_, I2C_SMBUS, &args);
    if (result < 0) {
        fail(transfer, reg, -result);
        // A write carried its bytes, as far as anyone can tell; a read delivered none.
        const auto& sent = *static_cast<const i2c_smbus_data*>(data);
        if (transfer == Transfer::WordWrite) {
            const std::uint8_t value = value_of(sent.word);
            transfer_ended(transfer, reg, 1, &value, 1, false);
        } else if (transfer == Transfer::BlockWrite) {
            transfer_ended(transfer, reg, sent.block[0], &sent.block[1], sent.block[0], false);
        } else {
            transfer_ended(transfer, reg, transfer == Transfer::WordRead ? 1 : 0, nullptr, 0,
                           false);
        }
        return 0;
    }
    return 1;
}

int I2cDevBus::read_register(std::uint8_t reg, std::uint8_t& value) {
    if (!is_chip_register(reg)) {
        return 0;
    }
    i2c_smbus_data data{};
    if (!transfer(TransferFailure::Transfer::WordRead, reg, reg, &data)) {
        return 0;
    }
    // The count the chip sent back in the low byte is not looked at, as on the port path.
    const std::uint8_t received = value_of(data.word);
    shadow_.bytes[reg] = received;
    value = received;
    transfer_ended(TransferFailure::Transfer::WordRead, reg, 1, &received, 1, true);
    pause();
    return 1;
}

int I2cDevBus::write_register(std::uint8_t reg, std::uint8_t value) {
    if (!is_chip_register(reg)) {
        return 0;
    }
    i2c_smbus_data data{};
    data.word = word_of(value);
    if (!transfer(TransferFailure::Transfer::WordWrite, reg, reg, &data)) {
        return 0;
    }
    shadow_.bytes[reg] = value;
    transfer_ended(TransferFailure::Transfer::WordWrite, reg, 1, &value, 1, true);
    pause();
    return 1;
}

int I2cDevBus::block_read(std::uint8_t& count) {
    i2c_smbus_data data{};
    if (!transfer(TransferFailure::Transfer::BlockRead, 0, 0, &data)) {
        return 0;
    }
    // The kernel refuses counts outside 1..32 itself; one that slipped through would name bytes
    // the buffer does not hold, so it fails the transfer instead of being copied.
    const std::uint8_t n = data.block[0];
    if (n < 1 || n > kKernelBlockMax) {
        fail(TransferFailure::Transfer::BlockRead, 0, EPROTO, n);
        transfer_ended(TransferFailure::Transfer::BlockRead, 0, n, nullptr, 0, false);
        return 0;
    }
    for (unsigned j = 0; j < n; ++j) {
        shadow_.bytes[j] = data.block[j + 1];
    }
    count = n;
    transfer_ended(TransferFailure::Transfer::BlockRead, 0, n, &data.block[1], n, true);
    pause();
    return 1;
}

int I2cDevBus::block_write(std::uint8_t reg, std::uint8_t value, std::uint8_t count) {
    if (count == 0) {
        return 1;
    }
    // Refused before any traffic: a patch outside the shadow, or more bytes than the kernel
    // carries in one block.
    if (!is_chip_register(reg) || count > kKernelBlockMax) {
        return 0;
    }
    std::uint8_t delivered = 0;
    if (!block_read(delivered)) {
        return 0;
    }
    if (!block_write_covered(reg, count, delivered)) {
        last_error_ = EPROTO;
        record_failure({TransferFailure::Transfer::BlockWrite, reg,
                        TransferFailure::Cause::NotCovered, delivered, EPROTO});
        return 0;
    }
    shadow_.bytes[reg] = value;

    i2c_smbus_data data{};
    data.block[0] = count;
    for (unsigned j = 0; j < count; ++j) {
        data.block[j + 1] = shadow_.bytes[j];
    }
    if (!transfer(TransferFailure::Transfer::BlockWrite, reg, 0, &data)) {
        return 0;
    }
    transfer_ended(TransferFailure::Transfer::BlockWrite, reg, count, &data.block[1], count, true);
    pause();
    return 1;
}

}  // namespace vantrel::platform
