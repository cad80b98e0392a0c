// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// The mark that a start-up load of the saved settings is under way. It is set before the chip
// is touched and removed when the apply has succeeded, and it lives where a hang or a reset
// cannot take it away, so that a start after a load that never finished finds it. A load that
// fails leaves it too, with why, until the user has looked at the settings and removes it.
class BootGuard {
  public:
    virtual ~BootGuard() = default;

    // Whether the mark is there. `failure` then holds why the last start-up load failed, or is
    // empty when that load never finished (the machine hung or was reset during it).
    virtual bool present(std::string& failure) = 0;
    // Each of these returns false when the mark could not be written or removed.
    virtual bool set() = 0;
    // Keeps the mark, now saying why the load failed.
    virtual bool record_failure(std::string_view cause) = 0;
    // Succeeds when there is no mark either.
    virtual bool clear() = 0;
};

}  // namespace vantrel
