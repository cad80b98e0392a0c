#include "bus/register_dump.h"

#include <cstdio>

namespace vantrel {

std::string format_register_dump(const std::uint8_t* bytes, const bool* known, std::size_t count) {
    std::string out = "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f    0123456789abcdef\n";
    for (std::size_t row = 0; row < count; row += 16) {
        char cell[24];
        std::snprintf(cell, sizeof cell, "%02zx: ", row);
        out += cell;
        std::string ascii;
        for (std::size_t i = row; i < row + 16; ++i) {
            if (i >= count || !known[i]) {
                out += "XX ";
                ascii += 'X';
                continue;
            }
            std::snprintf(cell, sizeof cell, "%02x ", bytes[i]);
            out += cell;
            const std::uint8_t b = bytes[i];
            // i2cdump prints 0x00 and 0xff as '.', other non-printables as '?'.
            if (b == 0x00 || b == 0xFF) {
                ascii += '.';
            } else if (b < 0x20 || b >= 0x7F) {
                ascii += '?';
            } else {
                ascii += static_cast<char>(b);
            }
        }
        out += "   " + ascii + "\n";
    }
    return out;
}

}  // namespace vantrel
