// App::act over the Action variants: fixed texts and targets, list indices
// past their end, the hand-off rule of closing, which page opens, and which
// handlers rewrite state.txt.
#include "app_input_support.h"
#include "sys_clipboard.h"
#include "sys_mic.h"

namespace {

using ActionsTest = IslandTest;

Action of(ActionKind k) { return Action::of(k); }
Action byte(ActionKind k, uint8_t a) { return Action::byte(k, a); }
Action at(ActionKind k, uint16_t i) { return Action::at(k, i); }

TEST_F(ActionsTest, PresetsSetLengthAndRemainingAndSave) {
    const double minutes[] = {1, 3, 5, 10, 15, 25, 45, 60};
    for (uint8_t i = 0; i < 8; ++i) {
        forget_state();
        app->act(byte(ActionKind::Preset, i));
        EXPECT_DOUBLE_EQ(app->timers.countdown.length, minutes[i] * 60) << int(i);
        EXPECT_DOUBLE_EQ(app->timers.countdown.remaining, minutes[i] * 60) << int(i);
        EXPECT_NE(state().find(fmt::format("timer={}\n", minutes[i] * 60)), std::string::npos) << int(i);
    }
    // A running countdown restarts from the new length.
    app->now = 50;
    app->timers.countdown.running = true;
    app->timers.countdown.end = 60;
    app->act(byte(ActionKind::Preset, 2));
    EXPECT_DOUBLE_EQ(app->timers.countdown.end, 350.0);
}

TEST_F(ActionsTest, SnoozeLeavesASixtySecondCountdownRunning) {
    app->island.open = false;
    app->now = 100;
    app->timers.countdown = Countdown{900, 0, 0, false};
    app->notices.kind = HudKind::TimerDone;
    app->notices.shown = true;
    app->act(of(ActionKind::Snooze));
    EXPECT_TRUE(app->timers.countdown.running);
    EXPECT_DOUBLE_EQ(app->timers.countdown.length, 60.0);
    EXPECT_DOUBLE_EQ(app->timers.countdown.end, 160.0);
    EXPECT_FALSE(app->notices.shown);
    EXPECT_NE(state().find("timer=60\n"), std::string::npos);  // the stored length follows
}

TEST_F(ActionsTest, SizeChangesRepositionAndSaveOnlyWhenDifferent) {
    EXPECT_EQ(effect_text(app->act(byte(ActionKind::Size, 1))), "none");
    EXPECT_FALSE(saved());
    app->drawing.redraw = false;
    EXPECT_EQ(effect_text(app->act(byte(ActionKind::Size, 2))), "Reposition");
    EXPECT_FLOAT_EQ(app->drawing.scale, 1.12f);
    EXPECT_FALSE(app->drawing.redraw);  // the window is re-placed at once instead
    EXPECT_NE(state().find("size=2\n"), std::string::npos);
}

TEST_F(ActionsTest, SteamTargets) {
    app->steam.snap.games.push_back(SteamGameEntry{"Dota 2", 0, 0, 0, nullptr, 570});
    struct Case { Action a; const char* effect; };
    const Case cases[] = {
        {byte(ActionKind::SteamOpen, 0), "OpenUrl(steam://open/downloads)"},
        {byte(ActionKind::SteamOpen, 1), "OpenUrl(steam://open/games)"},
        {byte(ActionKind::SteamOpen, 2), "OpenUrl(steam://store)"},
        {byte(ActionKind::SteamOpen, 3), "OpenUrl(steam://open/friends)"},
        {byte(ActionKind::SteamOpen, 5), "OpenUrl(steam://open/games)"},
        {at(ActionKind::SteamGame, 0), "OpenUrl(steam://rungameid/570)"},
        {at(ActionKind::SteamGame, 1), "none"},
    };
    for (const auto& c : cases) {
        app->island.open = true;
        EXPECT_EQ(effect_text(app->act(c.a)), c.effect) << action_debug(c.a);
    }
}

TEST_F(ActionsTest, UpdateCheckSaysCheckingOnlyWhenTheRequestGoes) {
    app->update.status = "güncel";
    app->act(of(ActionKind::UpdateCheck));
    EXPECT_EQ(app->update.status, "güncel");  // no update thread
    auto [tx, rx] = channel<UpdateRequest>();
    app->update.tx = tx;
    app->act(of(ActionKind::UpdateCheck));
    EXPECT_EQ(app->update.status, "denetleniyor…");
    EXPECT_TRUE(rx.try_recv());
}

TEST_F(ActionsTest, GoogleRequestsAndTheirTexts) {
    auto [tx, rx] = channel<GoogleCommand>();
    app->google.tx = tx;
    app->act(of(ActionKind::GSignIn));
    EXPECT_EQ(app->google.snap.status, "tarayıcıda giriş bekleniyor…");
    auto sent = rx.try_recv();
    EXPECT_TRUE(sent && std::holds_alternative<gcmd::SignIn>(*sent));

    app->island.open = false;
    app->act(of(ActionKind::GRefresh));
    EXPECT_TRUE(rx.try_recv());
    EXPECT_EQ(app->notices.title, "Google yenileniyor");
    EXPECT_EQ(app->notices.kind, HudKind::Info);

    app->act(byte(ActionKind::GSuggest, 3));  // no such chip
    EXPECT_FALSE(rx.try_recv());
    app->google.chat_follow = false;
    app->act(byte(ActionKind::GSuggest, 1));
    sent = rx.try_recv();
    ASSERT_TRUE(sent && std::holds_alternative<gcmd::Ask>(*sent));
    EXPECT_EQ(std::get<gcmd::Ask>(*sent).question, "Bugün takvimimde ne var?");
    EXPECT_TRUE(app->google.chat_follow);
}

TEST_F(ActionsTest, MailReadAndArchiveKeepTheUnreadCount) {
    auto [tx, rx] = channel<GoogleCommand>();
    app->google.tx = tx;
    app->google.snap.mails = {MailItem{"m1", "a", "s", "", true}, MailItem{"m2", "b", "t", "", false}};
    app->google.snap.unread = 1;
    app->act(at(ActionKind::GMailRead, 0));
    app->act(at(ActionKind::GMailRead, 0));  // already read: the count stays
    EXPECT_EQ(app->google.snap.unread, 0u);
    EXPECT_FALSE(app->google.snap.mails[0].unread);
    app->google.snap.mails[1].unread = true;
    app->act(at(ActionKind::GMailArchive, 1));
    EXPECT_EQ(app->google.snap.unread, 0u);  // never below zero
    ASSERT_EQ(app->google.snap.mails.size(), 1u);
    std::vector<std::string> ids;
    while (auto c = rx.try_recv()) {
        if (auto* r = std::get_if<gcmd::MailRead>(&*c)) ids.push_back("read " + r->id);
        if (auto* r = std::get_if<gcmd::MailArchive>(&*c)) ids.push_back("archive " + r->id);
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"read m1", "read m1", "archive m2"}));
}

