// The shelf and clipboard pages drawn into the recording renderer: the drop
// zone with and without a drag, the cards and rows with their regions, the
// clipboard titles and details, the footers and the culling of scrolled lists.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "island_draw_support.h"
#include "pages.h"

namespace {

struct ShelfPageTest : IslandDrawTest {
    // The island rect (90, 8, 720, 300) puts the content at (114, 64, 672, 178).
    static constexpr float kX = 114, kY = 64, kW = 672, kH = 178;

    void draw_page(Page p) {
        app->drawing.hits.clear();
        app->drawing.record_hits = true;
        ASSERT_TRUE(rec->begin_frame(0, 0, 900, 470));
        app->draw_page(p, {90, 8, 720, 300});
    }
    void add_shelf(size_t n, bool thumbnails = false) {
        for (size_t i = 0; i < n; ++i) {
            ShelfItem s;
            s.name = "dosya" + std::to_string(i) + ".pdf";
            s.detail = "PDF · 1,2 MB";
            s.id = 100 + i;
            if (thumbnails) s.thumbnail = std::make_shared<const Image>(Image{std::vector<uint8_t>(16), 2, 2});
            app->lists.shelf.push_back(s);
        }
    }
    void hover(const Action& a) {
        app->pointer.hovered = a;
        app->anim.hover.value = 1;
    }
    const DrawCall* first(DrawOp op) const {
        for (const DrawCall& c : rec->calls)
            if (c.op == op) return &c;
        return nullptr;
    }
};

ClipEntry text_clip(std::string text, bool pinned = false) {
    ClipEntry e;
    e.kind = ClipEntry::Text{std::move(text)};
    e.time = "09:05";
    e.pinned = pinned;
    return e;
}

}  // namespace

TEST_F(ShelfPageTest, EmptyShelfDropZoneMarchesOnlyWhileDragging) {
    app->now = 2;
    for (bool dragging : {false, true}) {
        app->island.drag_hover = dragging;
        draw_page(Page::Shelf);
        const DrawCall* outline = first(DrawOp::StrokeRoundedRect);
        ASSERT_NE(outline, nullptr);
        expect_rect(outline->rect, kX + 1, kY + 1, kW - 2, 138);
        EXPECT_FLOAT_EQ(outline->p0, 6);
        EXPECT_FLOAT_EQ(outline->p1, dragging ? -28.0f : 0.0f);
        const DrawCall* g = glyph(0xE896);
        ASSERT_NE(g, nullptr);
        if (dragging) {
            expect_color(outline->color, 10, 132, 255, 1);
            expect_color(g->color, 10, 132, 255, 1);
            EXPECT_NE(first(DrawOp::FillRoundedRect), nullptr) << "the zone is filled blue";
        } else {
            expect_color(outline->color, 255, 255, 255, 0.28f);
            expect_color(g->color, 255, 255, 255, 0.62f);
            EXPECT_EQ(first(DrawOp::FillRoundedRect), nullptr);
        }
        EXPECT_NE(text("Dosyaları buraya sürükle"), nullptr);
        EXPECT_NE(text("Raf, kopyalamaz: dosyaların yerinde kalır"), nullptr);
        EXPECT_TRUE(app->drawing.hits.empty()) << "no clear button without items";
    }
}

TEST_F(ShelfPageTest, CardsRegisterOpenAndHoveredDeleteWhichWins) {
    add_shelf(3, true);
    hover(Action::at(ActionKind::Shelf, 1));
    draw_page(Page::Shelf);
    EXPECT_NE(text("dosya2.pdf"), nullptr);
    EXPECT_NE(text("PDF · 1,2 MB"), nullptr);
    EXPECT_NE(text("Tıkla: aç · Sürükle: istediğin yere bırak · Tekerlek: kaydır"), nullptr);
    EXPECT_EQ(first(DrawOp::StrokeRoundedRect), nullptr) << "no drop zone for a full shelf at rest";

    const DrawCall* img = first(DrawOp::Image);
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->image, image_id(kImageOwnerShelf, 100));
    expect_rect(img->rect, kX + 4 + 19, kY + 4 + 12, 54, 54);

    const float card1 = kX + 4 + 98;
    Action a = hit_at(card1 + 40, kY + 60);
    EXPECT_EQ(a.kind, ActionKind::Shelf);
    EXPECT_EQ(a.index, 1);
    a = hit_at(card1 + 92 - 6, kY + 4 + 6);
    EXPECT_EQ(a.kind, ActionKind::ShelfDel);
    EXPECT_EQ(a.index, 1);
    // Only the hovered card shows its delete corner.
    EXPECT_EQ(hit_at(kX + 4 + 92 - 6, kY + 4 + 6).kind, ActionKind::Shelf);
    EXPECT_EQ(hit_at(kX + kW - 40, kY + 146 + 10).kind, ActionKind::ShelfClear);
}

