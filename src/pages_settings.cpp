// The settings page: the ten switches in two columns, the weather city, the
// island size, the microphone with its test and level meter, an about line and
// the web-site and update buttons. Every click is an Action the core carries
// out and saves; the page keeps no state of its own.
//
// Index
//   Geometry, colours and order
//   Switch grid
//   City and size
//   Microphone row
//   About line and buttons
//   The page
#include <algorithm>
#include <array>
#include <string>

#include <fmt/format.h>

#include "app.h"
#include "pages.h"
#include "sys_version.h"
#include "ui_widgets.h"
#include "voice.h"

namespace {

// ---- Geometry, colours and order ---------------------------------------------------------------------------

constexpr float kGap = 16, kCellPitch = 36, kCellH = 32;
constexpr float kCityTop = 181, kSizeTop = 184, kMicTop = 227, kAboutTop = 273, kButtonsTop = 271;
constexpr Color kLilac = rgb(210, 140, 246);

// The switches as the page lists them: the first column top to bottom, then the second.
constexpr std::array<SettingToggle, kSettingToggleCount> kPageOrder = {
    SettingToggle::HoverOpen, SettingToggle::HideChrome, SettingToggle::AppNotif, SettingToggle::ClipHud,
    SettingToggle::KeyHud,    SettingToggle::DlHud,      SettingToggle::AutoShelf, SettingToggle::HideFs,
    SettingToggle::Glow,      SettingToggle::Autostart,
};
constexpr std::array<const char*, 3> kSizeNames = {"Küçük", "Normal", "Büyük"};

Color white(float a) { return rgb(255, 255, 255, a); }
float clamp01f(float v) { return std::clamp(v, 0.0f, 1.0f); }

// Colour a moved towards white by t (alpha kept).
Color towards_white(const Color& c, float t) {
    return {c.r + (1 - c.r) * t, c.g + (1 - c.g) * t, c.b + (1 - c.b) * t, c.a};
}

// ---- Switch grid -------------------------------------------------------------------------------------------

void draw_switch(App& app, SettingToggle toggle, const RectF& cell) {
    const Action act = Action::byte(ActionKind::Set, static_cast<uint8_t>(toggle));
    if (Renderer* g = app.drawing.renderer.get()) {
        const SettingRow* row = setting_row(toggle);
        g->fill_rounded_rect(cell, std::min(cell.w / 2, 12.0f), white(0.04f + 0.05f * app.hover_of(act)));
        g->draw_text(row && row->label ? row->label : "", {cell.x + 14, cell.y, cell.w - 80, kCellH}, 13,
                     FontFamily::Text, 600, white(0.92f), TextAlign::Left);
        const float v = clamp01f(app.anim.toggles[static_cast<size_t>(toggle)].value);
        const Color track{1 + (palette::kGreen.r - 1) * v, 1 + (palette::kGreen.g - 1) * v,
                          1 + (palette::kGreen.b - 1) * v, 0.16f + 0.84f * v};
        g->fill_rounded_rect({cell.x + cell.w - 51, cell.y + 3.5f, 42, 25}, 12.5f, track);
        const float knob_x = cell.x + cell.w - 38.5f + 17 * v;
        g->fill_circle(knob_x, cell.y + 16, 10.5f, palette::kWhite);
    }
    app.push_hit(cell, act);
}

void draw_switch_grid(App& app, float x, float y, float cw) {
    for (size_t p = 0; p < kPageOrder.size(); ++p) {
        const float col = static_cast<float>(p / 5), row = static_cast<float>(p % 5);
        draw_switch(app, kPageOrder[p], {x + col * (cw + kGap), y + kCellPitch * row, cw, kCellH});
    }
}

// ---- City and size -----------------------------------------------------------------------------------------

void draw_size_control(App& app, float x, float y, float cw) {
    Renderer* g = app.drawing.renderer.get();
    if (g)
        g->draw_text("Ada boyutu", {x + cw + 30, y + kSizeTop, 100, 32}, 13, FontFamily::Text, 600, white(0.92f),
                     TextAlign::Left);
    const RectF bar{x + cw + 126, y + kSizeTop + 2, cw - 112, 28};
    if (g) g->fill_rounded_rect(bar, std::min(bar.w / 2, 14.0f), white(0.08f));
    const float sw = bar.w / 3;
    for (uint8_t i = 0; i < 3; ++i) {
        const RectF seg{bar.x + sw * i, bar.y, sw, bar.h};
        const Action act = Action::byte(ActionKind::Size, i);
        const bool selected = app.settings.size == i;
        if (g) {
            if (selected) {
                const RectF hl{seg.x + 3, seg.y + 3, sw - 6, 22};
                g->fill_rounded_rect(hl, std::min(hl.w / 2, 11.0f), white(0.18f));
            }
            g->draw_text(kSizeNames[i], seg, 12.5f, FontFamily::Text, 600,
                         selected ? palette::kWhite : white(0.62f + 0.38f * app.hover_of(act)), TextAlign::Center);
        }
        app.push_hit(seg, act);
    }
}

// ---- Microphone row ----------------------------------------------------------------------------------------

void draw_mic_row(App& app, float x, float y, float w) {
    Renderer* g = app.drawing.renderer.get();
    const float my = y + kMicTop;
    const Action next = Action::of(ActionKind::MicNext), test = Action::of(ActionKind::MicTest);
    const RectF chip{x + 120, my + 4, w - 320, 26};
    const RectF button{x + w - 84, my + 4, 76, 26};
    if (g) {
        g->fill_rounded_rect({x, my, w, 34}, std::min(w / 2, 12.0f), white(0.04f));
        g->draw_glyph(0xE720, x + 20, my + 17, 13, kLilac);
        g->draw_text("Mikrofon", {x + 38, my, 80, 34}, 13, FontFamily::Text, 600, white(0.92f), TextAlign::Left);

        const float hn = app.hover_of(next);
        g->fill_rounded_rect(chip, 13, white(0.07f + 0.08f * hn));
        const std::string& mic = app.settings.mic;
        g->draw_text(mic.empty() ? std::string_view("Windows varsayılanı") : std::string_view(mic),
                     {chip.x + 12, chip.y, chip.w - 40, 26}, 12.5f, FontFamily::Text, 600, palette::kWhite,
                     TextAlign::Left);
        g->draw_glyph(0xE76C, chip.x + chip.w - 16, my + 17, 10, white(0.62f + 0.38f * hn));

        // The meter: the running test's live level, else what the last test reached.
        const RectF track{chip.x + chip.w + 12, my + 14, 90, 6};
        g->fill_rounded_rect(track, 3, white(0.12f));
        const bool running = app.voice.mic_test.has_value();
        const float level = running ? app.voice.mic_test->level() : app.voice.mic_test_peak;
        if (running || level > 0) {
            const float bw = std::max(90 * clamp01f(level), 4.0f);
            g->fill_rounded_rect({track.x, track.y, bw, 6}, std::min(bw / 2, 3.0f),
                                 level > 0.25f ? palette::kGreen : palette::kOrange);
        }

        const float ht = app.hover_of(test);
        g->fill_rounded_rect(button, 13, with_alpha(palette::kPurple, 0.2f + 0.15f * ht));
        g->draw_text(running ? "Konuş…" : "Dene", button, 12, FontFamily::Text, 700,
                     towards_white(palette::kPurple, 0.4f + 0.3f * ht), TextAlign::Center);
    }
    app.push_hit(chip, next);
    app.push_hit(button, test);
}

// ---- About line and buttons ----------------------------------------------------------------------------------

void draw_button(App& app, const RectF& r, std::string_view label, const Color& c, const Action& act) {
    if (Renderer* g = app.drawing.renderer.get()) {
        const float h = app.hover_of(act);
        g->fill_rounded_rect(r, 12, with_alpha(c, 0.2f + 0.15f * h));
        g->draw_text(label, r, 12, FontFamily::Text, 700, towards_white(c, 0.4f + 0.3f * h), TextAlign::Center);
    }
    app.push_hit(r, act);
}

void draw_about(App& app, float x, float y, float w) {
    if (Renderer* g = app.drawing.renderer.get())
        g->draw_text(settings_about_line(app), {x + 4, y + kAboutTop, w - 190, 20}, 11, FontFamily::Text, 400,
                     white(0.4f), TextAlign::Left);
    draw_button(app, {x + w - 174, y + kButtonsTop, 62, 24}, "Site", palette::kPurple, Action::of(ActionKind::Website));
    draw_button(app, {x + w - 104, y + kButtonsTop, 104, 24}, "Güncelle", palette::kBlue,
                Action::of(ActionKind::UpdateCheck));
}

// ---- The page ------------------------------------------------------------------------------------------------

void settings_page(App& app, const RectF& island) {
    const RectF c = page_content_rect(island);
    const float x = c.x, y = c.y, w = c.w, cw = (w - kGap) / 2;
    draw_switch_grid(app, x, y, cw);
    app.text_field({x, y + kCityTop, cw, 38}, TextField::City, 0xE707, "Hava durumu şehri", "Kaydet");
    draw_size_control(app, x, y, cw);
    draw_mic_row(app, x, y, w);
    draw_about(app, x, y, w);
}

}  // namespace

std::string settings_about_line(const App& app) {
    auto or_word = [](const std::string& status, std::string_view word) {
        return status.empty() ? word : std::string_view(status);
    };
    const std::string_view update = or_word(app.update.status, "bekliyor");
    const std::string_view hotkey = or_word(app.hotkeys.search, "kısayol yok");
    const std::string_view notifs = or_word(app.notifs.status, "—");
    return fmt::format("Vemo Ada {} · güncelleme: {} · Arama: {} · Bildirimler: {}", kAppVersion, update, hotkey,
                       notifs);
}

void draw_settings_page(App& app, const RectF& island) { settings_page(app, island); }
