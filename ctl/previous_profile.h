// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <string_view>

#include "bus/smbus_transfers.h"
#include "ui/change_backup.h"

namespace vantrel::cli {

// The profile an undo loads, and the one before it.
inline constexpr std::string_view kPreviousProfile = "previous";
inline constexpr std::string_view kOlderPreviousProfile = "previous.1";

// The undo's backup: just before a change is sent to the chip, the chip's settings are kept as
// the profile `previous`, and the `previous` there before as `previous.1`. When the new file
// cannot be written the old one is put back, so the last good undo is never lost.
class PreviousProfile : public ChangeBackup {
  public:
    // The profiles beside `settings_path`. With `once`, only the first change is kept: the later
    // applies of one command (the steps toward a clock, a put-back) belong to the same change.
    PreviousProfile(const std::string& settings_path, bool once);

    bool keep(const RegisterShadow& chip) override;

    const std::string& path() const { return path_; }
    // Why the last keep() failed, in words for the user; empty when none did.
    const std::string& problem() const { return problem_; }
    bool kept() const { return kept_; }

  private:
    bool fail(std::string problem);

    std::string path_;
    std::string older_path_;
    bool once_;
    bool kept_ = false;
    std::string problem_;
};

}  // namespace vantrel::cli
