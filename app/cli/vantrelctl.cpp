#include "app/cli/vantrelctl.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

#include "app/cli/boot_guard.h"
#include "app/cli/ctl_command.h"
#include "app/cli/diagnose.h"
#include "app/cli/dialog_session.h"
#include "bus/register_dump.h"
#include "clockgen/frequency_model.h"
#include "clockgen/registers.h"
#include "platform/linux/reg_file_registry.h"
#include "res/dialog_templates.h"
#include "res/version_info.h"
#include "sim/board_options.h"
#include "sim/linux/sim_machine.h"

namespace vantrel::cli {

namespace {

constexpr std::string_view kProgram = "vantrelctl: ";

// The lists of the dialog, in the order of SetChoices and of a saved selection.
constexpr int kLists[] = {IDC_DELAY_CPU,  IDC_DELAY_PCI,    IDC_DELAY_SDRAM,
                          IDC_DELAY_3V66, IDC_SPREAD_DEPTH, IDC_SPREAD_MODEL};
// The registers an apply writes.
constexpr std::uint8_t kAppliedRegisters[] = {REG00, REG11, REG12, REG13, REG21, REG22};
// A running clock is taken as meant when the CPU speed is within this of what the CPU speed
// before and the clocks before and after predict: the speed is measured in whole MHz.
constexpr double kSpeedToleranceMhz = 2.0;
constexpr double kSpeedToleranceShare = 0.01;

template <class... Values>
std::string format(const char* pattern, Values... values) {
    char text[256];
    std::snprintf(text, sizeof text, pattern, values...);
    return text;
}

std::string_view delay_name(std::uint8_t code) {
    return code < std::size(res::kGroupDelayItems) ? res::kGroupDelayItems[code] : "?";
}

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
}

// Lines said as one message: `first`, when there is one, then each note.
std::string joined(const std::string& first, const std::vector<std::string>& notes) {
    std::string text = first;
    for (const std::string& note : notes) {
        text += (text.empty() ? "" : "\n") + note;
    }
    return text;
}

bool is_yes(const std::optional<std::string>& answer) {
    if (!answer) {
        return false;
    }
    std::string text = lower(*answer);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\t')) {
        text.pop_back();
    }
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.erase(0, 1);
    }
    return text == "y" || text == "yes";
}

std::string show_text(DialogSession& session) {
    const ClockState& clock = session.clock();
    std::string out;
    out +=
        format("SMBus controller  : Intel %s\n", chipset_display_name(session.controller().kind));
    out += format("SMBus I/O base    : 0x%04X\n", session.controller().io_base);
    out += "SMBus path        : " + session.bus_path() + "\n";
    out += format("Clock generator   : VXC812-07 at SMBus address 0x%02X\n",
                  session.device_address().value);
    out += format("CPU divider       : %u\n", clock.cpu_divider);
    out += format("SDRAM divider     : %u\n", clock.sdram_divider);
    out += format("PLL N, M          : %u, %u\n", clock.pll_n, clock.pll_m);
    out += format("VCO               : %8.3f MHz\n", double{clock.vco_mhz});
    out += format("CPU external      : %8.3f MHz\n", double{clock.cpu_ext_mhz});
    out += format("PCI               : %8.3f MHz\n", double{clock.pci_mhz});
    out += format("SDRAM             : %8.3f MHz\n", double{sdram_mhz(clock)});
    out += format("3V66              : %8.3f MHz\n", double{mhz_3v66(clock)});
    if (clock.cpu_speed_mhz == 0.0f) {
        out += "CPU speed         : not measured (not a genuine Intel processor, or no timer)\n";
    } else {
        out += format("CPU speed         : %8.3f MHz\n", double{clock.cpu_speed_mhz});
    }
    out += "Group delay       : CPU " + std::string(delay_name(clock.delay_cpu)) + ", PCI " +
           std::string(delay_name(clock.delay_pci)) + ", SDRAM " +
           std::string(delay_name(clock.delay_sdram)) + ", 3V66 " +
           std::string(delay_name(clock.delay_3v66)) + "\n";
    out += format("Spread spectrum   : %s, depth %u, model %u\n",
                  (session.shadow()[REG00] & kReg00SpreadEnable) != 0 ? "on" : "off",
                  clock.spread_depth, clock.spread_model);
    return out;
}

