// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "bus/smbus_transfers.h"

namespace vantrel::cli {

// A transfer's kind in words ("word read") and a failure's cause as the fault grammar names it
// ("device-error").
const char* transfer_name(TransferFailure::Transfer transfer);
const char* cause_name(TransferFailure::Cause cause);

// A register as the program names it to the user, "REG1F".
std::string register_name(std::uint8_t reg);

// One sentence on which transfer failed and why, e.g. "the chip did not acknowledge the word
// write of REG22 (SMBus device error)".
std::string failure_text(const TransferFailure& failure);
// The same as a JSON object, for scripts.
std::string failure_json(const TransferFailure& failure);

}  // namespace vantrel::cli
