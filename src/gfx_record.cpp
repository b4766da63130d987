// The recording renderer (see gfx_record.h).
#include "gfx_record.h"

#include <algorithm>

const char* draw_op_name(DrawOp op) {
    static const char* const names[] = {"FillRoundedRect", "StrokeRoundedRect", "GradientRect", "FillCircle",
                                        "StrokeCircle",    "Line",              "Polygon",      "Arc",
                                        "Ring",            "ShadowLayer",       "Text",         "WrappedText",
                                        "Image",           "AreaChart",         "PushClip",     "PopClip"};
    auto i = static_cast<size_t>(op);
    return i < sizeof(names) / sizeof(names[0]) ? names[i] : "?";
}

RecordingRenderer::RecordingRenderer(float scale) : scale_(scale) {
    PixelSize px = canvas_pixels(scale);
    width_ = px.width;
    height_ = px.height;
}

std::vector<std::string> RecordingRenderer::texts() const {
    std::vector<std::string> out;
    for (const DrawCall& c : calls)
        if ((c.op == DrawOp::Text && c.family != FontFamily::Icons) || c.op == DrawOp::WrappedText) out.push_back(c.text);
    return out;
}

const DrawCall* RecordingRenderer::find_text(std::string_view text) const {
    for (const DrawCall& c : calls)
        if ((c.op == DrawOp::Text || c.op == DrawOp::WrappedText) && c.text == text) return &c;
    return nullptr;
}

size_t RecordingRenderer::count(DrawOp op) const {
    return static_cast<size_t>(std::count_if(calls.begin(), calls.end(), [op](const DrawCall& c) { return c.op == op; }));
}

Status RecordingRenderer::resize_dib(int32_t width, int32_t height, float scale) {
    if (width <= 0 || height <= 0) return make_error("resize_dib: empty bitmap");
    width_ = width;
    height_ = height;
    scale_ = scale;
    return ok_status();
}

Status RecordingRenderer::begin_frame(int32_t left, int32_t top, int32_t, int32_t) {
    calls.clear();
    clips_ = 0;
    origin_ = {-static_cast<float>(left) / scale_, -static_cast<float>(top) / scale_};
    transform_ = Affine{};
    global_alpha = 1.0f;
    return ok_status();
}

bool RecordingRenderer::end_frame() {
    int32_t error = end_error_;
    end_error_ = 0;
    if (error == 0) {
        ++frames;
        return true;
    }
    // As after a lost device: bitmaps go, formats and measurements stay.
    if (error == kRecreateTargetError) images_.clear();
    return false;
}

void RecordingRenderer::push_clip(const RectF& r) {
    ++clips_;
    add(DrawOp::PushClip, r, Color{});
}

void RecordingRenderer::pop_clip() {
    if (clips_ == 0) return;
    --clips_;
    add(DrawOp::PopClip, RectF{}, Color{});
}

RendererCacheCounts RecordingRenderer::cache_counts() const {
    return {label_formats_.size(), text_formats_.size(), wrapped_.size(), images_.size()};
}

DrawCall& RecordingRenderer::add(DrawOp op, const RectF& r, const Color& c) {
    DrawCall& call = calls.emplace_back();
    call.op = op;
    call.rect = r;
    call.color = c;
    call.transform = transform_;
    call.global_alpha = global_alpha;
    return call;
}

// ---- Primitives ----------------------------------------------------------------------------------

void RecordingRenderer::fill_rounded_rect(const RectF& r, float radius, const Color& c) {
    if (!(r.w > 0) || !(r.h > 0)) return;
    auto brush = brush_color(c, global_alpha);
    if (!brush) return;
    add(DrawOp::FillRoundedRect, r, *brush).radius = fill_radius(radius, r.w, r.h);
}

void RecordingRenderer::stroke_rounded_rect(const RectF& r, float radius, const Color& c, float stroke_width,
                                            float dash, float dash_offset) {
    auto brush = brush_color(c, global_alpha);
    if (!brush) return;
    DrawCall& call = add(DrawOp::StrokeRoundedRect, r, *brush);
    call.radius = outline_radius(radius, r.w, r.h);
    call.stroke = stroke_width;
    call.p0 = dash;
    call.p1 = dash_offset;
}

void RecordingRenderer::fill_gradient_rounded_rect(const RectF& r, float radius, const Color& a, const Color& b,
                                                   float x0, float x1) {
    if (!(global_alpha > kAlphaFloor) || !(r.w > 0) || !(r.h > 0)) return;
    DrawCall& call = add(DrawOp::GradientRect, r, a);
    call.color2 = b;
    call.radius = outline_radius(radius, r.w, r.h);
    call.p0 = x0;
    call.p1 = x1;
}

void RecordingRenderer::fill_circle(float cx, float cy, float r, const Color& c) {
    if (!(r > 0)) return;
    auto brush = brush_color(c, global_alpha);
    if (!brush) return;
    add(DrawOp::FillCircle, {cx - r, cy - r, 2 * r, 2 * r}, *brush).radius = r;
}