// The same facts for scripts: keys and their order stay as they are.
std::string show_json(DialogSession& session) {
    const ClockState& clock = session.clock();
    const auto delay = [](std::uint8_t code) {
        // Appended, not prepended: GCC 12 at -O3 warns falsely of overlapping copies otherwise.
        std::string quoted(1, '"');
        quoted += lower(delay_name(code));
        quoted += '"';
        return quoted;
    };
    std::string out = "{\n";
    out += format("  \"controller\": {\"hub\": \"%s\", \"io_base\": %u},\n",
                  chipset_display_name(session.controller().kind),
                  unsigned{session.controller().io_base});
    out += format("  \"chip\": {\"name\": \"VXC812-07\", \"address\": %u},\n",
                  unsigned{session.device_address().value});
    out += format("  \"dividers\": {\"cpu\": %u, \"sdram\": %u},\n", clock.cpu_divider,
                  clock.sdram_divider);
    out += format("  \"pll\": {\"n\": %u, \"m\": %u},\n", clock.pll_n, clock.pll_m);
    out += format(
        "  \"clocks_mhz\": {\"vco\": %.3f, \"cpu_ext\": %.3f, \"pci\": %.3f, \"sdram\": %.3f, "
        "\"3v66\": %.3f},\n",
        double{clock.vco_mhz}, double{clock.cpu_ext_mhz}, double{clock.pci_mhz},
        double{sdram_mhz(clock)}, double{mhz_3v66(clock)});
    out += clock.cpu_speed_mhz == 0.0f
               ? std::string("  \"cpu_speed_mhz\": null,\n")
               : format("  \"cpu_speed_mhz\": %.3f,\n", double{clock.cpu_speed_mhz});
    out += "  \"delays\": {\"cpu\": " + delay(clock.delay_cpu) +
           ", \"pci\": " + delay(clock.delay_pci) + ", \"sdram\": " + delay(clock.delay_sdram) +
           ", \"3v66\": " + delay(clock.delay_3v66) + "},\n";
    out += format("  \"spread\": {\"enabled\": %s, \"depth\": %u, \"model\": %u},\n",
                  (session.shadow()[REG00] & kReg00SpreadEnable) != 0 ? "true" : "false",
                  clock.spread_depth, clock.spread_model);
    // Added last, so that the keys before it keep their places.
    out += "  \"bus\": \"" + session.bus_path() + "\"\n";
    out += "}\n";
    return out;
}

// What the dialog and the chip held before a change, to put back when it is not kept.
struct Previous {
    int selections[std::size(kLists)];
    int check;
    std::uint8_t pll_n;
    std::uint8_t pll_m;
    float vco_mhz;
    float cpu_ext_mhz;
    float pci_mhz;
    float cpu_speed_mhz;
    std::uint8_t registers[std::size(kAppliedRegisters)];
};

Previous remember(DialogSession& session) {
    Previous p{};
    for (std::size_t i = 0; i < std::size(kLists); ++i) {
        p.selections[i] = session.controls().selection(kLists[i]);
    }
    p.check = session.controls().check_state(IDC_SPREAD_ENABLE);
    const ClockState& clock = session.clock();
    p.pll_n = clock.pll_n;
    p.pll_m = clock.pll_m;
    p.vco_mhz = clock.vco_mhz;
    p.cpu_ext_mhz = clock.cpu_ext_mhz;
    p.pci_mhz = clock.pci_mhz;
    p.cpu_speed_mhz = clock.cpu_speed_mhz;
    for (std::size_t i = 0; i < std::size(kAppliedRegisters); ++i) {
        p.registers[i] = session.shadow()[kAppliedRegisters[i]];
    }
    return p;
}

bool registers_changed(DialogSession& session, const Previous& before) {
    for (std::size_t i = 0; i < std::size(kAppliedRegisters); ++i) {
        if (session.shadow()[kAppliedRegisters[i]] != before.registers[i]) {
            return true;
        }
    }
    return false;
}

// The clocks on the way from `from` to `to`, at most `step` apart, without `to` itself.
std::vector<int> steps_between(int from, int to, int step) {
    std::vector<int> steps;
    const int direction = to > from ? 1 : -1;
    for (int at = from + direction * step; (to - at) * direction > 0; at += direction * step) {
        steps.push_back(at);
    }
    return steps;
}

