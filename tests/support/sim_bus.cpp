// SPDX-License-Identifier: GPL-2.0-or-later
#include "support/sim_bus.h"

#include <gtest/gtest.h>

namespace vantrel::test {

namespace {

constexpr std::uint8_t kEnhancedModeReg10 = 0x0B;
constexpr std::uint8_t kStopBits =
    kSmbStatusByteDone | kSmbStatusDevErr | kSmbStatusBusErr | kSmbStatusFailed;

}  // namespace

SimBus::SimBus() {
    EXPECT_EQ(detect_smbus_controller(board, controller), 1);
}

void SimBus::enter_enhanced_mode() {
    ASSERT_EQ(host.block_write(0x10, kEnhancedModeReg10, 17), 1);
    ASSERT_TRUE(board.chip().enhanced_mode());
}

std::uint8_t HostPorts::read(std::uint16_t offset) {
    const std::uint8_t value =
        board_.read_byte(static_cast<std::uint16_t>(kDefaultSmbusIoBase + offset));
    if (offset == kSmbHostStatus && (value & kSmbStatusIntr) != 0) {
        completion_seen_ = true;
    }
    return value;
}

void HostPorts::write(std::uint16_t offset, std::uint8_t value) {
    board_.write_byte(static_cast<std::uint16_t>(kDefaultSmbusIoBase + offset), value);
}

std::uint8_t HostPorts::settle(unsigned polls) {
    std::uint8_t status = read(kSmbHostStatus);
    for (unsigned i = 1; i < polls && (status & kStopBits) == 0 && (status & kSmbStatusBusy) != 0;
         ++i) {
        status = read(kSmbHostStatus);
    }
    return status;
}

void HostPorts::start_word(bool read_form, std::uint8_t reg, std::uint8_t count,
                           std::uint8_t value) {
    write(kSmbHostAddress,
          static_cast<std::uint8_t>(kClockChipAddress | (read_form ? kSmbAddressReadBit : 0)));
    write(kSmbHostCommand, reg);
    write(kSmbHostData0, count);
    write(kSmbHostData1, value);
    write(kSmbHostControl, kSmbStartWordData);
}

unsigned HostPorts::block_write(const std::vector<std::uint8_t>& bytes, std::uint8_t count,
                                bool clear_last) {
    write(kSmbHostAddress, kClockChipAddress);
    write(kSmbHostCommand, 0);
    write(kSmbHostData0, count);
    write(kSmbHostData1, 0);
    write(kSmbBlockData, bytes.empty() ? 0 : bytes[0]);
    write(kSmbHostControl, kSmbStartBlock);
    unsigned taken = 0;
    for (std::size_t j = 0; j < count; ++j) {
        const std::uint8_t status = settle();
        if ((status & kSmbStatusByteDone) == 0) {
            return taken;
        }
        ++taken;
        if (j + 1 < count) {
            write(kSmbBlockData, bytes[j + 1]);
        } else if (!clear_last) {
            return taken;
        }
        write(kSmbHostStatus, kSmbStatusByteDone);
    }
    return taken;
}

}  // namespace vantrel::test
