// SPDX-License-Identifier: GPL-2.0-or-later
#include "support/scripted_cpu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace vantrel::test {

namespace {

std::uint32_t word_of(const char* text) {
    std::uint32_t word = 0;
    for (int i = 3; i >= 0; --i) {
        word = (word << 8) | static_cast<std::uint8_t>(text[i]);
    }
    return word;
}

}  // namespace

ScriptedCpu ScriptedCpu::with_cpuid(const char* vendor, std::uint32_t highest_leaf,
                                    std::uint32_t signature, std::uint32_t features) {
    EXPECT_EQ(std::strlen(vendor), 12u) << vendor;
    ScriptedCpu cpu;
    cpu.flags_ = kFlagsCpuid;
    // The vendor text is EBX, EDX, ECX.
    cpu.leaves_[0] = {highest_leaf, word_of(vendor), word_of(vendor + 8), word_of(vendor + 4)};
    cpu.leaves_[1] = {signature, 0, 0, features};
    return cpu;
}

ScriptedCpu ScriptedCpu::without_cpuid(FlagModel flags, int division_keeps_zero_flag) {
    ScriptedCpu cpu;
    cpu.flags_ = flags;
    cpu.division_keeps_zero_flag_ = division_keeps_zero_flag;
    return cpu;
}

void ScriptedCpu::script_time_stamps(std::initializer_list<std::uint64_t> values) {
    time_stamps_.insert(time_stamps_.end(), values.begin(), values.end());
}

CpuidResult ScriptedCpu::cpuid(std::uint32_t leaf) {
    log_.push_back("cpuid " + std::to_string(leaf));
    EXPECT_EQ(flags_.writable & 0x200000, 0x200000u) << "CPUID executed on a processor without it";
    const auto found = leaves_.find(leaf);
    return found == leaves_.end() ? CpuidResult{} : found->second;
}

std::uint32_t ScriptedCpu::read_eflags() {
    log_.push_back("read_eflags");
    return flags_.fixed;
}

std::uint32_t ScriptedCpu::eflags_after_write(std::uint32_t value) {
    log_.push_back("eflags_after_write");
    return flags_.kept(value);
}

std::uint16_t ScriptedCpu::read_flags() {
    log_.push_back("read_flags");
    return static_cast<std::uint16_t>(flags_.fixed);
}

std::uint16_t ScriptedCpu::flags_after_write(std::uint16_t value) {
    log_.push_back("flags_after_write");
    return static_cast<std::uint16_t>(flags_.kept((flags_.fixed & 0xFFFF0000u) | value));
}

int ScriptedCpu::division_keeps_zero_flag() {
    log_.push_back("div");
    return division_keeps_zero_flag_;
}

std::uint64_t ScriptedCpu::read_time_stamp_counter() {
    log_.push_back("rdtsc");
    if (time_stamps_.empty()) {
        ADD_FAILURE() << "time-stamp counter read beyond the script";
        return last_time_stamp_ += 1000;
    }
    last_time_stamp_ = time_stamps_.front();
    time_stamps_.pop_front();
    return last_time_stamp_;
}

void ScriptedCpu::run_bsf_loop() {
    log_.push_back("bsf_loop");
}

unsigned ScriptedCpu::count(const std::string& instruction) const {
    return static_cast<unsigned>(std::count(log_.begin(), log_.end(), instruction));
}

void ScriptedTiming::script_counter(std::initializer_list<std::int64_t> readings) {
    readings_.insert(readings_.end(), readings.begin(), readings.end());
}

int ScriptedTiming::query_performance_frequency(std::int64_t& value) {
    if (!frequency) {
        return 0;
    }
    value = *frequency;
    return 1;
}

int ScriptedTiming::query_performance_counter(std::int64_t& count) {
    const std::size_t index = readings_taken_++;
    if (counter_fails_at_reading && index >= *counter_fails_at_reading) {
        return 0;
    }
    if (readings_.empty()) {
        ADD_FAILURE() << "performance counter read beyond the script";
        last_reading_ += 1000;
    } else {
        last_reading_ = readings_.front();
        readings_.pop_front();
    }
    count = last_reading_;
    events_.push_back({TimingEvent::Counter, count});
    return 1;
}

int ScriptedTiming::get_thread_priority(ThreadHandle thread) {
    EXPECT_EQ(thread, kThread);
    events_.push_back({TimingEvent::GetPriority, priority});
    return priority;
}

int ScriptedTiming::set_thread_priority(ThreadHandle thread, int value) {
    EXPECT_EQ(thread, kThread);
    events_.push_back({TimingEvent::SetPriority, value});
    current_priority_ = value;
    return 1;
}

}  // namespace vantrel::test
