#pragma once

#include <string>

#include "app/core/caution_notice.h"
#include "qt/icon_library.h"

namespace vantrel::qt {

// The caution notice without a user: rendered to a PNG file, then answered with OK and the box
// clear, so that it stays due.
class ScreenshotCautionNotice : public CautionNotice {
  public:
    ScreenshotCautionNotice(IconLibrary& icons, std::string path)
        : icons_(icons), path_(std::move(path)) {}
    int run() override;

    const std::string& error() const { return error_; }
    const std::string& path() const { return path_; }
    bool rendered() const { return rendered_; }

  private:
    IconLibrary& icons_;
    std::string path_;
    std::string error_;
    bool rendered_ = false;
};

}  // namespace vantrel::qt
