#include "sim/sim_clock_chip.h"

#include "bus/register_dump.h"
#include "clockgen/frequency_model.h"
#include "clockgen/registers.h"

namespace vantrel::sim {

namespace {

// The divider straps are pins read through REG1F; the bus cannot change them.
constexpr std::uint8_t kStrapMask = kReg1FCpuDiv3 | kReg1FCpuDiv4 | kReg1FSdramDiv3;

}  // namespace

SimClockChip::SimClockChip() {
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

bool SimClockChip::block_write(std::uint8_t reg, const std::vector<std::uint8_t>& bytes) {
    if (reg != 0 || bytes.empty() || bytes.size() > kSimChipRegisters) {
        return false;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        write_reg(i, bytes[i]);
    }
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
    if (index == REG1F) {
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
    if ((regs_[REG1F] & kReg1FCpuDiv3) != 0) {
        return 3;
    }
    return (regs_[REG1F] & kReg1FCpuDiv4) != 0 ? 4 : 6;
}

unsigned SimClockChip::sdram_divider() const {
    return (regs_[REG1F] & kReg1FSdramDiv3) != 0 ? 3 : 4;
}

void SimClockChip::power_up_pll(std::uint8_t n, std::uint8_t m, std::uint8_t spread_depth) {
    regs_[REG11] = n;
    regs_[REG12] = static_cast<std::uint8_t>(n - spread_depth);
    regs_[REG13] = m;
    running_n_ = n;
    running_m_ = m;
}

void SimClockChip::set_delays(unsigned cpu, unsigned pci, unsigned sdram, unsigned v3v66) {
    regs_[REG21] = static_cast<std::uint8_t>((regs_[REG21] & 0xC0u) |
                                             (cpu & kDelayFieldMask) << kReg21CpuDelayShift |
                                             (pci & kDelayFieldMask) << kReg21PciDelayShift |
                                             (sdram & kDelayFieldMask) << kReg21SdramDelayShift);
    regs_[REG22] = static_cast<std::uint8_t>((regs_[REG22] & 0x3Fu) | (v3v66 & kDelayFieldMask)
                                                                          << kReg223v66DelayShift);
}

void SimClockChip::set_spread(bool enabled, unsigned model) {
    regs_[REG00] = static_cast<std::uint8_t>((regs_[REG00] & ~kReg00SpreadEnable & 0xFF) |
                                             (enabled ? kReg00SpreadEnable : 0));
    regs_[REG22] = static_cast<std::uint8_t>((regs_[REG22] & ~kReg22SpreadModelMask & 0xFF) |
                                             (model & kReg22SpreadModelMask));
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
