#include "sim/board_options.h"

#include <array>
#include <cstddef>

#include "bus/ascii_text.h"
#include "bus/pci_config.h"
#include "bus/register_dump.h"
#include "clockgen/registers.h"
#include "res/dialog_templates.h"

namespace vantrel::sim {

namespace {

constexpr unsigned kMaxByte = 0xFF;
constexpr unsigned kMaxSpreadModel = 7;
// The multiplier is read in thousandths; a core clock is 1 to 64 times the external clock.
constexpr unsigned kMultiplierScale = 1000;
constexpr unsigned kMinMultiplier = 1 * kMultiplierScale;
constexpr unsigned kMaxMultiplier = 64 * kMultiplierScale;
// A block transfer of the controller carries at most 32 data bytes.
constexpr unsigned kMaxFaultByte = 32;
constexpr unsigned kMaxCount = 1000000;

// Hexadecimal digits with an optional 0x, at most `max`.
bool parse_hex(std::string_view text, unsigned long long max, unsigned long long& value) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return false;
    }
    unsigned long long result = 0;
    for (const char c : text) {
        const int digit = ascii::hex_digit(c);
        if (digit < 0) {
            return false;
        }
        result = result * 16 + static_cast<unsigned>(digit);
        if (result > max) {
            return false;
        }
    }
    value = result;
    return true;
}

// A decimal such as 7.5, in thousandths, within [min, max].
bool parse_thousandths(std::string_view text, unsigned min, unsigned max, unsigned& value) {
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    unsigned units = 0;
    unsigned thousandths = 0;
    if (!ascii::parse_decimal(whole, max / kMultiplierScale, units)) {
        return false;
    }
    if (point != std::string_view::npos) {
        if (fraction.empty() || fraction.size() > 3 ||
            !ascii::parse_decimal(fraction, 999, thousandths)) {
            return false;
        }
        for (std::size_t i = fraction.size(); i < 3; ++i) {
            thousandths *= 10;
        }
    }
    const unsigned result = units * kMultiplierScale + thousandths;
    if (result < min || result > max) {
        return false;
    }
    value = result;
    return true;
}

// Splits `text` at the first `separator`: what comes before it, and the rest after it.
std::string_view take_until(std::string_view& text, char separator) {
    const std::size_t at = text.find(separator);
    const std::string_view head = text.substr(0, at);
    text.remove_prefix(at == std::string_view::npos ? text.size() : at + 1);
    return head;
}

struct Named {
    std::string_view name;
    unsigned value;
};

constexpr Named kHubs[] = {
    {"aa", kIdIch82801AA},
    {"ab", kIdIch82801AB},
    {"ba", kIdIch82801BA},
    {"none", kNoDevice},
};

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
    {"drop-write", static_cast<unsigned>(FaultAction::DropWrite)},
};

template <std::size_t N>
const Named* find_named(const Named (&table)[N], std::string_view name) {
    for (const Named& entry : table) {
        if (ascii::equal_ignoring_case(entry.name, name)) {
            return &entry;
        }
    }
    return nullptr;
}

constexpr std::string_view kOptionNames[] = {
    "hub",        "base",      "dividers",    "n",          "m",      "depth",
    "delay-cpu",  "delay-pci", "delay-sdram", "delay-3v66", "spread", "model",
    "multiplier", "dump",      "fault",       "pauses",
};

