// The Direct2D renderer: a DC render target bound to a top-down 32-bit DIB
// section, DirectWrite text, one recoloured brush, one round stroke style and
// four caches (single-line formats, wrapping formats, wrapped heights, bitmaps),
// plus the icon pictures drawn where no icon font is installed.
//
// Index
//   Owners and conversions
//   D2dRenderer: declaration
//   Creation, target, DIB
//   Frame, device loss, transform and clip
//   Text formats
//   Primitives
//   Icon pictures
//   create_renderer
#include <d2d1.h>
#include <dwrite.h>
#include <wrl/client.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <unordered_map>

#include "gfx.h"
#include "gfx_geom.h"
#include "gfx_glyphs.h"
#include "sys_log.h"
#include "sys_text.h"
#include "sys_win.h"

using Microsoft::WRL::ComPtr;

namespace {

// ---- Owners and conversions ---------------------------------------------------------------------

const wchar_t* const kFamilyNames[] = {L"Segoe UI Variable Text", L"Segoe UI Variable Display", L"Segoe Fluent Icons"};
const wchar_t* const kLocale = L"tr-tr";

const wchar_t* family_name(FontFamily f) {
    auto i = static_cast<size_t>(f);
    return kFamilyNames[i < 3 ? i : 0];
}

// The icon family installed: Fluent (Windows 11), MDL2 (Windows 10) or none.
IconFont detect_icon_font(IDWriteFactory* factory) {
    ComPtr<IDWriteFontCollection> fonts;
    if (FAILED(factory->GetSystemFontCollection(fonts.GetAddressOf(), FALSE)) || !fonts) return IconFont::None;
    auto has = [&](const wchar_t* name) {
        UINT32 index = 0;
        BOOL exists = FALSE;
        return SUCCEEDED(fonts->FindFamilyName(name, &index, &exists)) && exists;
    };
    return choose_icon_font(has(L"Segoe Fluent Icons"), has(L"Segoe MDL2 Assets"));
}

// Icon pictures, keyed by code point and size × 100 (saturated).
struct GlyphKey {
    uint32_t code_point = 0, size100 = 0;
    bool operator==(const GlyphKey&) const = default;
};
struct GlyphKeyHash {
    size_t operator()(const GlyphKey& k) const { return (size_t{k.code_point} << 32) ^ k.size100; }
};
// A picture at one size, centred on (0, 0) in island units.
struct GlyphGeometry {
    ComPtr<ID2D1PathGeometry> stroked, filled;
    float stroke_width = 0;
};

// UTF-16 for DirectWrite; false when the length does not fit a 32-bit count.
bool to_wide(std::string_view text, std::wstring& out) {
    std::u16string u = utf8_to_utf16(text);
    if (u.size() > 0xFFFFFFFFull) return false;
    out.assign(u.begin(), u.end());
    return true;
}

D2D1_RECT_F d2d_rect(const RectF& r) { return D2D1::RectF(r.x, r.y, r.x + r.w, r.y + r.h); }
D2D1_POINT_2F d2d_point(PointF p) { return D2D1::Point2F(p.x, p.y); }
D2D1_COLOR_F d2d_color(const Color& c) { return D2D1::ColorF(c.r, c.g, c.b, c.a); }
D2D1_MATRIX_3X2_F d2d_matrix(const Affine& t) { return D2D1::Matrix3x2F(t.m11, t.m12, t.m21, t.m22, t.dx, t.dy); }

struct TargetSet {
    ComPtr<ID2D1DCRenderTarget> target;
    ComPtr<ID2D1SolidColorBrush> brush;
    ComPtr<ID2D1StrokeStyle> stroke;
};

// ---- D2dRenderer: declaration --------------------------------------------------------------------

class D2dRenderer final : public Renderer {
public:
    ~D2dRenderer() override;
    Status init(int32_t width, int32_t height, float scale);

