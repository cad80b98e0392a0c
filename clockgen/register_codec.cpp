// SPDX-License-Identifier: GPL-2.0-or-later
#include "clockgen/register_codec.h"

namespace vantrel {

std::vector<RegisterExpectation> applied_expectations(const ClockState& clock,
                                                      std::optional<bool> spread_on) {
    std::vector<RegisterExpectation> expected = {
        {REG11, 0xFF, clock.pll_n, "PLL N"},
        {REG12, 0xFF, reg12_value(clock.pll_n, clock.spread_depth), "PLL N minus the spread depth"},
        {REG13, 0xFF, clock.pll_m, "PLL M"},
        {REG21, static_cast<std::uint8_t>(~kReg21KeptBits), pack_reg21(reg21_fields(clock), 0),
         "group delays of CPU, PCI and SDRAM"},
        {REG22, static_cast<std::uint8_t>(~kReg22KeptBits), pack_reg22(reg22_fields(clock), 0),
         "3V66 group delay and spread model"},
    };
    if (spread_on) {
        expected.push_back({REG00, kReg00SpreadEnable,
                            *spread_on ? kReg00SpreadEnable : std::uint8_t{0},
                            "spread spectrum on or off"});
    }
    return expected;
}

}  // namespace vantrel
