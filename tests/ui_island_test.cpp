// The island's content per display mode and the weather pictograms, drawn into
// the recording renderer: texts, glyphs, sizes, the zoom and slide of hit
// regions, and the notice picture's place in the bitmap cache.
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "app_format.h"
#include "island_draw_support.h"
#include "ui_widgets.h"

namespace {

using IslandContentTest = IslandDrawTest;

ImageRef small_picture(uint8_t shade) {
    auto img = std::make_shared<Image>();
    img->width = img->height = 2;
    img->pixels.assign(16, shade);
    return img;
}

// Every drawing call lies inside the pill (x, 8, W, H), give or take half a unit.
void expect_inside(const std::vector<DrawCall>& calls, const IslandShape& s, const std::string& what) {
    const float x = 450 - s.width / 2, right = x + s.width, bottom = 8 + s.height;
    for (const DrawCall& c : calls) {
        if (c.op == DrawOp::PushClip || c.op == DrawOp::PopClip) continue;
        RectF r = c.rect;
        if (c.op == DrawOp::Line) {  // (x0, y0, dx, dy)
            r = {std::fmin(r.x, r.x + r.w), std::fmin(r.y, r.y + r.h), std::fabs(r.w), std::fabs(r.h)};
            r = {r.x - c.stroke / 2, r.y - c.stroke / 2, r.w + c.stroke, r.h + c.stroke};
        }
        if (c.op == DrawOp::Text && c.family == FontFamily::Icons) {  // the glyph box is twice the size
            r = {r.x + r.w / 4, r.y + r.h / 4, r.w / 2, r.h / 2};
        }
        EXPECT_GE(r.x, x - 0.5f) << what << " " << draw_op_name(c.op) << " " << c.text;
        EXPECT_LE(r.x + r.w, right + 0.5f) << what << " " << draw_op_name(c.op) << " " << c.text;
        EXPECT_GE(r.y, 8 - 0.5f) << what << " " << draw_op_name(c.op) << " " << c.text;
        EXPECT_LE(r.y + r.h, bottom + 0.5f) << what << " " << draw_op_name(c.op) << " " << c.text;
    }
}

}  // namespace

// ---- Live activities --------------------------------------------------------------------------

TEST_F(IslandContentTest, ActivityClocksRoundAsTheirCountersDo) {
    const int64_t unix = *app->wall_clock.unix_seconds;
    struct Case {
        ActKind kind;
        std::function<void(App&)> set;
        const char* text;
        float right_inset;  // the text box starts this far left of the pill's right edge
        float alpha;
    } cases[] = {
        {ActKind::Watch, [](App& a) { a.timers.stopwatch.accumulated = 3599.95; }, "59:59,9", 120, 0.6f},
        {ActKind::Watch, [](App& a) { a.timers.stopwatch.accumulated = 3600; }, "1:00:00,0", 120, 0.6f},
        {ActKind::Watch, [](App& a) { a.timers.stopwatch.running = true, a.timers.stopwatch.start = a.now - 61.25; }, "1:01,2", 120, 1},
        {ActKind::Timer, [](App& a) { a.timers.countdown.running = true, a.timers.countdown.end = a.now + 0.2; }, "0:01", 100, 1},
        {ActKind::Timer, [](App& a) { a.timers.countdown.running = true, a.timers.countdown.end = a.now - 5; }, "0:00", 100, 1},
        {ActKind::Timer, [](App& a) { a.timers.countdown.remaining = 59.01; }, "1:00", 100, 0.6f},
        {ActKind::Pomo, [](App& a) { a.timers.pomo.running = true, a.timers.pomo.end = a.now + 1500; }, "25:00", 100, 1},
        {ActKind::Game, [unix](App& a) { a.steam.snap.playing = SteamPlaying{"Portal", unix - 3725, nullptr, 400}; },
         "1:02:05", 84, 1},
        {ActKind::Game, [unix](App& a) { a.steam.snap.playing = SteamPlaying{"Portal", unix + 50, nullptr, 400}; }, "0:00",
         84, 1},
    };
    for (const Case& c : cases) {
        app->timers.stopwatch = Stopwatch{};
        app->timers.countdown = Countdown{};
        app->timers.pomo = Pomodoro{};
        c.set(*app);
        draw(IslandMode::act(c.kind));
        const DrawCall* t = text(c.text);
        ASSERT_NE(t, nullptr) << c.text;
        const float right = 450 + shape(IslandMode::act(c.kind)).width / 2;
        EXPECT_FLOAT_EQ(t->rect.x, right - c.right_inset) << c.text;
        EXPECT_EQ(t->align, TextAlign::Right) << c.text;
        EXPECT_EQ(t->family, FontFamily::Display) << c.text;
        EXPECT_NEAR(t->color.a, c.alpha, 1e-5f) << c.text;
    }
}

