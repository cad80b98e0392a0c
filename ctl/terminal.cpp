// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl/terminal.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace vantrel::cli {

namespace {

// An answer is a short line; anything longer is not one.
constexpr std::size_t kMaxLine = 4096;
// A signal that comes between the look at the stop requests and the wait does not interrupt
// the wait; waiting in slices this long bounds how late it is seen.
constexpr int kStopLookMs = 200;

}  // namespace

bool StdinTerminal::interactive() const {
    return ::isatty(STDIN_FILENO) == 1;
}

std::optional<std::string> StdinTerminal::read_line(std::optional<std::uint32_t> timeout_ms) {
    using Clock = std::chrono::steady_clock;
    const auto deadline =
        timeout_ms ? Clock::now() + std::chrono::milliseconds(*timeout_ms) : Clock::time_point{};
    std::string line;
    for (;;) {
        if (stops_ != nullptr && stops_->stopping()) {
            return std::nullopt;
        }
        int wait_ms = -1;
        if (timeout_ms) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) {
                return std::nullopt;
            }
            wait_ms = static_cast<int>(left.count());
        }
        if (stops_ != nullptr && (wait_ms < 0 || wait_ms > kStopLookMs)) {
            wait_ms = kStopLookMs;
        }
        pollfd input{STDIN_FILENO, POLLIN, 0};
        const int ready = ::poll(&input, 1, wait_ms);
        if ((ready < 0 && errno == EINTR) || ready == 0) {
            continue;  // the deadline and the stop requests are looked at again above
        }
        if (ready < 0) {
            return std::nullopt;
        }
        // One byte at a time, so that nothing after the line is taken from the input.
        char c = 0;
        const ssize_t got = ::read(STDIN_FILENO, &c, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return std::nullopt;
        }
        if (c == '\n') {
            return line;
        }
        if (line.size() < kMaxLine) {
            line += c;
        }
    }
}

}  // namespace vantrel::cli
