// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <vector>

#include "clockgen/registers.h"
#include "platform/linux/bus_choice.h"
#include "res/resource_ids.h"
#include "sim/linux/sim_i2c_dev.h"
#include "sim/linux/sim_sysfs.h"
#include "support/dialog_harness.h"
#include "support/param_name.h"

namespace vantrel {
namespace {

using test::PrintTo;

using sim::FaultAction;
using sim::TransferKind;
using test::DialogHarness;

enum class BusKind : unsigned char { Ports, Kernel };

// The dialog on the simulated board, over its controller's ports or over the kernel's i2c-dev
// interface in front of the same chip, chosen as the program chooses it.
struct Rig {
    explicit Rig(BusKind kind) : bus(kind) {}

    // The kernel path as the program takes it; built from the harness's own records.
    std::unique_ptr<SmbusBackend> open_kernel_path(DialogHarness& harness) {
        dev.attach(kClockChipAddress, harness.board.chip());
        const auto sysfs = sim::simulated_smbus_sysfs(harness.board.pci().hub_id(),
                                                      harness.board.pci().smbus_base());
        platform::BusChoice choice = platform::choose_bus(
            platform::BusRequest::Kernel, sysfs, dev,
            {harness.board.time(), harness.controller, harness.device_address, harness.shadow});
        EXPECT_EQ(choice.path, platform::BusPath::Kernel) << choice.refusal;
        return std::move(choice.kernel);
    }

    void fail_next(TransferKind kind, std::uint8_t reg, unsigned n, FaultAction action) {
        if (bus == BusKind::Ports) {
            h.fail_next(kind, reg, n, action);
            return;
        }
        sim::Fault fault = sim::Fault::on_register(kind, reg, action);
        fault.occurrence = n;
        dev.inject(fault);
    }
    const std::vector<sim::TransferRecord>& transfers() {
        return bus == BusKind::Ports ? h.board.smbus().transfers() : dev.transfers();
    }