TEST_F(IslandContentTest, SteamActivityNeverTurnsABadRatioIntoAPercentage) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double done, total;
        uint8_t state;
        bool paused;
        const char* percent;
        std::string state_text;
        float bar;  // done part of the 256-wide track
    } cases[] = {
        {0, 0, 0, false, "0%", "Sırada", 2.5f},
        {5, 0, 1, false, "0%", "Yer ayrılıyor", 2.5f},  // 5 / 0 is infinite
        {nan, 100, 3, false, "0%", "Hazırlanıyor", 2.5f},
        {429, 1000, 2, false, "42%", format_rate(1.5e6), 256 * 0.429f},
        {2000, 1000, 5, false, "100%", "Doğrulanıyor", 256},
        {500, 1000, 2, true, "50%", "Duraklatıldı", 128},
    };
    for (const Case& c : cases) {
        SteamActiveDownload d;
        d.done = c.done, d.total = c.total, d.state = c.state, d.paused = c.paused, d.rate = 1.5e6;
        app->steam.download = d;
        draw(IslandMode::act(ActKind::Steam));
        const DrawCall* pct = text(c.percent);
        ASSERT_NE(pct, nullptr) << c.percent;
        EXPECT_NEAR(pct->color.a, c.paused ? 0.55f : 1.0f, 1e-5f);
        EXPECT_NE(text(c.state_text), nullptr) << c.state_text;
        // The track, then its done part.
        auto rects = ops(DrawOp::FillRoundedRect);
        ASSERT_GE(rects.size(), 2u);
        expect_rect(rects[rects.size() - 2]->rect, 322, 39.5f, 256, 2.5f);
        EXPECT_NEAR(rects.back()->rect.w, c.bar, 1e-3f) << c.percent;
    }
}

TEST(DownloadProgress, TimeLeftNeedsARate) {
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double done, total, rate;
        const char* text;
    } cases[] = {
        {0, 1000, 0, ""},  {0, 1000, -5, ""}, {0, 1000, nan, ""}, {0, 1000, inf, ""}, {0, inf, 10, ""},
        {0, 11100, 1, " · kalan 3 sa 5 dk"}, {0, 90, 1, " · kalan 1 dk"}, {0, 3600, 1, " · kalan 1 sa 0 dk"},
        {2000, 1000, 10, " · kalan 0 dk"},
    };
    for (const Case& c : cases) EXPECT_EQ(download_time_left(c.done, c.total, c.rate), c.text) << c.total << " " << c.rate;
    EXPECT_EQ(download_percent(1, -4), 0);
    EXPECT_EQ(download_percent(999, 1000), 99);
}

// ---- Notices -------------------------------------------------------------------------------------

TEST_F(IslandContentTest, VolumeGlyphFollowsTheLevelAndMute) {
    struct Case {
        HudKind kind;
        float level;
        bool muted;
        char32_t glyph;
        float fill;  // -1: no fill
        const char* number;
    } cases[] = {
        {HudKind::Volume, 0, false, 0xE74F, -1, "0"},
        {HudKind::Volume, 0.004f, false, 0xE74F, 6, "0"},
        {HudKind::Volume, 0.34f, false, 0xE994, 208 * 0.34f, "34"},  // ceil(1.02) = 2
        {HudKind::Volume, 0.2f, false, 0xE993, 41.6f, "20"},
        {HudKind::Volume, 1, false, 0xE995, 208, "100"},
        {HudKind::Volume, 1.7f, false, 0xE995, 208, "100"},
        {HudKind::Volume, 0.6f, true, 0xE74F, -1, "60"},
        {HudKind::Brightness, 0.5f, true, 0xE706, 104, "50"},  // brightness has no mute
    };
    for (const Case& c : cases) {
        app->notices.level.value = c.level;
        app->audio.muted = c.muted;
        draw(IslandMode::hud(c.kind));
        const DrawCall* g = glyph(c.glyph);
        ASSERT_NE(g, nullptr) << c.level;
        if (c.kind == HudKind::Brightness) expect_color(g->color, 255, 214, 10, 1);
        auto bars = ops(DrawOp::FillRoundedRect);
        ASSERT_EQ(bars.size(), c.fill < 0 ? 1u : 2u) << c.level;
        expect_rect(bars[0]->rect, 340, 27, 208, 6);
        if (c.fill >= 0) {
            EXPECT_NEAR(bars[1]->rect.w, c.fill, 1e-3f) << c.level;
        }
        const DrawCall* n = text(c.number);
        ASSERT_NE(n, nullptr) << c.number;
        expect_rect(n->rect, 554, 8, 40, 44);
    }
}

