#include "app_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

TEST(WeatherCodeText, EveryListedCodeAndUnknownOnes) {
    struct Case {
        uint32_t code;
        const char* text;
    };
    const Case cases[] = {
        {0, "A\xC3\xA7\xC4\xB1k"},
        {1, "Az bulutlu"},
        {2, "Par\xC3\xA7" "al\xC4\xB1 bulutlu"},
        {3, "Kapal\xC4\xB1"},
        {45, "Sisli"},
        {48, "Sisli"},
        {51, "\xC3\x87iseliyor"},
        {53, "\xC3\x87iseliyor"},
        {55, "\xC3\x87iseliyor"},
        {56, "Dondurucu \xC3\xA7isenti"},
        {57, "Dondurucu \xC3\xA7isenti"},
        {61, "Hafif ya\xC4\x9Fmur"},
        {63, "Ya\xC4\x9Fmurlu"},
        {65, "\xC5\x9Eiddetli ya\xC4\x9Fmur"},
        {66, "Dondurucu ya\xC4\x9Fmur"},
        {67, "Dondurucu ya\xC4\x9Fmur"},
        {71, "Hafif kar"},
        {73, "Karl\xC4\xB1"},
        {75, "Yo\xC4\x9Fun kar"},
        {77, "Kar taneleri"},
        {80, "Sa\xC4\x9F" "anak"},
        {81, "Sa\xC4\x9F" "anak"},
        {82, "\xC5\x9Eiddetli sa\xC4\x9F" "anak"},
        {85, "Kar sa\xC4\x9F" "ana\xC4\x9F\xC4\xB1"},
        {86, "Kar sa\xC4\x9F" "ana\xC4\x9F\xC4\xB1"},
        {95, "G\xC3\xB6k g\xC3\xBCr\xC3\xBClt\xC3\xBCl\xC3\xBC"},
        {96, "Dolu ve f\xC4\xB1rt\xC4\xB1na"},
        {99, "Dolu ve f\xC4\xB1rt\xC4\xB1na"},
        {4, "\xE2\x80\x94"},
        {44, "\xE2\x80\x94"},
        {98, "\xE2\x80\x94"},
        {100, "\xE2\x80\x94"},
        {4294967295u, "\xE2\x80\x94"},
    };
    for (const auto& c : cases) EXPECT_STREQ(weather_code_text(c.code), c.text) << c.code;
}

TEST(FormatBytes, UnitsOf1024WithDecimalComma) {
    struct Case {
        uint64_t n;
        const char* text;
    };
    const Case cases[] = {
        {0, "0 B"},
        {1023, "1023 B"},
        {1024, "1,0 KB"},
        {1536, "1,5 KB"},
        {1280, "1,2 KB"},          // exact tie 1.25 goes to the even digit
        {1048575, "1024,0 KB"},    // rounding does not change the unit
        {1048576, "1,0 MB"},
        {1073741823, "1024,0 MB"},
        {3221225472u, "3,0 GB"},
        {5905580032u, "5,5 GB"},
        {std::numeric_limits<uint64_t>::max(), "17179869184,0 GB"},
    };
    for (const auto& c : cases) EXPECT_EQ(format_bytes(c.n), c.text) << c.n;
}

TEST(FormatRate, BytesKilobytesMegabytesPerSecond) {
    struct Case {
        double x;
        const char* text;
    };
    const Case cases[] = {
        {0, "0 B/s"},
        {1023.6, "1024 B/s"},  // no unit change after rounding
        {1024, "1 KB/s"},
        {1536, "2 KB/s"},
        {1048575, "1024 KB/s"},
        {1048576, "1,0 MB/s"},
        {2621440, "2,5 MB/s"},
        {std::nan(""), "0 B/s"},
    };
    for (const auto& c : cases) EXPECT_EQ(format_rate(c.x), c.text) << c.x;
}

TEST(WeekdayShort, SundayFirstAndEmptyOutside) {
    const char* expected[] = {"Paz", "Pzt", "Sal", "\xC3\x87" "ar", "Per", "Cum", "Cmt"};
    for (int d = 0; d < 7; ++d) EXPECT_STREQ(weekday_short(d), expected[d]) << d;
    EXPECT_STREQ(weekday_short(-1), "");
    EXPECT_STREQ(weekday_short(7), "");
}

}  // namespace
