// The drawing vocabulary below every other module's: rectangles in island
// units and in whole pixels, and colours.
#pragma once
#include <cstdint>

// x, y, width and height in island units.
struct RectF {
    float x = 0, y = 0, w = 0, h = 0;
    bool contains(float px, float py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};

// Red, green, blue and alpha from 0 to 1, not premultiplied.
struct Color {
    float r = 0, g = 0, b = 0, a = 1;
};
// 8-bit channels and an alpha 0..1.
constexpr Color rgb(int r, int g, int b, float a = 1.0f) {
    return Color{r / 255.0f, g / 255.0f, b / 255.0f, a};
}

// A rectangle in whole pixels (monitors, dirty areas).
struct RectI {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool empty() const { return right <= left || bottom <= top; }
    bool operator==(const RectI& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};
