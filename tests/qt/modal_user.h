// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <vector>

namespace vantrel::test {

// What a message box showed when the user answered it.
struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    bool arrow_cursor;  // no busy cursor over the box
};

// The user in front of the program's modal windows. While the program waits in a modal loop,
// every modal window that comes up is handed to the handler registered for its kind; a message
// box is read and answered with OK unless a handler for it was given.
class ModalUser : public QObject {
  public:
    ModalUser();

    // Acts on each modal window of type Window as it comes up.
    template <class Window>
    void on(std::function<void(Window&)> act) {
        handlers_.push_back([act](QWidget& widget) {
            if (auto* window = dynamic_cast<Window*>(&widget)) {
                act(*window);
                return true;
            }
            return false;
        });
    }

    const std::vector<SeenBox>& boxes() const { return boxes_; }
    // Texts of the boxes seen, in order.
    QStringList box_texts() const;

  private:
    void look();

    QTimer timer_;
    std::vector<std::function<bool(QWidget&)>> handlers_;
    std::vector<SeenBox> boxes_;
};

}  // namespace vantrel::test
