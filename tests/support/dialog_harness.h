// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "bus/smbus_backend.h"
#include "bus/smbus_controller.h"
#include "bus/smbus_host.h"
#include "clockgen/clock_state.h"
#include "res/dialog_templates.h"
#include "sim/sim_board.h"
#include "support/counting_port_io.h"
#include "support/fake_dialog_controls.h"
#include "support/fake_registry.h"
#include "support/fake_ui.h"
#include "ui/main_dialog.h"
#include "ui/registry.h"

namespace vantrel::test {

// Where the dialog's CPU speed comes from: a script of speeds, or the real measurement of the
// simulated board's processor.
enum class CpuSource : unsigned char { Scripted, SimulatedCpu };

// A main dialog on the simulated board with fresh program-wide records and fake seams. The
// board starts as SimBoard does (82801BA, CPU divider 3, N 132, M 31); change it before init().
class DialogHarness {
  public:
    // Makes the bus the dialog reaches the board through, from the harness's records; without
    // one the dialog drives the board's ports through `io`.
    using BusFactory = std::function<std::unique_ptr<SmbusBackend>(DialogHarness&)>;

    explicit DialogHarness(CpuSource source = CpuSource::Scripted, BusFactory bus = {})
        : cpu_source(source), bus_factory(std::move(bus)) {}

    sim::SimBoard board;
    CountingPortIo io{board};  // the dialog reaches the board only through this
    SmbusController controller;
    DeviceAddress device_address;
    RegisterShadow shadow;
    ClockState clock;
    SettingsKey settings_key;
    FakeRegistry registry;
    FakeDialogControls controls{res::kMainDialog};
    FakeDialogWindow window;
    FakeMessageBoxes messages;
    VendorFlag vendor;
    FakeCpuSpeedMeter cpu{clock, {733.0f, 800.0f}};
    MeasuredCpuSpeed measured_cpu{clock, board.cpu(), board.cpu(), vendor};
    CpuSource cpu_source;
    BusFactory bus_factory;
    std::unique_ptr<SmbusBackend> backend{
        bus_factory ? bus_factory(*this)
                    : std::make_unique<PortSmbusBackend>(io, board.time(), controller,
                                                         device_address, shadow)};
    MainDialog dialog{env()};

    MainDialogEnvironment env() {
        CpuSpeedMeter& meter =
            cpu_source == CpuSource::Scripted ? static_cast<CpuSpeedMeter&>(cpu) : measured_cpu;
        return {controls, window, messages, meter, *backend, controller, clock, settings_key};
    }

    // Runs on_init_dialog and forgets what it did on the bus and the controls.
    void init();
    // Gives the dialog the registry key, as start-up does.
    void open_key() { settings_key.key = registry.create_or_open(kSettingsKeyPath); }

    // A fault on the n-th transfer of a kind to a register from now on.
    void fail_next(sim::TransferKind kind, std::uint8_t reg, unsigned n = 1,
                   sim::FaultAction action = sim::FaultAction::DeviceError);
    // The transfers made since init() returned.
    std::vector<sim::TransferRecord> new_transfers();

  private:
    std::size_t transfers_at_init_ = 0;
};

}  // namespace vantrel::test
