// The assistant's desktop tools, carried out on the user-interface thread
// against the App: timers, reminders, notes, media, levels, apps, games, the
// web, do-not-disturb and system actions. Each gives an optional Turkish
// sentence; actions on the desktop are queued as effects that fire a moment
// later, after the answer is on the screen.
//
// Index
//   Delays and texts
//   Argument readers
//   Queued effects and the address rule
//   Timers: countdown, pomodoro, stopwatch
//   Reminders and notes
//   Media and levels
//   Apps, games, web, music
//   Do-not-disturb and system actions
//   The executor
#include <algorithm>
#include <cmath>
#include <limits>

#include <fmt/format.h>

#include "app.h"
#include "app_time.h"
#include "google_text.h"
#include "net_encode.h"
#include "sys_desktop.h"
#include "sys_log.h"
#include "sys_shell.h"
#include "sys_text.h"

namespace {

// ---- Delays and texts ------------------------------------------------------------------------------

constexpr double kOpenDelay = 0.3, kShowDesktopDelay = 0.3, kSnipDelay = 0.4, kLockDelay = 2.5, kMonitorOffDelay = 2.5;
constexpr int64_t kLeastReminderSeconds = 30;
constexpr int64_t kDay = 86400;
constexpr size_t kMostGames = 8;

constexpr const char* kAskMinutes = "Kaç dakika olsun?";
constexpr const char* kBadReminderTime = "Hatırlatma saatini anlayamadım.";
constexpr const char* kNothingPlaying = "Şu an çalan bir şey yok.";
constexpr const char* kNoBrightness = "Bu ekranın parlaklığını ayarlayamıyorum.";
constexpr const char* kNoGame = "Bu oyunu Steam kütüphanende bulamadım.";
constexpr const char* kWebOnly = "Yalnızca http ve https adreslerini açabilirim.";
constexpr const char* kGoogleSearch = "https://www.google.com/search?q=";
constexpr const char* kYouTubeMusicSearch = "https://music.youtube.com/search?q=";

// ---- Argument readers ------------------------------------------------------------------------------

const nlohmann::json* member(const nlohmann::json& args, const char* key) {
    if (!args.is_object()) return nullptr;
    auto it = args.find(key);
    return it == args.end() ? nullptr : &*it;
}

std::string text_arg(const nlohmann::json& args, const char* key) {
    const nlohmann::json* v = member(args, key);
    if (!v || !v->is_string()) return {};
    return std::string(trim(v->get_ref<const std::string&>()));
}

std::optional<double> number_arg(const nlohmann::json& args, const char* key) {
    const nlohmann::json* v = member(args, key);
    if (!v || !v->is_number()) return std::nullopt;
    return v->get<double>();
}

std::optional<bool> bool_arg(const nlohmann::json& args, const char* key) {
    const nlohmann::json* v = member(args, key);
    if (!v || !v->is_boolean()) return std::nullopt;
    return v->get<bool>();
}

// A float to an integer the way a saturating cast does: NaN gives 0.
int64_t saturate(double d) {
    if (std::isnan(d)) return 0;
    if (d >= 9.2e18) return std::numeric_limits<int64_t>::max();
    if (d <= -9.2e18) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(d);
}

// ---- Queued effects and the address rule -----------------------------------------------------------

void queue(App& app, double delay, WindowEffect e) { app.effects.pending.push_back({app.now + delay, std::move(e)}); }

}  // namespace

// The model reads mail and calendar text it cannot vouch for, so an address it
// names may only lead to a web page: a file, a share or a protocol handler is
// never opened on its word.
bool assistant_may_open(std::string_view target) {
    const size_t colon = target.find(':');
    if (colon == std::string_view::npos) return false;
    const std::string scheme = to_lower(target.substr(0, colon));
    if (scheme != "http" && scheme != "https") return false;
    return target.substr(colon + 1).starts_with("//");
}

