#include "sim/sim_clock_chip.h"

#include <cctype>
#include <sstream>

namespace vantrel::sim {

namespace {

constexpr std::size_t kReg00 = 0x00;
constexpr std::size_t kReg10 = 0x10;
constexpr std::size_t kReg11 = 0x11;
constexpr std::size_t kReg12 = 0x12;
constexpr std::size_t kReg13 = 0x13;
constexpr std::size_t kReg17 = 0x17;
constexpr std::size_t kReg1F = 0x1F;
constexpr std::size_t kReg21 = 0x21;
constexpr std::size_t kReg22 = 0x22;

constexpr std::uint8_t kStrapCpuDiv3 = 0x80;
constexpr std::uint8_t kStrapCpuDiv4 = 0x40;
constexpr std::uint8_t kStrapSdramDiv3 = 0x08;
constexpr std::uint8_t kStrapMask = kStrapCpuDiv3 | kStrapCpuDiv4 | kStrapSdramDiv3;
constexpr std::uint8_t kLatch1F = 0x03;
constexpr std::uint8_t kLatch17 = 0x01;

constexpr unsigned kPowerUpBlockCount = 16;
constexpr unsigned kFullBlockCount = 22;

int hex_digit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const int lower = std::tolower(static_cast<unsigned char>(c));
    if (lower >= 'a' && lower <= 'f') {
        return lower - 'a' + 10;
    }
    return -1;
}

}  // namespace

SimClockChip::SimClockChip() {
    set_straps(3, 3);
    power_up_pll(132, 31, 0);
}

unsigned SimClockChip::block_count() const {
    if (!queued_counts_.empty()) {
        return queued_counts_.front();
    }
    return (regs_[kReg10] & 0x01) != 0 ? kFullBlockCount : kPowerUpBlockCount;
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
    if (index == kReg1F) {
        value = static_cast<std::uint8_t>((value & ~kStrapMask) | (regs_[kReg1F] & kStrapMask));
    }
    regs_[index] = value;
    // New PLL values reach the VCO only when REG1F's latch bits are written after REG17's.
    if (index == kReg1F && (value & kLatch1F) == kLatch1F && (regs_[kReg17] & kLatch17) != 0) {
        running_n_ = regs_[kReg11];
        running_m_ = regs_[kReg13];
        ++latch_count_;
    }
}

void SimClockChip::set_straps(unsigned cpu_divider, unsigned sdram_divider) {
    std::uint8_t straps = 0;
    if (cpu_divider == 3) {
        straps |= kStrapCpuDiv3;
    } else if (cpu_divider == 4) {
        straps |= kStrapCpuDiv4;
    }
    if (sdram_divider == 3) {
        straps |= kStrapSdramDiv3;
    }
    regs_[kReg1F] = static_cast<std::uint8_t>((regs_[kReg1F] & ~kStrapMask) | straps);
}

unsigned SimClockChip::cpu_divider() const {
    if ((regs_[kReg1F] & kStrapCpuDiv3) != 0) {
        return 3;
    }
    return (regs_[kReg1F] & kStrapCpuDiv4) != 0 ? 4 : 6;
}

unsigned SimClockChip::sdram_divider() const {
    return (regs_[kReg1F] & kStrapSdramDiv3) != 0 ? 3 : 4;
}

void SimClockChip::power_up_pll(std::uint8_t n, std::uint8_t m, std::uint8_t spread_depth) {
    regs_[kReg11] = n;
    regs_[kReg12] = static_cast<std::uint8_t>(n - spread_depth);
    regs_[kReg13] = m;
    running_n_ = n;
    running_m_ = m;
}

void SimClockChip::set_delays(unsigned cpu, unsigned pci, unsigned sdram, unsigned v3v66) {
    regs_[kReg21] = static_cast<std::uint8_t>((regs_[kReg21] & 0xC0) | (cpu & 3) << 4 |
                                              (pci & 3) << 2 | (sdram & 3));
    regs_[kReg22] = static_cast<std::uint8_t>((regs_[kReg22] & 0x3F) | (v3v66 & 3) << 6);
}

void SimClockChip::set_spread(bool enabled, unsigned model) {
    regs_[kReg00] = static_cast<std::uint8_t>((regs_[kReg00] & 0xFDu) | (enabled ? 0x02u : 0u));
    regs_[kReg22] = static_cast<std::uint8_t>((regs_[kReg22] & 0xF8u) | (model & 7u));
}

double SimClockChip::running_vco_mhz() const {
    return (running_n_ + 1) * 96.0 / (running_m_ + 1);
}

double SimClockChip::running_cpu_ext_mhz() const {
    return running_vco_mhz() / cpu_divider();
}

bool SimClockChip::load_dump(const std::string& text, std::string& error) {
    auto loaded = regs_;
    if (!parse_i2cdump(text, loaded, error)) {
        return false;
    }
    regs_ = loaded;
    running_n_ = regs_[kReg11];
    running_m_ = regs_[kReg13];
    return true;
}

bool parse_i2cdump(const std::string& text, std::array<std::uint8_t, kSimChipRegisters>& bytes,
                   std::string& error) {
    std::istringstream lines(text);
    std::string line;
    int line_number = 0;
    bool any_row = false;
    while (std::getline(lines, line)) {
        ++line_number;
        const auto colon = line.find(':');
        // The column header and blank lines carry no register row.
        if (colon == std::string::npos) {
            continue;
        }
        unsigned row = 0;
        for (std::size_t i = 0; i < colon; ++i) {
            if (line[i] == ' ') {
                continue;
            }
            const int digit = hex_digit(line[i]);
            if (digit < 0) {
                error = "line " + std::to_string(line_number) + ": bad row address";
                return false;
            }
            row = row * 16 + static_cast<unsigned>(digit);
        }
        if (row % 16 != 0 || row > 0xF0) {
            error = "line " + std::to_string(line_number) + ": row address is not a multiple of 16";
            return false;
        }
        std::istringstream cells(line.substr(colon + 1));
        for (unsigned column = 0; column < 16; ++column) {
            std::string cell;
            if (!(cells >> cell)) {
                error = "line " + std::to_string(line_number) + ": fewer than 16 cells";
                return false;
            }
            const std::size_t index = row + column;
            if (cell == "XX" || cell == "xx") {
                continue;
            }
            const int high = cell.size() == 2 ? hex_digit(cell[0]) : -1;
            const int low = cell.size() == 2 ? hex_digit(cell[1]) : -1;
            if (high < 0 || low < 0) {
                error = "line " + std::to_string(line_number) + ": bad cell \"" + cell + "\"";
                return false;
            }
            if (index < bytes.size()) {
                bytes[index] = static_cast<std::uint8_t>(high * 16 + low);
            }
        }
        any_row = true;
    }
    if (!any_row) {
        error = "no register rows found";
        return false;
    }
    return true;
}

}  // namespace vantrel::sim
