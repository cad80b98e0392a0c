// SPDX-License-Identifier: GPL-2.0-or-later
// The register-dump parser on any text: on failure it writes nothing; on success what it read
// formats and parses back to the same registers. And any registers, formatted, parse back to
// themselves, with the unread ones named as not given.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "bus/register_dump.h"
#include "bus/smbus_transfers.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

constexpr std::size_t kCount = vantrel::kClockChipRegisterCount;

struct Registers {
    std::array<std::uint8_t, kCount> bytes{};
    std::array<bool, kCount> given{};
};

bool parse(std::string_view text, Registers& r, std::string& error) {
    return vantrel::parse_register_dump(text, r.bytes, r.given, error);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    Registers read;
    read.bytes.fill(0x5A);
    const Registers before = read;
    std::string error;
    if (!parse(text, read, error)) {
        FUZZ_CHECK(read.bytes == before.bytes && read.given == before.given,
                   "a dump that failed to parse wrote registers");
        FUZZ_CHECK(!error.empty(), "a failed parse without a reason");
    } else {
        const std::string again =
            vantrel::format_register_dump(read.bytes.data(), read.given.data(), kCount);
        Registers back;
        FUZZ_CHECK(parse(again, back, error), "a formatted dump did not parse");
        for (std::size_t i = 0; i < kCount; ++i) {
            FUZZ_CHECK(back.given[i] == read.given[i], "the round trip changed what was given");
            FUZZ_CHECK(!read.given[i] || back.bytes[i] == read.bytes[i],
                       "the round trip changed a register");
        }
    }

    // The input's first bytes as registers, and which of them are known.
    Registers chosen;
    for (std::size_t i = 0; i < kCount && i < size; ++i) {
        chosen.bytes[i] = data[i];
        chosen.given[i] = i + kCount >= size || (data[i + kCount] & 1) != 0;
    }
    const std::string grid =
        vantrel::format_register_dump(chosen.bytes.data(), chosen.given.data(), kCount);
    Registers parsed;
    FUZZ_CHECK(parse(grid, parsed, error), "a formatted dump did not parse");
    for (std::size_t i = 0; i < kCount; ++i) {
        FUZZ_CHECK(parsed.given[i] == chosen.given[i], "formatting lost which registers are known");
        FUZZ_CHECK(!chosen.given[i] || parsed.bytes[i] == chosen.bytes[i],
                   "formatting changed a register");
    }
    return 0;
}
