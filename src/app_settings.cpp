// state.txt: the settings and lists that survive a restart.
#include <algorithm>
#include <cmath>

#include <fmt/format.h>

#include "app.h"
#include "sys_log.h"
#include "sys_num.h"
#include "sys_os.h"
#include "sys_text.h"

namespace {

// Countdown lengths the time page can set; anything else in the file is noise.
constexpr double kTimerMin = 60, kTimerMax = 21600;

const char* flag(bool b) { return b ? "1" : "0"; }

// Line feeds would split a stored line in two, and the reader drops a
// carriage return that ends a line: both are written as spaces.
std::string one_line(std::string_view text) {
    std::string out(text);
    std::replace(out.begin(), out.end(), '\n', ' ');
    std::replace(out.begin(), out.end(), '\r', ' ');
    return out;
}

bool read_bool(std::string_view v) { return v == "1"; }

// Unsigned with one optional "+", capped at 2; anything unreadable gives 1.
uint8_t read_small(std::string_view v) {
    if (!v.empty() && v.front() == '+') v.remove_prefix(1);
    if (v.empty() || v.front() == '+' || v.front() == '-') return 1;
    auto n = parse_u64(v);
    if (!n || *n > 255) return 1;
    return static_cast<uint8_t>(std::min<uint64_t>(*n, 2));
}

std::optional<uint64_t> read_unsigned_plus(std::string_view v) {
    if (v.empty() || v.front() == '-') return std::nullopt;
    if (v.front() == '+') {
        v.remove_prefix(1);
        if (v.empty() || v.front() == '+' || v.front() == '-') return std::nullopt;
    }
    return parse_u64(v);
}

}  // namespace

std::string state_path() { return data_file("state.txt"); }

// ---- The settings table ----------------------------------------------------------------------
// One row per setting: state.txt writes the stored rows in this order after
// timer, page and pomo; the reader, the switches and their springs all go through it.

namespace {

template <bool Settings::*F>
constexpr SettingRow flag_row(const char* key, std::optional<SettingToggle> toggle = std::nullopt,
                              const char* label = nullptr) {
    return SettingRow{key, SettingKind::Flag, F, nullptr, nullptr, toggle, label};
}
template <uint8_t Settings::*F>
constexpr SettingRow level_row(const char* key) {
    return SettingRow{key, SettingKind::Level, nullptr, F, nullptr, std::nullopt, nullptr};
}
template <std::string Settings::*F>
constexpr SettingRow text_row(const char* key, SettingKind kind = SettingKind::Text) {
    return SettingRow{key, kind, nullptr, nullptr, F, std::nullopt, nullptr};
}

}  // namespace

const std::array<SettingRow, 17> kSettingsTable = {{
    flag_row<&Settings::hover_open>("hover_open", SettingToggle::HoverOpen, "Üstüne gelince aç"),
    flag_row<&Settings::clip_hud>("clip_hud", SettingToggle::ClipHud, "Pano bildirimleri"),
    flag_row<&Settings::key_hud>("key_hud", SettingToggle::KeyHud, "Caps Lock / klavye dili"),
    flag_row<&Settings::dl_hud>("dl_hud", SettingToggle::DlHud, "İndirme bildirimleri"),
    flag_row<&Settings::auto_shelf>("auto_shelf", SettingToggle::AutoShelf, "İndirilenleri rafa ekle"),
    flag_row<&Settings::hide_fs>("hide_fs", SettingToggle::HideFs, "Tam ekranda gizle"),
    flag_row<&Settings::hide_chrome>("hide_chrome", SettingToggle::HideChrome, "Tarayıcı öndeyken gizle"),
    flag_row<&Settings::glow>("glow", SettingToggle::Glow, "Renkli parıltı"),
    flag_row<&Settings::app_notif>("app_notif", SettingToggle::AppNotif, "Uygulama bildirimleri"),
    flag_row<&Settings::wake>("wake"),
    text_row<&Settings::mic>("mic"),
    flag_row<&Settings::dnd>("dnd"),
    level_row<&Settings::wake_sens>("wake_sens"),
    text_row<&Settings::brief>("brief"),
    level_row<&Settings::size>("size"),
    text_row<&Settings::city>("city", SettingKind::NonEmptyText),
    // Kept in the Run key, not in state.txt.
    flag_row<&Settings::autostart>(nullptr, SettingToggle::Autostart, "Windows ile başlat"),
}};

const SettingRow* setting_row(SettingToggle t) {
    for (const auto& row : kSettingsTable)
        if (row.toggle == t) return &row;
    return nullptr;
}

const SettingRow* setting_row(std::string_view key) {
    for (const auto& row : kSettingsTable)
        if (row.key && key == row.key) return &row;
    return nullptr;
}

// ---- Writing and reading state.txt -------------------------------------------------------------

