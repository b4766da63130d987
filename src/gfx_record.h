// A Renderer that draws nothing and records every call instead, with fixed
// text metrics, so the widgets, the island and the pages can be tested on any
// platform: a test asserts the texts, rectangles and colours that reached the
// surface. It follows the primitives' own rules (alpha floor, radius clamps,
// skipped empty shapes, shadow layers, chart points), so what is recorded is
// what the Direct2D renderer would draw.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "gfx.h"
#include "gfx_geom.h"

enum class DrawOp : uint8_t {
    FillRoundedRect, StrokeRoundedRect, GradientRect, FillCircle, StrokeCircle, Line, Polygon, Arc, Ring,
    ShadowLayer, Text, WrappedText, Image, AreaChart, PushClip, PopClip
};
const char* draw_op_name(DrawOp op);

struct DrawCall {
    DrawOp op = DrawOp::FillRoundedRect;
    // Rects as given; circles and rings their bounding box; a line (x0, y0, x1 − x0, y1 − y0).
    RectF rect;
    Color color;      // the brush colour after the alpha rule (gradient: colour A unchanged)
    Color color2;     // gradient colour B
    float radius = 0; // corner radius used, circle radius
    float stroke = 0; // stroke or outline width
    float size = 0;   // font size
    float weight = 0;
    float p0 = 0, p1 = 0;  // arc start/sweep, gradient x0/x1, dash/offset, image scale and 0
    FontFamily family = FontFamily::Text;
    TextAlign align = TextAlign::Left;
    std::string text;
    uint64_t image = 0;
    std::vector<PointF> points;  // polygon, chart line, arc start and end; image offset
    Affine transform;            // the island transform in force (origin excluded)
    float global_alpha = 1;
};

class RecordingRenderer : public Renderer {
public:
    // Fixed metrics (gfx_geom.h): a character is 0.5 × size wide (an icon
    // glyph 1 × size), a wrapped line 1.25 × size high.
    static constexpr float kCharWidth = kFixedCharWidth;
    static constexpr float kLineHeight = kFixedLineHeight;

    explicit RecordingRenderer(float scale = 1.0f);

    std::vector<DrawCall> calls;  // emptied by begin_frame
    int frames = 0;               // successful end_frame calls

    // Texts drawn by draw_text and draw_wrapped_text, icon glyphs excluded, in order.
    std::vector<std::string> texts() const;
    // The first text call with exactly this text (glyphs included), or null.
    const DrawCall* find_text(std::string_view text) const;
    size_t count(DrawOp op) const;

    float scale() const override { return scale_; }
    Status resize_dib(int32_t width, int32_t height, float scale) override;
    Status begin_frame(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    bool end_frame() override;
    const uint8_t* pixels() const override { return nullptr; }
    int32_t pixel_width() const override { return width_; }
    int32_t pixel_height() const override { return height_; }

    PointF origin() const override { return origin_; }
    void set_transform(const Affine& t) override { transform_ = t; }
    void push_clip(const RectF& r) override;
    void pop_clip() override;
    size_t clip_depth() const { return clips_; }

    void forget_image(uint64_t id) override { images_.erase(id); }
    RendererCacheCounts cache_counts() const override;
    void simulate_end_draw_error(int32_t hresult) override { end_error_ = hresult; }

    void fill_rounded_rect(const RectF& r, float radius, const Color& c) override;
    void stroke_rounded_rect(const RectF& r, float radius, const Color& c, float stroke_width, float dash,
                             float dash_offset) override;
    void fill_gradient_rounded_rect(const RectF& r, float radius, const Color& a, const Color& b, float x0,
                                    float x1) override;
    void fill_circle(float cx, float cy, float r, const Color& c) override;
    void stroke_circle(float cx, float cy, float r, const Color& c, float stroke_width) override;
    void draw_line(float x0, float y0, float x1, float y1, float stroke_width, const Color& c) override;
    void fill_polygon(const std::vector<PointF>& points, const Color& c, float outline_width) override;
    void draw_arc(float cx, float cy, float r, float start, float sweep, float stroke_width, const Color& c) override;
    void draw_soft_shadow(const RectF& r, float radius, float strength) override;
    void draw_text(std::string_view text, const RectF& r, float size, FontFamily family, float weight, const Color& c,
                   TextAlign align) override;
    void draw_wrapped_text(std::string_view text, const RectF& r, float size, float weight, const Color& c) override;
    float measure_text(std::string_view text, float size, FontFamily family, float weight) override;
    float measure_wrapped(std::string_view text, float width, float size, float weight) override;
    void draw_image(uint64_t id, const Image& image, const RectF& r, float radius) override;
    void draw_area_chart(const RectF& r, const std::vector<float>& values, float maximum, uint32_t slots,
                         const Color& c) override;

private:
    DrawCall& add(DrawOp op, const RectF& r, const Color& c);

    float scale_ = 1;
    int32_t width_ = 0, height_ = 0;
    PointF origin_;
    Affine transform_;
    size_t clips_ = 0;
    int32_t end_error_ = 0;
    std::unordered_set<uint64_t> images_;
    std::unordered_set<LabelKey, GfxKeyHash> label_formats_;
    std::unordered_set<TextKey, GfxKeyHash> text_formats_;
    BoundedCache<WrapKey, float> wrapped_;
};
