// The home page: a clock-and-weather card, a now-playing card, a system card
// with two rings and the network rates, and four quick switches; each card
// opens the page it summarises.
//
// Index
//   Names and small helpers
//   Clock and weather card
//   Media card
//   System card
//   Quick switches
//   The page
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "app.h"
#include "app_format.h"
#include "gfx_geom.h"
#include "pages.h"
#include "sys_num.h"
#include "ui_island.h"
#include "ui_widgets.h"

namespace {

// ---- Names and small helpers --------------------------------------------------------------------------

constexpr const char* kWeekdayNames[7] = {"Pazar", "Pazartesi", "Salı", "Çarşamba", "Perşembe", "Cuma", "Cumartesi"};
constexpr const char* kMonthNames[12] = {"Ocak",   "Şubat", "Mart",  "Nisan", "Mayıs", "Haziran",
                                         "Temmuz", "Ağustos", "Eylül", "Ekim",  "Kasım", "Aralık"};

// Card geometry: three columns of 220, 220 and the rest, 10 apart.
constexpr float kCardWidth = 220, kColumnPitch = 230, kSystemLeft = 460, kCardGap = 10;
constexpr Color kWeatherCutOut = rgb(18, 18, 18);
// The system card's rings and the percentage inside each.
constexpr float kRingRadius = 20, kRingStroke = 5, kPercentSize = 12.5f;

Color white(float a) { return rgb(255, 255, 255, a); }

std::string degrees(float v) { return fmt::format("{}°", sat_i64(std::round(v))); }

// "Çarşamba, 9 Aralık".
std::string date_text(const LocalTime& t) {
    const char* day = t.weekday >= 0 && t.weekday < 7 ? kWeekdayNames[t.weekday] : "";
    const char* month = t.month >= 1 && t.month <= 12 ? kMonthNames[t.month - 1] : "";
    return fmt::format("{}, {} {}", day, t.day, month);
}

// The played fraction as the now-playing page shows it: the dragged position,
// or the reported one moved on by the time since it was reported while playing.
float played_fraction(const App& app) {
    const MediaSnapshot& m = app.media.snap;
    double p = app.pointer.seek_drag ? static_cast<double>(*app.pointer.seek_drag) * m.duration
                             : m.position + (m.playing ? app.now - app.media.changed : 0.0);
    if (!(m.duration > 0)) return 0;
    p = std::clamp(p, 0.0, m.duration);
    return clamp01(static_cast<float>(p / m.duration));
}

// ---- Clock and weather card -------------------------------------------------------------------------------

void clock_card(App& app, const RectF& c, const LocalTime& t) {
    Renderer& g = *app.drawing.renderer;
    const float x = c.x, y = c.y;
    app.card({x, y, kCardWidth, c.h}, Action::byte(ActionKind::Card, 0));
    g.draw_text(fmt::format("{:02}:{:02}", t.hour, t.minute), {x + 18, y + 8, 190, 54}, 44, FontFamily::Display, 700,
                page_color::kPrimary, TextAlign::Left);
    g.draw_text(date_text(t), {x + 18, y + 60, 190, 20}, 13, FontFamily::Text, 600, page_color::kSecondary,
                TextAlign::Left);

    const WeatherSnapshot& w = app.weather.snap;
    if (!w.ok) {
        std::string line = w.loading || w.error.empty() ? std::string("Hava durumu yükleniyor…") : "Hava: " + w.error;
        g.draw_text(line, {x + 18, y + 120, 190, 20}, 12, FontFamily::Text, 400, page_color::kTertiary, TextAlign::Left);
        return;
    }
    app.draw_weather_icon(weather_icon_kind(w.code, w.is_day), x + 40, y + 122, 20, kWeatherCutOut);
    g.draw_text(degrees(w.temp), {x + 70, y + 100, 120, 40}, 30, FontFamily::Display, 600, page_color::kPrimary,
                TextAlign::Left);
    g.draw_text(weather_code_text(static_cast<uint32_t>(w.code)), {x + 18, y + 144, 190, 18}, 12.5f, FontFamily::Text,
                600, page_color::kSecondary, TextAlign::Left);
    if (!w.days.empty()) {
        const WeatherDay& d = w.days.front();
        std::string range = "Y:" + degrees(d.high) + "  D:" + degrees(d.low) + "  · " + w.city;
        g.draw_text(range, {x + 18, y + 160, 190, 16}, 11.5f, FontFamily::Text, 400, page_color::kTertiary,
                    TextAlign::Left);
    }
}

// ---- Media card --------------------------------------------------------------------------------------------

// A white play triangle pointing right, centred near (cx, cy), half-height h.
std::vector<PointF> triangle(float cx, float cy, float h, bool right) {
    const float d = right ? 1.0f : -1.0f;
    return {{cx - d * 0.7f * h, cy - h}, {cx + d * h, cy}, {cx - d * 0.7f * h, cy + h}};
}

void transport_button(App& app, Action a, float cx, float cy) {
    constexpr float kRadius = 17;
    Renderer& g = *app.drawing.renderer;
    const float s = press_scale(app, a);
    g.fill_circle(cx, cy, kRadius * s, white(0.06f + 0.1f * app.hover_of(a)));
    const float h = 5 * s;
    switch (a.kind) {
        case ActionKind::Prev:
            g.fill_polygon(triangle(cx - 0.85f * h, cy, h, false), page_color::kPrimary, 1);
            g.fill_polygon(triangle(cx + 0.85f * h, cy, h, false), page_color::kPrimary, 1);
            break;
        case ActionKind::Next:
            g.fill_polygon(triangle(cx - 0.85f * h, cy, h, true), page_color::kPrimary, 1);
            g.fill_polygon(triangle(cx + 0.85f * h, cy, h, true), page_color::kPrimary, 1);
            break;
        default:
            if (app.media.snap.playing) {
                g.fill_rounded_rect({cx - 1.1f * h, cy - 1.2f * h, 0.75f * h, 2.4f * h}, 1, page_color::kPrimary);
                g.fill_rounded_rect({cx + 0.35f * h, cy - 1.2f * h, 0.75f * h, 2.4f * h}, 1, page_color::kPrimary);
            } else {
                g.fill_polygon(triangle(cx + 0.15f * h, cy, 1.2f * h, true), page_color::kPrimary, 1);
            }
            break;
    }
    app.push_hit({cx - kRadius, cy - kRadius, 2 * kRadius, 2 * kRadius}, a);
}

void media_card(App& app, const RectF& c) {
    Renderer& g = *app.drawing.renderer;
    const float x = c.x + kColumnPitch, y = c.y;
    app.card({x, y, kCardWidth, c.h}, Action::byte(ActionKind::Card, 1));
    const MediaSnapshot& m = app.media.snap;

    if (!m.has) {
        const float mid = x + kCardWidth / 2;
        g.fill_circle(mid, y + 46, 24, white(0.08f));
        g.draw_glyph(0xE8D6, mid, y + 46, 18, page_color::kSecondary);
        g.draw_text("Müzik çalmıyor", {x, y + 80, kCardWidth, 20}, 14, FontFamily::Text, 600, page_color::kPrimary,
                    TextAlign::Center);

        // The "Oynat" pill asks the media watcher to play whatever was last paused.
        const Action play = Action::of(ActionKind::Play);
        const float s = press_scale(app, play);
        const RectF pill{mid - 50, y + 116, 100, 34};
        const RectF drawn{mid - 50 * s, pill.y + 17 - 17 * s, 100 * s, 34 * s};
        g.fill_rounded_rect(drawn, drawn.h / 2, white(0.12f + 0.08f * app.hover_of(play)));
        const float lw = g.measure_text("Oynat", 13, FontFamily::Text, 600);
        const float left = mid - (14 + lw) / 2, my = pill.y + 17;
        g.fill_polygon({{left + 1, my - 6}, {left + 10, my}, {left + 1, my + 6}}, page_color::kPrimary, 1.54f);
        g.draw_text("Oynat", {left + 14, pill.y, lw + 6, pill.h}, 13, FontFamily::Text, 600, page_color::kPrimary,
                    TextAlign::Left);
        app.push_hit(pill, play);
        return;
    }

    app.draw_artwork({x + 16, y + 16, 64, 64}, 14, false);
    g.draw_text(m.title.empty() ? std::string_view("Bilinmeyen parça") : std::string_view(m.title),
                {x + 92, y + 18, 118, 20}, 14, FontFamily::Text, 600, page_color::kPrimary, TextAlign::Left);
    g.draw_text(m.artist, {x + 92, y + 39, 118, 18}, 12, FontFamily::Text, 400, page_color::kSecondary, TextAlign::Left);
    g.draw_text(m.app, {x + 92, y + 60, 92, 16}, 11, FontFamily::Text, 600, page_color::kTertiary, TextAlign::Left);
    if (m.playing) app.draw_eq_bars(x + 190, y + 68, 20, 12, page_color::kGreen);

    constexpr float kTrack = 188;
    g.fill_rounded_rect({x + 16, y + 96, kTrack, 4}, 2, white(0.18f));
    g.fill_rounded_rect({x + 16, y + 96, std::max(4.0f, kTrack * played_fraction(app)), 4}, 2, white(0.9f));

    const float row = y + 138, mid = x + kCardWidth / 2;
    transport_button(app, Action::of(ActionKind::Prev), mid - 48, row);
    transport_button(app, Action::of(ActionKind::Play), mid, row);
    transport_button(app, Action::of(ActionKind::Next), mid + 48, row);
}

// ---- System card --------------------------------------------------------------------------------------------

// The percentage's size: 12.5 unless the text would reach the ring's stroke
// ("%100" does), then smaller in proportion, rounded down to a half unit. The
// room is the chord of the ring's inner edge at the digits' half height, less
// 2 units each side.
float percent_size(Renderer& g, std::string_view text) {
    const float inner = kRingRadius - kRingStroke / 2, half_height = 0.36f * kPercentSize;
    const float room = 2 * std::sqrt(inner * inner - half_height * half_height) - 4;
    const float width = g.measure_text(text, kPercentSize, FontFamily::Display, 700);
    if (!(width > room)) return kPercentSize;
    // Half-unit steps keep the renderer's text-format cache small.
    return std::floor(2 * kPercentSize * room / width) / 2;
}

void system_card(App& app, const RectF& c, float height) {
    Renderer& g = *app.drawing.renderer;
    const float x = c.x + kSystemLeft, y = c.y, w = c.w - kSystemLeft;
    app.card({x, y, w, height}, Action::byte(ActionKind::Card, 2));

    const SysmonSnapshot& s = app.sysmon.snap;
    const float memory = s.mem_total > 0 ? static_cast<float>(s.mem_used / s.mem_total) : 0.0f;
    const struct {
        const char* label;
        float value;
        Color color;
    } rings[2] = {{"CPU", clamp01(s.cpu), page_color::kBlue}, {"RAM", clamp01(memory), page_color::kPurple}};
    const float ry = y + height / 2 - 6;
    for (int k = 0; k < 2; ++k) {
        const float rx = x + 34 + 62 * static_cast<float>(k);
        Color track = rings[k].color;
        track.a = 0.2f;
        g.draw_arc(rx, ry, kRingRadius, 0, 1, kRingStroke, track);
        g.draw_arc(rx, ry, kRingRadius, 0, rings[k].value, kRingStroke, rings[k].color);
        const std::string percent = percent_text(sat_i64(std::round(rings[k].value * 100)));
        g.draw_text(percent, {rx - 20, ry - 10, 40, 20}, percent_size(g, percent), FontFamily::Display, 700,
                    page_color::kPrimary, TextAlign::Center);
        g.draw_text(rings[k].label, {rx - 24, ry + 24, 48, 14}, 10.5f, FontFamily::Text, 600, page_color::kTertiary,
                    TextAlign::Center);
    }

    const float nx = x + 128, nw = std::max(0.0f, w - 134);
    g.draw_text("↓ " + format_rate(s.down_rate), {nx, ry - 17, nw, 16}, 11, FontFamily::Text, 600, page_color::kGreen,
                TextAlign::Left);
    g.draw_text("↑ " + format_rate(s.up_rate), {nx, ry + 3, nw, 16}, 11, FontFamily::Text, 600, page_color::kOrange,
                TextAlign::Left);
}

// ---- Quick switches -----------------------------------------------------------------------------------------

void quick_toggles(App& app, const RectF& c, float half) {
    static constexpr const char* kLabels[4] = {"Wi‑Fi", "BT", "Karanlık", "Uyanık"};
    constexpr float kRadius = 18;
    Renderer& g = *app.drawing.renderer;
    const RectF panel{c.x + kSystemLeft, c.y + half + kCardGap, c.w - kSystemLeft, half};
    g.fill_rounded_rect(panel, std::min({20.0f, panel.w / 2, panel.h / 2}), white(0.07f));

    for (uint8_t k = 0; k < 4; ++k) {
        const Action a = Action::byte(ActionKind::Tile, k);
        const float tx = panel.x + 30 + static_cast<float>(k) * (panel.w - 60) / 3;
        const float ty = panel.y + panel.h / 2 - 6;
        const float v = clamp01(app.anim.toggles[kTileToggleSpring + k].value);
        const Color off = white(0.12f + 0.06f * app.hover_of(a));
        g.fill_circle(tx, ty, kRadius * press_scale(app, a), blend(off, tile_on_color(k), v));
        g.draw_glyph(App::kTiles[k].glyph, tx, ty, 15, page_color::kPrimary);
        g.draw_text(kLabels[k], {tx - 30, ty + kRadius + 3, 60, 14}, 10, FontFamily::Text, 600, page_color::kTertiary,
                    TextAlign::Center);
        app.push_hit({tx - kRadius, ty - kRadius, 2 * kRadius, 2 * kRadius}, a);
    }
}

}  // namespace

// ---- The page ------------------------------------------------------------------------------------------------

void draw_home_page(App& app, const RectF& island) {
    if (!app.drawing.renderer) return;
    const RectF c = page_content_rect(island);
    const float half = (c.h - kCardGap) / 2;
    clock_card(app, c, island_local_time(app));
    media_card(app, c);
    system_card(app, c, half);
    quick_toggles(app, c, half);
}
