// libFuzzer target: reminder phrases with any time of day and any "now".
// The first 12 bytes choose the time of day and the Unix now; the rest is the phrase.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "remind.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 12) return 0;
    TimeOfDay now{data[0] % 24u, data[1] % 60u, data[2] % 60u};
    // One in four inputs also tries a time of day that is out of range.
    if ((data[3] & 3) == 0) now = TimeOfDay{data[0] * 16777619u, data[1] * 2654435761u, data[2]};
    int64_t now_unix = 0;
    std::memcpy(&now_unix, data + 4, sizeof now_unix);
    std::string_view phrase(reinterpret_cast<const char*>(data + 12), size - 12);

    if (auto r = parse_reminder(phrase, now)) {
        if (r->delay < 1 || r->delay > kMaxReminderDelay || r->text.empty()) std::abort();
    }
    std::vector<ReminderItem> list{{"a", 0, 1}, {"b", 1, 2}};
    uint64_t next_id = 3;
    if (auto when = add_reminder_to(list, next_id, phrase, now, now_unix)) {
        if (when->empty() || list.size() != 3 || next_id != 4) std::abort();
        for (size_t i = 1; i < list.size(); ++i)
            if (list[i - 1].due > list[i].due) std::abort();
    } else if (list.size() != 2 || next_id != 3) {
        std::abort();
    }
    if (format_time_until(now_unix, now).empty()) std::abort();
    return 0;
}
