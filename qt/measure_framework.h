#pragma once

#include <chrono>
#include <cstdio>

#include "app/core/setup_app.h"
#include "qt/main_window.h"

namespace vantrel::qt {

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

}  // namespace vantrel::qt