// A checked box as a user makes it: it toggles on the click, which the dialog then hears.
void set_spread_box(DialogSession& session, int state) {
    if (session.controls().check_state(IDC_SPREAD_ENABLE) != state) {
        session.controls().set_check_state(IDC_SPREAD_ENABLE, state);
        session.click(IDC_SPREAD_ENABLE);
    }
}

class CtlRun {
  public:
    CtlRun(const CtlCommand& command, const CtlEnvironment& env)
        : command_(command), env_(env), console_(env.console) {}

    int execute();

  private:
    void say(const std::string& text) { console_.err(std::string(kProgram) + text + "\n"); }
    int on_machine(Machine& machine, ProgramRecords& records, bool this_machine);
    bool ask_before_writing();
    int command(DialogSession& session);
    int dump(DialogSession& session);
    int save(DialogSession& session);
    int change(DialogSession& session);
    bool go_to(DialogSession& session, std::optional<int> target, bool load_at_end);
    bool put_back(DialogSession& session, const Previous& before);
    bool verify(DialogSession& session, const Previous& before);
    bool confirmed();

    const CtlCommand& command_;
    const CtlEnvironment& env_;
    Console& console_;
    std::optional<BootGuard> guard_;
};

int CtlRun::execute() {
    if (command_.at_boot) {
        guard_.emplace(command_.state_dir.empty() ? kDefaultStateDir : command_.state_dir);
        std::string content;
        if (guard_->present(content)) {
            say("not loading the saved settings: the boot guard " + guard_->path() +
                " is still there.\n" + content +
                "The machine hung or was reset during the last boot-time load, or that load "
                "failed, so the chip is left alone. Once the saved settings are right, run "
                "'vantrelctl clear-guard'.");
            return kExitRefused;
        }
    }

    ProgramRecords records;
    std::string error;
    if (!command_.simulate) {
        std::unique_ptr<Machine> machine =
            env_.make_machine(command_.bus, records.machine_records(), error);
        if (!machine) {
            say(error);
            return kExitRefused;
        }
        if (!machine->refusal().empty()) {
            say(joined(machine->refusal(), machine->notes()));
            return kExitRefused;
        }
        if (!machine->notes().empty()) {
            say(joined({}, machine->notes()));
        }
        return on_machine(*machine, records, true);
    }

    std::unique_ptr<sim::SimulatedMachine> machine = sim::make_simulated_machine(
        command_.board, command_.bus, env_.real_sleeper, records.machine_records(), error);
    if (!machine) {
        say(error);
        return kExitUsage;
    }
    for (const std::string& note : machine->notes()) {
        say("note: " + note);
    }
    int status = kExitRefused;
    if (machine->refusal().empty()) {
        status = on_machine(*machine, records, false);
    } else {
        say(machine->refusal());
    }
    if (env_.board_done) {
        env_.board_done(machine->board());
    }
    return status;
}

bool CtlRun::ask_before_writing() {
    if (command_.yes) {
        return true;
    }
    if (!env_.terminal.interactive()) {
        say("refusing to write to the clock chip of this machine without asking, and there is "
            "no terminal to ask on; give -y to go ahead");
        return false;
    }
    const bool changes_clock =
        command_.command == Command::Set || command_.command == Command::Load;
    console_.err(changes_clock
                     ? "vantrelctl: this changes the clock of the running machine; continue? "
                       "[y/N] "
                     : "vantrelctl: finding the clock chip writes to it; continue? [y/N] ");
    if (!is_yes(env_.terminal.read_line(std::nullopt))) {
        say("nothing done");
        return false;
    }
    return true;
}

