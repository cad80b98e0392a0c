// SPDX-License-Identifier: GPL-2.0-or-later
#include "support/fake_ui.h"

#include <cstdint>

namespace vantrel::test {

namespace {

// Distinct addresses to stand for icon handles; nothing is ever read through them.
char icon_slots[4096];

}  // namespace

void PrintTo(const ShownMessage& message, std::ostream* os) {
    *os << '"' << message.text << "\" caption \"" << message.caption << '"'
        << (message.icon == MessageIcon::Stop ? " stop icon" : " no icon");
}

IconHandle FakeDialogWindow::handle_of(int resource_id) {
    return &icon_slots[static_cast<std::size_t>(resource_id) % sizeof icon_slots];
}

IconHandle FakeDialogWindow::load_icon(int resource_id) {
    loaded_.push_back(resource_id);
    return handle_of(resource_id);
}

void FakeDialogWindow::set_icon(IconKind kind, IconHandle icon) {
    icons_set_.emplace_back(kind, icon);
}

void FakeDialogWindow::draw_icon(IconHandle icon, int x, int y) {
    drawn_icon_ = icon;
    log_.push_back("draw " + std::to_string(x) + "," + std::to_string(y));
}

void FakeCpuSpeedMeter::refresh_cpu_speed() {
    if (!speeds_.empty()) {
        clock_.cpu_speed_mhz = speeds_[std::min<std::size_t>(calls_, speeds_.size() - 1)];
    }
    ++calls_;
}

}  // namespace vantrel::test
