#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "app.h"
#include "sys_audio.h"
#include "sys_desktop.h"
#include "sys_os.h"
#include "app_fixture.h"
#include "test_support.h"

namespace {

constexpr int64_t kUnixNow = 1700000000;
constexpr float kFrame = 1.0f / 60.0f;

// An App on a fresh data folder with both wall clocks pinned.
struct Tick : AppFixture {
    App& make(bool quiet) {
        App& a = AppFixture::make(quiet);
        a.wall_clock.unix_seconds = kUnixNow;
        a.wall_clock.minute_of_day = 600;
        return a;
    }
    // Runs frames until a mode change has fully settled.
    static App::TickResult settle(App& a) {
        App::TickResult r;
        for (int i = 0; i < 600; ++i) {
            r = a.tick(kFrame);
            if (r.wait.tag == FrameWait::WaitMs) break;
        }
        return r;
    }
};

uint32_t wait_ms(const App::TickResult& r) { return r.wait.tag == FrameWait::WaitMs ? r.wait.ms : 0; }

}  // namespace

TEST_F(Tick, ClockAdvancesAndDueEffectsComeBackInQueueOrder) {
    App& a = make(true);
    a.effects.pending.push_back({1.0, effect::ShowDesktop{}});
    a.effects.pending.push_back({0.5, effect::LockWorkstation{}});
    a.effects.pending.push_back({2.0, effect::MonitorOff{}});
    auto r = a.tick(1.0f);
    EXPECT_DOUBLE_EQ(a.now, 1.0);
    ASSERT_EQ(r.effects.size(), 2u);
    EXPECT_TRUE(std::holds_alternative<effect::ShowDesktop>(r.effects[0]));
    EXPECT_TRUE(std::holds_alternative<effect::LockWorkstation>(r.effects[1]));
    ASSERT_EQ(a.effects.pending.size(), 1u);
    EXPECT_TRUE(std::holds_alternative<effect::MonitorOff>(a.effects.pending[0].effect));
}

TEST_F(Tick, IdleIslandWaitsWithinBoundsInsteadOfDrawing) {
    App& a = make(true);
    auto r = a.tick(kFrame);
    EXPECT_FALSE(a.drawing.redraw) << "the first frame is drawn";
    r = a.tick(kFrame);
    ASSERT_EQ(r.wait.tag, FrameWait::WaitMs);
    EXPECT_EQ(r.wait.ms, 1000u);

    a.effects.pending.push_back({a.now + 0.25, effect::ShowDesktop{}});
    EXPECT_EQ(wait_ms(a.tick(0)), 250u);
    a.effects.pending.clear();

    a.lists.reminders.push_back({"Uzak", kUnixNow + 1000, 1});
    EXPECT_EQ(wait_ms(a.tick(0)), 1000u);
    a.lists.reminders.clear();

    // Hidden by a full-screen program: the loop may sleep 2 s.
    a.island.fullscreen_front = true;
    settle(a);
    EXPECT_LT(a.anim.visibility.value, 0.004f);
    r = a.tick(kFrame);
    ASSERT_EQ(r.wait.tag, FrameWait::WaitMs);
    EXPECT_EQ(r.wait.ms, 2000u);
}

TEST_F(Tick, RunningCountdownWakesAtTheNextWholeSecond) {
    App& a = make(true);
    a.settings.glow = false;  // a glowing island keeps asking for frames
    a.timers.countdown.running = true;
    a.timers.countdown.end = 100;
    auto r = settle(a);
    ASSERT_EQ(r.wait.tag, FrameWait::WaitMs);
    EXPECT_EQ(a.island.mode, IslandMode::act(ActKind::Timer));

    a.timers.countdown.end = a.now + 12.3;
    r = a.tick(0);
    ASSERT_EQ(r.wait.tag, FrameWait::WaitMs);
    EXPECT_NEAR(static_cast<double>(r.wait.ms), 305, 1);
    EXPECT_GE(r.wait.ms, 5u);
    EXPECT_LE(r.wait.ms, 2000u);

    a.effects.pending.push_back({a.now + 0.001, effect::ShowDesktop{}});
    EXPECT_EQ(wait_ms(a.tick(0)), 5u) << "clamped to at least 5 ms";
}

