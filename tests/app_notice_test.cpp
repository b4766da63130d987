#include <gtest/gtest.h>

#include "app.h"
#include "sys_audio.h"
#include "sys_desktop.h"
#include "sys_log.h"
#include "sys_os.h"
#include "app_fixture.h"
#include "test_support.h"

namespace {

// A closed island on a fresh data folder; the native fake machine starts
// with no devices, the charger in and Caps Lock off.
struct Notices : AppFixture {
    static AppNotification toast(std::string title) {
        AppNotification n;
        n.app = std::string_view("Posta");
        n.title = std::move(title);
        return n;
    }
    // Ticks until the shown notice has ended (and the queue drain ran once).
    static void run_out_notice(App& a) { a.tick(static_cast<float>(a.notices.until - a.now) + 0.01f); }
};

}  // namespace

TEST_F(Notices, InfoReplacesAnyNoticeButOnlyChangesTextsWhileOpen) {
    App& a = make(true);
    a.show_hud(HudKind::Notice, 7);
    a.show_info("Başlık", "Gövde");
    EXPECT_EQ(a.notices.kind, HudKind::Info);
    EXPECT_DOUBLE_EQ(a.notices.until, a.now + 2.2);

    a.notices.shown = false;
    a.island.open = true;
    a.show_info("Açıkken", "metin");
    EXPECT_FALSE(a.notices.shown);
    EXPECT_EQ(a.notices.title, "Açıkken");
    EXPECT_EQ(a.notices.body, "metin");
}

TEST_F(Notices, BlockedNoticesQueueAndAppearInOrderBeforeToasts) {
    App& a = make(true);
    a.show_hud(HudKind::TimerDone, 60);
    a.push_toast(toast("bekleyen"));
    a.notify("bir", "1");
    a.notify("iki", "2");
    a.notify("üç", "3");
    EXPECT_EQ(a.notices.kind, HudKind::TimerDone);
    ASSERT_EQ(a.notices.queue.size(), 3u);
    ASSERT_EQ(a.notifs.toast_queue.size(), 1u);

    std::vector<std::string> seen;
    for (int i = 0; i < 4; ++i) {
        run_out_notice(a);
        ASSERT_TRUE(a.notices.shown);
        seen.push_back(a.notices.kind == HudKind::Toast ? a.notifs.toast->title : a.notices.title);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"bir", "iki", "üç", "bekleyen"}));
    EXPECT_EQ(a.notices.kind, HudKind::Toast);
    EXPECT_TRUE(a.notices.queue.empty());
    EXPECT_TRUE(a.notifs.toast_queue.empty());
}

TEST_F(Notices, BurstOfNoticesKeepsOnlyTheNewestTwentyWaiting) {
    App& a = make(true);
    a.notify("ilk", "0");
    for (int i = 1; i <= 3000; ++i) a.notify("bildirim", std::to_string(i));
    EXPECT_EQ(a.notices.queue.size(), 20u);
    std::vector<std::string> seen;
    for (int i = 0; i < 21; ++i) {
        run_out_notice(a);
        if (!a.notices.shown) break;
        seen.push_back(a.notices.body);
    }
    ASSERT_EQ(seen.size(), 20u) << "then the island is free again";
    EXPECT_EQ(seen.front(), "2981") << "the oldest were dropped";
    EXPECT_EQ(seen.back(), "3000");
}

TEST_F(Notices, NoticeClosesTheOpenIslandAndIgnoresDoNotDisturb) {
    App& a = make(true);
    a.island.open = true;
    a.island.focus = TextField::Search;
    a.settings.dnd = true;
    a.island.fullscreen_front = true;
    a.notify("Hatırlatma", "Çay");
    EXPECT_FALSE(a.island.open);
    EXPECT_EQ(a.notices.kind, HudKind::Notice);
    EXPECT_DOUBLE_EQ(a.notices.until, a.now + 7.0);
    ASSERT_EQ(a.effects.pending.size(), 1u);
    EXPECT_TRUE(std::holds_alternative<effect::RestoreFocus>(a.effects.pending[0].effect));
}

