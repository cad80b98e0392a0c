// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/memory_dialog_controls.h"

#include <algorithm>
#include <utility>

namespace vantrel {

namespace {

// A control kind with its article.
const char* kind_name(res::ControlKind kind) {
    switch (kind) {
        case res::ControlKind::PushButton:
            return "a push button";
        case res::ControlKind::DropDownList:
            return "a drop-down list";
        case res::ControlKind::Edit:
            return "an edit box";
        case res::ControlKind::Trackbar:
            return "a trackbar";
        case res::ControlKind::CheckBox:
            return "a check box";
        case res::ControlKind::GroupBox:
            return "a group box";
        case res::ControlKind::Label:
            return "a label";
        case res::ControlKind::Icon:
            return "an icon";
    }
    return "a control";
}

}  // namespace

MemoryDialogControls::MemoryDialogControls(const res::DialogTemplate& dialog) {
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

const MemoryDialogControls::Control* MemoryDialogControls::find(int id) const {
    const auto found = controls_.find(id);
    if (found == controls_.end()) {
        misuse("no control with ID " + std::to_string(id));
        return nullptr;
    }
    return &found->second;
}

const MemoryDialogControls::Control* MemoryDialogControls::find(int id,
                                                                res::ControlKind kind) const {
    const Control* c = find(id);
    if (c != nullptr && c->kind != kind) {
        misuse("control " + std::to_string(id) + " is " + kind_name(c->kind) + ", not " +
               kind_name(kind));
        return nullptr;
    }
    return c;
}

MemoryDialogControls::Control* MemoryDialogControls::find(int id) {
    return const_cast<Control*>(std::as_const(*this).find(id));
}

MemoryDialogControls::Control* MemoryDialogControls::find(int id, res::ControlKind kind) {
    return const_cast<Control*>(std::as_const(*this).find(id, kind));
}

std::string MemoryDialogControls::text(int id) const {
    const Control* c = find(id);
    return c != nullptr ? c->text : std::string();
}

void MemoryDialogControls::set_text(int id, std::string_view text) {
    if (Control* c = find(id)) {
        c->text = std::string(text);
        changed("text", id, c->text);
    }
}

int MemoryDialogControls::selection(int id) const {
    const Control* c = find(id, res::ControlKind::DropDownList);
    return c != nullptr ? c->selection : kCbErr;
}

void MemoryDialogControls::select(int id, int index) {
    if (Control* c = find(id, res::ControlKind::DropDownList)) {
        c->selection = index >= 0 && index < c->items ? index : kCbErr;
        changed("select", id, std::to_string(index));
    }
}

int MemoryDialogControls::check_state(int id) const {
    const Control* c = find(id, res::ControlKind::CheckBox);
    return c != nullptr ? c->check : kBstUnchecked;
}

void MemoryDialogControls::set_check_state(int id, int state) {
    if (state < kBstUnchecked || state > kBstIndeterminate) {
        misuse("check state " + std::to_string(state) + " for control " + std::to_string(id));
    }
    if (Control* c = find(id, res::ControlKind::CheckBox)) {
        c->check = state;
        changed("check", id, std::to_string(state));
    }
}

bool MemoryDialogControls::enabled(int id) const {
    const Control* c = find(id);
    return c != nullptr && c->enabled;
}

void MemoryDialogControls::enable(int id, bool on) {
    if (Control* c = find(id)) {
        c->enabled = on;
        changed("enable", id, on ? "1" : "0");
    }
}

int MemoryDialogControls::slider_minimum(int id) const {
    const Control* c = find(id, res::ControlKind::Trackbar);
    return c != nullptr ? c->minimum : 0;
}

int MemoryDialogControls::slider_maximum(int id) const {
    const Control* c = find(id, res::ControlKind::Trackbar);
    return c != nullptr ? c->maximum : 0;
}

void MemoryDialogControls::set_slider_minimum(int id, int minimum) {
    if (Control* c = find(id, res::ControlKind::Trackbar)) {
        c->minimum = minimum;
        c->position = std::max(c->position, minimum);
        changed("slider-min", id, std::to_string(minimum));
    }
}

void MemoryDialogControls::set_slider_maximum(int id, int maximum) {
    if (Control* c = find(id, res::ControlKind::Trackbar)) {
        c->maximum = maximum;
        c->position = std::min(c->position, maximum);
        changed("slider-max", id, std::to_string(maximum));
    }
}

void MemoryDialogControls::set_slider_tick_frequency(int id, int frequency) {
    if (Control* c = find(id, res::ControlKind::Trackbar)) {
        c->tick_frequency = frequency;
        changed("slider-ticks", id, std::to_string(frequency));
    }
}

int MemoryDialogControls::slider_tick_frequency(int id) const {
    const Control* c = find(id, res::ControlKind::Trackbar);
    return c != nullptr ? c->tick_frequency : 0;
}

int MemoryDialogControls::slider_position(int id) const {
    const Control* c = find(id, res::ControlKind::Trackbar);
    return c != nullptr ? c->position : 0;
}

void MemoryDialogControls::set_slider_position(int id, int position) {
    if (Control* c = find(id, res::ControlKind::Trackbar)) {
        // The trackbar checks the minimum first, so with an inverted range the maximum wins.
        c->position = std::min(std::max(position, c->minimum), c->maximum);
        changed("slider-pos", id, std::to_string(position));
    }
}

int MemoryDialogControls::item_count(int id) const {
    const Control* c = find(id, res::ControlKind::DropDownList);
    return c != nullptr ? c->items : 0;
}

}  // namespace vantrel
