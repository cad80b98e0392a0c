// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <ostream>
#include <vector>

#include "bus/port_io.h"
#include "bus/sleeper.h"

namespace vantrel::test {

// One step seen by the recording fake: a port access or a sleep, in the order they happened.
struct Access {
    enum Kind : std::uint8_t { In8, Out8, In32, Out32, Sleep };
    Kind kind;
    std::uint16_t port;   // 0 for a sleep
    std::uint32_t value;  // the value read or written, or the milliseconds slept

    bool operator==(const Access&) const = default;
};

inline Access in8(std::uint16_t port, std::uint8_t value) {
    return {Access::In8, port, value};
}
inline Access out8(std::uint16_t port, std::uint8_t value) {
    return {Access::Out8, port, value};
}
inline Access in32(std::uint16_t port, std::uint32_t value) {
    return {Access::In32, port, value};
}
inline Access out32(std::uint16_t port, std::uint32_t value) {
    return {Access::Out32, port, value};
}
inline Access sleep_ms(std::uint32_t ms) {
    return {Access::Sleep, 0, ms};
}

void PrintTo(const Access& access, std::ostream* os);

// A scripted PortIo and Sleeper that logs every access and sleep in order. Reads take the next
// scripted value for their port, then the port's default, then all ones.
class RecordingPortIo : public PortIo, public Sleeper {
  public:
    void script(std::uint16_t port, std::initializer_list<std::uint32_t> values);
    void script_repeated(std::uint16_t port, std::uint32_t value, unsigned times);
    void set_default(std::uint16_t port, std::uint32_t value) { defaults_[port] = value; }

    std::uint8_t read_byte(std::uint16_t port) override;
    void write_byte(std::uint16_t port, std::uint8_t value) override;
    std::uint32_t read_dword(std::uint16_t port) override;
    void write_dword(std::uint16_t port, std::uint32_t value) override;
    void sleep_ms(std::uint32_t milliseconds) override;

    const std::vector<Access>& log() const { return log_; }
    unsigned count_reads_of(std::uint16_t port) const;

  private:
    std::uint32_t next(std::uint16_t port, std::uint32_t all_ones);

    std::map<std::uint16_t, std::deque<std::uint32_t>> scripted_;
    std::map<std::uint16_t, std::uint32_t> defaults_;
    std::vector<Access> log_;
};

}  // namespace vantrel::test
