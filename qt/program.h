// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QTimer>
#include <chrono>
#include <cstdio>
#include <string>

#include "app/core/program_records.h"
#include "app/core/setup_app.h"
#include "app/core/stop_signals.h"
#include "qt/command_line.h"
#include "qt/main_window.h"
#include "ui/machine.h"

namespace vantrel::qt {

// Closes whatever modal window is up (the main window, the caution notice, a message box) once
// a request to stop has come, looking from the event loop: detection and the apply block the
// loop, so a request that comes during either is acted on only when it has ended.
class StopWatch {
  public:
    explicit StopWatch(const StopSignals& stops);

  private:
    QTimer timer_;
};

// The dialog framework on screen: the main dialog runs modally until the user closes it (or a
// StopWatch does). After a request to stop (`stops`, when given) it does not open, and one that
// comes during the detection ends the run when the detection has. Each change the user makes is
// kept for an undo by `backup`, when there is one.
class ModalFramework : public DialogFramework {
  public:
    explicit ModalFramework(MainWindow& window, const StopSignals* stops = nullptr,
                            ChangeBackup* backup = nullptr)
        : window_(window), stops_(stops), backup_(backup) {}

    void enable_3d_controls() override;
    void run_modal(MainDialog& dialog) override;

  private:
    bool stopping() const { return stops_ != nullptr && stops_->stopping(); }

    MainWindow& window_;
    const StopSignals* stops_;
    ChangeBackup* backup_;
};

// The dialog framework as a measuring instrument: shows the main dialog, runs one apply with
// the settings the dialog shows, prints how long start-up and the apply took and the resident
// memory after start-up, and closes the dialog.
class MeasureFramework : public DialogFramework {
  public:
    using Clock = std::chrono::steady_clock;

    MeasureFramework(MainWindow& window, Clock::time_point program_start, std::FILE* out)
        : window_(window), start_(program_start), out_(out) {}

    void enable_3d_controls() override;
    void run_modal(MainDialog& dialog) override;

  private:
    MainWindow& window_;
    Clock::time_point start_;
    std::FILE* out_;
};

// The dialog framework without a user: the main dialog is initialised, rendered to a PNG file
// and closed.
class ScreenshotFramework : public DialogFramework {
  public:
    ScreenshotFramework(MainWindow& window, std::string path)
        : window_(window), path_(std::move(path)) {}

    void enable_3d_controls() override;
    void run_modal(MainDialog& dialog) override;

    // Why the picture could not be written; empty when it was.
    const std::string& error() const { return error_; }
    bool rendered() const { return rendered_; }

  private:
    MainWindow& window_;
    std::string path_;
    std::string error_;
    bool rendered_ = false;
};

// One run of the desktop program once the command line is read and the machine is made (the
// QApplication exists): the settings file, the windows and start-up. The machine's refusal, if
// any, is shown before the dialog opens. A request to stop closes the window that is up once
// the work in progress has ended, and the program then ends. Returns the exit status.
int run_program(const CommandLine& line, Machine& machine, ProgramRecords& records,
                std::chrono::steady_clock::time_point start, const StopSignals& stops);

}  // namespace vantrel::qt
