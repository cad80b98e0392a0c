#pragma once

#include <QGuiApplication>

namespace vantrel::qt {

// The busy cursor while the program works on the bus: the window takes no input and does not
// repaint until the work is done, so the cursor is all that says it is working.
class WaitCursor {
  public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// An arrow over a message box that interrupts busy work, restored when the box closes.
class ArrowCursor {
  public:
    ArrowCursor() : active_(QGuiApplication::overrideCursor() != nullptr) {
        if (active_) {
            QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
        }
    }
    ~ArrowCursor() {
        if (active_) {
            QGuiApplication::restoreOverrideCursor();
        }
    }
    ArrowCursor(const ArrowCursor&) = delete;
    ArrowCursor& operator=(const ArrowCursor&) = delete;

  private:
    bool active_;
};

}  // namespace vantrel::qt