TEST_F(Notices, ToastGateDropsThemAndTheQueueHoldsSix) {
    struct Case { const char* name; bool dnd, fullscreen, browser, focus_running; bool shown; };
    const Case cases[] = {
        {"plain", false, false, false, false, true},
        {"do not disturb", true, false, false, false, false},
        {"full-screen program", false, true, false, false, false},
        {"full-screen browser", false, true, true, false, true},
        {"focus run", false, false, false, true, false},
    };
    for (const Case& c : cases) {
        App& a = make(true);
        a.settings.dnd = c.dnd;
        a.island.fullscreen_front = c.fullscreen;
        a.island.browser_front = c.browser;
        a.timers.pomo.running = c.focus_running;
        a.push_toast(toast(c.name));
        EXPECT_EQ(a.notices.shown && a.notices.kind == HudKind::Toast, c.shown) << c.name;
    }

    App& a = make(true);
    a.timers.pomo.running = true;
    a.timers.pomo.phase = PomoPhase::ShortBreak;
    a.push_toast(toast("molada"));
    EXPECT_EQ(a.notices.kind, HudKind::Toast) << "breaks let toasts through";
    uint64_t serial = a.notices.serial;

    a.notify("n", "b");  // a Toast is up: the Notice waits
    a.notices.shown = false;
    a.show_hud(HudKind::Notice, 7);
    for (int i = 0; i < 7; ++i) a.push_toast(toast("q"));
    EXPECT_EQ(a.notifs.toast_queue.size(), 6u) << "the seventh is dropped";
    EXPECT_EQ(a.notices.serial, serial);

    // Offered again once nothing shows; dnd now drops them one per frame.
    a.notices.queue.clear();
    a.settings.dnd = true;
    a.notices.shown = false;
    for (int i = 0; i < 6; ++i) a.tick(0.016f);
    EXPECT_TRUE(a.notifs.toast_queue.empty());
    EXPECT_FALSE(a.notices.shown);
}

TEST_F(Notices, NoticeLogsItsLineOutsideQuietMode) {
    App& loud = make(false);
    loud.notify("Başlık", "Gövde");
    auto log = read_file(data_file("log.txt"));
    ASSERT_TRUE(log.has_value());
    EXPECT_NE(log->find("bildirim: Başlık | Gövde\n"), std::string::npos);

    remove_file(data_file("log.txt"));
    App& quiet = make(true);
    quiet.notify("Sessiz", "x");
    EXPECT_FALSE(read_file(data_file("log.txt")).has_value());
}

TEST_F(Notices, FullScreenProgramClosesTheOpenIsland) {
    App& a = make(true);
    a.island.open = true;
    a.check_power_and_brief(true);
    EXPECT_FALSE(a.island.open);
    EXPECT_TRUE(a.island.fullscreen_front);

    a.island.open = true;
    a.island.browser_front = true;
    a.island.fullscreen_front = false;
    a.check_power_and_brief(true);
    EXPECT_TRUE(a.island.open) << "a full-screen browser does not close it";
}

#ifndef _WIN32

TEST_F(Notices, VolumeNoticeSkipsTheFirstReadingAndSmallMoves) {
    fake_audio().output = FakeAudioDevice{0.37f, false};
    App& a = make(false);
    a.watch_hud_sources();
    EXPECT_FALSE(a.notices.shown) << "the level found at start-up";
    EXPECT_FLOAT_EQ(a.audio.volume, 0.37f);

    fake_audio().output->level = 0.373f;
    a.watch_hud_sources();
    EXPECT_FALSE(a.notices.shown);

    fake_audio().output->level = 0.5f;
    a.watch_hud_sources();
    ASSERT_TRUE(a.notices.shown);
    EXPECT_EQ(a.notices.kind, HudKind::Volume);
    EXPECT_FLOAT_EQ(a.notices.level.value, 0.5f);
    EXPECT_DOUBLE_EQ(a.notices.until, a.now + 1.6);

    fake_audio().output->level = 0.6f;  // already showing: only the bar's target moves
    a.watch_hud_sources();
    EXPECT_FLOAT_EQ(a.notices.level.value, 0.5f);
    EXPECT_FLOAT_EQ(a.notices.level.target, 0.6f);

    fake_audio().output->muted = true;
    a.watch_hud_sources();
    EXPECT_TRUE(a.audio.muted);
    EXPECT_FLOAT_EQ(a.notices.level.target, 0.0f);
}

TEST_F(Notices, MicrophoneNoticeOnlyForMuteChanges) {
    fake_audio().mic = FakeAudioDevice{0.4f, false};
    App& a = make(false);
    a.watch_hud_sources();
    fake_audio().mic->level = 0.9f;
    a.watch_hud_sources();
    EXPECT_FALSE(a.notices.shown);
    EXPECT_FLOAT_EQ(a.audio.mic_level, 0.9f);

    fake_audio().mic->muted = true;
    a.watch_hud_sources();
    EXPECT_TRUE(a.notices.shown);
    EXPECT_EQ(a.notices.kind, HudKind::Mic);
    EXPECT_TRUE(a.audio.mic_muted);
}

