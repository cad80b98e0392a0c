// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <string>
#include <vector>

#include "clockgen/register_codec.h"
#include "sim/protocol_log.h"
#include "sim/smbus_device.h"

namespace vantrel::sim {

inline constexpr std::size_t kSimChipRegisters = 36;

// The VXC812-07 as the simulated board's SMBus sees it: 36 registers, block transfers from
// register 0, one-register transfers only in enhanced mode (REG10 bits 0 and 1 both set), and
// PLL values that take effect only when latched. REG00, REG10, REG17, REG1F, REG21 and REG22
// power up with reserved bits set; a bus write that changes a reserved bit, or tries to change
// a divider strap of REG1F, is reported to `log` (when given) as a protocol violation.
class SimClockChip : public SmbusDevice {
  public:
    explicit SimClockChip(ProtocolLog* log = nullptr);

    bool word_read(std::uint8_t reg, std::uint8_t& count, std::uint8_t& value) override;
    bool word_write(std::uint8_t reg, std::uint8_t count, std::uint8_t value) override;
    bool block_read(std::uint8_t reg, std::vector<std::uint8_t>& bytes) override;
    bool block_write_begin(std::uint8_t reg, std::uint8_t count) override;
    bool block_write_byte(std::uint8_t value) override;

    // Raw access for tests and board set-up; bypasses the bus rules.
    std::uint8_t reg(std::size_t index) const { return regs_.at(index); }
    void set_reg(std::size_t index, std::uint8_t value) { regs_.at(index) = value; }
    const std::array<std::uint8_t, kSimChipRegisters>& registers() const { return regs_; }

    bool enhanced_mode() const { return (regs_[0x10] & 0x03) == 0x03; }

    // The byte count a block read announces: 16 until REG10 bit 0 is set, then 22.
    unsigned block_count() const;
    // The next block reads announce these counts, one each, and deliver that many registers
    // (zeros past the last one); later reads follow the REG10 rule again.
    void queue_block_counts(std::initializer_list<unsigned> counts) {
        queued_counts_.insert(queued_counts_.end(), counts);
    }

    // The divider straps in REG1F (bit 7: CPU /3, else bit 6: /4, else /6; bit 3: SDRAM /3).
    // They are pins, not register bits the bus can change.
    void set_straps(unsigned cpu_divider, unsigned sdram_divider);
    unsigned cpu_divider() const;
    unsigned sdram_divider() const;

    // Sets the PLL registers and makes them the running clock, as at power-up.
    void power_up_pll(std::uint8_t n, std::uint8_t m, std::uint8_t spread_depth);
    // Power-up group delays and spread model in REG21 and REG22, keeping the other bits.
    void set_fields(const Reg21Fields& reg21, const Reg22Fields& reg22);
    // Power-up spread spectrum: REG00 bit 1.
    void set_spread(bool enabled);

    // The PLL values the chip runs on: the last latched ones.
    std::uint8_t running_n() const { return running_n_; }
    std::uint8_t running_m() const { return running_m_; }
    double running_vco_mhz() const;
    double running_cpu_ext_mhz() const;
    unsigned latch_count() const { return latch_count_; }

    // Loads the registers an i2cdump-style text gives (see parse_register_dump); the others keep
    // their values, and `given`, when asked for, says which were loaded. The dumped PLL becomes
    // the running clock. Returns false and leaves the chip unchanged on malformed text.
    bool load_dump(const std::string& text, std::string& error,
                   std::array<bool, kSimChipRegisters>* given = nullptr);

  private:
    // A register written over the bus, under the chip's rules.
    void write_reg(std::size_t index, std::uint8_t value);

    ProtocolLog* log_;
    std::array<std::uint8_t, kSimChipRegisters> regs_{};
    std::size_t block_write_next_ = 0;
    std::deque<unsigned> queued_counts_;
    std::uint8_t running_n_ = 0;
    std::uint8_t running_m_ = 0;
    unsigned latch_count_ = 0;
};

}  // namespace vantrel::sim
