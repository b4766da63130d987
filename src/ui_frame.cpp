// One frame of the island: the pill, its shadow, glow, side bubble and
// privacy dots, the content of the current (and fading previous) mode, and
// the presentation to the layered window.
//
// Index
//   Frame geometry
//   Dirty rectangle
//   App::render
#include <algorithm>
#include <cmath>

#include "app.h"
#include "app_geometry.h"
#include "gfx.h"
#include "gfx_geom.h"
#include "gfx_palette.h"
#include "sys_num.h"
#include "ui_frame.h"
#include "ui_island.h"
#include "ui_widgets.h"

// ---- Frame geometry ----------------------------------------------------------------------

FrameGeometry frame_geometry(const App& app) {
    FrameGeometry g;
    g.vis = std::clamp(app.anim.visibility.value, 0.0f, 1.0f);
    float s = (0.55f + 0.45f * g.vis) * app.anim.squash.value;
    g.w = std::max(app.anim.width.value, 12.0f) * s;
    g.h = std::max(app.anim.height.value, 12.0f) * s;
    g.x = kIslandCentreX - g.w / 2;
    g.r = std::max(std::min(app.anim.radius.value * s, g.h / 2), 4.0f);
    g.e = app.anim.bubble.value;
    g.bx = g.x + g.w - g.h / 2 + g.e * (7 + g.h);
    g.by = 8 + g.h / 2;
    g.br = (0.55f + 0.45f * std::min(g.e, 1.0f)) * g.h / 2;
    return g;
}

// ---- Dirty rectangle --------------------------------------------------------------------------

namespace {

using namespace palette;

RectF unite(const RectF& a, const RectF& b) {
    float l = std::min(a.x, b.x), t = std::min(a.y, b.y);
    float r = std::max(a.x + a.w, b.x + b.w), btm = std::max(a.y + a.h, b.y + b.h);
    return RectF{l, t, r - l, btm - t};
}

int32_t clamp_px(double v, int32_t hi) {
    int64_t i = sat_i64(v);
    return static_cast<int32_t>(std::clamp<int64_t>(i, 0, hi));
}

}  // namespace

RectI frame_dirty_rect(const App& app, const FrameGeometry& g, float scale, int32_t width, int32_t height) {
    float glow = app.anim.glow_strength.value;
    float m = g.h > 46 ? 26.0f : glow > 0.01f ? 22.0f : 3.0f;
    RectF box{g.x - m, 8 - m, g.w + 2 * m, g.h + 2 * m};
    if (g.e >= 0.01f) {
        float mb = glow > 0.01f ? 22.0f : 3.0f;
        box = unite(box, RectF{g.bx - g.br - mb, g.by - g.br - mb, 2 * g.br + 2 * mb, 2 * g.br + 2 * mb});
    }
    if (!app.sysmon.snap.mic_users.empty() || !app.sysmon.snap.cam_users.empty())
        box = unite(box, RectF{g.x + g.w, 8, 80, g.h});
    RectI p;
    p.left = clamp_px(std::floor(static_cast<double>(box.x) * scale), width);
    p.top = clamp_px(std::floor(static_cast<double>(box.y) * scale), height);
    p.right = clamp_px(std::ceil(static_cast<double>(box.x + box.w) * scale), width);
    p.bottom = clamp_px(std::ceil(static_cast<double>(box.y + box.h) * scale), height);
    return p;
}

RectI unite_pixels(const RectI& a, const RectI& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return RectI{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                     std::max(a.bottom, b.bottom)};
}

// ---- App::render ---------------------------------------------------------------------------

