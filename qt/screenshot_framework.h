#pragma once

#include <string>

#include "app/core/setup_app.h"
#include "qt/main_window.h"

namespace vantrel::qt {

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

}  // namespace vantrel::qt
