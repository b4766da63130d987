#include <gtest/gtest.h>

#include "app.h"
#include "app_fixture.h"
#include "app_time.h"

namespace {

std::unique_ptr<App> quiet_app() { return make_test_app(true); }

}  // namespace

TEST(Countdown, AdjustKeepsTheBoundsAndGrowsARunningLength) {
    struct Case {
        const char* name;
        bool running;
        double length, left;  // left: remaining when stopped, end − now when running
        double delta;
        double want_left, want_length;
    };
    const Case cases[] = {
        {"stopped near the top", false, 21590, 21590, +60, 21600, 21600},
        {"stopped 90 down", false, 90, 90, -60, 60, 60},
        {"stopped at the floor", false, 60, 60, -60, 60, 60},
        {"stopped part-way below the floor", false, 300, 20, -60, 60, 60},
        {"running 30 left, down", true, 300, 30, -60, 0, 300},
        {"running 290 of 300, up", true, 300, 290, +60, 350, 350},
        {"running at the top, up", true, 21600, 21590, +60, 21600, 21600},
    };
    const double now = 1000;
    for (const Case& c : cases) {
        Countdown cd;
        cd.length = c.length;
        cd.running = c.running;
        if (c.running)
            cd.end = now + c.left;
        else
            cd.remaining = c.left;
        countdown_adjust(cd, c.delta, now);
        EXPECT_DOUBLE_EQ(countdown_left(cd, now), c.want_left) << c.name;
        EXPECT_DOUBLE_EQ(cd.length, c.want_length) << c.name;
        EXPECT_EQ(cd.running, c.running) << c.name;
    }
}

TEST(Countdown, TimePageActionsStartPauseAndRestart) {
    auto app = quiet_app();
    app->now = 50;
    app->timers.countdown.length = 300;
    app->timers.countdown.remaining = 0.4;  // finished: a start begins again from the full length
    ASSERT_TRUE(app->act_time(Action::of(ActionKind::TToggle)));
    EXPECT_TRUE(app->timers.countdown.running);
    EXPECT_DOUBLE_EQ(app->timers.countdown.end, 350);

    app->now = 100;
    app->act_time(Action::of(ActionKind::TToggle));
    EXPECT_FALSE(app->timers.countdown.running);
    EXPECT_DOUBLE_EQ(app->timers.countdown.remaining, 250);

    app->act_time(Action::byte(ActionKind::Preset, 3));  // 10 minutes, paused: length and remainder
    EXPECT_DOUBLE_EQ(app->timers.countdown.length, 600);
    EXPECT_DOUBLE_EQ(app->timers.countdown.remaining, 600);
    EXPECT_FALSE(app->timers.countdown.running);

    app->act_time(Action::of(ActionKind::TToggle));
    app->now = 130;
    app->act_time(Action::byte(ActionKind::Preset, 0));  // running: restarts from the new length
    EXPECT_DOUBLE_EQ(app->timers.countdown.end, 190);

    app->act_time(Action::of(ActionKind::TReset));
    EXPECT_FALSE(app->timers.countdown.running);
    EXPECT_DOUBLE_EQ(app->timers.countdown.remaining, 60);

    EXPECT_FALSE(app->act_time(Action::of(ActionKind::Play))) << "not a time-page action";
}

TEST(Countdown, SnoozeRunsOneMinuteWhateverTheLength) {
    auto app = quiet_app();
    app->now = 10;
    app->timers.countdown.length = 1500;
    app->timers.countdown.remaining = 0;
    app->notices.kind = HudKind::TimerDone;
    app->notices.shown = true;
    app->act_time(Action::of(ActionKind::Snooze));
    EXPECT_FALSE(app->notices.shown);
    EXPECT_TRUE(app->timers.countdown.running);
    EXPECT_DOUBLE_EQ(app->timers.countdown.length, 60);
    EXPECT_DOUBLE_EQ(app->timers.countdown.end, 70);
}

TEST(Stopwatch, LapsAreNewestFirstAndAtMostTwenty) {
    auto app = quiet_app();
    app->timers.mode = 1;
    app->act_time(Action::of(ActionKind::Lap));
    EXPECT_TRUE(app->timers.stopwatch.laps.empty()) << "no lap while stopped";

    app->act_time(Action::of(ActionKind::TToggle));
    for (int i = 1; i <= 21; ++i) {
        app->now = i;
        app->act_time(Action::of(ActionKind::Lap));
    }
    ASSERT_EQ(app->timers.stopwatch.laps.size(), 20u);
    EXPECT_DOUBLE_EQ(app->timers.stopwatch.laps.front(), 21);
    EXPECT_DOUBLE_EQ(app->timers.stopwatch.laps.back(), 2) << "the oldest lap went";

    app->now = 30;
    app->act_time(Action::of(ActionKind::TToggle));  // pause keeps the time
    EXPECT_DOUBLE_EQ(stopwatch_elapsed(app->timers.stopwatch, 99), 30);
    app->now = 40;
    app->act_time(Action::of(ActionKind::TToggle));
    EXPECT_DOUBLE_EQ(stopwatch_elapsed(app->timers.stopwatch, 45), 35);

    app->act_time(Action::of(ActionKind::TReset));
    EXPECT_TRUE(app->timers.stopwatch.laps.empty());
    EXPECT_FALSE(app->timers.stopwatch.running);
    EXPECT_DOUBLE_EQ(app->timers.stopwatch.accumulated, 0);
}

