// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// What a drop-down list answers when it has no selection.
inline constexpr int kCbErr = -1;

// Check states of a button.
inline constexpr int kBstUnchecked = 0;
inline constexpr int kBstChecked = 1;
inline constexpr int kBstIndeterminate = 2;

// A dialog's controls, looked up by ID each time, as the dialog handlers do. Every operation
// behaves as the matching Win32 control message does: `select` with an index past the last item
// (or a negative one) leaves the list without a selection and `selection` then answers kCbErr;
// a slider clamps every position it is given to its current range, and a new range minimum or
// maximum pulls the position into the range as well. Nothing the program sets is reported back
// to the dialog as a user event: setting the slider's position sends no scroll notification.
class DialogControls {
  public:
    virtual ~DialogControls() = default;

    virtual std::string text(int id) const = 0;
    virtual void set_text(int id, std::string_view text) = 0;

    virtual int selection(int id) const = 0;
    virtual void select(int id, int index) = 0;

    virtual int check_state(int id) const = 0;
    virtual void set_check_state(int id, int state) = 0;

    virtual bool enabled(int id) const = 0;
    virtual void enable(int id, bool on) = 0;

    virtual int slider_minimum(int id) const = 0;
    virtual int slider_maximum(int id) const = 0;
    virtual void set_slider_minimum(int id, int minimum) = 0;
    virtual void set_slider_maximum(int id, int maximum) = 0;
    virtual void set_slider_tick_frequency(int id, int frequency) = 0;
    virtual int slider_position(int id) const = 0;
    virtual void set_slider_position(int id, int position) = 0;
};

}  // namespace vantrel
