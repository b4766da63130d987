// The application icon: a rounded violet-to-blue tile carrying a black pill
// (the island) with a dim-blue dot, painted per pixel from signed distances.
#include "gfx_icon.h"

#include <algorithm>
#include <cmath>

#include "sys_image.h"

namespace {

float clamp_unit(float v) { return std::clamp(v, 0.0f, 1.0f); }

// Signed distance of (qx, qy) to a box corner region, as for rounded boxes.
float box_distance(float qx, float qy) {
    float mx = std::max(qx, 0.0f), my = std::max(qy, 0.0f);
    return std::min(std::max(qx, qy), 0.0f) + std::sqrt(mx * mx + my * my);
}

uint8_t channel(float v) { return static_cast<uint8_t>(clamp_unit(v) * 255.0f); }

void put_u16(std::string& out, uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void put_u32(std::string& out, uint32_t v) {
    put_u16(out, v & 0xFFFF);
    put_u16(out, v >> 16);
}

}  // namespace

std::vector<uint8_t> render_app_icon(uint32_t size) {
    uint64_t bytes = 0;
    if (size == 0 || !image_byte_size(size, size, bytes)) return {};
    std::vector<uint8_t> px(static_cast<size_t>(bytes), 0);
    const float a = static_cast<float>(size);
    const float half = a / 2.0f;
    const float R = 0.24f * a;
    const float k = a / 2.0f - 0.5f - R;
    const float P = std::max(0.105f * a, 2.2f);
    const float pill_y = 0.27f * a;
    const float pill_reach = 0.3f * a - P;
    const bool dot = size >= 24;
    const float dot_r = 0.04f * a, dot_x = 0.7f * a;

    for (uint32_t row = 0; row < size; ++row) {
        const float y = static_cast<float>(row) + 0.5f;
        for (uint32_t col = 0; col < size; ++col) {
            const float x = static_cast<float>(col) + 0.5f;
            const float d = box_distance(std::fabs(x - half) - k, std::fabs(y - half) - k);
            const float t = clamp_unit(R - d + 0.5f);
            if (t <= 0.0f) continue;

            const float d2 = box_distance(std::fabs(x - half) - pill_reach, std::fabs(y - pill_y));
            const float u = clamp_unit(P - d2 + 0.5f);
            const float v = 1.0f - u;

            float blue = v * (1.0f + (0.98f - 1.0f) * y / a);
            float green = v * (0.4f + (0.48f - 0.4f) * y / a);
            float red = v * (0.56f - 0.4f * y / a + 0.08f * x / a);
            if (dot) {
                const float dx = x - dot_x, dy = y - pill_y;
                const float s = clamp_unit(dot_r - std::sqrt(dx * dx + dy * dy) + 0.5f);
                blue += 0.3f * s;
                green += 0.14f * s;
                red += 0.1f * s;
            }
            uint8_t* p = px.data() + (static_cast<size_t>(row) * size + col) * 4;
            p[0] = channel(blue);
            p[1] = channel(green);
            p[2] = channel(red);
            p[3] = static_cast<uint8_t>(std::clamp(t * 255.0f, 0.0f, 255.0f));
        }
    }
    return px;
}

std::string build_ico(const std::vector<std::pair<uint32_t, std::string>>& images) {
    std::string out;
    put_u16(out, 0);
    put_u16(out, 1);
    put_u16(out, static_cast<uint32_t>(images.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (const auto& [size, png] : images) {
        const char side = static_cast<char>(size >= 256 ? 0 : size);
        out.push_back(side);
        out.push_back(side);
        out.push_back(0);  // colour count
        out.push_back(0);  // reserved
        put_u16(out, 1);   // planes
        put_u16(out, 32);  // bits per pixel
        put_u32(out, static_cast<uint32_t>(png.size()));
        put_u32(out, offset);
        offset += static_cast<uint32_t>(png.size());
    }
    for (const auto& image : images) out += image.second;
    return out;
}
