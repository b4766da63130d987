// The renderer's portable arithmetic (see gfx_geom.h).
#include "gfx_geom.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "sys_num.h"
#include "sys_text.h"

// ---- Canvas size ----------------------------------------------------------------------------

PixelSize canvas_pixels(float scale) {
    return {sat_i32(std::round(kCanvasWidth * scale)), sat_i32(std::round(kCanvasHeight * scale))};
}

// ---- Shared rules of the primitives -----------------------------------------------------------

std::optional<Color> brush_color(const Color& c, float global_alpha) {
    float a = c.a * global_alpha;
    if (!(a > kAlphaFloor)) return std::nullopt;
    return Color{c.r, c.g, c.b, std::min(1.0f, a)};
}

float outline_radius(float r, float w, float h) { return std::min({r, w / 2, h / 2}); }

float fill_radius(float r, float w, float h) { return std::max(0.0f, outline_radius(r, w, h)); }

float clamp01(float v) {
    if (!(v > 0)) return 0;
    return v < 1 ? v : 1;
}

int dwrite_text_alignment(TextAlign a) {
    switch (a) {
        case TextAlign::Center: return 2;
        case TextAlign::Right: return 1;
        default: return 0;
    }
}

// ---- Shapes -----------------------------------------------------------------------------------

std::vector<ShadowLayer> shadow_layers(const RectF& r, float radius, float strength, float global_alpha) {
    std::vector<ShadowLayer> out;
    if (!(strength > 0.01f)) return out;
    for (int i = 0; i < 7; ++i) {
        float alpha = strength * 0.05f * (1.0f - static_cast<float>(i) / 7.0f) * global_alpha;
        if (!(alpha > kAlphaFloor)) continue;
        float c = 1.0f + 2.2f * static_cast<float>(i);
        RectF layer{r.x - c, r.y - c / 2, r.w + 2 * c, r.h + 2 * c};
        if (!(layer.w > 0) || !(layer.h > 0)) continue;
        out.push_back({layer, fill_radius(radius + c, layer.w, layer.h), std::min(1.0f, alpha)});
    }
    return out;
}

ArcPath arc_path(float cx, float cy, float r, float start, float sweep) {
    ArcPath path;
    if (!(sweep > 0.0005f)) return path;
    if (sweep >= 0.9995f) {
        if (r > 0) path.kind = ArcPath::Ring;
        return path;
    }
    constexpr float kTurn = 6.2831855f;
    float a0 = (start - 0.25f) * kTurn;
    float a1 = (start + sweep - 0.25f) * kTurn;
    int n = std::max(1, static_cast<int>(std::ceil(sweep * 4.0f - 1e-5f)));
    float step = (a1 - a0) / static_cast<float>(n);
    // Control-arm length of a cubic that matches a circular arc of angle step.
    float k = 4.0f / 3.0f * std::tan(step / 4.0f) * r;
    path.kind = ArcPath::Open;
    path.start = {cx + r * std::cos(a0), cy + r * std::sin(a0)};
    float a = a0;
    for (int i = 0; i < n; ++i) {
        float b = (i + 1 == n) ? a1 : a0 + step * static_cast<float>(i + 1);
        float ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
        PointF p0{cx + r * ca, cy + r * sa};
        PointF p3{cx + r * cb, cy + r * sb};
        path.segments.push_back({{p0.x - k * sa, p0.y + k * ca}, {p3.x + k * sb, p3.y - k * cb}, p3});
        a = b;
    }
    return path;
}

std::vector<PointF> chart_points(const RectF& r, const std::vector<float>& values, float maximum, uint32_t slots) {
    std::vector<PointF> out;
    size_t n = values.size();
    if (n < 2) return out;
    float step = r.w / (static_cast<float>(std::max<uint32_t>(slots, 2)) - 1.0f);
    float top = std::max(maximum, 0.000001f);
    out.reserve(n);
    for (size_t k = 0; k < n; ++k) {
        float x = r.x + r.w - static_cast<float>(n - 1 - k) * step;
        float y = r.y + r.h - clamp01(values[k] / top) * r.h;
        out.push_back({x, y});
    }
    return out;
}

CoverFit cover_fit(const RectF& r, uint32_t image_width, uint32_t image_height) {
    float iw = static_cast<float>(image_width), ih = static_cast<float>(image_height);
    float s = std::max(r.w / iw, r.h / ih);
    return {s, r.x + (r.w - s * iw) / 2, r.y + (r.h - s * ih) / 2};
}

std::optional<size_t> pixel_bytes(uint32_t width, uint32_t height) {
    uint64_t n = 0;
    if (!image_byte_size(width, height, n)) return std::nullopt;
    return static_cast<size_t>(n);
}

