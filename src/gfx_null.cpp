// The null renderer (see gfx_null.h).
#include "gfx_null.h"

#include "gfx_geom.h"

NullRenderer::NullRenderer(float scale) : scale_(scale) {
    PixelSize px = canvas_pixels(scale);
    width_ = px.width;
    height_ = px.height;
}

Status NullRenderer::resize_dib(int32_t width, int32_t height, float scale) {
    if (width <= 0 || height <= 0) return make_error("resize_dib: empty bitmap");
    width_ = width;
    height_ = height;
    scale_ = scale;
    return ok_status();
}

Status NullRenderer::begin_frame(int32_t left, int32_t top, int32_t, int32_t) {
    origin_ = {-static_cast<float>(left) / scale_, -static_cast<float>(top) / scale_};
    global_alpha = 1.0f;
    return ok_status();
}

float NullRenderer::measure_text(std::string_view text, float size, FontFamily family, float) {
    return fixed_text_width(text, size, family);
}

float NullRenderer::measure_wrapped(std::string_view text, float width, float size, float) {
    return fixed_wrapped_height(text, width, size);
}
