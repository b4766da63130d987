// The shared widgets on the recording renderer: what they draw, and the hit
// regions they append through the zoom and shift, in drawing order.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app.h"
#include "app_fixture.h"
#include "gfx_record.h"
#include "test_support.h"
#include "ui_widgets.h"
#include "wide_text_support.h"

namespace {

struct WidgetTest : ::testing::Test {
    ScopedDataDir data;
    std::unique_ptr<App> app;
    RecordingRenderer* rec = nullptr;

    void SetUp() override {
        auto r = std::make_unique<RecordingRenderer>();
        rec = r.get();
        app = make_test_app(true, std::move(r));
        app->drawing.record_hits = true;
        ASSERT_TRUE(rec->begin_frame(0, 0, 900, 470));
    }

    void hover(Action a, float progress) {
        app->pointer.hovered = a;
        app->anim.hover.value = progress;
    }

    // The pointer handlers take the last region under the point.
    Action hit_at(float x, float y) const {
        for (auto it = app->drawing.hits.rbegin(); it != app->drawing.hits.rend(); ++it)
            if (it->rect.contains(x, y)) return it->action;
        return Action::none();
    }

    std::vector<const DrawCall*> ops(DrawOp op) const {
        std::vector<const DrawCall*> out;
        for (const DrawCall& c : rec->calls)
            if (c.op == op) out.push_back(&c);
        return out;
    }
};

void expect_rect(const RectF& r, float x, float y, float w, float h) {
    EXPECT_NEAR(r.x, x, 1e-3f);
    EXPECT_NEAR(r.y, y, 1e-3f);
    EXPECT_NEAR(r.w, w, 1e-3f);
    EXPECT_NEAR(r.h, h, 1e-3f);
}

void expect_color(const Color& c, float r, float g, float b, float a) {
    EXPECT_NEAR(c.r * 255, r, 0.01f);
    EXPECT_NEAR(c.g * 255, g, 0.01f);
    EXPECT_NEAR(c.b * 255, b, 0.01f);
    EXPECT_NEAR(c.a, a, 1e-4f);
}

}  // namespace

TEST_F(WidgetTest, CardRegistersOnlyWhileRecordingThroughZoomAndShift) {
    app->drawing.record_hits = false;
    app->card({450, 8, 100, 40}, Action::at(ActionKind::Note, 1));
    EXPECT_EQ(rec->count(DrawOp::FillRoundedRect), 1u);
    EXPECT_TRUE(app->drawing.hits.empty());

    app->drawing.record_hits = true;
    app->pointer.zoom = 0.8f;
    app->pointer.shift = 10;
    app->card({450, 8, 100, 40}, Action::at(ActionKind::Note, 1));
    ASSERT_EQ(app->drawing.hits.size(), 1u);
    expect_rect(app->drawing.hits[0].rect, 460, 8, 80, 32);
    // Away from the pivot the offset shrinks too.
    app->card({500, 58, 10, 10}, Action::at(ActionKind::Note, 2));
    expect_rect(app->drawing.hits[1].rect, 500, 48, 8, 8);
}

TEST_F(WidgetTest, HoverBrightensOnlyTheHoveredElement) {
    hover(Action::at(ActionKind::Note, 1), 0.5f);
    app->card({0, 0, 100, 40}, Action::at(ActionKind::Note, 1));
    app->card({0, 50, 100, 40}, Action::at(ActionKind::Note, 2));
    hover(Action::at(ActionKind::Note, 1), 7.0f);  // springs overshoot; the look is clamped
    app->card({0, 0, 100, 40}, Action::at(ActionKind::Note, 1));
    auto fills = ops(DrawOp::FillRoundedRect);
    ASSERT_EQ(fills.size(), 3u);
    EXPECT_NEAR(fills[0]->color.a, 0.09f, 1e-6f);
    EXPECT_NEAR(fills[1]->color.a, 0.07f, 1e-6f);
    EXPECT_NEAR(fills[2]->color.a, 0.11f, 1e-6f);
    EXPECT_EQ(fills[0]->radius, 20);
}