// One `fault=` value: an action, then qualifiers separated by colons.
bool parse_fault(std::string_view text, Fault& fault, std::string& reason) {
    std::string_view rest = text;
    const std::string_view action = take_until(rest, ':');
    unsigned number = 0;
    if (action.starts_with("block-count=")) {
        if (!ascii::parse_decimal(action.substr(12), kMaxByte, number)) {
            reason = "block-count= takes a byte count from 0 to 255";
            return false;
        }
        fault.action = FaultAction::BlockCount;
        fault.block_count = static_cast<std::uint8_t>(number);
    } else if (const Named* named = find_named(kFaultActions, action)) {
        fault.action = static_cast<FaultAction>(named->value);
    } else {
        reason =
            "a fault starts with its action: timeout, device-error, bus-error, drop-write or "
            "block-count=N";
        return false;
    }

    if (text.back() == ':') {
        reason = "the fault ends with a colon";
        return false;
    }
    bool has_nth = false;
    bool has_byte = false;
    while (!rest.empty()) {
        const std::string_view field = take_until(rest, ':');
        std::string_view value = field;
        const std::string_view key = take_until(value, '=');
        const bool has_value = field.find('=') != std::string_view::npos;
        unsigned long long reg = 0;
        if (const Named* kind = has_value ? nullptr : find_named(kTransferKinds, field)) {
            if (fault.kind) {
                reason = "more than one transfer kind";
                return false;
            }
            fault.kind = static_cast<TransferKind>(kind->value);
        } else if (key == "reg" && has_value) {
            if (fault.reg || !parse_hex(value, kMaxByte, reg)) {
                reason = "reg= takes one register in hex, e.g. reg=21";
                return false;
            }
            fault.reg = static_cast<std::uint8_t>(reg);
        } else if (key == "nth" && has_value) {
            if (has_nth || !ascii::parse_decimal(value, kMaxCount, number) || number == 0) {
                reason = "nth= counts matching transfers from 1";
                return false;
            }
            has_nth = true;
            fault.occurrence = number;
        } else if (key == "transfer" && has_value) {
            if (fault.ordinal || !ascii::parse_decimal(value, kMaxCount, number) || number == 0) {
                reason = "transfer= counts every transfer from 1";
                return false;
            }
            fault.ordinal = number;
        } else if (key == "byte" && has_value) {
            if (has_byte || !ascii::parse_decimal(value, kMaxFaultByte, number)) {
                reason = "byte= takes a data byte of a block transfer, 0 to 32";
                return false;
            }
            has_byte = true;
            fault.at_byte = number;
        } else {
            reason = "unknown qualifier \"" + std::string(field) +
                     "\" (a transfer kind, reg=, nth=, transfer= or byte=)";
            return false;
        }
    }

    const bool word_kind =
        fault.kind == TransferKind::WordRead || fault.kind == TransferKind::WordWrite;
    if (fault.ordinal && (fault.kind || fault.reg || has_nth)) {
        reason = "transfer= counts every transfer; it takes no kind, reg= or nth=";
    } else if (!fault.ordinal && !fault.kind) {
        reason =
            "say which transfer: a kind (word-read, word-write, block-read, block-write) "
            "or transfer=N";
    } else if (fault.action == FaultAction::BlockCount && fault.kind &&
               fault.kind != TransferKind::BlockRead) {
        reason = "block-count= applies to block reads";
    } else if (fault.action == FaultAction::DropWrite && fault.kind &&
               fault.kind != TransferKind::WordWrite && fault.kind != TransferKind::BlockWrite) {
        reason = "drop-write applies to writes";
    } else if (has_byte && word_kind) {
        reason = "byte= applies to block transfers";
    } else {
        return true;
    }
    return false;
}

}  // namespace

bool parse_group_delay(std::string_view text, unsigned& code) {
    for (std::size_t i = 0; i < std::size(res::kGroupDelayItems); ++i) {
        if (ascii::equal_ignoring_case(text, res::kGroupDelayItems[i])) {
            code = static_cast<unsigned>(i);
            return true;
        }
    }
    return false;
}