TEST_F(ShelfPageTest, DragOverFullShelfAddsTheDropTileAfterTheLastCard) {
    add_shelf(2);
    app->island.drag_hover = true;
    draw_page(Page::Shelf);
    const DrawCall* label = text("Bırak");
    ASSERT_NE(label, nullptr);
    EXPECT_NEAR(label->rect.x, kX + 4 + 2 * 98, 1e-3f);
    expect_color(label->color, 10, 132, 255, 1);
    EXPECT_NE(glyph(0xE8A5), nullptr) << "cards without thumbnails show the file glyph";
    EXPECT_NE(first(DrawOp::StrokeRoundedRect), nullptr);
}

TEST_F(ShelfPageTest, ScrolledListsDrawAndRegisterNothingPastTheirEnd) {
    add_shelf(3);
    app->lists.shelf_scroll = 5000;
    draw_page(Page::Shelf);
    EXPECT_EQ(text("dosya0.pdf"), nullptr);
    for (const HitRegion& h : app->drawing.hits) EXPECT_NE(h.action.kind, ActionKind::Shelf);

    // Partly scrolled: the first card is cut away, the second stays.
    app->lists.shelf_scroll = 100;
    draw_page(Page::Shelf);
    EXPECT_EQ(text("dosya0.pdf"), nullptr);
    EXPECT_NE(text("dosya1.pdf"), nullptr);

    for (int i = 0; i < 4; ++i) app->lists.clips.push_back(text_clip("satır " + std::to_string(i)));
    app->lists.clip_scroll = 46 * 2;
    draw_page(Page::Clip);
    EXPECT_EQ(text("satır 0"), nullptr);
    EXPECT_EQ(text("satır 1"), nullptr);
    EXPECT_NE(text("satır 2"), nullptr);
    expect_rect(text("satır 2") ? first(DrawOp::FillRoundedRect)->rect : RectF{}, kX, kY, kW, 42);
    app->lists.clip_scroll = 5000;
    draw_page(Page::Clip);
    for (const HitRegion& h : app->drawing.hits) EXPECT_EQ(h.action.kind, ActionKind::ClipClear);
    EXPECT_NE(text("4 öğe"), nullptr);
}

TEST_F(ShelfPageTest, ClipboardTitlesAndDetailsPerKind) {
    app->lists.clips.push_back(text_clip("  ilk satır\n\n\tikinci   satır \r\n"));
    ClipEntry files;
    files.kind = ClipEntry::Files{{"C:\\Users\\a\\rapor.docx", "/home/a/foto.png", "C:\\x\\üç.txt", "C:\\x\\dört.txt"}};
    files.time = "10:00";
    app->lists.clips.push_back(files);
    ClipEntry pic;
    pic.kind = ClipEntry::Picture{std::make_shared<const Image>(Image{std::vector<uint8_t>(16), 2, 2}),
                                  std::make_shared<const Image>(Image{{}, 1920, 1080})};
    pic.time = "11:30";
    pic.id = 7;
    app->lists.clips.push_back(pic);
    app->lists.clips.push_back(text_clip(std::string(300, 'a')));
    draw_page(Page::Clip);

    EXPECT_NE(text("ilk satır ikinci satır"), nullptr) << "white-space runs collapse to one space";
    EXPECT_NE(text("31 karakter · 09:05"), nullptr);
    EXPECT_NE(text("rapor.docx, foto.png, üç.txt"), nullptr);
    EXPECT_NE(text("4 dosya · 10:00"), nullptr);
    EXPECT_NE(text("1920 × 1080 · 11:30"), nullptr);
    EXPECT_NE(text(std::string(160, 'a')), nullptr) << "long texts are cut to 160 characters";
    EXPECT_NE(text("300 karakter · 09:05"), nullptr);
    bool picture = false;
    for (const DrawCall& c : rec->calls)
        if (c.op == DrawOp::Image && c.image == image_id(kImageOwnerClip, 7)) picture = true;
    EXPECT_TRUE(picture);
    ASSERT_NE(glyph(0xE8B7), nullptr);
    expect_color(glyph(0xE8B7)->color, 255, 159, 10, 1);
}