TEST_F(WidgetTest, TextFieldScrollsLongTextAndTheButtonWinsTheHitTest) {
    // 40 characters at 14.5 are 290 wide; with no button the area is 244 − 54 = 190.
    app->search_page.text = std::string(40, 'a');
    app->island.focus = TextField::Search;
    app->now = 0.3;  // frac(0.54) < 0.6: the caret is lit
    app->text_field({100, 50, 244, 44}, TextField::Search, 0xE721, "Ara");

    const DrawCall* text = rec->find_text(app->search_page.text);
    ASSERT_NE(text, nullptr);
    const float scroll = 290 - 190 + 6;  // the last 184 units show
    EXPECT_NEAR(text->rect.x, 142 - scroll, 1e-3f);
    auto lines = ops(DrawOp::Line);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NEAR(lines[0]->points[0].x, 142 + 290 - scroll + 1.5f, 1e-3f);
    EXPECT_NEAR(lines[0]->points[0].y, 62, 1e-3f);
    // The text sits inside a clip of the text area, popped before the region.
    auto clips = ops(DrawOp::PushClip);
    ASSERT_EQ(clips.size(), 1u);
    expect_rect(clips[0]->rect, 142, 50, 190, 44);
    EXPECT_EQ(rec->clip_depth(), 0u);
    EXPECT_EQ(ops(DrawOp::StrokeRoundedRect).size(), 1u);  // the focus outline

    // With a button: the field, then the button, so the button wins where they overlap.
    app->drawing.hits.clear();
    app->text_field({100, 120, 300, 44}, TextField::Search, 0xE721, "Ara", "Git");
    ASSERT_EQ(app->drawing.hits.size(), 2u);
    EXPECT_TRUE(action_eq(app->drawing.hits[0].action, Action::byte(ActionKind::Field, 0)));
    const float bw = 3 * 6.5f + 26;  // "Git" at 13 plus the padding
    expect_rect(app->drawing.hits[1].rect, 100 + 300 - bw - 6, 126, bw, 32);
    EXPECT_TRUE(action_eq(hit_at(390, 140), Action::byte(ActionKind::FieldGo, 0)));
    EXPECT_TRUE(action_eq(hit_at(150, 140), Action::byte(ActionKind::Field, 0)));
}

TEST_F(WidgetTest, TextFieldCaretBlinkAndEmptyLooks) {
    const struct { double now; bool lit; } blink[] = {{0.3, true}, {0.35, false}, {0.0, true}, {0.5, false}, {0.6, true}};
    for (const auto& b : blink) EXPECT_EQ(caret_lit(b.now), b.lit) << b.now;

    app->island.focus = TextField::Note;
    app->now = 0.35;
    app->text_field({0, 0, 300, 44}, TextField::Note, 0xE70B, "Not ekle", "Ekle");
    EXPECT_TRUE(ops(DrawOp::Line).empty());  // off phase
    const DrawCall* placeholder = rec->find_text("Not ekle");
    ASSERT_NE(placeholder, nullptr);
    EXPECT_NEAR(placeholder->color.a, 0.4f, 1e-6f);
    EXPECT_EQ(placeholder->weight, 400);
    // An empty field's button is grey with a dim label.
    auto fills = ops(DrawOp::FillRoundedRect);
    ASSERT_EQ(fills.size(), 2u);
    expect_color(fills[1]->color, 255, 255, 255, 0.1f);
    EXPECT_NEAR(rec->find_text("Ekle")->color.a, 0.4f, 1e-6f);

    // Typed text turns it blue, brightened toward white by hover.
    rec->calls.clear();
    app->lists.note_text = "süt";
    hover(Action::byte(ActionKind::FieldGo, 1), 1.0f);
    app->text_field({0, 0, 300, 44}, TextField::Note, 0xE70B, "Not ekle", "Ekle");
    fills = ops(DrawOp::FillRoundedRect);
    expect_color(fills[1]->color, 10 + 245 * 0.15f, 132 + 123 * 0.15f, 255, 1);
}

