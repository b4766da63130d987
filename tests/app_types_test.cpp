#include <gtest/gtest.h>

#include "app_types.h"

TEST(ActionValue, AllSixtyEightNamesInTagOrder) {
    const char* names[] = {
        "Dock", "Card", "Prev", "Play", "Next", "Seek", "Source", "Slider", "SliderIcon", "Tile", "TMode", "Preset",
        "TMinus", "TPlus", "TToggle", "TReset", "Lap", "PomoLen", "PomoSkip", "Shelf", "ShelfDel", "ShelfClear",
        "Clip", "ClipPin", "ClipDel", "ClipClear", "Note", "NoteDel", "NotesClear", "Field", "FieldGo", "Res",
        "CalPrev", "CalNext", "CalToday", "Set", "Size", "Snooze", "Bubble", "TaskMgr", "RemDel", "Toast", "ToastDel",
        "ToastClear", "SteamOpen", "SteamGame", "UpdateCheck", "GSignIn", "GSignOut", "GRefresh", "GMail", "GEvent",
        "GClear", "Mic", "GSuggest", "GMailRead", "GMailArchive", "GTab", "GTaskDone", "WakeTeach", "MicNext",
        "MicTest", "Website", "GMsg", "GCopy", "GSpeak", "ClipAsk", "NoteTask"};
    static_assert(sizeof names / sizeof names[0] == kActionKindCount);
    for (int i = 0; i < kActionKindCount; ++i)
        EXPECT_STREQ(action_name(static_cast<ActionKind>(i)), names[i]) << "tag " << i;
    EXPECT_EQ(static_cast<int>(ActionKind::NoteTask), 67);
}

TEST(ActionValue, DebugFormShowsOnlyTheCarriedPayload) {
    struct Case { Action a; const char* text; };
    const Case cases[] = {
        {Action::byte(ActionKind::Dock, 3), "Dock(3)"},
        {Action::of(ActionKind::Play), "Play"},
        {Action{ActionKind::Play, 9, 9}, "Play"},
        {Action::at(ActionKind::Shelf, 1234), "Shelf(1234)"},
        {Action::byte(ActionKind::Field, 0), "Field(Search)"},
        {Action::byte(ActionKind::FieldGo, 2), "FieldGo(City)"},
        {Action::byte(ActionKind::Set, 8), "Set(Autostart)"},
        {Action::both(ActionKind::ClipAsk, 3, 1), "ClipAsk(3, 1)"},
        {Action::at(ActionKind::NoteTask, 0), "NoteTask(0)"},
    };
    for (const auto& c : cases) EXPECT_EQ(action_debug(c.a), c.text);
}

TEST(ActionValue, EqualityComparesTagAndCarriedPayloadOnly) {
    struct Case { Action a, b; bool eq; };
    const Case cases[] = {
        {Action{ActionKind::Play, 1, 2}, Action{ActionKind::Play, 7, 9}, true},
        {Action{ActionKind::Dock, 3, 1}, Action{ActionKind::Dock, 3, 99}, true},
        {Action::byte(ActionKind::Dock, 3), Action::byte(ActionKind::Dock, 4), false},
        {Action{ActionKind::Shelf, 5, 2}, Action{ActionKind::Shelf, 0, 2}, true},
        {Action::at(ActionKind::Shelf, 2), Action::at(ActionKind::ShelfDel, 2), false},
        {Action::both(ActionKind::ClipAsk, 3, 0), Action::both(ActionKind::ClipAsk, 3, 1), false},
        {Action::both(ActionKind::ClipAsk, 3, 1), Action::both(ActionKind::ClipAsk, 3, 1), true},
        {Action::none(), Action::none(), true},
    };
    for (const auto& c : cases) EXPECT_EQ(action_eq(c.a, c.b), c.eq) << action_debug(c.a) << " vs " << action_debug(c.b);
}

TEST(IslandVocabulary, PageKeysAndNamesRoundTrip) {
    const char* keys[] = {"home", "media", "control", "time", "steam", "shelf", "clip", "notifs",
                          "notes", "system", "calendar", "google", "gemini", "search", "settings"};
    for (int i = 0; i < kPageCount; ++i) {
        EXPECT_STREQ(page_key(page_at(i)), keys[i]);
        EXPECT_EQ(page_from_key(keys[i]), page_at(i));
    }
    EXPECT_FALSE(page_from_key("Media").has_value());
    EXPECT_FALSE(page_from_key("").has_value());
}

TEST(IslandVocabulary, ModeDebugFormsAndEquality) {
    EXPECT_EQ(mode_debug(IslandMode::idle()), "Idle");
    EXPECT_EQ(mode_debug(IslandMode::peek()), "Peek");
    EXPECT_EQ(mode_debug(IslandMode::act(ActKind::Watch)), "Act(Watch)");
    EXPECT_EQ(mode_debug(IslandMode::hud(HudKind::Voice)), "Hud(Voice)");
    EXPECT_EQ(mode_debug(IslandMode::hud(HudKind::LowBattery)), "Hud(LowBattery)");
    EXPECT_EQ(mode_debug(IslandMode::open(Page::Settings)), "Open(Settings)");
    EXPECT_EQ((IslandMode{ModeTag::Idle, 4}), IslandMode::idle());
    EXPECT_NE(IslandMode::open(Page::Home), IslandMode::open(Page::Media));
    EXPECT_NE(IslandMode::act(ActKind::Music), IslandMode::hud(HudKind::Volume));
}

TEST(IslandVocabulary, NoticeClassesFollowTheTable) {
    std::string keeps, blocks, moving;
    for (int i = 0; i < kHudCount; ++i) {
        auto k = static_cast<HudKind>(i);
        if (hud_keeps(k)) keeps += std::string(hud_name(k)) + " ";
        if (hud_blocks(k)) blocks += std::string(hud_name(k)) + " ";
        if (hud_moving(k)) moving += std::string(hud_name(k)) + " ";
    }
    EXPECT_EQ(keeps, "TimerDone Pomo Notice Mail Event Voice ");
    EXPECT_EQ(blocks, "TimerDone Notice Toast ");
    EXPECT_EQ(moving, "Track TimerDone Pomo Privacy Notice Voice ");
    EXPECT_EQ(static_cast<int>(HudKind::Voice), 21);
}

TEST(IslandVocabulary, TextFieldAndToggleNames) {
    EXPECT_STREQ(text_field_name(TextField::Gemini), "Gemini");
    EXPECT_STREQ(text_field_name(TextField::None), "None");
    const char* toggles[] = {"HoverOpen", "ClipHud", "KeyHud", "DlHud", "AutoShelf",
                             "HideFs", "HideChrome", "Glow", "Autostart", "AppNotif"};
    for (int i = 0; i < kSettingToggleCount; ++i)
        EXPECT_STREQ(setting_toggle_name(static_cast<SettingToggle>(i)), toggles[i]);
}
