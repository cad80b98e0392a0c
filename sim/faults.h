// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace vantrel::sim {

enum class TransferKind : std::uint8_t { WordRead, WordWrite, BlockRead, BlockWrite };

constexpr bool is_block(TransferKind kind) {
    return kind == TransferKind::BlockRead || kind == TransferKind::BlockWrite;
}

constexpr bool is_write(TransferKind kind) {
    return kind == TransferKind::WordWrite || kind == TransferKind::BlockWrite;
}

enum class FaultAction : std::uint8_t {
    Timeout,      // the awaited status bit never comes; the transaction hangs until killed
    DeviceError,  // the device does not acknowledge
    BusError,     // collision or bus error
    BlockCount,   // a block read announces `block_count` bytes instead of the chip's own count
    DropWrite,    // the chip acknowledges a write, word or block, without storing it
    Failed,       // the controller fails the transaction (its FAILED status bit)
};

// One injected fault. It matches either the n-th transaction started on the controller
// (`ordinal`, counting from 1) or the `occurrence`-th transaction of a kind, optionally to one
// register. Every armed fault counts the transactions it matches on its own; when two fire on
// the same transaction, the one injected first acts.
//
// Timeout and errors strike a word transfer before anything reaches the chip. In a block
// transfer they strike at data byte `at_byte`: a block read has delivered the bytes before it, a
// block write has stored them in the chip. BlockCount acts only on block reads, DropWrite only
// on writes.
struct Fault {
    std::optional<unsigned> ordinal;
    std::optional<TransferKind> kind;
    std::optional<std::uint8_t> reg;
    unsigned occurrence = 1;
    FaultAction action = FaultAction::Timeout;
    unsigned at_byte = 0;
    std::uint8_t block_count = 0;

    static Fault at_ordinal(unsigned n, FaultAction action) {
        Fault f;
        f.ordinal = n;
        f.action = action;
        return f;
    }
    static Fault on(TransferKind kind, FaultAction action) {
        Fault f;
        f.kind = kind;
        f.action = action;
        return f;
    }
    static Fault on_register(TransferKind kind, std::uint8_t reg, FaultAction action) {
        Fault f = on(kind, action);
        f.reg = reg;
        return f;
    }
};

// What one started transaction looked like, in order, for tests that count or inspect them.
struct TransferRecord {
    TransferKind kind;
    std::uint8_t address;
    std::uint8_t reg;
    std::vector<std::uint8_t> data;  // the bytes written, or the bytes delivered
    bool ok = false;
};

}  // namespace vantrel::sim
