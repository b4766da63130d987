// What the black pill shows in each display mode: the lens of the idle pill,
// the clock line, the six live activities, the heads-up notices, the voice
// screens and the open island's header, page and dock.
//
// Index
//   Palette and helpers
//   Clock texts, download progress
//   Common frame: the mode's rectangle, zoom and slide
//   Notice picture: drawing and forgetting
//   Idle and Peek
//   Live activities
//   Notices: levels, power and keys
//   Notices: clipboard, pictures, media and timers
//   Notices: devices, network, messages
//   Voice
//   Open island
//   draw_island
#include "ui_island.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include <fmt/format.h>

#include "app.h"
#include "app_format.h"
#include "app_geometry.h"
#include "app_time.h"
#include "gfx_geom.h"
#include "gfx_palette.h"
#include "sys_num.h"
#include "ui_widgets.h"

namespace {

using namespace palette;

// ---- Palette and helpers --------------------------------------------------------------------------------

constexpr Color kEventBlue = rgb(59, 157, 255);

constexpr double kPi = 3.14159265358979323846;

Color white(float a) { return rgb(255, 255, 255, a); }

Color media_accent(const App& app) { return {app.media.snap.accent[0], app.media.snap.accent[1], app.media.snap.accent[2], 1.0f}; }

// A 0..1 wave: 0.5 + 0.5 sin(rate × now).
float pulse(const App& app, double rate) { return static_cast<float>(0.5 + 0.5 * std::sin(rate * app.now)); }

}  // namespace

// ---- Clock texts, download progress -------------------------------------------------------------------------

std::string duration_clock_text(int64_t seconds) {
    const int64_t s = std::max<int64_t>(seconds, 0);
    if (s >= 3600) return fmt::format("{}:{:02}:{:02}", s / 3600, s / 60 % 60, s % 60);
    return fmt::format("{}:{:02}", s / 60, s % 60);
}

std::string stopwatch_text(double elapsed) {
    // Whole tenths first, so 3599.95 s reads 59:59,9 and never rounds up to the next second.
    const int64_t tenths = sat_i64(std::floor(std::max(elapsed, 0.0) * 10));
    return fmt::format("{},{}", duration_clock_text(tenths / 10), tenths % 10);
}

int64_t shown_seconds_left(double remaining) { return sat_i64(std::ceil(std::max(remaining, 0.0))); }

int64_t download_percent(double done, double total) {
    // done / 0 is NaN or infinite: the saturating conversion turns NaN into 0.
    const double ratio = std::clamp(done / total, 0.0, 1.0);
    return total > 0 ? sat_i64(std::floor(ratio * 100)) : 0;
}

std::string download_time_left(double done, double total, double rate) {
    if (!(rate > 0) || !std::isfinite(rate)) return {};
    const double left = std::max(total - done, 0.0) / rate;
    if (!std::isfinite(left)) return {};
    const int64_t minutes = sat_i64(std::floor(left / 60));
    if (minutes >= 60) return fmt::format(" · kalan {} sa {} dk", minutes / 60, minutes % 60);
    return fmt::format(" · kalan {} dk", minutes);
}

namespace {

// ---- Common frame: the mode's rectangle, zoom and slide ----------------------------------------------------

// The layout rectangle of the drawn mode: (x, 8, W, H), with cy its centre line.
struct Box {
    App& app;
    Renderer& g;
    float x, y, w, h;
    float cy() const { return y + h / 2; }
    float right() const { return x + w; }