TEST_F(ActionsTest, HandOffActionsQueueNoFocusRestore) {
    app->lists.shelf.push_back(ShelfItem{"C:\\a.pdf", "a.pdf", "", nullptr, 1});
    app->notifs.list.push_back(AppNotification{"Posta", "microsoft.windowscommunicationsapps_8wekyb3d8bbwe!microsoft.windowslive.mail"});
    app->steam.snap.games.push_back(SteamGameEntry{"g", 0, 0, 0, nullptr, 10});
    app->google.snap.mails.push_back(MailItem{"abc123"});
    app->google.snap.events.push_back(EventItem{"e1", "Toplantı", ""});
    app->google.snap.events.push_back(EventItem{"e2", "Yemek", "https://calendar.google.com/event?eid=x"});
    struct Case { Action a; const char* effect; };
    const Case cases[] = {
        {at(ActionKind::Shelf, 0), "OpenUrl(C:\\a.pdf)"},
        {at(ActionKind::Toast, 0),
         "OpenUrl(shell:AppsFolder\\microsoft.windowscommunicationsapps_8wekyb3d8bbwe!microsoft.windowslive.mail)"},
        {of(ActionKind::TaskMgr), "OpenUrl(taskmgr.exe)"},
        {byte(ActionKind::SteamOpen, 2), "OpenUrl(steam://store)"},
        {at(ActionKind::SteamGame, 0), "OpenUrl(steam://rungameid/10)"},
        {at(ActionKind::GMail, 0), "OpenUrl(https://mail.google.com/mail/u/0/#inbox/abc123)"},
        {at(ActionKind::GEvent, 0), "OpenUrl(https://calendar.google.com/calendar/r)"},
        {at(ActionKind::GEvent, 1), "OpenUrl(https://calendar.google.com/event?eid=x)"},
        {of(ActionKind::Website), "OpenUrl(https://vemo.app)"},
    };
    for (const auto& c : cases) {
        app->island.open = true;
        app->island.focus = TextField::Search;
        app->effects.pending.clear();
        EXPECT_EQ(effect_text(app->act(c.a)), c.effect);
        EXPECT_FALSE(app->island.open) << action_debug(c.a);
        EXPECT_TRUE(app->effects.pending.empty()) << action_debug(c.a);
        EXPECT_FALSE(app->effects.skip_focus_restore);
    }
}