TEST_F(WidgetTest, GreetingByHourAndPageTitles) {
    const struct { int hour; const char* text; } cases[] = {
        {12, "İyi günler"}, {23, "İyi geceler"}, {4, "İyi geceler"}, {5, "Günaydın"},
        {11, "Günaydın"}, {17, "İyi günler"}, {18, "İyi akşamlar"}, {22, "İyi akşamlar"}, {0, "İyi geceler"},
    };
    for (const auto& c : cases) EXPECT_STREQ(greeting_for_hour(c.hour), c.text) << c.hour;
    EXPECT_STREQ(page_title(Page::Clip), "Pano Geçmişi");
    EXPECT_STREQ(page_title(Page::Calendar), "Takvim ve Hava");
    EXPECT_STREQ(page_short_name(Page::Notifs), "Bildirimler");
    EXPECT_EQ(page_glyph(Page::Settings), U'\uE713');
}

TEST_F(WidgetTest, PageHeaderLaysStatusItemsRightToLeft) {
    app->island.page = Page::Settings;
    app->island.has_battery = true;
    app->island.battery = 64;
    app->island.on_ac = false;
    app->sysmon.snap.net_checked = true;
    app->sysmon.snap.online = true;
    app->sysmon.snap.wireless = true;
    app->notices.layout_code = "TR";
    app->island.keep_awake = true;
    app->sysmon.snap.cam_users = {"camera app"};
    app->sysmon.snap.mic_users = {"recorder"};
    app->draw_page_header(100, 8, 700);

    ASSERT_NE(rec->find_text("Ayarlar"), nullptr);
    expect_rect(rec->find_text("Ayarlar")->rect, 126, 20, 330, 32);
    const float cw = 5 * 7.5f + 2;  // "00:00" at 15 plus 2
    const float r0 = 100 + 700 - 24 - cw - 12;
    ASSERT_NE(rec->find_text("%64"), nullptr);
    expect_rect(rec->find_text("%64")->rect, r0 - 77, 26, 44, 20);
    const float r1 = r0 - 88;
    const DrawCall* wifi = rec->find_text("\xEE\x9C\x81");  // U+E701
    ASSERT_NE(wifi, nullptr);
    EXPECT_NEAR(wifi->rect.x + wifi->rect.w / 2, r1 - 8, 1e-3f);
    const float r2 = r1 - 26;
    const float bw = 2 * 5.5f + 12;
    expect_rect(rec->find_text("TR")->rect, r2 - bw, 27, bw, 18);
    const float r3 = r2 - bw - 10;
    const DrawCall* awake = rec->find_text("\xEE\x9E\xB3");  // U+E7B3
    ASSERT_NE(awake, nullptr);
    EXPECT_NEAR(awake->rect.x + awake->rect.w / 2, r3 - 8, 1e-3f);
    auto dots = ops(DrawOp::FillCircle);
    ASSERT_EQ(dots.size(), 2u);
    EXPECT_NEAR(dots[0]->rect.x + 4, r3 - 24 - 4, 1e-3f);  // camera, green
    expect_color(dots[0]->color, 50, 215, 75, 1);
    EXPECT_NEAR(dots[1]->rect.x + 4, r3 - 24 - 14 - 4, 1e-3f);  // microphone, orange
    expect_color(dots[1]->color, 255, 159, 10, 1);
    EXPECT_TRUE(app->drawing.hits.empty());
}

TEST_F(WidgetTest, BatteryLevelColoursAndWidths) {
    const struct { uint8_t percent; bool charging; int r, g, b; float width; const char* text; float text_x; } cases[] = {
        {20, false, 255, 69, 58, 4.12f, "%20", 300 - 77},
        {21, false, 255, 255, 255, 4.326f, "%21", 300 - 77},
        {0, false, 255, 69, 58, 1.5f, "%0", 300 - 77},
        {10, true, 50, 215, 75, 2.06f, "%10", 300 - 90},
        {100, false, 255, 255, 255, 20.6f, "%100", 300 - 77},
    };
    for (const auto& c : cases) {
        rec->calls.clear();
        app->island.battery = c.percent;
        app->island.on_ac = c.charging;
        app->draw_battery(300, 40);
        auto fills = ops(DrawOp::FillRoundedRect);
        ASSERT_EQ(fills.size(), 2u);
        expect_color(fills[0]->color, c.r, c.g, c.b, 1);
        EXPECT_NEAR(fills[0]->rect.w, c.width, 1e-4f) << int(c.percent);
        ASSERT_NE(rec->find_text(c.text), nullptr);
        EXPECT_NEAR(rec->find_text(c.text)->rect.x, c.text_x, 1e-3f);
        EXPECT_EQ(ops(DrawOp::Polygon).size(), c.charging ? 1u : 0u);  // the bolt
    }
}

