// The now-playing page: the current media session with its artwork, the
// sessions to switch between, the seek bar with its times, the transport
// buttons and a small output-volume meter. It reads the App's copy of the
// media snapshot and keeps no state of its own.
//
// Index
//   Geometry and helpers
//   Empty state
//   Header column: app line, session chips, title
//   Seek bar and times
//   Transport and volume
//   The page
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "app.h"
#include "pages.h"
#include "ui_widgets.h"

namespace {

// ---- Geometry and helpers ---------------------------------------------------------------------------------

constexpr float kArtSide = 150, kArtRadius = 22, kColumnLeft = 170;
// The seek bar sits at fixed island x (the pointer code maps drags onto the same span).
constexpr float kSeekLeft = 328, kSeekWidth = 414, kSeekY = 170.5f, kTimeY = 161.5f;
constexpr float kChipH = 24, kChipText = 11.5f, kChipPad = 22, kChipGap = 6;
constexpr float kTransportY = 216, kTransportPitch = 64, kSideRadius = 21, kMiddleRadius = 25;
constexpr float kMeterW = 80, kMeterH = 4;

Color white(float a) { return rgb(255, 255, 255, a); }

// "m:ss" below an hour, "h:mm:ss" from an hour on.
std::string media_clock(double seconds) {
    const int64_t s = seconds > 0 ? static_cast<int64_t>(std::floor(seconds)) : 0;
    if (s >= 3600) return fmt::format("{}:{:02}:{:02}", s / 3600, (s % 3600) / 60, s % 60);
    return fmt::format("{}:{:02}", s / 60, s % 60);
}

// A triangle pointing right (or left), centred on (cx, cy), half-height h.
std::vector<PointF> triangle(float cx, float cy, float h, bool right) {
    const float d = right ? 1.0f : -1.0f;
    return {{cx - d * 0.7f * h, cy - h}, {cx + d * h, cy}, {cx - d * 0.7f * h, cy + h}};
}

// ---- Empty state --------------------------------------------------------------------------------------------

void empty_state(App& app, const RectF& b) {
    Renderer& g = *app.drawing.renderer;
    const float mid = b.x + b.w / 2;
    g.fill_circle(mid, b.y + 34, 26, white(0.08f));
    g.draw_glyph(0xE8D6, mid, b.y + 34, 20, page_color::kSecondary);
    g.draw_text("Şu an bir şey çalmıyor", {b.x, b.y + 68, b.w, 24}, 16, FontFamily::Text, 600, page_color::kPrimary,
                TextAlign::Center);
    g.draw_text("Spotify, YouTube ya da herhangi bir oynatıcıda müzik başlat", {b.x, b.y + 92, b.w, 20}, 12.5f,
                FontFamily::Text, 400, page_color::kTertiary, TextAlign::Center);

    const Action play = Action::of(ActionKind::Play);
    const RectF pill{mid - 58, b.y + 122, 116, 34};
    g.fill_rounded_rect(pill, pill.h / 2, white(0.12f + 0.08f * app.hover_of(play)));
    const float lw = g.measure_text("Oynat", 13.5f, FontFamily::Text, 600);
    const float left = mid - (lw + 20) / 2, cy = pill.y + pill.h / 2;
    g.fill_polygon({{left, cy - 6}, {left + 10, cy}, {left, cy + 6}}, page_color::kPrimary, 1.54f);
    g.draw_text("Oynat", {left + 20, pill.y, lw + 6, pill.h}, 13.5f, FontFamily::Text, 600, page_color::kPrimary,
                TextAlign::Left);
    app.push_hit(pill, play);
}

// ---- Header column: app line, session chips, title --------------------------------------------------------

// The chips sit on the app line right of the app name; those that do not fit are left out.
void session_chips(App& app, float x, float y, float right) {
    Renderer& g = *app.drawing.renderer;
    const MediaSnapshot& m = app.media.snap;
    for (size_t i = 0; i < m.sessions.size() && i < 256; ++i) {
        const MediaSessionEntry& s = m.sessions[i];
        const float w = g.measure_text(s.app_name, kChipText, FontFamily::Text, 600) + kChipPad;
        if (x + w > right) break;
        const Action a = Action::byte(ActionKind::Source, static_cast<uint8_t>(i));
        const RectF r{x, y, w, kChipH};
        const bool current = s.app_id == m.source_id;
        g.fill_rounded_rect(r, std::min(kChipH / 2, 12.0f), white(current ? 0.3f : 0.08f + 0.08f * app.hover_of(a)));
        g.draw_text(s.app_name, r, kChipText, FontFamily::Text, 600, page_color::kPrimary, TextAlign::Center);
        app.push_hit(r, a);
        x += w + kChipGap;
    }
}

void header_column(App& app, float x0, float y, float right) {
    Renderer& g = *app.drawing.renderer;
    const MediaSnapshot& m = app.media.snap;
    const Color accent{m.accent[0], m.accent[1], m.accent[2], 1};
    g.fill_circle(x0 + 4, y + 14, 3.5f, accent);
    g.draw_text(m.app, {x0 + 14, y + 2, 160, 20}, 12, FontFamily::Text, 700, page_color::kSecondary, TextAlign::Left);
    if (m.sessions.size() >= 2) session_chips(app, x0 + 180, y, right);

    // The equaliser follows the title; a long title is cut before it.
    constexpr float kEqW = 30, kEqH = 26, kEqGap = 10;
    const float room = right - x0 - (m.playing ? kEqW + kEqGap : 0);
    const float tw = std::min(g.measure_text(m.title, 20, FontFamily::Display, 700), room);
    g.draw_text(m.title, {x0, y + 28, room, 28}, 20, FontFamily::Display, 700, page_color::kPrimary, TextAlign::Left);
    if (m.playing) app.draw_eq_bars(x0 + tw + kEqGap, y + 42, kEqW, kEqH, accent);
    g.draw_text(m.artist, {x0, y + 56, right - x0, 22}, 14, FontFamily::Text, 500, page_color::kSecondary,
                TextAlign::Left);
}

// ---- Seek bar and times -----------------------------------------------------------------------------------

void seek_bar(App& app) {
    Renderer& g = *app.drawing.renderer;
    const MediaSnapshot& m = app.media.snap;
    const Action seek = Action::of(ActionKind::Seek);
    double p = app.pointer.seek_drag ? static_cast<double>(*app.pointer.seek_drag) * m.duration
                                     : m.position + (m.playing ? app.now - app.media.changed : 0.0);
    if (m.duration > 0) p = std::clamp(p, 0.0, m.duration);
    const float fraction = m.duration > 0 ? static_cast<float>(p / m.duration) : 0.0f;

    const float grow = app.pointer.seek_drag ? 1.0f : app.hover_of(seek);
    const float t = 5 + 3 * grow;
    g.fill_rounded_rect({kSeekLeft, kSeekY - t / 2, kSeekWidth, t}, t / 2, white(0.2f));
    if (fraction > 0) {
        const Color played{0.85f + 0.15f * m.accent[0], 0.85f + 0.15f * m.accent[1], 0.85f + 0.15f * m.accent[2], 1};
        g.fill_rounded_rect({kSeekLeft, kSeekY - t / 2, std::max(t, kSeekWidth * fraction), t}, t / 2, played);
    }
    if (m.can_seek) app.push_hit({kSeekLeft - 6, kSeekY - 12, kSeekWidth + 12, 24}, seek);

    const double remaining = m.duration > 0 ? m.duration - p : 0.0;
    g.draw_text(media_clock(p), {kSeekLeft - 50, kTimeY, 44, 18}, 11.5f, FontFamily::Text, 600, page_color::kTertiary,
                TextAlign::Right);
    g.draw_text(fmt::format("-{}", media_clock(remaining)), {kSeekLeft + kSeekWidth + 6, kTimeY, 48, 18}, 11.5f, FontFamily::Text, 600,
                page_color::kTertiary, TextAlign::Left);
}

// ---- Transport and volume -----------------------------------------------------------------------------------

void transport_button(App& app, ActionKind kind, float cx, float cy, float radius, bool enabled) {
    Renderer& g = *app.drawing.renderer;
    const Action a = Action::of(kind);
    const float s = press_scale(app, a);
    g.fill_circle(cx, cy, radius * s, white(0.08f + 0.1f * app.hover_of(a)));
    const Color c = enabled ? page_color::kPrimary : white(0.35f);
    const float h = 0.28f * radius * s;
    switch (kind) {
        case ActionKind::Prev:
            g.fill_polygon(triangle(cx - 0.85f * h, cy, h, false), c, 1);
            g.fill_polygon(triangle(cx + 0.85f * h, cy, h, false), c, 1);
            break;
        case ActionKind::Next:
            g.fill_polygon(triangle(cx - 0.85f * h, cy, h, true), c, 1);
            g.fill_polygon(triangle(cx + 0.85f * h, cy, h, true), c, 1);
            break;
        default:
            if (app.media.snap.playing) {
                g.fill_rounded_rect({cx - 1.1f * h, cy - 1.2f * h, 0.75f * h, 2.4f * h}, 1, c);
                g.fill_rounded_rect({cx + 0.35f * h, cy - 1.2f * h, 0.75f * h, 2.4f * h}, 1, c);
            } else {
                g.fill_polygon(triangle(cx + 0.15f * h, cy, 1.2f * h, true), c, 1);
            }
            break;
    }
    app.push_hit({cx - radius, cy - radius, 2 * radius, 2 * radius}, a);
}

void volume_meter(App& app, float right, float cy) {
    Renderer& g = *app.drawing.renderer;
    const bool muted = app.audio.muted;
    const float level = muted ? 0.0f : std::clamp(app.audio.volume, 0.0f, 1.0f);
    const char32_t glyph = muted ? 0xE74F : static_cast<char32_t>(0xE992 + std::min(static_cast<int>(level * 3), 3));
    const float bx = right - kMeterW;
    g.draw_glyph(glyph, bx - 14, cy, 12, page_color::kTertiary);
    g.fill_rounded_rect({bx, cy - kMeterH / 2, kMeterW, kMeterH}, kMeterH / 2, white(0.16f));
    g.fill_rounded_rect({bx, cy - kMeterH / 2, std::max(4.0f, level * kMeterW), kMeterH}, kMeterH / 2,
                        page_color::kSecondary);
}

// ---- The page ----------------------------------------------------------------------------------------------

void media_page(App& app, const RectF& island) {
    if (!app.drawing.renderer) return;
    const RectF b = page_content_rect(island);
    const MediaSnapshot& m = app.media.snap;
    if (!m.has) {
        empty_state(app, b);
        return;
    }
    app.draw_artwork({b.x, b.y + 2, kArtSide, kArtSide}, kArtRadius, false);
    const float x0 = b.x + kColumnLeft, right = b.x + b.w;
    header_column(app, x0, b.y, right);
    seek_bar(app);
    const float mid = kSeekLeft + kSeekWidth / 2;
    transport_button(app, ActionKind::Prev, mid - kTransportPitch, kTransportY, kSideRadius, m.can_prev);
    transport_button(app, ActionKind::Play, mid, kTransportY, kMiddleRadius, true);
    transport_button(app, ActionKind::Next, mid + kTransportPitch, kTransportY, kSideRadius, m.can_next);
    volume_meter(app, right, kTransportY);
}

}  // namespace

void draw_media_page(App& app, const RectF& island) { media_page(app, island); }
