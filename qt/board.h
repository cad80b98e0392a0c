#pragma once

#include <string>

#include "bus/port_io.h"
#include "bus/sleeper.h"
#include "bus/smbus_backend.h"
#include "ui/cpu_speed_meter.h"

namespace vantrel::qt {

// The board the program drives: its ports, the pauses between transfers, the CPU speed
// measurement and the way its SMBus is reached.
class Board {
  public:
    virtual ~Board() = default;
    virtual PortIo& io() = 0;
    virtual Sleeper& sleeper() = 0;
    virtual CpuSpeedMeter& cpu_meter() = 0;
    // The bus the dialog uses; nullptr leaves it to reach the chip through io().
    virtual SmbusBackend* backend() = 0;
    // How the bus is reached, in words ("kernel i2c-dev /dev/i2c-0", "direct port I/O"), or
    // empty when it cannot be.
    virtual std::string bus_path() const = 0;
};

}  // namespace vantrel::qt
