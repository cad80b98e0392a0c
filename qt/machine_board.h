#pragma once

#include <string>

#include "platform/linux/board_bus.h"
#include "platform/linux/i2c_dev_system.h"
#include "platform/linux/linux_port_io.h"
#include "platform/linux/linux_timing.h"
#include "platform/linux/real_sleeper.h"
#include "platform/x86/native_cpu.h"
#include "qt/board.h"

namespace vantrel::qt {

// This machine's board: its SMBus through the kernel's i2c-dev node or its ports through
// ioperm, real pauses and the processor's own clock.
class MachineBoard : public Board {
  public:
    MachineBoard(ClockState& clock, VendorFlag& vendor) : meter_(clock, cpu_, timing_, vendor) {}

    // Chooses the way to the bus and does everything that comes before any window exists: on
    // the kernel path the node is opened, on the port path the checks, port grants and
    // instance lock; on every path root is given up. `message` says why when the board may not
    // be used (Refused: the dialog opens without a controller), or holds a note.
    platform::HardwareAccessStatus prepare(platform::BusRequest request,
                                           SmbusController& controller, const DeviceAddress& device,
                                           RegisterShadow& shadow, std::string& message);

    PortIo& io() override { return io_; }
    Sleeper& sleeper() override { return sleeper_; }
    CpuSpeedMeter& cpu_meter() override { return meter_; }
    SmbusBackend* backend() override { return bus_.backend(); }
    std::string bus_path() const override { return bus_.path(); }
    // Why the program's own choice went to the ports, or empty.
    const std::string& bus_reason() const { return bus_.reason(); }
    // What giving up root left to say when the bus was refused, or empty.
    const std::string& note() const { return bus_.note(); }

  private:
    platform::LinuxPortIo io_;
    platform::RealSleeper sleeper_;
    platform::NativeCpu cpu_;
    platform::LinuxTiming timing_;
    MeasuredCpuSpeed meter_;
    platform::RealI2cDevSystem i2c_dev_;
    platform::BoardBus bus_;  // holds the node or the instance lock for the whole run
};

}  // namespace vantrel::qt
