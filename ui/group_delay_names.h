// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

#include "bus/ascii_text.h"
#include "res/dialog_templates.h"

namespace vantrel {

// A group-delay code by the name its dialog list shows ("None", "150ps", "300ps", "450ps"),
// "?" for a code no list holds.
constexpr std::string_view group_delay_name(std::uint8_t code) {
    return code < std::size(res::kGroupDelayItems) ? res::kGroupDelayItems[code] : "?";
}

// A group delay as the dialog's lists name it, in any case, as its code 0 to 3; `code` is
// written only on success.
constexpr bool parse_group_delay(std::string_view text, unsigned& code) {
    for (std::size_t i = 0; i < std::size(res::kGroupDelayItems); ++i) {
        if (ascii::equal_ignoring_case(text, res::kGroupDelayItems[i])) {
            code = static_cast<unsigned>(i);
            return true;
        }
    }
    return false;
}

}  // namespace vantrel
