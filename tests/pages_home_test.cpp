// The open island on its home page, drawn into the recording renderer: the
// header's greeting and dock badge, the clock and weather card, the media
// card, the system rings and the quick switches with their regions.
#include <cmath>
#include <string>
#include <variant>

#include <gtest/gtest.h>

#include "app_format.h"
#include "island_draw_support.h"
#include "pages.h"
#include "wide_text_support.h"

namespace {

struct HomePageTest : IslandDrawTest {
    void draw_home() { draw(IslandMode::open(Page::Home)); }
    // The content rectangle of the open home page: (114, 64, 672, 180).
    static constexpr float kX = 114, kY = 64, kW = 672, kH = 180;
};

}  // namespace

TEST_F(HomePageTest, ContentRectangleSitsBetweenHeaderAndDock) {
    expect_rect(page_content_rect({90, 8, 720, 302}), kX, kY, kW, kH);
}

TEST_F(HomePageTest, GreetingFollowsTheLocalHour) {
    struct Case {
        int hour, minute;
        const char* greeting;
    } cases[] = {{5, 0, "Günaydın"},      {11, 59, "Günaydın"},    {12, 0, "İyi günler"}, {17, 59, "İyi günler"},
                 {18, 0, "İyi akşamlar"}, {22, 59, "İyi akşamlar"}, {23, 59, "İyi geceler"}, {4, 59, "İyi geceler"},
                 {0, 0, "İyi geceler"}};
    for (const Case& c : cases) {
        pin_local(2026, 12, 9, c.hour, c.minute);
        draw_home();
        const DrawCall* g = text(c.greeting);
        ASSERT_NE(g, nullptr) << c.hour << ":" << c.minute;
        expect_rect(g->rect, 116, 20, 330, 32);
    }
}

TEST_F(HomePageTest, ClockCardShowsZeroFilledTimeAndTurkishDate) {
    draw_home();
    auto big = text("09:05");
    ASSERT_NE(big, nullptr);
    // The header's clock comes first; the card's is the 44 px one.
    const DrawCall* card_clock = nullptr;
    for (const DrawCall& c : rec->calls)
        if (c.op == DrawOp::Text && c.text == "09:05" && c.size == 44) card_clock = &c;
    ASSERT_NE(card_clock, nullptr);
    expect_rect(card_clock->rect, kX + 18, kY + 8, 190, 54);
    EXPECT_EQ(card_clock->family, FontFamily::Display);
    EXPECT_NE(text("Çarşamba, 9 Aralık"), nullptr);

    pin_local(2027, 3, 1, 23, 0);  // a Monday
    draw_home();
    EXPECT_NE(text("Pazartesi, 1 Mart"), nullptr);
}

TEST_F(HomePageTest, WeatherLineExplainsMissingData) {
    struct Case {
        bool loading;
        std::string error;
        std::string line;
    } cases[] = {
        {false, "", "Hava durumu yükleniyor…"},
        {true, "", "Hava durumu yükleniyor…"},
        {true, "bağlantı yok", "Hava durumu yükleniyor…"},
        {false, "şehir bulunamadı", "Hava: şehir bulunamadı"},
    };
    for (const Case& c : cases) {
        app->weather.snap = WeatherSnapshot{};
        app->weather.snap.loading = c.loading;
        app->weather.snap.error = c.error;
        draw_home();
        const DrawCall* line = text(c.line);
        ASSERT_NE(line, nullptr) << c.line;
        expect_rect(line->rect, kX + 18, kY + 120, 190, 20);
        EXPECT_NEAR(line->color.a, 0.4f, 1e-5f);
    }

    app->weather.snap = WeatherSnapshot{};
    app->weather.snap.ok = true;
    app->weather.snap.temp = -0.6f;
    app->weather.snap.code = 61;
    app->weather.snap.city = "Ankara";
    app->weather.snap.days.push_back(WeatherDay{3, 61, 4.5f, -2.4f, 80});
    draw_home();
    EXPECT_NE(text("-1°"), nullptr);
    EXPECT_NE(text(weather_code_text(61)), nullptr);
    const DrawCall* range = text("Y:5°  D:-2°  · Ankara");
    ASSERT_NE(range, nullptr);
    expect_rect(range->rect, kX + 18, kY + 160, 190, 16);
    EXPECT_EQ(text("Hava durumu yükleniyor…"), nullptr);
}

