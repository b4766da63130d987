// The drawing surface of the island. The App owns one Renderer; the Direct2D
// implementation lives in gfx_win.cpp, a recording implementation with fixed
// text metrics (gfx_record.h) lets the App, the tick and the pages run
// natively, and a null one (gfx_null.h) stands in where nothing is drawn.
//
// Index
//   Font families, alignment, points and transforms
//   Renderer: frame, transform and clip, pixels, caches
//   Renderer: the drawing primitives and the two measurements
//   Creation of the Direct2D renderer
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "gfx_types.h"
#include "sys_image.h"
#include "sys_result.h"

// ---- Font families, alignment, points and transforms ------------------------------

// "Segoe UI Variable Text", "Segoe UI Variable Display", "Segoe Fluent Icons".
enum class FontFamily : uint8_t { Text = 0, Display = 1, Icons = 2 };
enum class TextAlign : uint8_t { Left = 0, Center = 1, Right = 2 };

struct PointF {
    float x = 0, y = 0;
};

// A 2-D affine transform in Direct2D's row-vector layout:
// x' = x m11 + y m21 + dx, y' = x m12 + y m22 + dy.
struct Affine {
    float m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;

    static Affine translation(float x, float y) { return {1, 0, 0, 1, x, y}; }
    // Uniform scale by s about (cx, cy).
    static Affine scale_about(float s, float cx, float cy) { return {s, 0, 0, s, cx - s * cx, cy - s * cy}; }
    // This transform first, then o.
    Affine then(const Affine& o) const {
        return {m11 * o.m11 + m12 * o.m21, m11 * o.m12 + m12 * o.m22,
                m21 * o.m11 + m22 * o.m21, m21 * o.m12 + m22 * o.m22,
                dx * o.m11 + dy * o.m21 + o.dx, dx * o.m12 + dy * o.m22 + o.dy};
    }
    PointF apply(PointF p) const { return {p.x * m11 + p.y * m21 + dx, p.x * m12 + p.y * m22 + dy}; }
};

// Entries of the renderer's four caches (for tests and diagnostics).
struct RendererCacheCounts {
    size_t label_formats = 0, text_formats = 0, wrapped_heights = 0, images = 0, glyphs = 0;
};

// Image-cache ids: the owner in the top byte.
constexpr uint64_t image_id(uint8_t owner, uint64_t id) { return (uint64_t{owner} << 56) | (id & 0x00FFFFFFFFFFFFFFull); }
constexpr uint8_t kImageOwnerArtwork = 1;
constexpr uint8_t kImageOwnerSmallArtwork = 2;
constexpr uint8_t kImageOwnerShelf = 3;
constexpr uint8_t kImageOwnerShellIcon = 4;
constexpr uint8_t kImageOwnerClip = 5;
constexpr uint8_t kImageOwnerNotice = 6;
constexpr uint8_t kImageOwnerSteam = 7;
constexpr uint8_t kImageOwnerAppIcon = 8;
constexpr uint8_t kImageOwnerGoogle = 9;  // the account's profile picture

// EndDraw's "the device is lost" (D2DERR_RECREATE_TARGET).
constexpr int32_t kRecreateTargetError = static_cast<int32_t>(0x8899000Cu);

// ---- Renderer -----------------------------------------------------------------------------

class Renderer {
public:
    virtual ~Renderer() = default;

    // Multiplies every colour's alpha and every bitmap's opacity; begin_frame
    // sets it to 1. Callers set it before drawing faded content.
    float global_alpha = 1.0f;

    // Island units to pixels.
    virtual float scale() const = 0;

