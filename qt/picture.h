#pragma once

#include <QWidget>
#include <string>

namespace vantrel::qt {

// Renders a window as it would show, without putting it on any screen, and writes it as a PNG
// file. On failure returns false and says why.
bool save_picture(QWidget& window, const std::string& path, std::string& error);

}  // namespace vantrel::qt
