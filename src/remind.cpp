#include "remind.h"

#include "sys_os.h"

#include <algorithm>
#include <chrono>

#include <fmt/format.h>

#include "sys_num.h"
#include "sys_text.h"

namespace {

constexpr int64_t kDay = 86400;

bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }

bool all_digits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), is_ascii_digit);
}

// Words split at Unicode white space, keeping their bytes as typed.
std::vector<std::string> split_words(std::string_view s) {
    std::vector<std::string> words;
    size_t i = 0, start = 0;
    bool in_word = false;
    while (i < s.size()) {
        size_t at = i;
        char32_t c = next_code_point(s, i);
        if (is_white_space(c)) {
            if (in_word) words.emplace_back(s.substr(start, at - start));
            in_word = false;
        } else if (!in_word) {
            start = at;
            in_word = true;
        }
    }
    if (in_word) words.emplace_back(s.substr(start));
    return words;
}

// n × unit with the product checked and bounded; nothing when out of range.
std::optional<int64_t> checked_duration(int64_t n, int64_t unit) {
    int64_t s = 0;
    if (__builtin_mul_overflow(n, unit, &s)) return std::nullopt;
    if (s > kMaxReminderDelay || s < -kMaxReminderDelay) return std::nullopt;
    return s;
}

int64_t seconds_of_day(TimeOfDay t) {
    return int64_t{t.hour} * 3600 + int64_t{t.minute} * 60 + int64_t{t.second};
}

// Delay until the clock time today, or tomorrow when it has passed or was asked for.
int64_t clock_delay(ClockTime c, TimeOfDay now, bool tomorrow) {
    int64_t d = int64_t{c.hour} * 3600 + int64_t{c.minute} * 60 - seconds_of_day(now);
    if (d <= 0 || tomorrow) d += kDay;
    return d;
}

// A clock-time delay is at most two days unless the caller's time of day is
// out of range; such a delay is refused like an oversized duration.
std::optional<ParsedReminder> clock_result(ClockTime c, TimeOfDay now, bool tomorrow, std::string text) {
    int64_t d = clock_delay(c, now, tomorrow);
    if (d < 1 || d > kMaxReminderDelay) return std::nullopt;
    return ParsedReminder{d, std::move(text)};
}

}  // namespace

std::optional<int64_t> duration_unit_seconds(std::string_view w) {
    static constexpr std::string_view kSeconds[] = {"s", "sn", "sec", "saniye"};
    static constexpr std::string_view kMinutes[] = {"d", "dk", "dak", "min", "dakka", "dakika"};
    static constexpr std::string_view kHours[] = {"h", "sa", "st", "saat"};
    for (auto u : kSeconds)
        if (w == u) return 1;
    for (auto u : kMinutes)
        if (w == u) return 60;
    for (auto u : kHours)
        if (w == u) return 3600;
    return std::nullopt;
}

std::optional<DurationMatch> parse_duration(const std::vector<std::string>& f, size_t i) {
    if (i >= f.size()) return std::nullopt;
    const std::string& w = f[i];
    if (w == "yarim" && i + 1 < f.size() && f[i + 1] == "saat") return DurationMatch{1800, 2};

    size_t digits = 0;
    while (digits < w.size() && is_ascii_digit(w[digits])) ++digits;
    if (digits > 0 && digits < w.size()) {
        auto unit = duration_unit_seconds(std::string_view(w).substr(digits));
        auto n = parse_i64(std::string_view(w).substr(0, digits));
        if (!unit || !n) return std::nullopt;
        auto s = checked_duration(*n, *unit);
        if (!s) return std::nullopt;
        return DurationMatch{*s, 1};
    }

    auto n = parse_i64(w);
    if (!n || i + 1 >= f.size()) return std::nullopt;
    auto unit = duration_unit_seconds(f[i + 1]);
    if (!unit) return std::nullopt;
    auto s = checked_duration(*n, *unit);
    if (!s) return std::nullopt;
    return DurationMatch{*s, 2};
}

std::optional<ClockTime> parse_clock_time(std::string_view w, bool after_saat) {
    size_t n = 0;
    while (n < w.size() && (is_ascii_digit(w[n]) || w[n] == ':' || w[n] == '.')) ++n;
    std::string_view lead = w.substr(0, n);
    std::string_view suffix = w.substr(n);

    bool suffix_ok = suffix.empty() || suffix.front() == '\'' || suffix.starts_with("\u2019") ||
                     suffix == "da" || suffix == "de" || suffix == "ta" || suffix == "te";
    if (!suffix_ok) return std::nullopt;

    while (!lead.empty() && (lead.back() == ':' || lead.back() == '.')) lead.remove_suffix(1);

    std::string_view hour_text, minute_text;
    size_t sep = lead.find_first_of(":.");
    if (sep != std::string_view::npos) {
        hour_text = lead.substr(0, sep);
        minute_text = lead.substr(sep + 1);
        if (!all_digits(hour_text) || !all_digits(minute_text)) return std::nullopt;
    } else {
        if (!after_saat && suffix.empty()) return std::nullopt;
        hour_text = lead;
        if (!all_digits(hour_text)) return std::nullopt;
    }

    // Unbounded digit runs ("0000…9") must not overflow: out-of-range parses fail.
    auto h = parse_u64(hour_text);
    auto m = minute_text.empty() ? std::optional<uint64_t>(0) : parse_u64(minute_text);
    if (!h || !m || *h > 23 || *m > 59) return std::nullopt;
    return ClockTime{static_cast<uint32_t>(*h), static_cast<uint32_t>(*m)};
}

