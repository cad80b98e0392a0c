#pragma once

#include "app/core/setup_app.h"
#include "qt/main_window.h"

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

}  // namespace vantrel::qt
