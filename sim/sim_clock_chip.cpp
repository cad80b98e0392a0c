// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/sim_clock_chip.h"

#include "bus/register_dump.h"
#include "clockgen/frequency_model.h"
#include "clockgen/register_codec.h"

namespace vantrel::sim {

namespace {

// The divider straps are pins read through REG1F; the bus cannot change them.
constexpr std::uint8_t kStrapMask = kReg1FCpuDiv3 | kReg1FCpuDiv4 | kReg1FSdramDiv3;

constexpr std::uint8_t bits_besides(unsigned fields) {
    return static_cast<std::uint8_t>(~fields & 0xFFu);
}

// Reserved bits: the bits of a register besides the fields the program sets, which a writer
// must hand back as it read them, and the values they power up with. REG10 bit 3 powers up set,
// which is why a chip found with REG10 unread gets 0x09.
struct ReservedBits {
    std::uint8_t reg;
    std::uint8_t mask;
    std::uint8_t power_up;
};
constexpr ReservedBits kReservedBits[] = {
    {REG00, bits_besides(kReg00SpreadEnable), 0x41},
    {REG10, bits_besides(kReg10EnhancedMode), 0x08},
    {REG17, bits_besides(kReg17Latch), 0x60},
    {REG1F, bits_besides(kStrapMask | kReg1FLatch), 0x10},
    {REG21, kReg21KeptBits, 0x40},
    {REG22, kReg22KeptBits, 0x28},
};

std::uint8_t reserved_mask(std::size_t index) {
    for (const auto& bits : kReservedBits) {
        if (bits.reg == index) {
            return bits.mask;
        }
    }
    return 0;
}

std::string reg_name(std::size_t index) {
    constexpr char kHex[] = "0123456789ABCDEF";
    return std::string("REG") + kHex[(index >> 4) & 0xF] + kHex[index & 0xF];
}

}  // namespace

SimClockChip::SimClockChip(ProtocolLog* log) : log_(log) {
    for (const auto& bits : kReservedBits) {
        regs_[bits.reg] = bits.power_up;
    }
    set_straps(3, 3);
    power_up_pll(132, 31, 0);
}

unsigned SimClockChip::block_count() const {
    if (!queued_counts_.empty()) {
        return queued_counts_.front();
    }
    // A chip fresh from power-up stops short of REG10; once REG10 bit 0 is set it sends 22.
    return (regs_[REG10] & kReg10Enable) != 0 ? kDetectedBlockCount : kPowerUpBlockCountMax;
}

bool SimClockChip::block_read(std::uint8_t reg, std::vector<std::uint8_t>& bytes) {
    if (reg != 0) {
        return false;
    }
    const unsigned count = block_count();
    if (!queued_counts_.empty()) {
        queued_counts_.pop_front();
    }
    bytes.assign(count, 0x00);
    for (unsigned i = 0; i < count && i < kSimChipRegisters; ++i) {
        bytes[i] = regs_[i];
    }
    return true;
}

bool SimClockChip::block_write_begin(std::uint8_t reg, std::uint8_t count) {
    block_write_next_ = 0;
    return reg == 0 && count != 0;
}

// Each byte lands in its register as it arrives; the first byte past the register file is
// refused.
bool SimClockChip::block_write_byte(std::uint8_t value) {
    if (block_write_next_ >= kSimChipRegisters) {
        return false;
    }
    write_reg(block_write_next_++, value);
    return true;
}

bool SimClockChip::word_read(std::uint8_t reg, std::uint8_t& count, std::uint8_t& value) {
    if (!enhanced_mode() || reg >= kSimChipRegisters) {
        return false;
    }
    count = 1;
    value = regs_[reg];
    return true;
}

bool SimClockChip::word_write(std::uint8_t reg, std::uint8_t count, std::uint8_t value) {
    if (!enhanced_mode() || reg >= kSimChipRegisters || count != 1) {
        return false;
    }
    write_reg(reg, value);
    return true;
}

void SimClockChip::write_reg(std::size_t index, std::uint8_t value) {
    const auto changed = static_cast<std::uint8_t>(value ^ regs_[index]);
    if (log_ != nullptr && (changed & reserved_mask(index)) != 0) {
        log_->violation("write to " + reg_name(index) + " changes reserved bits");
    }
    if (index == REG1F) {
        if (log_ != nullptr && (changed & kStrapMask) != 0) {
            log_->violation("write to REG1F tries to change a divider strap");
        }
        value = static_cast<std::uint8_t>((value & ~kStrapMask) | (regs_[REG1F] & kStrapMask));
    }
    regs_[index] = value;
    // New PLL values reach the VCO only when REG1F's latch bits are written after REG17's.
    if (index == REG1F && (value & kReg1FLatch) == kReg1FLatch &&
        (regs_[REG17] & kReg17Latch) != 0) {
        running_n_ = regs_[REG11];
        running_m_ = regs_[REG13];
        ++latch_count_;
    }
}

void SimClockChip::set_straps(unsigned cpu_divider, unsigned sdram_divider) {
    std::uint8_t straps = 0;
    if (cpu_divider == 3) {
        straps |= kReg1FCpuDiv3;
    } else if (cpu_divider == 4) {
        straps |= kReg1FCpuDiv4;
    }
    if (sdram_divider == 3) {
        straps |= kReg1FSdramDiv3;
    }
    regs_[REG1F] = static_cast<std::uint8_t>((regs_[REG1F] & ~kStrapMask) | straps);
}

unsigned SimClockChip::cpu_divider() const {
    return cpu_divider_of(regs_[REG1F]);
}

unsigned SimClockChip::sdram_divider() const {
    return sdram_divider_of(regs_[REG1F]);
}

void SimClockChip::power_up_pll(std::uint8_t n, std::uint8_t m, std::uint8_t spread_depth) {
    regs_[REG11] = n;
    regs_[REG12] = reg12_value(n, spread_depth);
    regs_[REG13] = m;
    running_n_ = n;
    running_m_ = m;
}

void SimClockChip::set_fields(const Reg21Fields& reg21, const Reg22Fields& reg22) {
    regs_[REG21] = pack_reg21(reg21, regs_[REG21]);
    regs_[REG22] = pack_reg22(reg22, regs_[REG22]);
}

void SimClockChip::set_spread(bool enabled) {
    regs_[REG00] = static_cast<std::uint8_t>((regs_[REG00] & bits_besides(kReg00SpreadEnable)) |
                                             (enabled ? kReg00SpreadEnable : 0));
}

double SimClockChip::running_vco_mhz() const {
    return (running_n_ + 1) * kPllReferenceMhz / (running_m_ + 1);
}

double SimClockChip::running_cpu_ext_mhz() const {
    return running_vco_mhz() / cpu_divider();
}

bool SimClockChip::load_dump(const std::string& text, std::string& error,
                             std::array<bool, kSimChipRegisters>* given) {
    auto loaded = regs_;
    std::array<bool, kSimChipRegisters> loaded_given{};
    if (!parse_register_dump(text, loaded, loaded_given, error)) {
        return false;
    }
    regs_ = loaded;
    running_n_ = regs_[REG11];
    running_m_ = regs_[REG13];
    if (given != nullptr) {
        *given = loaded_given;
    }
    return true;
}

}  // namespace vantrel::sim
