// Local time of an instant on Windows: the zone offset is kept for a minute,
// so every second of a minute, minute boundaries and instants far apart must
// give what the zone rules give when asked each time.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "sys_os.h"

namespace {

LocalTime asked_each_time(int64_t unix_seconds) {
    ULARGE_INTEGER u;
    u.QuadPart = static_cast<ULONGLONG>(unix_seconds * 10000000LL + 116444736000000000LL);
    FILETIME ft{u.LowPart, u.HighPart};
    SYSTEMTIME utc{}, loc{};
    EXPECT_TRUE(FileTimeToSystemTime(&ft, &utc));
    EXPECT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utc, &loc));
    LocalTime t;
    t.year = loc.wYear;
    t.month = loc.wMonth;
    t.day = loc.wDay;
    t.weekday = loc.wDayOfWeek;
    t.hour = loc.wHour;
    t.minute = loc.wMinute;
    t.second = loc.wSecond;
    return t;
}

TEST(LocalTimeOnWindows, SameAsTheZoneRulesAskedEachTime) {
    const int64_t now = unix_now();
    std::vector<int64_t> instants = {now,        now + 1,    now + 59,   now + 60, now - 61,
                                     0,          59,         60,         -1,       -60,
                                     -61,        1711846799, 1711846800, 1729990799, 1729990800,  // EU clock changes 2024
                                     1710053999, 1710054000, 4102444800};
    for (int64_t second = 0; second < 60; ++second) instants.push_back(1700000000 + second);
    for (int64_t t : instants) {
        SCOPED_TRACE(t);
        LocalTime got;
        ASSERT_TRUE(local_time_of(t, got));
        const LocalTime want = asked_each_time(t);
        EXPECT_EQ(got.year, want.year);
        EXPECT_EQ(got.month, want.month);
        EXPECT_EQ(got.day, want.day);
        EXPECT_EQ(got.weekday, want.weekday);
        EXPECT_EQ(got.hour, want.hour);
        EXPECT_EQ(got.minute, want.minute);
        EXPECT_EQ(got.second, want.second);
    }
    LocalTime ignored;
    EXPECT_FALSE(local_time_of(-11644473601LL, ignored));
    EXPECT_FALSE(local_time_of(900000000001LL, ignored));
}

}  // namespace
