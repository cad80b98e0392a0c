// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/posix_stop_signals.h"

#include <climits>
#include <iterator>

namespace vantrel::platform {

namespace {

struct Named {
    int number;
    std::string_view name;
};

constexpr Named kStopSignals[] = {
    {SIGINT, "SIGINT"},
    {SIGTERM, "SIGTERM"},
    {SIGHUP, "SIGHUP"},
    {SIGQUIT, "SIGQUIT"},
};
static_assert(std::size(kStopSignals) == PosixStopSignals::kSignals);

// Written only by the handler, which runs with all four blocked, so the count's increment is
// never interleaved with itself; read by the program as whole sig_atomic_t values.
volatile std::sig_atomic_t g_first = 0;
volatile std::sig_atomic_t g_count = 0;

extern "C" void note_stop_signal(int number) {
    if (g_first == 0) {
        g_first = number;
    }
    if (g_count < SHRT_MAX) {
        g_count = g_count + 1;
    }
}

}  // namespace

PosixStopSignals::PosixStopSignals() {
    g_first = 0;
    g_count = 0;
    struct sigaction action {};
    action.sa_handler = note_stop_signal;
    // Reads and ioctls go on where they were; poll and sleeps come back early, and the code
    // around them looks here before waiting again.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const Named& s : kStopSignals) {
        sigaddset(&action.sa_mask, s.number);
    }
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i) {
        struct sigaction before {};
        if (::sigaction(kStopSignals[i].number, nullptr, &before) != 0 ||
            before.sa_handler == SIG_IGN) {
            continue;
        }
        installed_[i] = ::sigaction(kStopSignals[i].number, &action, &previous_[i]) == 0;
    }
}

PosixStopSignals::~PosixStopSignals() {
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i) {
        if (installed_[i]) {
            ::sigaction(kStopSignals[i].number, &previous_[i], nullptr);
        }
    }
}

StopSignal PosixStopSignals::first() const {
    const int number = g_first;
    return {number, number == 0 ? std::string_view{} : stop_signal_name(number)};
}

unsigned PosixStopSignals::count() const {
    return static_cast<unsigned>(g_count);
}

std::string_view stop_signal_name(int number) {
    for (const Named& s : kStopSignals) {
        if (s.number == number) {
            return s.name;
        }
    }
    return "another signal";
}

}  // namespace vantrel::platform