TEST_F(WidgetTest, SliderRowFillAndContrast) {
    app->slider_row(2, {100, 200, 300, 44}, 0.3f, 0xE767, true, "Ses");
    auto clips = ops(DrawOp::PushClip);
    ASSERT_EQ(clips.size(), 1u);
    EXPECT_NEAR(clips[0]->rect.w, 90, 1e-3f);
    const DrawCall* glyph = rec->find_text("\xEE\x9D\xA7");  // U+E767
    ASSERT_NE(glyph, nullptr);
    expect_color(glyph->color, 28, 28, 30, 1);  // on the white fill (> 40)
    expect_color(rec->find_text("Ses")->color, 28, 28, 30, 0.75f);  // > 70
    const DrawCall* pct = rec->find_text("%30");
    ASSERT_NE(pct, nullptr);
    expect_color(pct->color, 255, 255, 255, 0.62f);  // 90 ≤ 280
    ASSERT_EQ(app->drawing.hits.size(), 1u);
    EXPECT_TRUE(action_eq(app->drawing.hits[0].action, Action::byte(ActionKind::Slider, 2)));

    // Nearly full: the percentage turns dark; disabled: dim, no region.
    rec->calls.clear();
    app->slider_row(0, {100, 200, 300, 44}, 0.95f, 0xE767, true, "Ses");
    expect_color(rec->find_text("%95")->color, 28, 28, 30, 0.8f);
    rec->calls.clear();
    app->drawing.hits.clear();
    app->slider_row(1, {100, 200, 300, 44}, 0.5f, 0xE706, false, "Parlaklık yok");
    EXPECT_TRUE(app->drawing.hits.empty());
    EXPECT_TRUE(ops(DrawOp::PushClip).empty());
    expect_rect(rec->find_text("Parlaklık yok")->rect, 148, 200, 240, 44);
}

TEST_F(WidgetTest, DockAtRestAndItsRegions) {
    DockLayout rest = dock_layout(450, 0);
    EXPECT_FLOAT_EQ(rest.total, 570);
    EXPECT_FLOAT_EQ(rest.start, 165);
    for (float s : rest.scale) EXPECT_FLOAT_EQ(s, 1);
    // Revealed, the icon under the pointer grows by half and its neighbours less.
    DockLayout open = dock_layout(184 + 38 * 7, 1);
    EXPECT_FLOAT_EQ(open.scale[7], 1.5f);
    EXPECT_GT(open.scale[6], 1.1f);
    EXPECT_LT(open.scale[0], 1.001f);
    EXPECT_FLOAT_EQ(open.start, 450 - open.total / 2);

    app->island.page = Page::Time;
    app->pointer.zoom = 0.5f;
    app->draw_tab_strip(300);
    ASSERT_EQ(app->drawing.hits.size(), 15u);
    for (int i = 0; i < 15; ++i) {
        EXPECT_TRUE(action_eq(app->drawing.hits[i].action, Action::byte(ActionKind::Dock, static_cast<uint8_t>(i))));
        // (165 + 38 i, 246, 38, 50) through zoom 0.5 about (450, 8).
        expect_rect(app->drawing.hits[i].rect, (165 + 38.0f * i - 450) * 0.5f + 450, 127, 19, 25);
    }
    // The current page is white with a dot beneath; the others half white.
    const DrawCall* time = rec->find_text("\xEE\xA4\x96");  // U+E916
    ASSERT_NE(time, nullptr);
    EXPECT_FLOAT_EQ(time->color.a, 1);
    EXPECT_FLOAT_EQ(rec->find_text("\xEE\xA0\x8F")->color.a, 0.5f);  // home, U+E80F
    ASSERT_EQ(ops(DrawOp::FillCircle).size(), 1u);
    EXPECT_FLOAT_EQ(ops(DrawOp::FillCircle)[0]->rect.y + 2.2f, 252 + 39);
}

