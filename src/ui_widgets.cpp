// The shared widgets: each call draws through the Renderer's primitives and,
// in the same pass, appends a HitRegion for what can be clicked (immediate
// mode; no widget keeps state of its own).
//
// Index
//   Helpers: texts, dock layout, colours, ids
//   Hit regions and hover
//   Card, text field
//   Page header, battery, status glyphs
//   Decorations: equaliser bars, artwork, spinner, sun, bolt
//   Slider row, app icon, game thumbnail
//   Tab strip
//   Title and subtitle, buttons
#include "ui_widgets.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include <fmt/format.h>

#include "app.h"
#include "gfx_geom.h"
#include "gfx_null.h"
#include "gfx_palette.h"
#include "sys_num.h"
#include "sys_os.h"
#include "sys_text.h"

namespace {

using namespace palette;

// ---- Palette ------------------------------------------------------------------------------------------
constexpr Color kTooltip = rgb(44, 44, 46);

Color white(float a) { return rgb(255, 255, 255, a); }

// Widgets of an App without a renderer still register their regions, measured
// as the recording renderer measures.
Renderer& surface(App& app) {
    if (app.drawing.renderer) return *app.drawing.renderer;
    static NullRenderer none;
    return none;
}

const std::string& text_of(const App& app, TextField f) {
    static const std::string empty;
    switch (f) {
        case TextField::Search: return app.search_page.text;
        case TextField::Note: return app.lists.note_text;
        case TextField::City: return app.settings.city_edit;
        case TextField::Gemini: return app.google.gemini_text;
        default: return empty;
    }
}

// The first character of a name in upper case.
std::string initial_of(std::string_view name) {
    size_t i = 0;
    if (name.empty()) return {};
    char32_t c = next_code_point(name, i);
    std::string one;
    append_utf8(one, c);
    return to_upper(one);
}

}  // namespace

// ---- Helpers: texts, dock layout, colours, ids --------------------------------------------------------

RectF hit_rect(const RectF& r, float zoom, float shift) {
    return {(r.x - kIslandCentreX) * zoom + kIslandCentreX + shift, (r.y - kIslandTop) * zoom + kIslandTop, r.w * zoom,
            r.h * zoom};
}

LocalTime island_local_time(const App& app) {
    LocalTime t;
    if (app.wall_clock.unix_seconds && local_time_of(*app.wall_clock.unix_seconds, t)) return t;
    return local_time();
}

const char* greeting_for_hour(int hour) {
    if (hour >= 5 && hour <= 11) return "Günaydın";
    if (hour >= 12 && hour <= 17) return "İyi günler";
    if (hour >= 18 && hour <= 22) return "İyi akşamlar";
    return "İyi geceler";
}

namespace {
struct PageLook {
    const char* title;
    const char* short_name;
    char32_t glyph;
};
constexpr PageLook kPageLooks[kPageCount] = {
    {"Ana", "Ana", 0xE80F},
    {"Şimdi Çalıyor", "Medya", 0xE8D6},
    {"Kontrol Merkezi", "Kontrol", 0xE945},
    {"Zaman", "Zaman", 0xE916},
    {"Steam", "Steam", 0xE7FC},
    {"Raf", "Raf", 0xE7B8},
    {"Pano Geçmişi", "Pano", 0xE77F},
    {"Bildirimler", "Bildirimler", 0xEA8F},
    {"Notlar", "Notlar", 0xE70B},
    {"Sistem", "Sistem", 0xE9D9},
    {"Takvim ve Hava", "Takvim", 0xE787},
    {"Google", "Google", 0xE715},
    {"Gemini", "Gemini", 0xE8BD},
    {"Ara", "Ara", 0xE721},
    {"Ayarlar", "Ayarlar", 0xE713},
};
const PageLook& look_of(Page p) {
    auto i = static_cast<size_t>(p);
    return kPageLooks[i < static_cast<size_t>(kPageCount) ? i : 0];
}
}  // namespace

const char* page_title(Page p) { return look_of(p).title; }
const char* page_short_name(Page p) { return look_of(p).short_name; }
char32_t page_glyph(Page p) { return look_of(p).glyph; }