TEST_F(HomePageTest, MediaCardWithAndWithoutASession) {
    draw_home();
    EXPECT_NE(text("Müzik çalmıyor"), nullptr);
    ASSERT_NE(text("Oynat"), nullptr);
    // The "Oynat" pill is centred in the card (x 344..564).
    EXPECT_EQ(hit_at(454, kY + 133).kind, ActionKind::Play);
    EXPECT_EQ(hit_at(350, kY + 20).kind, ActionKind::Card);

    app->media.snap.has = true;
    app->media.snap.playing = false;
    app->media.snap.artist = "Tarkan";
    app->media.snap.app = "Spotify";
    app->media.snap.position = 30;
    app->media.snap.duration = 120;
    draw_home();
    EXPECT_NE(text("Bilinmeyen parça"), nullptr);
    EXPECT_NE(text("Tarkan"), nullptr);
    EXPECT_EQ(text("Oynat"), nullptr);
    const float media_x = kX + 230;
    auto played = [&]() -> float {
        for (const DrawCall& c : rec->calls)
            if (c.op == DrawOp::FillRoundedRect && c.rect.y == kY + 96 && c.color.a > 0.8f) return c.rect.w;
        return -1;
    };
    EXPECT_FLOAT_EQ(played(), 47);  // a quarter of 188

    // While playing the position runs on from the last report; a drag wins.
    app->media.snap.playing = true;
    app->media.changed = app->now - 30;
    draw_home();
    EXPECT_FLOAT_EQ(played(), 94);
    app->pointer.seek_drag = 0.75f;
    draw_home();
    EXPECT_FLOAT_EQ(played(), 141);
    app->pointer.seek_drag.reset();
    app->media.snap.duration = 0;
    draw_home();
    EXPECT_FLOAT_EQ(played(), 4) << "no duration, only the minimum";

    const float row = kY + 138, mid = media_x + 110;
    EXPECT_EQ(hit_at(mid - 48, row).kind, ActionKind::Prev);
    EXPECT_EQ(hit_at(mid, row).kind, ActionKind::Play);
    EXPECT_EQ(hit_at(mid + 48, row).kind, ActionKind::Next);
}

TEST_F(HomePageTest, OynatSendsPlayToTheMediaWatcher) {
    auto [tx, rx] = channel<MediaCommand>();
    app->media.tx = tx;
    draw_home();
    Action a = hit_at(454, kY + 133);
    ASSERT_EQ(a.kind, ActionKind::Play);
    app->act(a);
    auto got = rx.try_recv();
    ASSERT_TRUE(got.has_value());
    EXPECT_TRUE(std::holds_alternative<media_cmd::TogglePlayPause>(*got));
}

TEST_F(HomePageTest, SystemCardRingsAndRates) {
    app->sysmon.snap.cpu = 0.46f;
    app->sysmon.snap.mem_used = 6e9;
    app->sysmon.snap.mem_total = 8e9;
    app->sysmon.snap.down_rate = 1.5e6;
    app->sysmon.snap.up_rate = 2048;
    draw_home();
    EXPECT_NE(text("%46"), nullptr);
    EXPECT_NE(text("%75"), nullptr);
    EXPECT_NE(text("CPU"), nullptr);
    EXPECT_NE(text("RAM"), nullptr);
    const DrawCall* down = text("↓ " + format_rate(1.5e6));
    ASSERT_NE(down, nullptr);
    expect_color(down->color, 50, 215, 75, 1);
    const DrawCall* up = text("↑ " + format_rate(2048));
    ASSERT_NE(up, nullptr);
    expect_color(up->color, 255, 159, 10, 1);

    // Each ring: a full track, then the value arc from 12 o'clock.
    std::vector<const DrawCall*> arcs;
    for (const DrawCall& c : rec->calls)
        if ((c.op == DrawOp::Arc || c.op == DrawOp::Ring) && c.stroke == 5) arcs.push_back(&c);
    ASSERT_EQ(arcs.size(), 4u);
    EXPECT_EQ(arcs[0]->op, DrawOp::Ring);
    EXPECT_NEAR(arcs[1]->p1, 0.46f, 1e-5f);
    EXPECT_NEAR(arcs[3]->p1, 0.75f, 1e-5f);
    expect_color(arcs[3]->color, 191, 90, 242, 1);
    // Centres: (card x + 34 + 62 k, top + 85 / 2 − 6).
    EXPECT_FLOAT_EQ(arcs[1]->rect.x + arcs[1]->rect.w / 2, kX + 460 + 34);
    EXPECT_FLOAT_EQ(arcs[3]->rect.x + arcs[3]->rect.w / 2, kX + 460 + 96);
    EXPECT_FLOAT_EQ(arcs[1]->rect.y + arcs[1]->rect.h / 2, kY + 36.5f);
    EXPECT_EQ(hit_at(kX + 460 + 150, kY + 10).kind, ActionKind::Card);
    EXPECT_EQ(hit_at(kX + 460 + 150, kY + 10).arg, 2);
}

