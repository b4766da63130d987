// Short texts the Google pages, the assistant's context and its replies share:
// the local day-and-time label of a moment ("Bugün 14:05", "Yarın · tüm gün").
#pragma once
#include <cstdint>
#include <string>

struct LocalTime;

// The local zone's real offset from UTC at the Unix time `at`, in seconds
// (−14 h to +14 h): the local date and time read as UTC, minus `at`.
int64_t local_utc_offset(int64_t at);
// The same from the local calendar date and time of `at`.
int64_t utc_offset_of_local(const LocalTime& local, int64_t at);
// An offset guessed from the local time of day alone (seconds since local
// midnight) read at `at`, folded into [-43200, 43200); it cannot tell +13 h
// from −11 h, so it serves only where the date is not known.
int64_t utc_offset_from(int64_t local_seconds_of_day, int64_t at);

// A proleptic Gregorian date.
struct CivilDate {
    int64_t year = 1970;
    int month = 1, day = 1;
    bool operator==(const CivilDate&) const = default;
};
// The date of a count of days since 1970-01-01.
CivilDate civil_from_days(int64_t days);
// The local date of the Unix time t in a zone `offset` seconds ahead of UTC.
CivilDate civil_from_unix_at(int64_t t, int64_t offset);

// The label of `when` seen from `now` (both Unix seconds) in a zone `offset`
// seconds ahead of UTC: "Dün", "Bugün", "Yarın" or the weekday abbreviation of
// when's local date, then for a timed moment a blank and "HH:MM", for an
// all-day one " · tüm gün".
std::string day_time_text_at(int64_t when, bool all_day, int64_t now, int64_t offset);

// The same from the system clock and the system's zone.
std::string day_time_text(int64_t when, bool all_day);