    BusKind bus;
    sim::SimulatedI2cDev dev;
    DialogHarness h{test::CpuSource::Scripted,
                    bus == BusKind::Kernel
                        ? DialogHarness::BusFactory(
                              [this](DialogHarness& harness) { return open_kernel_path(harness); })
                        : DialogHarness::BusFactory()};
};

constexpr int kShownControls[] = {
    IDC_GENERATOR,     IDC_SM_TYPE,       IDC_FREQ_EDIT,    IDC_CPU_SPEED,    IDC_CPU_EXT_FREQ,
    IDC_PCI_FREQ,      IDC_SDRAM_FREQ,    IDC_3V66_FREQ,    IDC_DELAY_CPU,    IDC_DELAY_PCI,
    IDC_DELAY_SDRAM,   IDC_DELAY_3V66,    IDC_SPREAD_DEPTH, IDC_SPREAD_MODEL, IDC_SPREAD_ENABLE,
    IDC_LOAD_SETTINGS, IDC_SAVE_SETTINGS, IDC_RUN_SETTINGS, IDC_FREQ_SLIDER,
};
constexpr int kTextControls[] = {IDC_GENERATOR,    IDC_SM_TYPE,  IDC_FREQ_EDIT,  IDC_CPU_SPEED,
                                 IDC_CPU_EXT_FREQ, IDC_PCI_FREQ, IDC_SDRAM_FREQ, IDC_3V66_FREQ};

using Transfer =
    std::tuple<TransferKind, std::uint8_t, std::uint8_t, std::vector<std::uint8_t>, bool>;

// Everything a user, the chip and the program's records can tell after a scenario.
struct Outcome {
    std::vector<test::ShownMessage> messages;
    std::array<std::uint8_t, sim::kSimChipRegisters> chip{};
    std::uint8_t running_n = 0;
    std::uint8_t running_m = 0;
    unsigned latches = 0;
    bool enhanced = false;
    std::array<std::uint8_t, kClockChipRegisterCount> shadow{};
    std::vector<float> frequencies;
    std::vector<unsigned> clock_fields;
    std::vector<std::string> texts;
    std::vector<bool> enabled;
    int slider = 0;
    ChipsetKind kind = ChipsetKind::None;
    std::vector<Transfer> transfers;
};

Outcome outcome_of(Rig& rig) {
    DialogHarness& h = rig.h;
    Outcome o;
    o.messages = h.messages.shown();
    o.chip = h.board.chip().registers();
    o.running_n = h.board.chip().running_n();
    o.running_m = h.board.chip().running_m();
    o.latches = h.board.chip().latch_count();
    o.enhanced = h.board.chip().enhanced_mode();
    o.shadow = h.shadow.bytes;
    const ClockState& c = h.clock;
    o.frequencies = {c.vco_mhz, c.cpu_ext_mhz, c.pci_mhz, c.cpu_speed_mhz};
    o.clock_fields = {c.cpu_divider, c.sdram_divider, c.delay_cpu,    c.delay_pci, c.delay_sdram,
                      c.delay_3v66,  c.spread_depth,  c.spread_model, c.pll_n,     c.pll_m};
    for (const int id : kTextControls) {
        o.texts.push_back(h.controls.text(id));
    }
    for (const int id : kShownControls) {
        o.enabled.push_back(h.controls.enabled(id));
    }
    o.slider = h.controls.slider_position(IDC_FREQ_SLIDER);
    o.kind = h.controller.kind;
    for (const auto& t : rig.transfers()) {
        o.transfers.emplace_back(t.kind, t.address, t.reg, t.data, t.ok);
    }
    return o;
}

// A fault on the n-th transfer of a kind to a register, counted from its injection.
struct Injected {
    TransferKind kind;
    std::uint8_t reg;
    unsigned nth;
    FaultAction action;
};

// One scenario, run the same way on each bus: a board, faults injected before or after the
// dialog's initialisation, and what the user does.
struct ParityRow {
    const char* label;
    void (*board)(sim::SimBoard&);
    std::vector<Injected> at_init;
    std::vector<Injected> after_init;
    void (*user)(DialogHarness&);
};

void default_board(sim::SimBoard&) {}
void nothing(DialogHarness&) {}

void run_at(DialogHarness& h, const char* text) {
    h.controls.type(IDC_FREQ_EDIT, text);
    h.dialog.run_settings();
}

// The user's full set of changes: a clock, delays, spread on with depth and model.
void change_everything(DialogHarness& h) {
    h.controls.select(IDC_DELAY_CPU, 3);
    h.controls.select(IDC_DELAY_PCI, 2);
    h.controls.select(IDC_DELAY_SDRAM, 0);
    h.controls.select(IDC_DELAY_3V66, 2);
    h.controls.set_check_state(IDC_SPREAD_ENABLE, kBstChecked);
    h.controls.select(IDC_SPREAD_DEPTH, 4);
    h.controls.select(IDC_SPREAD_MODEL, 5);
    run_at(h, "150");
}

void busy_board(sim::SimBoard& board) {
    board.chip().power_up_pll(132, 31, 2);
    board.chip().set_reg(REG21, 0xD5);
    board.chip().set_reg(REG22, 0x79);
    board.chip().set_reg(REG00, 0x02);
}

Outcome run_scenario(const ParityRow& row, BusKind bus) {
    Rig rig(bus);
    row.board(rig.h.board);
    for (const Injected& f : row.at_init) {
        rig.fail_next(f.kind, f.reg, f.nth, f.action);
    }
    rig.h.dialog.on_init_dialog();
    for (const Injected& f : row.after_init) {
        rig.fail_next(f.kind, f.reg, f.nth, f.action);
    }
    row.user(rig.h);
    EXPECT_TRUE(rig.h.board.log().violations().empty());
    return outcome_of(rig);
}

class BackendParity : public ::testing::TestWithParam<ParityRow> {};

TEST_P(BackendParity, SameRegistersMessagesAndRollbackOnBothBuses) {
    const ParityRow& row = GetParam();
    const Outcome ports = run_scenario(row, BusKind::Ports);
    const Outcome kernel = run_scenario(row, BusKind::Kernel);

    EXPECT_EQ(kernel.messages, ports.messages);
    EXPECT_EQ(kernel.chip, ports.chip);
    EXPECT_EQ(kernel.running_n, ports.running_n);
    EXPECT_EQ(kernel.running_m, ports.running_m);
    EXPECT_EQ(kernel.latches, ports.latches);
    EXPECT_EQ(kernel.enhanced, ports.enhanced);
    EXPECT_EQ(kernel.shadow, ports.shadow);
    EXPECT_EQ(kernel.frequencies, ports.frequencies);
    EXPECT_EQ(kernel.clock_fields, ports.clock_fields);
    EXPECT_EQ(kernel.texts, ports.texts);
    EXPECT_EQ(kernel.enabled, ports.enabled);
    EXPECT_EQ(kernel.slider, ports.slider);
    EXPECT_EQ(kernel.kind, ports.kind);
    EXPECT_EQ(kernel.transfers, ports.transfers);
    // Each scenario does something on the bus, so equal traces are not two empty ones.
    EXPECT_FALSE(ports.transfers.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, BackendParity,
    ::testing::Values(ParityRow{"Startup", default_board, {}, {}, nothing},
                      ParityRow{"StartupChipNotFound",
                                [](sim::SimBoard& b) {
                                    b.chip().queue_block_counts({16, 16, 17});
                                },
                                {},
                                {},
                                nothing},
                      // The detection's block write would send registers its read never
                      // delivered.
                      ParityRow{"StartupShortBlockReads",
                                [](sim::SimBoard& b) {
                                    b.chip().queue_block_counts({5, 5});
                                },
                                {},
                                {},
                                nothing},
                      ParityRow{"StartupReadOfReg13Fails",
                                default_board,
                                {{TransferKind::WordRead, REG13, 1, FaultAction::DeviceError}},
                                {},
                                nothing},
                      ParityRow{"StartupEnterTimesOut",
                                default_board,
                                {{TransferKind::BlockWrite, 0x00, 2, FaultAction::Timeout}},
                                {},
                                nothing},
                      ParityRow{"RunEverything", busy_board, {}, {}, change_everything},
                      ParityRow{"RunInvalidFrequencyThenValid",
                                default_board,
                                {},
                                {},
                                [](DialogHarness& h) {
                                    run_at(h, "251");
                                    run_at(h, "100");
                                }},
                      ParityRow{"EnterRefused",
                                busy_board,
                                {},
                                {{TransferKind::BlockWrite, 0x00, 1, FaultAction::BusError}},
                                change_everything},
                      ParityRow{"EnterAfterAShortBlockRead",
                                busy_board,
                                {},
                                {},
                                [](DialogHarness& h) {
                                    h.board.chip().queue_block_counts({5});
                                    change_everything(h);
                                }},
                      ParityRow{"Reg21ReadFails",
                                busy_board,
                                {},
                                {{TransferKind::WordRead, REG21, 1, FaultAction::DeviceError}},
                                change_everything},
                      ParityRow{"CommitReg13Fails",
                                busy_board,
                                {},
                                {{TransferKind::WordWrite, REG13, 1, FaultAction::DeviceError}},
                                change_everything},
                      ParityRow{"LeaveFailsAfterACommit",
                                busy_board,
                                {},
                                {{TransferKind::WordWrite, REG10, 1, FaultAction::DeviceError}},
                                change_everything},
                      ParityRow{"RolledBackThenRetried",
                                busy_board,
                                {},
                                {{TransferKind::WordWrite, REG11, 1, FaultAction::DeviceError}},
                                [](DialogHarness& h) {
                                    change_everything(h);
                                    run_at(h, "");
                                }},
                      ParityRow{"SaveThenLoad",
                                busy_board,
                                {},
                                {},
                                [](DialogHarness& h) {
                                    h.open_key();
                                    h.dialog.save_settings();
                                    change_everything(h);
                                    h.dialog.load_settings();
                                }}),
    test::ByLabel());

// A program that has refused every way to the bus opens the dialog in its "no controller"
// state.
TEST(NoBus, DialogOpensWithoutAController) {
    DialogHarness reference;
    reference.board.pci().set_hub_id(sim::kNoDevice);
    reference.dialog.on_init_dialog();

    DialogHarness h;
    NoSmbusBackend none(h.controller, h.shadow);
    MainDialogEnvironment env = h.env();
    MainDialog dialog({env.controls, env.window, env.messages, env.cpu, none, env.controller,
                       env.clock, env.settings_key});
    dialog.on_init_dialog();

    EXPECT_EQ(h.messages.shown(), reference.messages.shown());
    EXPECT_EQ(h.messages.shown().size(), 1u);
    for (const int id : kShownControls) {
        EXPECT_EQ(h.controls.enabled(id), reference.controls.enabled(id)) << id;
    }
    EXPECT_TRUE(h.board.smbus().transfers().empty());
    EXPECT_EQ(h.controller.kind, ChipsetKind::None);
}

}  // namespace
}  // namespace vantrel
