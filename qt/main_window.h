// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QDialog>
#include <QPainter>
#include <memory>
#include <optional>
#include <string>

#include "qt/controls.h"
#include "qt/pictures.h"
#include "qt/widgets.h"
#include "ui/dialog_window.h"
#include "ui/main_dialog.h"

namespace vantrel::qt {

// The main dialog's window: the controls of res::kMainDialog on a fixed-size window with a
// title, close and minimise boxes and no maximise box. It turns what the user does into the
// dialog logic's events: button clicks and the spread-spectrum box's clicks as commands, the
// slider's user actions as scroll events, paint events as on_paint. Escape and the close box
// end the dialog; Enter presses the default button, "Run Settings".
class MainWindow : public QDialog, public DialogWindow {
  public:
    explicit MainWindow(IconLibrary& icons);

    DialogControls& controls() { return controls_; }
    // The built controls; nullptr before create_controls.
    const TemplateWidgets* widgets() const { return widgets_.get(); }

    // Creates the controls from the template, once, when the look of the controls is settled.
    void create_controls();
    // The dialog logic that receives the window's events from now on; nullptr for none.
    void bind(MainDialog* dialog) { dialog_ = dialog; }
    // How the bus is reached, as the controller field's tooltip; the field's text is the
    // dialog's own.
    void set_bus_path(const std::string& path);
    // Whether the version line says the window drives a simulated board.
    void set_simulated(bool simulated);
    // What the dialog manager does before a dialog is first shown: the initialisation hook
    // (with a busy cursor: it runs the detection), the focus on the first tab stop and the
    // centring in the work area.
    void initialise();

    // DialogWindow
    IconHandle load_icon(int resource_id) override { return icons_.handle(resource_id); }
    void set_icon(IconKind kind, IconHandle icon) override;
    bool minimised() const override { return isMinimized(); }
    void begin_paint() override;
    void erase_icon_background() override;
    PixelSize system_icon_size() const override;
    PixelSize client_size() const override { return {width(), height()}; }
    void draw_icon(IconHandle icon, int x, int y) override;
    void end_paint() override { painter_.reset(); }
    void default_paint() override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void command(int control_id);
    void scroll();
    void centre_in_work_area();
    void show_version_line();

    IconLibrary& icons_;
    std::unique_ptr<TemplateWidgets> widgets_;
    WidgetControls controls_;
    MainDialog* dialog_ = nullptr;
    QPaintEvent* paint_event_ = nullptr;
    std::optional<QPainter> painter_;
    QString bus_tip_;
    bool simulated_ = false;
};

}  // namespace vantrel::qt
