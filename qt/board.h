#pragma once

#include "bus/port_io.h"
#include "bus/sleeper.h"
#include "ui/cpu_speed_meter.h"

namespace vantrel::qt {

// The board the program drives: its ports, the pauses between transfers and the CPU speed
// measurement.
class Board {
  public:
    virtual ~Board() = default;
    virtual PortIo& io() = 0;
    virtual Sleeper& sleeper() = 0;
    virtual CpuSpeedMeter& cpu_meter() = 0;
};

}  // namespace vantrel::qt
