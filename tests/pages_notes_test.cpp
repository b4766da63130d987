// The notes page drawn into the recording renderer: the hint and summary of
// empty lists, reminder rows with their time left, note rows with the partly
// done tick, the hover-revealed controls and the culling of a scrolled list.
#include <string>

#include <gtest/gtest.h>

#include "island_draw_support.h"
#include "pages.h"

namespace {

struct NotesPageTest : IslandDrawTest {
    // The island rect (90, 8, 720, 300) puts the page body at (114, 64, 672, 178).
    static constexpr float kX = 114, kY = 64, kW = 672, kH = 178;
    static constexpr const char* kHint = "Henüz not yok. Yaz, Enter'a bas · zaman yazarsan hatırlatıcı olur";

    void draw_notes() {
        app->drawing.hits.clear();
        app->drawing.record_hits = true;
        ASSERT_TRUE(rec->begin_frame(0, 0, 900, 470));
        app->draw_page(Page::Notes, {90, 8, 720, 300});
    }
    void add_note(std::string text, bool done = false, float fade = -1) {
        NoteItem n;
        n.text = std::move(text);
        n.done = done;
        n.fade = fade < 0 ? (done ? 1.0f : 0.0f) : fade;
        app->lists.notes.push_back(n);
    }
    void hover(const Action& a) {
        app->pointer.hovered = a;
        app->anim.hover.value = 1;
    }
    bool has_hit(ActionKind k) const {
        for (const HitRegion& h : app->drawing.hits)
            if (h.action.kind == k) return true;
        return false;
    }
};

}  // namespace

TEST_F(NotesPageTest, EmptyListsShowHintAndZeroSummaryWithoutClearButton) {
    draw_notes();
    const DrawCall* hint = text(kHint);
    ASSERT_NE(hint, nullptr);
    expect_rect(hint->rect, kX, kY + 50, kW, kH - 80);
    EXPECT_NE(text("0 açık · 0 tamamlandı"), nullptr);
    EXPECT_EQ(text("Tamamlananları temizle"), nullptr);
    EXPECT_FALSE(has_hit(ActionKind::NotesClear));
    EXPECT_EQ(hit_at(kX + 100, kY + 20).kind, ActionKind::Field) << "the note field";
}

TEST_F(NotesPageTest, RemindersComeFirstWithTimeLeftAndDeleteRegion) {
    const int64_t now = *app->wall_clock.unix_seconds;  // 09:05 local
    app->lists.reminders.push_back({"Su iç", now + 600, 1});
    app->lists.reminders.push_back({"Doktor", now + 3600 * 5 + 25 * 60, 2});
    draw_notes();
    EXPECT_EQ(text(kHint), nullptr);
    ASSERT_NE(text("Su iç"), nullptr);
    EXPECT_NE(text("10 dk sonra"), nullptr);
    EXPECT_NE(text("14:30"), nullptr);
    const DrawCall* second = text("Doktor");
    ASSERT_NE(second, nullptr);
    expect_rect(second->rect, kX + 40, kY + 50 + 40, kW - 220, 36);
    EXPECT_NE(text("0 açık · 0 tamamlandı · 2 hatırlatıcı"), nullptr);
    Action a = hit_at(kX + kW - 20, kY + 50 + 40 + 18);
    EXPECT_EQ(a.kind, ActionKind::RemDel);
    EXPECT_EQ(a.index, 1);
}

TEST_F(NotesPageTest, NoteRowsCountByDoneFlagAndHoverRevealsControls) {
    app->lists.reminders.push_back({"Toplantı", *app->wall_clock.unix_seconds + 120, 1});
    add_note("ekmek al");
    add_note("faturayı öde", true);
    add_note("yarı bitti", false, 0.5f);
    const float row1 = kY + 50 + 40 * 2;  // note 1 follows the reminder and note 0
    struct Case {
        bool signed_in;
        bool chip;
    } cases[] = {{true, true}, {false, false}};
    for (const Case& c : cases) {
        app->google.snap.signed_in = c.signed_in;
        hover(Action::at(ActionKind::Note, 1));
        draw_notes();
        EXPECT_NE(text("2 açık · 1 tamamlandı · 1 hatırlatıcı"), nullptr) << "the flag, not the fade, counts";
        EXPECT_EQ(text("Görevlere") != nullptr, c.chip);
        EXPECT_EQ(has_hit(ActionKind::NoteTask), c.chip);
        Action a = hit_at(kX + 200, row1 + 18);
        EXPECT_EQ(a.kind, ActionKind::Note);
        EXPECT_EQ(a.index, 1);
        a = hit_at(kX + kW - 20, row1 + 2);
        EXPECT_EQ(a.kind, ActionKind::NoteDel);
        EXPECT_EQ(a.index, 1);
        if (c.chip) {
            a = hit_at(kX + kW - 76, row1 + 18);
            EXPECT_EQ(a.kind, ActionKind::NoteTask);
            EXPECT_EQ(a.index, 1);
        }
        // The unhovered note keeps only its toggle region.
        EXPECT_EQ(hit_at(kX + kW - 20, row1 - 40 + 18).kind, ActionKind::Note);
        EXPECT_EQ(hit_at(kX + kW - 50, kY + kH - 12).kind, ActionKind::NotesClear);
    }
}

