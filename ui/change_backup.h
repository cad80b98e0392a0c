// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "bus/smbus_transfers.h"

namespace vantrel {

// Keeps the settings the chip has before a change is sent to it, so that the change can be
// undone. The apply calls keep() with the mirror of the chip once it has checked the request and
// just before its first write; false stops the apply there, with nothing sent, and the backup
// itself says why.
class ChangeBackup {
  public:
    virtual ~ChangeBackup() = default;
    virtual bool keep(const RegisterShadow& chip) = 0;
};

}  // namespace vantrel