bool parse_board_options(std::string_view text, BoardOptions& options, std::string& error) {
    if (!text.empty() && text.back() == ',') {
        error = "\"" + std::string(text) + "\": the list ends with a comma";
        return false;
    }
    BoardOptions parsed;
    std::array<bool, std::size(kOptionNames)> given{};  // each option at most once, but fault
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::string_view item = take_until(rest, ',');
        std::string_view value = item;
        const std::string_view key = take_until(value, '=');
        const auto fail = [&](const std::string& reason) {
            // Appended piece by piece: prepending to a temporary makes GCC 12 at -O3 warn
            // falsely of overlapping copies.
            std::string message(1, '"');
            message += item;
            message += "\": ";
            message += reason;
            error = std::move(message);
            return false;
        };
        if (item.empty()) {
            return fail("empty option (two commas in a row, or one at an end)");
        }
        if (item.find('=') == std::string_view::npos) {
            return fail("an option is NAME=VALUE");
        }
        std::size_t key_index = 0;
        while (key_index < std::size(kOptionNames) && kOptionNames[key_index] != key) {
            ++key_index;
        }
        if (key_index == std::size(kOptionNames)) {
            return fail("unknown option \"" + std::string(key) + "\"");
        }
        if (key != "fault" && given[key_index]) {
            return fail(std::string(key) + " is given twice");
        }
        given[key_index] = true;

        unsigned number = 0;
        unsigned long long id = 0;
        if (key == "hub") {
            if (const Named* hub = find_named(kHubs, value)) {
                parsed.hub_id = hub->value;
            } else if (value.size() == 10 && parse_hex(value, 0xFFFFFFFF, id)) {
                parsed.hub_id = static_cast<std::uint32_t>(id);
            } else {
                return fail("the hub is aa, ab, ba, none or a PCI ID such as 0x71138086");
            }
        } else if (key == "base") {
            if (value == "unprogrammed") {
                // Only the I/O-space bit, as a BIOS that never set the register leaves it.
                parsed.smbus_base_register = 0x0001;
            } else if (value.size() > 2 && value.size() <= 10 && value[0] == '0' &&
                       (value[1] == 'x' || value[1] == 'X') && parse_hex(value, 0xFFFFFFFF, id)) {
                parsed.smbus_base_register = static_cast<std::uint32_t>(id);
            } else {
                return fail(
                    "the base is unprogrammed or what the SMBus base register reads, in hex "
                    "(e.g. base=0xe801)");
            }
        } else if (key == "dividers") {
            std::string_view sdram = value;
            const std::string_view cpu = take_until(sdram, '/');
            unsigned cpu_divider = 0;
            unsigned sdram_divider = 0;
            if (value.find('/') == std::string_view::npos ||
                !ascii::parse_decimal(cpu, 6, cpu_divider) ||
                !ascii::parse_decimal(sdram, 4, sdram_divider) ||
                (cpu_divider != 3 && cpu_divider != 4 && cpu_divider != 6) ||
                (sdram_divider != 3 && sdram_divider != 4)) {
                return fail("the dividers are CPU/SDRAM: 3, 4 or 6, then 3 or 4 (e.g. 4/3)");
            }
            parsed.cpu_divider = cpu_divider;
            parsed.sdram_divider = sdram_divider;
        } else if (key == "n" || key == "m" || key == "depth") {
            if (!ascii::parse_decimal(value, kMaxByte, number)) {
                return fail("a PLL register value from 0 to 255");
            }
            auto& field = key == "n"   ? parsed.pll_n
                          : key == "m" ? parsed.pll_m
                                       : parsed.spread_depth;
            field = static_cast<std::uint8_t>(number);
        } else if (key.starts_with("delay-")) {
            if (!parse_group_delay(value, number)) {
                return fail("a group delay is none, 150ps, 300ps or 450ps");
            }
            auto& field = key == "delay-cpu"     ? parsed.delay_cpu
                          : key == "delay-pci"   ? parsed.delay_pci
                          : key == "delay-sdram" ? parsed.delay_sdram
                                                 : parsed.delay_3v66;
            field = number;
        } else if (key == "spread") {
            if (value != "on" && value != "off") {
                return fail("spread is on or off");
            }
            parsed.spread_on = value == "on";
        } else if (key == "model") {
            if (!ascii::parse_decimal(value, kMaxSpreadModel, number)) {
                return fail("the spread model is 0 to 7");
            }
            parsed.spread_model = number;
        } else if (key == "multiplier") {
            if (!parse_thousandths(value, kMinMultiplier, kMaxMultiplier, number)) {
                return fail("the multiplier is a number from 1 to 64 with up to three decimals");
            }
            parsed.multiplier = static_cast<double>(number) / kMultiplierScale;
        } else if (key == "dump") {
            if (value.empty()) {
                return fail("dump= needs a file name");
            }
            parsed.dump_path = std::string(value);
        } else if (key == "fault") {
            Fault fault;
            std::string reason;
            if (value.empty() || !parse_fault(value, fault, reason)) {
                return fail(reason.empty() ? "fault= needs an action and a transfer" : reason);
            }
            parsed.faults.push_back(fault);
        } else if (key == "pauses") {
            if (value != "real" && value != "instant") {
                return fail("pauses are real or instant");
            }
            parsed.real_pauses = value == "real";
        }
    }
    options = std::move(parsed);
    return true;
}

