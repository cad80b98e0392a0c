#include "window_harness.h"

#include <QCursor>
#include <QGuiApplication>
#include <QTest>
#include <string>

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
    std::string notice;
    if (!board.configure(options, error, notice)) {
        qFatal("simulated board: %s", error.c_str());
    }
    settings_key.key = key;
    dialog = std::make_unique<MainDialog>(env());
}

MainDialogEnvironment WindowHarness::env() {
    return {window.controls(), window,         messages, cpu,   board.io(),  board.sleeper(),
            controller,        device_address, shadow,   clock, settings_key};
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