std::string percent_text(int64_t value) {
    std::string out = "%";
    out += std::to_string(value);
    return out;
}

std::string badge_text(uint32_t count) { return count >= 10 ? std::string("9+") : std::to_string(count); }

std::string fit_wrapped(Renderer& g, std::string_view text, float width, float height, float size, float weight) {
    if (!(g.measure_wrapped(text, width, size, weight) > height)) return std::string(text);
    const auto with_ellipsis = [&](size_t end) { return std::string(trim_end(text.substr(0, end))) + "…"; };
    // The longest of the cut positions (ascending) whose start fits with "…";
    // a longer start never wraps into fewer lines.
    const auto longest = [&](const std::vector<size_t>& cuts) -> std::optional<std::string> {
        size_t lo = 0, hi = cuts.size();
        while (lo < hi) {
            const size_t mid = (lo + hi) / 2;
            if (g.measure_wrapped(with_ellipsis(cuts[mid]), width, size, weight) > height)
                hi = mid;
            else
                lo = mid + 1;
        }
        if (lo == 0) return std::nullopt;
        return with_ellipsis(cuts[lo - 1]);
    };
    // After a whole word where one fits, else after any character.
    std::vector<size_t> words, chars;
    bool in_word = false;
    for (size_t i = 0; i < text.size();) {
        const size_t at = i;
        const bool space = is_white_space(next_code_point(text, i));
        if (space && in_word) words.push_back(at);
        if (at > 0) chars.push_back(at);
        in_word = !space;
    }
    if (std::optional<std::string> cut = longest(words)) return *cut;
    return longest(chars).value_or("…");
}

float badge_width(Renderer& g, std::string_view label) {
    return std::max(2 * kBadgeRadius, g.measure_text(label, kBadgeTextSize, FontFamily::Text, 700) + 2 * kBadgeMargin);
}

bool caret_lit(double now) {
    double t = now * 1.8;
    return t - std::floor(t) < 0.6;
}

float field_scroll(float text_width, float area_width) { return std::max(0.0f, text_width - area_width + 6.0f); }

Color toward_white(const Color& c, float t) {
    return {c.r + (1 - c.r) * t, c.g + (1 - c.g) * t, c.b + (1 - c.b) * t, c.a + (1 - c.a) * t};
}

