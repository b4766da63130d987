// The local day-and-time label: days are counted on the local calendar of the
// given zone, so the label turns at local midnight, not 24 hours back.
#include <cstdint>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "google_text.h"
#include "sys_os.h"

namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int64_t days_from_civil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// The Unix time of a local wall-clock time in a zone `offset` seconds ahead of UTC.
int64_t at_local(int y, int mo, int d, int h, int mi, int64_t offset) {
    return days_from_civil(y, mo, d) * 86400 + h * 3600 + mi * 60 - offset;
}

}  // namespace

TEST(DayTimeText, LabelsByLocalCalendarDay) {
    constexpr int64_t kIstanbul = 3 * 3600, kNewYork = -5 * 3600;
    struct Case {
        const char* what;
        int64_t when, now, offset;
        bool all_day;
        const char* want;
    } cases[] = {
        // 2026-12-09 is a Wednesday.
        {"same day", at_local(2026, 12, 9, 14, 5, kIstanbul), at_local(2026, 12, 9, 9, 5, kIstanbul), kIstanbul, false,
         "Bugün 14:05"},
        {"tomorrow at midnight", at_local(2026, 12, 10, 0, 0, kIstanbul), at_local(2026, 12, 9, 23, 59, kIstanbul),
         kIstanbul, false, "Yarın 00:00"},
        {"two days ahead is a weekday, never Yarın", at_local(2026, 12, 11, 8, 30, kIstanbul),
         at_local(2026, 12, 9, 0, 0, kIstanbul), kIstanbul, false, "Cum 08:30"},
        {"two days ahead, late in the evening", at_local(2026, 12, 11, 0, 0, kIstanbul),
         at_local(2026, 12, 9, 23, 59, kIstanbul), kIstanbul, false, "Cum 00:00"},
        {"all day today", at_local(2026, 12, 9, 0, 0, kIstanbul), at_local(2026, 12, 9, 17, 0, kIstanbul), kIstanbul,
         true, "Bugün · tüm gün"},
        {"all day tomorrow", at_local(2026, 12, 10, 0, 0, kIstanbul), at_local(2026, 12, 9, 17, 0, kIstanbul),
         kIstanbul, true, "Yarın · tüm gün"},
        {"yesterday 23:59, six minutes back", at_local(2026, 12, 8, 23, 59, kIstanbul),
         at_local(2026, 12, 9, 0, 5, kIstanbul), kIstanbul, false, "Dün 23:59"},
        {"two days back", at_local(2026, 12, 7, 10, 0, kIstanbul), at_local(2026, 12, 9, 9, 0, kIstanbul), kIstanbul,
         false, "Pzt 10:00"},
        {"a week ahead", at_local(2026, 12, 13, 19, 45, kIstanbul), at_local(2026, 12, 9, 9, 0, kIstanbul), kIstanbul,
         false, "Paz 19:45"},
        // Local evening in New York is already the next day in UTC.
        {"behind UTC, the UTC date has turned", at_local(2026, 12, 9, 21, 30, kNewYork),
         at_local(2026, 12, 9, 20, 0, kNewYork), kNewYork, false, "Bugün 21:30"},
        {"behind UTC, local tomorrow", at_local(2026, 12, 10, 1, 0, kNewYork), at_local(2026, 12, 9, 20, 0, kNewYork),
         kNewYork, false, "Yarın 01:00"},
        // Before 1970 the day still rounds down: 1969-12-31 was a Wednesday.
        {"before the epoch", -60, 5 * 86400, 0, false, "Çar 23:59"},
        {"the epoch's eve from the epoch", -60, 0, 0, false, "Dün 23:59"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(day_time_text_at(c.when, c.all_day, c.now, c.offset), c.want) << c.what;
}

TEST(DayTimeText, OffsetOfTheSystemZoneGivesItsLocalTime) {
    // Whatever the machine's zone: the label's time is the local clock time of that moment.
    const int64_t samples[] = {0, 1'700'000'000, 1'781'234'567, unix_now()};
    for (int64_t t : samples) {
        const int64_t offset = local_utc_offset(t);
        EXPECT_GE(offset, -14 * 3600);
        EXPECT_LE(offset, 14 * 3600);
        LocalTime lt;
        ASSERT_TRUE(local_time_of(t, lt));
        char want[16];
        std::snprintf(want, sizeof want, "Bugün %02d:%02d", lt.hour, lt.minute);
        EXPECT_EQ(day_time_text_at(t, false, t, offset), want) << t;
    }
}
