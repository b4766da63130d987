#include <gtest/gtest.h>

#include "app.h"
#include "app_fixture.h"
#include "gfx_record.h"
#include "island_user_support.h"
#include "test_support.h"
#include "ui_frame.h"
#include "ui_island.h"
#include "ui_widgets.h"

namespace {

struct Frame {
    RecordingRenderer* rec = nullptr;
    std::unique_ptr<App> app;
    explicit Frame(bool quiet = true) {
        auto r = std::make_unique<RecordingRenderer>(1.0f);
        (void)r->resize_dib(900, 470, 1.0f);
        rec = r.get();
        app = make_test_app(quiet, std::move(r));
        app->drawing.full_present = false;
    }
};

}  // namespace

TEST(IslandFrame, RestingPillGeometryAndDirtyRectangle) {
    Frame f;
    FrameGeometry g = frame_geometry(*f.app);
    EXPECT_FLOAT_EQ(g.w, 126);
    EXPECT_FLOAT_EQ(g.h, 34);
    EXPECT_FLOAT_EQ(g.x, 387);
    EXPECT_FLOAT_EQ(g.r, 17);
    RectI d = frame_dirty_rect(*f.app, g, 1.0f, 900, 470);
    EXPECT_EQ(d, (RectI{384, 5, 516, 45})) << "3 px margin around a calm pill";
    f.app->anim.glow_strength.value = 0.5f;
    EXPECT_EQ(frame_dirty_rect(*f.app, g, 1.0f, 900, 470), (RectI{365, 0, 535, 64}));
    f.app->sysmon.snap.mic_users = {"Zoom"};
    EXPECT_EQ(frame_dirty_rect(*f.app, g, 1.0f, 900, 470).right, 593) << "room for the privacy dots";
}

TEST(IslandFrame, DirtyRectangleScalesAndClampsToTheBitmap) {
    Frame f;
    f.app->anim.width.value = 2000;
    FrameGeometry g = frame_geometry(*f.app);
    RectI d = frame_dirty_rect(*f.app, g, 1.12f, 1008, 526);
    EXPECT_EQ(d.left, 0);
    EXPECT_EQ(d.right, 1008);
    EXPECT_EQ(unite_pixels(RectI{}, RectI{1, 2, 3, 4}), (RectI{1, 2, 3, 4}));
    EXPECT_EQ(unite_pixels(RectI{0, 0, 5, 5}, RectI{3, 3, 9, 9}), (RectI{0, 0, 9, 9}));
}

TEST(IslandFrame, DrawsThePillAndRecordsOneFrame) {
    Frame f;
    f.app->render();
    EXPECT_EQ(f.rec->frames, 1);
    EXPECT_FALSE(f.app->drawing.redraw);
    bool pill = false;
    for (const auto& c : f.rec->calls)
        if (c.op == DrawOp::FillRoundedRect && c.rect.w == 126 && c.rect.h == 34 && c.color.r == 0 && c.color.a == 1)
            pill = true;
    EXPECT_TRUE(pill);
}

TEST(IslandFrame, HiddenIslandCostsOneTransparentFrameThenNothing) {
    Frame f;
    f.app->anim.visibility = Spring::make(0, 385.53f, 39.27f, 0.002f);
    f.app->render();
    EXPECT_EQ(f.rec->frames, 1);
    EXPECT_TRUE(f.rec->calls.empty()) << "an empty, transparent frame";
    f.app->render();
    f.app->render();
    EXPECT_EQ(f.rec->frames, 1);
    f.app->anim.visibility.target = 1;
    f.app->render();
    EXPECT_EQ(f.rec->frames, 2) << "a visible island draws again";
}

TEST(IslandFrame, BubbleNeckAndHitRegionFollowTheExtension) {
    struct Case { float e; bool neck; bool hit; };
    const Case cases[] = {{0.5f, true, false}, {0.7f, true, true}, {0.85f, false, true}, {1.0f, false, true}};
    for (const auto& c : cases) {
        Frame f;
        f.app->anim.bubble.value = c.e;
        f.app->island.bubble_act = static_cast<uint8_t>(ActKind::Timer);
        f.app->render();
        FrameGeometry g = frame_geometry(*f.app);
        bool neck = false;
        for (const auto& call : f.rec->calls)
            if (call.op == DrawOp::FillRoundedRect && call.rect.h > 0 && call.rect.h < g.h && call.rect.y > 8)
                neck = true;
        EXPECT_EQ(neck, c.neck) << c.e;
        bool hit = !f.app->drawing.hits.empty() && f.app->drawing.hits.back().action.kind == ActionKind::Bubble;
        EXPECT_EQ(hit, c.hit) << c.e;
    }
}

TEST(IslandFrame, FailedEndFrameRedrawsTheWholeBitmapNextTime) {
    Frame f;
    f.rec->simulate_end_draw_error(static_cast<int32_t>(0x80004005u));
    f.app->render();
    EXPECT_TRUE(f.app->drawing.redraw);
    EXPECT_EQ(f.app->drawing.last_presented, (RectI{0, 0, 900, 470}));
}

// ---- The open island as a user reaches it -------------------------------------------------------

namespace {

struct UserFrame : ::testing::Test {
    ScopedDataDir data;
    RecordingRenderer* rec = nullptr;
    std::unique_ptr<App> app;

