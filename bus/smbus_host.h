// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <vector>

#include "bus/port_io.h"
#include "bus/sleeper.h"
#include "bus/smbus_controller.h"
#include "bus/smbus_transfers.h"

namespace vantrel {

// Offsets in the SMBus host controller's I/O block.
inline constexpr std::uint16_t kSmbHostStatus = 0;
inline constexpr std::uint16_t kSmbHostControl = 2;
inline constexpr std::uint16_t kSmbHostCommand = 3;
inline constexpr std::uint16_t kSmbHostAddress = 4;
inline constexpr std::uint16_t kSmbHostData0 = 5;
inline constexpr std::uint16_t kSmbHostData1 = 6;
inline constexpr std::uint16_t kSmbBlockData = 7;

// Host status bits.
inline constexpr std::uint8_t kSmbStatusBusy = 0x01;
inline constexpr std::uint8_t kSmbStatusIntr = 0x02;  // transaction completed
inline constexpr std::uint8_t kSmbStatusDevErr = 0x04;
inline constexpr std::uint8_t kSmbStatusBusErr = 0x08;
inline constexpr std::uint8_t kSmbStatusFailed = 0x10;
inline constexpr std::uint8_t kSmbStatusSmbAlert = 0x20;  // a device pulled SMBALERT#
inline constexpr std::uint8_t kSmbStatusInUse = 0x40;     // the host's semaphore, set by a read
inline constexpr std::uint8_t kSmbStatusByteDone = 0x80;
inline constexpr std::uint8_t kSmbStatusClearAll = 0xFF;

// Host control values: start (bit 6), command field (bits 4..2), last byte (bit 5) and kill
// (bit 1).
inline constexpr std::uint8_t kSmbControlKill = 0x02;
inline constexpr std::uint8_t kSmbControlStart = 0x40;
inline constexpr std::uint8_t kSmbControlLastByte = 0x20;
inline constexpr std::uint8_t kSmbControlCommandMask = 0x1C;
inline constexpr std::uint8_t kSmbCommandWordData = 0x0C;
inline constexpr std::uint8_t kSmbCommandBlock = 0x14;
inline constexpr std::uint8_t kSmbStartWordData = kSmbControlStart | kSmbCommandWordData;  // 0x4C
inline constexpr std::uint8_t kSmbStartBlock = kSmbControlStart | kSmbCommandBlock;        // 0x54

inline constexpr std::uint8_t kSmbAddressReadBit = 0x01;

// The wait polls status with this sleep between reads and gives up after this many sleeps.
inline constexpr std::uint32_t kSmbPollSleepMs = 10;
inline constexpr int kSmbPollMaxSleeps = 100;
// How long the kill bit is held before it is cleared again.
inline constexpr std::uint32_t kSmbKillHoldMs = 1;
// What a block read asks for in data 0.
inline constexpr std::uint8_t kBlockReadRequestCount = 0x24;

// Synchronous transfers with the clock chip through the ICH SMBus host controller.
// Each returns 1 on success and 0 on failure; out-parameters are written only on success.
class SmbusHost : public SmbusTransfers {
  public:
    SmbusHost(PortIo& io, Sleeper& sleeper, const SmbusController& controller,
              const DeviceAddress& device, RegisterShadow& shadow)
        : io_(io), sleeper_(sleeper), controller_(controller), device_(device), shadow_(shadow) {}

    int read_register(std::uint8_t reg, std::uint8_t& value) override;
    int write_register(std::uint8_t reg, std::uint8_t value) override;
    int block_read(std::uint8_t& count) override;
    int block_write(std::uint8_t reg, std::uint8_t value, std::uint8_t count) override;

    const RegisterShadow& shadow() const override { return shadow_; }

  private:
    std::uint8_t read_port(std::uint16_t offset);
    void write_port(std::uint16_t offset, std::uint8_t value);

    void begin(TransferFailure::Transfer transfer, std::uint8_t reg);
    void preamble();
    bool wait_for(std::uint8_t mask, std::uint8_t expected);
    bool wait_completion();
    bool wait_byte_done();
    bool error_test_passes();
    bool step_succeeded(bool waited);
    void kill_transaction();
    void clean_up();
    int fail();
    int succeed();
    void pause();
    void store(std::size_t reg, std::uint8_t value);

    PortIo& io_;
    Sleeper& sleeper_;
    const SmbusController& controller_;
    const DeviceAddress& device_;
    RegisterShadow& shadow_;
    TransferFailure attempt_;            // the running transfer, and once a step fails, why
    std::uint8_t carried_count_ = 0;     // its block count, 1 for a word
    std::vector<std::uint8_t> carried_;  // the register bytes it has carried so far
    std::uint8_t last_status_ = 0;
};

}  // namespace vantrel
