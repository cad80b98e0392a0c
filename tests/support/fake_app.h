// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "app/core/caution_notice.h"
#include "app/core/setup_app.h"

namespace vantrel::test {

class FakeCautionWindow : public CautionWindow {
  public:
    ScreenRect window_rect() const override { return rect_; }
    int screen_width() const override { return screen_width_; }
    int screen_height() const override { return screen_height_; }
    void move_to(int x, int y) override { moves_.emplace_back(x, y); }
    int check_state(int /*id*/) const override { return check_; }
    void end_dialog(int result) override { result_ = result; }

    void set_rect(ScreenRect rect) { rect_ = rect; }
    void set_screen(int width, int height) {
        screen_width_ = width;
        screen_height_ = height;
    }
    void set_check(int state) { check_ = state; }
    // A new notice opens with the box clear and no result.
    void reopen() {
        check_ = 0;
        moves_.clear();
        result_.reset();
    }
    const std::vector<std::pair<int, int>>& moves() const { return moves_; }
    std::optional<int> result() const { return result_; }

  private:
    ScreenRect rect_{0, 0, 281, 169};
    int screen_width_ = 800;
    int screen_height_ = 600;
    int check_ = 0;
    std::vector<std::pair<int, int>> moves_;
    std::optional<int> result_;
};

// One thing the user does while the notice is open.
struct CautionStep {
    enum class Kind : std::uint8_t { SetCheck, Message };
    Kind kind;
    std::uint32_t message;
    std::uintptr_t wparam;
    int check;

    static CautionStep tick(int state) { return {Kind::SetCheck, 0, 0, state}; }
    static CautionStep ok() { return {Kind::Message, kWmCommand, 1, 0}; }
    static CautionStep escape() { return {Kind::Message, kWmCommand, 2, 0}; }
    static CautionStep close() { return {Kind::Message, kWmClose, 0, 0}; }
};

// Runs the notice as DialogBoxParamA would: WM_INITDIALOG to caution_proc, then the user's
// steps as messages until the procedure ends the dialog; -1 when the notice cannot be shown.
class FakeCautionNotice : public CautionNotice {
  public:
    int run() override;

    void set_showable(bool on) { showable_ = on; }
    void set_steps(std::vector<CautionStep> steps) { steps_ = std::move(steps); }
    unsigned runs() const { return runs_; }
    FakeCautionWindow& window() { return window_; }

  private:
    bool showable_ = true;
    std::vector<CautionStep> steps_ = {CautionStep::ok()};
    unsigned runs_ = 0;
    FakeCautionWindow window_;
};

// The framework's modal run: by default it initialises the dialog; tests add what the user
// does in the dialog before closing it.
class FakeDialogFramework : public DialogFramework {
  public:
    void enable_3d_controls() override { ++look_enabled_; }
    void run_modal(MainDialog& dialog) override;

    void set_user(std::function<void(MainDialog&)> user) { user_ = std::move(user); }
    unsigned look_enabled() const { return look_enabled_; }
    unsigned modal_runs() const { return modal_runs_; }

  private:
    std::function<void(MainDialog&)> user_;
    unsigned look_enabled_ = 0;
    unsigned modal_runs_ = 0;
};

}  // namespace vantrel::test
