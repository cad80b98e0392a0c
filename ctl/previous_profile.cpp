// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl/previous_profile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "ctl/profiles.h"
#include "platform/linux/settings/reg_file_registry.h"
#include "ui/settings_store.h"

namespace vantrel::cli {

PreviousProfile::PreviousProfile(const std::string& settings_path, bool once)
    : path_(profile_path(settings_path, kPreviousProfile)),
      older_path_(profile_path(settings_path, kOlderPreviousProfile)),
      once_(once) {}

bool PreviousProfile::fail(std::string problem) {
    problem_ = std::move(problem);
    return false;
}

bool PreviousProfile::keep(const RegisterShadow& chip) {
    if (once_ && kept_) {
        return true;
    }
    problem_.clear();
    if (path_.empty()) {
        return fail("there is no home directory to keep it in");
    }
    struct stat info {};
    const bool had_one = ::lstat(path_.c_str(), &info) == 0;
    if (had_one && std::rename(path_.c_str(), older_path_.c_str()) != 0) {
        return fail("cannot keep " + path_ + " as " + older_path_ + ": " + std::strerror(errno));
    }
    platform::RegFileRegistry registry(path_);
    RegistryKey* key = registry.create_or_open(kSettingsKeyPath);
    if (key == nullptr || !write_stored_settings(*key, chip)) {
        const std::string why =
            registry.problem().empty() ? "cannot be written" : registry.problem();
        ::unlink(path_.c_str());
        if (had_one) {
            std::rename(older_path_.c_str(), path_.c_str());
        }
        return fail(path_ + ": " + why);
    }
    kept_ = true;
    return true;
}

}  // namespace vantrel::cli
