// The page frame: the content rectangle, the dispatch from a Page to its body
// and the drawing conventions the page bodies share.
//
// Index
//   Content rectangle and switch colours
//   Dispatch
//   Shared patterns: press, rows, delete button, footer, empty state
#include "pages.h"

#include <algorithm>

#include "app.h"
#include "ui_widgets.h"

namespace {

Color white(float a) { return rgb(255, 255, 255, a); }

// Widgets of an App without a renderer still register their regions.
bool has_surface(const App& app) { return app.drawing.renderer != nullptr; }

}  // namespace

// ---- Content rectangle and switch colours ---------------------------------------------------------

RectF page_content_rect(const RectF& island) {
    return {island.x + kPageInset, island.y + kPageHeaderHeight, island.w - 2 * kPageInset,
            island.h - kPageHeaderHeight - kPageDockHeight};
}

Color tile_on_color(uint8_t tile) {
    switch (tile) {
        case 0: case 1: return page_color::kBlue;
        case 2: return page_color::kIndigo;
        case 3: return page_color::kOrange;
        case 4: return page_color::kRed;
        default: return page_color::kPrimary;
    }
}

// ---- Dispatch ---------------------------------------------------------------------------------------

void App::draw_page(Page p, const RectF& rect) {
    // A page may fade parts of itself through the global alpha; it gets it back.
    const float saved_alpha = drawing.renderer ? drawing.renderer->global_alpha : 1.0f;
    switch (p) {
        case Page::Home: draw_home_page(*this, rect); break;
        case Page::Control: draw_control_page(rect); break;
        case Page::Time: draw_time_page(rect); break;
        case Page::Shelf: draw_shelf_page(rect); break;
        case Page::Clip: draw_clip_page(rect); break;
        case Page::Notes: draw_notes_page(rect); break;
        case Page::Google: draw_google_page(*this, rect); break;
        case Page::Media: draw_media_page(*this, rect); break;
        case Page::Notifs: draw_notifs_page(*this, rect); break;
        case Page::Search: draw_search_page(*this, rect); break;
        case Page::Settings: draw_settings_page(*this, rect); break;
        case Page::Steam: draw_steam_page(*this, rect); break;
        case Page::System: draw_system_page(*this, rect); break;
        case Page::Calendar: draw_calendar_page(*this, rect); break;
        case Page::Gemini: draw_gemini_page(*this, rect); break;
    }
    if (drawing.renderer) drawing.renderer->global_alpha = saved_alpha;
}

// ---- Shared patterns: press, rows, delete button, footer, empty state --------------------------------

float press_scale(const App& app, const Action& a) { return app.is_pressed(a) ? 0.9f : 1.0f; }

void draw_row_background(App& app, const RectF& r, float hover) {
    if (!has_surface(app)) return;
    app.drawing.renderer->fill_rounded_rect(r, std::min(r.w / 2, 14.0f), white(0.05f + 0.07f * hover));
}

void draw_row_delete(App& app, float cx, float cy, float row_hover, const Action& a) {
    constexpr float kRadius = 10, kGlyphSize = 8;
    if (!(row_hover > 0)) return;
    if (has_surface(app)) {
        Renderer& g = *app.drawing.renderer;
        const float saved = g.global_alpha;
        g.global_alpha = saved * std::min(row_hover, 1.0f);
        g.fill_circle(cx, cy, kRadius, blend(page_color::kNeutralButton, page_color::kRed, app.hover_of(a)));
        g.draw_glyph(0xE711, cx, cy, kGlyphSize, page_color::kPrimary);
        g.global_alpha = saved;
    }
    app.push_hit({cx - kRadius, cy - kRadius, 2 * kRadius, 2 * kRadius}, a);
}

void draw_list_footer(App& app, const RectF& content, std::string_view count_text, bool has_items, const Action& clear) {
    constexpr float kLine = 24, kButtonW = 96;
    const float y = content.y + content.h - kLine;
    if (has_surface(app))
        app.drawing.renderer->draw_text(count_text, {content.x, y, content.w - kButtonW - 12, kLine}, 11.5f, FontFamily::Text, 400,
                                page_color::kTertiary, TextAlign::Left);
    if (!has_items) return;
    const RectF b{content.x + content.w - kButtonW, y, kButtonW, kLine};
    const float h = app.hover_of(clear);
    if (has_surface(app)) {
        app.drawing.renderer->fill_rounded_rect(b, b.h / 2, white(0.08f + 0.1f * h));
        app.drawing.renderer->draw_text("Temizle", b, 12, FontFamily::Text, 600, white(0.62f + 0.38f * h), TextAlign::Center);
    }
    app.push_hit(b, clear);
}

void draw_empty_state(App& app, const RectF& area, char32_t glyph, std::string_view title, std::string_view hint) {
    if (!has_surface(app)) return;
    Renderer& g = *app.drawing.renderer;
    g.draw_glyph(glyph, area.x + area.w / 2, area.y + 40, 22, page_color::kSecondary);
    g.draw_text(title, {area.x, area.y + 62, area.w, 22}, 15, FontFamily::Text, 600, page_color::kPrimary,
                TextAlign::Center);
    g.draw_text(hint, {area.x, area.y + 86, area.w, 18}, 12, FontFamily::Text, 400, page_color::kTertiary,
                TextAlign::Center);
}
