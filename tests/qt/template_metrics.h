// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "res/dialog_templates.h"
#include "ui/dialog_units.h"

namespace vantrel::test {

// The base units as the dialog manager derives them from a template's font: measured from the
// font the template names, not with the program's own measuring.
DialogBaseUnits expected_units(const res::DialogTemplate& dialog);

}  // namespace vantrel::test
