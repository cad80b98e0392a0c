#pragma once

#include <string>

#include "platform/linux/hardware_access.h"
#include "platform/linux/linux_port_io.h"
#include "platform/linux/linux_timing.h"
#include "platform/linux/native_cpu.h"
#include "platform/linux/real_sleeper.h"
#include "qt/board.h"

namespace vantrel::qt {

// This machine's board: its ports through ioperm, real pauses and the processor's own clock.
class MachineBoard : public Board {
  public:
    MachineBoard(ClockState& clock, VendorFlag& vendor) : meter_(clock, cpu_, timing_, vendor) {}

    // The checks, port grants, instance lock and giving up of root that come before any window
    // exists. `message` says why when the board may not be used, or holds a note.
    platform::HardwareAccessStatus prepare(std::string& message);

    PortIo& io() override { return io_; }
    Sleeper& sleeper() override { return sleeper_; }
    CpuSpeedMeter& cpu_meter() override { return meter_; }

  private:
    platform::LinuxPortIo io_;
    platform::RealSleeper sleeper_;
    platform::NativeCpu cpu_;
    platform::LinuxTiming timing_;
    MeasuredCpuSpeed meter_;
    platform::HardwareAccess access_;  // holds the instance lock for the whole run
};

}  // namespace vantrel::qt
