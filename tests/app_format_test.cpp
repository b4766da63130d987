#include "app_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

TEST(FoldSearch, TurkishLettersBecomePlainAfterLowerCasing) {
    struct Case {
        std::string in;
        const char* folded;
    };
    const Case cases[] = {
        {"\xC4\xB0STANBUL", "istanbul"},                                 // İSTANBUL
        {"\xC4\xB0stanbul", "istanbul"},
        {"istanbul", "istanbul"},
        {"\xC3\x87" "a\xC4\x9Fr\xC4\xB1", "cagri"},                      // Çağrı
        {"\xC3\x82\xC3\x8E\xC3\x96\xC3\x9C\xC5\x9E\xC4\x9E", "aiousg"},  // ÂÎÖÜŞĞ
        {"\xC3\xA2\xC3\xAE\xC3\xB6\xC3\xBC\xC5\x9F\xC4\x9F\xC3\xA7", "aiousgc"},
        {"\xC4\xB1I", "ii"},                                             // ıI
        {"\xC3\x89t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},                      // Été: é is not folded
        {"Stra\xC3\x9F" "e", "stra\xC3\x9F" "e"},                        // ß stays ß in lower case
        {"\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0 2024", "\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0 2024"},
        {"\xE6\x9D\xB1\xE4\xBA\xAC 42", "\xE6\x9D\xB1\xE4\xBA\xAC 42"},  // 東京 42
        {"\xCC\x87", ""},                                                // lone combining dot
        {std::string("a\0b", 3), "ab"},                                  // U+0000 dropped
        {"\xFF" "A\xE2\x82", "\xEF\xBF\xBD" "a\xEF\xBF\xBD"},            // broken bytes: U+FFFD
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folded);
        EXPECT_EQ(fold_search_text(c.in), c.folded);
    }
}

TEST(FoldSearch, CharAppendsZeroOrOneCharacter) {
    struct Case {
        char32_t c;
        const char* appended;
    };
    const Case cases[] = {
        {0x00E2, "a"}, {0x00E7, "c"}, {0x00EE, "i"}, {0x0131, "i"}, {0x00F6, "o"},
        {0x00FC, "u"}, {0x011F, "g"}, {0x015F, "s"}, {0x0307, ""},  {0, ""},
        {U'x', "x"},   {0x00C7, "\xC3\x87"},  // upper case is not this step's job
        {0x1F600, "\xF0\x9F\x98\x80"},
    };
    for (const auto& c : cases) {
        std::string out = "pre";
        fold_search_char(c.c, out);
        EXPECT_EQ(out, std::string("pre") + c.appended) << static_cast<uint32_t>(c.c);
    }
}

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

TEST(TurkishCapitalize, FirstCharacterOnly) {
    struct Case {
        std::string in;
        const char* out;
    };
    const Case cases[] = {
        {"", ""},
        {"istanbul", "\xC4\xB0stanbul"},                     // i -> İ
        {"\xC4\xB1l\xC4\xB1k", "Il\xC4\xB1k"},              // ı -> I
        {"\xC3\xA7" "ay", "\xC3\x87" "ay"},                  // ç -> Ç
        {"\xC3\x9F" "a", "SSa"},                             // several characters
        {"Ankara", "Ankara"},
        {"i", "\xC4\xB0"},
        {"iii", "\xC4\xB0ii"},                               // the rest is unchanged
        {"1 saat", "1 saat"},                                // first character, not first letter
        {" iyi", " iyi"},
        {"\xD0\xB6", "\xD0\x96"},                            // ж -> Ж
        {"\xFFi", "\xEF\xBF\xBDi"},                          // broken bytes are replaced
        {"a\xE2\x82", "A\xEF\xBF\xBD"},
    };
    for (const auto& c : cases) EXPECT_EQ(turkish_capitalize(c.in), c.out) << c.in;
}

TEST(WeekdayShort, SundayFirstAndEmptyOutside) {
    const char* expected[] = {"Paz", "Pzt", "Sal", "\xC3\x87" "ar", "Per", "Cum", "Cmt"};
    for (int d = 0; d < 7; ++d) EXPECT_STREQ(weekday_short(d), expected[d]) << d;
    EXPECT_STREQ(weekday_short(-1), "");
    EXPECT_STREQ(weekday_short(7), "");
}

}  // namespace
