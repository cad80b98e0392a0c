// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/windows/registry_boot_guard.h"

namespace vantrel::platform {

bool RegistryBootGuard::present(std::string& failure) {
    if (key_ == nullptr || !key_->has_value(kBootGuardValue)) {
        return false;
    }
    if (!key_->query_string(kBootGuardCauseValue, failure)) {
        failure.clear();
    }
    return true;
}

// The guard is flushed before anything touches the chip: the system writes registry changes
// to disk lazily, and a machine that hangs right after the write would otherwise start again
// without the guard and hang again.
bool RegistryBootGuard::set() {
    return key_ != nullptr && key_->set_dword(kBootGuardValue, 1) && key_->flush();
}

bool RegistryBootGuard::record_failure(std::string_view cause) {
    return key_ != nullptr && key_->set_string(kBootGuardCauseValue, cause) && key_->flush();
}

// The cause goes first, so that a crash in between leaves a guard, never a cause alone.
bool RegistryBootGuard::clear() {
    return key_ != nullptr && key_->delete_value(kBootGuardCauseValue) &&
           key_->delete_value(kBootGuardValue) && key_->flush();
}

}  // namespace vantrel::platform
