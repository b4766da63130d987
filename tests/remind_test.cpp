// Reminder phrases: durations and clock times at either end, the when-text,
// checked arithmetic and the due-time order of the list.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "remind.h"

namespace {

constexpr TimeOfDay at(uint32_t h, uint32_t m = 0, uint32_t s = 0) { return TimeOfDay{h, m, s}; }

struct PhraseCase {
    const char* phrase;
    TimeOfDay now;
    int64_t delay;      // 0: no reminder
    const char* text;   // as parsed, before capitalising
    const char* when;
};

const PhraseCase kPhrases[] = {
    // duration first
    {"10 dk sonra çamaşır", at(12), 600, "çamaşır", "10 dk sonra"},
    {"yarım saat sonra çay", at(12), 1800, "çay", "30 dk sonra"},
    {"YARIM SAAT sonra çay", at(12), 1800, "çay", "30 dk sonra"},
    {"5 dk sonra - ekmek", at(12), 300, "ekmek", "5 dk sonra"},
    {"2 saat toplantı", at(12), 7200, "toplantı", "14:00"},
    {"+45 sn kapı", at(12), 45, "kapı", "45 sn sonra"},
    // duration last (one or two words, optional trailing "sonra")
    {"çamaşırı as 10dk", at(12), 600, "çamaşırı as", "10 dk sonra"},
    {"hatırlat 5 dk", at(12), 300, "hatırlat", "5 dk sonra"},
    {"çay 10 dk sonra", at(12), 600, "çay", "10 dk sonra"},
    // clock time first
    {"yarın 9:30 toplantı", at(12), 9 * 3600 + 1800 - 12 * 3600 + 86400, "toplantı", "yarın 09:30"},
    {"saat 15 ilaç", at(12), 3 * 3600, "ilaç", "15:00"},
    {"15'te ilaç", at(12), 3 * 3600, "ilaç", "15:00"},
    {"8:00 koş", at(9), 23 * 3600, "koş", "yarın 08:00"},
    {"9:00 koş", at(9), 86400, "koş", "yarın 09:00"},  // equal to now: tomorrow
    // clock time last
    {"ilaç 15te", at(12), 3 * 3600, "ilaç", "15:00"},
    {"ilaç 21.30'da", at(12), 9 * 3600 + 1800, "ilaç", "21:30"},
    {"ilaç al saat 21.30", at(12), 9 * 3600 + 1800, "ilaç al", "21:30"},
    {"ekmek yarın 9’da", at(10), 23 * 3600, "ekmek", "yarın 09:00"},
    {"yarın ekmek al saat 9", at(8), 3600, "yarın ekmek al", "09:00"},
    {"yarın ekmek al saat 9", at(10), 23 * 3600, "yarın ekmek al", "yarın 09:00"},
    // no reminder
    {"5 dk", at(12), 0, "", ""},
    {"5dk", at(12), 0, "", ""},
    {"15 ilaç", at(12), 0, "", ""},
    {"24:00 x", at(12), 0, "", ""},
    {"9:60 x", at(12), 0, "", ""},
    {"yarın 9'da", at(12), 0, "", ""},
    {"ekmek 10 gün", at(12), 0, "", ""},
    {"-5 dk x", at(12), 0, "", ""},
    {"", at(12), 0, "", ""},
};

TEST(ReminderPhrase, ReadsDurationsAndClockTimesAtEitherEnd) {
    for (const auto& c : kPhrases) {
        SCOPED_TRACE(c.phrase);
        auto r = parse_reminder(c.phrase, c.now);
        if (c.delay == 0) {
            EXPECT_FALSE(r.has_value());
            continue;
        }
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(r->delay, c.delay);
        EXPECT_EQ(r->text, c.text);
        EXPECT_EQ(format_time_until(r->delay, c.now), c.when);
    }
}

// n × unit used to wrap around for huge n; any out-of-range delay is no duration.
TEST(ReminderPhrase, HugeDurationsAreNoDuration) {
    const char* phrases[] = {
        "9000000000000000000 saat x",
        "x 9000000000000000000 saat",
        "9000000000000000000dk x",
        "x 9223372036854775807 sn",
        "9223372036854775808 sn x",     // does not fit 64 bits
        "-9223372036854775808 saat x",
        "3155760001 sn x",              // just beyond 100 years
        "99999999999999999999dk x",
    };
    for (const char* p : phrases) {
        SCOPED_TRACE(p);
        EXPECT_FALSE(parse_reminder(p, at(12)).has_value());
    }
    auto limit = parse_reminder("3155760000 sn x", at(12));
    ASSERT_TRUE(limit.has_value());
    EXPECT_EQ(limit->delay, kMaxReminderDelay);
}

TEST(ReminderPhrase, ClockTimeForms) {
    struct Case {
        const char* word;
        bool after_saat;
        int hour;  // -1: none
        int minute;
    };
    const Case cases[] = {
        {"9:30", false, 9, 30},    {"09.30", false, 9, 30},   {"21.30'da", false, 21, 30},
        {"15'te", false, 15, 0},   {"15te", false, 15, 0},    {"7’de", false, 7, 0},
        {"9", true, 9, 0},         {"9.", true, 9, 0},        {"0:00", false, 0, 0},
        {"23:59", false, 23, 59},  {"9", false, -1, 0},       {"9.", false, -1, 0},
        {"24:00", false, -1, 0},   {"9:60", false, -1, 0},    {"9:30:00", false, -1, 0},
        {":30", false, -1, 0},     {"15ten", false, -1, 0},   {"'da", false, -1, 0},
        {"saat", true, -1, 0},     {"00000000000000000000009:05", false, 9, 5},
        {"99999999999999999999:00", false, -1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        auto t = parse_clock_time(c.word, c.after_saat);
        if (c.hour < 0) {
            EXPECT_FALSE(t.has_value());
            continue;
        }
        ASSERT_TRUE(t.has_value());
        EXPECT_EQ(t->hour, uint32_t(c.hour));
        EXPECT_EQ(t->minute, uint32_t(c.minute));
    }
}

TEST(ReminderPhrase, DurationWordsAndUnits) {
    using W = std::vector<std::string>;
    EXPECT_EQ(parse_duration(W{"10dk"}, 0)->seconds, 600);
    EXPECT_EQ(parse_duration(W{"10dk"}, 0)->used, 1u);
    EXPECT_EQ(parse_duration(W{"2", "saat"}, 0)->seconds, 7200);
    EXPECT_EQ(parse_duration(W{"2", "saat"}, 0)->used, 2u);
    EXPECT_EQ(parse_duration(W{"yarim", "saat"}, 0)->seconds, 1800);
    EXPECT_FALSE(parse_duration(W{"10x", "dk"}, 0));   // a rest that is no unit
    EXPECT_FALSE(parse_duration(W{"10"}, 0));
    EXPECT_FALSE(parse_duration(W{"10", "dk"}, 2));
    for (const char* w : {"m", "gun", "gün", "saatte", "dakikalar"}) EXPECT_FALSE(duration_unit_seconds(w)) << w;
    EXPECT_EQ(*duration_unit_seconds("saniye"), 1);
    EXPECT_EQ(*duration_unit_seconds("dakka"), 60);
    EXPECT_EQ(*duration_unit_seconds("st"), 3600);
}

TEST(ReminderPhrase, JoinedTextIsCleaned) {
    std::vector<std::string> w = {":,-", "ekmek", "al", "-", ":"};
    EXPECT_EQ(join_reminder_text(w, 0, 3), "ekmek al");
    EXPECT_EQ(join_reminder_text(w, 0, 1), "Hatırlatma");
    EXPECT_EQ(join_reminder_text(w, 3, 5), ":");  // one strip, then one trim
    EXPECT_EQ(join_reminder_text(w, 3, 4), "Hatırlatma");
    EXPECT_EQ(join_reminder_text(w, 4, 3), "Hatırlatma");
    EXPECT_EQ(join_reminder_text(w, 1, 99), "ekmek al - :");
}

TEST(ReminderWhen, Texts) {
    struct Case {
        int64_t delay;
        TimeOfDay now;
        const char* when;
    };
    const Case cases[] = {
        {45, at(12), "45 sn sonra"},
        {-5, at(12), "0 sn sonra"},
        {59, at(12), "59 sn sonra"},
        {60, at(12), "1 dk sonra"},
        {61, at(12), "2 dk sonra"},
        {3599, at(12), "60 dk sonra"},
        {3600, at(10), "11:00"},
        {3600, at(23, 30), "yarın 00:30"},
        {3 * 86400, at(8, 5, 59), "3 gün sonra 08:05"},
    };
    for (const auto& c : cases) EXPECT_EQ(format_time_until(c.delay, c.now), c.when) << c.delay;
    // delay + seconds of the day must not overflow
    EXPECT_EQ(format_time_until(std::numeric_limits<int64_t>::max(), at(23, 59, 59)),
              "106751991167301 gün sonra 15:30");
}

TEST(ReminderList, AddKeepsDueOrderAndNumbersItems) {
    std::vector<ReminderItem> list;
    uint64_t next_id = 1;
    const int64_t now = 1'700'000'000;
    EXPECT_EQ(add_reminder_to(list, next_id, "10 dk sonra çamaşır", at(12), now), "10 dk sonra");
    EXPECT_EQ(add_reminder_to(list, next_id, "ilaç al saat 12:05", at(12), now), "5 dk sonra");
    EXPECT_EQ(add_reminder_to(list, next_id, "ekmek 10dk", at(12), now), "10 dk sonra");
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].text, "İlaç al");  // dotted capital I
    EXPECT_EQ(list[0].due, now + 300);
    EXPECT_EQ(list[0].id, 2u);
    EXPECT_EQ(list[1].text, "Çamaşır");  // equal due times keep insertion order
    EXPECT_EQ(list[1].id, 1u);
    EXPECT_EQ(list[2].text, "Ekmek");
    EXPECT_EQ(list[2].id, 3u);
    EXPECT_EQ(next_id, 4u);