namespace {

// Every address the tools open goes through here. The island's own targets
// (an installed app, a Steam game, a Spotify search, the snipping tool) are
// built from fixed prefixes; anything else must pass the web rule.
bool queue_open(App& app, std::string target, bool island_built, double delay = kOpenDelay) {
    if (!island_built && !assistant_may_open(target)) {
        if (!app.island.quiet) write_log("gemini: adres açılmadı");
        return false;
    }
    queue(app, delay, effect::OpenUrl{std::move(target), std::nullopt});
    return true;
}

// ---- Timers: countdown, pomodoro, stopwatch --------------------------------------------------------

std::optional<std::string> timer_start(App& app, const nlohmann::json& args) {
    const double d = number_arg(args, "minutes").value_or(0) * 60 + number_arg(args, "seconds").value_or(0);
    if (!(d >= 1)) return kAskMinutes;
    Countdown& c = app.timers.countdown;
    c.length = c.remaining = d;
    c.end = app.now + d;
    c.running = true;
    const int64_t n = saturate(d);
    const std::string x = d >= 60 && std::fmod(d, 60.0) == 0 ? fmt::format("{} dakika", n / 60)
                                                              : fmt::format("{} saniye", n);
    return fmt::format("{}lık zamanlayıcı başladı.", x);
}

std::optional<std::string> pomodoro_start(App& app) {
    Pomodoro& p = app.timers.pomo;
    if (!p.running) {
        p.end = app.now + p.remaining;
        p.running = true;
    }
    return fmt::format("{} dakikalık odak başladı.", p.minutes);
}

std::optional<std::string> timer_stop(App& app) {
    Countdown& c = app.timers.countdown;
    c.running = false;
    c.remaining = c.length;
    Pomodoro& p = app.timers.pomo;
    if (p.running) {
        p.running = false;
        p.phase = PomoPhase::Focus;
        p.completed = 0;
        p.remaining = p.minutes * 60.0;
    }
    return "Zamanlayıcıyı durdurdum.";
}

std::optional<std::string> stopwatch(App& app, const nlohmann::json& args) {
    const std::string a = text_arg(args, "action");
    Stopwatch& s = app.timers.stopwatch;
    if (a == "stop") {
        if (s.running) {
            s.accumulated += app.now - s.start;
            s.running = false;
        }
        return "Kronometreyi durdurdum.";
    }
    if (a == "reset") {
        stopwatch_reset(s);
        return "Kronometreyi sıfırladım.";
    }
    if (!s.running) {
        s.start = app.now;
        s.running = true;
    }
    return "Kronometre başladı.";
}

// ---- Reminders and notes ---------------------------------------------------------------------------

// A signed decimal integer, the whole text; none otherwise.
std::optional<int64_t> read_integer(std::string_view s) {
    s = trim(s);
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || s.size() > 9) return std::nullopt;
    int64_t v = 0;
    for (char ch : s) {
        if (ch < '0' || ch > '9') return std::nullopt;
        v = v * 10 + (ch - '0');
    }
    return negative ? -v : v;
}

