// SPDX-License-Identifier: GPL-2.0-or-later
#include <array>

#include "bus/register_dump.h"
#include "clockgen/register_codec.h"
#include "sim/board_options.h"

namespace vantrel::sim {

bool apply_board_options(const BoardOptions& options, const std::string& dump_text, SimBoard& board,
                         std::string& error, std::string& note) {
    note.clear();
    SimClockChip& chip = board.chip();
    // A kept board not written yet gives no text: the chip starts at power-up.
    const std::string& source = options.dump_path.empty() ? options.board_path : options.dump_path;
    if (!options.dump_path.empty() || !dump_text.empty()) {
        std::array<bool, kSimChipRegisters> given{};
        std::string reason;
        if (!chip.load_dump(dump_text, reason, &given)) {
            error = source + ": " + reason;
            return false;
        }
        const std::string missing = describe_missing_registers(given);
        if (!missing.empty()) {
            note = source + " gives no value for registers " + missing +
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

    Reg21Fields reg21 = unpack_reg21(chip.reg(REG21));
    Reg22Fields reg22 = unpack_reg22(chip.reg(REG22));
    const auto code = [](std::optional<unsigned> option, std::uint8_t& field) {
        if (option) {
            field = static_cast<std::uint8_t>(*option);
        }
    };
    code(options.delay_cpu, reg21.delay_cpu);
    code(options.delay_pci, reg21.delay_pci);
    code(options.delay_sdram, reg21.delay_sdram);
    code(options.delay_3v66, reg22.delay_3v66);
    code(options.spread_model, reg22.spread_model);
    chip.set_fields(reg21, reg22);
    if (options.spread_on) {
        chip.set_spread(*options.spread_on);
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
    std::string note;
    return apply_board_options(options, dump_text, board, error, note);
}

}  // namespace vantrel::sim
