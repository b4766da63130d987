// The renderer's portable arithmetic: the alpha and radius rules, shadow
// layers, arcs as cubic Béziers, chart points, cover fit, the fixed text
// metrics of the renderers without fonts, the cache keys and the bounded
// cache. Both renderers use it, so the recording renderer draws exactly what
// the Direct2D one would.
//
// Index
//   Canvas size
//   Shared rules of the primitives
//   Shapes: shadow layers, arcs, chart points, cover fit, glyph box
//   Fixed text metrics
//   Hashes and cache keys
//   BoundedCache
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "gfx.h"

// ---- Canvas size ----------------------------------------------------------------------------

constexpr float kCanvasWidth = 900.0f;
constexpr float kCanvasHeight = 470.0f;
// The point about which the island scales: the top centre of the pill (450, 8).
constexpr float kIslandCentreX = kCanvasWidth / 2;
constexpr float kIslandTop = 8.0f;

struct PixelSize {
    int32_t width = 0, height = 0;
};
// round(900 × scale) by round(470 × scale), saturated into 32 bits (NaN gives 0).
PixelSize canvas_pixels(float scale);

// ---- Shared rules of the primitives -----------------------------------------------------------

// Items at or below this effective alpha are not drawn.
constexpr float kAlphaFloor = 0.002f;

// The brush colour after the alpha rule: alpha × global alpha, capped at 1;
// nothing when it is not above the floor.
std::optional<Color> brush_color(const Color& c, float global_alpha);
// min(r, w / 2, h / 2) — outlines.
float outline_radius(float r, float w, float h);
// The same, never below 0 — fills and shadows.
float fill_radius(float r, float w, float h);
// clamp(v, 0, 1) with NaN as 0.
float clamp01(float v);
// DirectWrite's alignment value for a TextAlign: leading 0, centre 2, trailing 1.
int dwrite_text_alignment(TextAlign a);

// ---- Shapes -----------------------------------------------------------------------------------

struct ShadowLayer {
    RectF rect;
    float radius = 0;
    float alpha = 0;  // black at this alpha (global alpha included, at most 1)
};
// The seven stacked black rounded rectangles of the soft shadow (skipped layers left out).
std::vector<ShadowLayer> shadow_layers(const RectF& r, float radius, float strength, float global_alpha);

struct CubicSegment {
    PointF c1, c2, end;
};
struct ArcPath {
    enum Kind : uint8_t { Nothing, Ring, Open } kind = Nothing;
    PointF start;
    std::vector<CubicSegment> segments;  // each at most a quarter turn
};
// start and sweep in turns clockwise from 12 o'clock. Built from Béziers
// because Wine's ID2D1GeometrySink::AddArc loses the whole figure.
ArcPath arc_path(float cx, float cy, float r, float start, float sweep);

// The points of an area chart; the newest value sits on the right edge.
std::vector<PointF> chart_points(const RectF& r, const std::vector<float>& values, float maximum, uint32_t slots);

struct CoverFit {
    float scale = 1, tx = 0, ty = 0;
};
// Scale and offset so the picture fills the rect, centred, cropped on its longer side.
CoverFit cover_fit(const RectF& r, uint32_t image_width, uint32_t image_height);

// The box a glyph is drawn in: centred on (cx, cy), 2 × size square.
inline RectF glyph_box(float cx, float cy, float size) { return {cx - size, cy - size, 2 * size, 2 * size}; }

// Bytes of width × height × 4, or nothing when it does not fit.
std::optional<size_t> pixel_bytes(uint32_t width, uint32_t height);

// ---- Fixed text metrics --------------------------------------------------------------------------

// The renderers without fonts (recording and null) measure alike: a character
// is 0.5 × size wide (an icon glyph 1 × size), a wrapped line 1.25 × size high.
constexpr float kFixedCharWidth = 0.5f;
constexpr float kFixedLineHeight = 1.25f;
// Width of one line.
float fixed_text_width(std::string_view text, float size, FontFamily family);
// Height of the text wrapped at max(width, 10): whole lines, at least one.
float fixed_wrapped_height(std::string_view text, float width, float size);

// ---- Hashes and cache keys ----------------------------------------------------------------------

// SipHash-1-3 with an all-zero key over the bytes followed by 0xFF.
uint64_t text_hash(std::string_view text);
// SipHash-1-3 with an all-zero key over exactly these bytes.
uint64_t siphash13(std::string_view bytes);
// FNV-1a, 64 bits, one byte at a time.
uint64_t fnv1a64(std::string_view bytes);

// A float scaled into a key part: negative and NaN give 0, too large 4294967295.
uint32_t key_u32(float v);

struct LabelKey {
    uint32_t size100 = 0, weight = 0;
    FontFamily family = FontFamily::Text;
    TextAlign align = TextAlign::Left;
    bool operator==(const LabelKey&) const = default;
};
struct TextKey {
    uint32_t size100 = 0, weight = 0;
    bool operator==(const TextKey&) const = default;
};
struct WrapKey {
    uint64_t hash = 0;
    uint32_t width10 = 0, size10 = 0, weight = 0;
    bool operator==(const WrapKey&) const = default;
};
LabelKey label_key(float size, float weight, FontFamily family, TextAlign align);
TextKey text_key(float size, float weight);
WrapKey wrap_key(std::string_view text, float width, float size, float weight);

struct GfxKeyHash {
    size_t operator()(const LabelKey& k) const;
    size_t operator()(const TextKey& k) const;
    size_t operator()(const WrapKey& k) const;
};

// ---- BoundedCache -------------------------------------------------------------------------------

// Holds up to 601 entries: an insertion into a cache of more than 600 first
// drops everything, so measuring ever new texts cannot grow without bound.
template <class K, class V, class H = GfxKeyHash>
class BoundedCache {
public:
    static constexpr size_t kLimit = 600;
    const V* find(const K& k) const {
        auto it = map_.find(k);
        return it == map_.end() ? nullptr : &it->second;
    }
    void insert(const K& k, V v) {
        if (map_.size() > kLimit) map_.clear();
        map_.insert_or_assign(k, std::move(v));
    }
    size_t size() const { return map_.size(); }
    void clear() { map_.clear(); }

private:
    std::unordered_map<K, V, H> map_;
};
