// SPDX-License-Identifier: GPL-2.0-or-later
#include "support/recording_port_io.h"

#include <iomanip>

namespace vantrel::test {

void PrintTo(const Access& access, std::ostream* os) {
    static const char* const kNames[] = {"in8", "out8", "in32", "out32", "sleep"};
    *os << kNames[access.kind];
    if (access.kind == Access::Sleep) {
        *os << "(" << std::dec << access.value << " ms)";
        return;
    }
    *os << "(0x" << std::hex << std::uppercase << access.port << ", 0x" << access.value << ")"
        << std::dec;
}

void RecordingPortIo::script(std::uint16_t port, std::initializer_list<std::uint32_t> values) {
    auto& queue = scripted_[port];
    queue.insert(queue.end(), values.begin(), values.end());
}

void RecordingPortIo::script_repeated(std::uint16_t port, std::uint32_t value, unsigned times) {
    auto& queue = scripted_[port];
    queue.insert(queue.end(), times, value);
}

std::uint32_t RecordingPortIo::next(std::uint16_t port, std::uint32_t all_ones) {
    auto queue = scripted_.find(port);
    if (queue != scripted_.end() && !queue->second.empty()) {
        const std::uint32_t value = queue->second.front();
        queue->second.pop_front();
        return value;
    }
    const auto fallback = defaults_.find(port);
    return fallback != defaults_.end() ? fallback->second : all_ones;
}

std::uint8_t RecordingPortIo::read_byte(std::uint16_t port) {
    const auto value = static_cast<std::uint8_t>(next(port, 0xFF));
    log_.push_back(in8(port, value));
    return value;
}

void RecordingPortIo::write_byte(std::uint16_t port, std::uint8_t value) {
    log_.push_back(out8(port, value));
}

std::uint32_t RecordingPortIo::read_dword(std::uint16_t port) {
    const std::uint32_t value = next(port, 0xFFFFFFFF);
    log_.push_back(in32(port, value));
    return value;
}

void RecordingPortIo::write_dword(std::uint16_t port, std::uint32_t value) {
    log_.push_back(out32(port, value));
}

void RecordingPortIo::sleep_ms(std::uint32_t milliseconds) {
    log_.push_back(vantrel::test::sleep_ms(milliseconds));
}

unsigned RecordingPortIo::count_reads_of(std::uint16_t port) const {
    unsigned n = 0;
    for (const auto& a : log_) {
        n += (a.kind == Access::In8 || a.kind == Access::In32) && a.port == port ? 1u : 0u;
    }
    return n;
}

}  // namespace vantrel::test
