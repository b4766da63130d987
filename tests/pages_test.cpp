// The page frame's shared conventions on the recording renderer: row
// backgrounds, the delete button that only a hovered row shows (and that wins
// the hit test over its row), the list footer, the empty state, list culling
// and the dispatch that leaves unbuilt pages empty.
#include <gtest/gtest.h>

#include "island_draw_support.h"
#include "pages.h"

namespace {

struct PageFrameTest : IslandDrawTest {
    void SetUp() override {
        IslandDrawTest::SetUp();
        app->drawing.record_hits = true;
        ASSERT_TRUE(rec->begin_frame(0, 0, 900, 470));
    }
};

}  // namespace

TEST_F(PageFrameTest, RowDeleteButtonShowsOnlyOnAHoveredRowAndWinsItsHitTest) {
    const Action row = Action::at(ActionKind::Clip, 2), del = Action::at(ActionKind::ClipDel, 2);
    const RectF r{114, 80, 672, 42};

    draw_row_background(*app, r, 0);
    app->push_hit(r, row);
    draw_row_delete(*app, 760, 101, 0, del);
    ASSERT_EQ(ops(DrawOp::FillRoundedRect).size(), 1u);
    EXPECT_NEAR(ops(DrawOp::FillRoundedRect)[0]->color.a, 0.05f, 1e-6f);
    EXPECT_FLOAT_EQ(ops(DrawOp::FillRoundedRect)[0]->radius, 14);
    EXPECT_EQ(rec->count(DrawOp::FillCircle), 0u) << "no button on a resting row";
    EXPECT_EQ(hit_at(760, 101).kind, ActionKind::Clip);

    app->drawing.hits.clear();
    ASSERT_TRUE(rec->begin_frame(0, 0, 900, 470));
    draw_row_background(*app, r, 1);
    app->push_hit(r, row);
    app->pointer.hovered = del;
    app->anim.hover.value = 1;
    draw_row_delete(*app, 760, 101, 0.5f, del);
    EXPECT_NEAR(ops(DrawOp::FillRoundedRect)[0]->color.a, 0.12f, 1e-6f);
    auto circles = ops(DrawOp::FillCircle);
    ASSERT_EQ(circles.size(), 1u);
    expect_color(circles[0]->color, 255, 69, 58, 0.5f);  // red by its own hover, faded with the row's
    EXPECT_NE(glyph(0xE711), nullptr);
    EXPECT_EQ(hit_at(760, 101).kind, ActionKind::ClipDel);
    EXPECT_EQ(hit_at(700, 101).kind, ActionKind::Clip);
    EXPECT_FLOAT_EQ(rec->global_alpha, 1) << "the fade is given back";
}

TEST_F(PageFrameTest, FooterOffersTemizleOnlyWithEntries) {
    const RectF content = page_content_rect({90, 8, 720, 330});
    const Action clear = Action::of(ActionKind::ClipClear);
    draw_list_footer(*app, content, "0 öğe", false, clear);
    EXPECT_EQ(text("Temizle"), nullptr);
    EXPECT_TRUE(app->drawing.hits.empty());
    const DrawCall* count = text("0 öğe");
    ASSERT_NE(count, nullptr);
    EXPECT_FLOAT_EQ(count->rect.y, content.y + content.h - 24);
    EXPECT_NEAR(count->color.a, 0.4f, 1e-6f);

    draw_list_footer(*app, content, "3 öğe", true, clear);
    const DrawCall* button = text("Temizle");
    ASSERT_NE(button, nullptr);
    expect_rect(button->rect, content.x + content.w - 96, content.y + content.h - 24, 96, 24);
    ASSERT_EQ(app->drawing.hits.size(), 1u);
    EXPECT_EQ(app->drawing.hits[0].action.kind, ActionKind::ClipClear);
}

TEST_F(PageFrameTest, EmptyStateAndListCulling) {
    draw_empty_state(*app, {114, 64, 672, 200}, 0xE77F, "Pano boş", "Kopyaladıkların burada görünür");
    const DrawCall* g = glyph(0xE77F);
    ASSERT_NE(g, nullptr);
    EXPECT_FLOAT_EQ(g->rect.x + g->rect.w / 2, 450);
    EXPECT_FLOAT_EQ(g->size, 22);
    ASSERT_NE(text("Pano boş"), nullptr);
    EXPECT_EQ(text("Pano boş")->align, TextAlign::Center);
    EXPECT_NEAR(text("Kopyaladıkların burada görünür")->color.a, 0.4f, 1e-6f);

    // Pitch 50 from y 64 with 120 scrolled: items 0 and 1 are above, 2 peeks in, 6 is below.
    EXPECT_FLOAT_EQ(list_item_top(64, 50, 1, 120), -6);
    EXPECT_FALSE(list_item_visible(list_item_top(64, 50, 0, 120), 46, 64, 244));
    EXPECT_FALSE(list_item_visible(list_item_top(64, 50, 1, 120), 46, 64, 244));
    EXPECT_TRUE(list_item_visible(list_item_top(64, 50, 2, 120), 46, 64, 244));
    EXPECT_TRUE(list_item_visible(list_item_top(64, 50, 5, 120), 46, 64, 244));
    EXPECT_FALSE(list_item_visible(list_item_top(64, 50, 6, 120), 46, 64, 244));
}

TEST_F(PageFrameTest, UnbuiltPagesDrawNothingAndTheAlphaComesBack) {
    // Pages whose bodies exist draw; every page hands the alpha back.
    auto built = [](Page p) {
        return p == Page::Control || p == Page::Time || p == Page::Shelf || p == Page::Clip || p == Page::Notes ||
               p == Page::Google || p == Page::Search || p == Page::Settings || p == Page::Steam || p == Page::System ||
               p == Page::Calendar || p == Page::Media || p == Page::Notifs || p == Page::Gemini;
    };
    for (int p = 1; p < kPageCount; ++p) {
        rec->global_alpha = 0.7f;
        rec->calls.clear();
        app->draw_page(page_at(p), {90, 8, 720, 330});
        if (!built(page_at(p))) {
            EXPECT_TRUE(rec->calls.empty()) << page_name(page_at(p));
        }
        EXPECT_FLOAT_EQ(rec->global_alpha, 0.7f);
    }
    app->draw_page(Page::Home, {90, 8, 720, 302});
    EXPECT_FALSE(rec->calls.empty());
    EXPECT_FLOAT_EQ(rec->global_alpha, 0.7f);
}