    void text(std::string_view s, const RectF& r, float size, float weight, const Color& c,
              TextAlign align = TextAlign::Left, FontFamily family = FontFamily::Text) const {
        g.draw_text(s, r, size, family, weight, c, align);
    }
    // A line across the whole height of the pill.
    void line_text(std::string_view s, float left, float width, float size, float weight, const Color& c,
                   TextAlign align = TextAlign::Left, FontFamily family = FontFamily::Text) const {
        g.draw_text(s, {left, y, width, h}, size, family, weight, c, align);
    }
    float measure(std::string_view s, float size, float weight, FontFamily family = FontFamily::Text) const {
        return g.measure_text(s, size, family, weight);
    }
};

// The pill's width on screen now: the animated width with the visibility and press scales.
float current_pill_width(const App& app) {
    const float s = (0.55f + 0.45f * clamp01(app.anim.visibility.value)) * app.anim.squash.value;
    return std::max(app.anim.width.value, 12.0f) * s;
}

// ---- Notice picture: drawing and forgetting -----------------------------------------------------------------

bool shows_notice_picture(const IslandMode& m) {
    return m.tag == ModeTag::Hud &&
           (m.hud_kind() == HudKind::Image || m.hud_kind() == HudKind::Download || m.hud_kind() == HudKind::Steam);
}

// The cache id of the notice picture: the owner byte and the notice serial.
uint64_t notice_picture_id(const App& app) { return image_id(kImageOwnerNotice, app.notices.serial); }

// Drops the cached bitmap of a notice picture that is replaced or no longer shown.
void forget_stale_notice_picture(App& app) {
    if (app.drawing.notice_image_id == 0) return;
    const bool shown = app.notices.picture && (shows_notice_picture(app.island.mode) || shows_notice_picture(app.island.prev_mode));
    if (shown && app.drawing.notice_image_id == notice_picture_id(app)) return;
    if (app.drawing.renderer) app.drawing.renderer->forget_image(app.drawing.notice_image_id);
    app.drawing.notice_image_id = 0;
}

// True when the notice has a picture and it was drawn.
bool draw_notice_picture(const Box& b, const RectF& r, float radius) {
    if (!b.app.notices.picture) return false;
    const uint64_t id = notice_picture_id(b.app);
    if (b.app.drawing.notice_image_id != 0 && b.app.drawing.notice_image_id != id) b.g.forget_image(b.app.drawing.notice_image_id);
    b.app.drawing.notice_image_id = id;
    b.g.draw_image(id, *b.app.notices.picture, r, radius);
    return true;
}

// ---- Idle and Peek ----------------------------------------------------------------------------------------------

void draw_idle(const Box& b) {
    // A camera lens: three dark discs and a faint glint.
    const float lx = b.right() - 17, ly = b.cy();
    b.g.fill_circle(lx, ly, 6.3f, rgb(10, 12, 22));
    b.g.fill_circle(lx, ly, 3.8f, rgb(20, 26, 51));
    b.g.fill_circle(lx, ly, 1.8f, rgb(11, 15, 34));
    b.g.fill_circle(lx - 1.3f, ly - 1.4f, 1, white(0.22f));
}

void draw_peek(const Box& b) {
    App& app = b.app;
    const LocalTime t = island_local_time(app);
    b.line_text(fmt::format("{:02}:{:02}", t.hour, t.minute), b.x + 18, 90, 14.5f, 600, kWhite, TextAlign::Left,
                FontFamily::Display);
    if (app.weather.snap.ok) {
        const std::string temp = fmt::format("{}°", sat_i64(std::round(app.weather.snap.temp)));
        const float w = b.measure(temp, 14, 600, FontFamily::Display);
        const float gx = b.x + b.w / 2 - 6 - w / 2;
        app.draw_weather_icon(weather_icon_kind(app.weather.snap.code, app.weather.snap.is_day), gx - 4, b.cy(), 8.5f, kBlack);
        b.line_text(temp, gx + 8, w + 6, 14, 600, kWhite, TextAlign::Left, FontFamily::Display);
    }
    if (app.island.keep_awake) b.g.draw_glyph(0xE7B3, b.right() - 110, b.cy(), 12, kOrange);
    if (app.island.has_battery) app.draw_battery(b.right() - 15, b.cy());
}

// ---- Live activities ------------------------------------------------------------------------------------------------

// The thumbnail or artwork slot at the left of an activity.
RectF act_thumb(const Box& b) { return {b.x + 7, b.cy() - 12, 24, 24}; }

void act_music(const Box& b) {
    b.app.draw_artwork(act_thumb(b), 7, true);
    b.app.draw_eq_bars(b.right() - 36, b.cy(), 15, 22, media_accent(b.app));
}

const char* steam_state_text(uint8_t state) {
    switch (state) {
        case 0: return "Sırada";
        case 1: return "Yer ayrılıyor";
        case 3: return "Hazırlanıyor";
        case 4: return "Kuruluyor";
        case 5: return "Doğrulanıyor";
        default: return "";
    }
}

void act_steam(const Box& b) {
    if (!b.app.steam.download) return;
    const SteamActiveDownload& d = *b.app.steam.download;
    b.app.game_thumb(d.app_id, d.header.get(), act_thumb(b), 7);
    const Color accent = with_alpha(kBlue, d.paused ? 0.55f : 1.0f);
    b.line_text(fmt::format("{}%", download_percent(d.done, d.total)), b.x + 40, 70, 15, 700, accent, TextAlign::Left,
                FontFamily::Display);
    const std::string state = d.paused ? std::string("Duraklatıldı")
                              : d.state == 2 ? format_rate(d.rate)
                                             : std::string(steam_state_text(d.state));
    b.line_text(state, b.right() - 150, 134, 12.5f, 600, kSecondary, TextAlign::Right);

    const RectF track{b.x + 22, b.y + b.h - 4.5f, b.w - 44, 2.5f};
    b.g.fill_rounded_rect(track, 1.25f, white(0.12f));
    const float p = d.total > 0 ? clamp01(static_cast<float>(d.done / d.total)) : 0.0f;
    b.g.fill_rounded_rect({track.x, track.y, std::max(2.5f, track.w * p), track.h}, 1.25f, accent);
}

void act_game(const Box& b) {
    if (!b.app.steam.snap.playing) return;
    const SteamPlaying& p = *b.app.steam.snap.playing;
    b.app.game_thumb(p.app_id, p.header.get(), act_thumb(b), 7);
    b.line_text(p.name, b.x + 40, b.w - 126, 13, 700, kWhite);
    const int64_t played = std::max<int64_t>(b.app.wall_unix() - p.started, 0);
    b.line_text(duration_clock_text(played), b.right() - 84, 68, 14, 600, kGreen, TextAlign::Right, FontFamily::Display);
}

void act_timer(const Box& b) {
    const Countdown& c = b.app.timers.countdown;
    const Color color = with_alpha(kOrange, c.running ? 1.0f : 0.6f);
    b.g.draw_glyph(0xE916, b.x + 21, b.cy(), 15, color);
    b.line_text(duration_clock_text(shown_seconds_left(countdown_left(c, b.app.now))), b.right() - 100, 84, 15, 600,
                color, TextAlign::Right, FontFamily::Display);
}

void act_pomo(const Box& b) {
    const Pomodoro& p = b.app.timers.pomo;
    const bool focus = p.phase == PomoPhase::Focus;
    const Color phase = focus ? kRed : kGreen;
    const double left = pomodoro_left(p, b.app.now);
    const float frac = clamp01(static_cast<float>(left / std::max(pomodoro_phase_length(p), 1.0)));
    b.g.draw_arc(b.x + 20, b.cy(), 8, 0, 1, 2.4f, with_alpha(phase, 0.25f));
    b.g.draw_arc(b.x + 20, b.cy(), 8, 1 - frac, frac, 2.4f, phase);
    b.line_text(focus ? "Odak" : "Mola", b.x + 36, 80, 13.5f, 700, phase);
    b.line_text(duration_clock_text(shown_seconds_left(left)), b.right() - 100, 84, 15, 600,
                with_alpha(phase, p.running ? 1.0f : 0.6f), TextAlign::Right, FontFamily::Display);
}

void act_watch(const Box& b) {
    const Stopwatch& s = b.app.timers.stopwatch;
    const Color color = with_alpha(kBlue, s.running ? 1.0f : 0.6f);
    b.g.draw_glyph(0xE916, b.x + 21, b.cy(), 15, color);
    b.line_text(stopwatch_text(stopwatch_elapsed(s, b.app.now)), b.right() - 120, 104, 15, 600, color,
                TextAlign::Right, FontFamily::Display);
}

void draw_activity(const Box& b, ActKind k) {
    switch (k) {
        case ActKind::Music: act_music(b); break;
        case ActKind::Steam: act_steam(b); break;
        case ActKind::Game: act_game(b); break;
        case ActKind::Timer: act_timer(b); break;
        case ActKind::Pomo: act_pomo(b); break;
        case ActKind::Watch: act_watch(b); break;
    }
}

// ---- Notices: levels, power and keys --------------------------------------------------------------------------------

// Volume and Brightness: a glyph, a bar and the level as a plain number.
void hud_level(const Box& b, bool brightness) {
    App& app = b.app;
    const float v = clamp01(app.notices.level.value);
    const bool muted = !brightness && app.audio.muted;
    char32_t glyph = 0xE706;
    if (!brightness) {
        const int64_t step = std::min<int64_t>(sat_i64(std::ceil(3 * v)), 3);
        glyph = v < 0.005f || muted ? 0xE74F : static_cast<char32_t>(0xE992 + step);
    }
    b.g.draw_glyph(glyph, b.x + 26, b.cy(), 16, brightness ? kYellow : kWhite);
    const float track = b.w - 112;
    b.g.fill_rounded_rect({b.x + 50, b.cy() - 3, track, 6}, 3, white(0.2f));
    if (v > 0 && !muted) b.g.fill_rounded_rect({b.x + 50, b.cy() - 3, std::max(6.0f, track * v), 6}, 3, kWhite);
    b.line_text(std::to_string(sat_i64(std::round(100 * v))), b.right() - 56, 40, 13.5f, 600, kSecondary,
                TextAlign::Right, FontFamily::Display);
}

void hud_battery(const Box& b) {
    App& app = b.app;
    app.draw_bolt(b.x + 24, b.cy(), 1.25f, app.island.on_ac ? kGreen : white(0.8f));
    b.line_text(app.island.on_ac ? "Şarj oluyor" : "Pil gücünde", b.x + 42, 160, 14.5f, 600, kWhite);
    app.draw_battery(b.right() - 16, b.cy());
}

void hud_low_battery(const Box& b) {
    b.g.draw_glyph(0xE7BA, b.x + 25, b.cy(), 15, kRed);
    b.line_text("Pil azaldı", b.x + 46, 160, 14.5f, 600, kWhite);
    b.app.draw_battery(b.right() - 16, b.cy());
}

void hud_caps(const Box& b) {
    const bool on = b.app.notices.caps_state == 1;
    const Color state = on ? kGreen : white(0.7f);
    const Color fill = with_alpha(state, on ? 0.22f : 0.154f);
    const float x = b.x, cy = b.cy();
    // An up arrow: apex, right wing, shaft down and back up, left wing.
    const std::vector<PointF> arrow = {{x + 25, cy - 9}, {x + 33, cy - 1}, {x + 29, cy - 1}, {x + 29, cy + 4},
                                       {x + 21, cy + 4}, {x + 21, cy - 1}, {x + 17, cy - 1}};
    b.g.fill_polygon(arrow, fill, 0);
    for (size_t i = 0; i < arrow.size(); ++i) {
        const PointF& p = arrow[i];
        const PointF& q = arrow[(i + 1) % arrow.size()];
        b.g.draw_line(p.x, p.y, q.x, q.y, 1, state);
    }
    b.g.fill_rounded_rect({x + 21, cy + 6.5f, 8, 2.5f}, 1, state);
    b.line_text(on ? "Caps Lock açık" : "Caps Lock kapalı", x + 46, b.w - 100, 14.5f, 600, kWhite);
    const RectF cap{b.right() - 50, cy - 13, 34, 26};
    b.g.fill_rounded_rect(cap, 9, fill);
    b.text(on ? "A" : "aA", cap, 14, 700, state, TextAlign::Center, FontFamily::Display);
}

void hud_layout(const Box& b) {
    b.g.draw_glyph(0xE765, b.x + 25, b.cy(), 16, kWhite);
    b.line_text("Klavye dili", b.x + 48, 140, 14.5f, 600, kWhite);
    const std::string& code = b.app.notices.layout_code;
    const float cw = std::max(34.0f, b.measure(code, 13.5f, 800) + 16);
    const RectF cap{b.right() - 16 - cw, b.cy() - 13, cw, 26};
    b.g.fill_rounded_rect(cap, 9, white(0.14f));
    b.text(code, cap, 13.5f, 800, kWhite, TextAlign::Center);
}

// ---- Notices: clipboard, pictures, media and timers ------------------------------------------------------------------

// A title of its own width with the body after it, up to right − 18.
void title_then_body(const Box& b, float left, float title_size, float body_size, const Color& title_color) {
    const std::string& title = b.app.notices.title;
    const float tw = b.measure(title, title_size, 600);
    b.line_text(title, left, tw + 4, title_size, 600, title_color);
    const float bx = left + tw + 10;
    b.line_text(b.app.notices.body, bx, std::max(0.0f, b.right() - 18 - bx), body_size, 400, kSecondary);
}

void hud_clipboard(const Box& b) {
    b.g.draw_glyph(0xE8C8, b.x + 25, b.cy(), 15, kBlue);
    const float tw = b.measure("Kopyalandı", 14.5f, 600);
    b.line_text("Kopyalandı", b.x + 46, tw + 4, 14.5f, 600, kWhite);
    const float bx = b.x + 46 + tw + 10;
    b.line_text(b.app.notices.body, bx, std::max(0.0f, b.right() - 18 - bx), 13, 400, kSecondary);
}

void hud_image(const Box& b) {
    draw_notice_picture(b, {b.x + 12, b.cy() - 26, 70, 52}, 10);
    b.app.draw_title_subtitle(b.x + 96, b.cy(), b.w - 110, b.app.notices.title, b.app.notices.body, kWhite);
}

void hud_track(const Box& b) {
    App& app = b.app;
    app.draw_artwork({b.x + 12, b.cy() - 24, 48, 48}, 12, false);
    const std::string_view title = app.media.snap.title.empty() ? std::string_view("Bilinmeyen parça") : app.media.snap.title;
    app.draw_title_subtitle(b.x + 72, b.cy(), b.w - 120, title, app.media.snap.artist, kWhite);
    app.draw_eq_bars(b.right() - 40, b.cy(), 20, 26, media_accent(app));
}

// The pulsing halo, the disc and the clock glyph of TimerDone and Pomo.
void timer_badge(const Box& b, const Color& c) {
    const float p = pulse(b.app, 4);
    const float cx = b.x + 42, cy = b.cy();
    b.g.fill_circle(cx, cy, 26 + 3 * p, with_alpha(c, 0.18f + 0.1f * p));
    b.g.fill_circle(cx, cy, 21, with_alpha(c, 0.3f));
    b.g.draw_glyph(0xE916, cx, cy, 19, c);
}

void hud_timer_done(const Box& b) {
    App& app = b.app;
    timer_badge(b, kOrange);
    b.text("Süre doldu!", {b.x + 80, b.cy() - 20, 200, 22}, 14.5f, 600, kWhite);
    b.text("Kapatmak için dokun", {b.x + 80, b.cy() + 1, 200, 20}, 12.5f, 400, kSecondary);
    const Action snooze = Action::of(ActionKind::Snooze);
    const RectF button{b.right() - 96, b.cy() - 18, 78, 36};
    b.g.fill_rounded_rect(button, 18, with_alpha(kOrange, 0.24f + 0.14f * app.hover_of(snooze)));
    b.text("+1 dk", button, 14, 700, kOrange, TextAlign::Center);
    app.push_hit(button, snooze);
}

void hud_pomo(const Box& b) {
    timer_badge(b, b.app.timers.pomo.phase == PomoPhase::Focus ? kRed : kGreen);
    b.app.draw_title_subtitle(b.x + 80, b.cy(), b.w - 100, b.app.notices.title, b.app.notices.body, kWhite);
}

// ---- Notices: devices, network, messages -----------------------------------------------------------------------------

void hud_mic(const Box& b) {
    const bool muted = b.app.audio.mic_muted;
    const float x = b.x, cy = b.cy();
    b.g.draw_glyph(0xE720, x + 26, cy, 15, muted ? kRed : kGreen);
    if (muted) b.g.draw_line(x + 17, cy - 9, x + 35, cy + 9, 2, kRed);
    b.line_text(muted ? "Mikrofon kapalı" : "Mikrofon açık", x + 48, b.w - 60, 14.5f, 600, kWhite);
}

void hud_net(const Box& b) {
    const SysmonSnapshot& s = b.app.sysmon.snap;
    if (s.online)
        b.g.draw_glyph(s.wireless ? 0xE701 : 0xE839, b.x + 26, b.cy(), 15, kGreen);
    else
        b.g.draw_glyph(0xE7BA, b.x + 26, b.cy(), 15, kOrange);
    title_then_body(b, b.x + 48, 14.5f, 13, kWhite);
}

void hud_download(const Box& b) {
    App& app = b.app;
    const RectF thumb{b.x + 16, b.cy() - 22, 44, 44};
    if (!draw_notice_picture(b, thumb, 6)) {
        b.g.fill_rounded_rect(thumb, 12, with_alpha(kBlue, 0.25f));
        b.g.draw_glyph(0xE896, thumb.x + 22, thumb.y + 22, 18, kBlue);
    }
    app.draw_title_subtitle(b.x + 74, b.cy(), b.w - 184, app.notices.title, app.notices.body, kWhite);
    if (!app.settings.auto_shelf) return;
    const RectF chip{b.right() - 104, b.cy() - 14, 88, 28};
    b.g.fill_rounded_rect(chip, 14, with_alpha(kBlue, 0.22f));
    b.text("Rafta", chip, 12.5f, 700, kBlue, TextAlign::Center);
}

void hud_privacy(const Box& b) {
    const std::string& title = b.app.notices.title;
    const Color c = title.rfind("Kamera", 0) == 0 ? kGreen : kOrange;
    b.g.fill_circle(b.x + 25, b.cy(), 9 + 2 * pulse(b.app, 5), with_alpha(c, 0.25f));
    b.g.fill_circle(b.x + 25, b.cy(), 5, c);
    title_then_body(b, b.x + 44, 14.5f, 13, kWhite);
}

void hud_info(const Box& b) {
    b.g.draw_glyph(0xE713, b.x + 25, b.cy(), 15, kLightBlue);
    const std::string& title = b.app.notices.title;
    const float tw = b.measure(title, 14, 600);
    b.line_text(title, b.x + 46, tw + 4, 14, 600, kWhite);
    const float bx = b.x + 46 + tw + 10;
    b.line_text(b.app.notices.body, bx, std::max(0.0f, b.right() - 18 - bx), 12, 400, kSecondary);
}

void hud_notice(const Box& b) {
    App& app = b.app;
    const float cx = b.x + 40, cy = b.cy();
    b.g.fill_circle(cx, cy, 24 + 2.5f * pulse(app, 3), with_alpha(kPurple, 0.2f));
    b.g.fill_circle(cx, cy, 19, with_alpha(kPurple, 0.38f));
    // The bell shakes when the notice arrives and settles within 1.2 s.
    const float t = static_cast<float>(std::max(app.now - app.island.mode_changed, 0.0));
    const float k = std::clamp(t / 1.2f, 0.0f, 1.0f);
    b.g.draw_glyph(0xEA8F, cx + (1 - k) * 2.2f * std::sin(22 * t), cy, 17, kWhite);
    app.draw_title_subtitle(b.x + 76, cy, b.w - 96, app.notices.title, app.notices.body, kWhite);
}

void hud_toast(const Box& b) {
    if (!b.app.notifs.toast) return;
    const AppNotification& n = *b.app.notifs.toast;
    const float cy = b.cy(), tx = b.x + 74, tw = b.w - 94;
    b.app.app_icon(n.app_id, n.app, n.logo.get(), {b.x + 18, cy - 22, 44, 44}, 12);
    const std::string meta = n.time.empty() ? n.app : n.app + " · " + n.time;
    b.text(meta, {tx, cy - 31, tw, 14}, 11, 600, white(0.4f));
    b.text(n.title, {tx, cy - 16, tw, 20}, 14.5f, 700, kWhite);
    b.text(n.body, {tx, cy + 5, tw, 18}, 12.5f, 400, kSecondary);
}

void hud_steam(const Box& b) {
    App& app = b.app;
    const RectF header{b.x + 12, b.cy() - 24, 102, 48};
    if (!draw_notice_picture(b, header, 10)) {
        b.g.fill_rounded_rect(header, 10, with_alpha(kBlue, 0.2f));
        b.g.draw_glyph(0xE7FC, header.x + header.w / 2, header.y + header.h / 2, 18, kBlue);
    }
    app.draw_title_subtitle(b.x + 128, b.cy(), b.w - 146, app.notices.title, app.notices.body,
                            app.notices.title == "İndirme bitti" ? kGreen : kWhite);
}

void hud_mail(const Box& b) {
    const float cy = b.cy(), tx = b.x + 72, tw = b.w - 90;
    b.g.fill_circle(b.x + 38, cy, 22, with_alpha(kRed, 0.22f));
    b.g.draw_glyph(0xE715, b.x + 38, cy, 17, kWhite);
    b.text("Gmail · yeni e-posta", {tx, cy - 31, tw, 16}, 11.5f, 700, kWhite);
    b.text(b.app.notices.title, {tx, cy - 14, tw, 20}, 14.5f, 700, kWhite);
    b.text(b.app.notices.body, {tx, cy + 6, tw, 20}, 12.5f, 400, kWhite);
}

void hud_event(const Box& b) {
    App& app = b.app;
    const float cy = b.cy();
    const float r = 22 + 1.5f * static_cast<float>(std::sin(4 * app.now));
    b.g.fill_circle(b.x + 38, cy, r, with_alpha(kBlue, 0.2f));
    b.g.draw_glyph(0xE787, b.x + 38, cy, 17, kEventBlue);
    app.draw_title_subtitle(b.x + 72, cy, b.w - 90, app.notices.title, app.notices.body + " · Google Takvim", kWhite);
}

// ---- Voice ------------------------------------------------------------------------------------------------------------

// A four-pointed spark: the assistant's mark beside its answer.
void spark(Renderer& g, float cx, float cy, float r) {
    const float k = 0.28f * r;
    g.fill_polygon({{cx, cy - r}, {cx + k, cy - k}, {cx + r, cy}, {cx + k, cy + k}, {cx, cy + r}, {cx - k, cy + k},
                    {cx - r, cy}, {cx - k, cy - k}},
                   kWhite, 0.8f);
}

void hud_voice(const Box& b) {
    App& app = b.app;
    const float cy = b.cy();
    switch (app.voice.state) {
        case VoiceState::Idle:
        case VoiceState::Listening: {
            const float level = app.voice.capture ? clamp01(app.voice.level_history.back()) : 0.0f;
            app.draw_spinner(b.x + 34, cy, 15 + 6 * level, app.now * (1 + 2 * level));
            std::string line = "Dinliyorum…";
            if (app.voice.teaching.takes) {
                const uint32_t n = app.voice.teaching.take + 1;
                line = app.voice.teaching.retries > 0 ? fmt::format("(Duyamadım, tekrar: “Hey Google” · {}/3", n)
                                                : fmt::format("“Hey Google” de · {}/3", n);
            }
            b.line_text(line, b.x + 62, b.w - 227, 14.5f, 600, kWhite);
            break;
        }
        case VoiceState::Thinking: {
            app.draw_spinner(b.x + 34, cy, 16, app.now * 3);
            b.line_text(app.voice.question.empty() ? std::string_view("Düşünüyorum") : app.voice.question, b.x + 62,
                        b.w - 132, 14, 600, kWhite);
            for (int i = 0; i < 3; ++i) {
                const float a = 0.3f + 0.7f * static_cast<float>(0.5 + 0.5 * std::sin(6 * app.now - 0.9 * i));
                b.g.fill_circle(b.right() - 58 + 9 * static_cast<float>(i), cy, 2.4f, white(a));
            }
            break;
        }
        case VoiceState::Answer: {
            const float sy = b.y + 32;
            app.draw_spinner(b.x + 34, sy, 13, app.now);
            spark(b.g, b.x + 34, sy, 6);
            float top = b.y + 20;
            if (!app.voice.question.empty()) {
                b.text("“" + app.voice.question + "”", {b.x + 64, 26, b.w - 100, 18}, 12, 500, white(0.4f));
                top = 46;
            }
            // A long answer ends with "…" after its last whole line rather than cut through one.
            const RectF box{b.x + 64, top, 500, std::max(0.0f, b.y + b.h - 12 - top)};
            b.g.draw_wrapped_text(fit_wrapped(b.g, app.voice.answer, box.w, box.h, 14, 500), box, 14, 500, kWhite);
            break;
        }
    }
}

void draw_notice(const Box& b, HudKind k) {
    switch (k) {
        case HudKind::Volume: hud_level(b, false); break;
        case HudKind::Brightness: hud_level(b, true); break;
        case HudKind::Battery: hud_battery(b); break;
        case HudKind::LowBattery: hud_low_battery(b); break;
        case HudKind::Clipboard: hud_clipboard(b); break;
        case HudKind::Image: hud_image(b); break;
        case HudKind::Track: hud_track(b); break;
        case HudKind::TimerDone: hud_timer_done(b); break;
        case HudKind::Pomo: hud_pomo(b); break;
        case HudKind::Caps: hud_caps(b); break;
        case HudKind::Layout: hud_layout(b); break;
        case HudKind::Mic: hud_mic(b); break;
        case HudKind::Net: hud_net(b); break;
        case HudKind::Download: hud_download(b); break;
        case HudKind::Privacy: hud_privacy(b); break;
        case HudKind::Info: hud_info(b); break;
        case HudKind::Notice: hud_notice(b); break;
        case HudKind::Toast: hud_toast(b); break;
        case HudKind::Steam: hud_steam(b); break;
        case HudKind::Mail: hud_mail(b); break;
        case HudKind::Event: hud_event(b); break;
        case HudKind::Voice: hud_voice(b); break;
    }
}

// ---- Open island ------------------------------------------------------------------------------------------------------

void draw_open(const Box& b, Page page, bool header) {
    App& app = b.app;
    const RectF rect{b.x, b.y, b.w, b.h};
    if (header) {
        app.draw_page_header(b.x, b.y, b.w);
        app.draw_tab_strip(b.h);
        app.draw_page(page, rect);
        return;
    }
    // A sliding page body must not cover the header and dock drawn once above it.
    b.g.push_clip({b.x - 40, 58, b.w + 80, std::max(0.0f, b.y + b.h - 62 - 58)});
    app.draw_page(page, rect);
    b.g.pop_clip();
}

}  // namespace