TEST_F(IslandContentTest, TrackNoticeNamesAnUntitledTrack) {
    app->media.snap.has = true;
    app->media.snap.artist = "Sezen Aksu";
    draw(IslandMode::hud(HudKind::Track));
    EXPECT_NE(text("Bilinmeyen parça"), nullptr);
    EXPECT_NE(text("Sezen Aksu"), nullptr);

    app->media.snap.title = "Gülümse";
    draw(IslandMode::hud(HudKind::Track));
    EXPECT_NE(text("Gülümse"), nullptr);
    EXPECT_EQ(text("Bilinmeyen parça"), nullptr);
}

TEST_F(IslandContentTest, SnoozeButtonIsClickableOnlyWhileRecordingAndFollowsZoomAndSlide) {
    const IslandMode done = IslandMode::hud(HudKind::TimerDone);
    draw(done, false);
    EXPECT_NE(text("+1 dk"), nullptr);
    EXPECT_TRUE(app->drawing.hits.empty());

    draw(done, true);
    ASSERT_EQ(app->drawing.hits.size(), 1u);
    EXPECT_EQ(app->drawing.hits[0].action.kind, ActionKind::Snooze);
    expect_rect(app->drawing.hits[0].rect, 556, 30, 78, 36);

    // A pill at 80 % of its width, sliding 10 to the right.
    app->drawing.hits.clear();
    app->anim.width.value = 0.8f * 404;
    ASSERT_TRUE(rec->begin_frame(0, 0, 900, 470));
    draw_island(*app, static_cast<uint8_t>(ModeTag::Hud), static_cast<uint8_t>(HudKind::TimerDone), 1, 10, true, true);
    ASSERT_EQ(app->drawing.hits.size(), 1u);
    expect_rect(app->drawing.hits[0].rect, hit_rect({556, 30, 78, 36}, 0.8f, 10).x, 8 + 22 * 0.8f, 78 * 0.8f, 36 * 0.8f);
    EXPECT_FALSE(app->drawing.record_hits) << "recording ends with the mode";
    EXPECT_FLOAT_EQ(app->pointer.zoom, 0.8f);
    EXPECT_FLOAT_EQ(app->pointer.shift, 10);
    EXPECT_FLOAT_EQ(rec->calls.front().transform.m11, 0.8f);

    // A nearly hidden pill does not shrink the content below 55 %.
    app->anim.width.value = 12;
    ASSERT_TRUE(rec->begin_frame(0, 0, 900, 470));
    draw_island(*app, static_cast<uint8_t>(ModeTag::Hud), static_cast<uint8_t>(HudKind::TimerDone), 1, 0, false, true);
    EXPECT_FLOAT_EQ(rec->calls.front().transform.m11, 0.55f);
}

TEST_F(IslandContentTest, NoticePictureCacheHoldsOnlyTheShownPicture) {
    app->notices.title = "Görsel panoya kopyalandı";
    app->notices.body = "2 × 2";
    app->notices.picture = small_picture(10);
    app->notices.serial = 1;
    draw(IslandMode::hud(HudKind::Image));
    const uint64_t first = image_id(kImageOwnerNotice, 1);
    ASSERT_EQ(ops(DrawOp::Image).size(), 1u);
    EXPECT_EQ(ops(DrawOp::Image)[0]->image, first);
    EXPECT_EQ(rec->cache_counts().images, 1u);

    // A new picture replaces the old one in the cache.
    app->notices.picture = small_picture(20);
    app->notices.serial = 2;
    draw(IslandMode::hud(HudKind::Download));
    EXPECT_EQ(ops(DrawOp::Image)[0]->image, image_id(kImageOwnerNotice, 2));
    EXPECT_EQ(rec->cache_counts().images, 1u);

    // While the old notice fades out beside the new one, its picture stays.
    app->island.prev_mode = IslandMode::hud(HudKind::Download);
    draw(IslandMode::hud(HudKind::Volume));
    EXPECT_EQ(rec->cache_counts().images, 1u);

    // Once no notice shows it, it is gone.
    app->island.prev_mode = IslandMode::none();
    draw(IslandMode::hud(HudKind::Volume));
    EXPECT_EQ(rec->cache_counts().images, 0u);
    EXPECT_EQ(app->drawing.notice_image_id, 0u);
}

