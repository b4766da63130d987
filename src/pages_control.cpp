// The control-centre page: three slider rows (output volume, brightness,
// microphone) on the left and a grid of twelve tiles on the right; what a drag
// or a click does belongs to app_pointer.cpp and app_tiles.cpp.
//
// Index
//   Layout and glyphs
//   Slider rows
//   Tiles
//   The page
#include <algorithm>
#include <cmath>

#include "app.h"
#include "gfx_geom.h"
#include "pages.h"
#include "ui_widgets.h"

namespace {

// ---- Layout and glyphs ----------------------------------------------------------------------------------

// The rows sit at fixed island x = 114, which the pointer's slider arithmetic assumes.
constexpr float kRowX = 114, kRowW = 300, kRowH = 50;
constexpr float kRowY[3] = {64, 124, 184};
constexpr char32_t kMutedGlyph = 0xE74F, kBrightnessGlyph = 0xE706, kMicGlyph = 0xE720;
constexpr char32_t kVolumeGlyphs[4] = {0xE992, 0xE993, 0xE994, 0xE995};

constexpr int kTileColumns = 4;
constexpr float kGridLeft = 316, kTilePitchX = 91, kTilePitchY = 63, kTileW = 83, kTileH = 56;
constexpr float kTileAlpha = 0.09f, kTileHoverAlpha = 0.07f;

Color white(float a) { return rgb(255, 255, 255, a); }

// The speaker glyph: crossed out when muted or silent, else by thirds of the level.
char32_t volume_glyph(float value, bool muted) {
    if (muted || value < 0.005f) return kMutedGlyph;
    return kVolumeGlyphs[std::clamp(static_cast<int>(std::floor(value * 3)), 0, 3)];
}

// ---- Slider rows ----------------------------------------------------------------------------------------------

void slider_rows(App& app) {
    const float volume = app.audio.muted ? 0.0f : app.audio.volume;
    app.slider_row(0, {kRowX, kRowY[0], kRowW, kRowH}, volume, volume_glyph(volume, app.audio.muted), true, "Ses");
    app.slider_row(1, {kRowX, kRowY[1], kRowW, kRowH}, app.audio.brightness, kBrightnessGlyph, app.audio.brightness_ok,
                   app.audio.brightness_ok ? "Parlaklık" : "Parlaklık desteklenmiyor");
    // A microphone counts as present once its endpoint has been read.
    const bool mic = app.notices.mic_seen;
    app.slider_row(2, {kRowX, kRowY[2], kRowW, kRowH}, app.audio.mic_muted ? 0.0f : app.audio.mic_level, kMicGlyph, mic,
                   mic ? "Mikrofon" : "Mikrofon bulunamadı");
}

// ---- Tiles ------------------------------------------------------------------------------------------------------

bool radio_unknown(const App& app, uint8_t tile) {
    if (tile == 0) return app.sysmon.snap.wifi == RadioState::Unknown;
    if (tile == 1) return app.sysmon.snap.bluetooth == RadioState::Unknown;
    return false;
}

void tile(App& app, uint8_t i, float x, float y) {
    Renderer& g = *app.drawing.renderer;
    const App::TileInfo& info = App::kTiles[i];
    const Action a = Action::byte(ActionKind::Tile, i);

    // Pressed tiles shrink about their centre.
    const float s = press_scale(app, a);
    const float w = kTileW * s, h = kTileH * s;
    const RectF drawn{x + kTileW / 2 - w / 2, y + kTileH / 2 - h / 2, w, h};
    const float a0 = kTileAlpha + kTileHoverAlpha * app.hover_of(a);
    const float v = info.is_switch ? clamp01(app.anim.toggles[kTileToggleSpring + i].value) : 0.0f;
    // A switch fades from translucent white to its solid colour with its spring.
    const Color fill = info.is_switch ? blend(white(a0), tile_on_color(i), v) : white(a0);
    g.fill_rounded_rect(drawn, std::min({16.0f, w / 2, h / 2}), fill);

    g.draw_glyph(info.glyph, x + 20, y + 19, 14, white(info.is_switch && v > 0.5f ? 1.0f : 0.9f));
    const char* label = i == 4 ? (app.audio.mic_muted ? "Mik. kapalı" : "Mikrofon") : info.label;
    g.draw_text(label, {x + 10, y + 32, 69, 18}, 11, FontFamily::Text, 600, white(radio_unknown(app, i) ? 0.4f : 0.92f),
                TextAlign::Left);
    app.push_hit({x, y, kTileW, kTileH}, a);
}

}  // namespace

// ---- The page -------------------------------------------------------------------------------------------------------

void App::draw_control_page(const RectF& island) {
    if (!drawing.renderer) return;
    const RectF c = page_content_rect(island);
    slider_rows(*this);
    for (uint8_t i = 0; i < kTiles.size(); ++i) {
        const float column = static_cast<float>(i % kTileColumns), row = static_cast<float>(i / kTileColumns);
        tile(*this, i, c.x + kGridLeft + kTilePitchX * column, c.y + kTilePitchY * row);
    }
}