TEST_F(ActionsTest, HandOffOnAClosedIslandDoesNotSilenceTheNextClose) {
    app->island.open = false;
    EXPECT_EQ(effect_text(app->act(of(ActionKind::TaskMgr))), "OpenUrl(taskmgr.exe)");
    EXPECT_FALSE(app->effects.skip_focus_restore);
    app->island.open = true;
    app->island.focus = TextField::Note;
    app->close_island();
    EXPECT_EQ(pending(), std::vector<std::string>{"+0.00:RestoreFocus"});
}

TEST_F(ActionsTest, IndicesPastTheirListDoNothing) {
    app->island.focus = TextField::Note;
    const Action cases[] = {
        at(ActionKind::Shelf, 0),     at(ActionKind::ShelfDel, 0), at(ActionKind::Clip, 0),
        at(ActionKind::ClipPin, 0),   at(ActionKind::ClipDel, 0),  at(ActionKind::Note, 0),
        at(ActionKind::NoteDel, 0),   at(ActionKind::RemDel, 0),   at(ActionKind::Toast, 0),
        at(ActionKind::ToastDel, 0),  at(ActionKind::SteamGame, 0), at(ActionKind::GMail, 0),
        at(ActionKind::GEvent, 0),    at(ActionKind::GMailRead, 0), at(ActionKind::GMailArchive, 0),
        at(ActionKind::GTaskDone, 0), at(ActionKind::GCopy, 0),    at(ActionKind::GSpeak, 0),
        Action::both(ActionKind::ClipAsk, 0, 1), at(ActionKind::NoteTask, 0),
        byte(ActionKind::Source, 0),  byte(ActionKind::Res, 0),    byte(ActionKind::Dock, 15),
    };
    for (const auto& a : cases) {
        app->drawing.redraw = false;
        EXPECT_EQ(effect_text(app->act(a)), "none") << action_debug(a);
        EXPECT_TRUE(app->island.open) << action_debug(a);
        EXPECT_FALSE(saved()) << action_debug(a);
    }
}