// ---- Fixed text metrics --------------------------------------------------------------------------

float fixed_text_width(std::string_view text, float size, FontFamily family) {
    float per = family == FontFamily::Icons ? 1.0f : kFixedCharWidth;
    return static_cast<float>(char_count(text)) * size * per;
}

float fixed_wrapped_height(std::string_view text, float width, float size) {
    float line = static_cast<float>(char_count(text)) * size * kFixedCharWidth;
    float lines = std::max(1.0f, std::ceil(line / std::max(width, 10.0f)));
    return lines * size * kFixedLineHeight;
}

// ---- Hashes and cache keys ----------------------------------------------------------------------

namespace {

inline uint64_t rotl(uint64_t x, int b) { return (x << b) | (x >> (64 - b)); }

struct SipState {
    uint64_t v0 = 0x736f6d6570736575ull, v1 = 0x646f72616e646f6dull;
    uint64_t v2 = 0x6c7967656e657261ull, v3 = 0x7465646279746573ull;
    void round() {
        v0 += v1; v1 = rotl(v1, 13); v1 ^= v0; v0 = rotl(v0, 32);
        v2 += v3; v3 = rotl(v3, 16); v3 ^= v2;
        v0 += v3; v3 = rotl(v3, 21); v3 ^= v0;
        v2 += v1; v1 = rotl(v1, 17); v1 ^= v2; v2 = rotl(v2, 32);
    }
    void absorb(uint64_t m) {
        v3 ^= m;
        round();
        v0 ^= m;
    }
};

// Feeds bytes to SipHash-1-3 in 8-byte little-endian words.
class SipHasher13 {
public:
    void write(std::string_view bytes) {
        for (unsigned char b : bytes) push(b);
    }
    void push(unsigned char b) {
        tail_ |= uint64_t{b} << (8 * fill_);
        ++length_;
        if (++fill_ == 8) {
            s_.absorb(tail_);
            tail_ = 0;
            fill_ = 0;
        }
    }
    uint64_t finish() {
        s_.absorb(tail_ | (length_ << 56));
        s_.v2 ^= 0xff;
        for (int i = 0; i < 3; ++i) s_.round();
        return s_.v0 ^ s_.v1 ^ s_.v2 ^ s_.v3;
    }

private:
    SipState s_;
    uint64_t tail_ = 0, length_ = 0;
    int fill_ = 0;
};

inline size_t mix(size_t h, uint64_t v) {
    h ^= static_cast<size_t>(v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2));
    return h;
}

}  // namespace

uint64_t siphash13(std::string_view bytes) {
    SipHasher13 h;
    h.write(bytes);
    return h.finish();
}

uint64_t text_hash(std::string_view text) {
    SipHasher13 h;
    h.write(text);
    h.push(0xFF);
    return h.finish();
}

uint64_t fnv1a64(std::string_view bytes) {
    uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char b : bytes) {
        h ^= b;
        h *= 0x100000001b3ull;
    }
    return h;
}

uint32_t key_u32(float v) { return sat_u32(v); }

LabelKey label_key(float size, float weight, FontFamily family, TextAlign align) {
    return {key_u32(size * 100.0f), key_u32(weight), family, align};
}

TextKey text_key(float size, float weight) { return {key_u32(size * 100.0f), key_u32(weight)}; }

WrapKey wrap_key(std::string_view text, float width, float size, float weight) {
    return {text_hash(text), key_u32(width * 10.0f), key_u32(size * 10.0f), key_u32(weight)};
}

size_t GfxKeyHash::operator()(const LabelKey& k) const {
    return mix(mix(k.size100, k.weight), (uint64_t{static_cast<uint8_t>(k.family)} << 8) | static_cast<uint8_t>(k.align));
}
size_t GfxKeyHash::operator()(const TextKey& k) const { return mix(k.size100, k.weight); }
size_t GfxKeyHash::operator()(const WrapKey& k) const {
    return mix(mix(mix(static_cast<size_t>(k.hash), k.width10), k.size10), k.weight);
}

// ---- Renderer: the glyph primitive ------------------------------------------------------------

void Renderer::draw_glyph(char32_t code_point, float cx, float cy, float size, const Color& c) {
    if (code_point > 0x10FFFF || (code_point >= 0xD800 && code_point <= 0xDFFF)) return;
    if (draw_glyph_picture(code_point, cx, cy, size, c)) return;
    std::string text;
    append_utf8(text, code_point);
    draw_text(text, glyph_box(cx, cy, size), size, FontFamily::Icons, 400, c, TextAlign::Center);
}
