// SPDX-License-Identifier: GPL-2.0-or-later
#include "qt/program.h"

#include <unistd.h>
#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWindow>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

#include "app/core/setup_app.h"
#include "ctl/previous_profile.h"
#include "platform/linux/settings/reg_file_registry.h"
#include "platform/linux/settings/settings_path.h"
#include "qt/main_window.h"
#include "qt/messages.h"
#include "qt/notice.h"
#include "qt/pictures.h"
#include "qt/widgets.h"
#include "ui/cpu_speed_meter.h"

namespace vantrel::qt {

namespace {

// How often the event loop looks for a request to stop.
constexpr int kStopLookMs = 100;

}  // namespace

StopWatch::StopWatch(const StopSignals& stops) {
    QObject::connect(&timer_, &QTimer::timeout, [&stops] {
        if (stops.stopping()) {
            // Each of them ends on close, as on its close box.
            if (QWidget* modal = QApplication::activeModalWidget()) {
                modal->close();
            }
        }
    });
    timer_.start(kStopLookMs);
}

void ModalFramework::enable_3d_controls() {
    apply_3d_look();
}

void ModalFramework::run_modal(MainDialog& dialog) {
    // A request that came while the caution notice was up: no detection follows it.
    if (stopping()) {
        return;
    }
    dialog.set_change_backup(backup_);
    window_.bind(&dialog);
    window_.initialise();
    if (!stopping()) {
        window_.exec();
    }
    window_.bind(nullptr);
    dialog.set_change_backup(nullptr);
}

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

// How long ago the kernel started this process, in ms (10 ms resolution): the start-up figure
// then includes loading the program and its libraries. -1 when /proc cannot tell.
long long process_age_ms() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // Fields after the command name, which is in parentheses and may hold spaces; the start
    // time is field 22, the 20th after the name.
    const std::size_t name_end = text.rfind(')');
    if (name_end == std::string::npos) {
        return -1;
    }
    std::istringstream fields(text.substr(name_end + 1));
    std::string field;
    unsigned long long start_ticks = 0;
    for (int i = 0; i < 20 && fields >> field; ++i) {
        if (i == 19) {
            start_ticks = std::stoull(field);
        }
    }
    std::ifstream uptime_file("/proc/uptime");
    double uptime_s = 0;
    const long ticks_per_s = sysconf(_SC_CLK_TCK);
    if (!(uptime_file >> uptime_s) || start_ticks == 0 || ticks_per_s <= 0) {
        return -1;
    }
    return static_cast<long long>(uptime_s * 1000.0) -
           static_cast<long long>(start_ticks * 1000ULL /
                                  static_cast<unsigned long long>(ticks_per_s));
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
    const long long shown_since_exec_ms = process_age_ms();
    const long rss_kb = resident_kb();

    const auto apply_start = Clock::now();
    // As the user does it: the button, with its busy cursor.
    if (auto* run = qobject_cast<QAbstractButton*>(window_.widgets()->widget(IDC_RUN_SETTINGS))) {
        run->click();
    }
    const long long apply_ms = ms_since(apply_start);

    std::fprintf(out_, "start to dialog shown: %lld ms from main, %lld ms from process start\n",
                 shown_ms, shown_since_exec_ms);
    std::fprintf(out_, "apply: %lld ms\n", apply_ms);
    std::fprintf(out_, "resident memory after start-up: %.1f MB\n",
                 static_cast<double>(rss_kb) / 1024.0);
    window_.hide();
    window_.bind(nullptr);
}

void ScreenshotFramework::enable_3d_controls() {
    apply_3d_look();
}

void ScreenshotFramework::run_modal(MainDialog& dialog) {
    window_.bind(&dialog);
    window_.initialise();
    rendered_ = save_picture(window_, path_, error_);
    window_.bind(nullptr);
}

