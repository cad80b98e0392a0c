// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/board_options.h"

#include <array>
#include <cstddef>

#include "bus/ascii_text.h"
#include "bus/pci_config.h"
#include "sim/fault_grammar.h"
#include "sim/option_words.h"
#include "ui/group_delay_names.h"

namespace vantrel::sim {

namespace {

constexpr unsigned kMaxByte = 0xFF;
constexpr unsigned kMaxSpreadModel = 7;
// The multiplier is read in thousandths; a core clock is 1 to 64 times the external clock.
constexpr unsigned kMultiplierScale = 1000;
constexpr unsigned kMinMultiplier = 1 * kMultiplierScale;
constexpr unsigned kMaxMultiplier = 64 * kMultiplierScale;

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

constexpr Named kHubs[] = {
    {"aa", kIdIch82801AA},
    {"ab", kIdIch82801AB},
    {"ba", kIdIch82801BA},
    {"none", kNoDevice},
};

constexpr std::string_view kOptionNames[] = {
    "hub",        "base",      "dividers",    "n",          "m",      "depth",
    "delay-cpu",  "delay-pci", "delay-sdram", "delay-3v66", "spread", "model",
    "multiplier", "dump",      "fault",       "pauses",     "board",
};

}  // namespace

bool parse_board_options(std::string_view text, BoardOptions& options, std::string& error) {
    if (!text.empty() && text.back() == ',') {
        error = "\"" + std::string(text) + "\": the list ends with a comma";
        return false;
    }
    BoardOptions parsed;
    std::array<bool, std::size(kOptionNames)> given{};  // each option at most once, but fault
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::string_view item = ascii::take_until(rest, ',');
        std::string_view value = item;
        const std::string_view key = ascii::take_until(value, '=');
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
        std::uint32_t id = 0;
        if (key == "hub") {
            if (const Named* hub = find_named(kHubs, value)) {
                parsed.hub_id = hub->value;
            } else if (value.size() == 10 &&
                       ascii::parse_hex(ascii::without_hex_prefix(value), 0xFFFFFFFF, id)) {
                parsed.hub_id = static_cast<std::uint32_t>(id);
            } else {
                return fail("the hub is aa, ab, ba, none or a PCI ID such as 0x71138086");
            }
        } else if (key == "base") {
            if (value == "unprogrammed") {
                // Only the I/O-space bit, as a BIOS that never set the register leaves it.
                parsed.smbus_base_register = 0x0001;
            } else if (const std::string_view digits = ascii::without_hex_prefix(value);
                       digits.size() != value.size() && ascii::parse_hex_digits(digits, 8, id)) {
                parsed.smbus_base_register = static_cast<std::uint32_t>(id);
            } else {
                return fail(
                    "the base is unprogrammed or what the SMBus base register reads, in hex "
                    "(e.g. base=0xe801)");
            }
        } else if (key == "dividers") {
            std::string_view sdram = value;
            const std::string_view cpu = ascii::take_until(sdram, '/');
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
        } else if (key == "board") {
            if (value.empty()) {
                return fail("board= needs a file name");
            }
            parsed.board_path = std::string(value);
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
    if (!parsed.dump_path.empty() && !parsed.board_path.empty()) {
        error = "dump= and board= both give the chip's registers; give one of them";
        return false;
    }
    options = std::move(parsed);
    return true;
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
  board=FILE             (Linux) keep the chip's registers in FILE, in the grid dump=
                         reads: loaded at the start when FILE is there, written back when
                         the program ends, so that one run sees what the last one left;
                         the options above then change what they name; not with dump=
  fault=ACTION:WHICH...  make a transfer fail; may be given more than once.
                         ACTION: timeout, device-error, bus-error, failed (the controller
                         fails the transaction), drop-write (the chip acknowledges a write
                         but does not store it), or block-count=N (a block read announces N
                         bytes). WHICH: a transfer kind (word-read,
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
