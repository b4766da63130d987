// The frame of the island: geometry shared by drawing, the dirty rectangle
// and presentation.
#pragma once
#include <cstdint>

#include "gfx_types.h"

struct App;

// Pill, bubble and visibility of the current frame, in island units.
struct FrameGeometry {
    float vis = 0;
    float x = 0, w = 0, h = 0, r = 0;   // the pill at top 8
    float e = 0, bx = 0, by = 0, br = 0; // the side bubble
};
FrameGeometry frame_geometry(const App& app);

// The pixels this frame may touch (pill, glow, bubble and privacy margins).
RectI frame_dirty_rect(const App& app, const FrameGeometry& g, float scale, int32_t width, int32_t height);
RectI unite_pixels(const RectI& a, const RectI& b);

// Hands the drawn bitmap to the layered window (UpdateLayeredWindowIndirect
// on Windows; nothing natively).
void present_frame(App& app, const RectI& dirty);
