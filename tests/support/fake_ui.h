// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "clockgen/clock_state.h"
#include "ui/cpu_speed_meter.h"
#include "ui/dialog_window.h"
#include "ui/message_boxes.h"

namespace vantrel::test {

struct ShownMessage {
    std::string text;
    std::string caption;
    MessageButtons buttons;
    MessageIcon icon;

    bool operator==(const ShownMessage&) const = default;
};

void PrintTo(const ShownMessage& message, std::ostream* os);

// An error box as the program shows them: caption "Error", OK only.
inline ShownMessage error_box(std::string text, MessageIcon icon = MessageIcon::None) {
    return {std::move(text), "Error", MessageButtons::Ok, icon};
}

class FakeMessageBoxes : public MessageBoxes {
  public:
    void show(std::string_view text, std::string_view caption, MessageButtons buttons,
              MessageIcon icon) override {
        shown_.push_back({std::string(text), std::string(caption), buttons, icon});
    }
    const std::vector<ShownMessage>& shown() const { return shown_; }
    void clear() { shown_.clear(); }

  private:
    std::vector<ShownMessage> shown_;
};

// The dialog's own window. Every paint operation is logged so that tests can check that a
// paint context is opened and closed around the drawing.
class FakeDialogWindow : public DialogWindow {
  public:
    IconHandle load_icon(int resource_id) override;
    void set_icon(IconKind kind, IconHandle icon) override;
    bool minimised() const override { return minimised_; }
    void begin_paint() override { log_.push_back("begin"); }
    void erase_icon_background() override { log_.push_back("erase"); }
    PixelSize system_icon_size() const override { return icon_size_; }
    PixelSize client_size() const override { return client_size_; }
    void draw_icon(IconHandle icon, int x, int y) override;
    void end_paint() override { log_.push_back("end"); }
    void default_paint() override { log_.push_back("default"); }

    void set_minimised(bool on) { minimised_ = on; }
    void set_icon_size(PixelSize size) { icon_size_ = size; }
    void set_client_size(PixelSize size) { client_size_ = size; }

    // The handle load_icon gives for a resource: a distinct address per ID.
    static IconHandle handle_of(int resource_id);
    const std::vector<int>& loaded() const { return loaded_; }
    const std::vector<std::pair<IconKind, IconHandle>>& icons_set() const { return icons_set_; }
    const std::vector<std::string>& log() const { return log_; }
    IconHandle drawn_icon() const { return drawn_icon_; }

  private:
    bool minimised_ = false;
    PixelSize icon_size_{32, 32};
    PixelSize client_size_{100, 100};
    std::vector<int> loaded_;
    std::vector<std::pair<IconKind, IconHandle>> icons_set_;
    std::vector<std::string> log_;
    IconHandle drawn_icon_ = nullptr;
};

// Stores the next of its scripted speeds on each measurement (the last one repeats).
class FakeCpuSpeedMeter : public CpuSpeedMeter {
  public:
    FakeCpuSpeedMeter(ClockState& clock, std::vector<float> speeds)
        : clock_(clock), speeds_(std::move(speeds)) {}

    void refresh_cpu_speed() override;
    unsigned calls() const { return calls_; }

  private:
    ClockState& clock_;
    std::vector<float> speeds_;
    unsigned calls_ = 0;
};

}  // namespace vantrel::test
