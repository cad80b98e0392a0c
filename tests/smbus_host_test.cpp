// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "bus/smbus_host.h"
#include "support/param_name.h"
#include "support/recording_port_io.h"

namespace vantrel {
namespace {

using test::Access;
using test::in8;
using test::out8;
using test::PrintTo;
using test::RecordingPortIo;
using test::sleep_ms;

constexpr std::uint16_t S = 0xE800;    // status
constexpr std::uint16_t C = 0xE802;    // control
constexpr std::uint16_t CMD = 0xE803;  // command
constexpr std::uint16_t A = 0xE804;    // slave address
constexpr std::uint16_t D0 = 0xE805;
constexpr std::uint16_t D1 = 0xE806;
constexpr std::uint16_t B = 0xE807;  // block data

struct Fixture {
    RecordingPortIo io;
    SmbusController controller{ChipsetKind::ICH_82801BA, 0xE800};
    DeviceAddress device;
    RegisterShadow shadow;
    SmbusHost host{io, io, controller, device, shadow};

    Fixture() { io.set_default(C, 0x00); }
};

// The exact port sequences. Each was written out from the controller's protocol by hand, so a
// test fails when any access is added, dropped or reordered.

TEST(SmbusHostSequence, ReadRegister) {
    Fixture f;
    f.io.script(S, {0x01, 0x02, 0x02});
    f.io.script(D1, {0x84});
    std::uint8_t value = 0;

    ASSERT_EQ(f.host.read_register(0x11, value), 1);
    EXPECT_EQ(value, 0x84);
    EXPECT_EQ(f.shadow[0x11], 0x84);
    const std::vector<Access> expected = {
        out8(S, 0xFF),   in8(C, 0x00),                                  // preamble
        out8(CMD, 0x11), out8(A, 0xD3), out8(D0, 0x01), out8(C, 0x4C),  // set-up and start
        in8(S, 0x01),    sleep_ms(10),  in8(S, 0x02),                   // completion wait
        in8(S, 0x02),                                                   // error test
        in8(D1, 0x84),                                                  // the value
        in8(C, 0x00),    out8(S, 0xFF),                                 // clean-up
        sleep_ms(300),                                                  // pause
    };
    EXPECT_EQ(f.io.log(), expected);
}

TEST(SmbusHostSequence, WriteRegister) {
    Fixture f;
    f.io.script(S, {0x02, 0x02});

    ASSERT_EQ(f.host.write_register(0x21, 0xE4), 1);
    EXPECT_EQ(f.shadow[0x21], 0xE4);
    const std::vector<Access> expected = {
        out8(S, 0xFF), in8(C, 0x00), out8(CMD, 0x21), out8(A, 0xD2), out8(D0, 0x01), out8(D1, 0xE4),
        out8(C, 0x4C), in8(S, 0x02), in8(S, 0x02),    in8(C, 0x00),  out8(S, 0xFF),  sleep_ms(300),
    };
    EXPECT_EQ(f.io.log(), expected);
}

std::vector<Access> block_read_of_two(std::uint8_t first, std::uint8_t second) {
    return {
        out8(S, 0xFF),  in8(C, 0x00),  out8(CMD, 0x00), out8(A, 0xD3),  out8(D0, 0x24),
        out8(D1, 0x00), out8(C, 0x54), in8(S, 0x80),    in8(S, 0x80),  // byte wait and error test
        in8(D0, 0x02),                                                 // the device's count
        in8(S, 0x80),   in8(S, 0x80),  in8(B, first),   out8(S, 0x80),  in8(S, 0x01),
        sleep_ms(10),   in8(S, 0x80),  in8(S, 0x80),    in8(B, second), out8(C, 0x20),  // last byte
        out8(S, 0x80),  in8(S, 0x02),  in8(S, 0x02),  // completion wait and error test
        in8(C, 0x00),   out8(S, 0xFF), sleep_ms(300),
    };
}

void script_block_read_of_two(RecordingPortIo& io, std::uint8_t first, std::uint8_t second) {
    io.script(S, {0x80, 0x80, 0x80, 0x80, 0x01, 0x80, 0x80, 0x02, 0x02});
    io.script(D0, {0x02});
    io.script(B, {first, second});
}

TEST(SmbusHostSequence, BlockRead) {
    Fixture f;
    script_block_read_of_two(f.io, 0xAA, 0xBB);
    std::uint8_t count = 0;

    ASSERT_EQ(f.host.block_read(count), 1);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(f.shadow[0], 0xAA);
    EXPECT_EQ(f.shadow[1], 0xBB);
    EXPECT_EQ(f.io.log(), block_read_of_two(0xAA, 0xBB));
}

TEST(SmbusHostSequence, BlockWriteReadsFirstThenSendsThePatchedShadow) {
    Fixture f;
    script_block_read_of_two(f.io, 0x11, 0x22);
    f.io.script(S, {0x80, 0x80, 0x80, 0x80, 0x82, 0x82});

    ASSERT_EQ(f.host.block_write(0x01, 0x5A, 2), 1);
    EXPECT_EQ(f.shadow[0], 0x11);
    EXPECT_EQ(f.shadow[1], 0x5A);
    std::vector<Access> expected = block_read_of_two(0x11, 0x22);
    const std::vector<Access> write = {
        out8(S, 0xFF),  in8(C, 0x00),  out8(CMD, 0x00), out8(A, 0xD2), out8(D0, 0x02),
        out8(D1, 0x00), out8(B, 0x11),  // first byte goes in before the start
        out8(C, 0x54),  in8(S, 0x80),  in8(S, 0x80),    out8(B, 0x5A), out8(S, 0x80),
        in8(S, 0x80),   in8(S, 0x80),  out8(S, 0x80),  // byte done of the last byte cleared too
        in8(S, 0x82),   in8(S, 0x82),                  // completion wait and error test
        in8(C, 0x00),   out8(S, 0xFF),                 // clean-up, then the pause
        sleep_ms(300),
    };
    expected.insert(expected.end(), write.begin(), write.end());
    EXPECT_EQ(f.io.log(), expected);
}

// How the completion wait and the error test judge status sequences, on a one-register write.
TEST(SmbusHostWait, StatusSequences) {
    struct Row {
        const char* what;
        std::vector<std::uint32_t> status;
        unsigned busy_reads;  // leading 0x01 reads before `status`
        int result;
        unsigned sleeps;  // 10 ms polling sleeps
    };
    const Row rows[] = {
        {"completion at once", {0x02, 0x02}, 0, 1, 0},
        {"busy and completion is not done", {0x03, 0x02, 0x02}, 0, 1, 1},
        {"device error with completion", {0x06, 0x06}, 0, 0, 0},
        {"bus error with completion", {0x0A, 0x0A}, 0, 0, 0},
        {"failed bit is not tested", {0x12, 0x12}, 0, 1, 0},
        {"error appears only at the error test", {0x02, 0x04}, 0, 0, 0},
        {"byte done does not count as completion", {0x80, 0x82, 0x82}, 0, 1, 1},
        {"condition after the 99th sleep", {0x02, 0x02}, 99, 1, 99},
        {"condition only after the 100th sleep", {0x02}, 100, 0, 100},
        {"never completes", {}, 200, 0, 100},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Fixture f;
        f.io.script_repeated(S, 0x01, row.busy_reads);
        for (const std::uint32_t s : row.status) {
            f.io.script(S, {s});
        }
        EXPECT_EQ(f.host.write_register(0x22, 0x55), row.result);
        unsigned polls = 0;
        unsigned pauses = 0;
        for (const Access& a : f.io.log()) {
            polls += a == sleep_ms(10) ? 1u : 0u;
            pauses += a == sleep_ms(300) ? 1u : 0u;
        }
        EXPECT_EQ(polls, row.sleeps);
        EXPECT_EQ(pauses, row.result == 1 ? 1u : 0u);
        EXPECT_EQ(f.shadow[0x22], row.result == 1 ? 0x55 : 0x00);
        // Success or failure, the transfer ends with the clean-up.
        const auto& log = f.io.log();
        const std::size_t end = log.size() - (row.result == 1 ? 1 : 0);
        EXPECT_EQ(log[end - 2], in8(C, 0x00));
        EXPECT_EQ(log[end - 1], out8(S, 0xFF));
    }
}

TEST(SmbusHostFailure, FailedReadLeavesValueAndShadowAlone) {
    Fixture f;
    f.shadow.bytes[0x13] = 0x1F;
    f.io.script(S, {0x04});  // device error without completion: the wait runs out
    f.io.set_default(S, 0x04);
    std::uint8_t value = 0x77;

    EXPECT_EQ(f.host.read_register(0x13, value), 0);
    EXPECT_EQ(value, 0x77);
    EXPECT_EQ(f.shadow[0x13], 0x1F);
    EXPECT_EQ(f.io.count_reads_of(D1), 0u);
}

TEST(SmbusHostFailure, BlockReadKeepsBytesStoredBeforeTheFailure) {
    Fixture f;
    // Count 3; the first byte arrives, then the device reports an error.
    f.io.script(S, {0x80, 0x80, 0x80, 0x80, 0x84, 0x84});
    f.io.script(D0, {0x03});
    f.io.script(B, {0x42});
    f.shadow.bytes[1] = 0x99;
    std::uint8_t count = 0xEE;

    EXPECT_EQ(f.host.block_read(count), 0);
    EXPECT_EQ(count, 0xEE);
    EXPECT_EQ(f.shadow[0], 0x42);
    EXPECT_EQ(f.shadow[1], 0x99);
    EXPECT_EQ(f.io.log().back(), out8(S, 0xFF));
}

TEST(SmbusHostBlock, WriteOfCountZeroTouchesNothing) {
    Fixture f;
    f.shadow.bytes[0x10] = 0x01;
    EXPECT_EQ(f.host.block_write(0x10, 0x0B, 0), 1);
    EXPECT_TRUE(f.io.log().empty());
    EXPECT_EQ(f.shadow[0x10], 0x01);
}

TEST(SmbusHostBlock, WriteOfCountOneSendsOnlyEntryZero) {
    Fixture f;
    script_block_read_of_two(f.io, 0x11, 0x22);
    f.io.script(S, {0x82, 0x82, 0x82, 0x82});

    ASSERT_EQ(f.host.block_write(0x10, 0x0B, 1), 1);
    EXPECT_EQ(f.shadow[0x10], 0x0B);  // patched in the shadow, but not sent
    std::vector<Access> sent;
    for (const Access& a : f.io.log()) {
        if (a.kind == Access::Out8 && a.port == B) {
            sent.push_back(a);
        }
    }
    EXPECT_EQ(sent, std::vector<Access>{out8(B, 0x11)});
}

TEST(SmbusHostBlock, WriteThatFailsAfterTheReadKeepsThePatch) {
    Fixture f;
    script_block_read_of_two(f.io, 0x11, 0x22);
    f.io.script(S, {0x88, 0x88});  // bus error at the first byte of the write
    f.io.set_default(S, 0x08);

    EXPECT_EQ(f.host.block_write(0x01, 0x5A, 2), 0);
    EXPECT_EQ(f.shadow[1], 0x5A);
}

TEST(SmbusHostBlock, WriteWhoseReadFailsSendsNothingAndPatchesNothing) {
    Fixture f;
    f.io.set_default(S, 0x01);  // stuck busy

    EXPECT_EQ(f.host.block_write(0x01, 0x5A, 2), 0);
    EXPECT_EQ(f.shadow[1], 0x00);
    for (const Access& a : f.io.log()) {
        EXPECT_NE(a, out8(A, 0xD2));
    }
}

TEST(SmbusHostBlock, ReadOfCountZeroGoesStraightToCompletion) {
    Fixture f;
    f.shadow.bytes[0] = 0x66;
    f.io.script(S, {0x82, 0x82, 0x82, 0x82});
    f.io.script(D0, {0x00});
    std::uint8_t count = 0xEE;

    ASSERT_EQ(f.host.block_read(count), 1);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(f.shadow[0], 0x66);
    EXPECT_EQ(f.io.count_reads_of(B), 0u);
}

TEST(SmbusHostBlock, CountAboveTheRegisterFileIsReadWholeAndClipped) {
    Fixture f;
    constexpr unsigned kAnnounced = 40;
    f.io.script(S, {0x80, 0x80});
    f.io.script(D0, {kAnnounced});
    f.io.script_repeated(S, 0x80, 2 * kAnnounced);
    f.io.script(S, {0x02, 0x02});
    for (unsigned i = 0; i < kAnnounced; ++i) {
        f.io.script(B, {0xA0 + i});
    }
    std::uint8_t count = 0;

    ASSERT_EQ(f.host.block_read(count), 1);
    EXPECT_EQ(count, kAnnounced);
    EXPECT_EQ(f.io.count_reads_of(B), kAnnounced);
    unsigned acknowledged = 0;
    for (const Access& a : f.io.log()) {
        acknowledged += a == out8(S, 0x80) ? 1u : 0u;
    }
    EXPECT_EQ(acknowledged, kAnnounced);
    for (unsigned i = 0; i < kClockChipRegisterCount; ++i) {
        EXPECT_EQ(f.shadow[i], 0xA0 + i);
    }
}

TEST(SmbusHostAddress, ReadBitFollowsTheDirection) {
    struct Row {
        std::uint8_t device;
        std::uint8_t read_form;
        std::uint8_t write_form;
    };
    for (const Row& row : {Row{0xD2, 0xD3, 0xD2}, Row{0xD3, 0xD3, 0xD2}, Row{0x68, 0x69, 0x68}}) {
        Fixture f;
        f.device.value = row.device;
        f.io.set_default(S, 0x02);
        std::uint8_t value = 0;
        ASSERT_EQ(f.host.read_register(0x00, value), 1);
        ASSERT_EQ(f.host.write_register(0x00, 0x00), 1);
        std::vector<std::uint32_t> addresses;
        for (const Access& a : f.io.log()) {
            if (a.kind == Access::Out8 && a.port == A) {
                addresses.push_back(a.value);
            }
        }
        EXPECT_EQ(addresses, (std::vector<std::uint32_t>{row.read_form, row.write_form}));
    }
}

TEST(SmbusHostBounds, RegistersBeyondTheChipAreRefusedWithoutTraffic) {
    Fixture f;
    std::uint8_t value = 0;
    EXPECT_EQ(f.host.read_register(36, value), 0);
    EXPECT_EQ(f.host.write_register(0xFF, 1), 0);
    EXPECT_EQ(f.host.block_write(36, 1, 17), 0);
    EXPECT_EQ(f.host.block_write(0x10, 1, 37), 0);
    EXPECT_TRUE(f.io.log().empty());
}

TEST(SmbusHostBase, TransfersUseTheDiscoveredBase) {
    Fixture f;
    f.controller.io_base = 0x0500;
    f.io.set_default(0x0500, 0x02);
    f.io.set_default(0x0502, 0x00);
    ASSERT_EQ(f.host.write_register(0x00, 0x02), 1);
    for (const Access& a : f.io.log()) {
        if (a.kind != Access::Sleep) {
            EXPECT_GE(a.port, 0x0500);
            EXPECT_LE(a.port, 0x0507);
        }
    }
}

// A wait that times out leaves the transaction on the controller: it is killed (kill bit set,
// held 1 ms, cleared) just before the clean-up. Nothing else is ever killed.
enum class Transfer { Read, Write, BlockRead, BlockWrite };

struct KillRow {
    const char* label;
    Transfer transfer;
    void (*script)(RecordingPortIo&);
    bool killed;
};

int run_transfer(Fixture& f, Transfer transfer) {
    std::uint8_t out = 0;
    switch (transfer) {
        case Transfer::Read:
            return f.host.read_register(0x11, out);
        case Transfer::Write:
            return f.host.write_register(0x21, 0x10);
        case Transfer::BlockRead:
            return f.host.block_read(out);
        case Transfer::BlockWrite:
            return f.host.block_write(0x01, 0x5A, 2);
    }
    return -1;
}

class KillOnTimeout : public ::testing::TestWithParam<KillRow> {};

TEST_P(KillOnTimeout, OnlyATimedOutWaitKillsTheTransaction) {
    const KillRow& row = GetParam();
    Fixture f;
    row.script(f.io);

    const int result = run_transfer(f, row.transfer);

    const std::vector<Access> kill = {out8(C, 0x02), sleep_ms(1), out8(C, 0x00)};
    const std::vector<Access> clean_up = {in8(C, 0x00), out8(S, 0xFF)};
    const auto& log = f.io.log();
    unsigned kill_writes = 0;
    unsigned holds = 0;
    for (const Access& a : log) {
        kill_writes += a == out8(C, 0x02) ? 1u : 0u;
        holds += a == sleep_ms(1) ? 1u : 0u;
    }
    EXPECT_EQ(kill_writes, row.killed ? 1u : 0u);
    EXPECT_EQ(holds, row.killed ? 1u : 0u);
    if (row.killed) {
        EXPECT_EQ(result, 0);
        ASSERT_GE(log.size(), 5u);
        std::vector<Access> ending(log.end() - 5, log.end());
        std::vector<Access> expected = kill;
        expected.insert(expected.end(), clean_up.begin(), clean_up.end());
        EXPECT_EQ(ending, expected);  // killed, then cleaned up, then nothing
    }
}

INSTANTIATE_TEST_SUITE_P(
    Waits, KillOnTimeout,
    ::testing::Values(KillRow{"ReadNeverCompletes", Transfer::Read,
                              [](RecordingPortIo& io) { io.set_default(S, 0x01); }, true},
                      // A device error without completion runs the wait out like any other timeout.
                      KillRow{"DeviceErrorWithoutCompletion", Transfer::Write,
                              [](RecordingPortIo& io) { io.set_default(S, 0x04); }, true},
                      KillRow{"BlockReadFirstByteNeverDone", Transfer::BlockRead,
                              [](RecordingPortIo& io) { io.set_default(S, 0x01); }, true},
                      KillRow{"BlockWriteSecondByteNeverDone", Transfer::BlockWrite,
                              [](RecordingPortIo& io) {
                                  script_block_read_of_two(io, 0x11, 0x22);
                                  io.script(S, {0x80, 0x80});
                                  io.set_default(S, 0x01);
                              },
                              true},
                      KillRow{"DeviceErrorWithCompletion", Transfer::Read,
                              [](RecordingPortIo& io) { io.set_default(S, 0x06); }, false},
                      KillRow{"BusErrorAtTheByteWait", Transfer::BlockRead,
                              [](RecordingPortIo& io) { io.set_default(S, 0x88); }, false},
                      KillRow{"Success", Transfer::Write,
                              [](RecordingPortIo& io) { io.set_default(S, 0x02); }, false}),
    test::ByLabel());

// After the byte wait of its last byte a block write clears byte done once more, then waits
// for completion: the hubs complete only after that clear.
struct LastByteRow {
    const char* label;
    std::uint8_t reg;
    std::uint8_t count;
    std::vector<Access> write;  // the write's own accesses, after its inner block read
};

class BlockWriteEnd : public ::testing::TestWithParam<LastByteRow> {};

TEST_P(BlockWriteEnd, ClearsByteDoneOfTheLastByteBeforeTheCompletionWait) {
    const LastByteRow& row = GetParam();
    Fixture f;
    script_block_read_of_two(f.io, 0x11, 0x22);
    // Every wait of the write sees its condition at once.
    f.io.set_default(S, 0x82);

    ASSERT_EQ(f.host.block_write(row.reg, 0x5A, row.count), 1);
    const auto& log = f.io.log();
    ASSERT_GE(log.size(), row.write.size());
    const std::vector<Access> tail(log.end() - static_cast<std::ptrdiff_t>(row.write.size()),
                                   log.end());
    EXPECT_EQ(tail, row.write);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, BlockWriteEnd,
    ::testing::Values(
        // Count 1: the first byte wait is the last byte's.
        LastByteRow{"OneByte",
                    0x01,
                    1,
                    {out8(S, 0xFF), in8(C, 0x00), out8(CMD, 0x00), out8(A, 0xD2), out8(D0, 0x01),
                     out8(D1, 0x00), out8(B, 0x11), out8(C, 0x54), in8(S, 0x82), in8(S, 0x82),
                     out8(S, 0x80), in8(S, 0x82), in8(S, 0x82), in8(C, 0x00), out8(S, 0xFF),
                     sleep_ms(300)}},
        // Two bytes read back and the patch as the third.
        LastByteRow{"ThreeBytes",
                    0x02,
                    3,
                    {out8(S, 0xFF),  in8(C, 0x00),  out8(CMD, 0x00), out8(A, 0xD2), out8(D0, 0x03),
                     out8(D1, 0x00), out8(B, 0x11), out8(C, 0x54),   in8(S, 0x82),  in8(S, 0x82),
                     out8(B, 0x22),  out8(S, 0x80), in8(S, 0x82),    in8(S, 0x82),  out8(B, 0x5A),
                     out8(S, 0x80),  in8(S, 0x82),  in8(S, 0x82),    out8(S, 0x80), in8(S, 0x82),
                     in8(S, 0x82),   in8(C, 0x00),  out8(S, 0xFF),   sleep_ms(300)}}),
    test::ByLabel());

// A block write sends only bytes its own block read delivered, or the patched register: a chip
// that announces fewer would have the rest written from a mirror never read in this run.
struct CoverRow {
    const char* label;
    std::vector<std::uint32_t> delivered;  // the bytes the block read gets
    std::uint8_t reg;
    std::uint8_t count;
    std::vector<std::uint8_t> sent;  // empty: refused after the read, nothing sent
};

class BlockWriteCover : public ::testing::TestWithParam<CoverRow> {};

TEST_P(BlockWriteCover, SendsOnlyWhatItsReadDelivered) {
    const CoverRow& row = GetParam();
    Fixture f;
    f.shadow.bytes.fill(0xEE);  // what an earlier run would have left
    f.io.set_default(S, 0x82);  // every wait sees its condition at once
    f.io.script(D0, {static_cast<std::uint32_t>(row.delivered.size())});
    for (const std::uint32_t byte : row.delivered) {
        f.io.script(B, {byte});
    }

    EXPECT_EQ(f.host.block_write(row.reg, 0x5A, row.count), row.sent.empty() ? 0 : 1);

    std::vector<std::uint8_t> sent;
    bool addressed_for_write = false;
    for (const Access& a : f.io.log()) {
        addressed_for_write = addressed_for_write || a == out8(A, 0xD2);
        if (a.kind == Access::Out8 && a.port == B) {
            sent.push_back(static_cast<std::uint8_t>(a.value));
        }
    }
    EXPECT_EQ(sent, row.sent);
    EXPECT_EQ(addressed_for_write, !row.sent.empty());
    const std::uint32_t read_back = row.reg < row.delivered.size() ? row.delivered[row.reg] : 0xEE;
    EXPECT_EQ(f.shadow[row.reg], row.sent.empty() ? read_back : 0x5A);
    // Every transfer ends with its clean-up, then its pause; a refused write ends with its read's
    // and adds no pause of its own.
    const std::vector<Access>& log = f.io.log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], out8(S, 0xFF));
    EXPECT_EQ(log.back(), sleep_ms(300));
    EXPECT_EQ(std::count(log.begin(), log.end(), sleep_ms(300)), row.sent.empty() ? 1 : 2);
}

INSTANTIATE_TEST_SUITE_P(
    Reads, BlockWriteCover,
    ::testing::Values(CoverRow{"AllDelivered", {0x11, 0x22, 0x33}, 0x01, 3, {0x11, 0x5A, 0x33}},
                      CoverRow{
                          "PatchIsTheOneMissingByte", {0x11, 0x22}, 0x02, 3, {0x11, 0x22, 0x5A}},
                      CoverRow{"OneByteNeverRead", {0x11, 0x22}, 0x01, 3, {}},
                      CoverRow{"NothingDelivered", {}, 0x10, 17, {}},
                      CoverRow{"PatchBeyondAGap", {0x11}, 0x02, 3, {}},
                      CoverRow{"FewerSentThanRead", {0x11, 0x22}, 0x10, 1, {0x11}}),
    test::ByLabel());

}  // namespace
}  // namespace vantrel
