// Pointer gestures against a seeded hit list: which region wins, what counts
// as a click, a drag-out and a slider move, the wheel's list maxima and the
// closed island's outline.
#include <cmath>

#include "app_input_support.h"

namespace {

using PointerTest = IslandTest;

Action note(uint16_t i) { return Action::at(ActionKind::Note, i); }

TEST_F(PointerTest, LastDrawnRegionWins) {
    region(0, 0, 100, 100, Action::byte(ActionKind::Dock, 1));
    region(50, 50, 100, 100, Action::byte(ActionKind::Dock, 2));
    region(60, 60, 10, 10, Action::of(ActionKind::Prev));
    struct Case { float x, y; const char* want; };
    const Case cases[] = {
        {10, 10, "Dock(1)"},   {55, 55, "Dock(2)"},  {65, 65, "Prev"},   {99.9f, 99.9f, "Dock(2)"},
        {149.9f, 60, "Dock(2)"}, {150, 60, "None"}, {-0.1f, 10, "None"}, {0, 0, "Dock(1)"},
    };
    for (const auto& c : cases) EXPECT_EQ(action_debug(app->hit_test(c.x, c.y)), c.want) << c.x << "," << c.y;
}

TEST_F(PointerTest, ClickRunsOnlyWhenPressAndReleaseHitEqualActions) {
    app->lists.notes = {NoteItem{"a", 1}, NoteItem{"b", 2}};
    region(0, 0, 100, 40, note(0));
    region(0, 40, 100, 40, note(1));
    region(0, 80, 100, 40, Action::of(ActionKind::NotesClear));

    // Same variant, another index: nothing.
    app->on_pointer_down(10, 10);
    app->drawing.redraw = false;
    EXPECT_FALSE(app->on_click(10, 50));
    EXPECT_FALSE(app->lists.notes[0].done || app->lists.notes[1].done);
    EXPECT_FALSE(app->drawing.redraw);
    // Another variant: nothing.
    app->on_pointer_down(10, 50);
    app->on_click(10, 90);
    EXPECT_FALSE(app->lists.notes[1].done);
    ASSERT_EQ(app->lists.notes.size(), 2u);
    // Release outside every region: nothing.
    app->on_pointer_down(10, 50);
    app->on_click(300, 300);
    EXPECT_FALSE(app->lists.notes[1].done);
    // Same Action: it runs, once.
    app->on_pointer_down(10, 50);
    app->on_click(90, 70);
    EXPECT_TRUE(app->lists.notes[1].done);
    EXPECT_TRUE(app->pointer.pressed.is_none());
}

TEST_F(PointerTest, ShelfItemBecomesADragOutBeyondSixPixels) {
    app->lists.shelf.push_back(ShelfItem{"C:\\x\\a.txt", "a.txt", "TXT · 1 B", nullptr, 7});
    region(0, 0, 300, 98, Action::at(ActionKind::Shelf, 0));

    // Within 6 px the press stays a click, and the release opens the file.
    app->on_pointer_down(100, 40);
    EXPECT_EQ(effect_text(app->on_pointer_move(106, 40)), "none");
    EXPECT_EQ(effect_text(app->on_pointer_move(100, 46)), "none");
    EXPECT_EQ(effect_text(app->on_click(100, 46)), "OpenUrl(C:\\x\\a.txt)");
    EXPECT_FALSE(app->island.open);

    // Beyond 6 px: one drag-out, and the release does nothing.
    app->island.open = true;
    app->on_pointer_down(100, 40);
    EXPECT_EQ(effect_text(app->on_pointer_move(104.3f, 44.3f)), "DragShelfItem(0)");
    EXPECT_TRUE(app->island.drag_out);
    EXPECT_EQ(effect_text(app->on_pointer_move(120, 60)), "none");
    EXPECT_EQ(effect_text(app->on_click(120, 60)), "none");
    EXPECT_TRUE(app->island.open);
}

TEST_F(PointerTest, SliderMovedThreePixelsOrLessIsStillAClick) {
    region(114, 100, 300, 40, Action::byte(ActionKind::Slider, 0));
    struct Case { float move; bool moved; bool mute_flips; };
    const Case cases[] = {{2, false, true}, {3, false, true}, {4, true, false}, {-4, true, false}};
    for (const auto& c : cases) {
        app->audio.muted = false;
        app->on_pointer_down(264, 120);
        EXPECT_FLOAT_EQ(app->audio.volume, 0.5f);
        app->on_pointer_move(264 + c.move, 120);
        EXPECT_EQ(app->pointer.slider_moved, c.moved) << c.move;
        EXPECT_NEAR(app->audio.volume, (150 + c.move) / 300.0f, 1e-5) << c.move;
        app->on_click(264 + c.move, 120);
        EXPECT_FALSE(app->pointer.slider_grab);
        app->act(Action::byte(ActionKind::SliderIcon, 0));
        EXPECT_EQ(app->audio.muted, c.mute_flips) << c.move;
    }
}

TEST_F(PointerTest, SliderValueFollowsThePageZoomAndClamps) {
    region(0, 0, 900, 400, Action::byte(ActionKind::Slider, 2));
    app->pointer.zoom = 0.5f;
    app->pointer.shift = 10;
    // u = (x − 450 − 10) / 0.5 + 450; value = (u − 114) / 300.
    app->on_pointer_down(420, 50);
    EXPECT_NEAR(app->audio.mic_level, (370 - 114) / 300.0f, 1e-5);
    app->on_pointer_move(900, 50);
    EXPECT_FLOAT_EQ(app->audio.mic_level, 1.0f);
    app->on_pointer_move(0, 50);
    EXPECT_FLOAT_EQ(app->audio.mic_level, 0.0f);
    app->on_click(0, 50);
    EXPECT_FALSE(app->pointer.slider_grab);
}

TEST_F(PointerTest, BrightnessSliderNeedsBrightnessControl) {
    region(114, 100, 300, 40, Action::byte(ActionKind::Slider, 1));
    app->audio.brightness = 0.2f;
    app->on_pointer_down(264, 120);
    EXPECT_FALSE(app->pointer.slider_grab);
    EXPECT_FLOAT_EQ(app->audio.brightness, 0.2f);
    app->on_click(264, 120);

    app->audio.brightness_ok = true;
    app->now = 5;
    app->on_pointer_down(264, 120);
    EXPECT_EQ(app->pointer.slider_grab, std::optional<uint8_t>(1));
    EXPECT_FLOAT_EQ(app->audio.brightness, 0.5f);
    EXPECT_DOUBLE_EQ(app->audio.brightness_changed, 5.0);
    app->on_click(264, 120);
}

TEST_F(PointerTest, SeekDragSendsOnePositionAtTheRelease) {
    auto [tx, rx] = channel<MediaCommand>();
    app->media.tx = tx;
    app->media.snap.has = app->media.snap.can_seek = true;
    app->media.snap.duration = 200;
    region(300, 100, 500, 20, Action::of(ActionKind::Seek));
    app->now = 3;
    app->on_pointer_down(328 + 414 / 4.0f, 110);
    ASSERT_TRUE(app->pointer.seek_drag);
    EXPECT_FLOAT_EQ(*app->pointer.seek_drag, 0.25f);
    app->on_pointer_move(328 + 414 / 2.0f, 110);
    EXPECT_FALSE(rx.try_recv());  // nothing is sent while dragging
    app->on_click(328 + 414 / 2.0f, 110);
    auto sent = rx.try_recv();
    ASSERT_TRUE(sent && std::holds_alternative<media_cmd::Seek>(*sent));
    EXPECT_DOUBLE_EQ(std::get<media_cmd::Seek>(*sent).position, 100.0);
    EXPECT_DOUBLE_EQ(app->media.snap.position, 100.0);
    EXPECT_DOUBLE_EQ(app->media.changed, 3.0);
    EXPECT_FALSE(app->pointer.seek_drag);

    // A session that cannot seek starts no drag.
    app->media.snap.can_seek = false;
    app->on_pointer_down(400, 110);
    EXPECT_FALSE(app->pointer.seek_drag);
}

TEST_F(PointerTest, PressOnAFieldFocusesIt) {
    region(100, 100, 400, 40, Action::byte(ActionKind::Field, static_cast<uint8_t>(TextField::Note)));
    EXPECT_EQ(effect_text(app->on_pointer_down(150, 120)), "FocusIsland");
    EXPECT_EQ(app->island.focus, TextField::Note);
}

TEST_F(PointerTest, HoverChangeRestartsTheHighlight) {
    region(0, 0, 100, 100, Action::of(ActionKind::Prev));
    app->anim.hover.value = 0.7f;
    app->on_pointer_move(10, 10);
    EXPECT_EQ(action_debug(app->pointer.hovered), "Prev");
    EXPECT_FLOAT_EQ(app->anim.hover.value, 0.0f);
    EXPECT_FLOAT_EQ(app->anim.hover.target, 1.0f);
    app->anim.hover.value = 0.7f;
    app->on_pointer_move(20, 20);  // same Action: the highlight keeps going
    EXPECT_FLOAT_EQ(app->anim.hover.value, 0.7f);
    app->on_pointer_move(200, 200);
    EXPECT_TRUE(app->pointer.hovered.is_none());
    EXPECT_FLOAT_EQ(app->anim.hover.value, 0.0f);
}

TEST_F(PointerTest, WheelStopsAtEachListsMaximum) {
    for (int i = 0; i < 10; ++i) {
        app->lists.shelf.push_back(ShelfItem{"p", "n", "d", nullptr, uint64_t(i)});
        app->lists.clips.push_back(ClipEntry{"10:00", ClipEntry::Text{"t"}, uint64_t(i)});
        app->notifs.list.push_back(AppNotification{});
    }
    app->lists.notes.resize(5);
    app->lists.reminders.resize(3);
    struct Case { Page page; const float* offset; float maximum; };
    const Case cases[] = {
        {Page::Shelf, &app->lists.shelf_scroll, 98 * 10 + 4 - 672},
        {Page::Clip, &app->lists.clip_scroll, 46 * 10 - 170},
        {Page::Notifs, &app->notifs.scroll, 50 * 10 - 176},
        {Page::Notes, &app->lists.notes_scroll, 40 * 8 - 128},
    };
    for (const auto& c : cases) {
        app->island.page = c.page;
        const float& offset = *c.offset;
        app->on_wheel(-120, false);  // one notch towards the user scrolls down one row
        EXPECT_GT(offset, 0.0f) << page_key(c.page);
        app->on_wheel(-120 * 100, false);
        EXPECT_FLOAT_EQ(offset, c.maximum) << page_key(c.page);
        app->on_wheel(120 * 100, false);
        EXPECT_FLOAT_EQ(offset, 0.0f) << page_key(c.page);
    }
    // Three shelf items fit: the maximum is 0.
    app->lists.shelf.resize(3);
    app->island.page = Page::Shelf;
    app->on_wheel(-120 * 5, false);
    EXPECT_FLOAT_EQ(app->lists.shelf_scroll, 0.0f);
}

TEST_F(PointerTest, ChatWheelFollowsTheNewestLineOnlyAtTheBottom) {
    app->island.page = Page::Gemini;
    app->google.chat_scroll_max = 300;
    app->google.chat_scroll = 500;  // the chat shrank since the offset was set
    app->on_wheel(120, false);
    EXPECT_FLOAT_EQ(app->google.chat_scroll, 240.0f);
    EXPECT_FALSE(app->google.chat_follow);
    app->on_wheel(-60, false);
    EXPECT_FLOAT_EQ(app->google.chat_scroll, 270.0f);
    EXPECT_FALSE(app->google.chat_follow);
    app->on_wheel(-120, false);
    EXPECT_FLOAT_EQ(app->google.chat_scroll, 300.0f);
    EXPECT_TRUE(app->google.chat_follow);
}

TEST_F(PointerTest, WheelOverTheClosedIslandChangesVolumeOrBrightness) {
    app->island.open = false;
    app->audio.volume = 0.5f;
    app->audio.muted = true;
    app->on_wheel(240, false);
    EXPECT_NEAR(app->audio.volume, 0.54f, 1e-6);
    EXPECT_FALSE(app->audio.muted);
    EXPECT_TRUE(app->notices.shown);
    EXPECT_EQ(app->notices.kind, HudKind::Volume);
    EXPECT_NEAR(app->notices.level.value, 0.54f, 1e-6);  // a new bar starts at the level

    // Shift: brightness when it can be controlled, else the volume again.
    app->notices.shown = false;
    app->on_wheel(120, true);
    EXPECT_NEAR(app->audio.volume, 0.56f, 1e-6);
    app->audio.brightness_ok = true;
    app->audio.brightness = 0.3f;
    app->on_wheel(120, true);
    EXPECT_NEAR(app->audio.brightness, 0.35f, 1e-6);
    EXPECT_EQ(app->notices.kind, HudKind::Brightness);

    // Over the open island's microphone slider: the microphone level, no notice.
    app->island.open = true;
    app->notices.shown = false;
    app->pointer.hovered = Action::byte(ActionKind::Slider, 2);
    app->audio.mic_level = 0.99f;
    app->on_wheel(120 * 3, false);
    EXPECT_FLOAT_EQ(app->audio.mic_level, 1.0f);
    EXPECT_FALSE(app->notices.shown);
}

TEST_F(PointerTest, IslandOutlineAtRest) {
    app->island.open = false;
    struct Case { float x, y; bool on; };
    const Case cases[] = {
        {385, 6, true},     {384.9f, 20, false}, {514.9f, 43.9f, true}, {515, 20, false},
        {450, 5.9f, false}, {450, 44, false},    {450, 25, true},
    };
    for (const auto& c : cases) EXPECT_EQ(app->hit_island(c.x, c.y), c.on) << c.x << "," << c.y;
}

TEST_F(PointerTest, SideBubbleCountsAsIsland) {
    app->anim.bubble.value = 1;
    // Centre (387 + 126 − 17 + 41, 25), radius 17, plus 2 of slack.
    EXPECT_TRUE(app->hit_island(537 + 18.9f, 25));
    EXPECT_FALSE(app->hit_island(537 + 19.1f, 25));
    app->anim.bubble.value = 0.005f;
    EXPECT_FALSE(app->hit_island(537, 25));
}

TEST_F(PointerTest, ClosedIslandPressSquashesAndReleaseOpens) {
    app->island.open = false;
    app->island.remembered_page = Page::Notes;
    app->now = 2;
    app->on_pointer_down(450, 20);
    EXPECT_TRUE(app->pointer.pressed_on_island);
    EXPECT_FLOAT_EQ(app->anim.squash.target, 0.94f);
    ASSERT_TRUE(app->voice.press);
    EXPECT_DOUBLE_EQ(app->voice.press->time, 2.0);
    app->on_click(450, 20);
    EXPECT_FLOAT_EQ(app->anim.squash.target, 1.0f);
    EXPECT_FALSE(app->voice.press);
    EXPECT_TRUE(app->island.open);
    EXPECT_EQ(app->island.page, Page::Notes);

    // A press beside the island is nobody's click.
    app->island.open = false;
    app->on_pointer_down(100, 20);
    EXPECT_FALSE(app->pointer.pressed_on_island);
    app->on_click(450, 20);
    EXPECT_FALSE(app->island.open);
}

TEST_F(PointerTest, ClickOnTheClosedIslandAnswersTheNotice) {
    struct Case { HudKind hud; bool auto_shelf; bool opens; Page page; };
    const Case cases[] = {
        {HudKind::Toast, true, true, Page::Notifs},   {HudKind::Steam, true, true, Page::Steam},
        {HudKind::Mail, true, true, Page::Google},    {HudKind::Event, true, true, Page::Google},
        {HudKind::Download, true, true, Page::Shelf}, {HudKind::Download, false, true, Page::Calendar},
        {HudKind::Clipboard, true, true, Page::Clip}, {HudKind::Image, true, true, Page::Clip},
        {HudKind::Notice, true, false, Page::Home},   {HudKind::Volume, true, true, Page::Calendar},
    };
    for (const auto& c : cases) {
        app->island.open = false;
        app->island.page = app->island.remembered_page = Page::Calendar;
        app->notifs.unread_badge = 4;
        app->settings.auto_shelf = c.auto_shelf;
        app->notices.kind = c.hud;
        app->notices.shown = true;
        app->on_pointer_down(450, 20);
        app->on_click(450, 20);
        EXPECT_EQ(app->island.open, c.opens) << hud_name(c.hud);
        EXPECT_FALSE(app->notices.shown) << hud_name(c.hud);
        if (c.opens) {
            EXPECT_EQ(app->island.page, c.page) << hud_name(c.hud);
        }
        if (c.hud == HudKind::Toast) {
            EXPECT_EQ(app->notifs.unread_badge, 0u);
        }
    }
}

TEST_F(PointerTest, ClickOnTimerDoneSilencesWithoutOpening) {
    app->island.open = false;
    app->timers.countdown = Countdown{300, 0, 0, false};
    app->notices.kind = HudKind::TimerDone;
    app->notices.shown = true;
    app->on_pointer_down(450, 20);
    app->on_click(450, 20);
    EXPECT_FALSE(app->island.open);
    EXPECT_FALSE(app->notices.shown);
    EXPECT_DOUBLE_EQ(app->timers.countdown.remaining, 300.0);
}

TEST_F(PointerTest, ReleaseRightAfterHoldToTalkKeepsListening) {
    app->island.open = false;
    app->voice.state = VoiceState::Listening;
    auto [ui, producer] = MicCapture::new_pair();
    app->voice.capture = ui;
    app->now = 10;
    app->voice.hold_talk_start = 9.5;
    app->on_pointer_down(450, 20);
    app->on_click(450, 20);
    EXPECT_FALSE(producer.cells->stop.load());
    EXPECT_FALSE(app->voice.hold_talk_start);
    // A later click on the island ends the recording.
    app->on_pointer_down(450, 20);
    app->on_click(450, 20);
    EXPECT_TRUE(producer.cells->stop.load());
    EXPECT_FALSE(app->island.open);
}

TEST_F(PointerTest, ClickOnTheVoiceAnswerOpensTheAssistant) {
    app->island.open = false;
    app->voice.state = VoiceState::Answer;
    app->island.focus = TextField::Search;
    app->on_pointer_down(450, 20);
    app->on_click(450, 20);
    EXPECT_TRUE(app->island.open);
    EXPECT_EQ(app->voice.state, VoiceState::Idle);
    EXPECT_EQ(app->island.page, Page::Gemini);
    EXPECT_EQ(app->island.remembered_page, Page::Gemini);
    EXPECT_EQ(app->island.focus, TextField::None);
}

}  // namespace
