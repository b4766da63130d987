// The clipboard's block layouts: the file-drop list, the device-independent
// bitmap written from premultiplied pixels, and reading text blocks that
// another program may have left unterminated.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sys_clipboard.h"

namespace {

uint32_t u32_at(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t u16_at(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }

TEST(HdropBlock, HeaderThenWidePathsThenDoubleNul) {
    auto block = build_hdrop_block({"C:\\a", "D:\\bc"});
    ASSERT_EQ(block.size(), 44u);
    EXPECT_EQ(u32_at(block, 0), 20u);  // pFiles
    EXPECT_EQ(u32_at(block, 4), 0u);   // pt.x
    EXPECT_EQ(u32_at(block, 8), 0u);   // pt.y
    EXPECT_EQ(u32_at(block, 12), 0u);  // fNC
    EXPECT_EQ(u32_at(block, 16), 1u);  // fWide
    const std::u16string list(u"C:\\a\0D:\\bc\0\0", 12);
    std::u16string got;
    for (size_t at = 20; at < block.size(); at += 2) got.push_back(static_cast<char16_t>(u16_at(block, at)));
    EXPECT_EQ(got, list);
}

TEST(HdropBlock, NonAsciiPathsAreUtf16AndAnEmptyListGivesNoBlock) {
    auto block = build_hdrop_block({"C:\\Şule\\😀.txt"});
    // "C:\Şule\" (8) + surrogate pair (2) + ".txt" (4) + NUL + final NUL.
    ASSERT_EQ(block.size(), 20u + 16u * 2u);
    EXPECT_EQ(u16_at(block, 20 + 3 * 2), 0x015E);  // Ş
    EXPECT_EQ(u16_at(block, 20 + 8 * 2), 0xD83D);
    EXPECT_EQ(u16_at(block, 20 + 9 * 2), 0xDE00);
    EXPECT_TRUE(build_hdrop_block({}).empty());
}

TEST(DibBlock, PremultipliedPixelsAreWrittenOpaqueAndBottomUp) {
    // Two rows: top a half-transparent white and a clear pixel; bottom a
    // translucent red and an opaque blue.
    Image image;
    image.width = 2;
    image.height = 2;
    image.pixels = {128, 128, 128, 128, /**/ 0,   0, 0,  0,
                    0,   0,   100, 200, /**/ 255, 0, 0, 255};
    auto block = build_dib_block(image);
    ASSERT_EQ(block.size(), 40u + 16u);
    EXPECT_EQ(u32_at(block, 0), 40u);        // biSize
    EXPECT_EQ(u32_at(block, 4), 2u);         // biWidth
    EXPECT_EQ(u32_at(block, 8), 2u);         // positive height: bottom-up
    EXPECT_EQ(u16_at(block, 12), 1u);        // planes
    EXPECT_EQ(u16_at(block, 14), 32u);       // bits per pixel
    EXPECT_EQ(u32_at(block, 16), 0u);        // BI_RGB
    EXPECT_EQ(u32_at(block, 20), 16u);       // image size
    for (size_t at = 24; at < 40; at += 4) EXPECT_EQ(u32_at(block, at), 0u) << at;

    const std::vector<uint8_t> rows(block.begin() + 40, block.end());
    const std::vector<uint8_t> expected = {
        0,   0,   127, 255, /**/ 255, 0,   0,   255,  // last image row first; 100 / (200/255) = 127.5 -> 127
        255, 255, 255, 255, /**/ 0,   0,   0,   255,  // white at half alpha -> opaque white; clear -> black
    };
    EXPECT_EQ(rows, expected);
}

TEST(DibBlock, ImpossibleImagesGiveNoBlock) {
    Image empty;
    EXPECT_TRUE(build_dib_block(empty).empty());
    Image short_pixels;
    short_pixels.width = 4;
    short_pixels.height = 4;
    short_pixels.pixels.assign(4 * 4 * 4 - 1, 255);
    EXPECT_TRUE(build_dib_block(short_pixels).empty()) << "never reads past the pixels";
    Image over_capped;
    over_capped.width = 1;
    over_capped.height = 1;
    over_capped.pixels = {250, 10, 0, 20};  // not validly premultiplied: the cap holds
    auto block = build_dib_block(over_capped);
    ASSERT_EQ(block.size(), 44u);
    EXPECT_EQ(block[40], 255);
    EXPECT_EQ(block[41], 127);
    EXPECT_EQ(block[42], 0);
}

TEST(ClipboardText, ReadStopsAtNulAtTheBlockEndOrAt20000Units) {
    const std::u16string terminated(u"Merhaba dünya\0tail", 18);
    EXPECT_EQ(clipboard_text_from_units(terminated.data(), terminated.size()), "Merhaba dünya");

    // Unterminated: the scan ends with the block; the unit after it is not text.
    std::vector<char16_t> unterminated = {u'ç', u'a', u'y', u'X'};
    EXPECT_EQ(clipboard_text_from_units(unterminated.data(), 3), "çay");

    std::u16string long_text(30000, u'a');
    EXPECT_EQ(clipboard_text_from_units(long_text.c_str(), long_text.size() + 1), std::string(20000, 'a'));

    const char16_t lone[] = {u'x', 0xD800, u'y', 0};
    EXPECT_EQ(clipboard_text_from_units(lone, 4), "x\xEF\xBF\xBDy") << "an unpaired surrogate reads as U+FFFD";
    EXPECT_EQ(clipboard_text_from_units(nullptr, 10), "");
}

}  // namespace
