// The audio, brightness, sound and keyboard services on a machine without
// an audio device or a panel (Wine): everything answers with values, nothing
// crashes or blocks, and a real App keeps ticking on top of them.
#include <gtest/gtest.h>

#include "app.h"
#include "sys_audio.h"
#include "sys_desktop.h"
#include "sys_os.h"
#include "sys_win.h"
#include "test_support.h"

TEST(AudioOnWindows, EndpointsAnswerWithAReadingOrUnavailable) {
    ComInit com;
    for (uint32_t flow : {0u, 1u}) {
        EndpointVolumeCache cache;
        cache.flow = flow;
        for (int i = 0; i < 3; ++i) {  // the second and third calls go through the cache
            std::optional<VolumeReading> r = get_master_volume(cache);
            if (r) {
                EXPECT_GE(r->level, 0.0f);
                EXPECT_LE(r->level, 1.0f);
            }
        }
        if (std::optional<VolumeReading> r = get_master_volume(cache)) {
            set_master_volume(cache, r->level);  // puts back what it found
            set_master_mute(cache, r->muted);
        }
    }

    EndpointVolumeCache shut;  // stamped in the future, as quiet mode does
    shut.refreshed_at = monotonic_seconds() + 3600;
    EXPECT_FALSE(get_master_volume(shut).has_value());
    set_master_volume(shut, 0.5f);
    EXPECT_GT(shut.refreshed_at, monotonic_seconds()) << "no lookup before the stamp";
}

TEST(AudioOnWindows, NoPanelMeansNoBrightnessDevice) {
    BrightnessDevice d = open_brightness_device();
    if (!d.present) {
        EXPECT_FALSE(query_brightness(d).has_value());
        set_brightness(d, 0.5f);  // does nothing
    }
    BrightnessDevice none;
    EXPECT_FALSE(query_brightness(none).has_value());
    set_brightness(none, 0.3f);
}

TEST(AudioOnWindows, SoundsStartAndStopWithoutBlocking) {
    set_alarm_sound(true);
    set_alarm_sound(false);
    play_notify_sound();
    set_alarm_sound(false);
    SUCCEED();
}

TEST(AudioOnWindows, KeyboardReadingsAreValues) {
    (void)read_caps_lock();
    std::string code = input_language_code();
    EXPECT_TRUE(code.empty() || code == "??" || code.size() == 2) << code;
}

TEST(AudioOnWindows, RealAppKeepsTickingWithoutDevices) {
    ScopedDataDir data;
    ComInit com;
    AppInit init;
    auto app = std::make_unique<App>(std::move(init));
    app->check_power_and_brief(false);
    for (int i = 0; i < 120; ++i) {
        if (i % 9 == 0) app->watch_hud_sources();
        App::TickResult r = app->tick(1.0f / 60.0f);
        if (r.wait.tag == FrameWait::WaitMs) {
            EXPECT_GE(r.wait.ms, 5u);
            EXPECT_LE(r.wait.ms, 2000u);
        }
    }
    app->timers.countdown.running = true;
    app->timers.countdown.end = app->now + 0.05;
    for (int i = 0; i < 10; ++i) app->tick(1.0f / 60.0f);  // the alarm starts on a silent machine
    EXPECT_EQ(app->notices.kind, HudKind::TimerDone);
    app->tick(61.0f);  // and stops when the notice runs out
    EXPECT_FALSE(app->notices.shown);
    EXPECT_GT(app->now, 62.0);
}
