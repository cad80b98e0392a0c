#include "support/fake_dialog_controls.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vantrel::test {

namespace {

const char* kind_name(res::ControlKind kind) {
    switch (kind) {
        case res::ControlKind::PushButton:
            return "push button";
        case res::ControlKind::DropDownList:
            return "drop-down list";
        case res::ControlKind::Edit:
            return "edit box";
        case res::ControlKind::Trackbar:
            return "trackbar";
        case res::ControlKind::CheckBox:
            return "check box";
        case res::ControlKind::GroupBox:
            return "group box";
        case res::ControlKind::Label:
            return "label";
        case res::ControlKind::Icon:
            return "icon";
    }
    return "control";
}

}  // namespace

FakeDialogControls::FakeDialogControls(const res::DialogTemplate& dialog) {
    for (const auto& control : dialog.controls) {
        if (control.id == kIdStatic) {
            continue;
        }
        Control c;
        c.kind = control.kind;
        c.text = std::string(control.text);
        c.items = static_cast<int>(control.items.size());
        controls_[control.id] = c;
    }
}

const FakeDialogControls::Control& FakeDialogControls::any(int id) const {
    static const Control missing{res::ControlKind::Label, {}};
    const auto found = controls_.find(id);
    if (found == controls_.end()) {
        ADD_FAILURE() << "no control with ID " << id;
        return missing;
    }
    return found->second;
}

const FakeDialogControls::Control& FakeDialogControls::at(int id, res::ControlKind kind) const {
    const Control& c = any(id);
    if (c.kind != kind) {
        ADD_FAILURE() << "control " << id << " is a " << kind_name(c.kind) << ", not a "
                      << kind_name(kind);
    }
    return c;
}

FakeDialogControls::Control& FakeDialogControls::at(int id, res::ControlKind kind) {
    return const_cast<Control&>(std::as_const(*this).at(id, kind));
}

void FakeDialogControls::record(const char* operation, int id, const std::string& value) {
    log_.push_back(std::string(operation) + " " + std::to_string(id) + " " + value);
}

std::string FakeDialogControls::text(int id) const {
    return any(id).text;
}

void FakeDialogControls::set_text(int id, std::string_view text) {
    const_cast<Control&>(any(id)).text = std::string(text);
    record("text", id, std::string(text));
}

int FakeDialogControls::selection(int id) const {
    return at(id, res::ControlKind::DropDownList).selection;
}

void FakeDialogControls::select(int id, int index) {
    Control& c = at(id, res::ControlKind::DropDownList);
    c.selection = index >= 0 && index < c.items ? index : kCbErr;
    record("select", id, std::to_string(index));
}

int FakeDialogControls::check_state(int id) const {
    return at(id, res::ControlKind::CheckBox).check;
}

void FakeDialogControls::set_check_state(int id, int state) {
    if (state < kBstUnchecked || state > kBstIndeterminate) {
        ADD_FAILURE() << "check state " << state << " for control " << id;
    }
    at(id, res::ControlKind::CheckBox).check = state;
    record("check", id, std::to_string(state));
}

bool FakeDialogControls::enabled(int id) const {
    return any(id).enabled;
}

void FakeDialogControls::enable(int id, bool on) {
    const_cast<Control&>(any(id)).enabled = on;
    record("enable", id, on ? "1" : "0");
}

int FakeDialogControls::slider_minimum(int id) const {
    return at(id, res::ControlKind::Trackbar).minimum;
}

int FakeDialogControls::slider_maximum(int id) const {
    return at(id, res::ControlKind::Trackbar).maximum;
}

void FakeDialogControls::set_slider_minimum(int id, int minimum) {
    Control& c = at(id, res::ControlKind::Trackbar);
    c.minimum = minimum;
    c.position = std::max(c.position, minimum);
    record("slider-min", id, std::to_string(minimum));
}

void FakeDialogControls::set_slider_maximum(int id, int maximum) {
    Control& c = at(id, res::ControlKind::Trackbar);
    c.maximum = maximum;
    c.position = std::min(c.position, maximum);
    record("slider-max", id, std::to_string(maximum));
}

void FakeDialogControls::set_slider_tick_frequency(int id, int frequency) {
    at(id, res::ControlKind::Trackbar).tick_frequency = frequency;
    record("slider-ticks", id, std::to_string(frequency));
}

int FakeDialogControls::slider_tick_frequency(int id) const {
    return at(id, res::ControlKind::Trackbar).tick_frequency;
}

int FakeDialogControls::slider_position(int id) const {
    return at(id, res::ControlKind::Trackbar).position;
}

void FakeDialogControls::set_slider_position(int id, int position) {
    Control& c = at(id, res::ControlKind::Trackbar);
    // The trackbar checks the minimum first, so with an inverted range the maximum wins.
    c.position = std::min(std::max(position, c.minimum), c.maximum);
    record("slider-pos", id, std::to_string(position));
}

int FakeDialogControls::item_count(int id) const {
    return at(id, res::ControlKind::DropDownList).items;
}

}  // namespace vantrel::test