TEST_F(Notices, GateStoresTheStateButShowsNothing) {
    fake_audio().output = FakeAudioDevice{0.2f, false};
    App& a = make(false);
    a.watch_hud_sources();
    struct Case { const char* name; bool open, fullscreen, hide_fs, browser; HudKind shown; bool passes; };
    const Case cases[] = {
        {"open island", true, false, true, false, HudKind::Info, false},
        {"full-screen program", false, true, true, false, HudKind::Info, false},
        {"hide_fs off", false, true, false, false, HudKind::Info, true},
        {"full-screen browser", false, true, true, true, HudKind::Info, true},
        {"notice up", false, false, true, false, HudKind::Notice, false},
        {"info up", false, false, true, false, HudKind::Info, true},
    };
    float level = 0.2f;
    for (const Case& c : cases) {
        a.island.open = c.open;
        a.island.fullscreen_front = c.fullscreen;
        a.settings.hide_fs = c.hide_fs;
        a.island.browser_front = c.browser;
        a.show_hud(c.shown, 5);
        level += 0.1f;
        fake_audio().output->level = level;
        a.watch_hud_sources();
        EXPECT_FLOAT_EQ(a.audio.volume, level) << c.name;
        EXPECT_EQ(a.notices.kind == HudKind::Volume, c.passes) << c.name;
    }
}

TEST_F(Notices, BrightnessIsReadEveryFourthPoll) {
    fake_audio().brightness_present = true;
    fake_audio().brightness_levels = {0, 50, 100};
    fake_audio().brightness = DisplayBrightness{2, 80, 40};  // on battery: the DC level counts
    App& a = make(false);
    ASSERT_TRUE(a.audio.brightness_ok);
    for (int i = 0; i < 3; ++i) a.watch_hud_sources();
    EXPECT_FLOAT_EQ(a.audio.brightness, 0.0f);
    a.watch_hud_sources();
    EXPECT_FLOAT_EQ(a.audio.brightness, 0.4f);
    EXPECT_FALSE(a.notices.shown);

    fake_audio().brightness = DisplayBrightness{1, 70, 40};
    for (int i = 0; i < 4; ++i) a.watch_hud_sources();
    EXPECT_FLOAT_EQ(a.audio.brightness, 0.7f);
    EXPECT_EQ(a.notices.kind, HudKind::Brightness);

    a.notices.shown = false;
    fake_audio().brightness = DisplayBrightness{1, 20, 40};
    a.audio.brightness_changed = a.now - 0.5;  // the user just set it: the poll stays away
    for (int i = 0; i < 4; ++i) a.watch_hud_sources();
    EXPECT_FLOAT_EQ(a.audio.brightness, 0.7f);
}

TEST_F(Notices, CapsLockAndLayoutNoticesAfterTheFirstReading) {
    fake_desktop().language = "TR";
    App& a = make(false);
    a.watch_hud_sources();
    EXPECT_FALSE(a.notices.shown);
    EXPECT_EQ(a.notices.layout_code, "TR");

    fake_desktop().caps_lock = true;
    a.watch_hud_sources();
    EXPECT_EQ(a.notices.kind, HudKind::Caps);
    EXPECT_DOUBLE_EQ(a.notices.until, a.now + 1.4);

    a.notices.shown = false;
    for (const char* ignored : {"", "??"}) {
        fake_desktop().language = ignored;
        a.watch_hud_sources();
        EXPECT_EQ(a.notices.layout_code, "TR");
        EXPECT_FALSE(a.notices.shown);
    }
    fake_desktop().language = "EN";
    a.watch_hud_sources();
    EXPECT_EQ(a.notices.kind, HudKind::Layout);

    a.notices.shown = false;
    a.settings.key_hud = false;
    fake_desktop().caps_lock = false;
    fake_desktop().language = "DE";
    a.watch_hud_sources();
    EXPECT_FALSE(a.notices.shown) << "key_hud off";
    EXPECT_EQ(a.notices.caps_state, 0);
    EXPECT_EQ(a.notices.layout_code, "DE");
}

TEST_F(Notices, PowerNoticesAndTheLowBatteryWarning) {
    fake_desktop().power = PowerStatus{true, 80, true};
    App& a = make(false);
    a.check_power_and_brief(false);
    EXPECT_FALSE(a.notices.shown) << "first observation";

    auto step = [&](bool ac, uint8_t percent) {
        a.notices.shown = false;
        fake_desktop().power = PowerStatus{ac, percent, true};
        a.check_power_and_brief(false);
        return a.notices.shown ? a.notices.kind : static_cast<HudKind>(255);
    };
    EXPECT_EQ(step(false, 80), HudKind::Battery) << "charger unplugged";
    EXPECT_EQ(step(false, 20), HudKind::LowBattery);
    EXPECT_EQ(step(false, 19), static_cast<HudKind>(255)) << "warned once";
    EXPECT_EQ(step(false, 25), static_cast<HudKind>(255));
    EXPECT_EQ(step(false, 20), static_cast<HudKind>(255)) << "25 % does not clear the warning";
    EXPECT_EQ(step(false, 26), static_cast<HudKind>(255));
    EXPECT_EQ(step(false, 20), HudKind::LowBattery) << "26 % cleared it";
    EXPECT_EQ(step(true, 20), HudKind::Battery);
    EXPECT_EQ(step(false, 20), HudKind::LowBattery) << "the charger cleared it";

    // A machine without a battery raises neither notice.
    fake_desktop().power = PowerStatus{true, 100, false};
    a.check_power_and_brief(false);
    a.notices.shown = false;
    fake_desktop().power = PowerStatus{false, 10, false};
    a.check_power_and_brief(false);
    EXPECT_FALSE(a.notices.shown);
}

