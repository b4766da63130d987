// Reminders typed as short Turkish phrases ("10 dk sonra çamaşır",
// "yarın 9:30 toplantı", "ilaç 21.30'da"): reading the phrase, the when-text
// the island shows, and the list kept in due-time order.
// Everything here is pure: the time of day and "now" come in as parameters.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ReminderItem {
    std::string text;   // first letter capitalised the Turkish way
    int64_t due = 0;    // Unix seconds
    uint64_t id = 0;    // from the identifier counter shared with notes
};

// Local time of day, from the system's local clock.
struct TimeOfDay {
    uint32_t hour = 0, minute = 0, second = 0;
};

struct ParsedReminder {
    int64_t delay = 0;  // seconds from now, 1 .. kMaxReminderDelay
    std::string text;   // the remaining words as typed, not yet capitalised
};

struct DurationMatch {
    int64_t seconds = 0;
    size_t used = 0;  // words taken: 1 ("10dk") or 2 ("10 dk", "yarım saat")
};

struct ClockTime {
    uint32_t hour = 0, minute = 0;
};

// A delay longer than this (100 years) is treated as no duration at all.
constexpr int64_t kMaxReminderDelay = int64_t{3155760000};

// Length of a duration unit word ("dk" -> 60); nothing for any other word.
std::optional<int64_t> duration_unit_seconds(std::string_view folded_word);
// A duration starting at word `start` of the folded words; nothing when the
// product overflows or its size exceeds kMaxReminderDelay.
std::optional<DurationMatch> parse_duration(const std::vector<std::string>& folded, size_t start);
// "9:30", "09.30", "21.30'da", "15'te", "15te"; a bare hour only after "saat".
std::optional<ClockTime> parse_clock_time(std::string_view folded_word, bool after_saat);
// Joins words [from, to) as typed, strips leading ":", "," and "-"; "Hatırlatma" when empty.
std::string join_reminder_text(const std::vector<std::string>& words, size_t from, size_t to);
// Reads a reminder phrase: a duration or a clock time at its start or its end
// plus at least one word of text.
std::optional<ParsedReminder> parse_reminder(std::string_view phrase, TimeOfDay now);
// "45 sn sonra", "2 dk sonra", "11:00", "yarın 09:30", "3 gün sonra 08:00".
std::string format_time_until(int64_t delay, TimeOfDay now);

// The current system time as Unix seconds; 0 when the clock reads before 1970.
int64_t unix_now_secs();

// Inserts into a list sorted by due time; equal due times keep insertion order.
void insert_reminder(std::vector<ReminderItem>& list, ReminderItem item);

// The whole of adding a reminder, without the App: parses the phrase, numbers
// the new item with next_id (then increments it), inserts it at
// now_unix + delay and returns the when-text. When the phrase is no reminder
// (or the due time would overflow) nothing is returned and neither the list
// nor next_id changes.
std::optional<std::string> add_reminder_to(std::vector<ReminderItem>& list, uint64_t& next_id,
                                           std::string_view phrase, TimeOfDay now, int64_t now_unix);
