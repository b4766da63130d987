// The control centre's tiles: radio switches against the snapshot copy, the
// flags of the other switches, and the commands that close the island and act
// on the desktop now or after a delay.
#include "app_input_support.h"
#include "sys_desktop.h"
#include "sys_shell.h"

namespace {

using TilesTest = IslandTest;

std::optional<WindowEffect> tile(App& app, uint8_t i) { return app.act(Action::byte(ActionKind::Tile, i)); }

TEST_F(TilesTest, MissingRadioIsReportedAndSwitchesNothing) {
    struct Case { uint8_t tile; const char* title; };
    const Case cases[] = {{0, "Wi‑Fi bulunamadı"}, {1, "Bluetooth bulunamadı"}};
    for (const auto& c : cases) {
        app->island.open = false;  // closed, so the notice itself shows
        app->notices.shown = false;
        EXPECT_EQ(effect_text(tile(*app, c.tile)), "none");
        EXPECT_EQ(app->notices.title, c.title);
        EXPECT_TRUE(app->notices.shown);
        EXPECT_EQ(app->notices.kind, HudKind::Info);
    }
    EXPECT_EQ(app->sysmon.snap.wifi, RadioState::Unknown);
    EXPECT_EQ(app->sysmon.snap.bluetooth, RadioState::Unknown);
}

TEST_F(TilesTest, RadioFlipsTheCopyAtOnce) {
    app->sysmon.snap.wifi = RadioState::Off;
    EXPECT_EQ(effect_text(tile(*app, 0)), "SetRadio(wifi, on)");
    EXPECT_TRUE(app->tile_on(0));
    EXPECT_EQ(effect_text(tile(*app, 0)), "SetRadio(wifi, off)");
    EXPECT_FALSE(app->tile_on(0));
    app->sysmon.snap.bluetooth = RadioState::On;
    EXPECT_EQ(effect_text(tile(*app, 1)), "SetRadio(bluetooth, off)");
    EXPECT_TRUE(app->island.open);
}

TEST_F(TilesTest, ScreenClipQueuesFocusBackThenTheClip) {
    app->island.page = Page::Search;
    app->island.focus = TextField::Search;
    app->now = 10;
    EXPECT_EQ(effect_text(tile(*app, 5)), "none");
    EXPECT_FALSE(app->island.open);
    EXPECT_EQ(pending(), (std::vector<std::string>{"+0.00:RestoreFocus", "+0.45:OpenUrl(ms-screenclip:)"}));
}

TEST_F(TilesTest, DelayedCommandsWaitForTheCollapse) {
    struct Case { uint8_t tile; const char* queued; };
    const Case cases[] = {{6, "+0.60:MonitorOff"}, {7, "+0.25:LockWorkstation"}, {8, "+0.20:ShowDesktop"}};
    for (const auto& c : cases) {
        app->island.open = true;
        app->island.focus = TextField::None;
        app->effects.pending.clear();
        EXPECT_EQ(effect_text(tile(*app, c.tile)), "none");
        EXPECT_FALSE(app->island.open);
        EXPECT_EQ(pending(), std::vector<std::string>{c.queued}) << int(c.tile);
    }
}

TEST_F(TilesTest, ProgramsTakeTheDesktopWithoutFocusBack) {
    struct Case { uint8_t tile; const char* effect; };
    const Case cases[] = {{9, "OpenUrl(explorer.exe)"},
                          {10, "OpenUrl(taskmgr.exe)"},
                          {11, "OpenUrl(ms-settings:)"},
                          {12, "OpenUrl(ms-settings:)"}};
    for (const auto& c : cases) {
        app->island.open = true;
        app->island.focus = TextField::Note;
        EXPECT_EQ(effect_text(tile(*app, c.tile)), c.effect);
        EXPECT_FALSE(app->island.open);
        EXPECT_TRUE(app->effects.pending.empty()) << int(c.tile);
        EXPECT_FALSE(app->effects.skip_focus_restore);  // the close consumed the hand-off
    }
}

TEST_F(TilesTest, QuietSwitchesChangeOnlyTheFlags) {
    make(true);
    bool dark = app->settings.dark_mode;
    tile(*app, 2);
    tile(*app, 3);
    tile(*app, 4);
    EXPECT_EQ(app->settings.dark_mode, !dark);
    EXPECT_TRUE(app->island.keep_awake);
    EXPECT_TRUE(app->audio.mic_muted);  // no capture device, the flag flips anyway
    EXPECT_TRUE(app->tile_on(2) == !dark && app->tile_on(3) && app->tile_on(4));
#ifndef _WIN32
    EXPECT_FALSE(fake_desktop().keep_awake.has_value());
    EXPECT_EQ(fake_shell().dark_mode_writes, 0);
#endif
}

#ifndef _WIN32
TEST_F(TilesTest, SwitchesReachTheDesktop) {
    fake_desktop().keep_awake.reset();
    int writes = fake_shell().dark_mode_writes;
    tile(*app, 2);
    EXPECT_EQ(fake_shell().dark_mode_writes, writes + 1);
    tile(*app, 3);
    EXPECT_EQ(fake_desktop().keep_awake, std::optional<bool>(true));
    tile(*app, 3);
    EXPECT_EQ(fake_desktop().keep_awake, std::optional<bool>(false));
}
#endif

}  // namespace