TEST_F(ActionsTest, DockAndCardChooseThePage) {
    app->notifs.unread_badge = 3;
    EXPECT_EQ(effect_text(app->act(byte(ActionKind::Dock, 7))), "none");
    EXPECT_EQ(app->island.page, Page::Notifs);
    EXPECT_EQ(app->notifs.unread_badge, 0u);
    EXPECT_NE(state().find("page=notifs\n"), std::string::npos);

    EXPECT_EQ(effect_text(app->act(byte(ActionKind::Dock, 13))), "FocusIsland");
    EXPECT_EQ(app->island.page, Page::Search);
    EXPECT_EQ(app->island.remembered_page, Page::Notifs);
    EXPECT_EQ(app->island.focus, TextField::Search);

    // Leaving the page drops the focus.
    app->act(byte(ActionKind::Card, 0));
    EXPECT_EQ(app->island.page, Page::Calendar);
    EXPECT_EQ(app->island.focus, TextField::None);
    const std::pair<uint8_t, Page> cards[] = {{1, Page::Media}, {2, Page::System}, {3, Page::Control}, {200, Page::Control}};
    for (auto [card, page] : cards) {
        app->act(byte(ActionKind::Card, card));
        EXPECT_EQ(app->island.page, page) << int(card);
    }
}

TEST_F(ActionsTest, CalendarMonthsWrapAroundTheYear) {
    app->island.cal_year = 2026;
    app->island.cal_month = 1;
    app->act(of(ActionKind::CalPrev));
    EXPECT_EQ(std::make_pair(app->island.cal_year, app->island.cal_month), std::make_pair(2025, 12));
    app->act(of(ActionKind::CalNext));
    app->act(of(ActionKind::CalNext));
    EXPECT_EQ(std::make_pair(app->island.cal_year, app->island.cal_month), std::make_pair(2026, 2));
    LocalTime t = local_time();
    app->act(of(ActionKind::CalToday));
    EXPECT_EQ(std::make_pair(app->island.cal_year, app->island.cal_month), std::make_pair(t.year, t.month));
}

TEST_F(ActionsTest, ClipPutsTheEntryBackAndClosesWithFocusBack) {
    app->lists.clips.push_back(ClipEntry{"09:00", ClipEntry::Text{"birinci"}, 1});
    app->lists.clips.push_back(ClipEntry{"09:01", ClipEntry::Text{"ikinci"}, 2});
    app->lists.clip_scroll = 46;
    app->island.focus = TextField::Search;
    app->now = 7;
    app->act(at(ActionKind::Clip, 1));
    EXPECT_EQ(get_clipboard_text(nullptr), std::optional<std::string>("ikinci"));
    EXPECT_DOUBLE_EQ(app->lists.ignore_clipboard_until, 7.6);
    EXPECT_EQ(app->lists.clips[0].id, 2u);
    EXPECT_FLOAT_EQ(app->lists.clip_scroll, 0.0f);
    EXPECT_FALSE(app->island.open);
    EXPECT_EQ(pending(), std::vector<std::string>{"+0.00:RestoreFocus"});
    EXPECT_EQ(app->notices.kind, HudKind::Clipboard);
    EXPECT_EQ(app->notices.title, "Tekrar panoya alındı");
    EXPECT_DOUBLE_EQ(app->notices.until, 8.5);
}

TEST_F(ActionsTest, ClipboardListEdits) {
    auto text = [](const char* t, uint64_t id, bool pinned) { return ClipEntry{"10:00", ClipEntry::Text{t}, id, pinned}; };
    app->lists.clips = {text("a", 1, false), text("b", 2, true), text("c", 3, false), text("d", 4, true)};
    app->act(at(ActionKind::ClipPin, 0));
    EXPECT_TRUE(app->lists.clips[0].pinned);
    app->act(at(ActionKind::ClipPin, 0));
    app->act(at(ActionKind::ClipDel, 2));
    app->lists.clip_scroll = 92;
    app->act(of(ActionKind::ClipClear));
    std::string kept;
    for (const auto& e : app->lists.clips) kept += std::get<ClipEntry::Text>(e.kind).text;
    EXPECT_EQ(kept, "bd");
    EXPECT_FLOAT_EQ(app->lists.clip_scroll, 0.0f);
    EXPECT_FALSE(saved());  // the history is not stored
}

