#pragma once

#include "app/core/caution_notice.h"
#include "qt/icon_library.h"

namespace vantrel::qt {

// The caution notice run as a modal dialog box until its procedure ends it.
class ModalCautionNotice : public CautionNotice {
  public:
    explicit ModalCautionNotice(IconLibrary& icons) : icons_(icons) {}
    int run() override;

  private:
    IconLibrary& icons_;
};

}  // namespace vantrel::qt