TEST_F(Tick, CountdownEndClosesTheIslandAndAnUnansweredAlarmResetsIt) {
    App& a = make(false);
    a.island.open = true;
    a.island.page = Page::Time;
    a.island.focus = TextField::Search;
    a.timers.countdown.length = 300;
    a.timers.countdown.running = true;
    a.timers.countdown.end = 1.0;
    a.tick(1.01f);
    EXPECT_FALSE(a.island.open);
    EXPECT_FALSE(a.timers.countdown.running);
    EXPECT_DOUBLE_EQ(a.timers.countdown.remaining, 0);
    ASSERT_TRUE(a.notices.shown);
    EXPECT_EQ(a.notices.kind, HudKind::TimerDone);
    EXPECT_NEAR(a.notices.until, a.now + 60, 1e-9);
    ASSERT_FALSE(a.effects.pending.empty());
    EXPECT_TRUE(std::holds_alternative<effect::RestoreFocus>(a.effects.pending[0].effect));
    EXPECT_NE(read_file(state_path()).value_or(""), "") << "closing wrote state.txt";
#ifndef _WIN32
    EXPECT_TRUE(fake_audio().alarm_looping);
#endif

    a.tick(60.0f);
    EXPECT_FALSE(a.notices.shown);
    EXPECT_DOUBLE_EQ(a.timers.countdown.remaining, 300);
    EXPECT_FALSE(a.timers.countdown.running);
#ifndef _WIN32
    EXPECT_FALSE(fake_audio().alarm_looping);
#endif
}