    // Neither a phrase that is no reminder nor an overflowing due time changes anything.
    EXPECT_FALSE(add_reminder_to(list, next_id, "15 ilaç", at(12), now));
    EXPECT_FALSE(add_reminder_to(list, next_id, "10 dk sonra x", at(12), std::numeric_limits<int64_t>::max() - 10));
    EXPECT_EQ(list.size(), 3u);
    EXPECT_EQ(next_id, 4u);
}

TEST(ReminderList, InsertIsStableByDueTime) {
    std::vector<ReminderItem> list;
    for (auto [due, id] : {std::pair{200, 1}, {100, 2}, {200, 3}, {150, 4}, {50, 5}, {200, 6}})
        insert_reminder(list, ReminderItem{"x", due, uint64_t(id)});
    std::vector<uint64_t> ids;
    for (const auto& r : list) ids.push_back(r.id);
    EXPECT_EQ(ids, (std::vector<uint64_t>{5, 2, 4, 1, 3, 6}));
}

// Hostile input: random bytes, very long phrases; never a crash, delays always in range.
TEST(ReminderPhrase, BadInputIsHarmless) {
    std::vector<std::string> inputs = {
        std::string(10000, 'a'),
        std::string(10000, '9'),
        std::string(10000, ' '),
        std::string("\xff\xfe\xc3", 3),
        std::string("10\xc3 dk x"),
    };
    std::string words, clocks;
    for (int i = 0; i < 2000; ++i) words += "saat 9 ";
    for (int i = 0; i < 2000; ++i) clocks += "yarın 9:30'da ";
    inputs.push_back(words);
    inputs.push_back(clocks);
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int n = 0; n < 300; ++n) {
        std::string s;
        size_t len = 1 + rng() % 64;
        for (size_t i = 0; i < len; ++i) s += static_cast<char>(byte(rng));
        inputs.push_back(s);
    }
    for (const auto& s : inputs) {
        for (TimeOfDay t : {at(0), at(23, 59, 59), TimeOfDay{4000000000u, 4000000000u, 4000000000u}}) {
            auto r = parse_reminder(s, t);
            if (!r) continue;
            EXPECT_GE(r->delay, 1);
            EXPECT_LE(r->delay, kMaxReminderDelay);
            EXPECT_FALSE(format_time_until(r->delay, t).empty());
        }
    }
    // 2000 × "saat 9": the first clock time wins, the rest is text.
    auto r = parse_reminder(words, at(8));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->delay, 3600);
}

}  // namespace