namespace {



float ease_out_cubic(float u) { return 1 - (1 - u) * (1 - u) * (1 - u); }
float smoothstep(float p) { return p * p * (3 - 2 * p); }

// A ring track and its value arc inside the side bubble.
void bubble_ring(Renderer& r, const FrameGeometry& g, Color c, float start, float sweep) {
    r.draw_arc(g.bx, g.by, 0.52f * g.br, 0, 1, 2.6f, with_alpha(c, 0.25f));
    r.draw_arc(g.bx, g.by, 0.52f * g.br, start, sweep, 2.6f, with_alpha(c, 1));
}

// Seconds left of a running or paused clock.
double left_of(bool running, double end, double remaining, double now) {
    return running ? std::max(0.0, end - now) : remaining;
}

void draw_bubble_content(App& app, Renderer& r, const FrameGeometry& g) {
    switch (static_cast<ActKind>(app.island.bubble_act)) {
        case ActKind::Music:
            break;
        case ActKind::Steam: {
            float p = 0;
            if (app.steam.download && app.steam.download->total > 0)
                p = std::clamp(static_cast<float>(app.steam.download->done / app.steam.download->total), 0.0f, 1.0f);
            bubble_ring(r, g, kBlue, 0, p);
            break;
        }
        case ActKind::Game: {
            float pulse = 1.5f * (0.5f + 0.5f * std::sin(3.0f * static_cast<float>(app.now)));
            r.fill_circle(g.bx, g.by, 0.42f * g.br + pulse, with_alpha(kGreen, 0.25f));
            r.draw_glyph(0xE7FC, g.bx, g.by, 11, kGreen);
            break;
        }
        case ActKind::Timer: {
            double left = left_of(app.timers.countdown.running, app.timers.countdown.end, app.timers.countdown.remaining, app.now);
            float p = static_cast<float>(left / std::max(app.timers.countdown.length, 1.0));
            bubble_ring(r, g, kOrange, 1 - p, p);
            break;
        }
        case ActKind::Pomo: {
            bool focus = app.timers.pomo.phase == PomoPhase::Focus;
            double length = focus ? std::max(app.timers.pomo.minutes * 60.0, 1.0)
                                  : app.timers.pomo.phase == PomoPhase::ShortBreak ? 300.0 : 900.0;
            double left = left_of(app.timers.pomo.running, app.timers.pomo.end, app.timers.pomo.remaining, app.now);
            float p = static_cast<float>(left / length);
            bubble_ring(r, g, focus ? kRed : kGreen, 1 - p, p);
            break;
        }
        case ActKind::Watch: {
            double elapsed = app.timers.stopwatch.running ? app.timers.stopwatch.accumulated + (app.now - app.timers.stopwatch.start) : 0.0;
            float frac = static_cast<float>(elapsed - std::floor(elapsed));
            r.draw_arc(g.bx, g.by, 0.52f * g.br, frac, 0.22f, 2.6f, kBlue);
            break;
        }
    }
}

void draw_privacy_dots(App& app, Renderer& r, const FrameGeometry& g) {
    float cx = (g.e >= 0.01f ? g.bx + g.br : g.x + g.w) + 9;
    float cy = 8 + g.h / 2;
    auto dot = [&](Color c) {
        r.fill_circle(cx, cy, 6.5f, with_alpha(c, 0.25f));
        r.fill_circle(cx, cy, 3.8f, with_alpha(c, 1));
        cx += 13;
    };
    if (!app.sysmon.snap.cam_users.empty()) dot(kGreen);
    if (!app.sysmon.snap.mic_users.empty()) dot(kOrange);
}

}  // namespace

