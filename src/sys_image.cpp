// Portable pixel arithmetic of the image services (see sys_image.h).
#include "sys_image.h"

#include <algorithm>
#include <cmath>

namespace {

uint32_t scaled_side(uint32_t side, float f) {
    float v = std::round(static_cast<float>(side) * f);
    return v < 1.0f ? 1u : static_cast<uint32_t>(v);
}

// The first source index of output index i and the end of its box, within [0, limit).
void box_span(uint32_t i, float f, uint32_t limit, uint32_t& begin, uint32_t& end) {
    // Rounding of i / f can land on the limit itself; keep the box inside the picture.
    double b = std::trunc(static_cast<double>(static_cast<float>(i) / f));
    begin = b >= limit ? limit - 1 : static_cast<uint32_t>(b);
    double e = std::trunc(static_cast<double>(static_cast<float>(i + 1) / f));
    uint32_t e32 = e >= limit ? limit : static_cast<uint32_t>(e);
    end = std::max(begin + 1, e32);
}

}  // namespace

ImageSize decode_target_size(uint32_t width, uint32_t height, uint32_t longest_side) {
    uint32_t m = std::max(width, height);
    if (longest_side >= m) return {width, height};
    float f = static_cast<float>(longest_side) / static_cast<float>(m);
    return {scaled_side(width, f), scaled_side(height, f)};
}

Image shrink_image(const std::vector<uint8_t>& pixels, uint32_t width, uint32_t height, uint32_t max_side) {
    uint64_t need = 0;
    if (!image_byte_size(width, height, need) || pixels.size() < need) return Image{};
    uint32_t m = std::max(width, height);
    if (max_side >= m) return Image{pixels, width, height};
    // A side of 0 would divide by zero below; it means "as small as possible".
    float f = static_cast<float>(std::max<uint32_t>(max_side, 1)) / static_cast<float>(m);
    uint32_t nw = std::max<uint32_t>(1, static_cast<uint32_t>(static_cast<float>(width) * f));
    uint32_t nh = std::max<uint32_t>(1, static_cast<uint32_t>(static_cast<float>(height) * f));

    Image out;
    out.width = nw;
    out.height = nh;
    out.pixels.resize(static_cast<size_t>(nw) * nh * 4);
    std::vector<uint32_t> x0(nw), x1(nw);
    for (uint32_t x = 0; x < nw; ++x) box_span(x, f, width, x0[x], x1[x]);
    const size_t stride = static_cast<size_t>(width) * 4;
    for (uint32_t y = 0; y < nh; ++y) {
        uint32_t y0 = 0, y1 = 0;
        box_span(y, f, height, y0, y1);
        for (uint32_t x = 0; x < nw; ++x) {
            uint64_t sum[4] = {0, 0, 0, 0};
            for (uint32_t sy = y0; sy < y1; ++sy) {
                const uint8_t* p = pixels.data() + sy * stride + static_cast<size_t>(x0[x]) * 4;
                for (uint32_t sx = x0[x]; sx < x1[x]; ++sx, p += 4)
                    for (int c = 0; c < 4; ++c) sum[c] += p[c];
            }
            uint64_t count = static_cast<uint64_t>(y1 - y0) * (x1[x] - x0[x]);
            uint8_t* o = out.pixels.data() + (static_cast<size_t>(y) * nw + x) * 4;
            for (int c = 0; c < 4; ++c) o[c] = static_cast<uint8_t>(sum[c] / count);
        }
    }
    return out;
}

Image dib_to_rgba(const Image& image, uint32_t max_side) {
    return shrink_image(image.pixels, image.width, image.height, max_side);
}

Image halve_image(const Image& image) {
    uint64_t need = 0;
    if (!image_byte_size(image.width, image.height, need) || image.pixels.size() < need) return Image{};
    Image out;
    out.width = image.width / 2;
    out.height = image.height / 2;
    out.pixels.resize(static_cast<size_t>(out.width) * out.height * 4);
    const size_t stride = static_cast<size_t>(image.width) * 4;
    for (uint32_t y = 0; y < out.height; ++y) {
        const uint8_t* top = image.pixels.data() + static_cast<size_t>(2 * y) * stride;
        const uint8_t* bottom = top + stride;
        uint8_t* o = out.pixels.data() + static_cast<size_t>(y) * out.width * 4;
        for (uint32_t x = 0; x < out.width; ++x, top += 8, bottom += 8, o += 4)
            for (int c = 0; c < 4; ++c)
                o[c] = static_cast<uint8_t>((unsigned{top[c]} + top[c + 4] + bottom[c] + bottom[c + 4]) >> 2);
    }
    return out;
}

bool pixels_all_black(const std::vector<uint8_t>& pixels) {
    size_t n = pixels.size() / 4 * 4;
    for (size_t i = 0; i < n; i += 4)
        if (pixels[i] != 0 || pixels[i + 1] != 0 || pixels[i + 2] != 0) return false;
    return true;
}

void repair_alpha(std::vector<uint8_t>& pixels) {
    size_t n = pixels.size() / 4 * 4;
    for (size_t i = 3; i < n; i += 4)
        if (pixels[i] != 0) return;
    for (size_t i = 3; i < n; i += 4) pixels[i] = 255;
}