// However TimerDone leaves the screen, the alarm stops and the countdown is ready again.
TEST_F(Tick, FinishedCountdownAlarmEndsWhenTimerDoneLeavesByAnyPath) {
    struct Case {
        const char* name;
        std::function<void(App&)> replace;
    };
    const Case cases[] = {
        {"show_info", [](App& a) { a.show_info("Google", "bağlantı yok"); }},
        {"voice", [](App& a) { a.start_voice(); }},
        {"click",
         [](App& a) {
             a.on_pointer_down(450, 30);
             a.on_click(450, 30);
         }},
        {"expired", [](App& a) { a.tick(61.0f); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reset_fake_machine();
        App& a = make(false);
        a.google.snap.signed_in = true;
        a.timers.countdown.length = 300;
        a.timers.countdown.running = true;
        a.timers.countdown.end = 1.0;
        a.tick(1.01f);
        a.tick(kFrame);  // the island draws TimerDone, so a click finds it
        ASSERT_TRUE(a.notices.shown && a.notices.kind == HudKind::TimerDone);
        ASSERT_TRUE(a.timers.countdown.ringing);
#ifndef _WIN32
        ASSERT_TRUE(fake_audio().alarm_looping);
#endif
        c.replace(a);
        a.tick(kFrame);
        EXPECT_FALSE(a.notices.shown && a.notices.kind == HudKind::TimerDone);
        EXPECT_FALSE(a.timers.countdown.ringing);
        EXPECT_FALSE(a.timers.countdown.running);
        EXPECT_DOUBLE_EQ(a.timers.countdown.remaining, 300);
#ifndef _WIN32
        EXPECT_FALSE(fake_audio().alarm_looping);
#endif
    }
}

TEST_F(Tick, PomodoroPhaseEndsShowTheirTexts) {
    App& a = make(false);
    struct Case { PomoPhase phase; uint32_t completed; const char* title; const char* body; PomoPhase next; };
    const Case cases[] = {
        {PomoPhase::Focus, 0, "Mola zamanı!", "Kısa mola · 5 dk", PomoPhase::ShortBreak},
        {PomoPhase::Focus, 3, "Mola zamanı!", "Uzun mola · 15 dk", PomoPhase::LongBreak},
        {PomoPhase::Focus, 7, "Mola zamanı!", "Uzun mola · 15 dk", PomoPhase::LongBreak},
        {PomoPhase::ShortBreak, 1, "Odaklanma zamanı", "25 dk odak · 2. tur", PomoPhase::Focus},
        {PomoPhase::LongBreak, 4, "Odaklanma zamanı", "25 dk odak · 5. tur", PomoPhase::Focus},
    };
    for (const Case& c : cases) {
        a.notices.shown = false;
        a.island.open = true;
        a.timers.pomo.phase = c.phase;
        a.timers.pomo.completed = c.completed;
        a.timers.pomo.running = true;
        a.timers.pomo.end = a.now + 0.01;
        a.tick(0.02f);
        EXPECT_FALSE(a.island.open) << c.body;
        EXPECT_EQ(a.timers.pomo.phase, c.next) << c.body;
        EXPECT_NEAR(a.timers.pomo.end - a.now, a.timers.pomo.remaining, 1e-6) << "the next phase starts at once";
        ASSERT_TRUE(a.notices.shown) << c.body;
        EXPECT_EQ(a.notices.kind, HudKind::Pomo);
        EXPECT_NEAR(a.notices.until - a.now, 5.0, 1e-9);
        EXPECT_EQ(a.notices.title, c.title);
        EXPECT_EQ(a.notices.body, c.body);
    }
}

TEST_F(Tick, BreakEndingUnderAToastClosesButShowsNoPomoNotice) {
    App& a = make(false);
    AppNotification n;
    n.title = "Yeni ileti";
    a.push_toast(n);
    ASSERT_EQ(a.notices.kind, HudKind::Toast);
#ifndef _WIN32
    int sounds = fake_audio().notify_sounds;
#endif
    a.island.open = true;
    a.timers.pomo.phase = PomoPhase::ShortBreak;
    a.timers.pomo.running = true;
    a.timers.pomo.end = a.now + 0.01;
    a.tick(0.02f);
    EXPECT_EQ(a.timers.pomo.phase, PomoPhase::Focus);
    EXPECT_FALSE(a.island.open);
    EXPECT_EQ(a.notices.kind, HudKind::Toast);
    EXPECT_EQ(a.notifs.toast->title, "Yeni ileti");
#ifndef _WIN32
    EXPECT_EQ(fake_audio().notify_sounds, sounds + 1);
#endif
}

TEST_F(Tick, DueRemindersFireOnePerTick) {
    App& a = make(false);
    a.lists.reminders.push_back({"Çay demle", kUnixNow - 5, 1});
    a.lists.reminders.push_back({"Toplantı", kUnixNow - 5, 2});
    a.lists.reminders.push_back({"Sonra", kUnixNow + 60, 3});
    a.save_state();
    ASSERT_NE(read_file(state_path()).value_or("").find("rem="), std::string::npos);

    a.tick(kFrame);
    ASSERT_EQ(a.lists.reminders.size(), 2u);
    EXPECT_EQ(a.notices.kind, HudKind::Notice);
    EXPECT_EQ(a.notices.title, "Hatırlatma");
    EXPECT_EQ(a.notices.body, "Çay demle");
    std::string state = read_file(state_path()).value_or("");
    EXPECT_EQ(state.find("Çay demle"), std::string::npos);
    EXPECT_NE(state.find("rem=1699999995|Toplantı"), std::string::npos);

    a.tick(kFrame);
    ASSERT_EQ(a.lists.reminders.size(), 1u);
    ASSERT_EQ(a.notices.queue.size(), 1u) << "the second waits behind the first Notice";
    EXPECT_EQ(a.notices.queue.front().second, "Toplantı");

    a.tick(kFrame);
    EXPECT_EQ(a.lists.reminders.size(), 1u) << "not due yet";
    a.wall_clock.unix_seconds = kUnixNow + 60;
    a.tick(kFrame);
    EXPECT_TRUE(a.lists.reminders.empty());
}

TEST_F(Tick, HoldingTheClosedIslandStartsVoiceAfterMoreThan055Seconds) {
    App& a = make(true);
    a.google.snap.signed_in = true;
    a.pointer.held = true;
    a.anim.squash.target = 0.94f;
    a.voice.press = PressRecord{a.now - 0.55, 450, 20};
    a.tick(0);
    EXPECT_TRUE(a.voice.press.has_value()) << "0.55 s is not yet a hold";
    EXPECT_EQ(a.voice.state, VoiceState::Idle);

    a.voice.press->time = a.now - 0.56;
    a.tick(0);
    EXPECT_FALSE(a.voice.press.has_value());
    EXPECT_FALSE(a.pointer.held);
    EXPECT_FLOAT_EQ(a.anim.squash.target, 1.0f);
    EXPECT_EQ(a.voice.state, VoiceState::Listening);
    ASSERT_TRUE(a.voice.hold_talk_start.has_value());
    EXPECT_DOUBLE_EQ(*a.voice.hold_talk_start, a.now);
    EXPECT_EQ(a.notices.kind, HudKind::Voice);
}

TEST_F(Tick, HoverOpensOnlyAfterTheRestAndOnThePill) {
    App& a = make(true);
    a.settings.hover_open = true;
    a.pointer.inside = true;
    a.pointer.entered = a.now;
    a.pointer.x = 700;  // in the window, beside the pill
    a.pointer.y = 20;
    int waits = 0;
    for (int i = 0; i < 300; ++i) {
        auto r = a.tick(0.01f);
        ASSERT_FALSE(a.island.open);
        if (r.wait.tag == FrameWait::WaitMs) {
            EXPECT_LE(r.wait.ms, 50u);
            ++waits;
        }
    }
    EXPECT_GT(waits, 0);

    a.pointer.entered = a.now;  // back in, straight onto the pill
    a.pointer.x = 450;
    while (a.now - a.pointer.entered < 0.34) {
        a.tick(0.01f);
        ASSERT_FALSE(a.island.open);
    }
    a.tick(0.02f);
    EXPECT_TRUE(a.island.open);
    a.tick(0);
    EXPECT_EQ(a.island.mode, IslandMode::open(Page::Home));
}

TEST_F(Tick, ModeChangesTuneTheSizeSpringsAndSlideDirection) {
    App& a = make(true);
    a.island.open = true;
    a.island.page = Page::Home;
    a.tick(kFrame);
    double w = 2 * 3.14159265358979323846 / 0.52;
    EXPECT_NEAR(a.anim.width.stiffness, w * w, 0.01);
    EXPECT_NEAR(a.anim.height.damping, 1.44 * w, 0.001);
    EXPECT_EQ(a.island.prev_mode, IslandMode::idle());
    EXPECT_FLOAT_EQ(a.anim.width.target, 720);
    EXPECT_EQ(a.island.slide_dir, 0);

    a.island.page = Page::Notes;
    a.tick(kFrame);
    EXPECT_EQ(a.island.slide_dir, 1);
    a.island.page = Page::Media;
    a.tick(kFrame);
    EXPECT_EQ(a.island.slide_dir, -1);
    EXPECT_FLOAT_EQ(a.anim.height.target, 300);

    a.tick(0.6f);
    EXPECT_EQ(a.island.prev_mode, IslandMode::none()) << "forgotten half a second after the change";
}

TEST_F(Tick, SpringsSettleExactlyAndTheTickThenStopsAnimating) {
    App& a = make(true);
    a.island.open = true;
    auto r = a.tick(0.5f);  // one long frame: still integrated in small sub-steps
    EXPECT_EQ(r.wait.tag, FrameWait::Animate);
    EXPECT_TRUE(std::isfinite(a.anim.width.value));
    EXPECT_GT(a.anim.width.value, 126);
    EXPECT_LT(a.anim.width.value, 760);
    r = settle(a);
    ASSERT_EQ(r.wait.tag, FrameWait::WaitMs);
    EXPECT_EQ(a.anim.width.value, 720.0f);
    EXPECT_EQ(a.anim.width.velocity, 0.0f);
}

TEST_F(Tick, VisibilityFollowsFullScreenAndBrowserRules) {
    struct Case { const char* name; bool fs, browser, hide_fs, hide_chrome; int hud; float want; };
    const Case cases[] = {
        {"nothing in front", false, false, true, true, -1, 1},
        {"full-screen program", true, false, true, true, -1, 0},
        {"full-screen program, hide_fs off", true, false, false, true, -1, 1},
        {"full-screen program, Pomo up", true, false, true, true, static_cast<int>(HudKind::Pomo), 1},
        {"full-screen program, Volume up", true, false, true, true, static_cast<int>(HudKind::Volume), 0},
        {"browser", false, true, true, true, -1, 0},
        {"browser, Volume up", false, true, true, true, static_cast<int>(HudKind::Volume), 1},
        {"browser, hide_chrome off", false, true, true, false, -1, 1},
        {"full-screen browser", true, true, true, false, -1, 0},
    };
    for (const Case& c : cases) {
        App& a = make(true);
        a.island.fullscreen_front = c.fs;
        a.island.browser_front = c.browser;
        a.settings.hide_fs = c.hide_fs;
        a.settings.hide_chrome = c.hide_chrome;
        if (c.hud >= 0) a.show_hud(static_cast<HudKind>(c.hud), 10);
        a.tick(kFrame);
        EXPECT_EQ(a.anim.visibility.target, c.want) << c.name;
    }
}

TEST_F(Tick, GlowTakesTheActivityColour) {
    App& a = make(true);
    a.timers.countdown.running = true;
    a.timers.countdown.end = 500;
    a.tick(kFrame);
    EXPECT_EQ(a.anim.glow_strength.target, 1.0f);
    EXPECT_FLOAT_EQ(a.anim.glow_color.r, 1.0f);
    EXPECT_FLOAT_EQ(a.anim.glow_color.g, 159 / 255.0f) << "orange, jumped to while the glow was off";

    a.settings.glow = false;
    a.tick(kFrame);
    EXPECT_EQ(a.anim.glow_strength.target, 0.0f);
}

TEST_F(Tick, SecondActivityBecomesTheSideBubble) {
    App& a = make(true);
    a.timers.countdown.running = true;
    a.timers.countdown.end = 500;
    a.timers.stopwatch.running = true;
    a.tick(kFrame);
    EXPECT_EQ(a.island.mode, IslandMode::act(ActKind::Timer));
    EXPECT_EQ(a.island.bubble_act, static_cast<uint8_t>(ActKind::Watch));
    EXPECT_EQ(a.anim.bubble.target, 1.0f);
    EXPECT_FLOAT_EQ(a.anim.bubble.stiffness, 503.55f);
}

TEST_F(Tick, FinishedVoiceRecordingGoesToTheAssistant) {
    App& a = make(true);
    auto [tx, rx] = channel<GoogleCommand>();
    a.google.tx = tx;
    auto [ui, producer] = MicCapture::new_pair();
    producer.cells->samples.with([](std::vector<int16_t>& s) { s.assign(8000, 7); });
    producer.set_level(0.6f);
    producer.cells->done.store(true);
    a.voice.state = VoiceState::Listening;
    a.voice.capture = ui;

    a.tick(kFrame);
    EXPECT_FLOAT_EQ(a.voice.level_history.back(), 0.6f);
    EXPECT_FALSE(a.voice.capture.has_value());
    EXPECT_EQ(a.voice.state, VoiceState::Thinking);
    EXPECT_EQ(a.notices.kind, HudKind::Voice) << "kept up while the answer is awaited";
    auto cmd = rx.try_recv();
    ASSERT_TRUE(cmd.has_value());
    ASSERT_TRUE(std::holds_alternative<gcmd::AskVoice>(*cmd));
    EXPECT_EQ(std::get<gcmd::AskVoice>(*cmd).wav.size(), 44u + 16000u);
    auto shared = a.google.shared.snapshot();
    ASSERT_TRUE(shared.has_value());
    EXPECT_EQ(shared->context, " Ses düzeyi %0.");
}

TEST_F(Tick, FailedVoiceRecordingExplainsItself) {
    App& a = make(true);
    auto [ui, producer] = MicCapture::new_pair();
    producer.cells->error.with([](std::optional<std::string>& e) { e = "ses duyulmadı"; });
    producer.cells->done.store(true);
    a.voice.state = VoiceState::Listening;
    a.voice.capture = ui;
    a.show_hud(HudKind::Voice);

    a.tick(kFrame);
    EXPECT_EQ(a.voice.state, VoiceState::Idle);
    EXPECT_FALSE(a.voice.capture.has_value());
    EXPECT_EQ(a.notices.kind, HudKind::Info);
    EXPECT_EQ(a.notices.title, "Dinleme: ses duyulmadı");
    EXPECT_EQ(a.notices.body, "Adaya basılı tut");
}

TEST_F(Tick, AnswerStateEndsWhenItsNoticeIsGone) {
    App& a = make(true);
    a.voice.state = VoiceState::Answer;
    a.tick(kFrame);
    EXPECT_EQ(a.voice.state, VoiceState::Idle);
    EXPECT_FALSE(a.notices.shown);
}

TEST_F(Tick, MicrophoneTestReportsItsPeakAndResult) {
    App& a = make(true);
    auto [ui, producer] = MicCapture::new_pair();
    a.voice.mic_test = ui;
    producer.set_level(0.42f);
    a.tick(kFrame);
    EXPECT_FLOAT_EQ(a.voice.mic_test_peak, 0.42f);
    producer.set_level(std::nanf(""));
    a.tick(kFrame);
    EXPECT_FLOAT_EQ(a.voice.mic_test_peak, 0.42f) << "an undefined level keeps the peak";

    producer.cells->error.with([](std::optional<std::string>& e) { e = "mikrofon açılamadı (yok)"; });
    producer.cells->done.store(true);
    a.tick(kFrame);
    EXPECT_FALSE(a.voice.mic_test.has_value());
    EXPECT_EQ(a.notices.title, "Mikrofon: mikrofon açılamadı (yok)");
    EXPECT_EQ(a.notices.body, "Windows varsayılanı · başka mikrofon seç");

    auto [ui2, producer2] = MicCapture::new_pair();
    a.settings.mic = "USB Mic";
    a.voice.mic_test = ui2;
    producer2.cells->done.store(true);
    a.tick(kFrame);
    EXPECT_EQ(a.notices.title, "Mikrofon çalışıyor");
    EXPECT_EQ(a.notices.body, "USB Mic");
}

TEST_F(Tick, NotesFadeTowardTheirDoneState) {
    App& a = make(true);
    NoteItem done;
    done.text = "bitti";
    done.done = true;
    a.lists.notes.push_back(done);
    a.tick(0.1f);  // the step is capped at 5 × 0.05
    EXPECT_FLOAT_EQ(a.lists.notes[0].fade, 0.25f);
    for (int i = 0; i < 10; ++i) a.tick(0.1f);
    EXPECT_FLOAT_EQ(a.lists.notes[0].fade, 1.0f);
}

TEST_F(Tick, DisplayKeySummarisesTheShownTimes) {
    App& a = make(true);
    a.tick(0);
    EXPECT_EQ(a.island.display_key, 600);
    a.timers.countdown.running = true;
    a.timers.countdown.end = a.now + 12.3;
    a.timers.stopwatch.running = true;
    a.timers.stopwatch.start = a.now - 4.5;
    a.timers.pomo.remaining = 61.2;  // paused part-way
    a.tick(0);
    EXPECT_EQ(a.island.display_key, 600 + 10000 * 13 + 7 * 4 + int64_t{100000000} * 62);
    a.wall_clock.minute_of_day = 601;
    a.tick(0);
    EXPECT_EQ(a.island.display_key, 601 + 10000 * 13 + 7 * 4 + int64_t{100000000} * 62);
}

TEST_F(Tick, HiddenFromTheTrayShowsOnlyNoticesThatMustReachTheUser) {
    App& a = make(true);
    a.island.hidden = true;
    settle(a);
    EXPECT_LT(a.anim.visibility.value, 0.004f) << "the closed island hides";
    EXPECT_FALSE(a.hud_gate()) << "gated notices are not raised while hidden";
    AppNotification n;
    n.title = "Yeni ileti";
    a.push_toast(n);
    EXPECT_FALSE(a.notifs.toast.has_value());
    a.notify("Hatırlatma", "Çay");
    for (int i = 0; i < 60; ++i) a.tick(kFrame);
    EXPECT_TRUE(a.notices.shown);
    EXPECT_GT(a.anim.visibility.value, 0.99f) << "a reminder still shows";
}