    float scale() const override { return scale_; }
    Status resize_dib(int32_t width, int32_t height, float scale) override;
    Status begin_frame(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    bool end_frame() override;
    const uint8_t* pixels() const override { return pixels_; }
    int32_t pixel_width() const override { return width_; }
    int32_t pixel_height() const override { return height_; }
    void* memory_dc() const override { return mem_dc_.get(); }

    PointF origin() const override { return origin_; }
    void set_transform(const Affine& t) override;
    void push_clip(const RectF& r) override;
    void pop_clip() override;

    void forget_image(uint64_t id) override { images_.erase(id); }
    RendererCacheCounts cache_counts() const override {
        return {label_formats_.size(), text_formats_.size(), wrapped_heights_.size(), images_.size(), glyphs_.size()};
    }
    void simulate_end_draw_error(int32_t hresult) override { injected_error_ = hresult; }

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

protected:
    bool draw_glyph_picture(char32_t code_point, float cx, float cy, float size, const Color& c) override;

private:
    Result<TargetSet> create_target();
    const GlyphGeometry* glyph_geometry(char32_t code_point, float size);
    const wchar_t* font_name(FontFamily f) const;
    ComPtr<IDWriteTextFormat> label_format(FontFamily family, float size, float weight, TextAlign align);
    ComPtr<IDWriteTextFormat> text_format(float size, float weight);
    // Sets the brush by the alpha rule; false when the item is not drawn.
    bool use_color(const Color& c);
    void release_dib();

    ComPtr<ID2D1Factory> d2d_factory_;
    ComPtr<IDWriteFactory> dwrite_factory_;
    ComPtr<ID2D1DCRenderTarget> target_;
    ComPtr<ID2D1SolidColorBrush> brush_;
    ComPtr<ID2D1StrokeStyle> stroke_;
    std::unordered_map<LabelKey, ComPtr<IDWriteTextFormat>, GfxKeyHash> label_formats_;
    std::unordered_map<TextKey, ComPtr<IDWriteTextFormat>, GfxKeyHash> text_formats_;
    BoundedCache<WrapKey, float> wrapped_heights_;
    std::unordered_map<uint64_t, ComPtr<ID2D1Bitmap>> images_;
    BoundedCache<GlyphKey, GlyphGeometry, GlyphKeyHash> glyphs_;
    IconFont icon_font_ = IconFont::None;
    std::wstring icon_family_;
    PointF origin_;
    // Destroyed bottom-up: the DIB leaves the DC, is deleted, then the DC goes.
    UniqueDc mem_dc_;
    UniqueGdi<HBITMAP> dib_;
    SelectedObject dib_selection_;
    uint8_t* pixels_ = nullptr;
    float scale_ = 1;
    int32_t width_ = 0, height_ = 0;
    int clip_depth_ = 0;
    bool drawing_ = false;
    int32_t injected_error_ = 0;
};

// ---- Creation, target, DIB -------------------------------------------------------------------------

Status D2dRenderer::init(int32_t width, int32_t height, float scale) {
    HRESULT hr = D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, __uuidof(ID2D1Factory), nullptr,
                                   reinterpret_cast<void**>(d2d_factory_.ReleaseAndGetAddressOf()));
    if (FAILED(hr) || !d2d_factory_) return win_error("D2D1CreateFactory", FAILED(hr) ? hr : E_POINTER);
    hr = DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                             reinterpret_cast<IUnknown**>(dwrite_factory_.ReleaseAndGetAddressOf()));
    if (FAILED(hr) || !dwrite_factory_) return win_error("DWriteCreateFactory", FAILED(hr) ? hr : E_POINTER);
    icon_font_ = detect_icon_font(dwrite_factory_.Get());
    icon_family_ = widen(std::string(icon_font_name(icon_font_)));
    write_log(icon_font_log_line(icon_font_));
    auto set = create_target();
    if (!set) return set.error();
    target_ = std::move(set->target);
    brush_ = std::move(set->brush);
    stroke_ = std::move(set->stroke);
    mem_dc_.reset(CreateCompatibleDC(nullptr));
    if (!mem_dc_.get()) return last_error("CreateCompatibleDC");
    global_alpha = 1.0f;
    scale_ = scale;
    return resize_dib(width, height, scale);
}

