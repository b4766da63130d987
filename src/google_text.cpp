// The local day-and-time label of a moment. Days are counted on the local
// calendar (Unix time plus the zone offset, divided into whole days), so a
// moment yesterday at 23:59 is "Dün" even when it lies minutes back.
#include "google_text.h"

#include <fmt/format.h>

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

int64_t local_utc_offset(int64_t at) {
    LocalTime lt;
    if (!local_time_of(at, lt)) return 0;
    return utc_offset_from(lt.hour * 3600 + lt.minute * 60 + lt.second, at);
}

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
