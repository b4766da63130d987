// The notification watcher: status texts, the database stamp and the
// 30-second rule, new-since-last-read, toast texts and clock times, and the
// watcher's start-up and passes over a fake listener.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "notifications.h"
#include "sys_os.h"

namespace {

// ---- Status texts -----------------------------------------------------------------------------------

TEST(ListenerStatus, EachStartUpOutcomeHasItsText) {
    const struct {
        ListenerStart start;
        const char* text;
    } cases[] = {
        {{ListenerStart::Open, 0}, "açık"},
        {{ListenerStart::NoListener, 0x80040154}, "dinleyici yok (80040154)"},
        {{ListenerStart::AccessFailed, 0x80070005}, "izin alınamadı (80070005)"},
        {{ListenerStart::Denied, 0}, "Windows izin vermedi (Ayarlar > Gizlilik > Bildirimler)"},
    };
    for (const auto& c : cases) EXPECT_EQ(listener_status_text(c.start), c.text);
}

// ---- Database stamp and the read rule ---------------------------------------------------------------

TEST(NotificationDbStamp, LatestWriteAndSummedSizes) {
    const std::string dir = notification_db_dir("base");
    EXPECT_EQ(dir, path_join(path_join(path_join("base", "Microsoft"), "Windows"), "Notifications"));
    std::map<std::string, FileStamp> files;
    FileStampReader reader = [&](const std::string& path) -> std::optional<FileStamp> {
        auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second;
    };
    EXPECT_EQ(notification_db_stamp(std::nullopt, reader), std::nullopt);
    EXPECT_EQ(notification_db_stamp(dir, reader), (NotificationDbStamp{0, 0}));  // neither file
    files[path_join(dir, "wpndatabase.db")] = {1'700'000'000'000, 4096};
    EXPECT_EQ(notification_db_stamp(dir, reader), (NotificationDbStamp{1'700'000'000'000, 4096}));
    files[path_join(dir, "wpndatabase.db-wal")] = {1'700'000'005'000, 100};
    EXPECT_EQ(notification_db_stamp(dir, reader), (NotificationDbStamp{1'700'000'005'000, 4196}));
    files[path_join(dir, "wpndatabase.db-wal")] = {-1, 100};  // written before 1970
    EXPECT_EQ(notification_db_stamp(dir, reader), std::nullopt);
}

TEST(NotificationReadDue, UnchangedDatabaseIsReadAgainAfterThirtySeconds) {
    const NotificationDbStamp a{1000, 10}, b{2000, 10};
    const struct {
        const char* what;
        std::optional<NotificationDbStamp> stamp, previous;
        bool first_done;
        double elapsed;
        bool due;
    } cases[] = {
        {"unchanged, 29.9 s", a, a, true, 29.9, false},
        {"unchanged, 30 s", a, a, true, 30.0, true},
        {"changed", b, a, true, 1, true},
        {"no stamp (no LOCALAPPDATA)", std::nullopt, std::nullopt, true, 0.4, true},
        {"no previous stamp", a, std::nullopt, true, 0.4, true},
        {"first read still to come", a, a, false, 0.4, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(notification_read_due(c.stamp, c.previous, c.first_done, 500 + c.elapsed, 500), c.due) << c.what;
}

// ---- New since the last read ------------------------------------------------------------------------

TEST(NewSinceLastRead, FirstReadIsSilentAndEachArrivalCountsOnce) {
    NotificationDiff first = new_since_last_read({1, 2}, {}, false);
    EXPECT_TRUE(first.fresh.empty());
    EXPECT_EQ(first.seen, (std::unordered_set<uint32_t>{1, 2}));

    NotificationDiff second = new_since_last_read({1, std::nullopt, 7, 2}, first.seen, true);
    EXPECT_EQ(second.fresh, (std::vector<size_t>{2}));  // positions in the list
    EXPECT_EQ(second.seen, (std::unordered_set<uint32_t>{1, 2, 7}));

    NotificationDiff third = new_since_last_read({7, 1}, second.seen, true);
    EXPECT_TRUE(third.fresh.empty());  // still listed hours later: not again
    EXPECT_EQ(third.seen, (std::unordered_set<uint32_t>{1, 7}));
}

// ---- Texts and clock time ---------------------------------------------------------------------------

TEST(ToastTexts, TitleAndBodyFromTheTextElements) {
    const struct {
        std::vector<std::string> raw;
        const char* title;
        const char* body;
    } cases[] = {
        {{"Ali", "Merhaba", "nasılsın?"}, "Ali", "Merhaba · nasılsın?"},
        {{}, "Posta", ""},
        {{"  ", "\t"}, "Posta", ""},
        {{" Ali ", "", " selam\n"}, "Ali", "selam"},
        {{"Yalnız başlık"}, "Yalnız başlık", ""},
    };
    for (const auto& c : cases) {
        std::string title, body;
        toast_title_body(clean_toast_texts(c.raw), "Posta", title, body);
        EXPECT_EQ(title, c.title);
        EXPECT_EQ(body, c.body);
    }
}

constexpr int64_t kT = 10'000'000;
// 2024-03-01 00:00 UTC as a file time (ticks since 1601).
constexpr int64_t kDay = 133'537'248'000'000'000;

TEST(NotificationTime, LocalClockAtTheCurrentOffset) {
    const int64_t created = kDay + (9 * 3600 + 5 * 60) * kT;  // 09:05 UTC
    const int64_t now = kDay + (10 * 3600 + 30 * 60) * kT;    // 10:30 UTC
    const struct {
        int offset_seconds;
        const char* text;
    } cases[] = {
        {3 * 3600, "12:05"}, {-5 * 3600, "04:05"}, {0, "09:05"}, {5 * 3600 + 1800, "14:35"}, {-12 * 3600, "21:05"},
    };
    for (const auto& c : cases) {
        const int local = ((10 * 3600 + 30 * 60 + c.offset_seconds) % 86400 + 86400) % 86400;
        EXPECT_EQ(format_notification_time(created, now, local), c.text) << c.offset_seconds;
    }
    // Local midnight passed while UTC has not: the offset still comes out as +3 h.
    EXPECT_EQ(format_notification_time(created, kDay + 22 * 3600 * kT, 1 * 3600), "12:05");
}

// ---- The watcher over a fake listener ---------------------------------------------------------------

struct FakeToast {
    std::optional<uint32_t> id;
    RawNotification raw;
};

struct FakeListener : NotificationListener {
    ListenerStart outcome;
    std::vector<FakeToast> list;
    bool read_fails = false;
    int reads = 0;
    std::map<std::string, int> logo_lookups;

    ListenerStart start() override { return outcome; }
    std::optional<std::vector<std::optional<uint32_t>>> read() override {
        ++reads;
        if (read_fails) return std::nullopt;
        std::vector<std::optional<uint32_t>> ids;
        for (const FakeToast& t : list) ids.push_back(t.id);
        return ids;
    }
    RawNotification details(size_t position) override { return list.at(position).raw; }
    ImageRef logo(size_t position) override {
        const std::string& app = list.at(position).raw.app_id;
        ++logo_lookups[app];
        if (app.find("nologo") != std::string::npos) return nullptr;
        auto img = std::make_shared<Image>();
        img->width = img->height = 64;
        return img;
    }
};

FakeToast toast(uint32_t id, std::string app_id, std::string name, std::vector<std::string> texts) {
    return {id, {std::move(app_id), std::move(name), std::move(texts), kDay + (9 * 3600 + 5 * 60) * kT}};
}

struct NotifFixture : ::testing::Test {
    FakeListener fake;
    NotificationWatcher w;
    double clock = 50;
    int notified = 0;
    std::optional<FileStamp> db;  // the database file's stamp

    void SetUp() override {
        w.listener = &fake;
        w.shared = Shared<NotificationState>(NotificationState{kNotifStarting, {}});
        w.config.monotonic = [this] { return clock; };
        w.config.file_time = [] { return kDay + 10 * 3600 * kT; };
        w.config.local_seconds = [] { return 13 * 3600; };  // UTC+3
        w.config.notify = [this] { ++notified; };
        w.config.local_app_data = "L";
        w.config.file_stamp = [this](const std::string& path) -> std::optional<FileStamp> {
            if (path == path_join(notification_db_dir("L"), "wpndatabase.db")) return db;
            return std::nullopt;
        };
    }
    NotificationState state() { return *w.shared.snapshot(); }
};

TEST_F(NotifFixture, StartUpFailuresEndTheThreadWithTheirStatus) {
    for (ListenerStart s : {ListenerStart{ListenerStart::NoListener, 0x80040154}, ListenerStart{ListenerStart::Denied, 0}}) {
        fake.outcome = s;
        notified = 0;
        EXPECT_FALSE(notification_start(w));
        EXPECT_EQ(state().status, listener_status_text(s));
        EXPECT_EQ(notified, 1);  // the island learns the status
        EXPECT_TRUE(state().items.empty());
    }
    fake.outcome = {ListenerStart::NoListener, 0x80040154};
    notification_watch_loop(w);  // returns: the thread ends
    EXPECT_EQ(state().status, "dinleyici yok (80040154)");
    EXPECT_EQ(fake.reads, 0);
}

TEST_F(NotifFixture, ArrivalsAreHandedOnOnceInIdOrder) {
    fake.list = {toast(5, "old.app", "Eski", {"x"})};
    ASSERT_TRUE(notification_start(w));
    EXPECT_EQ(state().status, "açık");
    notified = 0;
    EXPECT_TRUE(notification_pass(w));  // the first read only learns what exists
    EXPECT_TRUE(state().items.empty());
    EXPECT_EQ(notified, 0);

    fake.list.push_back(toast(9, "com.squirrel.Slack.Slack", "", {"Ali", "Merhaba", "nasılsın?"}));
    fake.list.push_back(toast(8, "Spotify.exe", "", {}));
    db = FileStamp{1000, 10};  // the database changed
    EXPECT_TRUE(notification_pass(w));
    NotificationState s = state();
    ASSERT_EQ(s.items.size(), 2u);
    EXPECT_EQ(s.items[0].id, 8u);
    EXPECT_EQ(s.items[0].app, "Spotify");  // no display name: from the identifier
    EXPECT_EQ(s.items[0].title, "Spotify");
    EXPECT_EQ(s.items[0].body, "");
    EXPECT_EQ(s.items[1].id, 9u);
    EXPECT_EQ(s.items[1].app, "Slack");
    EXPECT_EQ(s.items[1].title, "Ali");
    EXPECT_EQ(s.items[1].body, "Merhaba · nasılsın?");
    EXPECT_EQ(s.items[1].time, "12:05");
    EXPECT_TRUE(s.items[1].logo);
    EXPECT_EQ(notified, 1);

    clock += 31;  // read again: nothing new although both are still listed
    EXPECT_TRUE(notification_pass(w));
    EXPECT_EQ(state().items.size(), 2u);  // the App has not taken them yet: kept
    EXPECT_EQ(notified, 1);
}

TEST_F(NotifFixture, TheListIsReadOnlyWhenTheDatabaseChangesOrEveryThirtySeconds) {
    db = FileStamp{1000, 10};
    ASSERT_TRUE(notification_start(w));
    EXPECT_TRUE(notification_pass(w));  // first read
    EXPECT_FALSE(notification_pass(w));
    clock = 79.9;  // the first read was at 50
    EXPECT_FALSE(notification_pass(w));
    clock = 80;
    EXPECT_TRUE(notification_pass(w));
    EXPECT_FALSE(notification_pass(w));
    db = FileStamp{1400, 12};
    EXPECT_TRUE(notification_pass(w));
    EXPECT_EQ(fake.reads, 3);
}

TEST_F(NotifFixture, WithoutLocalAppDataEveryPassReads) {
    w.config.local_app_data.reset();
    ASSERT_TRUE(notification_start(w));
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(notification_pass(w));
    EXPECT_EQ(fake.reads, 4);
}

TEST_F(NotifFixture, AFailedReadIsRetriedUntilOneSucceeds) {
    db = FileStamp{1000, 10};
    fake.read_fails = true;
    ASSERT_TRUE(notification_start(w));
    EXPECT_TRUE(notification_pass(w));
    EXPECT_TRUE(notification_pass(w));  // no read has succeeded yet
    fake.read_fails = false;
    EXPECT_TRUE(notification_pass(w));
    EXPECT_FALSE(notification_pass(w));
    EXPECT_EQ(fake.reads, 3);
}

TEST_F(NotifFixture, LogosAreLookedUpOncePerApplicationMissesToo) {
    ASSERT_TRUE(notification_start(w));
    notification_pass(w);
    fake.list = {toast(1, "a.nologo", "A", {"1"}), toast(2, "a.nologo", "A", {"2"}), toast(3, "b", "B", {"3"})};
    clock += kNotifRereadSeconds;
    notification_pass(w);
    fake.list.push_back(toast(4, "a.nologo", "A", {"4"}));
    fake.list.push_back(toast(5, "b", "B", {"5"}));
    clock += kNotifRereadSeconds;
    notification_pass(w);
    EXPECT_EQ(fake.logo_lookups["a.nologo"], 1);
    EXPECT_EQ(fake.logo_lookups["b"], 1);
    NotificationState s = state();
    ASSERT_EQ(s.items.size(), 5u);
    EXPECT_FALSE(s.items[0].logo);
    EXPECT_TRUE(s.items[2].logo);
    EXPECT_EQ(s.items[4].logo, s.items[2].logo);  // the cached image is shared
}

TEST_F(NotifFixture, APoisonedStateLosesTheBatchButStillNotifies) {
    ASSERT_TRUE(notification_start(w));
    notification_pass(w);
    try {
        w.shared.with([](NotificationState&) { throw 1; });
    } catch (int) {
    }
    fake.list = {toast(1, "x", "X", {"hi"})};
    notified = 0;
    clock += kNotifRereadSeconds;
    notification_pass(w);
    EXPECT_EQ(notified, 1);
    fake.list.push_back(toast(2, "x", "X", {"again"}));
    clock += kNotifRereadSeconds;
    notification_pass(w);
    EXPECT_EQ(notified, 2);  // later arrivals still count once each
}

}  // namespace