TEST_F(ActionsTest, ClipAskOnlyForTextEntries) {
    auto [tx, rx] = channel<GoogleCommand>();
    app->google.tx = tx;
    app->lists.clips.push_back(ClipEntry{"10:00", ClipEntry::Files{{"C:\\a.txt"}}, 1});
    app->lists.clips.push_back(ClipEntry{"10:00", ClipEntry::Text{"  Merhaba\n\tdünya  " + std::string(70, 'x')}, 2});
    app->act(Action::both(ActionKind::ClipAsk, 0, 0));
    EXPECT_FALSE(rx.try_recv());
    EXPECT_EQ(app->island.page, Page::Home);

    app->island.focus = TextField::Search;
    app->act(Action::both(ActionKind::ClipAsk, 1, 1));
    auto sent = rx.try_recv();
    ASSERT_TRUE(sent && std::holds_alternative<gcmd::AskLabelled>(*sent));
    const auto& ask = std::get<gcmd::AskLabelled>(*sent);
    EXPECT_EQ(ask.label, "Çevir: Merhaba dünya " + std::string(46, 'x') + "…");
    EXPECT_EQ(ask.prompt.rfind("Şu metni çevir: Türkçeyse İngilizceye, değilse Türkçeye. Sadece çeviriyi yaz.\n\n  Merhaba", 0), 0u);
    EXPECT_EQ(app->island.page, Page::Gemini);
    EXPECT_EQ(app->island.focus, TextField::None);
}

TEST_F(ActionsTest, StoredListsAndSettingsAreRewritten) {
    struct Case {
        Action a;
        const char* line;  // expected in state.txt afterwards
    };
    const Case cases[] = {
        {byte(ActionKind::Set, static_cast<uint8_t>(SettingToggle::HoverOpen)), "hover_open=1\n"},
        {byte(ActionKind::Set, static_cast<uint8_t>(SettingToggle::Glow)), "glow=0\n"},
        {byte(ActionKind::Set, static_cast<uint8_t>(SettingToggle::AppNotif)), "app_notif=0\n"},
        {at(ActionKind::Note, 0), "note=1|ilk\n"},
        {at(ActionKind::NoteDel, 1), "note=1|ilk\n"},
        {of(ActionKind::NotesClear), "city="},
        {at(ActionKind::RemDel, 0), "city="},
        {at(ActionKind::ShelfDel, 0), "city="},
        {byte(ActionKind::PomoLen, 2), "pomo=50\n"},
        {of(ActionKind::TPlus), "timer=360\n"},
        {of(ActionKind::ShelfClear), "city="},
    };
    app->lists.notes = {NoteItem{"ilk", 1}, NoteItem{"ikinci", 2}};
    app->lists.reminders = {ReminderItem{"r", 2000000000, 3}};
    app->lists.shelf = {ShelfItem{"C:\\x", "x", "", nullptr, 4}};
    for (const auto& c : cases) {
        forget_state();
        app->act(c.a);
        EXPECT_NE(state().find(c.line), std::string::npos) << action_debug(c.a) << "\n" << state();
    }
    EXPECT_TRUE(app->lists.notes.empty());
    EXPECT_TRUE(app->lists.reminders.empty());
    EXPECT_EQ(state().find("\nshelf="), std::string::npos);
}

TEST_F(ActionsTest, AutostartFlipsTheFlagAndTheEntry) {
    make(true);  // quiet: the flag only
    bool before = app->settings.autostart;
    app->act(byte(ActionKind::Set, static_cast<uint8_t>(SettingToggle::Autostart)));
    EXPECT_EQ(app->settings.autostart, !before);
    EXPECT_FALSE(saved());
}