    // -- Surface and frame --
    // Replaces the memory bitmap (cleared to transparent) and the scale.
    virtual Status resize_dib(int32_t width, int32_t height, float scale) = 0;
    // Binds the dirty rectangle (physical pixels) and clears it; on an error
    // nothing may be drawn this frame.
    virtual Status begin_frame(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
    // True when the frame was drawn; false after any failure (redraw later).
    virtual bool end_frame() = 0;

    // The premultiplied BGRA pixels (rows of width × 4 bytes), null when absent.
    virtual const uint8_t* pixels() const = 0;
    virtual int32_t pixel_width() const = 0;
    virtual int32_t pixel_height() const = 0;
    // The memory DC holding the bitmap (an HDC for presenting), null when none.
    virtual void* memory_dc() const { return nullptr; }

    // -- Transform and clip --
    // The translation begin_frame installed (island units).
    virtual PointF origin() const = 0;
    // Sets t (in island units) followed by the origin translation.
    virtual void set_transform(const Affine& t) = 0;
    // Back to the origin translation alone.
    void reset_transform() { set_transform(Affine{}); }
    // Axis-aligned clip in island units (per-primitive antialiasing); pairs with pop_clip.
    virtual void push_clip(const RectF& r) = 0;
    virtual void pop_clip() = 0;

    // -- Caches --
    // Drops a cached picture (ids carry their owner in the top byte).
    virtual void forget_image(uint64_t id) = 0;
    virtual RendererCacheCounts cache_counts() const = 0;
    // Test hook: the next end_frame sees this HRESULT from EndDraw.
    virtual void simulate_end_draw_error(int32_t hresult) {}

    // -- Primitives (island units; nothing is reported, failures draw nothing) --
    virtual void fill_rounded_rect(const RectF& r, float radius, const Color& c) = 0;
    // Dashes of `dash` and 0.9 × dash stroke widths, shifted by `dash_offset`;
    // a dash of 0 or less draws a solid outline.
    virtual void stroke_rounded_rect(const RectF& r, float radius, const Color& c, float stroke_width, float dash,
                                     float dash_offset) = 0;
    // Horizontal two-stop gradient from absolute x0 (colour a) to x1 (colour b).
    virtual void fill_gradient_rounded_rect(const RectF& r, float radius, const Color& a, const Color& b, float x0,
                                            float x1) = 0;
    virtual void fill_circle(float cx, float cy, float r, const Color& c) = 0;
    virtual void stroke_circle(float cx, float cy, float r, const Color& c, float stroke_width) = 0;
    virtual void draw_line(float x0, float y0, float x1, float y1, float stroke_width, const Color& c) = 0;
    // Closed filled polygon; an outline of that width rounds its corners when > 0.
    virtual void fill_polygon(const std::vector<PointF>& points, const Color& c, float outline_width) = 0;
    // start and sweep in turns, clockwise from 12 o'clock.
    virtual void draw_arc(float cx, float cy, float r, float start, float sweep, float stroke_width,
                          const Color& c) = 0;
    virtual void draw_soft_shadow(const RectF& r, float radius, float strength) = 0;
    // One line, centred vertically, ellipsis when too wide.
    virtual void draw_text(std::string_view text, const RectF& r, float size, FontFamily family, float weight,
                           const Color& c, TextAlign align) = 0;
    // An icon-font glyph centred on (cx, cy); drawn as a picture where no icon font is installed.
    void draw_glyph(char32_t code_point, float cx, float cy, float size, const Color& c);
    // Wrapped at the rect's width, cut off at its bottom.
    virtual void draw_wrapped_text(std::string_view text, const RectF& r, float size, float weight,
                                   const Color& c) = 0;
    // Width of one line, trailing spaces included.
    virtual float measure_text(std::string_view text, float size, FontFamily family, float weight) = 0;
    // Height of the text wrapped at max(width, 10); cached.
    virtual float measure_wrapped(std::string_view text, float width, float size, float weight) = 0;
    // The picture covers the rounded rect (centred, cropped); cached under id.
    virtual void draw_image(uint64_t id, const Image& image, const RectF& r, float radius) = 0;
    // A history of samples (newest last) in `slots` places, filled and outlined.
    virtual void draw_area_chart(const RectF& r, const std::vector<float>& values, float maximum, uint32_t slots,
                                 const Color& c) = 0;

protected:
    // Draws the icon picture instead of the font glyph; false when the font draws it.
    virtual bool draw_glyph_picture(char32_t code_point, float cx, float cy, float size, const Color& c) {
        (void)code_point, (void)cx, (void)cy, (void)size, (void)c;
        return false;
    }
};

// ---- Creation of the Direct2D renderer ----------------------------------------------------

// The Direct2D renderer with its memory bitmap of width × height pixels
// (gfx_win.cpp; Windows only).
Result<std::unique_ptr<Renderer>> create_renderer(int32_t width, int32_t height, float scale);