TEST_F(IslandContentTest, NoticeWidthFollowsItsLongestText) {
    struct Case {
        size_t title_chars, body_chars;
        float width;
    } cases[] = {
        {3, 3, 300},      // short texts: the floor
        {20, 0, 300},     // 150 + 120 is still under it
        {0, 30, 315},     // 30 × 6.5 + 120
        {24, 30, 315},    // the wider of the two
        {100, 200, 600},  // very long texts: the ceiling
    };
    for (const Case& c : cases) {
        app->notices.title = std::string(c.title_chars, 'a');
        app->notices.body = std::string(c.body_chars, 'b');
        IslandShape s = shape(IslandMode::hud(HudKind::Notice));
        EXPECT_FLOAT_EQ(s.width, c.width) << c.title_chars << "/" << c.body_chars;
        EXPECT_FLOAT_EQ(s.height, 76);
    }
}

TEST_F(IslandContentTest, EveryModeDrawsInsideItsPill) {
    app->island.has_battery = true;
    app->island.battery = 64;
    app->island.keep_awake = true;
    app->weather.snap.ok = true;
    app->weather.snap.temp = 18;
    app->notices.title = "Kamera kullanımda";
    app->notices.body = "Teams";
    app->notices.level.value = 0.5f;
    app->notices.layout_code = "TR";
    app->media.snap.has = true;
    app->media.snap.title = "Parça";
    app->steam.download = SteamActiveDownload{"Dota 2", 10, 100, 5e5, nullptr, 570, 2, false};
    app->steam.snap.playing = SteamPlaying{"Portal", *app->wall_clock.unix_seconds - 10, nullptr, 400};
    app->timers.stopwatch.accumulated = 12;
    app->notifs.toast = AppNotification{"Discord", "com.squirrel.Discord", "Ayşe", "Akşam geliyor musun?", "21:04", nullptr, 3};
    app->notices.picture = small_picture(90);
    app->voice.question = "Yarın hava nasıl?";
    app->voice.answer = "Yarın İstanbul'da parçalı bulutlu ve 18 derece.";

    std::vector<IslandMode> modes = {IslandMode::idle(), IslandMode::peek()};
    for (int k = 0; k <= static_cast<int>(ActKind::Watch); ++k) modes.push_back(IslandMode::act(static_cast<ActKind>(k)));
    for (int k = 0; k < kHudCount; ++k) modes.push_back(IslandMode::hud(static_cast<HudKind>(k)));
    for (const IslandMode& m : modes) {
        for (VoiceState v : {VoiceState::Listening, VoiceState::Thinking, VoiceState::Answer}) {
            app->voice.state = v;
            draw(m);
            EXPECT_FALSE(rec->calls.empty()) << mode_debug(m);
            expect_inside(rec->calls, shape(m), mode_debug(m));
            if (!(m.tag == ModeTag::Hud && m.hud_kind() == HudKind::Voice)) break;
        }
    }
}

TEST_F(IslandContentTest, IdleShowsOnlyTheLens) {
    draw(IslandMode::idle());
    EXPECT_TRUE(rec->texts().empty());
    EXPECT_TRUE(app->drawing.hits.empty());
    auto discs = ops(DrawOp::FillCircle);
    ASSERT_EQ(discs.size(), 4u);
    EXPECT_FLOAT_EQ(discs[0]->radius, 6.3f);
    EXPECT_FLOAT_EQ(discs[0]->rect.x + discs[0]->rect.w / 2, 450 + 63 - 17);
    EXPECT_FLOAT_EQ(discs[0]->rect.y + discs[0]->rect.h / 2, 25);
    EXPECT_NEAR(discs[3]->color.a, 0.22f, 1e-6f) << "the glint";
}