// The host skips the power query while nothing drawn shows the battery; the
// full-screen flag is followed either way.
TEST_F(Notices, PowerIsReadOnlyWhenAskedAndShownOnlyWhereDrawn) {
    fake_desktop().power = PowerStatus{true, 80, true};
    App& a = make(false);
    a.check_power_and_brief(false);
    fake_desktop().power = PowerStatus{false, 50, true};
    a.check_power_and_brief(true, false);
    EXPECT_TRUE(a.island.on_ac);
    EXPECT_EQ(a.island.battery, 80);
    EXPECT_TRUE(a.island.fullscreen_front);
    a.check_power_and_brief(true, true);
    EXPECT_FALSE(a.island.on_ac);
    EXPECT_EQ(a.island.battery, 50);

    struct Case { IslandMode mode; bool open; bool shown; };
    const Case cases[] = {
        {IslandMode::idle(), false, false},
        {IslandMode::act(ActKind::Timer), false, false},
        {IslandMode::peek(), false, true},
        {IslandMode::open(Page::Settings), true, true},
        {IslandMode::hud(HudKind::Volume), false, false},
        {IslandMode::hud(HudKind::LowBattery), false, true},
    };
    for (const Case& c : cases) {
        a.island.mode = c.mode;
        a.island.open = c.open;
        a.notices.shown = c.mode.tag == ModeTag::Hud;
        if (a.notices.shown) a.notices.kind = c.mode.hud_kind();
        EXPECT_EQ(a.battery_shown(), c.shown) << mode_debug(c.mode);
    }
    a.island.has_battery = false;
    a.island.mode = IslandMode::peek();
    EXPECT_FALSE(a.battery_shown()) << "nothing to draw without a battery";
}

// A failed power query reads as "unknown", never as an unplugged, empty battery.
TEST_F(Notices, FailedPowerQueryChangesNothing) {
    fake_desktop().power = PowerStatus{true, 64, true};
    App& a = make(false);
    a.check_power_and_brief(false);
    fake_desktop().power = std::nullopt;
    for (int i = 0; i < 3; ++i) a.check_power_and_brief(false);
    EXPECT_FALSE(a.notices.shown);
    EXPECT_TRUE(a.island.on_ac);
    EXPECT_EQ(a.island.battery, 64);
    EXPECT_TRUE(a.island.has_battery);
    EXPECT_NE(a.island_context().find(" Pil %64, şarj oluyor."), std::string::npos);

    fake_desktop().power = PowerStatus{false, 64, true};
    a.check_power_and_brief(false);
    EXPECT_EQ(a.notices.kind, HudKind::Battery) << "the next good reading compares with the last good one";
}

// Raising a level lifts the device's mute along with the island's flag.
TEST_F(Notices, RaisingALevelUnmutesTheDevice) {
    fake_audio().output = FakeAudioDevice{0.5f, true};
    fake_audio().mic = FakeAudioDevice{0.5f, true};
    App& a = make(false);
    a.audio.muted = a.audio.mic_muted = true;

    a.set_output_level(0.004f);
    a.set_mic_level(0.004f);
    EXPECT_TRUE(a.audio.muted);
    EXPECT_TRUE(fake_audio().output->muted) << "a level at the threshold leaves the mute alone";
    EXPECT_TRUE(fake_audio().mic->muted);
    EXPECT_FLOAT_EQ(fake_audio().output->level, 0.004f);

    a.set_output_level(0.3f);
    a.set_mic_level(0.3f);
    EXPECT_FALSE(a.audio.muted);
    EXPECT_FALSE(a.audio.mic_muted);
    EXPECT_FALSE(fake_audio().output->muted);
    EXPECT_FALSE(fake_audio().mic->muted);
    EXPECT_FLOAT_EQ(fake_audio().mic->level, 0.3f);

    a.watch_hud_sources();
    a.watch_hud_sources();
    EXPECT_FALSE(a.audio.muted) << "the next poll agrees with the flag";
}

#endif  // _WIN32