TEST_F(ShelfPageTest, ClipRowRegionsOrderChipsAndPins) {
    app->lists.clips.push_back(text_clip("bir"));
    app->lists.clips.push_back(text_clip("iki", true));
    hover(Action::at(ActionKind::Clip, 0));
    draw_page(Page::Clip);

    // A pinned entry shows a yellow pin although it is not hovered.
    int yellow = 0;
    for (const DrawCall& c : rec->calls)
        if (c.family == FontFamily::Icons && c.text == test_utf8(0xE718) && c.color.g * 255 > 213 && c.color.a == 1)
            ++yellow;
    EXPECT_EQ(yellow, 1);
    EXPECT_NE(text("2 öğe · 1 sabit"), nullptr);

    const DrawCall* translate = text("Çevir");
    const DrawCall* summarise = text("Özetle");
    ASSERT_NE(translate, nullptr);
    ASSERT_NE(summarise, nullptr);
    EXPECT_NEAR(summarise->rect.x - translate->rect.x, 62, 1e-3f);
    Action a = hit_at(translate->rect.x + 29, translate->rect.y + 11);
    EXPECT_EQ(a.kind, ActionKind::ClipAsk);
    EXPECT_EQ(a.index, 0);
    EXPECT_EQ(a.arg, 1);
    a = hit_at(summarise->rect.x + 29, summarise->rect.y + 11);
    EXPECT_EQ(a.kind, ActionKind::ClipAsk);
    EXPECT_EQ(a.arg, 0);

    a = hit_at(kX + kW - 22, kY + 21);
    EXPECT_EQ(a.kind, ActionKind::ClipDel);
    EXPECT_EQ(a.index, 0);
    a = hit_at(kX + kW - 56, kY + 46 + 21);
    EXPECT_EQ(a.kind, ActionKind::ClipPin);
    EXPECT_EQ(a.index, 1);
    a = hit_at(kX + 100, kY + 46 + 21);
    EXPECT_EQ(a.kind, ActionKind::Clip);
    EXPECT_EQ(a.index, 1);
    // The unhovered row has neither chips nor a delete region.
    EXPECT_EQ(hit_at(kX + kW - 22, kY + 46 + 21).kind, ActionKind::Clip);
    EXPECT_EQ(hit_at(kX + kW - 40, kY + kH - 12).kind, ActionKind::ClipClear);
}

TEST_F(ShelfPageTest, EmptyClipboardShowsHintAndCount) {
    draw_page(Page::Clip);
    EXPECT_NE(text("Kopyaladıkların burada birikir"), nullptr);
    EXPECT_NE(text("Metin, dosya ve görseller · tıkla, tekrar panoya alınsın · şifre yöneticileri hariç"), nullptr);
    ASSERT_NE(glyph(0xE8C8), nullptr);
    EXPECT_NEAR(glyph(0xE8C8)->rect.y + glyph(0xE8C8)->rect.h / 2, kY + 48, 1e-3f);
    EXPECT_NE(text("0 öğe"), nullptr);
    EXPECT_EQ(text("Temizle"), nullptr);
    EXPECT_TRUE(app->drawing.hits.empty());
}

// A row's title and subtitle end before whatever sits to their right: the
// "Çevir" chip while a text row is hovered, else the pin.
TEST_F(ShelfPageTest, ClipRowTextsEndBeforeTheChipsAndThePin) {
    const std::string long_text(200, 'm');
    ClipEntry files;
    files.kind = ClipEntry::Files{{"C:\\" + long_text + ".txt"}};
    files.time = "10:00";
    struct Case {
        const char* name;
        bool text_row, hovered;
    } cases[] = {
        {"hovered text row", true, true},
        {"resting text row", true, false},
        {"hovered file row", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app->lists.clips = {c.text_row ? text_clip(long_text, true) : files};
        app->lists.clips[0].pinned = true;  // the pin shows at rest too
        if (c.hovered)
            hover(Action::at(ActionKind::Clip, 0));
        else
            app->pointer.hovered = Action::none();
        draw_page(Page::Clip);
        const std::string title = c.text_row ? std::string(160, 'm') : long_text + ".txt";
        const DrawCall* t = text(title);
        ASSERT_NE(t, nullptr);
        const DrawCall* sub = text(c.text_row ? "200 karakter · 09:05" : "1 dosya · 10:00");
        ASSERT_NE(sub, nullptr);
        float limit = 0;
        if (c.text_row && c.hovered) {
            const DrawCall* chip = text("Çevir");
            ASSERT_NE(chip, nullptr);
            limit = chip->rect.x;
        } else {
            EXPECT_EQ(text("Çevir"), nullptr);
            const DrawCall* pin = glyph(0xE718);
            ASSERT_NE(pin, nullptr);
            limit = pin->rect.x;
        }
        EXPECT_LE(t->rect.x + t->rect.w, limit);
        EXPECT_LE(sub->rect.x + sub->rect.w, limit);
        EXPECT_GT(t->rect.w, 300) << "the title keeps most of the row";
    }
}

TEST_F(ShelfPageTest, ClipboardFooterCountIsRegularWeight) {
    for (size_t pinned : {0u, 1u}) {
        app->lists.clips = {text_clip("bir", pinned > 0), text_clip("iki")};
        draw_page(Page::Clip);
        const DrawCall* count = text(pinned ? "2 öğe · 1 sabit" : "2 öğe");
        ASSERT_NE(count, nullptr);
        EXPECT_EQ(count->weight, 400);
        EXPECT_EQ(count->size, 11.5f);
        EXPECT_NEAR(count->rect.y, kY + kH - 24, 1e-3f);
        expect_color(count->color, 255, 255, 255, 0.4f);
    }
}