TEST_F(HomePageTest, QuickSwitchesBlendToTheirTileColourAndOpenTheirTile) {
    for (int k = 0; k < 4; ++k) app->anim.toggles[kTileToggleSpring + k].value = k == 2 ? 1.0f : 0.0f;
    draw_home();
    const float panel_x = kX + 460, panel_y = kY + 95, pitch = (212.0f - 60) / 3;
    for (uint8_t k = 0; k < 4; ++k) {
        const float tx = panel_x + 30 + k * pitch, ty = panel_y + 85.0f / 2 - 6;
        Action a = hit_at(tx, ty);
        EXPECT_EQ(a.kind, ActionKind::Tile) << int(k);
        EXPECT_EQ(a.arg, k);
        const DrawCall* disc = nullptr;
        for (const DrawCall& c : rec->calls)
            if (c.op == DrawOp::FillCircle && std::fabs(c.rect.x + c.rect.w / 2 - tx) < 1e-3f &&
                std::fabs(c.rect.y + c.rect.h / 2 - ty) < 1e-3f)
                disc = &c;
        ASSERT_NE(disc, nullptr) << int(k);
        if (k == 2)
            expect_color(disc->color, 94, 92, 230, 1);
        else
            expect_color(disc->color, 255, 255, 255, 0.12f);
    }
    for (const char* label : {"Wi‑Fi", "BT", "Karanlık", "Uyanık"}) EXPECT_NE(text(label), nullptr) << label;
    EXPECT_EQ(hit_at(panel_x + 2, panel_y + 2).kind, ActionKind::None) << "the panel itself is not clickable";
}

TEST_F(HomePageTest, DockBadgesCapAtNinePlus) {
    app->notifs.unread_badge = 12;
    app->google.snap.unread = 3;
    draw_home();
    EXPECT_NE(text("9+"), nullptr);
    EXPECT_NE(text("3"), nullptr);
    EXPECT_EQ(text("12"), nullptr);
}

// The percentage sits inside its ring: at the digits' half height the inner
// edge of the stroke (radius 20 − 5/2) leaves a chord of 2·√(17.5² − 4.5²);
// the text keeps at least 1 from it on each side, with fixed metrics and with
// a face as wide as the real bold one, shrinking only when it must.
TEST_F(HomePageTest, RingPercentagesStayInsideTheirStroke) {
    const float room = 2 * std::sqrt(17.5f * 17.5f - 4.5f * 4.5f) - 2;
    struct Case {
        float cpu;
        bool wide_face;
        const char* text;
        bool full_size;
    } cases[] = {
        {0.46f, false, "%46", true}, {1.0f, false, "%100", true},
        {0.46f, true, "%46", true},  {1.0f, true, "%100", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + (c.wide_face ? " wide" : ""));
        if (c.wide_face) {
            auto r = std::make_unique<WideTextRenderer>();
            rec = r.get();
            app = make_test_app(true, std::move(r));
            app->now = 100;
            app->island.has_battery = false;
            pin_local(2026, 12, 9, 9, 5);
        }
        app->sysmon.snap.cpu = c.cpu;
        draw_home();
        const DrawCall* t = text(c.text);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->size == 12.5f, c.full_size) << t->size;
        EXPECT_LE(rec->measure_text(t->text, t->size, FontFamily::Display, 700), room);
        // Centred on the CPU ring.
        const DrawCall* ring = nullptr;
        for (const DrawCall& d : rec->calls)
            if (d.op == DrawOp::Ring && d.radius == 20 && !ring) ring = &d;
        ASSERT_NE(ring, nullptr);
        EXPECT_NEAR(t->rect.x + t->rect.w / 2, ring->rect.x + 20, 1e-3f);
        EXPECT_NEAR(t->rect.y + t->rect.h / 2, ring->rect.y + 20, 1e-3f);
    }
}
