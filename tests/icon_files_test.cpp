// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "support/param_name.h"
#include "support/temp_dir.h"

namespace vantrel {
namespace {

using test::PrintTo;

// The standard 16-colour palette of Windows as 0xRRGGBB, which is how a little-endian read of
// an RGBQUAD (blue, green, red, 0) comes out.
constexpr std::array<std::uint32_t, 16> kWindowsPalette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

std::uint32_t le(const std::string& bytes, std::size_t at, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width && at + i < bytes.size(); ++i) {
        value |= std::uint32_t{static_cast<std::uint8_t>(bytes[at + i])} << (8 * i);
    }
    return value;
}

std::size_t stride(std::size_t bits) {
    return (bits + 31) / 32 * 4;
}

struct IconImageCase {
    const char* label;
    const char* file;
    std::size_t index;  // position in the icon's directory
    std::size_t size;
};

class IconFile : public ::testing::TestWithParam<IconImageCase> {};

TEST_P(IconFile, HoldsASixteenColourImageWithItsMask) {
    const auto& c = GetParam();
    const std::string ico = test::read_file(std::string(VANTREL_SOURCE_DIR "/res/icons/") + c.file);
    ASSERT_GE(ico.size(), 6u + 2 * 16u);
    EXPECT_EQ(le(ico, 0, 2), 0u);  // reserved
    EXPECT_EQ(le(ico, 2, 2), 1u);  // an icon, not a cursor
    ASSERT_EQ(le(ico, 4, 2), 2u);  // 32 x 32 and 16 x 16

    const std::size_t entry = 6 + 16 * c.index;
    EXPECT_EQ(le(ico, entry + 0, 1), c.size);
    EXPECT_EQ(le(ico, entry + 1, 1), c.size);
    EXPECT_EQ(le(ico, entry + 2, 1), 16u);  // colours
    EXPECT_EQ(le(ico, entry + 4, 2), 1u);   // planes
    EXPECT_EQ(le(ico, entry + 6, 2), 4u);   // bits per pixel
    const std::size_t xor_size = stride(c.size * 4) * c.size;
    const std::size_t and_size = stride(c.size) * c.size;
    const std::size_t length = le(ico, entry + 8, 4);
    const std::size_t offset = le(ico, entry + 12, 4);
    ASSERT_EQ(length, 40 + 16 * 4 + xor_size + and_size);
    ASSERT_LE(offset + length, ico.size());
    // Images follow the directory back to back, and the last one ends the file.
    EXPECT_EQ(offset, c.index == 0 ? 6u + 2 * 16u : le(ico, 6 + 8, 4) + le(ico, 6 + 12, 4));
    if (c.index == 1) {
        EXPECT_EQ(offset + length, ico.size());
    }

    EXPECT_EQ(le(ico, offset + 0, 4), 40u);  // BITMAPINFOHEADER
    EXPECT_EQ(le(ico, offset + 4, 4), c.size);
    EXPECT_EQ(le(ico, offset + 8, 4), 2 * c.size);  // colour bitmap and mask together
    EXPECT_EQ(le(ico, offset + 12, 2), 1u);
    EXPECT_EQ(le(ico, offset + 14, 2), 4u);
    EXPECT_EQ(le(ico, offset + 16, 4), 0u);  // uncompressed
    for (std::size_t i = 0; i < kWindowsPalette.size(); ++i) {
        EXPECT_EQ(le(ico, offset + 40 + 4 * i, 4), kWindowsPalette[i]) << "palette entry " << i;
    }

    const std::size_t colours = offset + 40 + 16 * 4;
    const std::size_t mask = colours + xor_size;
    std::size_t transparent = 0;
    std::size_t black_under_mask = 0;
    for (std::size_t row = 0; row < c.size; ++row) {
        for (std::size_t col = 0; col < c.size; ++col) {
            const std::uint32_t bits = le(ico, mask + row * stride(c.size) + col / 8, 1);
            const std::uint32_t pair = le(ico, colours + row * stride(c.size * 4) + col / 2, 1);
            const std::uint32_t index = col % 2 == 0 ? pair >> 4 : pair & 0xF;
            if ((bits & (0x80u >> (col % 8))) != 0) {
                ++transparent;
                black_under_mask += index == 0 ? 1 : 0;
            }
        }
    }
    // A picture with a shape: some pixels show the background, a good part do not, and those that
    // do are black in the colour bitmap, or the screen behind them would be XORed with a colour.
    EXPECT_GT(transparent, 0u);
    EXPECT_LT(transparent, c.size * c.size * 3 / 4);
    EXPECT_EQ(black_under_mask, transparent);
}

INSTANTIATE_TEST_SUITE_P(Icons, IconFile,
                         ::testing::Values(IconImageCase{"Mainframe32", "mainframe.ico", 0, 32},
                                           IconImageCase{"Mainframe16", "mainframe.ico", 1, 16},
                                           IconImageCase{"Caution32", "caution.ico", 0, 32},
                                           IconImageCase{"Caution16", "caution.ico", 1, 16}),
                         test::ByLabel());

}  // namespace
}  // namespace vantrel
