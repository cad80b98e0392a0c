#include "qt/measure_framework.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWindow>
#include <fstream>
#include <string>

#include "qt/dialog_look.h"

namespace vantrel::qt {

namespace {

// How long to wait for the window system to show the dialog before measuring anyway.
constexpr int kExposeTimeoutMs = 5000;

// The process's resident memory in kB, from /proc/self/status; -1 when it cannot be read.
long resident_kb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

long long ms_since(MeasureFramework::Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(MeasureFramework::Clock::now() -
                                                                 start)
        .count();
}

void wait_until_exposed(QWidget& window) {
    QElapsedTimer waited;
    waited.start();
    while (!(window.windowHandle() != nullptr && window.windowHandle()->isExposed()) &&
           waited.elapsed() < kExposeTimeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    // Let the first paint through.
    QCoreApplication::processEvents();
}

}  // namespace

void MeasureFramework::enable_3d_controls() {
    apply_3d_look();
}

void MeasureFramework::run_modal(MainDialog& dialog) {
    window_.bind(&dialog);
    window_.initialise();
    window_.show();
    wait_until_exposed(window_);
    const long long shown_ms = ms_since(start_);
    const long rss_kb = resident_kb();

    const auto apply_start = Clock::now();
    dialog.on_command(IDC_RUN_SETTINGS, kBnClicked);
    const long long apply_ms = ms_since(apply_start);

    std::fprintf(out_, "start to dialog shown: %lld ms\n", shown_ms);
    std::fprintf(out_, "apply: %lld ms\n", apply_ms);
    std::fprintf(out_, "resident memory after start-up: %.1f MB\n",
                 static_cast<double>(rss_kb) / 1024.0);
    window_.hide();
    window_.bind(nullptr);
}

}  // namespace vantrel::qt
