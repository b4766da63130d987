// The application icon's pixels and the ICO container.
#include <array>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "gfx_icon.h"

namespace {

std::array<int, 4> pixel(const std::vector<uint8_t>& px, uint32_t n, uint32_t col, uint32_t row) {
    const uint8_t* p = px.data() + (static_cast<size_t>(row) * n + col) * 4;
    return {p[0], p[1], p[2], p[3]};
}

uint32_t u16_at(const std::string& s, size_t i) {
    return static_cast<uint8_t>(s[i]) | (static_cast<uint8_t>(s[i + 1]) << 8);
}
uint32_t u32_at(const std::string& s, size_t i) { return u16_at(s, i) | (u16_at(s, i + 2) << 16); }

}  // namespace

TEST(AppIcon, PixelsAtTheEdgeCases) {
    // (size, column, row) → blue, green, red, alpha.
    const struct { uint32_t n, col, row; std::array<int, 4> bgra; const char* what; } cases[] = {
        {16, 0, 0, {0, 0, 0, 0}, "corner outside the tile"},
        {16, 15, 0, {0, 0, 0, 0}, "corner outside the tile"},
        {16, 0, 15, {0, 0, 0, 0}, "corner outside the tile"},
        {16, 15, 15, {0, 0, 0, 0}, "corner outside the tile"},
        {16, 8, 4, {0, 0, 0, 255}, "inside the pill: black, tile alpha"},
        {16, 8, 2, {30, 12, 16, 255}, "pill edge with the 2.2 radius floor"},
        {24, 16, 6, {76, 35, 25, 255}, "the dot from 24 on"},
        {23, 16, 6, {0, 0, 0, 255}, "no dot below 24"},
        {32, 2, 2, {254, 103, 136, 37}, "antialiased corner"},
        {256, 128, 250, {250, 121, 53, 255}, "blue bottom"},
        {256, 128, 0, {254, 102, 152, 127}, "violet top edge, half covered"},
        {256, 128, 255, {249, 122, 51, 127}, "bottom edge, half covered"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> px = render_app_icon(c.n);
        ASSERT_EQ(px.size(), size_t{c.n} * c.n * 4);
        EXPECT_EQ(pixel(px, c.n, c.col, c.row), c.bgra) << c.n << " (" << c.col << ", " << c.row << "): " << c.what;
    }
    EXPECT_TRUE(render_app_icon(0).empty());
}

TEST(AppIcon, IcoLayout) {
    std::vector<std::pair<uint32_t, std::string>> images;
    for (size_t i = 0; i < kAppIconSizes.size(); ++i)
        images.emplace_back(kAppIconSizes[i], std::string(10 + i, static_cast<char>('a' + i)));
    std::string ico = build_ico(images);

    EXPECT_EQ(ico.substr(0, 6), std::string("\x00\x00\x01\x00\x09\x00", 6));
    size_t offset = 150;  // 6 + 16 × 9
    for (size_t i = 0; i < 9; ++i) {
        const size_t e = 6 + 16 * i;
        const uint32_t side = kAppIconSizes[i] == 256 ? 0 : kAppIconSizes[i];
        EXPECT_EQ(static_cast<uint8_t>(ico[e]), side) << i;
        EXPECT_EQ(static_cast<uint8_t>(ico[e + 1]), side) << i;
        EXPECT_EQ(ico[e + 2], 0);
        EXPECT_EQ(ico[e + 3], 0);
        EXPECT_EQ(u16_at(ico, e + 4), 1u);   // planes
        EXPECT_EQ(u16_at(ico, e + 6), 32u);  // bits
        EXPECT_EQ(u32_at(ico, e + 8), images[i].second.size());
        EXPECT_EQ(u32_at(ico, e + 12), offset);
        EXPECT_EQ(ico.substr(offset, images[i].second.size()), images[i].second);
        offset += images[i].second.size();
    }
    EXPECT_EQ(ico.size(), offset);  // back to back, nothing after

    // Skipped sizes are not counted.
    std::string two = build_ico({{16, "x"}, {256, "yz"}});
    EXPECT_EQ(u16_at(two, 4), 2u);
    EXPECT_EQ(u32_at(two, 6 + 12), 38u);
    EXPECT_EQ(u32_at(two, 22 + 12), 39u);
    EXPECT_EQ(two.substr(38), "xyz");
}
