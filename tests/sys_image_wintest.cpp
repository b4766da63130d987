// The image services over WIC, GDI and the screen, under Wine.
#include <string>
#include <vector>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "sys_image.h"
#include "sys_os.h"
#include "sys_win.h"
#include "test_support.h"

namespace {

// A w × h straight-alpha BGRA picture: left half opaque blue, right half red at alpha 128.
std::vector<uint8_t> two_halves(uint32_t w, uint32_t h) {
    std::vector<uint8_t> px;
    px.reserve(size_t{w} * h * 4);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            if (x < w / 2)
                px.insert(px.end(), {255, 0, 0, 255});
            else
                px.insert(px.end(), {0, 0, 255, 128});
        }
    return px;
}

struct ImageWin : ::testing::Test {
    ComInit com;
    std::string dir = test_temp_dir();

    std::string png(uint32_t w, uint32_t h) {
        std::string path = path_join(dir, fmt::format("p{}x{}.png", w, h));
        Status s = encode_png(path, w, h, two_halves(w, h));
        EXPECT_TRUE(s) << (s ? "" : s.error().message);
        auto bytes = read_file(path);
        return bytes ? *bytes : std::string();
    }
};

}  // namespace

TEST_F(ImageWin, DecodesToTargetSizesAndNeverEnlarges) {
    std::string bytes = png(1000, 500);
    ASSERT_GT(bytes.size(), 8u);
    const struct { std::vector<uint32_t> sizes; std::vector<std::pair<uint32_t, uint32_t>> want; } cases[] = {
        {{200}, {{200, 100}}},
        {{2000}, {{1000, 500}}},
        {{64, 2000}, {{64, 32}, {1000, 500}}},
        {{0}, {{1, 1}}},
    };
    for (const auto& c : cases) {
        auto images = decode_image(bytes, c.sizes);
        ASSERT_TRUE(images);
        ASSERT_EQ(images->size(), c.want.size());
        for (size_t i = 0; i < c.want.size(); ++i) {
            EXPECT_EQ((*images)[i].width, c.want[i].first);
            EXPECT_EQ((*images)[i].height, c.want[i].second);
            EXPECT_EQ((*images)[i].pixels.size(), size_t{c.want[i].first} * c.want[i].second * 4);
        }
    }
    // Pixels come back premultiplied: red at alpha 128 reads (0, 0, 128, 128).
    auto full = decode_image(bytes, {1000});
    ASSERT_TRUE(full);
    const uint8_t* p = (*full)[0].pixels.data() + (10u * 1000 + 900) * 4;
    EXPECT_EQ(p[3], 128);
    EXPECT_NEAR(p[2], 128, 1);
    EXPECT_EQ(p[0], 0);
    const uint8_t* q = (*full)[0].pixels.data() + (10u * 1000 + 100) * 4;
    EXPECT_EQ(q[0], 255);
    EXPECT_EQ(q[3], 255);

    auto thin = decode_image(png(3, 1), {1});
    ASSERT_TRUE(thin);
    EXPECT_EQ((*thin)[0].width, 1u);
    EXPECT_EQ((*thin)[0].height, 1u);
}

TEST_F(ImageWin, CorruptOrTruncatedBytesAreNothing) {
    std::string bytes = png(64, 64);
    ASSERT_GT(bytes.size(), 100u);
    EXPECT_FALSE(decode_image("", {32}));
    EXPECT_FALSE(decode_image("not an image at all, just words", {32}));
    EXPECT_FALSE(decode_image(bytes.substr(0, bytes.size() / 2), {32}));
    EXPECT_FALSE(decode_image(bytes.substr(0, 20), {32}));
    std::string scrambled = bytes;
    for (size_t i = 40; i < scrambled.size(); i += 7) scrambled[i] = static_cast<char>(scrambled[i] ^ 0x5A);
    auto broken = decode_image(scrambled, {32});  // CRC damage: an error or a picture, never a crash
    if (broken) {
        EXPECT_EQ(broken->size(), 1u);
    }
}

TEST_F(ImageWin, EncodeRejectsMismatchedBuffersAndReportsWriteErrors) {
    std::vector<uint8_t> px(4 * 4 * 4, 255);
    EXPECT_TRUE(encode_png(path_join(dir, "ok.png"), 4, 4, px));
    Status short_buffer = encode_png(path_join(dir, "short.png"), 4, 5, px);
    EXPECT_FALSE(short_buffer);
    EXPECT_FALSE(encode_png(path_join(dir, "huge.png"), 0xFFFFFFFFu, 0xFFFFFFFFu, px));
    Status no_folder = encode_png(path_join(path_join(dir, "missing"), "x.png"), 4, 4, px);
    ASSERT_FALSE(no_folder);
    EXPECT_NE(no_folder.error().hresult, 0);
    EXPECT_NE(no_folder.error().message.find("InitializeFromFilename"), std::string::npos);
}

TEST_F(ImageWin, BitmapsWithoutAlphaBecomeOpaque) {
    for (uint8_t alpha : {uint8_t{0}, uint8_t{77}}) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = 4;
        bi.bmiHeader.biHeight = -3;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        UniqueGdi<HBITMAP> bmp(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        ASSERT_TRUE(bmp.get());
        auto* p = static_cast<uint8_t*>(bits);
        for (int i = 0; i < 12; ++i) {
            p[i * 4] = 10;
            p[i * 4 + 1] = 20;
            p[i * 4 + 2] = 30;
            p[i * 4 + 3] = (i == 5) ? alpha : 0;
        }
        auto image = wic_from_hbitmap(bmp.get());
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, 4u);
        EXPECT_EQ(image->height, 3u);
        EXPECT_EQ(image->pixels[3], alpha == 0 ? 255 : 0) << int(alpha);
        EXPECT_EQ(image->pixels[5 * 4 + 3], alpha == 0 ? 255 : alpha);
    }
    EXPECT_FALSE(wic_from_hbitmap(nullptr));
}

TEST_F(ImageWin, ScreenCaptureHalvesWideRectangles) {
    const struct { int32_t l, t, r, b; bool some; uint32_t w, h; } cases[] = {
        {0, 0, 1600, 900, true, 1600, 900},
        {0, 0, 1920, 1080, true, 960, 540},
        {0, 0, 3201, 1001, true, 1600, 500},
        {10, 10, 10, 500, false, 0, 0},
        {100, 100, 50, 200, false, 0, 0},
    };
    for (const auto& c : cases) {
        auto bytes = capture_screen(c.l, c.t, c.r, c.b);
        ASSERT_EQ(bytes.has_value(), c.some) << c.r - c.l << "x" << c.b - c.t;
        if (!bytes) continue;
        auto images = decode_image(*bytes, {100000});
        ASSERT_TRUE(images);
        EXPECT_EQ((*images)[0].width, c.w);
        EXPECT_EQ((*images)[0].height, c.h);
        EXPECT_EQ((*images)[0].pixels[3], 255);
    }
}

TEST_F(ImageWin, ShellThumbnailOfNothingIsNothing) {
    EXPECT_EQ(shell_thumbnail(path_join(dir, "no such file.txt"), 64, 64, true), nullptr);
    EXPECT_EQ(shell_thumbnail(dir, 0, 0, true), nullptr);
}