Result<TargetSet> D2dRenderer::create_target() {
    TargetSet set;
    D2D1_RENDER_TARGET_PROPERTIES props = D2D1::RenderTargetProperties(
        D2D1_RENDER_TARGET_TYPE_DEFAULT, D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED),
        0, 0, D2D1_RENDER_TARGET_USAGE_NONE, D2D1_FEATURE_LEVEL_DEFAULT);
    HRESULT hr = d2d_factory_->CreateDCRenderTarget(&props, set.target.GetAddressOf());
    if (FAILED(hr) || !set.target) return win_error("CreateDCRenderTarget", FAILED(hr) ? hr : E_POINTER);
    hr = set.target->CreateSolidColorBrush(D2D1::ColorF(1, 1, 1, 1), set.brush.GetAddressOf());
    if (FAILED(hr) || !set.brush) return win_error("CreateSolidColorBrush", FAILED(hr) ? hr : E_POINTER);
    D2D1_STROKE_STYLE_PROPERTIES sp = D2D1::StrokeStyleProperties(
        D2D1_CAP_STYLE_ROUND, D2D1_CAP_STYLE_ROUND, D2D1_CAP_STYLE_ROUND, D2D1_LINE_JOIN_ROUND, 10.0f,
        D2D1_DASH_STYLE_SOLID, 0.0f);
    hr = d2d_factory_->CreateStrokeStyle(&sp, nullptr, 0, set.stroke.GetAddressOf());
    if (FAILED(hr) || !set.stroke) return win_error("CreateStrokeStyle", FAILED(hr) ? hr : E_POINTER);
    return set;
}

// Deletes the DIB and forgets its handle, pixels and size at once, so that a
// failed resize leaves nothing dangling for the next resize, a frame or the destructor.
void D2dRenderer::release_dib() {
    dib_selection_.reset();
    dib_.reset();
    pixels_ = nullptr;
    width_ = 0;
    height_ = 0;
}