int64_t floor_div(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

std::optional<std::string> reminder_add(App& app, const nlohmann::json& args) {
    const std::string text = turkish_capitalize(text_arg(args, "text"));
    if (text.empty()) return std::nullopt;
    const int64_t now = std::max<int64_t>(app.wall_unix(), 0);
    const int64_t offset = app.wall_utc_offset();
    int64_t due = 0;
    if (std::optional<double> later = number_arg(args, "minutes_from_now")) {
        due = saturate(static_cast<double>(now) + std::max(*later * 60, static_cast<double>(kLeastReminderSeconds)));
    } else {
        const std::string at = text_arg(args, "at_time");
        const size_t colon = at.find(':');
        if (colon == std::string::npos) return kBadReminderTime;
        const std::optional<int64_t> hours = read_integer(std::string_view(at).substr(0, colon));
        if (!hours || *hours < 0 || *hours > 23) return kBadReminderTime;
        const int64_t minutes = read_integer(std::string_view(at).substr(colon + 1)).value_or(0);
        const int64_t midnight = floor_div(now + offset, kDay) * kDay;
        due = midnight + *hours * 3600 + minutes * 60 - offset;
        if (due <= now) due += kDay;
    }
    std::vector<ReminderItem>& list = app.lists.reminders;
    list.push_back({text, due, app.lists.next_id++});
    std::stable_sort(list.begin(), list.end(), [](const ReminderItem& a, const ReminderItem& b) { return a.due < b.due; });
    app.save_state();
    return fmt::format("Hatırlatıcı kuruldu: {}, {}.", text, day_time_text_at(due, false, now, offset));
}

std::optional<std::string> note_add(App& app, const nlohmann::json& args) {
    const std::string text = turkish_capitalize(text_arg(args, "text"));
    if (text.empty()) return std::nullopt;
    NoteItem note;
    note.text = text;
    note.id = app.lists.next_id++;
    app.lists.notes.insert(app.lists.notes.begin(), std::move(note));
    app.save_state();
    return "Notlarına ekledim.";
}

// ---- Media and levels ------------------------------------------------------------------------------

std::optional<std::string> media_control(App& app, const nlohmann::json& args) {
    const MediaSnapshot& m = app.media.snap;
    if (!m.has) return kNothingPlaying;
    const std::string a = text_arg(args, "action");
    if (a == "next") {
        app.send_media_command(media_cmd::Next{});
    } else if (a == "previous") {
        app.send_media_command(media_cmd::Previous{});
    } else if (a == "play") {
        if (!m.playing) app.send_media_command(media_cmd::TogglePlayPause{});
    } else if (a == "pause") {
        if (m.playing) app.send_media_command(media_cmd::TogglePlayPause{});
    } else {
        app.send_media_command(media_cmd::TogglePlayPause{});
    }
    return std::nullopt;
}

float unit_level(double percent) { return std::clamp(static_cast<float>(percent / 100), 0.0f, 1.0f); }

std::optional<std::string> volume_set(App& app, const nlohmann::json& args) {
    if (std::optional<bool> mute = bool_arg(args, "mute")) {
        set_master_mute(app.audio.out_cache, *mute);
        app.audio.muted = *mute;
    }
    if (std::optional<double> percent = number_arg(args, "percent")) {
        const float v = unit_level(*percent);
        app.audio.volume = v;
        set_master_volume(app.audio.out_cache, v);
        if (v > 0.005f) app.audio.muted = false;
    }
    return std::nullopt;
}

std::optional<std::string> brightness_set(App& app, const nlohmann::json& args) {
    if (!app.audio.brightness_ok) return kNoBrightness;
    const float v = unit_level(number_arg(args, "percent").value_or(50));
    app.audio.brightness = v;
    set_brightness(app.audio.brightness_device, v);
    app.audio.brightness_changed = app.now;  // the brightness notice stays down for this change
    return std::nullopt;
}

// ---- Apps, games, web, music -----------------------------------------------------------------------

std::optional<std::string> app_open(App& app, const nlohmann::json& args) {
    const std::string name = text_arg(args, "name");
    const std::string missing = fmt::format("{} adında bir uygulama bulamadım.", name);
    std::optional<SearchRow> found;
    {
        auto guard = app.search_page.apps.lock();
        if (!guard) return missing;
        if ((*guard)->apps) {
            for (SearchRow& row : search_rows(*(*guard)->apps, name, kSearchMaxRows))
                if (row.kind == SearchRowKind::App) {
                    found = std::move(row);
                    break;
                }
        }
    }
    if (!found) return missing;
    queue_open(app, search_row_open_target(*found).value_or(""), true);
    return fmt::format("{} açılıyor.", found->title);
}

// Lower case with the Turkish letters made plain, for matching game names.
std::string fold_game_name(std::string_view s) {
    std::u32string lower;
    for (size_t i = 0; i < s.size();) append_lower(lower, next_code_point(s, i));
    std::string out;
    for (char32_t c : lower) {
        switch (c) {
            case U'â': c = U'a'; break;
            case U'ç': c = U'c'; break;
            case U'î': case U'ı': c = U'i'; break;
            case U'ö': c = U'o'; break;
            case U'ü': c = U'u'; break;
            case U'ğ': c = U'g'; break;
            case U'ş': c = U's'; break;
            case 0x0307: continue;
            default: break;
        }
        append_utf8(out, c);
    }
    return out;
}

std::optional<std::string> game_launch(App& app, const nlohmann::json& args) {
    const std::string want = fold_game_name(text_arg(args, "name"));
    const std::vector<SteamGameEntry>& games = app.steam.snap.games;
    const size_t n = std::min(games.size(), kMostGames);
    for (size_t i = 0; i < n; ++i) {
        const std::string g = fold_game_name(games[i].name);
        if (g.find(want) == std::string::npos && want.find(g) == std::string::npos) continue;
        queue_open(app, fmt::format("steam://rungameid/{}", games[i].app_id), true);
        return fmt::format("{} başlatılıyor.", games[i].name);
    }
    return kNoGame;
}

std::optional<std::string> web_open(App& app, const nlohmann::json& args) {
    const std::string url = text_arg(args, "url"), query = text_arg(args, "query");
    std::string target;
    if (!url.empty())
        target = url.find("://") != std::string::npos ? url : "https://" + url;
    else if (!query.empty())
        target = kGoogleSearch + percent_encode(query);
    else
        return std::nullopt;
    if (!queue_open(app, std::move(target), false)) return kWebOnly;
    return std::nullopt;
}

bool spotify_installed(App& app, bool& poisoned) {
    auto guard = app.search_page.apps.lock();
    poisoned = !guard;
    if (!guard || !(*guard)->apps) return false;
    for (const AppEntry& e : *(*guard)->apps)
        if (to_lower(e.name).find("spotify") != std::string::npos) return true;
    return false;
}

std::optional<std::string> music_play(App& app, const nlohmann::json& args) {
    const std::string query = text_arg(args, "query");
    if (query.empty()) return std::nullopt;
    bool poisoned = false;
    if (spotify_installed(app, poisoned)) {
        queue_open(app, "spotify:search:" + percent_encode(query), true);
        return fmt::format("Spotify'da açıyorum: {}.", query);
    }
    queue_open(app, kYouTubeMusicSearch + percent_encode(query), false);
    return fmt::format("YouTube Music'te açıyorum: {}.", query);
}

// ---- Do-not-disturb and system actions -------------------------------------------------------------

std::optional<std::string> dnd_set(App& app, const nlohmann::json& args) {
    const bool on = bool_arg(args, "on").value_or(true);
    app.settings.dnd = on;
    app.save_state();
    return on ? "Rahatsız etme açık, bildirim balonlarını susturdum." : "Rahatsız etme kapandı.";
}

std::optional<std::string> system_action(App& app, const nlohmann::json& args) {
    const std::string a = text_arg(args, "action");
    if (a == "lock") {
        queue(app, kLockDelay, effect::LockWorkstation{});
    } else if (a == "screen_off") {
        queue(app, kMonitorOffDelay, effect::MonitorOff{});
    } else if (a == "show_desktop") {
        queue(app, kShowDesktopDelay, effect::ShowDesktop{});
    } else if (a == "screenshot") {
        queue_open(app, "ms-screenclip:", true, kSnipDelay);
    } else if (a == "dark_mode" || a == "light_mode") {
        app.settings.dark_mode = a == "dark_mode";
        if (!app.island.quiet) set_dark_mode(app.settings.dark_mode);
    } else if (a == "keep_awake_on" || a == "keep_awake_off") {
        app.island.keep_awake = a == "keep_awake_on";
        if (!app.island.quiet) set_keep_awake(app.island.keep_awake);
    }
    return std::nullopt;
}

}  // namespace

// ---- The executor ----------------------------------------------------------------------------------

std::optional<std::string> App::run_tool_call(const ToolCall& call) {
    if (google.tool_hook) return google.tool_hook(*this, call);
    if (!island.quiet) write_log("gemini eylem: " + call.name);
    const std::string& n = call.name;
    const nlohmann::json& args = call.args;
    if (n == "timer_start") return timer_start(*this, args);
    if (n == "pomodoro_start") return pomodoro_start(*this);
    if (n == "timer_stop") return timer_stop(*this);
    if (n == "stopwatch") return stopwatch(*this, args);
    if (n == "reminder_add") return reminder_add(*this, args);
    if (n == "note_add") return note_add(*this, args);
    if (n == "media_control") return media_control(*this, args);
    if (n == "volume_set") return volume_set(*this, args);
    if (n == "brightness_set") return brightness_set(*this, args);
    if (n == "app_open") return app_open(*this, args);
    if (n == "game_launch") return game_launch(*this, args);
    if (n == "web_open") return web_open(*this, args);
    if (n == "music_play") return music_play(*this, args);
    if (n == "dnd_set") return dnd_set(*this, args);
    if (n == "system_action") return system_action(*this, args);
    return std::nullopt;
}