int CtlRun::on_machine(Machine& machine, ProgramRecords& records, bool this_machine) {
    if (this_machine && !ask_before_writing()) {
        return kExitRefused;
    }
    std::string error;
    if (guard_ && !guard_->arm(error)) {
        say(error + "; not loading without a boot guard");
        return kExitRefused;
    }
    // Opened only now: on this machine root has been given up by here, so a settings directory
    // made on the way belongs to the user.
    std::optional<platform::RegFileRegistry> registry;
    SettingsKey& key = records.settings_key;
    if (command_.command == Command::Save || command_.command == Command::Load) {
        registry.emplace(command_.settings_path.empty() ? env_.default_settings_path()
                                                        : command_.settings_path);
        key.key = registry->create_or_open(kSettingsKeyPath);
        if (key.key == nullptr) {
            const std::string& problem = registry->problem();
            say("no settings file" + (problem.empty() ? "" : ": " + problem) +
                (registry->path().empty() ? " (there is no home directory to keep it in)"
                                          : " (" + registry->path() + ")"));
        }
    }
    DialogSession session(machine, records, console_);
    const int status = command(session);
    if (guard_) {
        const std::string reason = session.shown().empty()
                                       ? "it ended with status " + std::to_string(status)
                                       : session.shown().back();
        const bool cleared =
            status == kExitOk ? guard_->clear(error) : guard_->mark_failed(reason, error);
        if (!cleared) {
            say(error);
            return status == kExitOk ? kExitFailed : status;
        }
    }
    return status;
}

int CtlRun::command(DialogSession& session) {
    if (!session.open()) {
        return kExitFailed;
    }
    switch (command_.command) {
        case Command::Show:
            console_.out(command_.json ? show_json(session) : show_text(session));
            return kExitOk;
        case Command::Dump:
            return dump(session);
        case Command::Save:
            return save(session);
        case Command::Set:
        case Command::Load:
            return change(session);
        case Command::None:
        case Command::ClearGuard:
        case Command::Diagnose:
            break;
    }
    return kExitUsage;
}

int CtlRun::dump(DialogSession& session) {
    std::uint8_t all[kClockChipRegisterCount];
    for (std::size_t i = 0; i < std::size(all); ++i) {
        all[i] = static_cast<std::uint8_t>(i);
    }
    RegisterReadback values;
    const bool ok = session.read_registers(all, values);
    // REG10 was read in enhanced mode; leaving it wrote the value the chip holds now.
    if (ok) {
        values[REG10] = session.shadow()[REG10];
    }
    std::uint8_t bytes[kClockChipRegisterCount] = {};
    bool known[kClockChipRegisterCount] = {};
    for (std::size_t i = 0; i < values.size(); ++i) {
        known[i] = values[i].has_value();
        bytes[i] = values[i].value_or(0);
    }
    console_.out(format_register_dump(bytes, known, kClockChipRegisterCount));
    if (!ok) {
        say("the chip's enhanced mode, in which its registers can be read, could not be entered "
            "or left");
        return kExitFailed;
    }
    return kExitOk;
}

int CtlRun::save(DialogSession& session) {
    if (!session.save_settings()) {
        return kExitFailed;
    }
    say("saved the chip's settings");
    return kExitOk;
}

int CtlRun::change(DialogSession& session) {
    const Previous before = remember(session);
    std::optional<int> target;
    if (command_.command == Command::Set) {
        const SetChoices& choices = command_.choices;
        if (choices.spread) {
            set_spread_box(session, *choices.spread ? kBstChecked : kBstUnchecked);
        }
        const std::optional<unsigned> picks[] = {choices.delay_cpu,   choices.delay_pci,
                                                 choices.delay_sdram, choices.delay_3v66,
                                                 choices.depth,       choices.model};
        for (std::size_t i = 0; i < std::size(kLists); ++i) {
            if (picks[i]) {
                session.controls().select(kLists[i], static_cast<int>(*picks[i]));
            }
        }
        // Only a request the apply will take is stepped to; any other goes to it at once and
        // gets its own message.
        if (choices.cpu_ext) {
            const FrequencyRequest request = read_frequency_request(*choices.cpu_ext);
            if (request.kind == FrequencyRequest::Kind::Number &&
                request.mhz >= session.controls().slider_minimum(IDC_FREQ_SLIDER) &&
                request.mhz <= session.controls().slider_maximum(IDC_FREQ_SLIDER)) {
                target = request.mhz;
            }
        }
    } else if (command_.step_mhz) {
        target = session.load_target();
    }

    if (!go_to(session, target, command_.command == Command::Load)) {
        if (registers_changed(session, before) && command_.confirm_seconds && !confirmed()) {
            put_back(session, before);
        }
        return kExitFailed;
    }
    const bool as_meant = !command_.verify || verify(session, before);
    if (command_.confirm_seconds && registers_changed(session, before) && !confirmed()) {
        if (!put_back(session, before)) {
            return kExitFailed;
        }
        console_.out(show_text(session));
        return kExitNotConfirmed;
    }
    console_.out(show_text(session));
    return as_meant ? kExitOk : kExitVerifyFailed;
}