Status D2dRenderer::resize_dib(int32_t width, int32_t height, float scale) {
    release_dib();
    uint64_t bytes = 0;
    if (width <= 0 || height <= 0 || !image_byte_size(static_cast<uint64_t>(width), static_cast<uint64_t>(height), bytes))
        return make_error("CreateDIBSection: the bitmap size " + std::to_string(width) + " x " + std::to_string(height) +
                              " is not possible",
                          static_cast<int32_t>(E_INVALIDARG));
    BITMAPINFO bi = top_down_bitmap_info(width, height);
    void* bits = nullptr;
    UniqueGdi<HBITMAP> dib(CreateDIBSection(mem_dc_.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || !bits) return last_error("CreateDIBSection");
    dib_selection_ = SelectedObject(mem_dc_.get(), dib.get());
    dib_ = std::move(dib);
    pixels_ = static_cast<uint8_t*>(bits);
    width_ = width;
    height_ = height;
    scale_ = scale;
    std::memset(pixels_, 0, static_cast<size_t>(bytes));
    return ok_status();
}

D2dRenderer::~D2dRenderer() {
    if (drawing_ && target_) target_->EndDraw();
    release_dib();
    mem_dc_.reset();
    d2d_factory_.Reset();
    dwrite_factory_.Reset();
    target_.Reset();
    brush_.Reset();
    stroke_.Reset();
    label_formats_.clear();
    text_formats_.clear();
    wrapped_heights_.clear();
    images_.clear();
    glyphs_.clear();
}

// ---- Frame, device loss, transform and clip -------------------------------------------------------

Status D2dRenderer::begin_frame(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (!dib_) return make_error("begin_frame: no bitmap to draw into");
    if (drawing_) end_frame();
    RECT rc{left, top, right, bottom};
    HRESULT hr = target_->BindDC(mem_dc_.get(), &rc);
    if (FAILED(hr)) return win_error("BindDC", hr);
    target_->SetDpi(96.0f * scale_, 96.0f * scale_);
    target_->BeginDraw();
    drawing_ = true;
    clip_depth_ = 0;
    target_->SetAntialiasMode(D2D1_ANTIALIAS_MODE_PER_PRIMITIVE);
    target_->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
    origin_ = {-static_cast<float>(left) / scale_, -static_cast<float>(top) / scale_};
    global_alpha = 1.0f;
    target_->SetTransform(D2D1::Matrix3x2F::Translation(origin_.x, origin_.y));
    target_->Clear(D2D1::ColorF(0, 0, 0, 0));
    return ok_status();
}

bool D2dRenderer::end_frame() {
    if (!drawing_) return false;
    // An unbalanced clip would fail the whole frame.
    while (clip_depth_ > 0) pop_clip();
    HRESULT hr = target_->EndDraw();
    drawing_ = false;
    if (injected_error_ != 0) {
        hr = static_cast<HRESULT>(injected_error_);
        injected_error_ = 0;
    }
    if (SUCCEEDED(hr)) return true;
    if (hr == static_cast<HRESULT>(kRecreateTargetError)) {
        auto set = create_target();
        if (set) {
            target_ = std::move(set->target);
            brush_ = std::move(set->brush);
            stroke_ = std::move(set->stroke);
            // Bitmaps belong to the lost device; DirectWrite objects do not.
            images_.clear();
        }
    }
    return false;
}

void D2dRenderer::set_transform(const Affine& t) {
    target_->SetTransform(d2d_matrix(t.then(Affine::translation(origin_.x, origin_.y))));
}

void D2dRenderer::push_clip(const RectF& r) {
    if (!drawing_) return;
    target_->PushAxisAlignedClip(d2d_rect(r), D2D1_ANTIALIAS_MODE_PER_PRIMITIVE);
    ++clip_depth_;
}

void D2dRenderer::pop_clip() {
    if (clip_depth_ <= 0) return;
    target_->PopAxisAlignedClip();
    --clip_depth_;
}

// ---- Text formats ------------------------------------------------------------------------------------

ComPtr<IDWriteTextFormat> D2dRenderer::label_format(FontFamily family, float size, float weight, TextAlign align) {
    LabelKey key = label_key(size, weight, family, align);
    if (auto it = label_formats_.find(key); it != label_formats_.end()) return it->second;
    ComPtr<IDWriteTextFormat> fmt;
    HRESULT hr = dwrite_factory_->CreateTextFormat(font_name(family), nullptr, static_cast<DWRITE_FONT_WEIGHT>(key.weight),
                                                   DWRITE_FONT_STYLE_NORMAL, DWRITE_FONT_STRETCH_NORMAL, size, kLocale,
                                                   fmt.GetAddressOf());
    if (FAILED(hr) || !fmt) return nullptr;
    fmt->SetWordWrapping(DWRITE_WORD_WRAPPING_NO_WRAP);
    fmt->SetTextAlignment(static_cast<DWRITE_TEXT_ALIGNMENT>(dwrite_text_alignment(align)));
    fmt->SetParagraphAlignment(DWRITE_PARAGRAPH_ALIGNMENT_CENTER);
    ComPtr<IDWriteInlineObject> sign;
    if (SUCCEEDED(dwrite_factory_->CreateEllipsisTrimmingSign(fmt.Get(), sign.GetAddressOf())) && sign) {
        DWRITE_TRIMMING trimming{DWRITE_TRIMMING_GRANULARITY_CHARACTER, 0, 0};
        fmt->SetTrimming(&trimming, sign.Get());
    }
    label_formats_.emplace(key, fmt);
    return fmt;
}

ComPtr<IDWriteTextFormat> D2dRenderer::text_format(float size, float weight) {
    TextKey key = text_key(size, weight);
    if (auto it = text_formats_.find(key); it != text_formats_.end()) return it->second;
    ComPtr<IDWriteTextFormat> fmt;
    HRESULT hr = dwrite_factory_->CreateTextFormat(kFamilyNames[0], nullptr, static_cast<DWRITE_FONT_WEIGHT>(key.weight),
                                                   DWRITE_FONT_STYLE_NORMAL, DWRITE_FONT_STRETCH_NORMAL, size, kLocale,
                                                   fmt.GetAddressOf());
    if (FAILED(hr) || !fmt) return nullptr;
    fmt->SetWordWrapping(DWRITE_WORD_WRAPPING_WRAP);
    fmt->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_LEADING);
    fmt->SetParagraphAlignment(DWRITE_PARAGRAPH_ALIGNMENT_NEAR);
    text_formats_.emplace(key, fmt);
    return fmt;
}

// ---- Primitives ----------------------------------------------------------------------------------------

bool D2dRenderer::use_color(const Color& c) {
    auto brush = brush_color(c, global_alpha);
    if (!brush) return false;
    brush_->SetColor(d2d_color(*brush));
    return true;
}

void D2dRenderer::fill_rounded_rect(const RectF& r, float radius, const Color& c) {
    if (!(r.w > 0) || !(r.h > 0) || !use_color(c)) return;
    float rr = fill_radius(radius, r.w, r.h);
    target_->FillRoundedRectangle(D2D1::RoundedRect(d2d_rect(r), rr, rr), brush_.Get());
}