std::string App::state_text() const {
    std::string out = fmt::format("timer={}\npage={}\npomo={}\n", shortest_decimal(timers.countdown.length),
                                  page_key(island.remembered_page), timers.pomo.minutes);
    for (const auto& row : kSettingsTable) {
        if (!row.key) continue;
        switch (row.kind) {
        case SettingKind::Flag: out += fmt::format("{}={}\n", row.key, flag(settings.*row.flag)); break;
        case SettingKind::Level: out += fmt::format("{}={}\n", row.key, settings.*row.level); break;
        case SettingKind::Text:
        case SettingKind::NonEmptyText: out += fmt::format("{}={}\n", row.key, settings.*row.text); break;
        }
    }
    for (const auto& s : lists.shelf) out += fmt::format("shelf={}\n", s.path);
    for (const auto& n : lists.notes) out += fmt::format("note={}|{}\n", flag(n.done), one_line(n.text));
    for (const auto& r : lists.reminders) out += fmt::format("rem={}|{}\n", r.due, one_line(r.text));
    return out;
}

void App::read_setting(const SettingRow& row, std::string_view v) {
    switch (row.kind) {
    case SettingKind::Flag: settings.*row.flag = read_bool(v); break;
    case SettingKind::Level: settings.*row.level = read_small(v); break;
    case SettingKind::Text: settings.*row.text = std::string(v); break;
    case SettingKind::NonEmptyText:
        if (!v.empty()) settings.*row.text = std::string(v);
        break;
    }
}

void App::save_state() const {
    if (island.quiet) return;
    // A temporary file replaced in one step: a crash or a full disk never
    // leaves a truncated state.txt behind.
    (void)write_file_atomic(state_path(), state_text());
}

void App::load_state_text(std::string_view raw) {
    // Bad bytes become U+FFFD so one damaged line cannot cost every other one.
    std::string text = sanitize_utf8(raw);
    std::vector<std::string> shelf_paths;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        std::string_view line(text.data() + pos, (nl == std::string::npos ? text.size() : nl) - pos);
        pos = nl == std::string::npos ? text.size() : nl + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view key = line.substr(0, eq);
        std::string_view raw_value = line.substr(eq + 1);
        if (key.size() < 3 || key.size() > 11) continue;
        std::string_view v = trim(raw_value);

        if (const SettingRow* row = setting_row(key)) {
            read_setting(*row, v);
        } else if (key == "timer") {
            auto d = parse_double(v);
            if (d && std::isfinite(*d) && *d >= kTimerMin && *d <= kTimerMax) {
                timers.countdown.length = *d;
                timers.countdown.remaining = *d;
            }
        } else if (key == "page") {
            island.remembered_page = page_from_key(v).value_or(Page::Home);
        } else if (key == "pomo") {
            auto m = read_unsigned_plus(v);
            if (m && *m >= 5 && *m <= 90) {
                timers.pomo.minutes = static_cast<uint32_t>(*m);
                timers.pomo.remaining = timers.pomo.minutes * 60.0;
            }
        } else if (key == "shelf") {
            shelf_paths.emplace_back(raw_value);
        } else if (key == "note") {
            NoteItem n;
            size_t bar = raw_value.find('|');
            if (bar == std::string_view::npos) {
                n.text = std::string(raw_value);
            } else {
                n.done = raw_value.substr(0, bar) == "1";
                n.text = std::string(raw_value.substr(bar + 1));
            }
            n.fade = n.done ? 1.0f : 0.0f;
            n.id = lists.next_id++;
            lists.notes.push_back(std::move(n));
        } else if (key == "rem") {
            size_t bar = raw_value.find('|');
            if (bar == std::string_view::npos) continue;
            auto due = parse_i64(trim(raw_value.substr(0, bar)));
            if (!due) continue;
            ReminderItem r;
            r.text = std::string(raw_value.substr(bar + 1));
            r.due = *due;
            r.id = lists.next_id++;
            lists.reminders.push_back(std::move(r));
        }
    }
    // The tick fires only the first reminder, so the list must be in due order
    // even when the file was edited by hand.
    std::stable_sort(lists.reminders.begin(), lists.reminders.end(),
                     [](const ReminderItem& a, const ReminderItem& b) { return a.due < b.due; });
    if (!shelf_paths.empty()) add_to_shelf(std::move(shelf_paths), false);
}

float read_ui_scale_text(std::string_view text) {
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t nl = text.find('\n', pos);
        std::string_view line = text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        if (line.substr(0, 5) == "size=") {
            auto n = read_unsigned_plus(trim(line.substr(5)));
            if (!n) return 1.0f;
            return *n == 0 ? 0.88f : *n == 1 ? 1.0f : 1.12f;
        }
        if (nl == std::string_view::npos) break;
        pos = nl + 1;
    }
    return 1.0f;
}

float read_ui_scale() {
    auto text = read_file(state_path());
    return text ? read_ui_scale_text(*text) : 1.0f;
}
