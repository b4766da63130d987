// A Renderer that draws nothing, keeps nothing and measures text with the
// fixed metrics of the recording renderer (gfx_geom.h). Widgets of an App
// without a surface draw into it, so their hit regions come out where the
// recording renderer would put them.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "gfx.h"

class NullRenderer : public Renderer {
public:
    explicit NullRenderer(float scale = 1.0f);

    float scale() const override { return scale_; }
    Status resize_dib(int32_t width, int32_t height, float scale) override;
    Status begin_frame(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    bool end_frame() override { return true; }
    const uint8_t* pixels() const override { return nullptr; }
    int32_t pixel_width() const override { return width_; }
    int32_t pixel_height() const override { return height_; }

    PointF origin() const override { return origin_; }
    void set_transform(const Affine&) override {}
    void push_clip(const RectF&) override {}
    void pop_clip() override {}

    void forget_image(uint64_t) override {}
    RendererCacheCounts cache_counts() const override { return {}; }

    void fill_rounded_rect(const RectF&, float, const Color&) override {}
    void stroke_rounded_rect(const RectF&, float, const Color&, float, float, float) override {}
    void fill_gradient_rounded_rect(const RectF&, float, const Color&, const Color&, float, float) override {}
    void fill_circle(float, float, float, const Color&) override {}
    void stroke_circle(float, float, float, const Color&, float) override {}
    void draw_line(float, float, float, float, float, const Color&) override {}
    void fill_polygon(const std::vector<PointF>&, const Color&, float) override {}
    void draw_arc(float, float, float, float, float, float, const Color&) override {}
    void draw_soft_shadow(const RectF&, float, float) override {}
    void draw_text(std::string_view, const RectF&, float, FontFamily, float, const Color&, TextAlign) override {}
    void draw_wrapped_text(std::string_view, const RectF&, float, float, const Color&) override {}
    float measure_text(std::string_view text, float size, FontFamily family, float weight) override;
    float measure_wrapped(std::string_view text, float width, float size, float weight) override;
    void draw_image(uint64_t, const Image&, const RectF&, float) override {}
    void draw_area_chart(const RectF&, const std::vector<float>&, float, uint32_t, const Color&) override {}

private:
    float scale_ = 1;
    int32_t width_ = 0, height_ = 0;
    PointF origin_;
};