TEST_F(WidgetTest, DockBadgesAndTooltip) {
    const struct { uint32_t count; const char* text; } badges[] = {{1, "1"}, {9, "9"}, {10, "9+"}, {250, "9+"}};
    for (const auto& b : badges) EXPECT_EQ(badge_text(b.count), b.text);

    app->notifs.unread_badge = 12;
    app->google.snap.unread = 3;
    app->pointer.x = 184 + 38 * 7;  // over the notifications icon
    app->anim.tab_reveal.value = 0.6f;
    hover(Action::byte(ActionKind::Dock, 7), 1);
    app->draw_tab_strip(336);
    ASSERT_NE(rec->find_text("9+"), nullptr);
    ASSERT_NE(rec->find_text("3"), nullptr);
    const DrawCall* tip = rec->find_text("Bildirimler");
    ASSERT_NE(tip, nullptr);
    EXPECT_NEAR(tip->color.a, 0.6f, 1e-5f);  // the tooltip fades in with the reveal
    EXPECT_NEAR(tip->global_alpha, 0.6f, 1e-5f);
    EXPECT_EQ(rec->global_alpha, 1.0f);  // and the global alpha is put back

    rec->calls.clear();
    app->anim.tab_reveal.value = 0.3f;
    app->draw_tab_strip(336);
    EXPECT_EQ(rec->find_text("Bildirimler"), nullptr);
}

TEST_F(WidgetTest, AppIconPicksImageShellOrLetterTile) {
    Image pic{std::vector<uint8_t>(4 * 4 * 4, 200), 4, 4};
    app->app_icon("Microsoft.Edge", "Edge", &pic, {0, 0, 32, 32}, 8);
    auto images = ops(DrawOp::Image);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0]->image, (uint64_t{8} << 56) | (fnv1a64("Microsoft.Edge") & 0x00FFFFFFFFFFFFFFull));

    // No explicit picture: the shell is asked once (natively it has none).
    rec->calls.clear();
    app->app_icon("Contoso.Mail", "mail", nullptr, {0, 0, 32, 32}, 8);
    app->app_icon("Contoso.Mail", "mail", nullptr, {0, 0, 32, 32}, 8);
    EXPECT_EQ(app->drawing.app_icon_cache.size(), 1u);
    EXPECT_EQ(app->drawing.app_icon_cache.count("Contoso.Mail"), 1u);
    EXPECT_EQ(app->drawing.app_icon_cache["Contoso.Mail"], nullptr);
    const DrawCall* letter = rec->find_text("M");
    ASSERT_NE(letter, nullptr);
    EXPECT_NEAR(letter->size, 0.45f * 32, 1e-4f);
    EXPECT_EQ(letter->family, FontFamily::Display);

    // An empty name is an empty green tile; an empty app id never asks the shell.
    rec->calls.clear();
    app->app_icon("", "", nullptr, {0, 0, 32, 32}, 8);
    EXPECT_EQ(app->drawing.app_icon_cache.size(), 1u);
    ASSERT_EQ(rec->calls.size(), 1u);
    expect_color(rec->calls[0].color, 50, 215, 75, 1);
}

