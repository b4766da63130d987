// The watchers' messages handled by the App: snapshots are built by hand in
// the shared states, the handler is called as the window procedure calls it,
// and the notices, lists and copies it leaves are checked.
#include <string>
#include <vector>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "app_fixture.h"
#include "sys_audio.h"
#include "sys_os.h"
#include "voice.h"

namespace {

// A loud island (notices pass their gate) in a fresh data folder, closed.
struct WatchTest : AppFixture {
    App& a() { return *app; }
    void SetUp() override {
        AppFixture::SetUp();
        make(false);
        app->now = 50;
    }
    void set_sysmon(const std::function<void(SysmonSnapshot&)>& fill) {
        app->sysmon.shared.with([&](SysmonSnapshot& s) { fill(s); });
    }
    void clear_notice() { app->notices.shown = false; }
    // A real file in the data folder (the shelf takes only files that exist).
    std::string file(const std::string& name) {
        // Through the system layer, so a non-ASCII name is the same file on Windows.
        const std::string path = path_join(data.dir, name);
        EXPECT_TRUE(write_file_atomic(path, "x").ok()) << path;
        return path;
    }
};

// Poisons a shared state the way a throwing writer does.
template <class T>
void poison(Shared<T>& s) {
    try {
        s.with([](T&) { throw 1; });
    } catch (int) {
    }
}

MediaSnapshot track(uint64_t version, bool playing, const std::string& title) {
    MediaSnapshot m;
    m.has = true;
    m.playing = playing;
    m.title = title;
    m.artist = "Sezen Aksu";
    m.track_version = version;
    return m;
}

SteamEvent ev(SteamEvent::Kind kind, const std::string& name, double size = 0, int64_t seconds = 0) {
    SteamEvent e;
    e.kind = kind;
    e.name = name;
    e.size = size;
    e.seconds = seconds;
    return e;
}

}  // namespace

// ---- Media ---------------------------------------------------------------------------------------------------------

TEST_F(WatchTest, MediaFirstReadingIsSilentAndANewPlayingTrackRaisesTrack) {
    struct Step {
        MediaSnapshot snap;
        bool track_notice;
    } steps[] = {
        {track(1, true, "Gülümse"), false},          // the first reading after start-up
        {track(1, true, "Gülümse"), false},          // same track again
        {track(2, false, "Firuze"), false},          // new track, paused
        {track(3, true, "Kaçın Kurası"), true},      // new track, playing
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.snap.title);
        clear_notice();
        a().media.shared.with([&](MediaSnapshot& m) { m = s.snap; });
        a().on_media_update();
        EXPECT_EQ(a().notices.shown && a().notices.kind == HudKind::Track, s.track_notice);
        EXPECT_EQ(a().media.snap.title, s.snap.title) << "the copy is replaced";
    }
    EXPECT_DOUBLE_EQ(a().notices.until, a().now + 3.4);
}

TEST_F(WatchTest, MediaCopyKeepsTheDraggedPosition) {
    a().media.snap = track(1, true, "A");
    a().media.snap.position = 40;
    a().media.seen = true;
    a().pointer.seek_drag = 0.5f;
    MediaSnapshot next = track(1, true, "A");
    next.position = 12;
    a().media.shared.with([&](MediaSnapshot& m) { m = next; });
    a().on_media_update();
    EXPECT_DOUBLE_EQ(a().media.snap.position, 40);
    EXPECT_DOUBLE_EQ(a().media.changed, a().now);
    EXPECT_DOUBLE_EQ(a().media.active, a().now);
}

TEST_F(WatchTest, MediaCopiesThatChangeNothingDrawNothing) {
    MediaSnapshot idle;
    const struct {
        const char* what;
        MediaSnapshot snap;
        bool redraw;
    } steps[] = {
        {"the first copy", idle, true},
        {"the same idle copy", idle, false},
        {"a track", track(1, true, "A"), true},
        {"the track moved on", [] { MediaSnapshot m = track(1, true, "A"); m.position += 0.7; return m; }(), true},
        {"nothing playing again", idle, true},
        {"and again", idle, false},
    };
    for (const auto& s : steps) {
        a().drawing.redraw = false;
        a().media.shared.with([&](MediaSnapshot& m) { m = s.snap; });
        a().on_media_update();
        EXPECT_EQ(a().drawing.redraw, s.redraw) << s.what;
    }
}

// ---- System monitor ----------------------------------------------------------------------------------------------

