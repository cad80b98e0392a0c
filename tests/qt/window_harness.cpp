// SPDX-License-Identifier: GPL-2.0-or-later
#include "window_harness.h"

#include <QCursor>
#include <QGuiApplication>
#include <QTest>
#include <string>

#include "platform/linux/text_file.h"

namespace vantrel::test {

void CursorProbe::refresh_cpu_speed() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    seen_.push_back(cursor != nullptr ? cursor->shape() : Qt::ArrowCursor);
    inner_.refresh_cpu_speed();
}

sim::BoardOptions instant_board() {
    sim::BoardOptions options;
    options.real_pauses = false;
    return options;
}

WindowHarness::WindowHarness(const sim::BoardOptions& options, RegistryKey* key) {
    std::string error;
    machine = sim::make_simulated_machine(options, platform::read_small_file, real_time,
                                          records.machine_records(), error);
    if (!machine) {
        qFatal("simulated board: %s", error.c_str());
    }
    meter = std::make_unique<MeasuredCpuSpeed>(records.clock, machine->cpu(), machine->timing(),
                                               records.vendor);
    cpu = std::make_unique<CursorProbe>(*meter);
    records.settings_key.key = key;
    dialog = std::make_unique<MainDialog>(env());
}

MainDialogEnvironment WindowHarness::env() {
    return {window.controls(),  window,
            messages,           *cpu,
            machine->backend(), records.controller,
            records.clock,      records.settings_key};
}

void WindowHarness::open() {
    window.create_controls();
    window.bind(dialog.get());
    window.initialise();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        qFatal("the main window was not shown");
    }
}

}  // namespace vantrel::test