namespace {

// The window's undo backup: the chip's settings as the profile `previous` before each change.
// The dialog has no message of its own for a backup that could not be written, so that is said
// on standard error and the change goes ahead as the user asked.
class WindowBackup : public ChangeBackup {
  public:
    explicit WindowBackup(const std::string& settings_path) : previous_(settings_path, false) {}
    bool keep(const RegisterShadow& chip) override {
        if (!previous_.keep(chip)) {
            std::fprintf(stderr,
                         "vantrel: the settings before this change could not be kept as "
                         "the profile %s: %s\n",
                         std::string(cli::kPreviousProfile).c_str(), previous_.problem().c_str());
        }
        return true;
    }

  private:
    cli::PreviousProfile previous_;
};

// Says what a rendering wrote, or why it could not; false when it failed.
bool report_picture(bool rendered, const std::string& path, const std::string& error) {
    if (!rendered) {
        std::fprintf(stderr, "vantrel: %s\n", error.c_str());
        return false;
    }
    std::printf("vantrel: wrote %s\n", path.c_str());
    return true;
}

}  // namespace

int run_program(const CommandLine& line, Machine& machine, ProgramRecords& records,
                std::chrono::steady_clock::time_point start, const StopSignals& stops) {
    const StopWatch stop_watch(stops);
    // A simulated board's settings and "Caution" are its own: nothing it saves reaches this
    // machine's chip.
    platform::RegFileRegistry registry(
        !line.settings_path.empty() ? line.settings_path
        : machine.simulated() ? platform::default_settings_path(platform::FilesOf::SimulatedBoard)
                              : platform::default_settings_path());
    IconLibrary icons;
    MainWindow window(icons);
    const bool screenshot = !line.screenshot_path.empty();
    ErrorBoxes boxes(&window);
    PrintedMessages printed(stderr);
    MessageBoxes& messages = screenshot ? static_cast<MessageBoxes&>(printed) : boxes;

    if (!machine.refusal().empty()) {
        messages.show(machine.refusal(), kErrorCaption, MessageButtons::Ok, MessageIcon::Stop);
    }

    MeasuredCpuSpeed meter(records.clock, machine.cpu(), machine.timing(), records.vendor);
    const MainDialogEnvironment env{window.controls(), window,
                                    messages,          meter,
                                    machine.backend(), records.controller,
                                    records.clock,     records.settings_key};
    window.set_bus_path(machine.bus_path());
    window.set_simulated(machine.simulated());

    int status = 0;
    if (screenshot) {
        ScreenshotFramework framework(window, line.screenshot_path);
        ScreenshotCautionNotice caution(icons, caution_screenshot_path(line.screenshot_path));
        SetupApp app(framework, registry, caution, records.settings_key, env);
        app.start_up();
        if (caution.rendered() || !caution.error().empty()) {
            status |= report_picture(caution.rendered(), caution.path(), caution.error()) ? 0 : 1;
        }
        status |=
            report_picture(framework.rendered(), line.screenshot_path, framework.error()) ? 0 : 1;
    } else if (line.measure) {
        MeasureFramework framework(window, start, stdout);
        ModalCautionNotice caution(icons);
        SetupApp app(framework, registry, caution, records.settings_key, env);
        app.start_up();
    } else {
        WindowBackup backup(registry.path());
        ModalFramework framework(window, &stops, &backup);
        ModalCautionNotice caution(icons);
        SetupApp app(framework, registry, caution, records.settings_key, env);
        app.start_up();
    }
    if (!registry.problem().empty()) {
        std::fprintf(stderr, "vantrel: %s: %s\n", registry.path().c_str(),
                     registry.problem().c_str());
    }
    if (stops.stopping()) {
        const StopSignal signal = stops.first();
        std::fprintf(stderr,
                     "vantrel: %.*s: the window is closed; no detection or apply was cut short\n",
                     static_cast<int>(signal.name.size()), signal.name.data());
        return stopped_exit_status(signal);
    }
    return status;
}

}  // namespace vantrel::qt