TEST_F(WatchTest, SysmonFirstReadingRaisesNothingAndTakesUsersAsTheBaseline) {
    set_sysmon([](SysmonSnapshot& s) {
        s.net_checked = true;
        s.online = true;
        s.cam_users = {"Zoom"};
        s.mic_users = {"Zoom"};
    });
    a().on_sysmon_update();
    EXPECT_FALSE(a().notices.shown);
    EXPECT_EQ(a().sysmon.cam_users, 1u);
    // Going offline in the next sample is news.
    set_sysmon([](SysmonSnapshot& s) { s.online = false; });
    a().on_sysmon_update();
    ASSERT_TRUE(a().notices.shown);
    EXPECT_EQ(a().notices.kind, HudKind::Net);
    EXPECT_EQ(a().notices.title, "İnternet bağlantısı yok");
    EXPECT_EQ(a().notices.body, "");
}

TEST_F(WatchTest, SysmonNetworkAndPrivacyNotices) {
    struct Case {
        const char* name;
        std::function<void(SysmonSnapshot&)> change;
        HudKind kind;
        std::string title, body;
    } cases[] = {
        {"wifi back", [](SysmonSnapshot& s) { s.online = true, s.wireless = true, s.net_name = "EvAğı"; }, HudKind::Net,
         "Wi‑Fi bağlandı", "EvAğı"},
        {"cable back", [](SysmonSnapshot& s) { s.online = true, s.net_name = "Ethernet"; }, HudKind::Net,
         "İnternete bağlandı", "Ethernet"},
        {"camera and microphone together", [](SysmonSnapshot& s) {
             s.cam_users = {"Teams", "Zoom"};
             s.mic_users = {"Discord"};
         },
         HudKind::Privacy, "Kamera kullanımda", "Teams, Zoom"},
        {"microphone alone", [](SysmonSnapshot& s) { s.mic_users = {"Discord", "OBS"}; }, HudKind::Privacy,
         "Mikrofon kullanımda", "Discord, OBS"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        set_sysmon([](SysmonSnapshot& s) { s.net_checked = true; });
        a().on_sysmon_update();
        set_sysmon(c.change);
        a().on_sysmon_update();
        ASSERT_TRUE(a().notices.shown);
        EXPECT_EQ(a().notices.kind, c.kind);
        EXPECT_EQ(a().notices.title, c.title);
        EXPECT_EQ(a().notices.body, c.body);
    }
}

TEST_F(WatchTest, TwoDownloadsInOneSampleGiveOneNoticeTwoRowsAndTwoShelfEntries) {
    a().on_sysmon_update();  // first reading
    const std::string first = file("rapor.pdf"), second = file("fotoğraf.png");
    set_sysmon([&](SysmonSnapshot& s) { s.downloads = {first, second}; });
    const uint64_t serial = a().notices.serial;
    a().on_sysmon_update();
    ASSERT_TRUE(a().notices.shown);
    EXPECT_EQ(a().notices.kind, HudKind::Download);
    EXPECT_EQ(a().notices.title, "2 dosya indirildi");
    EXPECT_EQ(a().notices.body, "fotoğraf.png");
    EXPECT_EQ(a().notices.serial, serial + 1);
    ASSERT_EQ(a().sysmon.recent.size(), 2u);
    EXPECT_EQ(a().sysmon.recent[0].name, "fotoğraf.png") << "newest first";
    EXPECT_EQ(a().sysmon.recent[1].name, "rapor.pdf");
    EXPECT_EQ(a().sysmon.recent[0].time.size(), 5u);
    EXPECT_EQ(a().lists.shelf.size(), 2u);
    // Taken out of the shared state: the next sample brings nothing again.
    a().sysmon.shared.with([](SysmonSnapshot& s) { EXPECT_TRUE(s.downloads.empty()); });
    clear_notice();
    a().on_sysmon_update();
    EXPECT_FALSE(a().notices.shown);
    EXPECT_EQ(a().sysmon.recent.size(), 2u);
}

TEST_F(WatchTest, OneDownloadAndTheRecentListCap) {
    a().on_sysmon_update();
    a().settings.auto_shelf = false;
    for (int i = 0; i < 10; ++i) set_sysmon([&](SysmonSnapshot& s) { s.downloads.push_back(fmt::format("C:\\İndirilenler\\f{}", i)); });
    a().on_sysmon_update();
    EXPECT_EQ(a().sysmon.recent.size(), 8u);
    EXPECT_EQ(a().sysmon.recent.front().name, "f9");
    EXPECT_TRUE(a().lists.shelf.empty());
    set_sysmon([&](SysmonSnapshot& s) { s.downloads = {"C:\\İndirilenler\\kurulum.exe"}; });
    a().on_sysmon_update();
    EXPECT_EQ(a().notices.title, "İndirme tamamlandı");
    EXPECT_EQ(a().notices.body, "kurulum.exe");
}

// ---- Notifications -------------------------------------------------------------------------------------------------

TEST_F(WatchTest, NotificationsToastOnlyWhileClosedAndCountOnlyOffTheirPage) {
    auto arrive = [&](const std::string& title) {
        a().notifs.shared.with([&](NotificationState& s) {
            s.status = "açık";
            AppNotification n;
            n.app = "WhatsApp";
            n.title = title;
            s.items.push_back(n);
        });
        a().on_notifications_update();
    };
    struct Case {
        const char* name;
        bool open;
        Page page;
        uint32_t badge;
        bool toast;
    } cases[] = {
        {"closed", false, Page::Home, 1, true},
        {"open on the notifications page", true, Page::Notifs, 0, false},
        {"open on another page", true, Page::Media, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        a().island.open = c.open;
        a().island.page = c.page;
        arrive("Merhaba");
        EXPECT_EQ(a().notifs.unread_badge, c.badge);
        EXPECT_EQ(a().notifs.toast.has_value(), c.toast);
        EXPECT_EQ(a().notifs.status, "açık");
        ASSERT_EQ(a().notifs.list.size(), 1u);
        a().notifs.shared.with([](NotificationState& s) { EXPECT_TRUE(s.items.empty()); });
    }
}

TEST_F(WatchTest, TheEightyFirstNotificationPushesTheOldestOut) {
    a().notifs.shared.with([](NotificationState& s) {
        for (int i = 0; i < 81; ++i) {
            AppNotification n;
            n.title = fmt::format("n{}", i);
            n.id = static_cast<uint32_t>(i);
            s.items.push_back(n);
        }
    });
    a().on_notifications_update();
    ASSERT_EQ(a().notifs.list.size(), 80u);
    EXPECT_EQ(a().notifs.list.front().title, "n80");
    EXPECT_EQ(a().notifs.list.back().title, "n1");
}

// ---- Steam ---------------------------------------------------------------------------------------------------------

TEST_F(WatchTest, SteamEventTexts) {
    auto header = std::make_shared<const Image>();
    struct Case {
        SteamEvent event;
        std::string title, body;
        bool picture;
    };
    const std::vector<Case> cases = {
        {ev(SteamEvent::DownloadStarted, "Hades", 2.5 * 1024 * 1024 * 1024), "Steam indirmesi başladı", "Hades · 2,5 GB", true},
        {ev(SteamEvent::DownloadStarted, "Hades"), "Steam indirmesi başladı", "Hades", true},
        {ev(SteamEvent::DownloadFinished, "Hades"), "İndirme bitti", "Hades · oynamaya hazır", true},
        {ev(SteamEvent::GameStarted, "Celeste"), "Oyun başladı", "Celeste", false},
        {ev(SteamEvent::GameClosed, "Celeste", 0, 59), "Oyun kapandı", "Celeste · 1 dk oynadın", true},
        {ev(SteamEvent::GameClosed, "Celeste", 0, 3725), "Oyun kapandı", "Celeste · 1 sa 2 dk oynadın", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        SetUp();
        a().steam.shared.with([&](SteamSnapshot& s) {
            s.found = true;
            s.active = SteamActiveDownload{};
            s.active->header = header;
            s.events = {c.event};
        });
        const uint64_t serial = a().notices.serial;
        a().on_steam_update();
        ASSERT_TRUE(a().notices.shown);
        EXPECT_EQ(a().notices.kind, HudKind::Steam);
        EXPECT_EQ(a().notices.title, c.title);
        EXPECT_EQ(a().notices.body, c.body);
        EXPECT_EQ(a().notices.picture == header, c.picture) << "the game started has no playing record here";
        EXPECT_EQ(a().notices.serial, serial + 1);
        EXPECT_TRUE(a().steam.found);
        EXPECT_TRUE(a().steam.download.has_value());
        a().steam.shared.with([](SteamSnapshot& s) { EXPECT_TRUE(s.events.empty()); });
    }
}

TEST_F(WatchTest, SteamLaterEventOfABatchWins) {
    a().steam.shared.with([](SteamSnapshot& s) {
        s.events = {ev(SteamEvent::GameStarted, "Celeste"), ev(SteamEvent::GameClosed, "Celeste", 0, 600)};
    });
    a().on_steam_update();
    EXPECT_EQ(a().notices.title, "Oyun kapandı");
    EXPECT_EQ(a().notices.body, "Celeste · 10 dk oynadın");
}

// ---- Update --------------------------------------------------------------------------------------------------------

TEST_F(WatchTest, UpdateNoticeAndRestartOncePerPendingVersion) {
    auto restarts = [&] {
        size_t n = 0;
        for (const PendingEffect& p : a().effects.pending) n += std::holds_alternative<effect::RestartAfterUpdate>(p.effect);
        return n;
    };
    a().update.shared.with([](UpdateState& s) { s.status = "güncel"; });
    a().on_update_event();
    EXPECT_EQ(a().update.status, "güncel");
    EXPECT_EQ(restarts(), 0u);
    a().update.shared.with([](UpdateState& s) {
        s.status = "v2.5.0 kuruldu";
        s.pending_version = "2.5.0";
    });
    a().on_update_event();
    EXPECT_EQ(a().notices.title, "Vemo Ada güncelleniyor");
    EXPECT_EQ(a().notices.body, "v2.5.0 · yeniden başlatılıyor");
    ASSERT_EQ(restarts(), 1u);
    EXPECT_DOUBLE_EQ(a().effects.pending.back().time, a().now + 3);
    a().notices.title.clear();
    a().on_update_event();
    EXPECT_EQ(restarts(), 1u);
    EXPECT_EQ(a().notices.title, "") << "no second notice";
    EXPECT_TRUE(a().notices.queue.empty());
}

// ---- Poisoned states -------------------------------------------------------------------------------------------------

TEST_F(WatchTest, APoisonedStateChangesNothing) {
    a().media.snap.title = "eski";
    a().sysmon.snap.cpu = 0.25f;
    a().weather.snap.city = "İzmir";
    a().notifs.status = "açık";
    a().steam.snap.persona = "vemo";
    a().update.status = "bekliyor";
    poison(a().media.shared);
    poison(a().sysmon.shared);
    poison(a().weather.shared);
    poison(a().notifs.shared);
    poison(a().steam.shared);
    poison(a().update.shared);
    a().drawing.redraw = false;
    a().on_media_update();
    a().on_sysmon_update();
    a().on_weather_update();
    a().on_notifications_update();
    a().on_steam_update();
    a().on_update_event();
    EXPECT_EQ(a().media.snap.title, "eski");
    EXPECT_FALSE(a().media.seen);
    EXPECT_FLOAT_EQ(a().sysmon.snap.cpu, 0.25f);
    EXPECT_FALSE(a().sysmon.seen);
    EXPECT_EQ(a().weather.snap.city, "İzmir");
    EXPECT_EQ(a().notifs.status, "açık");
    EXPECT_EQ(a().steam.snap.persona, "vemo");
    EXPECT_EQ(a().update.status, "bekliyor");
    EXPECT_FALSE(a().drawing.redraw);
    EXPECT_FALSE(a().notices.shown);
}

// ---- Weather and wake word ----------------------------------------------------------------------------------------------

TEST_F(WatchTest, WeatherIsCopiedWhole) {
    a().weather.shared.with([](WeatherSnapshot& s) {
        s.city = "Ankara";
        s.ok = true;
        s.temp = 7;
        s.days = {WeatherDay{1, 3, 9, 2, 10}};
    });
    a().on_weather_update();
    EXPECT_EQ(a().weather.snap.city, "Ankara");
    EXPECT_TRUE(a().weather.snap.ok);
    EXPECT_EQ(a().weather.snap.days.size(), 1u);
    EXPECT_FALSE(a().notices.shown);
}

TEST_F(WatchTest, WakeWordHeard) {
    struct Case {
        const char* name;
        bool signed_in;
        VoiceState before;
        bool listens, stopped;
    } cases[] = {
        {"signed in and idle", true, VoiceState::Idle, true, false},
        {"signed out", false, VoiceState::Idle, false, true},
        {"already answering", true, VoiceState::Thinking, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        a().google.snap.signed_in = c.signed_in;
        a().voice.state = c.before;
        auto [ui, producer] = MicCapture::new_pair();
        put_wake_hit(producer);
        a().on_wake_heard();
        EXPECT_FALSE(take_wake_hit().has_value()) << "the slot is emptied";
        EXPECT_EQ(a().voice.state == VoiceState::Listening, c.listens);
        EXPECT_EQ(ui.cells->stop.load(), c.stopped);
        if (c.listens) {
            EXPECT_EQ(a().notices.kind, HudKind::Voice);
            EXPECT_TRUE(a().voice.speak);
        }
        if (!c.signed_in) {
            EXPECT_EQ(a().notices.title, "“Hey Google” duydum");
        }
    }
    a().voice.state = VoiceState::Idle;
    a().on_wake_heard();  // an empty slot does nothing
    EXPECT_EQ(a().voice.state, VoiceState::Idle);
}
