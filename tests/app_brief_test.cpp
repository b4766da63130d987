// The morning brief: its greeting, the facts of the day in their order, which
// events and reminders count as today's, the once-a-day trigger, and local
// dates in zones far from UTC (up to fourteen hours ahead).
#include <cstdlib>
#include <ctime>
#include <string>

#include <gtest/gtest.h>

#include "app.h"
#include "app_fixture.h"
#include "google_api.h"
#include "google_text.h"
#include "sys_os.h"

namespace {

constexpr int64_t kHour = 3600;

// Unix seconds of a local wall-clock time in a zone `offset` seconds ahead of UTC.
int64_t at_local(int64_t y, unsigned mo, unsigned d, int h, int mi, int64_t offset) {
    return days_from_civil(y, mo, d) * 86400 + h * kHour + mi * 60 - offset;
}

struct Brief : AppFixture {
    App& start(int64_t now, int64_t offset) {
        App& a = make(true);
        a.wall_clock.unix_seconds = now;
        a.wall_clock.utc_offset = offset;
        return a;
    }
    static EventItem event(std::string summary, int64_t start, bool all_day = false) {
        EventItem e;
        e.summary = std::move(summary);
        e.start = start;
        e.all_day = all_day;
        return e;
    }
};

TEST_F(Brief, GreetingUsesTheFirstWordOfTheName) {
    struct Case {
        const char* name;
        const char* title;
    } cases[] = {{"", "Günaydın!"}, {"   ", "Günaydın!"}, {"Ayşe Nur Yılmaz", "Günaydın Ayşe!"}, {"Can", "Günaydın Can!"}};
    for (const Case& c : cases) {
        App& a = start(at_local(2026, 3, 10, 8, 0, 3 * kHour), 3 * kHour);
        a.google.snap.name = c.name;
        EXPECT_EQ(a.day_summary_text().first, c.title) << c.name;
    }
}

TEST_F(Brief, NothingToSayWishesAGoodDay) {
    App& a = start(at_local(2026, 3, 10, 8, 0, 3 * kHour), 3 * kHour);
    a.google.snap.unread = 4;  // signed out: the count is not told
    EXPECT_EQ(a.day_summary_text().second, "Güzel bir gün olsun");
}

TEST_F(Brief, FactsInTheirOrder) {
    const int64_t off = 3 * kHour, now = at_local(2026, 3, 10, 8, 0, off);
    App& a = start(now, off);
    a.weather.snap.ok = true;
    a.weather.snap.temp = 12.6f;
    a.weather.snap.code = 0;
    EXPECT_EQ(a.day_summary_text().second, "13° Açık") << "no forecast days: no bracket";
    a.weather.snap.days.push_back(WeatherDay{2, 0, 15.4f, -0.6f, 0});
    auto& ev = a.google.snap.events;
    ev.push_back(event("Ekip toplantısı", at_local(2026, 3, 10, 9, 30, off)));
    ev.push_back(event("Öğle", at_local(2026, 3, 10, 12, 0, off)));
    ev.push_back(event("Doğum günü", at_local(2026, 3, 10, 0, 0, off), true));
    ev.push_back(event("Yarın", at_local(2026, 3, 11, 9, 0, off)));
    a.google.snap.signed_in = true;
    a.google.snap.unread = 5;
    a.lists.reminders.push_back({"Bu akşam", at_local(2026, 3, 10, 23, 30, off), 1});
    a.lists.reminders.push_back({"Yarın", at_local(2026, 3, 11, 0, 30, off), 2});
    EXPECT_EQ(a.day_summary_text().second,
              "13° Açık (Y:15° D:-1°) · 09:30 Ekip toplantısı +2 · 5 okunmamış e-posta · 1 hatırlatıcı");
}

TEST_F(Brief, WhichEventsAreTodays) {
    const int64_t off = 3 * kHour, now = at_local(2026, 3, 10, 8, 0, off);
    App& a = start(now, off);
    auto& ev = a.google.snap.events;
    ev.push_back(event("Eski", now - 11 * 60));
    ev.push_back(event("Yeni başladı", now - 9 * 60));
    EXPECT_EQ(a.day_summary_text().second, "07:51 Yeni başladı");
    ev.insert(ev.begin(), event("Tatil", at_local(2026, 3, 10, 0, 0, off), true));
    EXPECT_EQ(a.day_summary_text().second, "Bugün Tatil +1");
}

TEST_F(Brief, FarEastZonesCountTheLocalDay) {
    // 01:00 on the 11th at +14 h and at +13 h is still the 10th in UTC: the
    // brief speaks of the local 11th and its events.
    for (int64_t off : {14 * kHour, 13 * kHour}) {
        const int64_t now = at_local(2026, 3, 11, 1, 0, off);
        EXPECT_EQ(civil_from_unix_at(now, off), (CivilDate{2026, 3, 11})) << off;
        App& a = start(now, off);
        a.google.snap.events.push_back(event("Kahvaltı", at_local(2026, 3, 11, 9, 30, off)));
        a.google.snap.events.push_back(event("Dünkü", at_local(2026, 3, 10, 23, 0, off)));
        a.lists.reminders.push_back({"Bugün", at_local(2026, 3, 11, 22, 0, off), 1});
        EXPECT_EQ(a.day_summary_text().second, "09:30 Kahvaltı · 1 hatırlatıcı") << off;
    }
}

TEST_F(Brief, ShownOncePerLocalDayInTheMorning) {
    for (int64_t off : {3 * kHour, 13 * kHour, 14 * kHour, -11 * kHour}) {
        App& a = make(false);
        a.settings.brief.clear();  // the earlier round's state.txt is read back
        a.wall_clock.utc_offset = off;
        a.weather.snap.ok = true;
        a.now = 30;
        a.wall_clock.unix_seconds = at_local(2026, 3, 11, 4, 59, off);
        a.show_morning_brief();
        EXPECT_EQ(a.settings.brief, "") << "not before five: " << off;
        a.wall_clock.unix_seconds = at_local(2026, 3, 11, 5, 0, off);
        a.show_morning_brief();
        EXPECT_EQ(a.settings.brief, "2026-03-11") << off;
        EXPECT_EQ(a.notices.kind, HudKind::Notice);
        EXPECT_EQ(a.notices.title, "Günaydın!");
        a.notices.shown = false;
        a.show_morning_brief();
        EXPECT_FALSE(a.notices.shown) << "once a day";
        a.wall_clock.unix_seconds = at_local(2026, 3, 12, 12, 0, off);
        a.show_morning_brief();
        EXPECT_EQ(a.settings.brief, "2026-03-11") << "not after noon";
        app.reset();
    }
}

TEST_F(Brief, WaitsForTheWeatherAtMostNinetySeconds) {
    App& a = make(false);
    a.wall_clock.utc_offset = 0;
    a.wall_clock.unix_seconds = at_local(2026, 3, 11, 8, 0, 0);
    a.now = 10;
    a.weather.snap.ok = true;
    a.show_morning_brief();
    EXPECT_EQ(a.settings.brief, "") << "the first twenty seconds settle";
    a.weather.snap.ok = false;
    a.now = 60;
    a.show_morning_brief();
    EXPECT_EQ(a.settings.brief, "");
    a.now = 90;
    a.show_morning_brief();
    EXPECT_EQ(a.settings.brief, "2026-03-11");
}

#ifndef _WIN32
// The system zone's offset is the real one, also thirteen and fourteen hours
// ahead, where the time of day alone would pass for a zone eleven or ten hours behind.
TEST(LocalOffset, FarZonesAreNotFolded) {
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    struct Case {
        const char* zone;
        int64_t at, want;
    } cases[] = {
        {"Pacific/Kiritimati", 1'773'190'800, 14 * kHour},  // 2026-03-11 01:00 there
        {"Pacific/Tongatapu", 1'773'190'800, 13 * kHour},
        {"Pacific/Pago_Pago", 1'773'190'800, -11 * kHour},
        {"Europe/Istanbul", 1'773'190'800, 3 * kHour},
    };
    for (const Case& c : cases) {
        setenv("TZ", c.zone, 1);
        tzset();
        EXPECT_EQ(local_utc_offset(c.at), c.want) << c.zone;
    }
    if (old) setenv("TZ", saved.c_str(), 1); else unsetenv("TZ");
    tzset();
}
#endif

}  // namespace
