// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/fault_grammar.h"

#include <cstdint>

#include "bus/ascii_text.h"
#include "sim/option_words.h"

namespace vantrel::sim {

namespace {

constexpr unsigned kMaxByte = 0xFF;
// A block transfer of the controller carries at most 32 data bytes.
constexpr unsigned kMaxFaultByte = 32;
constexpr unsigned kMaxCount = 1000000;

constexpr Named kTransferKinds[] = {
    {"word-read", static_cast<unsigned>(TransferKind::WordRead)},
    {"word-write", static_cast<unsigned>(TransferKind::WordWrite)},
    {"block-read", static_cast<unsigned>(TransferKind::BlockRead)},
    {"block-write", static_cast<unsigned>(TransferKind::BlockWrite)},
};

constexpr Named kFaultActions[] = {
    {"timeout", static_cast<unsigned>(FaultAction::Timeout)},
    {"device-error", static_cast<unsigned>(FaultAction::DeviceError)},
    {"bus-error", static_cast<unsigned>(FaultAction::BusError)},
    {"failed", static_cast<unsigned>(FaultAction::Failed)},
    {"drop-write", static_cast<unsigned>(FaultAction::DropWrite)},
};

}  // namespace

bool parse_fault(std::string_view text, Fault& fault, std::string& error) {
    std::string_view rest = text;
    const std::string_view action = ascii::take_until(rest, ':');
    unsigned number = 0;
    if (action.starts_with("block-count=")) {
        if (!ascii::parse_decimal(action.substr(12), kMaxByte, number)) {
            error = "block-count= takes a byte count from 0 to 255";
            return false;
        }
        fault.action = FaultAction::BlockCount;
        fault.block_count = static_cast<std::uint8_t>(number);
    } else if (const Named* named = find_named(kFaultActions, action)) {
        fault.action = static_cast<FaultAction>(named->value);
    } else {
        error =
            "a fault starts with its action: timeout, device-error, bus-error, failed, drop-write "
            "or "
            "block-count=N";
        return false;
    }

    if (text.back() == ':') {
        error = "the fault ends with a colon";
        return false;
    }
    bool has_nth = false;
    bool has_byte = false;
    while (!rest.empty()) {
        const std::string_view field = ascii::take_until(rest, ':');
        std::string_view value = field;
        const std::string_view key = ascii::take_until(value, '=');
        const bool has_value = field.find('=') != std::string_view::npos;
        std::uint32_t reg = 0;
        if (const Named* kind = has_value ? nullptr : find_named(kTransferKinds, field)) {
            if (fault.kind) {
                error = "more than one transfer kind";
                return false;
            }
            fault.kind = static_cast<TransferKind>(kind->value);
        } else if (key == "reg" && has_value) {
            if (fault.reg || !ascii::parse_hex(ascii::without_hex_prefix(value), kMaxByte, reg)) {
                error = "reg= takes one register in hex, e.g. reg=21";
                return false;
            }
            fault.reg = static_cast<std::uint8_t>(reg);
        } else if (key == "nth" && has_value) {
            if (has_nth || !ascii::parse_decimal(value, kMaxCount, number) || number == 0) {
                error = "nth= counts matching transfers from 1";
                return false;
            }
            has_nth = true;
            fault.occurrence = number;
        } else if (key == "transfer" && has_value) {
            if (fault.ordinal || !ascii::parse_decimal(value, kMaxCount, number) || number == 0) {
                error = "transfer= counts every transfer from 1";
                return false;
            }
            fault.ordinal = number;
        } else if (key == "byte" && has_value) {
            if (has_byte || !ascii::parse_decimal(value, kMaxFaultByte, number)) {
                error = "byte= takes a data byte of a block transfer, 0 to 32";
                return false;
            }
            has_byte = true;
            fault.at_byte = number;
        } else {
            error = "unknown qualifier \"" + std::string(field) +
                    "\" (a transfer kind, reg=, nth=, transfer= or byte=)";
            return false;
        }
    }

    const bool word_kind =
        fault.kind == TransferKind::WordRead || fault.kind == TransferKind::WordWrite;
    if (fault.ordinal && (fault.kind || fault.reg || has_nth)) {
        error = "transfer= counts every transfer; it takes no kind, reg= or nth=";
    } else if (!fault.ordinal && !fault.kind) {
        error =
            "say which transfer: a kind (word-read, word-write, block-read, block-write) "
            "or transfer=N";
    } else if (fault.action == FaultAction::BlockCount && fault.kind &&
               fault.kind != TransferKind::BlockRead) {
        error = "block-count= applies to block reads";
    } else if (fault.action == FaultAction::DropWrite && fault.kind &&
               fault.kind != TransferKind::WordWrite && fault.kind != TransferKind::BlockWrite) {
        error = "drop-write applies to writes";
    } else if (has_byte && word_kind) {
        error = "byte= applies to block transfers";
    } else {
        return true;
    }
    return false;
}

}  // namespace vantrel::sim
