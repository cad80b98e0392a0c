// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "bus/port_io.h"
#include "bus/sleeper.h"
#include "bus/smbus_controller.h"
#include "bus/smbus_host.h"
#include "bus/smbus_transfers.h"

namespace vantrel {

// One way of reaching the clock chip's bus: finding the SMBus controller, then the transfers.
// The main dialog holds one and does not know which it is.
class SmbusBackend {
  public:
    virtual ~SmbusBackend() = default;

    // Fills the program's SmbusController. Returns 1 when a supported hub was found and 0
    // otherwise; always stores the kind.
    virtual int detect_smbus_controller() = 0;
    // Usable once detection has succeeded.
    virtual SmbusTransfers& transfers() = 0;
};

// Direct port access: PCI configuration mechanism #1 for discovery and the ICH host
// controller's I/O block for the transfers.
class PortSmbusBackend : public SmbusBackend {
  public:
    PortSmbusBackend(PortIo& io, Sleeper& sleeper, SmbusController& controller,
                     const DeviceAddress& device, RegisterShadow& shadow)
        : io_(io), controller_(controller), host_(io, sleeper, controller, device, shadow) {}

    int detect_smbus_controller() override {
        return vantrel::detect_smbus_controller(io_, controller_);
    }
    SmbusTransfers& transfers() override { return host_; }

  private:
    PortIo& io_;
    SmbusController& controller_;
    SmbusHost host_;
};

// No bus at all, for a program that has refused both ways of reaching it: nothing is found and
// every transfer fails without touching anything, so the dialog opens in its "no controller"
// state.
class NoSmbusBackend : public SmbusBackend, private SmbusTransfers {
  public:
    NoSmbusBackend(SmbusController& controller, const RegisterShadow& shadow)
        : controller_(controller), shadow_(shadow) {}

    int detect_smbus_controller() override {
        controller_.kind = ChipsetKind::None;
        return 0;
    }
    SmbusTransfers& transfers() override { return *this; }

  private:
    int read_register(std::uint8_t, std::uint8_t&) override { return 0; }
    int write_register(std::uint8_t, std::uint8_t) override { return 0; }
    int block_read(std::uint8_t&) override { return 0; }
    int block_write(std::uint8_t, std::uint8_t, std::uint8_t) override { return 0; }
    const RegisterShadow& shadow() const override { return shadow_; }

    SmbusController& controller_;
    const RegisterShadow& shadow_;
};

}  // namespace vantrel