// ---- draw_island ----------------------------------------------------------------------------------------------------

void draw_island(App& app, uint8_t tag, uint8_t payload, float alpha, float offset, bool record, bool header) {
    forget_stale_notice_picture(app);
    if (!app.drawing.renderer) return;
    Renderer& g = *app.drawing.renderer;

    const IslandShape shape = island_size(app, tag, payload);
    const float zoom =
        shape.width > 0 ? std::clamp(current_pill_width(app) / shape.width, kContentZoomMin, kContentZoomMax) : 1.0f;
    const float saved_alpha = g.global_alpha;
    g.global_alpha = alpha;
    g.set_transform(Affine::scale_about(zoom, kIslandCentreX, kIslandTop).then(Affine::translation(offset, 0)));
    app.pointer.zoom = zoom;
    app.pointer.shift = offset;
    app.drawing.record_hits = record;

    const Box b{app, g, kIslandCentreX - shape.width / 2, kIslandTop, shape.width, shape.height};
    switch (static_cast<ModeTag>(tag)) {
        case ModeTag::Idle: draw_idle(b); break;
        case ModeTag::Peek: draw_peek(b); break;
        case ModeTag::Act:
            if (payload <= static_cast<uint8_t>(ActKind::Watch)) draw_activity(b, static_cast<ActKind>(payload));
            break;
        case ModeTag::Hud:
            if (payload < kHudCount) draw_notice(b, static_cast<HudKind>(payload));
            break;
        case ModeTag::Open:
            if (payload < kPageCount) draw_open(b, static_cast<Page>(payload), header);
            break;
        case ModeTag::None: break;
    }

    app.drawing.record_hits = false;
    g.reset_transform();
    g.global_alpha = saved_alpha;
}
