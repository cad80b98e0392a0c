#pragma once

#include <QDialog>

#include "app/core/caution_notice.h"
#include "qt/icon_library.h"
#include "qt/template_widgets.h"
#include "qt/widget_controls.h"

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

}  // namespace vantrel::qt
