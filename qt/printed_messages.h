#pragma once

#include <cstdio>

#include "ui/message_boxes.h"

namespace vantrel::qt {

// Message boxes where nobody can answer them (a rendering without a display): each is written
// as "caption: text" and counts as answered.
class PrintedMessages : public MessageBoxes {
  public:
    explicit PrintedMessages(std::FILE* out) : out_(out) {}
    void show(std::string_view text, std::string_view caption, MessageButtons buttons,
              MessageIcon icon) override;

  private:
    std::FILE* out_;
};

}  // namespace vantrel::qt
