// Short texts the Google pages, the assistant's context and its replies share:
// the local day-and-time label of a moment ("Bugün 14:05", "Yarın · tüm gün").
#pragma once
#include <cstdint>
#include <string>

// The local zone's offset from UTC at the Unix time `at`, in seconds, brought
// into [-43200, 43200): the local time of day minus the UTC time of day.
int64_t local_utc_offset(int64_t at);
// The same from a local time of day (seconds since local midnight) read at `at`.
int64_t utc_offset_from(int64_t local_seconds_of_day, int64_t at);

// The label of `when` seen from `now` (both Unix seconds) in a zone `offset`
// seconds ahead of UTC: "Dün", "Bugün", "Yarın" or the weekday abbreviation of
// when's local date, then for a timed moment a blank and "HH:MM", for an
// all-day one " · tüm gün".
std::string day_time_text_at(int64_t when, bool all_day, int64_t now, int64_t offset);

// The same from the system clock and the system's zone.
std::string day_time_text(int64_t when, bool all_day);