void RecordingRenderer::stroke_circle(float cx, float cy, float r, const Color& c, float stroke_width) {
    if (!(r > 0)) return;
    auto brush = brush_color(c, global_alpha);
    if (!brush) return;
    DrawCall& call = add(DrawOp::StrokeCircle, {cx - r, cy - r, 2 * r, 2 * r}, *brush);
    call.radius = r;
    call.stroke = stroke_width;
}

void RecordingRenderer::draw_line(float x0, float y0, float x1, float y1, float stroke_width, const Color& c) {
    auto brush = brush_color(c, global_alpha);
    if (!brush) return;
    DrawCall& call = add(DrawOp::Line, {x0, y0, x1 - x0, y1 - y0}, *brush);
    call.stroke = stroke_width;
    call.points = {{x0, y0}, {x1, y1}};
}

void RecordingRenderer::fill_polygon(const std::vector<PointF>& points, const Color& c, float outline_width) {
    if (points.size() < 3) return;
    auto brush = brush_color(c, global_alpha);
    if (!brush) return;
    float l = points[0].x, t = points[0].y, rr = l, b = t;
    for (const PointF& p : points) {
        l = std::min(l, p.x);
        t = std::min(t, p.y);
        rr = std::max(rr, p.x);
        b = std::max(b, p.y);
    }
    DrawCall& call = add(DrawOp::Polygon, {l, t, rr - l, b - t}, *brush);
    call.stroke = outline_width;
    call.points = points;
}

void RecordingRenderer::draw_arc(float cx, float cy, float r, float start, float sweep, float stroke_width,
                                 const Color& c) {
    if (!(sweep > 0.0005f)) return;
    auto brush = brush_color(c, global_alpha);
    if (!brush) return;
    ArcPath path = arc_path(cx, cy, r, start, sweep);
    if (path.kind == ArcPath::Nothing) return;
    DrawCall& call = add(path.kind == ArcPath::Ring ? DrawOp::Ring : DrawOp::Arc, {cx - r, cy - r, 2 * r, 2 * r}, *brush);
    call.radius = r;
    call.stroke = stroke_width;
    call.p0 = start;
    call.p1 = sweep;
    if (path.kind == ArcPath::Open) call.points = {path.start, path.segments.back().end};
}

void RecordingRenderer::draw_soft_shadow(const RectF& r, float radius, float strength) {
    for (const ShadowLayer& layer : shadow_layers(r, radius, strength, global_alpha))
        add(DrawOp::ShadowLayer, layer.rect, Color{0, 0, 0, layer.alpha}).radius = layer.radius;
}

void RecordingRenderer::draw_text(std::string_view text, const RectF& r, float size, FontFamily family, float weight,
                                  const Color& c, TextAlign align) {
    if (text.empty()) return;
    auto brush = brush_color(c, global_alpha);
    if (!brush) return;
    label_formats_.insert(label_key(size, weight, family, align));
    DrawCall& call = add(DrawOp::Text, r, *brush);
    call.text = std::string(text);
    call.size = size;
    call.weight = weight;
    call.family = family;
    call.align = align;
}

void RecordingRenderer::draw_wrapped_text(std::string_view text, const RectF& r, float size, float weight,
                                          const Color& c) {
    if (text.empty()) return;
    auto brush = brush_color(c, global_alpha);
    if (!brush) return;
    text_formats_.insert(text_key(size, weight));
    DrawCall& call = add(DrawOp::WrappedText, r, *brush);
    call.text = std::string(text);
    call.size = size;
    call.weight = weight;
}

float RecordingRenderer::measure_text(std::string_view text, float size, FontFamily family, float weight) {
    label_formats_.insert(label_key(size, weight, family, TextAlign::Left));
    return fixed_text_width(text, size, family);
}

float RecordingRenderer::measure_wrapped(std::string_view text, float width, float size, float weight) {
    WrapKey key = wrap_key(text, width, size, weight);
    if (const float* hit = wrapped_.find(key)) return *hit;
    text_formats_.insert(text_key(size, weight));
    float height = fixed_wrapped_height(text, width, size);
    wrapped_.insert(key, height);
    return height;
}

void RecordingRenderer::draw_image(uint64_t id, const Image& image, const RectF& r, float radius) {
    if (!(global_alpha > kAlphaFloor) || image.width == 0 || image.height == 0 || !(r.w > 0)) return;
    if (!images_.count(id)) {
        auto need = pixel_bytes(image.width, image.height);
        if (!need || image.pixels.size() < *need) return;
        images_.insert(id);
    }
    CoverFit fit = cover_fit(r, image.width, image.height);
    DrawCall& call = add(DrawOp::Image, r, Color{1, 1, 1, std::min(1.0f, global_alpha)});
    call.image = id;
    call.radius = outline_radius(radius, r.w, r.h);
    call.p0 = fit.scale;
    call.points = {{fit.tx, fit.ty}};
}

void RecordingRenderer::draw_area_chart(const RectF& r, const std::vector<float>& values, float maximum,
                                        uint32_t slots, const Color& c) {
    if (values.size() < 2) return;
    auto brush = brush_color(c, global_alpha);
    if (!brush) return;
    DrawCall& call = add(DrawOp::AreaChart, r, *brush);
    call.stroke = 1.6f;
    call.points = chart_points(r, values, maximum, slots);
}