TEST_F(ActionsTest, PlayFlipsTheCopyAtOnce) {
    auto [tx, rx] = channel<MediaCommand>();
    app->media.tx = tx;
    app->now = 30;
    app->act(of(ActionKind::Play));  // no session: only the command
    EXPECT_FALSE(app->media.snap.playing);
    app->media.snap.has = true;
    app->act(of(ActionKind::Play));
    EXPECT_TRUE(app->media.snap.playing);
    EXPECT_DOUBLE_EQ(app->media.changed, 30.0);
    int sent = 0;
    while (rx.try_recv()) ++sent;
    EXPECT_EQ(sent, 2);
    app->media.snap.sessions.push_back(MediaSessionEntry{"Spotify.exe", "Spotify"});
    app->act(byte(ActionKind::Source, 0));
    auto c = rx.try_recv();
    ASSERT_TRUE(c && std::holds_alternative<media_cmd::SelectSource>(*c));
    EXPECT_EQ(std::get<media_cmd::SelectSource>(*c).app_id, "Spotify.exe");
}

TEST_F(ActionsTest, BubbleOpensTheTimePageInTheBubblesMode) {
    struct Case { uint8_t bubble; uint8_t mode; };
    const Case cases[] = {{uint8_t(ActKind::Pomo), 2}, {uint8_t(ActKind::Watch), 1}, {uint8_t(ActKind::Timer), 0}, {kNoAct, 0}};
    for (const auto& c : cases) {
        app->island.open = false;
        app->notices.shown = true;
        app->island.bubble_act = c.bubble;
        app->act(of(ActionKind::Bubble));
        EXPECT_TRUE(app->island.open);
        EXPECT_FALSE(app->notices.shown);
        EXPECT_EQ(app->island.page, Page::Time);
        EXPECT_EQ(app->timers.mode, c.mode);
    }
}

TEST_F(ActionsTest, PageToOpenPrefersLiveActivities) {
    struct Case {
        const char* name;
        void (*setup)(App&);
        Page remembered;
        Page want;
    };
    const Case cases[] = {
        {"nothing", [](App&) {}, Page::Notes, Page::Notes},
        {"media playing", [](App& a) { a.media.snap.has = a.media.snap.playing = true; }, Page::Notes, Page::Media},
        {"media playing, home remembered", [](App& a) { a.media.snap.has = a.media.snap.playing = true; }, Page::Home, Page::Home},
        {"media paused 24 s ago", [](App& a) { a.media.snap.has = true; a.media.changed = a.now - 24; }, Page::Notes, Page::Media},
        {"media paused 26 s ago", [](App& a) { a.media.snap.has = true; a.media.changed = a.now - 26; }, Page::Notes, Page::Notes},
        {"steam download", [](App& a) { a.steam.download = SteamActiveDownload{}; }, Page::Notes, Page::Steam},
        {"game", [](App& a) { a.steam.snap.playing = SteamPlaying{}; }, Page::Notes, Page::Steam},
        {"countdown paused", [](App& a) { a.timers.countdown.remaining = 100; }, Page::Notes, Page::Time},
        {"countdown almost full", [](App& a) { a.timers.countdown.remaining = 299.6; }, Page::Notes, Page::Notes},
        {"pomodoro paused", [](App& a) { a.timers.pomo.remaining = 1000; }, Page::Notes, Page::Time},
        {"stopwatch shows time", [](App& a) { a.timers.stopwatch.accumulated = 1; }, Page::Notes, Page::Time},
    };
    for (const auto& c : cases) {
        make(true);
        app->now = 100;
        app->island.remembered_page = c.remembered;
        c.setup(*app);
        EXPECT_EQ(app->page_to_open(), c.want) << c.name;
    }
}

TEST_F(ActionsTest, OpeningOnTimerDoneResetsTheCountdown) {
    app->island.open = false;
    app->timers.countdown = Countdown{300, 0, 0, false};
    app->notices.kind = HudKind::TimerDone;
    app->notices.shown = true;
    app->pointer.close_deadline = 5.0;
    app->open_page(Page::Settings);
    EXPECT_DOUBLE_EQ(app->timers.countdown.remaining, 300.0);
    EXPECT_FALSE(app->notices.shown);
    EXPECT_FALSE(app->pointer.close_deadline);
    EXPECT_EQ(app->island.page, Page::Settings);
    EXPECT_FALSE(saved());
}

