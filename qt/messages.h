// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdio>

#include "ui/message_boxes.h"

namespace vantrel::qt {

// Message boxes owned by a window, modal to it, each answered before the program goes on.
class ErrorBoxes : public MessageBoxes {
  public:
    explicit ErrorBoxes(QWidget* owner = nullptr) : owner_(owner) {}
    void set_owner(QWidget* owner) { owner_ = owner; }

    void show(std::string_view text, std::string_view caption, MessageButtons buttons,
              MessageIcon icon) override;

  private:
    QPointer<QWidget> owner_;
};

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
