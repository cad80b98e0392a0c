// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "bus/sleeper.h"
#include "bus/smbus_backend.h"
#include "bus/smbus_controller.h"
#include "bus/smbus_transfers.h"
#include "platform/linux/kernel/i2c_dev_system.h"
#include "platform/linux/kernel/smbus_sysfs.h"

namespace vantrel::platform {

// The kernel's SMBus block limit (I2C_SMBUS_BLOCK_MAX): no block transfer through i2c-dev
// carries more bytes, and a count outside 1..32 is never copied.
inline constexpr std::uint8_t kKernelBlockMax = 32;

// The errno's symbolic name ("ENXIO"), or "errno N" for one without.
std::string errno_name(int error_number);

// Why opening an adapter's node for the clock chip failed.
struct I2cDevOpenFailure {
    enum class Step : std::uint8_t {
        Open,       // the node could not be opened
        Lock,       // the node's lock could not be taken: another instance has it
        Functions,  // the adapter's functionality could not be read or lacks what the chip needs
        Address,    // the chip's address could not be selected
    };
    Step step = Step::Open;
    int error_number = 0;  // 0 when the step ran but its answer was not good enough
};

// The clock chip reached through the kernel's driver of the hub and its i2c-dev node: the same
// four transfers as the port host, made with the I2C_SMBUS ioctl to the chip's 7-bit address.
// The kernel makes each transfer whole, so a failed one stores nothing in the shadow.
class I2cDevBus : public SmbusBackend, public SmbusTransfers {
  public:
    I2cDevBus(I2cDevSystem& system, const SmbusAdapter& adapter, Sleeper& sleeper,
              SmbusController& controller, const DeviceAddress& device, RegisterShadow& shadow)
        : system_(system),
          adapter_(adapter),
          sleeper_(sleeper),
          controller_(controller),
          device_(device),
          shadow_(shadow) {}
    ~I2cDevBus() override;
    I2cDevBus(const I2cDevBus&) = delete;
    I2cDevBus& operator=(const I2cDevBus&) = delete;

    // Opens the adapter's node, checks that the adapter makes word-data and block-data
    // transfers, and selects the chip's address. On failure says at which step and why.
    bool open(I2cDevOpenFailure& failure);

    // The hub comes from the adapter found in sysfs; no port is touched.
    int detect_smbus_controller() override;
    SmbusTransfers& transfers() override { return *this; }

    int read_register(std::uint8_t reg, std::uint8_t& value) override;
    int write_register(std::uint8_t reg, std::uint8_t value) override;
    int block_read(std::uint8_t& count) override;
    int block_write(std::uint8_t reg, std::uint8_t value, std::uint8_t count) override;
    const RegisterShadow& shadow() const override { return shadow_; }

    const SmbusAdapter& adapter() const { return adapter_; }
    // The errno of the last transfer that failed (EPROTO for a block count outside 1..32), or
    // 0; the user sees the fixed messages, a command-line program can add this.
    int last_error() const { return last_error_; }

  private:
    int transfer(TransferFailure::Transfer transfer, std::uint8_t reg, std::uint8_t command,
                 void* data);
    int fail(TransferFailure::Transfer transfer, std::uint8_t reg, int error_number,
             std::uint8_t count = 0);
    void pause() { sleeper_.sleep_ms(kSmbTransferPauseMs); }

    I2cDevSystem& system_;
    SmbusAdapter adapter_;
    Sleeper& sleeper_;
    SmbusController& controller_;
    const DeviceAddress& device_;
    RegisterShadow& shadow_;
    int fd_ = -1;
    int last_error_ = 0;
};

}  // namespace vantrel::platform
