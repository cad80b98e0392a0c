// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <string>

namespace vantrel::platform {

// Whether this is a Windows NT-family system (NT 4, 2000, XP and later), on which a user-mode
// IN or OUT raises an exception instead of reaching the port. Windows 95, 98 and Me are not.
bool nt_family();

// Whether the program runs under Wine, whatever Windows version Wine reports: its ntdll.dll
// exports wine_get_version, which no Windows has. Under Wine the ports a program sees are
// Wine's own emulation (or ports it passes through to the machine it runs on), never the
// board's, so the hardware path is refused there before any port access.
bool under_wine();

// The claim of the one program that may drive the clock chip: a named mutex, held until the
// process ends, so that two instances never interleave their transfers on one controller.
enum class ClockChipClaim : unsigned char { Claimed, HeldElsewhere, Failed };
ClockChipClaim claim_clock_chip();

// Reads a whole file of at most `max_bytes` as bytes (no text translation); a larger one is
// refused before it is read. On failure returns false and says why, without the path.
bool read_file(const std::string& path, std::size_t max_bytes, std::string& content,
               std::string& error);

}  // namespace vantrel::platform
