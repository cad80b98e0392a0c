// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string_view>

namespace vantrel {

enum class MessageIcon : unsigned char { None, Stop };

// The program's only caption and button set for a message.
inline constexpr std::string_view kErrorCaption = "Error";

enum class MessageButtons : unsigned char { Ok };

// Modal message boxes owned by the main dialog. The program never looks at the answer: every
// box has OK only.
class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    virtual void show(std::string_view text, std::string_view caption, MessageButtons buttons,
                      MessageIcon icon) = 0;
};

}  // namespace vantrel
