#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vantrel {

// Formats registers as i2cdump prints them: a 16-column hex grid with an ASCII column.
// Registers whose `known` entry is false print as "XX", as i2cdump shows a failed read.
std::string format_register_dump(const std::uint8_t* bytes, const bool* known, std::size_t count);

}  // namespace vantrel