void D2dRenderer::stroke_rounded_rect(const RectF& r, float radius, const Color& c, float stroke_width, float dash,
                                      float dash_offset) {
    if (!use_color(c)) return;
    float rr = outline_radius(radius, r.w, r.h);
    if (!(dash > 0)) {
        target_->DrawRoundedRectangle(D2D1::RoundedRect(d2d_rect(r), rr, rr), brush_.Get(), stroke_width, stroke_.Get());
        return;
    }
    D2D1_STROKE_STYLE_PROPERTIES sp = D2D1::StrokeStyleProperties(
        D2D1_CAP_STYLE_ROUND, D2D1_CAP_STYLE_ROUND, D2D1_CAP_STYLE_ROUND, D2D1_LINE_JOIN_ROUND, 10.0f,
        D2D1_DASH_STYLE_CUSTOM, dash_offset);
    float dashes[2] = {dash, 0.9f * dash};
    ComPtr<ID2D1StrokeStyle> style;
    if (FAILED(d2d_factory_->CreateStrokeStyle(&sp, dashes, 2, style.GetAddressOf())) || !style) return;
    target_->DrawRoundedRectangle(D2D1::RoundedRect(d2d_rect(r), rr, rr), brush_.Get(), stroke_width, style.Get());
}

void D2dRenderer::fill_gradient_rounded_rect(const RectF& r, float radius, const Color& a, const Color& b, float x0,
                                             float x1) {
    if (!(global_alpha > kAlphaFloor) || !(r.w > 0) || !(r.h > 0)) return;
    D2D1_GRADIENT_STOP stops[2] = {{0.0f, d2d_color(a)}, {1.0f, d2d_color(b)}};
    ComPtr<ID2D1GradientStopCollection> collection;
    if (FAILED(target_->CreateGradientStopCollection(stops, 2, D2D1_GAMMA_2_2, D2D1_EXTEND_MODE_CLAMP,
                                                     collection.GetAddressOf())) ||
        !collection)
        return;
    ComPtr<ID2D1LinearGradientBrush> gradient;
    if (FAILED(target_->CreateLinearGradientBrush(
            D2D1::LinearGradientBrushProperties(D2D1::Point2F(x0, r.y), D2D1::Point2F(x1, r.y)),
            D2D1::BrushProperties(global_alpha, D2D1::Matrix3x2F::Identity()), collection.Get(),
            gradient.GetAddressOf())) ||
        !gradient)
        return;
    float rr = outline_radius(radius, r.w, r.h);
    target_->FillRoundedRectangle(D2D1::RoundedRect(d2d_rect(r), rr, rr), gradient.Get());
}

void D2dRenderer::fill_circle(float cx, float cy, float r, const Color& c) {
    if (!(r > 0) || !use_color(c)) return;
    target_->FillEllipse(D2D1::Ellipse(D2D1::Point2F(cx, cy), r, r), brush_.Get());
}

void D2dRenderer::stroke_circle(float cx, float cy, float r, const Color& c, float stroke_width) {
    if (!(r > 0) || !use_color(c)) return;
    target_->DrawEllipse(D2D1::Ellipse(D2D1::Point2F(cx, cy), r, r), brush_.Get(), stroke_width, stroke_.Get());
}

void D2dRenderer::draw_line(float x0, float y0, float x1, float y1, float stroke_width, const Color& c) {
    if (!use_color(c)) return;
    target_->DrawLine(D2D1::Point2F(x0, y0), D2D1::Point2F(x1, y1), brush_.Get(), stroke_width, stroke_.Get());
}

void D2dRenderer::fill_polygon(const std::vector<PointF>& points, const Color& c, float outline_width) {
    if (points.size() < 3 || !use_color(c)) return;
    ComPtr<ID2D1PathGeometry> geometry;
    if (FAILED(d2d_factory_->CreatePathGeometry(geometry.GetAddressOf())) || !geometry) return;
    ComPtr<ID2D1GeometrySink> sink;
    if (FAILED(geometry->Open(sink.GetAddressOf())) || !sink) return;
    sink->BeginFigure(d2d_point(points[0]), D2D1_FIGURE_BEGIN_FILLED);
    for (size_t i = 1; i < points.size(); ++i) sink->AddLine(d2d_point(points[i]));
    sink->EndFigure(D2D1_FIGURE_END_CLOSED);
    if (FAILED(sink->Close())) return;
    target_->FillGeometry(geometry.Get(), brush_.Get());
    if (outline_width > 0) target_->DrawGeometry(geometry.Get(), brush_.Get(), outline_width, stroke_.Get());
}