Color blend(const Color& a, const Color& b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

DockLayout dock_layout(float pointer_x, float reveal) {
    constexpr float kPitch = 38.0f, kFirstCentre = 184.0f, kReach = 46.0f;
    DockLayout d;
    float r = clamp01(reveal);
    for (int i = 0; i < DockLayout::kSlots; ++i) {
        float q = (pointer_x - (kFirstCentre + kPitch * static_cast<float>(i))) / kReach;
        d.scale[i] = 1.0f + (r / 2.0f) * std::exp(-(q * q));
        d.total += kPitch * d.scale[i];
    }
    d.start = kIslandCentreX - d.total / 2.0f;
    float x = d.start;
    for (int i = 0; i < DockLayout::kSlots; ++i) {
        d.left[i] = x;
        x += kPitch * d.scale[i];
    }
    return d;
}

Color letter_tile_color(std::string_view name) {
    static const Color palette[6] = {kBlue, kPurple, kOrange, kGreen, kLightBlue, kIndigo};
    if (name.empty()) return palette[3];
    return palette[(fnv1a64(name) & 0x00FFFFFFFFFFFFFFull) % 6];
}

uint64_t explicit_icon_id(std::string_view app_id) { return image_id(kImageOwnerAppIcon, fnv1a64(app_id)); }
uint64_t shell_icon_id(std::string_view app_id) { return image_id(kImageOwnerShellIcon, fnv1a64(app_id)); }

// ---- Hit regions and hover -------------------------------------------------------------------------------

void App::push_hit(const RectF& r, Action a) {
    if (drawing.record_hits) drawing.hits.push_back({hit_rect(r, pointer.zoom, pointer.shift), a});
}

float App::hover_of(const Action& a) const {
    if (a.is_none() || !action_eq(pointer.hovered, a)) return 0;
    return clamp01(anim.hover.value);
}

bool App::is_pressed(const Action& a) const { return !a.is_none() && action_eq(pointer.pressed, a); }

// ---- Card, text field -------------------------------------------------------------------------------------

void App::card(const RectF& r, Action a) {
    float h = hover_of(a);
    surface(*this).fill_rounded_rect(r, 20, white(0.07f + 0.04f * h));
    push_hit(r, a);
}

void App::text_field(const RectF& r, TextField field, char32_t glyph, std::string_view placeholder,
                     std::string_view button) {
    constexpr float kTextSize = 14.5f, kButtonSize = 13.0f;
    Renderer& g = surface(*this);
    const Action act = Action::byte(ActionKind::Field, static_cast<uint8_t>(field));
    const Action go = Action::byte(ActionKind::FieldGo, static_cast<uint8_t>(field));
    const bool focused = island.focus == field && field != TextField::None;
    const float h = hover_of(act);

    g.fill_rounded_rect(r, 14, white(0.09f + 0.03f * h + (focused ? 0.03f : 0.0f)));
    if (focused) g.stroke_rounded_rect(r, std::max(0.0f, outline_radius(14, r.w, r.h)), with_alpha(kBlue, 0.6f), 1.4f, 0, 0);
    g.draw_glyph(glyph, r.x + 22, r.y + r.h / 2, 14, focused ? kBlue : white(0.62f));

    const float bw = button.empty() ? 0.0f : g.measure_text(button, kButtonSize, FontFamily::Text, 700) + 26.0f;
    const std::string& text = text_of(*this, field);
    const RectF area{r.x + 42, r.y, r.w - 54 - bw, r.h};
    g.push_clip(area);
    const float tw = text.empty() ? 0.0f : g.measure_text(text, kTextSize, FontFamily::Text, 500);
    const float scroll = field_scroll(tw, area.w);
    if (!text.empty())
        g.draw_text(text, {area.x - scroll, r.y, tw + 20, r.h}, kTextSize, FontFamily::Text, 500, kWhite, TextAlign::Left);
    else
        g.draw_text(placeholder, area, kTextSize, FontFamily::Text, 400, white(0.4f), TextAlign::Left);
    if (focused && caret_lit(now)) {
        float cx = area.x + tw - scroll + 1.5f, cy = r.y + r.h / 2;
        g.draw_line(cx, cy - 10, cx, cy + 10, 2, kBlue);
    }
    g.pop_clip();
    push_hit(r, act);

    if (button.empty()) return;
    const RectF b{r.x + r.w - bw - 6, r.y + 6, bw, r.h - 12};
    const float hb = 0.15f * hover_of(go);
    if (!text.empty()) {
        g.fill_rounded_rect(b, bw / 2, Color{(10 + 245 * hb) / 255.0f, (132 + 123 * hb) / 255.0f, 1.0f, 1.0f});
        g.draw_text(button, b, kButtonSize, FontFamily::Text, 700, kWhite, TextAlign::Center);
    } else {
        g.fill_rounded_rect(b, bw / 2, white(0.1f));
        g.draw_text(button, b, kButtonSize, FontFamily::Text, 700, white(0.4f), TextAlign::Center);
    }
    push_hit(b, go);
}

// ---- Page header, battery, status glyphs -------------------------------------------------------------------

void App::draw_page_header(float x, float y, float width) {
    Renderer& g = surface(*this);
    LocalTime t = island_local_time(*this);
    const char* title = island.page == Page::Home ? greeting_for_hour(t.hour) : page_title(island.page);
    g.draw_text(title, {x + 26, y + 12, 330, 32}, 18, FontFamily::Display, 700, kWhite, TextAlign::Left);

    const float cw = g.measure_text("00:00", 15, FontFamily::Display, 600) + 2;
    g.draw_text(fmt::format("{:02}:{:02}", t.hour, t.minute), {x + width - 24 - cw, y + 12, cw, 32}, 15,
                FontFamily::Display, 600, kWhite, TextAlign::Right);

    // Status items run right to left from the clock.
    const float cy = y + 28;
    float r = x + width - 24 - cw - 12;
    if (island.has_battery) {
        draw_battery(r, cy);
        r -= island.on_ac ? 100 : 88;
    }
    if (sysmon.snap.net_checked) {
        if (sysmon.snap.online)
            g.draw_glyph(sysmon.snap.wireless ? 0xE701 : 0xE839, r - 8, cy, 13, white(0.85f));
        else
            g.draw_glyph(0xE7BA, r - 8, cy, 13, kOrange);
        r -= 26;
    }
    if (!notices.layout_code.empty()) {
        float bw = g.measure_text(notices.layout_code, 11, FontFamily::Text, 700) + 12;
        RectF box{r - bw, cy - 9, bw, 18};
        g.stroke_rounded_rect(box, std::max(0.0f, std::min(bw / 2, 6.0f)), white(0.35f), 1, 0, 0);
        g.draw_text(notices.layout_code, box, 11, FontFamily::Text, 700, white(0.8f), TextAlign::Center);
        r -= bw + 10;
    }
    if (island.keep_awake) {
        g.draw_glyph(0xE7B3, r - 8, cy, 13, kOrange);
        r -= 24;
    }
    if (!sysmon.snap.cam_users.empty()) {
        g.fill_circle(r - 4, cy, 4, kGreen);
        r -= 14;
    }
    if (!sysmon.snap.mic_users.empty()) g.fill_circle(r - 4, cy, 4, kOrange);
}

void App::draw_battery(float rx, float cy) {
    Renderer& g = surface(*this);
    const bool charging = island.on_ac;
    const Color level = charging ? kGreen : (island.battery <= 20 ? kRed : kWhite);
    g.stroke_rounded_rect({rx - 27, cy - 6, 24, 12}, 3.6f, white(0.42f), 1.1f, 0, 0);
    const float lw = std::max(static_cast<float>(island.battery) / 100.0f * 20.6f, 1.5f);
    g.fill_rounded_rect({rx - 25.3f, cy - 4.3f, lw, 8.6f}, std::min(lw / 2, 2.2f), level);
    g.fill_rounded_rect({rx - 2.4f, cy - 2.4f, 2.2f, 4.8f}, 1.1f, white(0.42f));
    if (charging) draw_bolt(rx - 37, cy, 0.85f, kGreen);
    g.draw_text(percent_text(island.battery), {charging ? rx - 90 : rx - 77, cy - 10, 44, 20}, 12.5f, FontFamily::Text, 600,
                white(0.9f), TextAlign::Right);
}

// ---- Decorations: equaliser bars, artwork, spinner, sun, bolt ---------------------------------------------

void App::draw_eq_bars(float x, float cy, float width, float height, const Color& c) {
    // (f1, p1, f2, p2) of each bar: two sines per bar keep the four out of step.
    static constexpr float kWaves[4][4] = {{5.3f, 0, 2.7f, 0}, {7.2f, 2.1f, 3.5f, 1.3f}, {9.1f, 4.2f, 4.3f, 2.6f},
                                           {11, 6.3f, 5.1f, 3.9f}};
    const float bw = width / 6.25f;
    if (!(bw > 0)) return;
    Renderer& g = surface(*this);
    const double t = now;
    const float m = clamp01(anim.equaliser.value);
    for (int k = 0; k < 4; ++k) {
        const float* w = kWaves[k];
        float v = static_cast<float>((0.55 + 0.45 * std::sin(w[0] * t + w[1])) * (0.65 + 0.35 * std::sin(w[2] * t + w[3]))) *
                      0.8f * m +
                  0.2f;
        float bh = v * height;
        if (!(bh > 0)) continue;
        g.fill_rounded_rect({x + static_cast<float>(k) * 1.75f * bw, cy - bh / 2, bw, bh}, bw / 2, c);
    }
}

void App::draw_artwork(const RectF& r, float radius, bool small) {
    Renderer& g = surface(*this);
    const ImageRef& art = small ? media.snap.art_small : media.snap.art;
    if (art) {
        uint8_t owner = small ? kImageOwnerSmallArtwork : kImageOwnerArtwork;
        g.draw_image(image_id(owner, media.snap.art_version), *art, r, radius);
        return;
    }
    const Color accent{media.snap.accent[0], media.snap.accent[1], media.snap.accent[2], 1.0f};
    g.fill_rounded_rect(r, radius, with_alpha(accent, 0.22f));
    Color glyph = blend(accent, kWhite, 0.4f);
    glyph.a = 1;
    g.draw_glyph(0xE8D6, r.x + r.w / 2, r.y + r.h / 2, 0.42f * r.h, glyph);
}

void App::draw_spinner(float cx, float cy, float size, double t) {
    static const Color kBlobs[4] = {kBlue, kPurple, rgb(255, 94, 156), kLightBlue};
    Renderer& g = surface(*this);
    g.fill_circle(cx, cy, 1.45f * size, with_alpha(kPurple, 0.16f));
    for (int k = 0; k < 4; ++k) {
        double a = 1.7 * t + k * (3.14159265358979323846 / 2);
        g.fill_circle(cx + 0.3f * size * static_cast<float>(std::cos(a)), cy + 0.3f * size * static_cast<float>(std::sin(a)),
                      0.75f * size, with_alpha(kBlobs[k], 0.55f));
    }
    g.fill_circle(cx, cy, 0.45f * size, white(0.22f));
}

void App::draw_sun(float cx, float cy, float size) {
    Renderer& g = surface(*this);
    const double e = now * 0.35;
    for (int k = 0; k < 8; ++k) {
        double a = e + k * (3.14159265358979323846 / 4);
        float c = static_cast<float>(std::cos(a)), s = static_cast<float>(std::sin(a));
        g.draw_line(cx + 0.62f * size * c, cy + 0.62f * size * s, cx + 0.84f * size * c, cy + 0.84f * size * s,
                    0.1f * size, kYellow);
    }
    g.fill_circle(cx, cy, 0.42f * size, kYellow);
}

void App::draw_bolt(float cx, float cy, float s, const Color& c) {
    static constexpr float kShape[6][2] = {{1.6f, -6}, {-3.4f, 0.8f}, {-0.3f, 0.8f}, {-1.6f, 6}, {3.4f, -0.9f}, {0.3f, -0.9f}};
    std::vector<PointF> pts;
    pts.reserve(6);
    for (const auto& p : kShape) pts.push_back({cx + s * p[0], cy + s * p[1]});
    surface(*this).fill_polygon(pts, c, 0.8f);
}

// ---- Slider row, app icon, game thumbnail ------------------------------------------------------------------

void App::slider_row(uint8_t index, const RectF& r, float level, char32_t glyph, bool enabled, std::string_view label) {
    Renderer& g = surface(*this);
    const Action act = Action::byte(ActionKind::Slider, index);
    const float hv = hover_of(act);
    const float radius = std::min({18.0f, r.w / 2, r.h / 2});
    const float mid = r.y + r.h / 2;
    g.fill_rounded_rect(r, radius, white(0.11f + 0.04f * hv));
    if (!enabled) {
        g.draw_glyph(glyph, r.x + 26, mid, 17, white(0.4f));
        g.draw_text(label, {r.x + 48, r.y, r.w - 60, r.h}, 12.5f, FontFamily::Text, 600, white(0.4f), TextAlign::Left);
        return;
    }
    const float fw = std::max(0.0f, clamp01(level) * r.w);
    if (fw > 0.5f) {
        // The whole track shape under a clip keeps the fill's rounded left end.
        g.push_clip({r.x, r.y, fw, r.h});
        g.fill_rounded_rect(r, radius, white(0.94f));
        g.pop_clip();
    }
    g.draw_glyph(glyph, r.x + 26, mid, 17, fw > 40 ? kInk : kWhite);
    g.draw_text(label, {r.x + 48, r.y, 140, r.h}, 13, FontFamily::Text, 600, fw > 70 ? with_alpha(kInk, 0.75f) : white(0.62f),
                TextAlign::Left);
    g.draw_text(percent_text(sat_i64(std::round(level * 100.0f))), {r.x + r.w - 64, r.y, 50, r.h}, 13, FontFamily::Text,
                600, fw > r.w - 20 ? with_alpha(kInk, 0.8f) : white(0.62f), TextAlign::Right);
    push_hit(r, act);
}

void App::app_icon(std::string_view app_id, std::string_view name, const Image* image, const RectF& r, float radius) {
    Renderer& g = surface(*this);
    if (image) {
        g.draw_image(explicit_icon_id(app_id), *image, r, radius);
        return;
    }
    if (!app_id.empty()) {
        std::string key(app_id);
        auto it = drawing.app_icon_cache.find(key);
        if (it == drawing.app_icon_cache.end()) {
            uint32_t px = sat_u32(std::round(r.w * g.scale()));
            ImageRef icon = shell_thumbnail("shell:AppsFolder\\" + key, px, px, true);
            it = drawing.app_icon_cache.emplace(std::move(key), std::move(icon)).first;
        }
        if (it->second) {
            g.draw_image(shell_icon_id(app_id), *it->second, r, radius);
            return;
        }
    }
    g.fill_rounded_rect(r, radius, letter_tile_color(name));
    g.draw_text(initial_of(name), r, 0.45f * r.h, FontFamily::Display, 700, kWhite, TextAlign::Center);
}

void App::game_thumb(uint32_t steam_app_id, const Image* image, const RectF& r, float radius) {
    Renderer& g = surface(*this);
    if (image) {
        g.draw_image(image_id(kImageOwnerSteam, steam_app_id), *image, r, radius);
        return;
    }
    g.fill_rounded_rect(r, radius, with_alpha(kBlue, 0.22f));
    g.draw_glyph(0xE7FC, r.x + r.w / 2, r.y + r.h / 2, 0.4f * r.h, kBlue);
}

// ---- Tab strip ------------------------------------------------------------------------------------------------

void App::draw_tab_strip(float island_height) {
    Renderer& g = surface(*this);
    const float top = island_height - 48;
    const float px = (pointer.x - kIslandCentreX - pointer.shift) / std::max(pointer.zoom, 0.01f) + kIslandCentreX;
    const float reveal = clamp01(anim.tab_reveal.value);
    const DockLayout d = dock_layout(px, reveal);

    g.fill_rounded_rect({d.start - 10, top, d.total + 20, 44}, std::min(22.0f, (d.total + 20) / 2), white(0.075f));

    int hovered_icon = -1;
    float hovered_x = 0, hovered_y = 0, hovered_size = 0;
    for (int i = 0; i < DockLayout::kSlots; ++i) {
        const Page p = page_at(i);
        const Action act = Action::byte(ActionKind::Dock, static_cast<uint8_t>(i));
        const float s = d.scale[i];
        const float size = 16 * s * (is_pressed(act) ? 0.9f : 1.0f);
        const float ix = d.left[i] + 19 * s, iy = top + 22 - 10 * (s - 1);
        g.draw_glyph(page_glyph(p), ix, iy, size, p == island.page ? kWhite : white(0.5f + 0.5f * hover_of(act)));
        if (p == island.page) g.fill_circle(ix, top + 39, 2.2f, kWhite);

        uint32_t badge = p == Page::Notifs ? notifs.unread_badge : (p == Page::Google ? google.snap.unread : 0);
        if (badge > 0) {
            const float bx = ix + 9 * s, by = iy - 8 * s;
            const std::string label = badge_text(badge);
            const float bw = badge_width(g, label);
            g.fill_rounded_rect({bx - bw / 2, by - kBadgeRadius, bw, 2 * kBadgeRadius}, kBadgeRadius, kRed);
            g.draw_text(label, {bx - std::max(bw, 16.0f) / 2, by - 8, std::max(bw, 16.0f), 16}, kBadgeTextSize,
                        FontFamily::Text, 700, kWhite, TextAlign::Center);
        }
        push_hit({d.left[i], top - 6, 38 * s, 50}, act);
        if (action_eq(pointer.hovered, act)) {
            hovered_icon = i;
            hovered_x = ix;
            hovered_y = iy;
            hovered_size = size;
        }
    }

    if (hovered_icon < 0 || !(reveal > 0.3f)) return;
    const char* name = page_short_name(page_at(hovered_icon));
    const float tw = g.measure_text(name, 12, FontFamily::Text, 600) + 18;
    const RectF tip{hovered_x - tw / 2, hovered_y - hovered_size - 30, tw, 24};
    const float saved = g.global_alpha;
    g.global_alpha = saved * reveal;
    g.fill_rounded_rect(tip, std::min(12.0f, tw / 2), kTooltip);
    g.draw_text(name, tip, 12, FontFamily::Text, 600, kWhite, TextAlign::Center);
    g.global_alpha = saved;
}

// ---- Title and subtitle, buttons -------------------------------------------------------------------------------

void App::draw_title_subtitle(float x, float cy, float width, std::string_view title, std::string_view subtitle,
                              const Color& title_color) {
    Renderer& g = surface(*this);
    if (subtitle.empty()) {
        g.draw_text(title, {x, cy - 11, width, 22}, 14.5f, FontFamily::Text, 600, title_color, TextAlign::Left);
        return;
    }
    g.draw_text(title, {x, cy - 20, width, 22}, 14.5f, FontFamily::Text, 600, title_color, TextAlign::Left);
    g.draw_text(subtitle, {x, cy + 1, width, 20}, 12.5f, FontFamily::Text, 400, white(0.62f), TextAlign::Left);
}

void App::circle_button(Action a, float cx, float cy, float r, const Color& c, const Color& hover_c) {
    const float h = hover_of(a);
    const float radius = r * (is_pressed(a) ? 0.9f : 1.0f) * (1 + 0.04f * h);
    surface(*this).fill_circle(cx, cy, radius, blend(c, hover_c, h));
    push_hit({cx - r, cy - r, 2 * r, 2 * r}, a);
}

void App::pill_button(const RectF& r, Action a, std::string_view label, uint8_t mark, const Color& fill,
                      const Color& content) {
    constexpr float kLabelSize = 14.5f;
    Renderer& g = surface(*this);
    const float h = 0.12f * hover_of(a);
    const float p = is_pressed(a) ? 0.9f : 1.0f;
    const float cx = r.x + r.w / 2, cy = r.y + r.h / 2;
    const RectF pill{cx - p * r.w / 2, cy - p * r.h / 2, p * r.w, p * r.h};
    g.fill_rounded_rect(pill, pill.h / 2, toward_white(fill, h));

    const float lw = g.measure_text(label, kLabelSize, FontFamily::Text, 700);
    const float mw = mark <= 1 ? 22.0f : 0.0f;
    const float left = cx - (mw + lw) / 2;
    const float q = left + 6;
    if (mark == 1) {
        g.fill_polygon({{q - 4.32f, cy - 6}, {q + 6, cy}, {q - 4.32f, cy + 6}}, content, 1.68f);
    } else if (mark == 0) {
        g.fill_rounded_rect({q - 4.8f, cy - 6, 3.6f, 12}, 1.08f, content);
        g.fill_rounded_rect({q + 1.2f, cy - 6, 3.6f, 12}, 1.08f, content);
    }
    g.draw_text(label, {left + mw, r.y, lw + 6, r.h}, kLabelSize, FontFamily::Text, 700, content, TextAlign::Left);
    push_hit(r, a);
}

void App::draw_primary_button(const RectF& r, std::string_view label) {
    Renderer& g = surface(*this);
    const Action act = Action::of(ActionKind::GSignIn);
    const float hb = 0.15f * hover_of(act);
    const float s = is_pressed(act) ? 0.9f : 1.0f;
    const RectF b{r.x + r.w / 2 - s * r.w / 2, r.y + r.h / 2 - s * r.h / 2, s * r.w, s * r.h};
    g.fill_rounded_rect(b, b.h / 2, Color{(10 + 245 * hb) / 255.0f, (132 + 123 * hb) / 255.0f, 1.0f, 1.0f});
    g.draw_text(label, b, 13, FontFamily::Text, 700, kWhite, TextAlign::Center);
    push_hit(r, act);
}

void App::draw_chip_button(const RectF& r, Action a, std::string_view label) {
    Renderer& g = surface(*this);
    const float h = hover_of(a);
    g.fill_rounded_rect(r, std::min(r.w, r.h) / 2, white(0.09f + 0.1f * h));
    g.draw_text(label, r, 12, FontFamily::Text, 600, white(0.62f + 0.38f * h), TextAlign::Center);
    push_hit(r, a);
}