std::string join_reminder_text(const std::vector<std::string>& words, size_t from, size_t to) {
    to = std::min(to, words.size());
    std::string joined;
    for (size_t i = from; i < to; ++i) {
        if (i > from) joined += ' ';
        joined += words[i];
    }
    std::string_view t = trim(joined);
    while (!t.empty() && (t.front() == ':' || t.front() == ',' || t.front() == '-')) t.remove_prefix(1);
    t = trim(t);
    if (t.empty()) return "Hatırlatma";
    return std::string(t);
}

std::optional<ParsedReminder> parse_reminder(std::string_view phrase, TimeOfDay now) {
    const std::vector<std::string> w = split_words(phrase);
    const size_t count = w.size();
    if (count < 2) return std::nullopt;
    std::vector<std::string> f;
    f.reserve(count);
    for (const auto& word : w) f.push_back(fold_search_text(word));

    const bool tomorrow = f[0] == "yarin";

    // Clock time first ("yarın 9:30 toplantı", "saat 15 ilaç").
    if (size_t i = tomorrow ? 1 : 0; i < count) {
        std::optional<ClockTime> c;
        size_t start = 0;
        if (f[i] == "saat") {
            if (i + 1 < count && (c = parse_clock_time(f[i + 1], true))) start = i + 2;
        } else if ((c = parse_clock_time(f[i], false))) {
            start = i + 1;
        }
        if (c && start < count) {
            if (auto r = clock_result(*c, now, tomorrow, join_reminder_text(w, start, count))) return r;
        }
    }

    // Duration first ("10 dk sonra çamaşır").
    if (!tomorrow) {
        if (auto d = parse_duration(f, 0)) {
            size_t next = d->used;
            if (next < count && f[next] == "sonra") ++next;
            if (d->seconds >= 1 && next < count)
                return ParsedReminder{d->seconds, join_reminder_text(w, next, count)};
        }
    }

    // Duration last ("çamaşırı as 10dk", "çay 10 dk sonra").
    const size_t end = f[count - 1] == "sonra" ? count - 1 : count;
    for (size_t k : {size_t{2}, size_t{1}}) {
        if (end < k + 1) continue;
        size_t start = end - k;
        auto d = parse_duration(f, start);
        if (d && d->used == k && d->seconds >= 1) return ParsedReminder{d->seconds, join_reminder_text(w, 0, start)};
    }

    // Clock time last ("ilaç al saat 21.30", "ekmek yarın 9'da").
    for (size_t k : {size_t{2}, size_t{1}}) {
        if (count < k + 1) continue;
        size_t idx = count - k;
        std::optional<ClockTime> c;
        size_t used = 0;
        if (f[idx] == "saat") {
            if (idx + 1 < count && (c = parse_clock_time(f[idx + 1], true))) used = 2;
        } else if ((c = parse_clock_time(f[idx], false))) {
            used = 1;
        }
        if (!c || used != k) continue;
        bool next_day = false;
        if (f[idx - 1] == "yarin") {
            next_day = true;
            --idx;
            if (idx == 0) continue;
        }
        if (auto r = clock_result(*c, now, next_day, join_reminder_text(w, 0, idx))) return r;
    }
    return std::nullopt;
}

std::string format_time_until(int64_t delay, TimeOfDay now) {
    if (delay < 60) return fmt::format("{} sn sonra", std::max<int64_t>(delay, 0));
    if (delay < 3600) return fmt::format("{} dk sonra", (delay + 59) / 60);
    // Split into days first so that no sum can overflow, whatever the delay.
    int64_t days = delay / kDay;
    int64_t t = delay % kDay + seconds_of_day(now) % kDay;
    days += seconds_of_day(now) / kDay + t / kDay;
    t %= kDay;
    auto hhmm = fmt::format("{:02}:{:02}", t / 3600, (t % 3600) / 60);
    if (days == 0) return hhmm;
    if (days == 1) return "yarın " + hhmm;
    return fmt::format("{} gün sonra {}", days, hhmm);
}

int64_t unix_now_secs() {
    int64_t secs = unix_now();
    return secs < 0 ? 0 : secs;
}

void insert_reminder(std::vector<ReminderItem>& list, ReminderItem item) {
    list.push_back(std::move(item));
    // Stable, so reminders due together keep the order they were set in.
    std::stable_sort(list.begin(), list.end(),
                     [](const ReminderItem& a, const ReminderItem& b) { return a.due < b.due; });
}

std::optional<std::string> add_reminder_to(std::vector<ReminderItem>& list, uint64_t& next_id,
                                           std::string_view phrase, TimeOfDay now, int64_t now_unix) {
    auto parsed = parse_reminder(phrase, now);
    if (!parsed) return std::nullopt;
    int64_t due = 0;
    if (__builtin_add_overflow(now_unix, parsed->delay, &due)) return std::nullopt;
    ReminderItem item;
    item.text = turkish_capitalize(parsed->text);
    item.due = due;
    item.id = next_id++;
    insert_reminder(list, std::move(item));
    return format_time_until(parsed->delay, now);
}
