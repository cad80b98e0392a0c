// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/apply_workflow.h"

#include <cctype>

#include "clockgen/clock_chip.h"
#include "clockgen/frequency_model.h"
#include "clockgen/register_codec.h"
#include "res/resource_ids.h"
#include "ui/frequency_fields.h"

namespace vantrel {

namespace {

// The box is read through a 4-byte buffer: three characters and the terminator.
constexpr std::size_t kEditReadChars = 3;

// Whatever commit_pll has not completed goes back: the depth, the frequencies and their PLL
// values.
void restore_pll_side(ClockState& clock, const ApplySnapshot& snapshot) {
    clock.spread_depth = snapshot.spread_depth;
    clock.cpu_ext_mhz = snapshot.cpu_ext_mhz;
    clock.pci_mhz = snapshot.pci_mhz;
    clock.vco_mhz = snapshot.vco_mhz;
    clock.pll_n = snapshot.pll_n;
    clock.pll_m = snapshot.pll_m;
}

void restore_reg22_side(ClockState& clock, const ApplySnapshot& snapshot) {
    clock.delay_3v66 = snapshot.delay_3v66;
    clock.spread_model = snapshot.spread_model;
    restore_pll_side(clock, snapshot);
}

bool is_space(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}
bool is_digit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

ApplySnapshot take_snapshot(const ClockState& clock) {
    return {clock.delay_cpu,    clock.delay_pci,    clock.delay_sdram, clock.delay_3v66,
            clock.spread_depth, clock.spread_model, clock.cpu_ext_mhz, clock.pci_mhz,
            clock.vco_mhz,      clock.pll_n,        clock.pll_m};
}

void restore_snapshot(ClockState& clock, const ApplySnapshot& snapshot) {
    clock.delay_cpu = snapshot.delay_cpu;
    clock.delay_pci = snapshot.delay_pci;
    clock.delay_sdram = snapshot.delay_sdram;
    restore_reg22_side(clock, snapshot);
}

FrequencyRequest read_frequency_request(const std::string& text) {
    const std::string buffer = text.substr(0, kEditReadChars);
    if (buffer.empty()) {
        return {FrequencyRequest::Kind::Empty, 0};
    }
    std::size_t i = 0;
    while (i < buffer.size() && is_space(buffer[i])) {
        ++i;
    }
    bool negative = false;
    if (i < buffer.size() && (buffer[i] == '+' || buffer[i] == '-')) {
        negative = buffer[i] == '-';
        ++i;
    }
    int value = 0;
    while (i < buffer.size() && is_digit(buffer[i])) {
        value = value * 10 + (buffer[i] - '0');
        ++i;
    }
    // Design decision: a number whose digits run on past the three characters read ("1205") is
    // refused instead of being cut to a valid clock the user never asked for ("120"). The texts
    // the program writes itself end in a blank and so are never cut.
    if (i == kEditReadChars && is_digit(buffer[i - 1]) && text.size() > i && is_digit(text[i])) {
        return {FrequencyRequest::Kind::TooLong, 0};
    }
    return {FrequencyRequest::Kind::Number, negative ? -value : value};
}

void ApplyWorkflow::error(const char* text) {
    messages_.show(text, kErrorCaption, MessageButtons::Ok, MessageIcon::None);
}

void ApplyWorkflow::run_settings() {
    using Stop = ApplyOutcome::Stop;
    outcome_ = {};
    outcome_.text = controls_.text(IDC_FREQ_EDIT);
    outcome_.request = read_frequency_request(outcome_.text);
    const FrequencyRequest& request = outcome_.request;
    if (request.kind != FrequencyRequest::Kind::Empty) {
        outcome_.range = {controls_.slider_minimum(IDC_FREQ_SLIDER),
                          controls_.slider_maximum(IDC_FREQ_SLIDER)};
        if (request.kind == FrequencyRequest::Kind::TooLong ||
            request.mhz < outcome_.range.minimum || request.mhz > outcome_.range.maximum) {
            outcome_.stop = Stop::InvalidFrequency;
            error("Invalid Frequency");
            controls_.set_text(IDC_FREQ_EDIT, "");
            return;
        }
    }

    if (backup_ != nullptr && !backup_->keep(host_.shadow())) {
        return;
    }
    ClockChip chip(host_, clock_);
    if (!chip.enter_enhanced_mode()) {
        outcome_.stop = Stop::EnhancedMode;
        outcome_.left_enhanced_mode = false;
        error("Enable Enhanced-Mode Failed!");
        return;
    }

    const ApplySnapshot snapshot = take_snapshot(clock_);
    read_selections();
    if (request.kind == FrequencyRequest::Kind::Number) {
        solve_n(clock_, request.mhz);
    }

    if (!write_reg21()) {
        outcome_.stop = Stop::Reg21;
        error("Cannot Change Clock Settings!");
        restore_snapshot(clock_, snapshot);
    } else if (!write_reg22()) {
        outcome_.stop = Stop::Reg22;
        error("Cannot Change Some Clock Settings!");
        restore_reg22_side(clock_, snapshot);
    } else if (!chip.commit_pll()) {
        outcome_.stop = Stop::Commit;
        error("Cannot Change Some Clock Settings!");
        restore_pll_side(clock_, snapshot);
    } else if (!write_reg00()) {
        // The new clock is latched and stays; only the spread-spectrum switch did not follow
        // the check box, which now shows a state the chip does not have.
        outcome_.stop = Stop::Reg00;
        error("Cannot Change Some Clock Settings!");
    }

    if (!chip.leave_enhanced_mode()) {
        outcome_.left_enhanced_mode = false;
        error("Disable Enhanced Mode Failed!");
    }
    cpu_.refresh_cpu_speed();
    show_frequencies(controls_, clock_);
    controls_.set_slider_position(IDC_FREQ_SLIDER, static_cast<int>(clock_.cpu_ext_mhz));
}

void ApplyWorkflow::read_selections() {
    struct ListField {
        int id;
        std::uint8_t ClockState::*field;
    };
    static constexpr ListField kLists[] = {
        {IDC_DELAY_CPU, &ClockState::delay_cpu},
        {IDC_DELAY_PCI, &ClockState::delay_pci},
        {IDC_DELAY_SDRAM, &ClockState::delay_sdram},
        {IDC_DELAY_3V66, &ClockState::delay_3v66},
        {IDC_SPREAD_DEPTH, &ClockState::spread_depth},
        {IDC_SPREAD_MODEL, &ClockState::spread_model},
    };
    for (const auto& list : kLists) {
        const int index = controls_.selection(list.id);
        // Design decision: a list without a selection keeps the field's present value rather
        // than packing the list's error value (255) into a register.
        if (index != kCbErr) {
            clock_.*list.field = static_cast<std::uint8_t>(index);
        }
    }
}

int ApplyWorkflow::write_reg21() {
    std::uint8_t value = 0;
    if (!host_.read_register(REG21, value)) {
        return 0;
    }
    return host_.write_register(REG21, pack_reg21(reg21_fields(clock_), value));
}

int ApplyWorkflow::write_reg22() {
    std::uint8_t value = 0;
    if (!host_.read_register(REG22, value)) {
        return 0;
    }
    return host_.write_register(REG22, pack_reg22(reg22_fields(clock_), value));
}

// Non-zero unless a REG00 write was made and failed; an indeterminate box writes nothing.
int ApplyWorkflow::write_reg00() {
    // The base is the REG00 that entering enhanced mode just read back from the chip.
    const std::uint8_t reg00 = host_.shadow()[REG00];
    const int state = controls_.check_state(IDC_SPREAD_ENABLE);
    if (state == kBstChecked) {
        return host_.write_register(REG00, static_cast<std::uint8_t>(reg00 | kReg00SpreadEnable));
    }
    if (state == kBstUnchecked) {
        return host_.write_register(REG00, static_cast<std::uint8_t>(reg00 & ~kReg00SpreadEnable));
    }
    return 1;
}

}  // namespace vantrel
