// SPDX-License-Identifier: GPL-2.0-or-later
// The simulated SMBus host controller held to the ICH datasheets, so that a driver that would
// fail on a real hub fails here too.
#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

#include "bus/smbus_host.h"
#include "clockgen/registers.h"
#include "sim/sim_board.h"
#include "support/param_name.h"
#include "support/sim_bus.h"

namespace vantrel {
namespace {

using sim::Fault;
using sim::FaultAction;
using sim::TransferKind;
using test::HostPorts;
using test::PrintTo;
using test::SimBus;

constexpr std::uint8_t kErrorBits = kSmbStatusDevErr | kSmbStatusBusErr | kSmbStatusFailed;

// ---- A failed transaction: error bit, busy off, never completion ----

struct ErrorRow {
    const char* label;
    bool enhanced;
    void (*start)(SimBus&, HostPorts&);
    std::uint8_t error;  // the status bits the transaction ends with
    bool violation;      // the start itself is misuse
};

class FailedTransaction : public ::testing::TestWithParam<ErrorRow> {};

TEST_P(FailedTransaction, SetsItsErrorBitAloneAndEndsBusy) {
    const ErrorRow& row = GetParam();
    SimBus bus;
    if (row.enhanced) {
        bus.enter_enhanced_mode();
    }
    const auto before = bus.board.chip().registers();
    HostPorts ports(bus.board);
    ports.write(kSmbHostStatus, kSmbStatusClearAll);

    row.start(bus, ports);
    std::uint8_t status = ports.settle();
    for (int i = 0; i < 5; ++i) {
        status = ports.read(kSmbHostStatus);  // nothing comes after the error
    }

    EXPECT_EQ(status, row.error);
    EXPECT_FALSE(ports.completion_seen());
    EXPECT_EQ(bus.board.chip().registers(), before);
    EXPECT_EQ(bus.board.log().violations().empty(), !row.violation);
}

INSTANTIATE_TEST_SUITE_P(
    Causes, FailedTransaction,
    ::testing::Values(
        ErrorRow{"InjectedDeviceError", true,
                 [](SimBus& bus, HostPorts& ports) {
                     bus.board.smbus().inject(
                         Fault::on(TransferKind::WordWrite, FaultAction::DeviceError));
                     ports.start_word(false, REG21, 1, 0x55);
                 },
                 kSmbStatusDevErr, false},
        ErrorRow{"AbsentDevice", true,
                 [](SimBus&, HostPorts& ports) {
                     ports.write(kSmbHostAddress, 0xA1);
                     ports.write(kSmbHostCommand, REG11);
                     ports.write(kSmbHostData0, 1);
                     ports.write(kSmbHostControl, kSmbStartWordData);
                 },
                 kSmbStatusDevErr, false},
        ErrorRow{"OneRegisterReadOutsideEnhancedMode", false,
                 [](SimBus&, HostPorts& ports) { ports.start_word(true, REG11, 1); },
                 kSmbStatusDevErr, false},
        ErrorRow{"RegisterBeyondTheChip", true,
                 [](SimBus&, HostPorts& ports) { ports.start_word(false, 0x40, 1, 0x12); },
                 kSmbStatusDevErr, false},
        ErrorRow{"WordWriteCountingTwoBytes", true,
                 [](SimBus&, HostPorts& ports) { ports.start_word(false, REG11, 2, 0x99); },
                 kSmbStatusDevErr, false},
        // Byte data (command field 2): a command the controller is not built to run here.
        ErrorRow{"UnsupportedCommand", true,
                 [](SimBus&, HostPorts& ports) {
                     ports.write(kSmbHostAddress, kClockChipAddress);
                     ports.write(kSmbHostControl, kSmbControlStart | 0x08);
                 },
                 kSmbStatusDevErr, true}),
    test::ByLabel());

// ---- A hung transaction: busy until killed; kill holds until cleared ----

struct HangRow {
    const char* label;
    std::vector<std::pair<std::uint16_t, std::uint8_t>> writes;  // after the hang
    bool busy;
    bool failed;
    std::uint8_t control;  // as read back
    bool restarts;         // a new start then runs
};

class HungTransaction : public ::testing::TestWithParam<HangRow> {};

TEST_P(HungTransaction, EndsOnlyByKill) {
    const HangRow& row = GetParam();
    SimBus bus;
    bus.enter_enhanced_mode();
    bus.board.smbus().inject(Fault::on(TransferKind::WordRead, FaultAction::Timeout));
    HostPorts ports(bus.board);
    ports.write(kSmbHostStatus, kSmbStatusClearAll);
    ports.start_word(true, REG13, 1);
    ASSERT_NE(ports.settle(200) & kSmbStatusBusy, 0);

    for (const auto& [offset, value] : row.writes) {
        ports.write(offset, value);
    }
    const std::uint8_t status = ports.settle();
    EXPECT_EQ((status & kSmbStatusBusy) != 0, row.busy);
    EXPECT_EQ((status & kSmbStatusFailed) != 0, row.failed);
    EXPECT_EQ(ports.read(kSmbHostControl), row.control);

    // A start the controller cannot take is refused and recorded; one it can take runs.
    const std::size_t started = bus.board.smbus().transfers().size();
    ports.write(kSmbHostStatus, kSmbStatusClearAll);
    ports.write(kSmbHostControl, kSmbStartWordData);
    ports.settle();
    EXPECT_EQ(bus.board.smbus().transfers().size(), started + (row.restarts ? 1 : 0));
    EXPECT_EQ(bus.board.log().violations().empty(), row.restarts);
    if (row.restarts) {
        EXPECT_TRUE(bus.board.smbus().transfers().back().ok);
        EXPECT_EQ(ports.read(kSmbHostData1), bus.board.chip().reg(REG13));
    }
}

INSTANTIATE_TEST_SUITE_P(AfterTheHang, HungTransaction,
                         ::testing::Values(HangRow{"StatusClearLeavesItBusy",
                                                   {{kSmbHostStatus, kSmbStatusClearAll}},
                                                   true,
                                                   false,
                                                   kSmbCommandWordData,
                                                   false},
                                           HangRow{"KillEndsItButHoldsTheController",
                                                   {{kSmbHostControl, kSmbControlKill}},
                                                   false,
                                                   true,
                                                   kSmbControlKill,
                                                   false},
                                           HangRow{"KillThenClearFreesTheController",
                                                   {{kSmbHostControl, kSmbControlKill},
                                                    {kSmbHostControl, 0x00}},
                                                   false,
                                                   true,
                                                   0x00,
                                                   true}),
                         test::ByLabel());

// ---- A block write completes only once byte done of its last byte is cleared ----

struct EndRow {
    const char* label;
    std::uint8_t count;
    bool clear_last;
};

class BlockWriteCompletion : public ::testing::TestWithParam<EndRow> {};

TEST_P(BlockWriteCompletion, WaitsForTheLastByteDoneToBeCleared) {
    const EndRow& row = GetParam();
    SimBus bus;
    HostPorts ports(bus.board);
    std::vector<std::uint8_t> bytes(bus.board.chip().registers().begin(),
                                    bus.board.chip().registers().begin() + row.count);
    ports.write(kSmbHostStatus, kSmbStatusClearAll);

    EXPECT_EQ(ports.block_write(bytes, row.count, row.clear_last), row.count);
    std::uint8_t status = 0;
    for (int i = 0; i < 20; ++i) {
        status = ports.read(kSmbHostStatus);
    }

    EXPECT_EQ((status & kSmbStatusBusy) == 0, row.clear_last);
    EXPECT_EQ(ports.completion_seen(), row.clear_last);
    EXPECT_EQ(status & kErrorBits, 0);
    EXPECT_TRUE(bus.board.log().violations().empty());
}

INSTANTIATE_TEST_SUITE_P(Ends, BlockWriteCompletion,
                         ::testing::Values(EndRow{"OneByteCleared", 1, true},
                                           EndRow{"OneByteLeftSet", 1, false},
                                           EndRow{"SeventeenBytesCleared", 17, true},
                                           EndRow{"SeventeenBytesLeftSet", 17, false}),
                         test::ByLabel());

// ---- A block write stops at the byte refused; the bytes before it are on the chip ----

struct StopRow {
    const char* label;
    std::uint8_t count;
    std::optional<Fault> fault;
    unsigned taken;    // bytes the chip took
    std::uint8_t end;  // status bits the write ends with, busy aside
};

Fault block_write_fault(FaultAction action, unsigned at_byte) {
    Fault fault = Fault::on(TransferKind::BlockWrite, action);
    fault.at_byte = at_byte;
    return fault;
}

class BlockWriteStop : public ::testing::TestWithParam<StopRow> {};

TEST_P(BlockWriteStop, LeavesTheBytesBeforeTheRefusalWritten) {
    const StopRow& row = GetParam();
    SimBus bus;
    if (row.fault) {
        bus.board.smbus().inject(*row.fault);
    }
    const auto before = bus.board.chip().registers();
    // Every byte differs from its register in bit 2, a bit no strap or latch uses.
    std::vector<std::uint8_t> bytes(row.count, 0x04);
    for (std::size_t i = 0; i < row.count && i < before.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(before[i] ^ 0x04);
    }
    HostPorts ports(bus.board);
    ports.write(kSmbHostStatus, kSmbStatusClearAll);

    EXPECT_EQ(ports.block_write(bytes, row.count), row.taken);
    EXPECT_EQ(ports.settle() & ~kSmbStatusBusy & ~kSmbStatusByteDone, row.end);

    for (std::size_t i = 0; i < before.size(); ++i) {
        const bool written = i < row.taken;
        EXPECT_EQ(bus.board.chip().reg(i), written ? bytes[i] : before[i]) << i;
    }
    ASSERT_EQ(bus.board.smbus().transfers().size(), 1u);
    EXPECT_EQ(bus.board.smbus().transfers().back().data.size(), row.taken);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, BlockWriteStop,
    ::testing::Values(
        StopRow{"AllSeventeen", 17, std::nullopt, 17, kSmbStatusIntr},
        StopRow{"DeviceErrorAtByteFive", 17, block_write_fault(FaultAction::DeviceError, 5), 5,
                kSmbStatusDevErr},
        StopRow{"CollisionAtTheFirstByte", 17, block_write_fault(FaultAction::BusError, 0), 0,
                kSmbStatusBusErr},
        StopRow{"TimeoutAtByteSixteen", 17, block_write_fault(FaultAction::Timeout, 16), 16, 0},
        StopRow{"FailedAtByteNine", 17, block_write_fault(FaultAction::Failed, 9), 9,
                kSmbStatusFailed},
        // The chip refuses the first byte past its 36 registers, not the whole write at its end.
        StopRow{"PastTheRegisterFile", 40, std::nullopt, 36, kSmbStatusDevErr},
        StopRow{"CountOfZero", 0, std::nullopt, 0, kSmbStatusDevErr}),
    test::ByLabel());

// ---- Armed faults count the transfers they match each on its own ----

struct FaultPairRow {
    const char* label;
    Fault first;
    Fault second;
    std::vector<int> results;  // of successive REG11 reads
};

Fault nth_read(unsigned n, FaultAction action) {
    Fault fault = Fault::on(TransferKind::WordRead, action);
    fault.occurrence = n;
    return fault;
}

class TwoFaults : public ::testing::TestWithParam<FaultPairRow> {};

TEST_P(TwoFaults, EachCountsTheSameTransfers) {
    const FaultPairRow& row = GetParam();
    SimBus bus;
    bus.enter_enhanced_mode();
    bus.board.smbus().inject(row.first);
    bus.board.smbus().inject(row.second);

    std::vector<int> results;
    for (std::size_t i = 0; i < row.results.size(); ++i) {
        std::uint8_t value = 0;
        results.push_back(bus.host.read_register(REG11, value));
    }
    EXPECT_EQ(results, row.results);
    EXPECT_TRUE(bus.board.log().violations().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, TwoFaults,
    ::testing::Values(
        FaultPairRow{"SecondAndThirdRead",
                     nth_read(2, FaultAction::DeviceError),
                     nth_read(3, FaultAction::BusError),
                     {1, 0, 0, 1}},
        FaultPairRow{"ThirdAndSecondRead",
                     nth_read(3, FaultAction::Timeout),
                     nth_read(2, FaultAction::DeviceError),
                     {1, 0, 0, 1}},
        FaultPairRow{"OrdinalBesideOccurrence",
                     Fault::at_ordinal(1, FaultAction::DeviceError),
                     nth_read(2, FaultAction::DeviceError),
                     {0, 0, 1, 1}},
        // Both fire on the second read; the first injected acts and neither fires again.
        FaultPairRow{"BothOnTheSameRead",
                     nth_read(2, FaultAction::DeviceError),
                     nth_read(2, FaultAction::Timeout),
                     {1, 0, 1, 1}}),
    test::ByLabel());

// ---- A chip that acknowledges a write without storing it ----

enum class Write { Word, Block };

struct DropRow {
    const char* label;
    Write write;
    TransferKind dropped;
    bool stored;
};

class DroppedWrite : public ::testing::TestWithParam<DropRow> {};

TEST_P(DroppedWrite, IsAcknowledgedButNotStored) {
    const DropRow& row = GetParam();
    SimBus bus;
    bus.enter_enhanced_mode();
    bus.board.smbus().inject(Fault::on(row.dropped, FaultAction::DropWrite));
    const std::uint8_t reg = row.write == Write::Word ? REG21 : REG00;
    const std::uint8_t before = bus.board.chip().reg(reg);
    const auto value = static_cast<std::uint8_t>(before ^ 0x15);

    const int result = row.write == Write::Word ? bus.host.write_register(reg, value)
                                                : bus.host.block_write(reg, value, 17);

    EXPECT_EQ(result, 1);
    EXPECT_EQ(bus.shadow[reg], value);  // the driver cannot tell
    EXPECT_EQ(bus.board.chip().reg(reg), row.stored ? value : before);
    EXPECT_TRUE(bus.board.smbus().transfers().back().ok);
    // Only the one write is dropped: the same write again is stored.
    ASSERT_EQ(row.write == Write::Word ? bus.host.write_register(reg, value)
                                       : bus.host.block_write(reg, value, 17),
              1);
    EXPECT_EQ(bus.board.chip().reg(reg), value);
}

INSTANTIATE_TEST_SUITE_P(
    Writes, DroppedWrite,
    ::testing::Values(DropRow{"WordWrite", Write::Word, TransferKind::WordWrite, false},
                      DropRow{"BlockWrite", Write::Block, TransferKind::BlockWrite, false},
                      // Armed for the block write's own read, the fault has nothing to drop.
                      DropRow{"ArmedForTheInnerRead", Write::Block, TransferKind::BlockRead, true}),
    test::ByLabel());

}  // namespace
}  // namespace vantrel
