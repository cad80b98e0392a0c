// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QIcon>
#include <QWidget>
#include <map>
#include <string>

#include "ui/dialog_window.h"

namespace vantrel::qt {

// Renders a window as it would show, without putting it on any screen, and writes it as a PNG
// file. On failure returns false and says why.
bool save_picture(QWidget& window, const std::string& path, std::string& error);

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