// Runs the apply once per step toward `target`, then the last one: "Load Settings" when
// `load_at_end`, else "Run Settings" with the frequency box as set asks. Stops at the first
// step that shows a message and says where the chip was left.
bool CtlRun::go_to(DialogSession& session, std::optional<int> target, bool load_at_end) {
    std::vector<int> steps;
    if (target && command_.step_mhz) {
        steps = steps_between(static_cast<int>(session.clock().cpu_ext_mhz), *target,
                              static_cast<int>(*command_.step_mhz));
    }
    const std::size_t count = steps.size() + 1;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        say(format("step %zu of %zu: %d MHz", i + 1, count, steps[i]));
        session.controls().set_text(IDC_FREQ_EDIT, std::to_string(steps[i]));
        if (!session.run_settings()) {
            say(format("stopped at step %zu of %zu: the CPU external clock is %.1f MHz", i + 1,
                       count, double{session.clock().cpu_ext_mhz}));
            return false;
        }
    }
    if (count > 1) {
        say(format("step %zu of %zu: %d MHz", count, count, *target));
    }
    bool done = false;
    if (load_at_end) {
        done = session.load_settings();
    } else {
        session.controls().set_text(IDC_FREQ_EDIT, command_.choices.cpu_ext.value_or(""));
        done = session.run_settings();
    }
    if (!done && count > 1) {
        say(format("stopped at the last step: the CPU external clock is %.1f MHz",
                   double{session.clock().cpu_ext_mhz}));
    }
    return done;
}

bool CtlRun::confirmed() {
    console_.err("Keep these settings? [y/N] ");
    const std::optional<std::string> answer =
        env_.terminal.read_line(*command_.confirm_seconds * 1000u);
    // A terminal echoes the answer with its newline; anything else leaves the line open.
    if (!answer || !env_.terminal.interactive()) {
        console_.err("\n");
    }
    if (!answer) {
        say(format("no answer within %u s, or the input ended", *command_.confirm_seconds));
    }
    return is_yes(answer);
}

// Puts the settings from before the change back through the same apply: the lists and the box
// as they were, then the PLL values themselves, which an empty frequency box commits as they
// stand, so the clock is the one from before and not one solved anew.
bool CtlRun::put_back(DialogSession& session, const Previous& before) {
    say("putting the previous settings back");
    MemoryDialogControls& controls = session.controls();
    set_spread_box(session, before.check);
    for (std::size_t i = 0; i < std::size(kLists); ++i) {
        controls.select(kLists[i], before.selections[i]);
    }
    if (command_.step_mhz) {
        for (const int at : steps_between(static_cast<int>(session.clock().cpu_ext_mhz),
                                          static_cast<int>(before.cpu_ext_mhz),
                                          static_cast<int>(*command_.step_mhz))) {
            say(format("step back: %d MHz", at));
            controls.set_text(IDC_FREQ_EDIT, std::to_string(at));
            if (!session.run_settings()) {
                say(
                    format("could not put the previous settings back: the CPU external clock is "
                           "%.1f MHz",
                           double{session.clock().cpu_ext_mhz}));
                return false;
            }
        }
    }
    ClockState& clock = session.clock();
    clock.pll_n = before.pll_n;
    clock.pll_m = before.pll_m;
    clock.vco_mhz = before.vco_mhz;
    clock.cpu_ext_mhz = before.cpu_ext_mhz;
    clock.pci_mhz = before.pci_mhz;
    controls.set_text(IDC_FREQ_EDIT, "");
    if (!session.run_settings()) {
        say("could not put the previous settings back");
        return false;
    }
    return true;
}

