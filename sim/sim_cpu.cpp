// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/sim_cpu.h"

#include <cmath>

namespace vantrel::sim {

namespace {

constexpr std::uint32_t kHighestStandardLeaf = 2;
constexpr std::uint32_t kSignature = 0x00000686;  // family 6, model 8, stepping 6
// FPU VME DE PSE TSC MSR PAE MCE CX8 APIC SEP MTRR PGE MCA CMOV PAT PSE36 MMX FXSR SSE
constexpr std::uint32_t kFeatures = 0x0383FBFF;
// What user code may change on a P6: the arithmetic flags, DF, TF, NT, AC and ID. IOPL and IF
// are not writable at privilege level 3.
constexpr std::uint32_t kWritableEflags = 0x00244FD5;
constexpr std::uint32_t kCyclesPerLoop = 38 * 4000;

}  // namespace

SimCpu::SimCpu(SimTime& time, const SimClockChip& chip)
    : time_(time), chip_(chip), cycles_at_us_(time.now_us()) {}

double SimCpu::core_mhz() const {
    return multiplier_ * chip_.running_cpu_ext_mhz();
}

CpuidResult SimCpu::cpuid(std::uint32_t leaf) {
    switch (leaf) {
        case 0:
            return {kHighestStandardLeaf, 0x756E6547, 0x6C65746E, 0x49656E69};  // "GenuineIntel"
        case 1:
            return {kSignature, 0, 0, kFeatures};
        default:
            return {};
    }
}

std::uint32_t SimCpu::eflags_after_write(std::uint32_t value) {
    return (value & kWritableEflags) | (eflags_ & ~kWritableEflags);
}

std::uint16_t SimCpu::flags_after_write(std::uint16_t value) {
    return static_cast<std::uint16_t>(eflags_after_write((eflags_ & 0xFFFF0000u) | value));
}

void SimCpu::advance_time_stamp() {
    const std::uint64_t now = time_.now_us();
    cycles_ += static_cast<double>(now - cycles_at_us_) * core_mhz();
    cycles_at_us_ = now;
}

std::uint64_t SimCpu::read_time_stamp_counter() {
    advance_time_stamp();
    return static_cast<std::uint64_t>(cycles_);
}

void SimCpu::run_bsf_loop() {
    advance_time_stamp();
    const double mhz = core_mhz();
    if (mhz > 0.0) {
        time_.advance_us(static_cast<std::uint64_t>(std::lround(kCyclesPerLoop / mhz)));
    }
    advance_time_stamp();
}

int SimCpu::query_performance_frequency(std::int64_t& frequency) {
    frequency = kCounterFrequency;
    return 1;
}

int SimCpu::query_performance_counter(std::int64_t& count) {
    // Cycles are counted up to each step of the clock, so every step runs at the clock the chip
    // had during it.
    advance_time_stamp();
    time_.advance_us(1);
    constexpr std::uint64_t kFrequency = kCounterFrequency;
    const std::uint64_t now = time_.now_us();
    count = static_cast<std::int64_t>(now / 1000000 * kFrequency +
                                      now % 1000000 * kFrequency / 1000000);
    return 1;
}

int SimCpu::get_thread_priority(ThreadHandle thread) {
    return thread == kCurrentThread ? priority_ : kThreadPriorityErrorReturn;
}

int SimCpu::set_thread_priority(ThreadHandle thread, int priority) {
    if (thread != kCurrentThread) {
        return 0;
    }
    priority_ = priority;
    priority_history_.push_back(priority);
    return 1;
}

}  // namespace vantrel::sim
