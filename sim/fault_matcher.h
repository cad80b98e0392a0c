// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sim/faults.h"

namespace vantrel::sim {

// Decides which injected fault strikes a transaction as it starts: a fault matches the n-th
// transaction started since it was injected, or the n-th of its kind (and register), and fires
// once. Every armed fault counts every transaction it matches, so one fault never hides another
// from its count; when two fire on the same transaction the one injected first acts.
class FaultMatcher {
  public:
    void inject(const Fault& fault) { faults_.push_back(Armed{fault, false, 0}); }

    std::optional<Fault> next(TransferKind kind, std::uint8_t reg) {
        std::optional<Fault> acting;
        for (auto& armed : faults_) {
            const Fault& f = armed.fault;
            const bool matches =
                f.ordinal || (f.kind && *f.kind == kind && (!f.reg || *f.reg == reg));
            if (armed.fired || !matches) {
                continue;
            }
            ++armed.seen;
            if (armed.seen == (f.ordinal ? *f.ordinal : f.occurrence)) {
                armed.fired = true;
                if (!acting) {
                    acting = f;
                }
            }
        }
        return acting;
    }

  private:
    struct Armed {
        Fault fault;
        bool fired;
        unsigned seen;
    };
    std::vector<Armed> faults_;
};

}  // namespace vantrel::sim