void D2dRenderer::draw_arc(float cx, float cy, float r, float start, float sweep, float stroke_width,
                           const Color& c) {
    if (!(sweep > 0.0005f) || !use_color(c)) return;
    ArcPath path = arc_path(cx, cy, r, start, sweep);
    if (path.kind == ArcPath::Ring) {
        target_->DrawEllipse(D2D1::Ellipse(D2D1::Point2F(cx, cy), r, r), brush_.Get(), stroke_width, stroke_.Get());
        return;
    }
    if (path.kind != ArcPath::Open) return;
    ComPtr<ID2D1PathGeometry> geometry;
    if (FAILED(d2d_factory_->CreatePathGeometry(geometry.GetAddressOf())) || !geometry) return;
    ComPtr<ID2D1GeometrySink> sink;
    if (FAILED(geometry->Open(sink.GetAddressOf())) || !sink) return;
    sink->BeginFigure(d2d_point(path.start), D2D1_FIGURE_BEGIN_HOLLOW);
    for (const CubicSegment& s : path.segments)
        sink->AddBezier(D2D1::BezierSegment(d2d_point(s.c1), d2d_point(s.c2), d2d_point(s.end)));
    sink->EndFigure(D2D1_FIGURE_END_OPEN);
    if (FAILED(sink->Close())) return;
    target_->DrawGeometry(geometry.Get(), brush_.Get(), stroke_width, stroke_.Get());
}

void D2dRenderer::draw_soft_shadow(const RectF& r, float radius, float strength) {
    for (const ShadowLayer& layer : shadow_layers(r, radius, strength, global_alpha)) {
        brush_->SetColor(D2D1::ColorF(0, 0, 0, layer.alpha));
        target_->FillRoundedRectangle(D2D1::RoundedRect(d2d_rect(layer.rect), layer.radius, layer.radius),
                                      brush_.Get());
    }
}

void D2dRenderer::draw_text(std::string_view text, const RectF& r, float size, FontFamily family, float weight,
                            const Color& c, TextAlign align) {
    if (text.empty() || !brush_color(c, global_alpha)) return;
    ComPtr<IDWriteTextFormat> fmt = label_format(family, size, weight, align);
    std::wstring wide;
    if (!fmt || !to_wide(text, wide) || !use_color(c)) return;
    target_->DrawText(wide.data(), static_cast<UINT32>(wide.size()), fmt.Get(), d2d_rect(r), brush_.Get(),
                      D2D1_DRAW_TEXT_OPTIONS_NONE, DWRITE_MEASURING_MODE_NATURAL);
}

void D2dRenderer::draw_wrapped_text(std::string_view text, const RectF& r, float size, float weight,
                                    const Color& c) {
    if (text.empty() || !brush_color(c, global_alpha)) return;
    ComPtr<IDWriteTextFormat> fmt = text_format(size, weight);
    std::wstring wide;
    if (!fmt || !to_wide(text, wide) || !use_color(c)) return;
    target_->DrawText(wide.data(), static_cast<UINT32>(wide.size()), fmt.Get(), d2d_rect(r), brush_.Get(),
                      D2D1_DRAW_TEXT_OPTIONS_CLIP, DWRITE_MEASURING_MODE_NATURAL);
}

float D2dRenderer::measure_text(std::string_view text, float size, FontFamily family, float weight) {
    ComPtr<IDWriteTextFormat> fmt = label_format(family, size, weight, TextAlign::Left);
    std::wstring wide;
    if (!fmt || !to_wide(text, wide)) return 0;
    ComPtr<IDWriteTextLayout> layout;
    if (FAILED(dwrite_factory_->CreateTextLayout(wide.data(), static_cast<UINT32>(wide.size()), fmt.Get(), 4000.0f,
                                                 200.0f, layout.GetAddressOf())) ||
        !layout)
        return 0;
    DWRITE_TEXT_METRICS m{};
    if (FAILED(layout->GetMetrics(&m))) return 0;
    return m.widthIncludingTrailingWhitespace;
}

