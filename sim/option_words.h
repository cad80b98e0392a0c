// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <string_view>

#include "bus/ascii_text.h"

namespace vantrel::sim {

// A word of the option and fault grammars and what it stands for.
struct Named {
    std::string_view name;
    unsigned value;
};

// The entry whose name is `name` in any case, or nullptr.
template <std::size_t N>
const Named* find_named(const Named (&table)[N], std::string_view name) {
    for (const Named& entry : table) {
        if (ascii::equal_ignoring_case(entry.name, name)) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace vantrel::sim
