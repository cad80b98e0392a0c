#pragma once

#include <string>

#include "platform/linux/board_bus.h"
#include "platform/linux/real_sleeper.h"
#include "qt/board.h"
#include "sim/board_options.h"
#include "sim/sim_board.h"

namespace vantrel::qt {

// The simulated board, set up from the --simulate options. Its pauses pass in real time unless
// the options say otherwise, so that the program feels like the board.
class SimulatedBoard : public Board {
  public:
    SimulatedBoard(ClockState& clock, VendorFlag& vendor)
        : meter_(clock, board_.cpu(), board_.cpu(), vendor) {}

    // Builds the board the options describe, reading the register dump they name. On failure
    // returns false and says why; on success `note` is what the user should still be told
    // about the board (what a partial dump left out), or empty.
    bool configure(const sim::BoardOptions& options, std::string& error, std::string& note);

    // The way to the board's bus. Over the kernel path its chip answers through a simulated
    // i2c-dev node in front of the board's hub, with the options' faults injected there, chosen
    // as on a machine whose kernel holds that hub. Otherwise its ports are driven directly. On
    // refusal returns false and `error` says why; the board then has no bus at all.
    bool choose_bus(platform::BusRequest request, SmbusController& controller,
                    const DeviceAddress& device, RegisterShadow& shadow, std::string& error);

    PortIo& io() override { return board_; }
    Sleeper& sleeper() override;
    CpuSpeedMeter& cpu_meter() override { return meter_; }
    SmbusBackend* backend() override { return bus_.backend(); }
    std::string bus_path() const override { return bus_.path(); }
    sim::SimBoard& board() { return board_; }

  private:
    sim::SimBoard board_;
    platform::RealSleeper real_;
    sim::PacedSleeper paced_{board_.time(), real_};
    bool real_pauses_ = true;
    MeasuredCpuSpeed meter_;
    std::vector<sim::Fault> faults_;
    platform::BoardBus bus_;
};

}  // namespace vantrel::qt
