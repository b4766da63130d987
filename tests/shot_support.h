// Pictures of the island for the Windows tests: the renderer's pixels at the
// tests' scale, how much ink a box holds, and PNG files in "island_shots"
// beside the test program. Include only from *_wintest.cpp.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gfx.h"
#include "sys_image.h"
#include "sys_os.h"
#include "test_support.h"

// The island is drawn at twice its unit size in every shot.
inline constexpr float kShotScale = 2.0f;

struct Box {
    int x0, y0, x1, y1;  // pixels, end exclusive
};

// Island units to a pixel box, clipped to the bitmap.
inline Box pixel_box(const Renderer& r, float x, float y, float w, float h) {
    auto px = [&](float v, int limit) { return std::clamp(static_cast<int>(std::lround(v * kShotScale)), 0, limit); };
    return {px(x, r.pixel_width()), px(y, r.pixel_height()), px(x + w, r.pixel_width()), px(y + h, r.pixel_height())};
}

// One premultiplied BGRA pixel.
inline const uint8_t* pixel_at(const Renderer& r, int x, int y) {
    return r.pixels() + (static_cast<size_t>(y) * r.pixel_width() + x) * 4;
}

// Pixels whose brightest channel rises above `above`: ink on the black pill.
inline int ink(const Renderer& r, const Box& b, int above = 40) {
    int n = 0;
    for (int y = b.y0; y < b.y1; ++y)
        for (int x = b.x0; x < b.x1; ++x) {
            const uint8_t* p = pixel_at(r, x, y);
            if (std::max({p[0], p[1], p[2]}) > above) ++n;
        }
    return n;
}

// island_shots/ beside the test program, inside the build tree.
inline std::string shots_dir() {
    wchar_t exe[MAX_PATH + 1];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe, n);
    return path_join(narrow(path.substr(0, path.find_last_of(L"\\/"))), "island_shots");
}

// The box as a straight-alpha PNG named `name`.png in shots_dir().
inline void save_png(const Renderer& r, const Box& b, const std::string& name) {
    const std::string dir = shots_dir();
    create_dirs(dir);
    const int w = b.x1 - b.x0, h = b.y1 - b.y0;
    std::vector<uint8_t> px;
    px.reserve(static_cast<size_t>(w) * h * 4);
    for (int y = b.y0; y < b.y1; ++y)
        for (int x = b.x0; x < b.x1; ++x) {
            const uint8_t* p = pixel_at(r, x, y);
            auto straight = [&](int c) { return static_cast<uint8_t>(p[3] ? std::min(255, c * 255 / p[3]) : 0); };
            px.insert(px.end(), {straight(p[0]), straight(p[1]), straight(p[2]), p[3]});
        }
    Status s = encode_png(path_join(dir, name + ".png"), static_cast<uint32_t>(w), static_cast<uint32_t>(h), px);
    EXPECT_TRUE(s) << name << ": " << (s ? "" : s.error().message);
}