float D2dRenderer::measure_wrapped(std::string_view text, float width, float size, float weight) {
    WrapKey key = wrap_key(text, width, size, weight);
    if (const float* hit = wrapped_heights_.find(key)) return *hit;
    float height = 0;
    ComPtr<IDWriteTextFormat> fmt = text_format(size, weight);
    std::wstring wide;
    ComPtr<IDWriteTextLayout> layout;
    if (fmt && to_wide(text, wide) &&
        SUCCEEDED(dwrite_factory_->CreateTextLayout(wide.data(), static_cast<UINT32>(wide.size()), fmt.Get(),
                                                    std::max(width, 10.0f), 10000.0f, layout.GetAddressOf())) &&
        layout) {
        DWRITE_TEXT_METRICS m{};
        if (SUCCEEDED(layout->GetMetrics(&m))) height = m.height;
    }
    wrapped_heights_.insert(key, height);
    return height;
}

void D2dRenderer::draw_image(uint64_t id, const Image& image, const RectF& r, float radius) {
    if (!(global_alpha > kAlphaFloor) || image.width == 0 || image.height == 0 || !(r.w > 0)) return;
    ID2D1Bitmap* bitmap = nullptr;
    if (auto it = images_.find(id); it != images_.end()) {
        bitmap = it->second.Get();
    } else {
        // A short pixel buffer would be read past its end.
        auto need = pixel_bytes(image.width, image.height);
        if (!need || image.pixels.size() < *need || image.width > 0x3FFFFFFFu) return;
        D2D1_BITMAP_PROPERTIES props = D2D1::BitmapProperties(
            D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED), 96.0f, 96.0f);
        ComPtr<ID2D1Bitmap> created;
        if (FAILED(target_->CreateBitmap(D2D1::SizeU(image.width, image.height), image.pixels.data(), image.width * 4,
                                         &props, created.GetAddressOf())) ||
            !created)
            return;
        bitmap = created.Get();
        images_.emplace(id, std::move(created));
    }
    CoverFit fit = cover_fit(r, image.width, image.height);
    ComPtr<ID2D1BitmapBrush> brush;
    if (FAILED(target_->CreateBitmapBrush(
            bitmap,
            D2D1::BitmapBrushProperties(D2D1_EXTEND_MODE_CLAMP, D2D1_EXTEND_MODE_CLAMP,
                                        D2D1_BITMAP_INTERPOLATION_MODE_LINEAR),
            D2D1::BrushProperties(global_alpha, D2D1::Matrix3x2F(fit.scale, 0, 0, fit.scale, fit.tx, fit.ty)),
            brush.GetAddressOf())) ||
        !brush)
        return;
    float rr = outline_radius(radius, r.w, r.h);
    target_->FillRoundedRectangle(D2D1::RoundedRect(d2d_rect(r), rr, rr), brush.Get());
}

void D2dRenderer::draw_area_chart(const RectF& r, const std::vector<float>& values, float maximum, uint32_t slots,
                                  const Color& c) {
    if (values.size() < 2) return;
    auto line_color = brush_color(c, global_alpha);
    if (!line_color) return;
    std::vector<PointF> pts = chart_points(r, values, maximum, slots);
    float bottom = r.y + r.h;

    ComPtr<ID2D1PathGeometry> area;
    if (FAILED(d2d_factory_->CreatePathGeometry(area.GetAddressOf())) || !area) return;
    {
        ComPtr<ID2D1GeometrySink> sink;
        if (FAILED(area->Open(sink.GetAddressOf())) || !sink) return;
        sink->BeginFigure(D2D1::Point2F(pts.front().x, bottom), D2D1_FIGURE_BEGIN_FILLED);
        for (const PointF& p : pts) sink->AddLine(d2d_point(p));
        sink->AddLine(D2D1::Point2F(pts.back().x, bottom));
        sink->EndFigure(D2D1_FIGURE_END_CLOSED);
        if (FAILED(sink->Close())) return;
    }
    ComPtr<ID2D1PathGeometry> line;
    if (FAILED(d2d_factory_->CreatePathGeometry(line.GetAddressOf())) || !line) return;
    {
        ComPtr<ID2D1GeometrySink> sink;
        if (FAILED(line->Open(sink.GetAddressOf())) || !sink) return;
        sink->BeginFigure(d2d_point(pts.front()), D2D1_FIGURE_BEGIN_HOLLOW);
        for (size_t i = 1; i < pts.size(); ++i) sink->AddLine(d2d_point(pts[i]));
        sink->EndFigure(D2D1_FIGURE_END_OPEN);
        if (FAILED(sink->Close())) return;
    }
    Color fill = *line_color;
    fill.a = clamp01(fill.a * 0.16f);
    brush_->SetColor(d2d_color(fill));
    target_->FillGeometry(area.Get(), brush_.Get());
    brush_->SetColor(d2d_color(*line_color));
    target_->DrawGeometry(line.Get(), brush_.Get(), 1.6f, stroke_.Get());
}

