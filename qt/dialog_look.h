#pragma once

namespace vantrel::qt {

// The dialog framework's 3-D look for dialog controls: Qt's classic bevelled "Windows" style,
// the look the templates were laid out for. A style the user chose through QT_STYLE_OVERRIDE
// wins.
void apply_3d_look();

}  // namespace vantrel::qt
