// The time page: a three-way switch between the countdown timer, the
// stopwatch and the pomodoro, each with its large time, its status and its
// buttons; the clocks themselves live in app_time.cpp.
//
// Index
//   Layout, colours and duration texts
//   Shared pieces: mode tabs, progress ring, chips, round buttons
//   Countdown timer
//   Stopwatch
//   Pomodoro
//   The page
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "app.h"
#include "app_time.h"
#include "gfx_geom.h"
#include "pages.h"
#include "sys_num.h"
#include "ui_widgets.h"

namespace {

// ---- Layout, colours and duration texts -----------------------------------------------------------

constexpr float kTabsWidth = 340, kTabsHeight = 32, kTabThird = 113.33f;
constexpr float kRingInset = 66, kRingRadius = 58, kRingStroke = 8;
// Clear space between the mode tabs and the ring's stroke.
constexpr float kRingTabGap = 2;
constexpr float kRoundRadius = 23;
// The controls column to the right of the ring, below the tabs.
constexpr float kColumnLeft = 150, kChipRowTop = 44, kButtonRowTop = 112;
constexpr float kChipHeight = 30, kChipGap = 8;
// Sub-page bodies start below the mode tabs so large texts never cover them.
constexpr float kBodyTop = 40;
constexpr float kLapsLeft = 350, kLapLine = 26, kLapsHeading = 34;
constexpr char32_t kResetGlyph = 0xE72C;

Color white(float a) { return rgb(255, 255, 255, a); }

// Whole seconds as "m:ss", or "h:mm:ss" from an hour on.
std::string clock_text(int64_t seconds) {
    seconds = std::max<int64_t>(seconds, 0);
    const int64_t h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    if (h > 0) return fmt::format("{}:{:02}:{:02}", h, m, s);
    return fmt::format("{}:{:02}", seconds / 60, s);
}

int64_t whole_hundredths(double seconds) { return sat_i64(std::floor(std::max(seconds, 0.0) * 100 + 1e-6)); }

// "m:ss,cc", with hours in front from an hour on.
std::string hundredths_text(double seconds) {
    const int64_t c = whole_hundredths(seconds);
    return fmt::format("{},{:02}", clock_text(c / 100), c % 100);
}

// A lap's split: "+s,cc" under a minute, else the hundredths form.
std::string split_text(double seconds) {
    const int64_t c = whole_hundredths(seconds);
    if (c < 6000) return fmt::format("+{},{:02}", c / 100, c % 100);
    return hundredths_text(seconds);
}

// The start button's label of a clock that counts down.
const char* start_label(bool running, bool partway) { return running ? "Duraklat" : partway ? "Devam et" : "Başlat"; }

// The ring's centre: mid-height of the content, but low enough that its
// stroke clears the mode tabs above it (a 184-high body would otherwise put
// the stroke 2 units into them).
PointF ring_centre(const RectF& c) {
    const float clear = kTabsHeight + kRingTabGap + kRingRadius + kRingStroke / 2;
    return {c.x + kRingInset, c.y + std::max(c.h / 2, clear)};
}

// ---- Shared pieces: mode tabs, progress ring, chips, round buttons ----------------------------------

void mode_tabs(App& app, float x, float y) {
    static constexpr const char* kLabels[3] = {"Zamanlayıcı", "Kronometre", "Pomodoro"};
    Renderer& g = *app.drawing.renderer;
    const uint8_t mode = std::min<uint8_t>(app.timers.mode, 2);
    g.fill_rounded_rect({x, y, kTabsWidth, kTabsHeight}, 16, white(0.08f));
    g.fill_rounded_rect({x + kTabThird * mode + 3, y + 3, 107.33f, 26}, 13, white(0.18f));
    for (uint8_t i = 0; i < 3; ++i) {
        const Action a = Action::byte(ActionKind::TMode, i);
        const RectF third{x + kTabThird * i, y, kTabThird, kTabsHeight};
        const Color c = i == mode ? page_color::kPrimary : white(0.62f + 0.38f * app.hover_of(a));
        g.draw_text(kLabels[i], third, 12.5f, FontFamily::Text, 600, c, TextAlign::Center);
        app.push_hit(third, a);
    }
}

// A ring that ends at 12 o'clock and shrinks as the fraction falls, with the
// large time centred in it.
void progress_ring(App& app, float rx, float ry, float fraction, const Color& c, const std::string& time) {
    Renderer& g = *app.drawing.renderer;
    const float f = clamp01(fraction);
    g.draw_arc(rx, ry, kRingRadius, 0, 1, kRingStroke, white(0.1f));
    g.draw_arc(rx, ry, kRingRadius, 1 - f, f, kRingStroke, c);
    g.draw_text(time, {rx - 54, ry - 16, 108, 32}, 25, FontFamily::Display, 600, page_color::kPrimary,
                TextAlign::Center);
}

// A rounded minutes chip ("25 dk"); the selected one is lit.
void minutes_chip(App& app, const RectF& r, Action a, uint32_t minutes, bool selected) {
    Renderer& g = *app.drawing.renderer;
    const float fill = (selected ? 0.22f : 0.09f) + 0.1f * app.hover_of(a);
    g.fill_rounded_rect(r, std::min(r.w, r.h) / 2, white(fill));
    g.draw_text(fmt::format("{} dk", minutes), r, 13, FontFamily::Text, 600, page_color::kPrimary, TextAlign::Center);
    app.push_hit(r, a);
}

void round_label_button(App& app, Action a, float cx, float cy, std::string_view label) {
    app.circle_button(a, cx, cy, kRoundRadius, white(0.11f), white(0.22f));
    app.drawing.renderer->draw_text(label, {cx - kRoundRadius, cy - kRoundRadius, 2 * kRoundRadius, 2 * kRoundRadius}, 14,
                            FontFamily::Text, 600, page_color::kPrimary, TextAlign::Center);
}

void reset_button(App& app, float cx, float cy) {
    app.circle_button(Action::of(ActionKind::TReset), cx, cy, kRoundRadius, white(0.11f), white(0.22f));
    app.drawing.renderer->draw_glyph(kResetGlyph, cx, cy, 14, page_color::kPrimary);
}

// ---- Countdown timer ------------------------------------------------------------------------------------

void timer_body(App& app, const RectF& c) {
    Renderer& g = *app.drawing.renderer;
    const Countdown& t = app.timers.countdown;
    const double left = countdown_left(t, app.now);
    const bool partway = !t.running && countdown_partway(t);
    const auto [rx, ry] = ring_centre(c);
    const Color ring = with_alpha(page_color::kOrange, t.running ? 1.0f : 0.75f);
    progress_ring(app, rx, ry, static_cast<float>(left / std::max(t.length, 1.0)), ring,
                  clock_text(sat_i64(std::ceil(left))));
    const char* status = t.running ? "kaldı" : partway ? "duraklatıldı" : "hazır";
    g.draw_text(status, {rx - 54, ry + 16, 108, 18}, 11.5f, FontFamily::Text, 600, page_color::kTertiary,
                TextAlign::Center);

    // Eight preset chips across the column; each carries its index, not its minutes.
    const float left_x = c.x + kColumnLeft, column_w = c.w - kColumnLeft;
    const float chip_w = (column_w - 7 * kChipGap) / 8;
    for (uint8_t i = 0; i < 8; ++i) {
        const RectF r{left_x + (chip_w + kChipGap) * i, c.y + kChipRowTop, chip_w, kChipHeight};
        minutes_chip(app, r, Action::byte(ActionKind::Preset, i), kPresetMinutes[i], false);
    }

    const float by = c.y + kButtonRowTop, mid = by + kRoundRadius;
    round_label_button(app, Action::of(ActionKind::TMinus), left_x + kRoundRadius, mid, "−1");
    round_label_button(app, Action::of(ActionKind::TPlus), left_x + 3 * kRoundRadius + 10, mid, "+1");
    const RectF start{left_x + 4 * kRoundRadius + 24, by, 190, 46};
    app.pill_button(start, Action::of(ActionKind::TToggle), start_label(t.running, partway), 2, page_color::kOrange,
                    page_color::kDarkLabel);
    reset_button(app, start.x + start.w + 14 + kRoundRadius, mid);
}

// ---- Stopwatch --------------------------------------------------------------------------------------------

void laps_panel(App& app, const RectF& panel) {
    Renderer& g = *app.drawing.renderer;
    g.fill_rounded_rect(panel, std::min(panel.w / 2, 14.0f), white(0.05f));
    g.draw_text("Turlar", {panel.x + 14, panel.y + 6, panel.w - 28, 24}, 12.5f, FontFamily::Text, 600,
                page_color::kPrimary, TextAlign::Left);
    const std::vector<double>& laps = app.timers.stopwatch.laps;
    if (laps.empty()) {
        g.draw_text("Turlar burada görünür", {panel.x, panel.y + panel.h / 2 - 9, panel.w, 18}, 12.5f, FontFamily::Text,
                    400, page_color::kTertiary, TextAlign::Center);
        return;
    }
    // Newest first, as many lines as the panel holds; a lap's split is its
    // time since the lap before it (the oldest one's since the start).
    const size_t fits = static_cast<size_t>(std::max(0.0f, (panel.h - kLapsHeading - 4) / kLapLine));
    const float x = panel.x + 14, w = panel.w - 28;
    for (size_t k = 0; k < laps.size() && k < fits; ++k) {
        const float y = panel.y + kLapsHeading + kLapLine * static_cast<float>(k);
        const double split = laps[k] - (k + 1 < laps.size() ? laps[k + 1] : 0.0);
        g.draw_text(fmt::format("Tur {}", laps.size() - k), {x, y, 80, kLapLine}, 12.5f, FontFamily::Text, 600,
                    page_color::kSecondary, TextAlign::Left);
        g.draw_text(split_text(split), {x + 80, y, 100, kLapLine}, 12.5f, FontFamily::Display, 600,
                    page_color::kSecondary, TextAlign::Left);
        g.draw_text(hundredths_text(laps[k]), {x + 180, y, w - 180, kLapLine}, 13.5f, FontFamily::Display, 600,
                    page_color::kPrimary, TextAlign::Right);
    }
}

void stopwatch_body(App& app, const RectF& c) {
    Renderer& g = *app.drawing.renderer;
    const Stopwatch& s = app.timers.stopwatch;
    const double elapsed = stopwatch_elapsed(s, app.now);
    const float top = c.y + kBodyTop;
    g.draw_text(hundredths_text(elapsed), {c.x, top + 4, 330, 60}, 44, FontFamily::Display, 600,
                s.running ? page_color::kPrimary : page_color::kSecondary, TextAlign::Center);

    const float by = top + 80;
    const bool can_lap = s.running || !(elapsed > 0);
    app.pill_button({c.x + 20, by, 120, 44}, Action::of(can_lap ? ActionKind::Lap : ActionKind::TReset),
                    can_lap ? "Tur" : "Sıfırla", 2, white(0.12f), page_color::kPrimary);
    app.pill_button({c.x + 152, by, 160, 44}, Action::of(ActionKind::TToggle), s.running ? "Durdur" : "Başlat", 2,
                    with_alpha(s.running ? page_color::kRed : page_color::kGreen, 0.9f), page_color::kDarkLabel);

    laps_panel(app, {c.x + kLapsLeft, c.y, c.w - kLapsLeft, c.h});
}

// ---- Pomodoro ----------------------------------------------------------------------------------------------

void pomodoro_body(App& app, const RectF& c) {
    static constexpr const char* kPhaseNames[3] = {"Odak", "Kısa mola", "Uzun mola"};
    Renderer& g = *app.drawing.renderer;
    const Pomodoro& p = app.timers.pomo;
    const double left = pomodoro_left(p, app.now);
    const bool partway = !p.running && pomodoro_partway(p);
    const uint8_t phase = std::min<uint8_t>(static_cast<uint8_t>(p.phase), 2);
    const Color colour = p.phase == PomoPhase::Focus ? page_color::kRed : page_color::kGreen;
    const auto [rx, ry] = ring_centre(c);
    const double length = pomodoro_phase_length(p);
    progress_ring(app, rx, ry, length > 0 ? static_cast<float>(left / length) : 0.0f, colour,
                  clock_text(sat_i64(std::ceil(left))));
    g.draw_text(kPhaseNames[phase], {rx - 54, ry - 34, 108, 18}, 11.5f, FontFamily::Text, 700, colour,
                TextAlign::Center);

    // Focus length: a label and three chips, the current length lit.
    const float left_x = c.x + kColumnLeft, cy = c.y + kChipRowTop;
    g.draw_text("Odak süresi", {left_x, cy, 90, kChipHeight}, 12.5f, FontFamily::Text, 600, page_color::kSecondary,
                TextAlign::Left);
    for (uint8_t i = 0; i < 3; ++i) {
        const RectF r{left_x + 96 + 72 * static_cast<float>(i), cy, 64, kChipHeight};
        minutes_chip(app, r, Action::byte(ActionKind::PomoLen, i), kFocusMinutes[i], p.minutes == kFocusMinutes[i]);
    }

    // The round of four: during its long break every dot of the round stays lit.
    const uint32_t in_round =
        p.phase == PomoPhase::LongBreak && p.completed > 0 && p.completed % 4 == 0 ? 4 : p.completed % 4;
    const float dy = c.y + 92;
    for (uint32_t k = 0; k < 4; ++k) {
        const float dx = left_x + 10 + 44 * static_cast<float>(k);
        if (k < in_round)
            g.fill_circle(dx, dy, 6.5f, page_color::kRed);
        else
            g.stroke_circle(dx, dy, 6, white(0.35f), 1.4f);
    }
    g.draw_text(fmt::format("Toplam {} odak", p.completed), {left_x + 10 + 44 * 3 + 24, dy - 13, 180, 26}, 12,
                FontFamily::Text, 400, page_color::kTertiary, TextAlign::Left);

    const float by = c.y + kButtonRowTop + 8;
    const RectF start{left_x, by, 190, 46};
    app.pill_button(start, Action::of(ActionKind::TToggle), start_label(p.running, partway), 2, page_color::kRed,
                    page_color::kDarkLabel);
    const RectF skip{start.x + start.w + 12, by, 92, 46};
    app.pill_button(skip, Action::of(ActionKind::PomoSkip), "Atla", 2, white(0.12f), page_color::kPrimary);
    reset_button(app, skip.x + skip.w + 14 + kRoundRadius, by + kRoundRadius);
}

}  // namespace

// ---- The page ------------------------------------------------------------------------------------------------

void App::draw_time_page(const RectF& island) {
    if (!drawing.renderer) return;
    const RectF c = page_content_rect(island);
    mode_tabs(*this, c.x, c.y);
    switch (timers.mode) {
        case 1:
            stopwatch_body(*this, c);
            break;
        case 2:
            pomodoro_body(*this, c);
            break;
        default:
            timer_body(*this, c);
            break;
    }
}
