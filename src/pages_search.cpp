// The search page: the query field, the result rows of the last keystroke with
// a tile per kind, and a hint while there are none. Drawing also fills the
// App's app-icon cache from the shell, a few icons per frame.
//
// Index
//   Geometry and colours
//   App icons
//   Kind tiles
//   The page
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "app.h"
#include "pages.h"
#include "sys_image.h"
#include "sys_num.h"
#include "ui_widgets.h"

namespace {

// ---- Geometry and colours -------------------------------------------------------------------------------

constexpr float kFieldH = 44, kListTop = 54, kRowH = 40, kHintH = 28;
constexpr float kTileLeft = 10, kTileTop = 7, kTileSize = 26, kTileRadius = 7, kIconRadius = 4, kGlyphSize = 13;
constexpr float kTitleLeft = 48, kTitleInset = 238, kLabelInset = 196, kLabelW = 182;
// The shell is slow to hand out icons: a frame asks for no more than this many.
constexpr int kIconsPerFrame = 2;

constexpr char32_t kGlyphSearch = 0xE721, kGlyphApp = 0xECAA, kGlyphSetting = 0xE713, kGlyphReminder = 0xEA8F,
                   kGlyphCalc = 0xE8EF, kGlyphLink = 0xE774, kGlyphWeb = 0xE721;

Color white(float a) { return rgb(255, 255, 255, a); }

// ---- App icons --------------------------------------------------------------------------------------------

// The cached icon of an app row, asking the shell while this frame still may;
// null while it is not loaded or when the shell had none.
const Image* search_icon(App& app, const std::string& target, int& asked) {
    auto& cache = app.drawing.app_icon_cache;
    auto it = cache.find(target);
    if (it == cache.end()) {
        if (asked >= kIconsPerFrame) return nullptr;
        ++asked;
        const float scale = app.drawing.renderer ? app.drawing.renderer->scale() : 1.0f;
        const uint32_t px = sat_u32(std::round(kTileSize * scale));
        it = cache.emplace(target, shell_thumbnail("shell:AppsFolder\\" + target, px, px, true)).first;
    }
    return it->second.get();
}

// ---- Kind tiles -------------------------------------------------------------------------------------------

void draw_star(Renderer& g, float cx, float cy) {
    constexpr float kTip = 7.5f, kWaist = 1.8f;
    const std::vector<PointF> pts = {{cx, cy - kTip},          {cx + kWaist, cy - kWaist}, {cx + kTip, cy},
                                     {cx + kWaist, cy + kWaist}, {cx, cy + kTip},          {cx - kWaist, cy + kWaist},
                                     {cx - kTip, cy},          {cx - kWaist, cy - kWaist}};
    g.fill_polygon(pts, palette::kWhite, 0);
}

void draw_kind_tile(Renderer& g, const SearchRow& row, const Image* icon, float x, float t) {
    const RectF tile{x + kTileLeft, t + kTileTop, kTileSize, kTileSize};
    const float cx = x + kTileLeft + kTileSize / 2, cy = t + kTileTop + kTileSize / 2;
    auto plain = [&](const Color& fill, char32_t glyph, const Color& ink) {
        g.fill_rounded_rect(tile, kTileRadius, fill);
        g.draw_glyph(glyph, cx, cy, kGlyphSize, ink);
    };
    switch (row.kind) {
        case SearchRowKind::App:
            if (icon) {
                g.draw_image(shell_icon_id(row.target), *icon, tile, kIconRadius);
            } else {
                plain(white(0.12f), kGlyphApp, palette::kWhite);
            }
            break;
        case SearchRowKind::Setting: plain(palette::kGrey, kGlyphSetting, palette::kWhite); break;
        case SearchRowKind::Reminder: plain(palette::kOrange, kGlyphReminder, palette::kInk); break;
        case SearchRowKind::Gemini:
            g.fill_gradient_rounded_rect(tile, kTileRadius, palette::kPurple, palette::kIndigo, tile.x, tile.x + tile.w);
            draw_star(g, cx, cy);
            break;
        case SearchRowKind::Calc: plain(palette::kOrange, kGlyphCalc, palette::kInk); break;
        case SearchRowKind::Link: plain(palette::kBlue, kGlyphLink, palette::kWhite); break;
        case SearchRowKind::Web: plain(palette::kIndigo, kGlyphWeb, palette::kWhite); break;
    }
}

// ---- The page -----------------------------------------------------------------------------------------------

void search_page(App& app, const RectF& island) {
    const RectF c = page_content_rect(island);
    const float x = c.x, y = c.y, w = c.w;
    app.text_field({x, y, w, kFieldH}, TextField::Search, kGlyphSearch, "Uygulama, ayar, hesap ya da web araması…");

    Renderer* g = app.drawing.renderer.get();
    const auto& rows = app.search_page.rows;
    if (rows.empty()) {
        if (!g) return;
        const std::string& key = app.hotkeys.search;
        const std::string hint =
            key.empty() ? std::string("Uygulama adı yaz · 12*4 yaz, hesaplasın · bluetooth yaz, ayarı açsın")
                        : fmt::format("{} ile her yerden aç · 12*4 hesaplar · “bluetooth” ayarı açar", key);
        g->draw_text(hint, {x, y + kListTop, w, kHintH}, 12, FontFamily::Text, 400, white(0.4f), TextAlign::Center);
        return;
    }

    const float radius = std::min(w / 2, 13.0f);
    if (g) g->fill_rounded_rect({x, y + kListTop + kRowH * app.anim.search_sel.value, w, kRowH}, radius, white(0.12f));

    int asked = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const SearchRow& row = rows[i];
        const float t = y + kListTop + kRowH * static_cast<float>(i);
        const Action act = Action::byte(ActionKind::Res, static_cast<uint8_t>(i));
        const Image* icon = row.kind == SearchRowKind::App ? search_icon(app, row.target, asked) : nullptr;
        if (g) {
            const float hover = app.hover_of(act);
            if (hover > 0 && i != app.search_page.sel) g->fill_rounded_rect({x, t, w, kRowH}, radius, white(0.06f * hover));
            draw_kind_tile(*g, row, icon, x, t);
            g->draw_text(row.title, {x + kTitleLeft, t, w - kTitleInset, kRowH}, 14, FontFamily::Text, 600,
                         palette::kWhite, TextAlign::Left);
            g->draw_text(row.label, {x + w - kLabelInset, t, kLabelW, kRowH}, 12, FontFamily::Text, 400, white(0.4f),
                         TextAlign::Right);
        }
        app.push_hit({x, t, w, kRowH}, act);
    }
}

}  // namespace

void draw_search_page(App& app, const RectF& island) { search_page(app, island); }