TEST_F(WidgetTest, ButtonsRegisterTheirUnpressedShape) {
    const Action play = Action::of(ActionKind::Play);
    app->pointer.pressed = play;
    app->pill_button({100, 100, 120, 40}, play, "Oynat", 1, rgb(255, 255, 255), rgb(28, 28, 30));
    auto pills = ops(DrawOp::FillRoundedRect);
    ASSERT_EQ(pills.size(), 1u);
    expect_rect(pills[0]->rect, 106, 102, 108, 36);  // 0.9 about the centre
    EXPECT_FLOAT_EQ(pills[0]->radius, 18);
    auto tri = ops(DrawOp::Polygon);
    ASSERT_EQ(tri.size(), 1u);
    const float lw = 5 * 7.25f, left = 160 - (22 + lw) / 2, q = left + 6;
    EXPECT_NEAR(tri[0]->points[1].x, q + 6, 1e-3f);
    EXPECT_FLOAT_EQ(tri[0]->stroke, 1.68f);
    expect_rect(rec->find_text("Oynat")->rect, left + 22, 100, lw + 6, 40);
    ASSERT_EQ(app->drawing.hits.size(), 1u);
    expect_rect(app->drawing.hits[0].rect, 100, 100, 120, 40);

    const Action next = Action::of(ActionKind::Next);
    app->pointer.pressed = next;
    rec->calls.clear();
    app->circle_button(next, 300, 120, 20, rgb(255, 255, 255, 0.1f), rgb(255, 255, 255, 0.3f));
    EXPECT_FLOAT_EQ(ops(DrawOp::FillCircle)[0]->radius, 18);
    expect_rect(app->drawing.hits[1].rect, 280, 100, 40, 40);

    hover(Action::of(ActionKind::GSignIn), 1);
    app->pointer.pressed = Action::none();
    rec->calls.clear();
    app->draw_primary_button({10, 10, 200, 40}, "Google ile giriş yap");
    expect_color(ops(DrawOp::FillRoundedRect)[0]->color, 10 + 245 * 0.15f, 132 + 123 * 0.15f, 255, 1);
    EXPECT_TRUE(action_eq(app->drawing.hits[2].action, Action::of(ActionKind::GSignIn)));
}

TEST_F(WidgetTest, ArtworkAndThumbnailsFallBackToPlaceholders) {
    app->media.snap.art_version = 42;
    app->draw_artwork({0, 0, 100, 100}, 12, false);
    ASSERT_EQ(rec->count(DrawOp::Image), 0u);
    auto fills = ops(DrawOp::FillRoundedRect);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_NEAR(fills[0]->color.a, 0.22f, 1e-6f);

    app->media.snap.art_small = std::make_shared<const Image>(Image{std::vector<uint8_t>(16, 255), 2, 2});
    app->draw_artwork({0, 0, 100, 100}, 12, true);
    ASSERT_EQ(rec->count(DrawOp::Image), 1u);
    EXPECT_EQ(ops(DrawOp::Image)[0]->image, (uint64_t{2} << 56) | 42);

    Image header{std::vector<uint8_t>(16, 255), 2, 2};
    app->game_thumb(570, &header, {0, 0, 184, 86}, 10);
    EXPECT_EQ(ops(DrawOp::Image)[1]->image, (uint64_t{7} << 56) | 570);
}

TEST_F(WidgetTest, WidgetsWithoutARendererStillRegister) {
    app->drawing.renderer.reset();
    app->card({0, 0, 10, 10}, Action::at(ActionKind::Note, 0));
    app->draw_tab_strip(300);
    EXPECT_EQ(app->drawing.hits.size(), 16u);
}

// Without a renderer the widgets measure as the recording renderer does, so a
// measured button (its width follows its label) lands in the same place.
TEST_F(WidgetTest, WidgetsWithoutARendererMeasureAsWithTheRecordingOne) {
    auto draw = [&] {
        app->drawing.hits.clear();
        app->search_page.text = "merhaba d\xC3\xBCnya";
        app->text_field({100, 120, 300, 44}, TextField::Search, 0xE721, "Ara", "Git");
        app->text_field({0, 0, 300, 44}, TextField::Note, 0xE70B, "Not ekle", "Ekle");
        app->draw_page_header(100, 8, 700);
        return app->drawing.hits;
    };
    const std::vector<HitRegion> drawn = draw();
    app->drawing.renderer.reset();
    const std::vector<HitRegion> bare = draw();
    ASSERT_EQ(bare.size(), drawn.size());
    ASSERT_FALSE(bare.empty());
    for (size_t i = 0; i < bare.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(action_eq(bare[i].action, drawn[i].action));
        expect_rect(bare[i].rect, drawn[i].rect.x, drawn[i].rect.y, drawn[i].rect.w, drawn[i].rect.h);
    }
}