// Reads the chip back and compares it with what the apply meant: the registers it wrote, and
// the clock the chip runs, as the CPU speed shows it.
bool CtlRun::verify(DialogSession& session, const Previous& before) {
    RegisterReadback values;
    const bool read = session.read_registers(kAppliedRegisters, values);
    const ClockState& clock = session.clock();
    const int check = session.controls().check_state(IDC_SPREAD_ENABLE);
    struct Expected {
        std::uint8_t reg;
        std::uint8_t mask;
        std::uint8_t value;
        const char* what;
    };
    const auto field = [](unsigned code, unsigned shift, unsigned mask) {
        return static_cast<std::uint8_t>((code & mask) << shift);
    };
    std::vector<Expected> expected = {
        {REG11, 0xFF, clock.pll_n, "PLL N"},
        {REG12, 0xFF, static_cast<std::uint8_t>(clock.pll_n - clock.spread_depth),
         "PLL N minus the spread depth"},
        {REG13, 0xFF, clock.pll_m, "PLL M"},
        {REG21, 0x3F,
         static_cast<std::uint8_t>(
             field(clock.delay_cpu, kReg21CpuDelayShift, kDelayFieldMask) |
             field(clock.delay_pci, kReg21PciDelayShift, kDelayFieldMask) |
             field(clock.delay_sdram, kReg21SdramDelayShift, kDelayFieldMask)),
         "group delays of CPU, PCI and SDRAM"},
        {REG22, 0xC7,
         static_cast<std::uint8_t>(field(clock.delay_3v66, kReg223v66DelayShift, kDelayFieldMask) |
                                   field(clock.spread_model, 0, kReg22SpreadModelMask)),
         "3V66 group delay and spread model"},
    };
    if (check == kBstChecked || check == kBstUnchecked) {
        expected.push_back({REG00, kReg00SpreadEnable,
                            check == kBstChecked ? kReg00SpreadEnable : std::uint8_t{0},
                            "spread spectrum on or off"});
    }
    bool same = read;
    if (!read) {
        say("verify: the chip's enhanced mode could not be entered or left");
    }
    for (const Expected& e : expected) {
        if (!values[e.reg]) {
            say(format("verify: REG%02X could not be read", e.reg));
            same = false;
        } else if ((*values[e.reg] & e.mask) != e.value) {
            say(
                format("verify: REG%02X holds 0x%02X; the %s should make it 0x%02X under mask "
                       "0x%02X",
                       e.reg, *values[e.reg], e.what, e.value, e.mask));
            same = false;
        }
    }
    if (before.cpu_speed_mhz == 0.0f || clock.cpu_speed_mhz == 0.0f || before.cpu_ext_mhz <= 0.0f) {
        say("verify: the running clock is not checked: the CPU speed cannot be measured here");
    } else {
        const double meant =
            double{before.cpu_speed_mhz} / double{before.cpu_ext_mhz} * double{clock.cpu_ext_mhz};
        const double measured = clock.cpu_speed_mhz;
        if (std::fabs(measured - meant) > kSpeedToleranceMhz + kSpeedToleranceShare * meant) {
            say(
                format("verify: the CPU runs at %.0f MHz, but a CPU external clock of %.1f MHz "
                       "would make it about %.0f MHz: the chip does not run the new clock",
                       measured, double{clock.cpu_ext_mhz}, meant));
            same = false;
        }
    }
    if (same) {
        say("verify: the chip holds and runs what was set");
    }
    return same;
}

int clear_guard(const CtlCommand& command, Console& console) {
    BootGuard guard(command.state_dir.empty() ? kDefaultStateDir : command.state_dir);
    std::string content;
    const bool was_there = guard.present(content);
    std::string error;
    if (!guard.clear(error)) {
        console.err(std::string(kProgram) + error + "\n");
        return kExitFailed;
    }
    console.err(std::string(kProgram) +
                (was_there ? "boot guard " + guard.path() +
                                 " removed: the next boot-time load applies the saved settings"
                           : "no boot guard at " + guard.path()) +
                "\n");
    return kExitOk;
}

}  // namespace

int run_vantrelctl(std::span<const std::string> args, const CtlEnvironment& env) {
    CtlCommand command;
    std::string error;
    if (!parse_ctl_command(args, command, error)) {
        env.console.err(std::string(kProgram) + error + "\nTry 'vantrelctl --help'.\n");
        return kExitUsage;
    }
    if (command.help) {
        env.console.out(ctl_usage());
        return kExitOk;
    }
    if (command.version) {
        env.console.out("vantrelctl " + std::string(res::kVersionString) + "\n");
        return kExitOk;
    }
    if (command.command == Command::ClearGuard) {
        return clear_guard(command, env.console);
    }
    if (command.command == Command::Diagnose) {
        return run_diagnose(command, platform::real_access_probe(), env.default_settings_path(),
                            env.console);
    }
    return CtlRun(command, env).execute();
}

}  // namespace vantrel::cli
