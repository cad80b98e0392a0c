// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <string_view>

#include "sim/faults.h"

namespace vantrel::sim {

// One `fault=` value: an action, then qualifiers separated by colons
// ("device-error:word-write:reg=22"). On failure returns false and `error` says what is wrong.
bool parse_fault(std::string_view text, Fault& fault, std::string& error);

}  // namespace vantrel::sim
