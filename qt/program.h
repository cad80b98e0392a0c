// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "app/core/program_records.h"
#include "app/core/setup_app.h"
#include "qt/command_line.h"
#include "qt/main_window.h"
#include "ui/machine.h"

namespace vantrel::qt {

// The dialog framework on screen: the main dialog runs modally until the user closes it.
class ModalFramework : public DialogFramework {
  public:
    explicit ModalFramework(MainWindow& window) : window_(window) {}

    void enable_3d_controls() override;
    void run_modal(MainDialog& dialog) override;

  private:
    MainWindow& window_;
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
// any, is shown before the dialog opens. Returns the exit status.
int run_program(const CommandLine& line, Machine& machine, ProgramRecords& records,
                std::chrono::steady_clock::time_point start);

}  // namespace vantrel::qt
