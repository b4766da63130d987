// The notifications page: the app notifications the island collected, newest
// first, each opening its app on a click and removable with the cross its row
// shows while hovered, and a footer that counts them and clears them all.
//
// Index
//   Geometry
//   One row
//   Empty and off states
//   The page
#include <algorithm>
#include <string>

#include <fmt/format.h>

#include "app.h"
#include "pages.h"
#include "ui_widgets.h"

namespace {

// ---- Geometry ------------------------------------------------------------------------------------------------

constexpr float kRowPitch = 50, kRowH = 46, kFooterSpace = 30;
constexpr float kTextLeft = 50, kTextRoom = 110;  // the title column starts here; the cross needs the rest
constexpr float kFooterH = 24, kClearW = 96;
constexpr Color kMetaColor = rgb(100, 210, 255);

Color white(float a) { return rgb(255, 255, 255, a); }

// ---- One row -----------------------------------------------------------------------------------------------------

void notification_row(App& app, const RectF& b, size_t i, float y) {
    Renderer& g = *app.drawing.renderer;
    const AppNotification n = app.notifs.list[i];  // a copy: a click may change the list while it is drawn
    const uint16_t idx = static_cast<uint16_t>(i);
    const Action open = Action::at(ActionKind::Toast, idx), del = Action::at(ActionKind::ToastDel, idx);
    const float h = std::max(app.hover_of(open), app.hover_of(del));
    const float x = b.x, w = b.w;

    if ((0.05f + 0.07f * h) * g.global_alpha > 0.002f) draw_row_background(app, {x, y, w, kRowH}, h);
    app.push_hit({x, y, w, kRowH}, open);
    app.app_icon(n.app_id, n.app, n.logo.get(), {x + 8, y + 7, 32, 32}, 8);

    const float room = std::max(0.0f, w - kTextRoom);
    const float tw = std::min(g.measure_text(n.title, 13, FontFamily::Text, 700), 0.6f * room);
    g.draw_text(n.title, {x + kTextLeft, y + 4, tw + 4, 20}, 13, FontFamily::Text, 700, page_color::kPrimary,
                TextAlign::Left);
    const std::string meta = n.time.empty() ? n.app : fmt::format("{} · {}", n.app, n.time);
    g.draw_text(meta, {x + kTextLeft + tw + 10, y + 4, std::max(0.0f, room - tw - 10), 20}, 11, FontFamily::Text, 600,
                kMetaColor, TextAlign::Left);
    g.draw_text(n.body, {x + kTextLeft, y + 22, room, 20}, 12, FontFamily::Text, 400, page_color::kSecondary,
                TextAlign::Left);

    if (!(h > 0.01f)) return;
    const float saved = g.global_alpha;
    g.global_alpha = saved * h;
    const float d = app.hover_of(del);
    g.fill_circle(x + w - 22, y + 23, 10, rgb(58 + 197 * d, 58 + 11 * d, 60 - 2 * d));
    g.draw_glyph(0xE711, x + w - 22, y + 23, 8, page_color::kPrimary);
    g.global_alpha = saved;
    app.push_hit({x + w - 36, y, 28, kRowH}, del);
}

// ---- Empty and off states -------------------------------------------------------------------------------------

void empty_list(App& app, const RectF& b) {
    Renderer& g = *app.drawing.renderer;
    const std::string& status = app.notifs.status;
    g.draw_glyph(0xEA8F, b.x + b.w / 2, b.y + 50, 22, page_color::kSecondary);
    const std::string title =
        status.empty() || status == "açık" ? std::string("Henüz bildirim yok") : "Bildirim dinleyici: " + status;
    g.draw_text(title, {b.x, b.y + 76, b.w, 24}, 15, FontFamily::Text, 600, page_color::kPrimary, TextAlign::Center);
    g.draw_text("Discord, WhatsApp, Instagram ve diğer uygulamaların bildirimleri burada birikir",
                {b.x, b.y + 100, b.w, 20}, 12, FontFamily::Text, 400, page_color::kTertiary, TextAlign::Center);
}

// ---- The page -----------------------------------------------------------------------------------------------------

void notifs_page(App& app, const RectF& island) {
    if (!app.drawing.renderer) return;
    Renderer& g = *app.drawing.renderer;
    const RectF b = page_content_rect(island);
    const auto& list = app.notifs.list;

    if (!app.settings.app_notif) {
        g.draw_text("Uygulama bildirimleri kapalı · Ayarlar'dan açabilirsin", b, 13, FontFamily::Text, 400,
                    page_color::kTertiary, TextAlign::Center);
    } else if (list.empty()) {
        empty_list(app, b);
    } else {
        const float bottom = b.y + b.h - kFooterSpace;
        g.push_clip({b.x, b.y, b.w, bottom - b.y});
        for (size_t i = 0; i < list.size() && i < 0xFFFF; ++i) {
            const float y = list_item_top(b.y, kRowPitch, i, app.notifs.scroll);
            if (y > bottom || y + kRowH < b.y) continue;
            notification_row(app, b, i, y);
        }
        g.pop_clip();
    }

    // Footer, in every state.
    const float y = b.y + b.h - kFooterH;
    g.draw_text(fmt::format("{} bildirim · tıkla: uygulamayı aç", list.size()), {b.x + 4, y, 300, 22}, 11.5f,
                FontFamily::Text, 400, page_color::kTertiary, TextAlign::Left);
    if (list.empty()) return;
    const Action clear = Action::of(ActionKind::ToastClear);
    const float hv = app.hover_of(clear);
    const RectF btn{b.x + b.w - kClearW, y, kClearW, kFooterH};
    g.fill_rounded_rect(btn, btn.h / 2, white(0.08f + 0.1f * hv));
    g.draw_text("Temizle", btn, 12, FontFamily::Text, 600, white(0.62f + 0.38f * hv), TextAlign::Center);
    app.push_hit(btn, clear);
}

}  // namespace

void draw_notifs_page(App& app, const RectF& island) { notifs_page(app, island); }