TEST_F(NotesPageTest, HalfDoneNoteGrowsDiscAndStrikeThroughPartly) {
    add_note("yarı bitti", false, 0.5f);
    draw_notes();
    const float e = 1 - 0.125f;  // ease-out cubic of 0.5
    const float c = kY + 50 + 18;
    bool disc = false, strike = false;
    for (const DrawCall& d : rec->calls) {
        if (d.op == DrawOp::FillCircle && std::abs(d.radius - 9.2f * e) < 1e-3f) disc = true;
        if (d.op == DrawOp::Line && std::abs(d.stroke - 1.4f) < 1e-3f) {
            strike = true;
            const float width = rec->measure_text("yarı bitti", 13.5f, FontFamily::Text, 500);
            expect_rect(d.rect, kX + 40, c, e * width, 0);
        }
    }
    EXPECT_TRUE(disc);
    EXPECT_TRUE(strike);
    ASSERT_NE(text("yarı bitti"), nullptr);
    EXPECT_NEAR(text("yarı bitti")->color.a, 0.7f, 1e-4f);
    EXPECT_NE(text("1 açık · 0 tamamlandı"), nullptr);
}

TEST_F(NotesPageTest, ScrolledRowsOutsideTheViewportDrawAndRegisterNothing) {
    for (int i = 0; i < 12; ++i) add_note("not " + std::to_string(i));
    app->lists.notes_scroll = 40 * 5;
    draw_notes();
    EXPECT_EQ(text("not 3"), nullptr);
    const DrawCall* top = text("not 5");
    ASSERT_NE(top, nullptr);
    EXPECT_NEAR(top->rect.y, kY + 50, 1e-3f);
    EXPECT_EQ(text("not 11"), nullptr) << "below the viewport";
    for (const HitRegion& h : app->drawing.hits)
        if (h.action.kind == ActionKind::Note) {
            EXPECT_GE(h.action.index, 4);
        }
    Action a = hit_at(kX + 200, kY + 50 + 10);
    EXPECT_EQ(a.kind, ActionKind::Note);
    EXPECT_EQ(a.index, 5);
}

// The note's text (and a done note's strike-through) ends before the
// "Görevlere" chip while the chip shows, and keeps its width otherwise.
TEST_F(NotesPageTest, NoteTextEndsBeforeTheTaskChip) {
    const std::string long_text(120, 'n');
    struct Case {
        const char* name;
        bool signed_in, hovered, done;
    } cases[] = {
        {"signed in, hovered", true, true, false},
        {"signed in, hovered, done", true, true, true},
        {"signed in, at rest", true, false, false},
        {"signed out, hovered", false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app->lists.notes.clear();
        add_note(long_text, c.done);
        app->google.snap.signed_in = c.signed_in;
        if (c.hovered)
            hover(Action::at(ActionKind::Note, 0));
        else
            app->pointer.hovered = Action::none();
        draw_notes();
        const DrawCall* t = text(long_text);
        ASSERT_NE(t, nullptr);
        const DrawCall* chip = text("Görevlere");
        EXPECT_EQ(chip != nullptr, c.signed_in && c.hovered);
        const float right = t->rect.x + t->rect.w;
        if (chip) {
            EXPECT_LE(right, chip->rect.x);
        } else {
            EXPECT_NEAR(t->rect.w, kW - 90, 1e-3f) << "no chip: the text keeps its full box";
        }
        if (c.done) {
            bool strike = false;
            for (const DrawCall& d : rec->calls)
                if (d.op == DrawOp::Line && std::abs(d.stroke - 1.4f) < 1e-3f) {
                    strike = true;
                    EXPECT_LE(d.rect.x + d.rect.w, right + 1e-3f);
                }
            EXPECT_TRUE(strike);
        }
    }
}

// A done note's mark is a tick: two white strokes meeting at an elbow, down
// then up, on the green disc, with nothing filled between them.
TEST_F(NotesPageTest, DoneMarkIsATickOfTwoStrokes) {
    add_note("bitti", true);
    draw_notes();
    const float c = kY + 50 + 18;
    EXPECT_TRUE(ops(DrawOp::Polygon).empty()) << "no filled wedge";
    std::vector<const DrawCall*> strokes;
    for (const DrawCall* d : ops(DrawOp::Line))
        if (std::abs(d->stroke - 1.8f) < 1e-3f) strokes.push_back(d);
    ASSERT_EQ(strokes.size(), 2u);
    const RectF down = strokes[0]->rect, up = strokes[1]->rect;  // (x0, y0, dx, dy)
    expect_color(strokes[0]->color, 255, 255, 255, 1);
    EXPECT_GT(down.w, 0);
    EXPECT_GT(down.h, 0) << "the short stroke runs down to the elbow";
    EXPECT_NEAR(down.x + down.w, up.x, 1e-3f);
    EXPECT_NEAR(down.y + down.h, up.y, 1e-3f);
    EXPECT_GT(up.w, down.w) << "the long stroke";
    EXPECT_LT(up.h, 0) << "runs up from the elbow";
    // The tick stays inside the green disc of radius 9.2.
    for (float x : {down.x, up.x, up.x + up.w})
        EXPECT_LT(std::abs(x - (kX + 20)), 9.2f);
    EXPECT_LT(std::abs(up.y + up.h - c), 9.2f);
}