TEST_F(IslandContentTest, PeekShowsClockWeatherAndStatus) {
    draw(IslandMode::peek());
    const DrawCall* clock = text("09:05");
    ASSERT_NE(clock, nullptr);
    expect_rect(clock->rect, 318, 8, 90, 36);
    EXPECT_EQ(text("18°"), nullptr) << "no weather yet";

    app->weather.snap.ok = true;
    app->weather.snap.temp = 21.6f;
    app->weather.snap.code = 0;
    app->island.keep_awake = true;
    app->island.has_battery = true;
    app->island.battery = 80;
    draw(IslandMode::peek());
    const DrawCall* temp = text("22°");
    ASSERT_NE(temp, nullptr);
    // 3 characters at 14 px measure 21: g = 450 − 6 − 10.5.
    EXPECT_FLOAT_EQ(temp->rect.x, 433.5f + 8);
    EXPECT_FLOAT_EQ(temp->rect.w, 27);
    EXPECT_NE(glyph(0xE7B3), nullptr);
    EXPECT_NE(text("%80"), nullptr);
}

TEST_F(IslandContentTest, VoiceLinesFollowTheTeachingAndTheAnswer) {
    app->voice.state = VoiceState::Listening;
    draw(IslandMode::hud(HudKind::Voice));
    EXPECT_NE(text("Dinliyorum…"), nullptr);

    app->voice.teaching.takes.emplace();
    app->voice.teaching.take = 1;
    draw(IslandMode::hud(HudKind::Voice));
    EXPECT_NE(text("“Hey Google” de · 2/3"), nullptr);
    app->voice.teaching.take = 0;
    app->voice.teaching.retries = 1;
    draw(IslandMode::hud(HudKind::Voice));
    EXPECT_NE(text("(Duyamadım, tekrar: “Hey Google” · 1/3"), nullptr);
    app->voice.teaching = WakeTeaching{};

    app->voice.state = VoiceState::Thinking;
    draw(IslandMode::hud(HudKind::Voice));
    EXPECT_NE(text("Düşünüyorum"), nullptr);
    app->voice.question = "Saat kaç?";
    draw(IslandMode::hud(HudKind::Voice));
    EXPECT_NE(text("Saat kaç?"), nullptr);

    app->voice.state = VoiceState::Answer;
    app->voice.answer = "Saat on.";
    draw(IslandMode::hud(HudKind::Voice));
    const DrawCall* q = text("“Saat kaç?”");
    ASSERT_NE(q, nullptr);
    EXPECT_FLOAT_EQ(q->rect.y, 26);
    auto wrapped = ops(DrawOp::WrappedText);
    ASSERT_EQ(wrapped.size(), 1u);
    EXPECT_EQ(wrapped[0]->text, "Saat on.");
    EXPECT_FLOAT_EQ(wrapped[0]->rect.w, 500) << "the width its height was measured at";
}

TEST_F(IslandContentTest, OpenIslandDrawsHeaderOnlyWhenAsked) {
    const IslandMode home = IslandMode::open(Page::Home);
    draw(home, true, true);
    EXPECT_NE(text("Günaydın"), nullptr);
    EXPECT_EQ(rec->count(DrawOp::PushClip), rec->count(DrawOp::PopClip));

    // Sliding between two open pages: the body alone, clipped below the header and above the dock.
    draw(home, false, false, -12);
    EXPECT_EQ(text("Günaydın"), nullptr);
    ASSERT_GE(rec->count(DrawOp::PushClip), 1u);
    expect_rect(ops(DrawOp::PushClip)[0]->rect, 90 - 40, 58, 800, 302 - 112);
    EXPECT_NE(text("09:05"), nullptr) << "the clock card still draws";
    EXPECT_EQ(rec->clip_depth(), 0u);
}

// ---- Weather icons -------------------------------------------------------------------------------

TEST(WeatherIcon, KindOfEveryWmoCode) {
    struct Case {
        int32_t code;
        bool day;
        uint8_t kind;
    } cases[] = {
        {0, true, kIconSun},      {0, false, kIconMoon},   {1, true, kIconPartlyDay}, {2, false, kIconPartlyNight},
        {3, true, kIconCloud},    {45, true, kIconFog},    {48, false, kIconFog},     {51, true, kIconDrizzle},
        {57, true, kIconDrizzle}, {61, true, kIconRain},   {82, true, kIconRain},     {71, true, kIconSnow},
        {86, true, kIconSnow},    {95, true, kIconThunder}, {99, false, kIconThunder}, {100, true, kIconCloud},
        {-1, true, kIconCloud},   {50, true, kIconCloud},
    };
    for (const Case& c : cases) EXPECT_EQ(weather_icon_kind(c.code, c.day), c.kind) << c.code;
}

