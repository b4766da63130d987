// The local day-and-time label of a moment. Days are counted on the local
// calendar (Unix time plus the zone offset, divided into whole days), so a
// moment yesterday at 23:59 is "Dün" even when it lies minutes back.
#include "google_text.h"

#include <fmt/format.h>

#include "google_api.h"
#include "sys_os.h"
#include "sys_text.h"

namespace {

constexpr int64_t kDay = 86400, kHalfDay = 43200;

int64_t floor_div(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
int64_t floor_mod(int64_t a, int64_t b) { return a - floor_div(a, b) * b; }

}  // namespace

int64_t utc_offset_from(int64_t local_seconds_of_day, int64_t at) {
    return floor_mod(local_seconds_of_day - floor_mod(at, kDay) + kHalfDay, kDay) - kHalfDay;
}

int64_t utc_offset_of_local(const LocalTime& local, int64_t at) {
    const int64_t days = days_from_civil(local.year, static_cast<unsigned>(local.month), static_cast<unsigned>(local.day));
    return days * kDay + local.hour * 3600 + local.minute * 60 + local.second - at;
}

int64_t local_utc_offset(int64_t at) {
    // The local date takes part: a zone 13 or 14 hours ahead is a day ahead of
    // UTC for most of the day, which the time of day alone cannot tell.
    LocalTime lt;
    if (!local_time_of(at, lt)) return 0;
    return utc_offset_of_local(lt, at);
}

CivilDate civil_from_days(int64_t days) {
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (month <= 2), month, day};
}

CivilDate civil_from_unix_at(int64_t t, int64_t offset) { return civil_from_days(floor_div(t + offset, kDay)); }

std::string day_time_text_at(int64_t when, bool all_day, int64_t now, int64_t offset) {
    const int64_t day_when = floor_div(when + offset, kDay);
    const int64_t d = day_when - floor_div(now + offset, kDay);
    const char* label = d == -1  ? "Dün"
                        : d == 0 ? "Bugün"
                        : d == 1 ? "Yarın"
                                 : weekday_short(static_cast<int>(floor_mod(day_when + 4, 7)));  // 1970-01-01 was a Thursday
    if (all_day) return fmt::format("{} · tüm gün", label);
    const int64_t secs = floor_mod(when + offset, kDay);
    return fmt::format("{} {:02}:{:02}", label, secs / 3600, secs % 3600 / 60);
}

std::string day_time_text(int64_t when, bool all_day) {
    const int64_t now = unix_now();
    return day_time_text_at(when, all_day, now, local_utc_offset(now));
}