// The badge is a disc of radius 7.5 that widens into a pill of the same height
// when its label needs more than the disc with 3 to spare on each side.
TEST(DockBadge, FitsItsLabelWithRoomOnBothSides) {
    struct Case {
        uint32_t count;
        bool wide_face;
    } cases[] = {{3, false}, {12, false}, {3, true}, {12, true}, {250, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + (c.wide_face ? " wide" : ""));
        ScopedDataDir data;
        auto owned = c.wide_face ? std::make_unique<WideTextRenderer>() : std::make_unique<RecordingRenderer>();
        RecordingRenderer* rec = owned.get();
        auto app = make_test_app(true, std::move(owned));
        ASSERT_TRUE(rec->begin_frame(0, 0, 900, 470));
        app->notifs.unread_badge = c.count;
        app->draw_tab_strip(336);
        const std::string label = badge_text(c.count);
        const DrawCall* t = rec->find_text(label);
        ASSERT_NE(t, nullptr);
        const DrawCall* disc = nullptr;
        for (const DrawCall& d : rec->calls)
            if (d.op == DrawOp::FillRoundedRect && d.color.r == 1 && std::fabs(d.color.g * 255 - 69) < 0.01f) disc = &d;
        ASSERT_NE(disc, nullptr) << "the red badge";
        const float text_w = rec->measure_text(label, 9.5f, FontFamily::Text, 700);
        EXPECT_GE(disc->rect.w, text_w + 6);
        EXPECT_GE(disc->rect.w, 15);
        EXPECT_FLOAT_EQ(disc->rect.h, 15);
        EXPECT_FLOAT_EQ(disc->radius, 7.5f);
        if (!(text_w + 6 > 15)) {
            EXPECT_FLOAT_EQ(disc->rect.w, 15) << "a short label keeps the round disc";
        }
        // The label is centred on the badge in a box at least as wide as itself.
        EXPECT_NEAR(t->rect.x + t->rect.w / 2, disc->rect.x + disc->rect.w / 2, 1e-3f);
        EXPECT_NEAR(t->rect.y + t->rect.h / 2, disc->rect.y + disc->rect.h / 2, 1e-3f);
        EXPECT_GE(t->rect.w, text_w);
    }
}

// With the fixed metrics a character is 7 wide at 14 px and a line 17.5
// high, so a 70-wide box takes ten characters a line.
TEST(FitWrapped, CutsAfterTheLastWholeLineAndEndsWithAnEllipsis) {
    RecordingRenderer g;
    struct Case {
        const char* name;
        std::string text;
        float height;
        std::string want;
    } cases[] = {
        {"fits", "kısa", 17.5f, "kısa"},
        {"fits exactly", "on harf ok", 17.5f, "on harf ok"},
        {"cut after a word", "bir iki üç dört beş altı", 17.5f, "bir iki…"},
        {"two lines", "bir iki üç dört beş altı", 35, "bir iki üç dört beş…"},
        {"runs of spaces", "bir   iki   üç   dört", 17.5f, "bir   iki…"},
        {"one long word cuts between characters", std::string(50, 'a'), 35, std::string(19, 'a') + "…"},
        {"non-ASCII characters stay whole", "ğğğğğğğğğğğğğğğ", 17.5f, "ğğğğğğğğğ…"},
        {"a first word too long for the box", "uzunnnnnnnnnnnnnnnn kelime", 17.5f, "uzunnnnnn…"},
        {"nothing fits", "bir iki", 5, "…"},
    };
    for (const Case& c : cases) {
        const std::string got = fit_wrapped(g, c.text, 70, c.height, 14, 500);
        EXPECT_EQ(got, c.want) << c.name;
        if (got != "…") {
            EXPECT_LE(g.measure_wrapped(got, 70, 14, 500), c.height) << c.name;
        }
    }
}