TEST_F(IslandContentTest, WeatherIconShapes) {
    ASSERT_TRUE(rec->begin_frame(0, 0, 900, 470));
    app->draw_weather_icon(kIconRain, 100, 100, 0, rgb(0, 0, 0));
    app->draw_weather_icon(kIconSun, 100, 100, -3, rgb(0, 0, 0));
    EXPECT_TRUE(rec->calls.empty()) << "no size, no icon";

    // The crescent's bite takes the backdrop colour.
    app->draw_weather_icon(kIconMoon, 100, 100, 20, rgb(18, 18, 18));
    auto discs = ops(DrawOp::FillCircle);
    ASSERT_EQ(discs.size(), 2u);
    expect_color(discs[0]->color, 242, 242, 247, 1);
    expect_color(discs[1]->color, 18, 18, 18, 1);
    EXPECT_FLOAT_EQ(discs[1]->radius, 8.4f);

    // Drops: two 0.6 s apart for drizzle, three 0.3 s apart for rain.
    for (auto [kind, count, gap] : {std::tuple{kIconDrizzle, 2u, 12.0f}, std::tuple{kIconRain, 3u, 6.0f}}) {
        ASSERT_TRUE(rec->begin_frame(0, 0, 900, 470));
        app->now = 100.2;
        app->draw_weather_icon(kind, 100, 100, 20, rgb(0, 0, 0));
        auto drops = ops(DrawOp::Line);
        ASSERT_EQ(drops.size(), count);
        for (size_t i = 1; i < drops.size(); ++i) EXPECT_NEAR(drops[i]->rect.x - drops[i - 1]->rect.x, gap, 1e-3f);
        expect_color(drops[0]->color, 100, 210, 255, drops[0]->color.a);
    }

    // A thunder cloud flashes its bolt for a short moment of each cycle.
    ASSERT_TRUE(rec->begin_frame(0, 0, 900, 470));
    app->now = 100.0 / 0.9 + 0.02;
    app->draw_weather_icon(kIconThunder, 100, 100, 18, rgb(0, 0, 0));
    ASSERT_EQ(ops(DrawOp::Polygon).size(), 1u);
    EXPECT_NEAR(ops(DrawOp::Polygon)[0]->color.a, 1.0f, 1e-5f);
    ASSERT_TRUE(rec->begin_frame(0, 0, 900, 470));
    app->now = 100.0 / 0.9 + 0.5;
    app->draw_weather_icon(kIconThunder, 100, 100, 18, rgb(0, 0, 0));
    EXPECT_NEAR(ops(DrawOp::Polygon)[0]->color.a, 0.85f, 1e-5f);
}

// A voice answer longer than the notice can hold ends after its last whole
// line with "…", never cut through a line; a short one is shown as it is.
TEST_F(IslandContentTest, LongVoiceAnswerEndsWithAnEllipsisAfterAWholeLine) {
    std::string long_answer;
    for (int i = 0; i < 60; ++i) long_answer += "kelime" + std::to_string(i) + " ";
    struct Case {
        const char* name;
        std::string answer, question;
        bool cut;
    } cases[] = {
        {"short", "Saat on.", "", false},
        {"long", long_answer, "", true},
        {"long under a question", long_answer, "Bugün ne var?", true},
    };
    app->voice.state = VoiceState::Answer;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app->voice.answer = c.answer;
        app->voice.question = c.question;
        draw(IslandMode::hud(HudKind::Voice));
        auto wrapped = ops(DrawOp::WrappedText);
        ASSERT_EQ(wrapped.size(), 1u);
        const DrawCall& w = *wrapped[0];
        EXPECT_LE(rec->measure_wrapped(w.text, w.rect.w, 14, 500), w.rect.h) << "every line drawn whole";
        if (!c.cut) {
            EXPECT_EQ(w.text, c.answer);
            continue;
        }
        const std::string ellipsis = "…";
        ASSERT_GT(w.text.size(), ellipsis.size());
        ASSERT_EQ(w.text.substr(w.text.size() - ellipsis.size()), ellipsis);
        const std::string shown = w.text.substr(0, w.text.size() - ellipsis.size());
        EXPECT_EQ(c.answer.rfind(shown + " ", 0), 0u) << "cut after a whole word: " << shown;
        // One more word would not have fitted.
        const size_t next = c.answer.find(' ', shown.size() + 1);
        EXPECT_GT(rec->measure_wrapped(c.answer.substr(0, next) + ellipsis, w.rect.w, 14, 500), w.rect.h);
    }
}
