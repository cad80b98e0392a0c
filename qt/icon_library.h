#pragma once

#include <QIcon>
#include <map>

#include "ui/dialog_window.h"

namespace vantrel::qt {

// The program's icon resources, loaded on first use and kept until the program ends: the
// dialog logic holds them as shared handles that nobody destroys.
class IconLibrary {
  public:
    // The handle of an icon resource; nullptr for an ID the program has no icon for.
    IconHandle handle(int resource_id);

    // The icon behind a handle this library gave out.
    static const QIcon& icon(IconHandle handle) { return *static_cast<const QIcon*>(handle); }

  private:
    std::map<int, QIcon> icons_;
};

}  // namespace vantrel::qt