TEST(Pomodoro, EveryFourthFocusRunEarnsTheLongBreak) {
    Pomodoro p;
    p.running = true;
    double now = 0;
    std::vector<double> breaks;
    for (int run = 0; run < 8; ++run) {
        ASSERT_EQ(p.phase, PomoPhase::Focus);
        pomodoro_next_phase(p, now);
        breaks.push_back(p.remaining);
        EXPECT_DOUBLE_EQ(p.end, now + p.remaining) << "a running pomodoro starts the break at once";
        pomodoro_next_phase(p, now);
        EXPECT_DOUBLE_EQ(p.remaining, 1500);
    }
    EXPECT_EQ(breaks, (std::vector<double>{300, 300, 300, 900, 300, 300, 300, 900}));
    EXPECT_EQ(p.completed, 8u);

    Pomodoro stopped;
    pomodoro_next_phase(stopped, 100);
    EXPECT_EQ(stopped.phase, PomoPhase::ShortBreak);
    EXPECT_DOUBLE_EQ(stopped.end, 0) << "a stopped pomodoro waits with the full break";
}

TEST(Pomodoro, FocusLengthChangesOnlyTheStoredMinutesOutsideAStoppedFocus) {
    auto app = quiet_app();
    app->timers.mode = 2;
    app->act_time(Action::byte(ActionKind::PomoLen, 2));  // stopped focus: the remainder follows
    EXPECT_EQ(app->timers.pomo.minutes, 50u);
    EXPECT_DOUBLE_EQ(app->timers.pomo.remaining, 3000);

    app->act_time(Action::of(ActionKind::TToggle));
    double end = app->timers.pomo.end;
    app->act_time(Action::byte(ActionKind::PomoLen, 3));  // 3 mod 3 = 0: 15 minutes
    EXPECT_EQ(app->timers.pomo.minutes, 15u);
    EXPECT_DOUBLE_EQ(app->timers.pomo.end, end) << "the running phase keeps its end";

    app->act_time(Action::of(ActionKind::TToggle));
    app->act_time(Action::of(ActionKind::PomoSkip));  // into a break
    app->act_time(Action::byte(ActionKind::PomoLen, 1));
    EXPECT_DOUBLE_EQ(app->timers.pomo.remaining, 300) << "a break keeps its length";

    app->act_time(Action::of(ActionKind::TReset));
    EXPECT_EQ(app->timers.pomo.phase, PomoPhase::Focus);
    EXPECT_EQ(app->timers.pomo.completed, 0u);
    EXPECT_DOUBLE_EQ(app->timers.pomo.remaining, 1500);
}

TEST(LiveActivities, ListedInPriorityOrderWithTheirPausedRules) {
    auto app = quiet_app();
    app->now = 100;
    EXPECT_EQ(app->live_activities().count, 0) << "fresh clocks are not live";

    app->timers.stopwatch.accumulated = 3;
    app->timers.pomo.remaining = 1499;  // paused part-way
    app->timers.countdown.remaining = 299.6;  // within half a second of the full length: not paused part-way
    auto acts = app->live_activities();
    ASSERT_EQ(acts.count, 2);
    EXPECT_EQ(acts.kinds[0], ActKind::Pomo);
    EXPECT_EQ(acts.kinds[1], ActKind::Watch);

    app->timers.countdown.remaining = 200;
    app->media.snap.has = true;
    app->media.changed = 80;  // paused 20 s ago: still live
    app->steam.snap.playing = SteamPlaying{};
    acts = app->live_activities();
    ASSERT_EQ(acts.count, 5);
    EXPECT_EQ(acts.kinds[0], ActKind::Music);
    EXPECT_EQ(acts.kinds[1], ActKind::Game);
    EXPECT_EQ(acts.kinds[2], ActKind::Timer);
    EXPECT_TRUE(acts.has(ActKind::Watch));
    EXPECT_FALSE(acts.has(ActKind::Steam));

    app->now = 106;  // 26 s after the change
    EXPECT_FALSE(app->live_activities().has(ActKind::Music));
}
