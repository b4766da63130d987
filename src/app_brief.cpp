// The morning brief: a greeting and one line of the day's facts (weather,
// today's events, unread mail, today's reminders), shown once a day as a
// notice by the one-second step (app_notice.cpp).
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include <fmt/format.h>

#include "app.h"
#include "app_format.h"
#include "google_text.h"
#include "sys_text.h"

namespace {

// A timed event that began this long ago still counts as today's.
constexpr int64_t kEventGrace = 600;

long long whole(float v) { return std::isfinite(v) ? std::llround(v) : 0; }

std::string first_word(std::string_view name) {
    name = trim(name);
    size_t end = 0;
    while (end < name.size()) {
        size_t at = end;
        if (is_white_space(next_code_point(name, at))) break;
        end = at;
    }
    return std::string(name.substr(0, end));
}

}  // namespace

std::vector<const EventItem*> todays_events(const std::vector<EventItem>& events, int64_t now, int64_t offset) {
    const CivilDate today = civil_from_unix_at(now, offset);
    std::vector<const EventItem*> out;
    for (const EventItem& e : events)
        if (civil_from_unix_at(e.start, offset) == today && (e.all_day || e.start >= now - kEventGrace)) out.push_back(&e);
    return out;
}

std::pair<std::string, std::string> App::day_summary_text() const {
    const GoogleState& g = google.snap;
    const std::string word = first_word(g.name);
    std::string title = word.empty() ? "Günaydın!" : fmt::format("Günaydın {}!", word);

    const int64_t now = wall_unix(), offset = wall_utc_offset();
    std::vector<std::string> parts;
    const WeatherSnapshot& w = weather.snap;
    if (w.ok) {
        std::string s = fmt::format("{}° {}", whole(w.temp), weather_code_text(static_cast<uint32_t>(w.code)));
        if (!w.days.empty()) s += fmt::format(" (Y:{}° D:{}°)", whole(w.days[0].high), whole(w.days[0].low));
        parts.push_back(std::move(s));
    }
    const std::vector<const EventItem*> today = todays_events(g.events, now, offset);
    if (!today.empty()) {
        const EventItem& first = *today[0];
        std::string time = "Bugün";
        if (!first.all_day) {
            const std::string label = day_time_text_at(first.start, false, now, offset);
            time = label.substr(label.size() - 5);
        }
        const std::string more = today.size() > 1 ? fmt::format(" +{}", today.size() - 1) : "";
        parts.push_back(fmt::format("{} {}{}", time, first.summary, more));
    }
    if (g.signed_in && g.unread != 0) parts.push_back(fmt::format("{} okunmamış e-posta", g.unread));
    const CivilDate date = civil_from_unix_at(now, offset);
    size_t due_today = 0;
    for (const ReminderItem& r : lists.reminders)
        if (civil_from_unix_at(r.due, offset) == date) ++due_today;
    if (due_today > 0) parts.push_back(fmt::format("{} hatırlatıcı", due_today));
    if (parts.empty()) parts.push_back("Güzel bir gün olsun");

    std::string body;
    for (const std::string& p : parts) {
        if (!body.empty()) body += " · ";
        body += p;
    }
    return {std::move(title), std::move(body)};
}
