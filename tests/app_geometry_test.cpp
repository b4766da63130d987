#include <gtest/gtest.h>

#include "app.h"
#include "app_geometry.h"
#include "gfx_record.h"

namespace {

// A quiet App measuring texts with the recording renderer's fixed metrics
// (a character is half the font size wide).
std::unique_ptr<App> measuring_app() {
    AppInit init;
    init.quiet = true;
    init.renderer = std::make_unique<RecordingRenderer>();
    return std::make_unique<App>(std::move(init));
}

IslandShape shape_of(const App& a, IslandMode m) { return island_size(a, static_cast<uint8_t>(m.tag), m.payload); }

}  // namespace

TEST(IslandSize, FixedShapesByMode) {
    auto app = measuring_app();
    struct Case { IslandMode mode; float w, h, r; };
    const Case cases[] = {
        {IslandMode::idle(), 126, 34, 17},
        {IslandMode::peek(), 300, 36, 18},
        {IslandMode::act(ActKind::Music), 256, 36, 18},
        {IslandMode::act(ActKind::Watch), 236, 36, 18},
        {IslandMode::act(ActKind::Pomo), 264, 36, 18},
        {IslandMode::hud(HudKind::Volume), 320, 44, 22},
        {IslandMode::hud(HudKind::Mic), 290, 44, 22},
        {IslandMode::hud(HudKind::Track), 392, 72, 30},
        {IslandMode::hud(HudKind::TimerDone), 404, 80, 34},
        {IslandMode::hud(HudKind::Voice), 330, 64, 32},
        {IslandMode::open(Page::Settings), 720, 424, 38},
        {IslandMode::open(Page::Gemini), 720, 392, 38},
        {IslandMode::none(), 126, 34, 17},
    };
    for (const Case& c : cases) {
        IslandShape s = shape_of(*app, c.mode);
        EXPECT_EQ(s.width, c.w) << mode_debug(c.mode);
        EXPECT_EQ(s.height, c.h) << mode_debug(c.mode);
        EXPECT_EQ(s.radius, c.r) << mode_debug(c.mode);
    }
}

TEST(IslandSize, SearchHeightFollowsItsRows) {
    auto app = measuring_app();
    EXPECT_EQ(shape_of(*app, IslandMode::open(Page::Search)).height, 232);
    app->search_page.rows.resize(3);
    EXPECT_EQ(shape_of(*app, IslandMode::open(Page::Search)).height, 306);
}

TEST(IslandSize, MeasuredNoticesStayWithinTheirBounds) {
    auto app = measuring_app();
    app->notices.title = "Kısa";
    app->notices.body = "";
    EXPECT_EQ(shape_of(*app, IslandMode::hud(HudKind::Notice)).width, 300);
    app->notices.body = std::string(40, 'x');  // 40 × 6.5 + 120
    EXPECT_EQ(shape_of(*app, IslandMode::hud(HudKind::Notice)).width, 380);
    app->notices.title = std::string(200, 'y');
    EXPECT_EQ(shape_of(*app, IslandMode::hud(HudKind::Notice)).width, 600);

    EXPECT_EQ(shape_of(*app, IslandMode::hud(HudKind::Toast)).width, 320) << "no toast: empty texts";
    AppNotification n;
    n.app = std::string(30, 'a');  // 30 × 5.75 + 60 + 110
    app->notifs.toast = n;
    EXPECT_FLOAT_EQ(shape_of(*app, IslandMode::hud(HudKind::Toast)).width, 342.5f);

    app->voice.state = VoiceState::Answer;
    app->voice.answer = std::string(1000, 'z');
    IslandShape answer = shape_of(*app, IslandMode::hud(HudKind::Voice));
    EXPECT_EQ(answer.width, 600);
    EXPECT_EQ(answer.height, 158) << "the text part is capped at 118";
    app->voice.question = "soru";
    EXPECT_EQ(shape_of(*app, IslandMode::hud(HudKind::Voice)).height, 178);

    app->voice.state = VoiceState::Listening;
    app->voice.teaching.takes.emplace();
    EXPECT_EQ(shape_of(*app, IslandMode::hud(HudKind::Voice)).width, 420);
    app->voice.teaching.retries = 1;
    EXPECT_EQ(shape_of(*app, IslandMode::hud(HudKind::Voice)).width, 500);
}

TEST(IslandSize, WithoutARendererMeasuredWidthsFallToTheirMinimum) {
    AppInit init;
    init.quiet = true;
    App app(std::move(init));
    app.notices.title = std::string(200, 'y');
    EXPECT_EQ(shape_of(app, IslandMode::hud(HudKind::Notice)).width, 300);
}

TEST(Animating, ByModeAndPage) {
    auto app = measuring_app();
    app->island.mode = IslandMode::idle();
    EXPECT_FALSE(app->is_animating());
    app->island.mode = IslandMode::hud(HudKind::Notice);
    EXPECT_TRUE(app->is_animating());
    app->anim.visibility.value = 0.005f;
    EXPECT_FALSE(app->is_animating()) << "a hidden island never animates";
    app->anim.visibility.value = 1;

    app->island.mode = IslandMode::open(Page::Time);
    app->timers.stopwatch.running = true;
    EXPECT_FALSE(app->is_animating()) << "the countdown tab shows no running stopwatch";
    app->timers.mode = 1;
    EXPECT_TRUE(app->is_animating());

    app->island.mode = IslandMode::open(Page::Notes);
    EXPECT_FALSE(app->is_animating());
    app->island.focus = TextField::Note;
    EXPECT_TRUE(app->is_animating()) << "a focused field blinks its caret";
    app->anim.glow_strength.value = 0.5f;
    app->island.mode = IslandMode::act(ActKind::Timer);
    EXPECT_TRUE(app->is_animating()) << "the glow pulses";
}
