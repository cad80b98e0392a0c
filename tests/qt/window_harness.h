// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "app/core/program_records.h"
#include "bus/smbus_controller.h"
#include "bus/smbus_host.h"
#include "clockgen/clock_state.h"
#include "cpu/cpu_info.h"
#include "platform/linux/real_sleeper.h"
#include "qt/main_window.h"
#include "qt/messages.h"
#include "qt/pictures.h"
#include "sim/board_options.h"
#include "sim/simulated_machine.h"
#include "ui/main_dialog.h"
#include "ui/registry.h"

namespace vantrel::test {

// The CPU speed measurement, noting the cursor the user sees each time it runs: it runs inside
// both the detection and every apply.
class CursorProbe : public CpuSpeedMeter {
  public:
    explicit CursorProbe(CpuSpeedMeter& inner) : inner_(inner) {}
    void refresh_cpu_speed() override;
    // The override cursor's shape at each measurement; ArrowCursor when there was none.
    const std::vector<Qt::CursorShape>& seen() const { return seen_; }
    void clear() { seen_.clear(); }

  private:
    CpuSpeedMeter& inner_;
    std::vector<Qt::CursorShape> seen_;
};

// The simulated board's options with its pauses passing instantly, as tests want them.
sim::BoardOptions instant_board();

// The program's main window on the simulated board, with fresh program-wide records and real
// message boxes, as start-up puts it together; `key` is the settings key, or none.
class WindowHarness {
  public:
    explicit WindowHarness(const sim::BoardOptions& options = instant_board(),
                           RegistryKey* key = nullptr);
    ~WindowHarness() { window.bind(nullptr); }
    WindowHarness(const WindowHarness&) = delete;
    WindowHarness& operator=(const WindowHarness&) = delete;

    sim::SimBoard& sim() { return machine->board(); }
    // What a main dialog on this window and board reaches.
    MainDialogEnvironment env();

    // Creates the controls, runs the initialisation as the dialog manager does and shows the
    // window, waiting until it is on the (offscreen) screen.
    void open();

    template <class Widget>
    Widget* control(int id) const {
        QWidget* widget = window.widgets()->widget(id);
        return qobject_cast<Widget*>(widget);
    }

    ProgramRecords records;
    platform::RealSleeper real_time;
    std::unique_ptr<sim::SimulatedMachine> machine;
    std::unique_ptr<MeasuredCpuSpeed> meter;
    std::unique_ptr<CursorProbe> cpu;
    qt::IconLibrary icons;
    qt::MainWindow window{icons};
    qt::ErrorBoxes messages{&window};
    std::unique_ptr<MainDialog> dialog;
};

}  // namespace vantrel::test
