#pragma once

#include <QFont>

#include "res/dialog_templates.h"
#include "ui/dialog_units.h"

namespace vantrel::qt {

// The template's font, or the closest one installed: fontconfig maps Arial to a
// metric-compatible face such as Liberation Sans.
QFont template_font(const res::DialogTemplate& dialog);

// What the dialog manager measures of a font to size dialog units.
FontMetrics measure_font(const QFont& font);

// The dialog base units of a template as laid out with its own font.
DialogBaseUnits template_base_units(const res::DialogTemplate& dialog);

}  // namespace vantrel::qt