bool apply_board_options(const BoardOptions& options, const std::string& dump_text, SimBoard& board,
                         std::string& error, std::string& notice) {
    notice.clear();
    SimClockChip& chip = board.chip();
    if (!options.dump_path.empty()) {
        std::array<bool, kSimChipRegisters> given{};
        std::string reason;
        if (!chip.load_dump(dump_text, reason, &given)) {
            error = options.dump_path + ": " + reason;
            return false;
        }
        const std::string missing = describe_missing_registers(given);
        if (!missing.empty()) {
            notice = options.dump_path + " gives no value for registers " + missing +
                     "; the simulated chip keeps its own";
        }
    }

    // What the dump or the power-up left, for the fields an option does not replace.
    const unsigned n = options.pll_n.value_or(chip.reg(REG11));
    const unsigned m = options.pll_m.value_or(chip.reg(REG13));
    const unsigned old_depth =
        chip.reg(REG11) >= chip.reg(REG12) ? chip.reg(REG11) - chip.reg(REG12) : 0u;
    const unsigned depth = options.spread_depth.value_or(old_depth);
    if (depth > n) {
        error = "depth=" + std::to_string(depth) + " is more than N (" + std::to_string(n) +
                "): REG12 holds N minus the depth";
        return false;
    }

    if (options.hub_id) {
        board.pci().set_hub_id(*options.hub_id);
    }
    if (options.smbus_base_register) {
        board.pci().set_smbus_base_register(*options.smbus_base_register);
    }
    if (options.cpu_divider && options.sdram_divider) {
        chip.set_straps(*options.cpu_divider, *options.sdram_divider);
    }
    if (options.pll_n || options.pll_m || options.spread_depth) {
        chip.power_up_pll(static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(m),
                          static_cast<std::uint8_t>(depth));
    }

    const std::uint8_t reg21 = chip.reg(REG21);
    const std::uint8_t reg22 = chip.reg(REG22);
    if (options.delay_cpu || options.delay_pci || options.delay_sdram || options.delay_3v66) {
        chip.set_delays(
            options.delay_cpu.value_or((reg21 >> kReg21CpuDelayShift) & kDelayFieldMask),
            options.delay_pci.value_or((reg21 >> kReg21PciDelayShift) & kDelayFieldMask),
            options.delay_sdram.value_or((reg21 >> kReg21SdramDelayShift) & kDelayFieldMask),
            options.delay_3v66.value_or((reg22 >> kReg223v66DelayShift) & kDelayFieldMask));
    }
    if (options.spread_on || options.spread_model) {
        chip.set_spread(options.spread_on.value_or((chip.reg(REG00) & kReg00SpreadEnable) != 0),
                        options.spread_model.value_or(reg22 & kReg22SpreadModelMask));
    }
    if (options.multiplier) {
        board.cpu().set_multiplier(*options.multiplier);
    }
    for (const Fault& fault : options.faults) {
        board.smbus().inject(fault);
    }
    return true;
}

bool apply_board_options(const BoardOptions& options, const std::string& dump_text, SimBoard& board,
                         std::string& error) {
    std::string notice;
    return apply_board_options(options, dump_text, board, error, notice);
}

std::string_view board_options_help() {
    return R"(Simulated board: --simulate[=OPTION,OPTION,...], each OPTION a NAME=VALUE:
  hub=aa|ab|ba|none      the I/O controller hub: 82801AA, 82801AB, 82801BA (default),
                         or none; or any PCI ID, e.g. hub=0x71138086 for another chipset
  base=unprogrammed      the SMBus base register reads 0x0001, as on a board whose BIOS
                         never set it
  base=0xVALUE           the SMBus base register reads VALUE (up to 8 hex digits; bit 0
                         marks an I/O base), e.g. base=0xffff for a hidden function
  dividers=CPU/SDRAM     the chip's divider straps: 3, 4 or 6 / 3 or 4 (default 3/3)
  n=N  m=M  depth=D      the PLL at power-up, 0 to 255 each, depth at most N
                         (default N 132, M 31, depth 0)
  delay-cpu=D  delay-pci=D  delay-sdram=D  delay-3v66=D
                         group delays: none, 150ps, 300ps or 450ps (default none)
  spread=on|off          spread spectrum at power-up (default off)
  model=0-7              the spread model (default 0)
  multiplier=X           CPU core clock over external clock, 1 to 64 (default 7.5)
  dump=FILE              load the chip's registers from an i2cdump-style text (a file of
                         at most 1 MiB); the options above then change what they name
  fault=ACTION:WHICH...  make a transfer fail; may be given more than once.
                         ACTION: timeout, device-error, bus-error, drop-write (the chip
                         acknowledges a write but does not store it), or block-count=N (a
                         block read announces N bytes). WHICH: a transfer kind (word-read,
                         word-write, block-read, block-write) with reg=HH (hex) and nth=N
                         (the N-th such transfer, default 1), or transfer=N (the N-th
                         transfer of any kind); byte=N strikes at data byte N of a block
                         transfer. Counts start when the program starts.
                         e.g. fault=device-error:word-write:reg=22
  pauses=real|instant    real: the 300 ms pause after each transfer takes real time, as
                         on the board (default); instant: everything runs at full speed
Values hold no commas.
)";
}

}  // namespace vantrel::sim
