// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl/failure_text.h"

#include <cstdio>

#include "platform/linux/kernel/i2c_dev_bus.h"

namespace vantrel::cli {

namespace {

using Cause = TransferFailure::Cause;
using Transfer = TransferFailure::Transfer;

// What the controller's status said, or the kernel's errno on the i2c-dev path.
std::string detail(const TransferFailure& failure) {
    if (failure.error_number != 0) {
        return platform::errno_name(failure.error_number) + " from the kernel";
    }
    switch (failure.cause) {
        case Cause::Timeout:
            return "SMBus timeout";
        case Cause::DeviceError:
            return "SMBus device error";
        case Cause::BusError:
            return "SMBus bus error";
        case Cause::Failed:
            return "SMBus failed";
        case Cause::BlockCount:
        case Cause::NotCovered:
        case Cause::Kernel:
            break;
    }
    return {};
}

std::string subject(const TransferFailure& failure) {
    std::string text = std::string("the ") + transfer_name(failure.transfer);
    if (failure.transfer != Transfer::BlockRead) {
        text += " of " + register_name(failure.reg);
    }
    return text;
}

}  // namespace

const char* transfer_name(Transfer transfer) {
    switch (transfer) {
        case Transfer::WordRead:
            return "word read";
        case Transfer::WordWrite:
            return "word write";
        case Transfer::BlockRead:
            return "block read";
        case Transfer::BlockWrite:
            return "block write";
    }
    return "";
}

const char* cause_name(Cause cause) {
    switch (cause) {
        case Cause::Timeout:
            return "timeout";
        case Cause::DeviceError:
            return "device-error";
        case Cause::BusError:
            return "bus-error";
        case Cause::Failed:
            return "failed";
        case Cause::BlockCount:
            return "block-count";
        case Cause::NotCovered:
            return "not-covered";
        case Cause::Kernel:
            return "kernel";
    }
    return "";
}

std::string register_name(std::uint8_t reg) {
    char name[8];
    std::snprintf(name, sizeof name, "REG%02X", unsigned{reg});
    return name;
}

std::string failure_text(const TransferFailure& failure) {
    const std::string what = subject(failure);
    const std::string why = detail(failure);
    const std::string tail = why.empty() ? "" : " (" + why + ")";
    const std::string count = std::to_string(failure.count);
    switch (failure.cause) {
        case Cause::Timeout:
            return what + " timed out and was killed" + tail;
        case Cause::DeviceError:
            return "the chip did not acknowledge " + what + tail;
        case Cause::BusError:
            return what + " met a bus error or collision" + tail;
        case Cause::Failed:
            return "the controller failed " + what + tail;
        case Cause::BlockCount:
            return "the chip announced a block count out of range (" + count + ") in " + what +
                   tail;
        case Cause::NotCovered:
            return what + " was not sent: its block read delivered " + count +
                   " registers, fewer than it would send" + tail;
        case Cause::Kernel:
            return "the kernel refused " + what + tail;
    }
    return what + tail;
}

std::string failure_json(const TransferFailure& failure) {
    std::string out = std::string("{\"transfer\": \"") + transfer_name(failure.transfer) + "\"";
    out += failure.transfer == Transfer::BlockRead
               ? ", \"register\": null"
               : ", \"register\": " + std::to_string(failure.reg);
    out += std::string(", \"cause\": \"") + cause_name(failure.cause) + "\"";
    out += failure.error_number != 0
               ? ", \"errno\": \"" + platform::errno_name(failure.error_number) + "\""
               : std::string(", \"errno\": null");
    out += ", \"text\": \"" + failure_text(failure) + "\"}";
    return out;
}

}  // namespace vantrel::cli