    void SetUp() override {
        AppFixture::reset_fake_machine();
        auto r = std::make_unique<RecordingRenderer>(1.0f);
        (void)r->resize_dib(900, 470, 1.0f);
        rec = r.get();
        app = make_test_app(true, std::move(r));
    }
    void TearDown() override { AppFixture::reset_fake_machine(); }

    // The header title the open island shows for its current page.
    std::string title() const {
        return app->island.page == Page::Home ? greeting_for_hour(island_local_time(*app).hour) : page_title(app->island.page);
    }
    int drawn(const std::string& text) const {
        int n = 0;
        for (const DrawCall& c : rec->calls)
            if (c.op == DrawOp::Text && c.text == text && c.size == 18 && c.family == FontFamily::Display) ++n;
        return n;
    }
    int dock_regions() const {
        int n = 0;
        for (const HitRegion& h : app->drawing.hits)
            if (h.action.kind == ActionKind::Dock) ++n;
        return n;
    }
    // One more frame of the state reached, drawn through App::render.
    void redraw_now() {
        app->drawing.redraw = true;
        app->tick(island_user::kFrame);
    }
};

}  // namespace

TEST_F(UserFrame, OpenIslandShowsItsHeaderAndOneDockOnEveryPage) {
    island_user::open_by_click(*app);
    ASSERT_TRUE(app->island.open);
    for (int i = 0; i < kPageCount; ++i) {
        const Page p = page_at(i);
        SCOPED_TRACE(page_key(p));
        ASSERT_TRUE(island_user::open_on_page(*app, p));
        redraw_now();
        EXPECT_EQ(drawn(title()), 1) << "the page title in the header";
        EXPECT_EQ(dock_regions(), kPageCount) << "one dock";
    }
}

TEST_F(UserFrame, PageChangeDrawsTheHeaderOnceAndKeepsOneDock) {
    island_user::open_by_click(*app);
    ASSERT_TRUE(app->island.open);
    ASSERT_EQ(app->island.page, Page::Home);
    const std::string home_title = title();
    ASSERT_TRUE(island_user::click_action(*app, Action::byte(ActionKind::Dock, static_cast<uint8_t>(Page::Time))));
    EXPECT_EQ(app->island.page, Page::Time) << "the dock icon of the time page";

    // Halfway: the home page still fades out while the time page slides in.
    island_user::frames(*app, 5);
    ASSERT_TRUE(app->island.prev_mode.is_open() && app->island.mode.is_open());
    ASSERT_LT(app->now - app->island.mode_changed, 0.13) << "the previous page is still drawn";
    EXPECT_EQ(drawn(title()), 1);
    EXPECT_EQ(drawn(home_title), 0) << "the header does not slide out with the old page";
    EXPECT_EQ(dock_regions(), kPageCount);

    island_user::settle(*app);
    redraw_now();
    EXPECT_EQ(drawn(title()), 1);
    EXPECT_EQ(dock_regions(), kPageCount);
}

// ---- The idle island -------------------------------------------------------------------------------

#ifndef _WIN32
// A closed island with nothing going on, driven as the host drives it: a device
// poll every 150 ms, the power step every second. It draws once when the
// minute changes and at no other time, and every wait is left to the host's
// timers.
TEST(IdleIsland, DrawsOnlyWhenTheMinuteChanges) {
    ScopedDataDir data;
    AppFixture::reset_fake_machine();
    fake_desktop().language = "TR";
    fake_audio().output = FakeAudioDevice{0.5f, false};
    fake_audio().mic = FakeAudioDevice{0.8f, false};
    Frame f;
    App& a = *f.app;
    a.wall_clock.unix_seconds = 1700000000;
    a.wall_clock.minute_of_day = 600;
    a.watch_hud_sources();
    a.check_power_and_brief(false, true);
    island_user::settle(a);

    // 30 s in 150 ms steps; the host also reads the power status now and then.
    auto idle_for = [&](int polls) {
        bool all_left_to_timers = true;
        for (int i = 1; i <= polls; ++i) {
            a.watch_hud_sources();
            if (i % 7 == 0) a.check_power_and_brief(false, i % 200 == 0);
            App::TickResult r = a.tick(0.15f);
            all_left_to_timers = all_left_to_timers && r.wait.left_to_timers();
        }
        return all_left_to_timers;
    };
    int before = f.rec->frames;
    EXPECT_TRUE(idle_for(200));
    EXPECT_EQ(f.rec->frames, before) << "nothing changed, nothing drawn";

    a.wall_clock.minute_of_day = 601;
    a.wall_clock.unix_seconds = 1700000060;
    EXPECT_TRUE(idle_for(200));
    EXPECT_EQ(f.rec->frames, before + 1) << "one frame for the new minute";

    // A drawn value that changes is a frame as well: Caps Lock.
    fake_desktop().caps_lock = true;
    idle_for(1);
    EXPECT_GT(f.rec->frames, before + 1);
    AppFixture::reset_fake_machine();
}
#endif

TEST(FrameWait, OnlyAWaitOfASecondOrMoreIsLeftToTheTimers) {
    struct Case {
        FrameWait wait;
        bool left;
    };
    const Case cases[] = {{FrameWait::wait_ms(1000), true}, {FrameWait::wait_ms(2000), true},
                          {FrameWait::wait_ms(999), false}, {FrameWait::wait_ms(5), false},
                          {FrameWait::idle(), false},       {FrameWait::animate(), false}};
    for (const Case& c : cases) EXPECT_EQ(c.wait.left_to_timers(), c.left) << int(c.wait.tag) << " " << c.wait.ms;
}
