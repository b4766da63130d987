// The shelf page (files dropped on the island, dragged out again) and the
// clipboard history page. Both only draw and register regions; the clicks,
// drags and deletions belong to the core.
//
// Index
//   Small helpers
//   Shelf: drop zone, empty state, cards, footer
//   Clipboard: row texts, rows, the page
#include <algorithm>
#include <string>
#include <variant>

#include <fmt/format.h>

#include "app.h"
#include "gfx.h"
#include "pages.h"
#include "sys_os.h"
#include "sys_text.h"
#include "ui_widgets.h"

namespace {

// ---- Small helpers ----------------------------------------------------------------------------------

Color white(float a) { return rgb(255, 255, 255, a); }

// The "Temizle" pill of the list footers, with its region.
void clear_button(App& app, const RectF& b, const Action& a) {
    const float h = app.hover_of(a);
    Renderer& g = *app.drawing.renderer;
    g.fill_rounded_rect(b, b.h / 2, white(0.08f + 0.1f * h));
    g.draw_text("Temizle", b, 12, FontFamily::Text, 600, white(0.62f + 0.38f * h), TextAlign::Center);
    app.push_hit(b, a);
}

// ---- Shelf: drop zone, empty state, cards, footer ---------------------------------------------------------

constexpr float kZoneHeight = 140;
constexpr float kCardPitch = 98, kCardW = 92, kCardH = 132, kCardInset = 4;
constexpr float kThumbSide = 54, kDeleteSide = 24;
constexpr float kFooterTop = 146;
// A dash walks 14 px a second while something is dragged over the island.
constexpr float kDashSpeed = 14;

void drop_zone(App& app, const RectF& c, bool dragging) {
    Renderer& g = *app.drawing.renderer;
    if (dragging) g.fill_rounded_rect({c.x, c.y, c.w, kZoneHeight}, 22, with_alpha(page_color::kBlue, 0.12f));
    const Color outline = dragging ? page_color::kBlue : white(0.28f);
    const float phase = dragging ? static_cast<float>(app.now * -kDashSpeed) : 0.0f;
    g.stroke_rounded_rect({c.x + 1, c.y + 1, c.w - 2, kZoneHeight - 2}, 21, outline, 1.6f, 6, phase);
}

void shelf_empty(App& app, const RectF& c, bool dragging) {
    Renderer& g = *app.drawing.renderer;
    g.draw_glyph(0xE896, c.x + c.w / 2, c.y + 44, 22, dragging ? page_color::kBlue : page_color::kSecondary);
    g.draw_text("Dosyaları buraya sürükle", {c.x, c.y + 66, c.w, 24}, 15, FontFamily::Text, 600,
                page_color::kPrimary, TextAlign::Center);
    g.draw_text("İndirdiklerin de otomatik buraya gelir · sonra istediğin yere sürükle", {c.x, c.y + 92, c.w, 20}, 12,
                FontFamily::Text, 400, page_color::kTertiary, TextAlign::Center);
}

void shelf_card(App& app, size_t i, float x, float y) {
    Renderer& g = *app.drawing.renderer;
    const ShelfItem& item = app.lists.shelf[i];
    const Action open = Action::at(ActionKind::Shelf, static_cast<uint16_t>(i));
    const Action del = Action::at(ActionKind::ShelfDel, static_cast<uint16_t>(i));
    const float hover = std::max(app.hover_of(open), app.hover_of(del));

    const RectF card{x, y, kCardW, kCardH};
    g.fill_rounded_rect(card, 14, white(0.06f + 0.08f * hover));
    const RectF thumb{x + 19, y + 12, kThumbSide, kThumbSide};
    if (item.thumbnail)
        g.draw_image(image_id(kImageOwnerShelf, item.id), *item.thumbnail, thumb, 8);
    else
        g.draw_glyph(0xE8A5, thumb.x + thumb.w / 2, thumb.y + thumb.h / 2, 20, page_color::kSecondary);
    g.draw_text(item.name, {x + 6, y + 74, 80, 18}, 11.5f, FontFamily::Text, 600, page_color::kPrimary,
                TextAlign::Center);
    g.draw_text(item.detail, {x + 4, y + 92, 84, 16}, 10, FontFamily::Text, 400, page_color::kTertiary,
                TextAlign::Center);
    app.push_hit(card, open);

    if (hover > 0.01f) {
        const float cx = x + kCardW - kDeleteSide / 2, cy = y + kDeleteSide / 2;
        g.fill_circle(cx, cy, 10, blend(page_color::kNeutralButton, page_color::kRed, app.hover_of(del)));
        g.draw_glyph(0xE711, cx, cy, 8, page_color::kPrimary);
        app.push_hit({x + kCardW - kDeleteSide, y, kDeleteSide, kDeleteSide}, del);
    }
}

void drop_tile(App& app, float x, float y) {
    Renderer& g = *app.drawing.renderer;
    g.fill_rounded_rect({x, y, kCardW, kCardH}, 14, with_alpha(page_color::kBlue, 0.18f));
    g.draw_glyph(0xE710, x + kCardW / 2, y + kCardH / 2 - 12, 20, page_color::kBlue);
    g.draw_text("Bırak", {x, y + kCardH / 2 + 4, kCardW, 18}, 12, FontFamily::Text, 600, page_color::kBlue,
                TextAlign::Center);
}

void shelf_cards(App& app, const RectF& c, bool dragging) {
    const float left = c.x, right = c.x + c.w, top = c.y + kCardInset;
    app.drawing.renderer->push_clip({c.x, c.y, c.w, kZoneHeight});
    const size_t tiles = app.lists.shelf.size() + (dragging ? 1 : 0);
    for (size_t i = 0; i < tiles; ++i) {
        const float x = list_item_top(c.x + kCardInset, kCardPitch, i, app.lists.shelf_scroll);
        if (!list_item_visible(x, kCardW, left, right)) continue;
        if (i < app.lists.shelf.size())
            shelf_card(app, i, x, top);
        else
            drop_tile(app, x, top);
    }
    app.drawing.renderer->pop_clip();
}

void shelf_footer(App& app, const RectF& c) {
    const float y = c.y + kFooterTop;
    const bool items = !app.lists.shelf.empty();
    app.drawing.renderer->draw_text(items ? "Tıkla: aç · Sürükle: istediğin yere bırak · Tekerlek: kaydır"
                                  : "Raf, kopyalamaz: dosyaların yerinde kalır",
                            {c.x, y, 420, 22}, 11.5f, FontFamily::Text, 400, page_color::kTertiary, TextAlign::Left);
    if (items) clear_button(app, {c.x + c.w - 96, y, 96, 24}, Action::of(ActionKind::ShelfClear));
}

// ---- Clipboard: row texts, rows, the page ----------------------------------------------------------------

constexpr float kRowPitch = 46, kRowH = 42, kFooterSpace = 30;
constexpr size_t kTitleChars = 160, kTitleFiles = 3;
constexpr float kChipW = 58, kChipH = 22, kChipPitch = 62;
// The chips' group ends this far left of the row's right edge; the texts start
// right of the kind badge and keep clear of the pin (and of the chips, by a gap).
constexpr float kChipsRight = 80, kTextLeft = 54, kPinRoom = 80, kTextGap = 6;

struct ClipTexts {
    std::string title, subtitle;
};

ClipTexts clip_texts(const ClipEntry& e) {
    ClipTexts out;
    if (const auto* t = std::get_if<ClipEntry::Text>(&e.kind)) {
        out.title = take_chars(join_words(t->text), kTitleChars);
        out.subtitle = fmt::format("{} karakter", char_count(t->text));
    } else if (const auto* f = std::get_if<ClipEntry::Files>(&e.kind)) {
        for (size_t k = 0; k < f->paths.size() && k < kTitleFiles; ++k) {
            if (k) out.title += ", ";
            out.title += sanitize_utf8(path_last_component(f->paths[k]));
        }
        out.subtitle = fmt::format("{} dosya", f->paths.size());
    } else if (const auto* p = std::get_if<ClipEntry::Picture>(&e.kind)) {
        out.title = "Görsel";
        // The full picture is dropped from older entries; the thumbnail keeps the shape.
        const Image* img = p->full ? p->full.get() : p->thumbnail.get();
        out.subtitle = img ? fmt::format("{} × {}", img->width, img->height) : std::string("Görsel");
    }
    out.subtitle += " · " + e.time;
    return out;
}

void clip_row(App& app, const RectF& c, size_t i, float y) {
    Renderer& g = *app.drawing.renderer;
    const ClipEntry& e = app.lists.clips[i];
    const uint16_t idx = static_cast<uint16_t>(i);
    const Action open = Action::at(ActionKind::Clip, idx), pin = Action::at(ActionKind::ClipPin, idx),
                 del = Action::at(ActionKind::ClipDel, idx);
    const Action ask[2] = {Action::both(ActionKind::ClipAsk, idx, 1), Action::both(ActionKind::ClipAsk, idx, 0)};
    const bool is_text = std::holds_alternative<ClipEntry::Text>(e.kind);
    float hover = std::max({app.hover_of(open), app.hover_of(pin), app.hover_of(del)});
    if (is_text) hover = std::max({hover, app.hover_of(ask[0]), app.hover_of(ask[1])});

    const RectF row{c.x, y, c.w, kRowH};
    draw_row_background(app, row, hover);
    app.push_hit(row, open);

    // Kind badge.
    const float cy = y + kRowH / 2;
    if (const auto* p = std::get_if<ClipEntry::Picture>(&e.kind); p && p->thumbnail) {
        g.draw_image(image_id(kImageOwnerClip, e.id), *p->thumbnail, {c.x + 6, y + 6, 40, 30}, 6);
    } else {
        const bool files = std::holds_alternative<ClipEntry::Files>(e.kind);
        const Color tint = files ? page_color::kOrange : page_color::kBlue;
        g.fill_rounded_rect({c.x + 11, y + 6, 30, 30}, 8, with_alpha(tint, 0.18f));
        g.draw_glyph(files ? 0xE8B7 : 0xE8A5, c.x + 26, cy, 13, tint);
    }

    const float right = c.x + c.w;
    const bool chips = is_text && hover > 0.01f;
    // The texts end before the first chip while the chips show, else before the pin.
    const float first_chip = right - kChipsRight - 2 * kChipPitch;
    const float text_right = chips ? first_chip - kTextGap : right - kPinRoom;
    const float text_w = std::max(0.0f, text_right - (c.x + kTextLeft));
    const ClipTexts t = clip_texts(e);
    g.draw_text(t.title, {c.x + kTextLeft, y + 4, text_w, 18}, 13, FontFamily::Text, 600, page_color::kPrimary,
                TextAlign::Left);
    g.draw_text(t.subtitle, {c.x + kTextLeft, y + 22, text_w, 16}, 11, FontFamily::Text, 400, page_color::kTertiary,
                TextAlign::Left);

    // Pin: always lit when pinned, otherwise revealed with the row's hover.
    if (e.pinned || hover > 0.01f) {
        g.draw_glyph(0xE718, right - 56, cy, 13, e.pinned ? page_color::kYellow : page_color::kTertiary);
        app.push_hit({right - 70, y, 28, kRowH}, pin);
    }

    if (chips) {
        static constexpr const char* kChipLabels[2] = {"Çevir", "Özetle"};
        for (int k = 0; k < 2; ++k) {
            const RectF chip{first_chip + k * kChipPitch, cy - kChipH / 2, kChipW, kChipH};
            const float ch = app.hover_of(ask[k]);
            g.fill_rounded_rect(chip, kChipH / 2, with_alpha(toward_white(page_color::kPurple, ch), 0.22f + 0.2f * ch));
            g.draw_text(kChipLabels[k], chip, 11.5f, FontFamily::Text, 700, page_color::kPrimary, TextAlign::Center);
            app.push_hit(chip, ask[k]);
        }
    }

    if (hover > 0.01f) {
        draw_row_delete(app, right - 22, cy, hover, del);
        app.push_hit({right - 36, y, 28, kRowH}, del);
    }
}

void shelf_page(App& app, const RectF& island) {
    if (!app.drawing.renderer) return;
    const RectF c = page_content_rect(island);
    const bool dragging = app.island.drag_hover;
    if (app.lists.shelf.empty() || dragging) drop_zone(app, c, dragging);
    if (app.lists.shelf.empty())
        shelf_empty(app, c, dragging);
    else
        shelf_cards(app, c, dragging);
    shelf_footer(app, c);
}

void clip_page(App& app, const RectF& island) {
    if (!app.drawing.renderer) return;
    const RectF c = page_content_rect(island);
    if (app.lists.clips.empty()) {
        // The shared empty state puts its glyph 40 below the area's top; this page wants 48.
        draw_empty_state(app, {c.x, c.y + 8, c.w, c.h}, 0xE8C8, "Kopyaladıkların burada birikir",
                         "Metin, dosya ve görseller · tıkla, tekrar panoya alınsın · şifre yöneticileri hariç");
    } else {
        const float bottom = c.y + c.h - kFooterSpace;
        app.drawing.renderer->push_clip({c.x, c.y, c.w, bottom - c.y});
        for (size_t i = 0; i < app.lists.clips.size(); ++i) {
            const float y = list_item_top(c.y, kRowPitch, i, app.lists.clip_scroll);
            if (!list_item_visible(y, kRowH, c.y, bottom)) continue;
            clip_row(app, c, i, y);
        }
        app.drawing.renderer->pop_clip();
    }
    const size_t pinned = static_cast<size_t>(
        std::count_if(app.lists.clips.begin(), app.lists.clips.end(), [](const ClipEntry& e) { return e.pinned; }));
    std::string count = fmt::format("{} öğe", app.lists.clips.size());
    if (pinned) count += fmt::format(" · {} sabit", pinned);
    draw_list_footer(app, c, count, !app.lists.clips.empty(), Action::of(ActionKind::ClipClear));
}

}  // namespace

void App::draw_shelf_page(const RectF& island) { shelf_page(*this, island); }
void App::draw_clip_page(const RectF& island) { clip_page(*this, island); }
