// Portable pixel arithmetic of the image services: decode sizes, shrinking,
// halving and the alpha repair.
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "sys_image.h"

namespace {

// A picture whose pixel (x, y) has the bytes (x, y, x + y, 200 + x), for checking box sums.
Image ramp(uint32_t w, uint32_t h) {
    Image im;
    im.width = w;
    im.height = h;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            im.pixels.insert(im.pixels.end(), {static_cast<uint8_t>(x), static_cast<uint8_t>(y),
                                               static_cast<uint8_t>(x + y), static_cast<uint8_t>(200 + x)});
    return im;
}

}  // namespace

TEST(ImageSizes, DecodeNeverEnlarges) {
    const struct { uint32_t w, h, side, ow, oh; } cases[] = {
        {1000, 500, 200, 200, 100},
        {1000, 500, 2000, 1000, 500},
        {1000, 500, 1000, 1000, 500},
        {1000, 500, 64, 64, 32},
        {500, 1000, 64, 32, 64},
        {3, 1, 1, 1, 1},        // the height comes out as 0 and is raised to 1
        {1000, 500, 0, 1, 1},   // a target of 0 gives one pixel
        {999, 333, 100, 100, 33},
    };
    for (const auto& c : cases) {
        ImageSize s = decode_target_size(c.w, c.h, c.side);
        EXPECT_EQ(s.width, c.ow) << c.w << "x" << c.h << " to " << c.side;
        EXPECT_EQ(s.height, c.oh) << c.w << "x" << c.h << " to " << c.side;
    }
}

TEST(ShrinkImage, AveragesBoxesPerByte) {
    // 4 × 2 to side 2: 2 × 1, each pixel the mean of a 2 × 2 block, truncated.
    Image in = ramp(4, 2);
    Image out = shrink_image(in.pixels, 4, 2, 2);
    ASSERT_EQ(out.width, 2u);
    ASSERT_EQ(out.height, 1u);
    // Block 0: x ∈ {0, 1}, y ∈ {0, 1}: bytes (0.5, 0.5, 1, 200.5) → (0, 0, 1, 200).
    EXPECT_EQ(out.pixels, (std::vector<uint8_t>{0, 0, 1, 200, 2, 0, 3, 202}));

    // Small enough already: the same bytes back.
    for (uint32_t side : {4u, 5u, 4000u}) {
        Image same = shrink_image(in.pixels, 4, 2, side);
        EXPECT_EQ(same.width, 4u);
        EXPECT_EQ(same.pixels, in.pixels);
    }
}

TEST(ShrinkImage, UnevenRatiosStayInsideThePicture) {
    // 1000 × 3 to 7: boxes of about 143 columns over all three rows.
    Image in = ramp(1000, 3);
    Image out = shrink_image(in.pixels, 1000, 3, 7);
    ASSERT_EQ(out.width, 7u);
    ASSERT_EQ(out.height, 1u);
    // Byte 1 is the row: its mean over all three rows is 1 everywhere.
    for (uint32_t x = 0; x < 7; ++x) EXPECT_EQ(out.pixels[x * 4 + 1], 1) << x;
    // Byte 0 is x mod 256: the first box averages columns 0..141.
    EXPECT_EQ(out.pixels[0], 70);
}

TEST(ShrinkImage, RefusesWhatWouldFaultAndNeverDividesByZero) {
    Image in = ramp(6, 4);
    // A side of 0 shrinks to one pixel (no division by zero).
    Image dot = shrink_image(in.pixels, 6, 4, 0);
    ASSERT_EQ(dot.width, 1u);
    ASSERT_EQ(dot.height, 1u);
    EXPECT_EQ(dot.pixels[1], 1);  // mean of y over 0..3 = 1.5
    // A buffer shorter than its stated size is not read past its end.
    std::vector<uint8_t> short_buffer(in.pixels.begin(), in.pixels.end() - 4);
    Image none = shrink_image(short_buffer, 6, 4, 2);
    EXPECT_EQ(none.width, 0u);
    EXPECT_TRUE(none.pixels.empty());
    // A size whose bytes cannot exist is refused before any allocation.
    Image huge = shrink_image(in.pixels, 0xFFFFFFFFu, 0xFFFFFFFFu, 2);
    EXPECT_EQ(huge.width, 0u);

    Image copy = dib_to_rgba(in, 3);
    EXPECT_EQ(copy.width, 3u);
    EXPECT_EQ(copy.height, 2u);
}

TEST(HalveImage, TwoByTwoMeansDropTheOddEdge) {
    Image in = ramp(5, 3);
    Image out = halve_image(in);
    ASSERT_EQ(out.width, 2u);
    ASSERT_EQ(out.height, 1u);
    // Block (2..3, 0..1): x mean 2.5, y mean 0.5, x + y mean 3, alpha mean 202.5.
    EXPECT_EQ(out.pixels, (std::vector<uint8_t>{0, 0, 1, 200, 2, 0, 3, 202}));

    Image wide;
    wide.width = 3201;
    wide.height = 1001;
    wide.pixels.assign(size_t{3201} * 1001 * 4, 7);
    Image half = halve_image(wide);
    EXPECT_EQ(half.width, 1600u);
    EXPECT_EQ(half.height, 500u);
    EXPECT_EQ(half.pixels.size(), size_t{1600} * 500 * 4);
}

// A shell picture with no colour at all is treated as no picture; any colour,
// even in one channel of one pixel, is a picture.
TEST(PixelsAllBlack, OnlyColourlessPixels) {
    struct Case {
        std::vector<uint8_t> pixels;
        bool blank;
    };
    const Case cases[] = {
        {{0, 0, 0, 0, 0, 0, 0, 0}, true},
        {{0, 0, 0, 255, 0, 0, 0, 255}, true},  // after the alpha repair
        {{}, true},
        {{0, 0, 0, 255, 0, 0, 1, 255}, false},
        {{0, 9, 0, 0}, false},
    };
    for (const auto& c : cases) EXPECT_EQ(pixels_all_black(c.pixels), c.blank);
}

TEST(RepairAlpha, OnlyAllZeroAlphaBecomesOpaque) {
    std::vector<uint8_t> none{1, 2, 3, 0, 4, 5, 6, 0};
    repair_alpha(none);
    EXPECT_EQ(none, (std::vector<uint8_t>{1, 2, 3, 255, 4, 5, 6, 255}));
    std::vector<uint8_t> some{1, 2, 3, 0, 4, 5, 6, 9};
    repair_alpha(some);
    EXPECT_EQ(some, (std::vector<uint8_t>{1, 2, 3, 0, 4, 5, 6, 9}));
}