TEST_F(ActionsTest, CloseIslandReleasesEverythingOnce) {
    app->island.focus = TextField::Gemini;
    app->pointer.slider_grab = 0;
    app->pointer.seek_drag = 0.5f;
    app->pointer.pressed = of(ActionKind::Prev);
    app->island.drag_hover = true;
    app->close_island();
    EXPECT_FALSE(app->island.open);
    EXPECT_FALSE(app->pointer.slider_grab || app->pointer.seek_drag || app->island.drag_hover);
    EXPECT_TRUE(app->pointer.pressed.is_none());
    EXPECT_EQ(pending(), std::vector<std::string>{"+0.00:RestoreFocus"});
    EXPECT_TRUE(saved());
    forget_state();
    app->close_island();  // already closed: nothing
    EXPECT_EQ(app->effects.pending.size(), 1u);
    EXPECT_FALSE(saved());
}

#ifndef _WIN32
TEST_F(ActionsTest, MicNextWalksTheChoicesAndSaves) {
    fake_mics().devices = {std::string("USB Mic"), std::nullopt, std::string("Kulaklık")};
    EXPECT_EQ(app->microphone_names(), (std::vector<std::string>{"", "USB Mic", "Kulaklık"}));
    struct Case { const char* stored; const char* next; };
    const Case cases[] = {{"", "USB Mic"}, {"USB Mic", "Kulaklık"}, {"Kulaklık", ""}, {"çıkarılmış", "USB Mic"}};
    for (const auto& c : cases) {
        app->settings.mic = c.stored;
        forget_state();
        app->act(of(ActionKind::MicNext));
        EXPECT_EQ(app->settings.mic, c.next) << c.stored;
        EXPECT_NE(state().find(fmt::format("mic={}\n", c.next)), std::string::npos);
    }
    // Without devices the default is the only choice.
    fake_mics().devices.clear();
    app->act(of(ActionKind::MicNext));
    EXPECT_EQ(app->settings.mic, "");
}
#endif

TEST_F(ActionsTest, WakeTeachStartsARunFromTheFirstTake) {
    app->island.focus = TextField::Gemini;
    app->now = 12;
    app->voice.answer = "eski";
    auto [ui, producer] = MicCapture::new_pair();
    app->voice.capture = ui;
    app->voice.teaching.take = 2;
    app->act(of(ActionKind::WakeTeach));
    EXPECT_TRUE(producer.cells->stop.load());
    EXPECT_FALSE(app->voice.capture);
    EXPECT_FALSE(app->island.open);
    EXPECT_EQ(pending(), std::vector<std::string>{"+0.00:RestoreFocus"});
    ASSERT_TRUE(app->voice.teaching.takes);
    EXPECT_TRUE(app->voice.teaching.takes->empty());
    EXPECT_EQ(app->voice.teaching.take, 0u);
    EXPECT_EQ(app->voice.teaching.next_take, std::optional<double>(12.4));
    EXPECT_EQ(app->voice.state, VoiceState::Listening);
    EXPECT_EQ(app->voice.answer, "");
    EXPECT_EQ(app->notices.kind, HudKind::Voice);
    EXPECT_DOUBLE_EQ(app->notices.until, 132.0);
}

TEST_F(ActionsTest, PushEffectAppendsInOrder) {
    std::vector<PendingEffect> list;
    App::push_effect(list, PendingEffect{2, effect::ShowDesktop{}});
    App::push_effect(list, PendingEffect{1, effect::MonitorOff{}});
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(effect_text(list[0].effect), "ShowDesktop");
    EXPECT_EQ(effect_text(list[1].effect), "MonitorOff");
}

}  // namespace