// ---- Icon pictures -------------------------------------------------------------------------------------

const wchar_t* D2dRenderer::font_name(FontFamily f) const {
    if (f == FontFamily::Icons && !icon_family_.empty()) return icon_family_.c_str();
    return family_name(f);
}

const GlyphGeometry* D2dRenderer::glyph_geometry(char32_t code_point, float size) {
    GlyphKey key{static_cast<uint32_t>(code_point), key_u32(size * 100.0f)};
    if (const GlyphGeometry* hit = glyphs_.find(key)) return hit;
    const GlyphPicture& pic = glyph_picture(code_point);
    const float s = size / kGlyphBox, half = kGlyphBox / 2;
    auto at = [&](PointF p) { return D2D1::Point2F((p.x - half) * s, (p.y - half) * s); };
    GlyphGeometry out;
    out.stroke_width = glyph_stroke_width(size) * s;
    for (bool filled : {false, true}) {
        if (std::none_of(pic.figures.begin(), pic.figures.end(), [&](const GlyphFigure& f) { return f.filled == filled; }))
            continue;
        ComPtr<ID2D1PathGeometry> geometry;
        if (FAILED(d2d_factory_->CreatePathGeometry(geometry.GetAddressOf())) || !geometry) return nullptr;
        ComPtr<ID2D1GeometrySink> sink;
        if (FAILED(geometry->Open(sink.GetAddressOf())) || !sink) return nullptr;
        for (const GlyphFigure& f : pic.figures) {
            if (f.filled != filled) continue;
            sink->BeginFigure(at(f.start), filled ? D2D1_FIGURE_BEGIN_FILLED : D2D1_FIGURE_BEGIN_HOLLOW);
            for (const GlyphSegment& seg : f.segments) {
                if (seg.cubic) sink->AddBezier(D2D1::BezierSegment(at(seg.c1), at(seg.c2), at(seg.end)));
                else sink->AddLine(at(seg.end));
            }
            // A figure that already ends where it began (a circle) gets no closing segment: Wine
            // strokes that zero-length segment as a long horizontal spike.
            const PointF last = f.segments.empty() ? f.start : f.segments.back().end;
            const bool back_at_start = std::fabs(last.x - f.start.x) < 1e-3f && std::fabs(last.y - f.start.y) < 1e-3f;
            sink->EndFigure(f.closed && (filled || !back_at_start) ? D2D1_FIGURE_END_CLOSED : D2D1_FIGURE_END_OPEN);
        }
        if (FAILED(sink->Close())) return nullptr;
        (filled ? out.filled : out.stroked) = std::move(geometry);
    }
    glyphs_.insert(key, std::move(out));
    return glyphs_.find(key);
}

bool D2dRenderer::draw_glyph_picture(char32_t code_point, float cx, float cy, float size, const Color& c) {
    if (icon_font_ != IconFont::None) return false;
    if (!(size > 0) || !use_color(c)) return true;
    const GlyphGeometry* g = glyph_geometry(code_point, size);
    if (!g) return true;
    D2D1_MATRIX_3X2_F was;
    target_->GetTransform(&was);
    target_->SetTransform(D2D1::Matrix3x2F::Translation(cx, cy) * was);
    if (g->filled) target_->FillGeometry(g->filled.Get(), brush_.Get());
    if (g->stroked) target_->DrawGeometry(g->stroked.Get(), brush_.Get(), g->stroke_width, stroke_.Get());
    target_->SetTransform(was);
    return true;
}

}  // namespace

// ---- create_renderer ----------------------------------------------------------------------------------

Result<std::unique_ptr<Renderer>> create_renderer(int32_t width, int32_t height, float scale) {
    auto r = std::make_unique<D2dRenderer>();
    Status s = r->init(width, height, scale);
    if (!s) return s.error();
    return std::unique_ptr<Renderer>(std::move(r));
}