void App::render() {
    Renderer* rp = drawing.renderer.get();
    if (!rp) {
        drawing.redraw = false;
        return;
    }
    Renderer& r = *rp;
    FrameGeometry g = frame_geometry(*this);

    // 1. A hidden island costs one transparent frame, then nothing.
    bool hidden = g.vis < 0.004f && anim.visibility.target < 0.004f;
    if (hidden && drawing.hidden_frame) return;
    drawing.hidden_frame = hidden;

    // 2. Redraw and present the union of the old and the new bounds.
    RectI now_rect = frame_dirty_rect(*this, g, r.scale(), r.pixel_width(), r.pixel_height());
    RectI dirty = unite_pixels(now_rect, drawing.last_presented);
    // A move or resize shows only once the whole bitmap is presented again.
    if (drawing.full_present) {
        dirty = RectI{0, 0, r.pixel_width(), r.pixel_height()};
        drawing.full_present = false;
    }
    drawing.last_presented = now_rect.empty() ? drawing.last_presented : now_rect;
    drawing.redraw = false;
    if (dirty.empty()) return;

    // 3.
    if (!r.begin_frame(dirty.left, dirty.top, dirty.right, dirty.bottom).ok()) return;

    // 4.
    drawing.hits.clear();
    if (g.vis >= 0.004f) {
        // 5.
        r.global_alpha = g.vis;
        r.reset_transform();
        RectF pill{g.x, 8, g.w, g.h};

        // 6.
        r.draw_soft_shadow(pill, g.r, 1.2f * std::clamp((g.h - 46) / 80, 0.0f, 1.0f));

        // 7. Glow: ten widening rings that pulse slowly.
        float glow = std::clamp(anim.glow_strength.value, 0.0f, 1.0f);
        if (glow > 0.01f) {
            float pulse = 0.72f + 0.28f * std::sin(2.1f * static_cast<float>(now));
            float k = glow * pulse * 0.16f;
            float ga = r.global_alpha;
            r.global_alpha = 1;  // the alphas below already carry it
            for (int i = 0; i < 10; ++i) {
                float spread = 2.0f * i + 1.5f;
                float a = k * std::pow(1 - i / 10.0f, 1.6f);
                RectF gr{pill.x - spread, pill.y - spread, pill.w + 2 * spread, pill.h + 2 * spread};
                float rr = std::max(0.0f, std::min({g.r + spread, gr.w / 2, gr.h / 2}));
                float alpha = std::min(1.0f, anim.glow_color.a * a * ga);
                if (alpha > 0.002f) r.fill_rounded_rect(gr, rr, with_alpha(anim.glow_color, alpha));
                if (g.e >= 0.01f) {
                    float ba = std::min(1.0f, std::min(g.e, 1.0f) * a * anim.glow_color.a * ga);
                    if (ba > 0.002f) r.fill_circle(g.bx, g.by, g.br + spread, with_alpha(anim.glow_color, ba));
                }
            }
            r.global_alpha = ga;
        }

        // 8. Side bubble with its neck.
        if (g.e >= 0.01f) {
            if (g.e < 0.85f) {
                float t = std::min(1.0f, g.e / 0.85f);
                float nh = (1 - t) * 0.55f * g.h;
                if (nh > 1) {
                    float left = g.x + g.w - g.h / 2;
                    r.fill_rounded_rect(RectF{left, g.by - nh / 2, g.bx - left, nh}, nh / 2, kBlack);
                }
            }
            if (g.br > 0 && r.global_alpha > 0.002f) r.fill_circle(g.bx, g.by, g.br, kBlack);
        }

        // 9. The pill.
        if (g.w > 0 && g.h > 0 && r.global_alpha > 0.002f)
            r.fill_rounded_rect(pill, std::max(0.0f, std::min({g.r, g.w / 2, g.h / 2})), kBlack);

        // 10. Rim.
        float rim = 0.07f * g.vis;
        if (g.w - 1 > 0 && g.h - 1 > 0 && rim * r.global_alpha > 0.002f)
            r.stroke_rounded_rect(RectF{g.x + 0.5f, 8.5f, g.w - 1, g.h - 1},
                                  std::max(0.0f, std::min({g.r - 0.5f, (g.w - 1) / 2, (g.h - 1) / 2})),
                                  Color{1, 1, 1, rim}, 1, 0, 0);

        // 11. Artwork backdrop of the media page.
        float t = static_cast<float>(now - island.mode_changed);
        if (island.mode == IslandMode::open(Page::Media) && media.snap.art_small) {
            float f = island.prev_mode.tag == ModeTag::None ? 1.0f : ease_out_cubic(std::clamp(t / 0.4f, 0.0f, 1.0f));
            float ga = r.global_alpha;
            r.global_alpha = 0.3f * g.vis * f;
            r.draw_image(image_id(kImageOwnerSmallArtwork, media.snap.art_version), *media.snap.art_small, pill, g.r);
            r.global_alpha = ga;
        }

        // 12.-14. Content, clipped to the pill.
        r.push_clip(pill);
        // During a page change the header and dock are drawn once below, not slid with each page.
        bool both_open = island.mode.is_open() && island.prev_mode.is_open();
        if (island.prev_mode.tag != ModeTag::None) {
            float fade_out = 1 - smoothstep(std::clamp(t / 0.13f, 0.0f, 1.0f));
            if (fade_out > 0.003f) {
                float off = ease_out_cubic(std::clamp(t / 0.3f, 0.0f, 1.0f)) * island.slide_dir * -34.0f;
                draw_island(*this, static_cast<uint8_t>(island.prev_mode.tag), island.prev_mode.payload, fade_out * g.vis, off, false, !both_open);
            }
        }
        float d = 0.06f, len = 0.22f;
        if (island.mode.is_open() && island.prev_mode.tag != ModeTag::None && !island.prev_mode.is_open()) {
            d = 0.09f;
            len = 0.26f;
        } else if (island.slide_dir != 0) {
            d = 0.03f;
            len = 0.24f;
        }
        float u1 = std::clamp((t - d / 2) / 0.32f, 0.0f, 1.0f);
        float u2 = std::clamp((t - d) / len, 0.0f, 1.0f);
        float offset = (1 - u1) * (1 - u1) * (1 - u1) * island.slide_dir * 34.0f;
        float fade_in = ease_out_cubic(u2);
        draw_island(*this, static_cast<uint8_t>(island.mode.tag), island.mode.payload, g.vis * fade_in, offset, fade_in > 0.35f, !both_open);
        if (both_open) {
            IslandShape s = island_size(*this, static_cast<uint8_t>(island.mode.tag), island.mode.payload);
            float z = std::clamp(g.w / s.width, kContentZoomMin, kContentZoomMax);
            r.global_alpha = g.vis;
            r.set_transform(Affine::scale_about(z, kIslandCentreX, kIslandTop));
            pointer.zoom = z;
            pointer.shift = 0;
            bool was = drawing.record_hits;
            drawing.record_hits = true;
            draw_page_header(kIslandCentreX - s.width / 2, kIslandTop, s.width);
            draw_tab_strip(s.height);
            drawing.record_hits = was;
            r.reset_transform();
        }
        r.pop_clip();

        // 15. Bubble content.
        if (g.e >= 0.01f && island.bubble_act != kNoAct) {
            r.global_alpha = g.vis * std::clamp((g.e - 0.45f) * 2.2f, 0.0f, 1.0f);
            draw_bubble_content(*this, r, g);
            if (g.e > 0.6f)
                drawing.hits.push_back(HitRegion{RectF{g.bx - g.br, g.by - g.br, 2 * g.br, 2 * g.br}, Action::of(ActionKind::Bubble)});
        }

        // 16. Privacy dots while closed.
        if (!island.open && (!sysmon.snap.mic_users.empty() || !sysmon.snap.cam_users.empty())) {
            r.global_alpha = g.vis;
            draw_privacy_dots(*this, r, g);
        }
    }

    // 17.
    r.global_alpha = 1;
    if (!r.end_frame()) {
        drawing.redraw = true;
        drawing.hidden_frame = false;
        drawing.last_presented = RectI{0, 0, r.pixel_width(), r.pixel_height()};
        return;
    }

    // 18.
    if (!island.quiet) present_frame(*this, dirty);
}
