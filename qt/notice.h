// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QDialog>
#include <string>

#include "app/core/caution_notice.h"
#include "qt/controls.h"
#include "qt/pictures.h"
#include "qt/widgets.h"

namespace vantrel::qt {

// The caution notice's window: the controls of res::kCautionDialog on a window without a title
// bar, driven by caution_proc. Everything the user does that a dialog procedure would see goes
// to it as the matching message: OK and the check box as commands, Escape as the IDCANCEL
// command (which it ignores) and the close box as WM_CLOSE (which acts as OK).
class CautionDialog : public QDialog, public CautionWindow {
  public:
    explicit CautionDialog(IconLibrary& icons);

    // Sends WM_INITDIALOG and places the focus as the dialog manager does; before showing.
    void initialise();
    const TemplateWidgets& widgets() const { return widgets_; }

    // CautionWindow
    ScreenRect window_rect() const override;
    int screen_width() const override;
    int screen_height() const override;
    void move_to(int x, int y) override { move(x, y); }
    int check_state(int id) const override { return controls_.check_state(id); }
    void end_dialog(int result) override { done(result); }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void send(std::uint32_t message, std::uintptr_t wparam);

    TemplateWidgets widgets_;
    WidgetControls controls_;
};

// The caution notice run as a modal dialog box until its procedure ends it.
class ModalCautionNotice : public CautionNotice {
  public:
    explicit ModalCautionNotice(IconLibrary& icons) : icons_(icons) {}
    int run() override;

  private:
    IconLibrary& icons_;
};

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
