// The Steam watcher's pass and thread.
//
// Index
//   Names and pictures
//   Content log
//   Download progress, running game, client
//   Store
//   The pass
//   Thread
#include "steam_watch.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include <fmt/format.h>

#include "sys_num.h"
#include "sys_thread.h"

std::string steam_app_key(uint32_t app_id) { return std::string(kSteamKey) + "\\Apps\\" + std::to_string(app_id); }

// ---- Names and pictures ---------------------------------------------------------------------

namespace {

// The registry writes the folder with forward slashes.
std::string folder_from_registry(std::string path) {
#ifdef _WIN32
    std::replace(path.begin(), path.end(), '/', '\\');
#endif
    return path;
}

bool is_folder(const std::string& path) {
    std::optional<FileInfo> info = file_info(path);
    return info && info->directory;
}

std::string registry_name(const SteamSystem& sys, uint32_t app_id) {
    std::optional<std::string> name = sys.reg_string(steam_app_key(app_id), "Name");
    return name && !name->empty() ? *name : fmt::format("AppID {}", app_id);
}

// The manifest's name, else the registry's.
std::string app_name(const SteamWatch& w, const SteamSystem& sys, uint32_t app_id) {
    if (std::optional<SteamManifest> m = read_app_manifest(w.libraries, app_id)) {
        auto it = m->find("name");
        if (it != m->end() && !it->second.empty()) return it->second;
    }
    return registry_name(sys, app_id);
}

// The game list's picture when it has one, else the cache's.
ImageRef app_header(const SteamWatch& w, const SteamSystem& sys, uint32_t app_id) {
    for (const SteamGameEntry& g : w.games)
        if (g.app_id == app_id && g.header) return g.header;
    return steam_header_image(w.folder, app_id, sys.decode);
}

std::string clock_text(const LocalTime& t) { return fmt::format("{:02}:{:02}", t.hour, t.minute); }

// The started entry of an app in the download list (an empty time), or nullptr.
SteamDownload* open_download(SteamWatch& w, uint32_t app_id) {
    for (auto it = w.downloads.rbegin(); it != w.downloads.rend(); ++it)
        if (it->value == app_id && it->detail.empty()) return &*it;
    return nullptr;
}

void keep_last_downloads(SteamWatch& w) {
    if (w.downloads.size() > kSteamDownloadsKept)
        w.downloads.erase(w.downloads.begin(), w.downloads.end() - static_cast<std::ptrdiff_t>(kSteamDownloadsKept));
}

// ---- Content log ----------------------------------------------------------------------------

struct PassOut {
    std::vector<SteamEvent> events;
    bool rescan_now = false;
};

void drop_active(SteamWatch& w) {
    w.active.reset();
    w.active_header_for = 0;
}

// A download the island announced, or the held one, has finished: one event,
// its time in the list, and a rescan so the game list shows it.
void finish_download(SteamWatch& w, const SteamSystem& sys, uint32_t app_id, const SteamClock& clock, PassOut& out) {
    const bool held = w.active && w.active->app_id == app_id;
    SteamDownload* entry = open_download(w, app_id);
    if (!held && !entry) return;
    std::string name = app_name(w, sys, app_id);
    if (!entry) {
        w.downloads.push_back({name, {}, app_id});
        entry = &w.downloads.back();
    }
    entry->name = name;
    entry->detail = clock_text(clock.local);
    keep_last_downloads(w);
    w.last_title = name;
    w.last_detail = clock_text(clock.local);
    out.events.push_back({SteamEvent::DownloadFinished, 0, 0, name});
    out.rescan_now = true;
    if (held) drop_active(w);
}

void forget_download(SteamWatch& w, uint32_t app_id) {
    if (w.active && w.active->app_id == app_id) drop_active(w);
    w.downloads.erase(std::remove_if(w.downloads.begin(), w.downloads.end(),
                                     [&](const SteamDownload& d) { return d.value == app_id && d.detail.empty(); }),
                      w.downloads.end());
}

// `history`: the first read of a log written before the watcher started. It
// sets the held download but announces nothing that happened back then.
void apply_log_line(SteamWatch& w, const SteamSystem& sys, const SteamLogLine& l, const SteamClock& clock,
                    bool history, PassOut& out) {
    const bool held = w.active && w.active->app_id == l.app_id;
    switch (l.kind) {
        case SteamLogLine::None: break;
        case SteamLogLine::Rate:
            w.logged_rate = l.rate;
            w.logged_rate_at = clock.now;
            break;
        case SteamLogLine::UpdateStarted:
            if (held) {
                w.active->done = static_cast<double>(l.done);
                w.active->total = static_cast<double>(l.total);
                w.active->paused = false;
                break;
            }
            drop_active(w);
            w.active = SteamActiveDownload{};
            w.active->app_id = l.app_id;
            w.active->name = app_name(w, sys, l.app_id);
            w.active->done = static_cast<double>(l.done);
            w.active->total = static_cast<double>(l.total);
            w.active->state = kSteamDownloading;
            w.manifest_at = -std::numeric_limits<double>::infinity();  // progress and picture in this pass
            if (history || open_download(w, l.app_id)) break;
            w.downloads.push_back({registry_name(sys, l.app_id), {}, l.app_id});
            keep_last_downloads(w);
            out.events.push_back({SteamEvent::DownloadStarted, static_cast<double>(l.total), 0, w.active->name});
            break;
        case SteamLogLine::StateChanged:
            if (!held) break;
            if (l.state) w.active->state = *l.state;
            if (l.paused) w.active->paused = *l.paused;
            break;
        case SteamLogLine::UpdateCanceled:
            forget_download(w, l.app_id);
            break;
        case SteamLogLine::UpdateFinished:
            if (history) {
                if (held) drop_active(w);
            } else {
                finish_download(w, sys, l.app_id, clock, out);
            }
            break;
        case SteamLogLine::SchedulerFinished:
            if (held && l.result != "No Error") forget_download(w, l.app_id);
            break;
    }
}

void read_log(SteamWatch& w, const SteamSystem& sys, const SteamClock& clock, PassOut& out) {
    // Only what the log held when the watcher first looked is history; a log
    // that appears later is news.
    const bool history = !w.log_seen;
    w.log_seen = true;
    std::optional<std::string> text = read_content_log(path_join(path_join(w.folder, "logs"), "content_log.txt"), w.log);
    if (!text) return;
    for (const SteamLogLine& l : parse_content_log(*text)) apply_log_line(w, sys, l, clock, history, out);
}

// ---- Download progress, running game, client ------------------------------------------------

// The client clears "Updating" once it stops working on the app.
void check_updating(SteamWatch& w, const SteamSystem& sys) {
    if (!w.active) return;
    std::optional<uint32_t> updating = sys.reg_dword(steam_app_key(w.active->app_id), "Updating");
    if (!updating || *updating != 1) drop_active(w);
}

void measure_rate(SteamWatch& w, const SteamSystem& sys, const SteamClock& clock) {
    std::optional<uint64_t> bytes = sys.received_bytes ? sys.received_bytes() : std::nullopt;
    if (!bytes) return;
    if (w.net_bytes) {
        const double elapsed = std::max(clock.now - w.net_at, kSteamMinRateInterval);
        // Counters that went back (an interface gone) give no growth, not a huge one.
        w.net_rate = *bytes >= *w.net_bytes ? static_cast<double>(*bytes - *w.net_bytes) / elapsed : 0;
    }
    w.net_bytes = bytes;
    w.net_at = clock.now;
}

void update_progress(SteamWatch& w, const SteamSystem& sys) {
    if (!w.active) return;
    SteamActiveDownload& d = *w.active;
    if (std::optional<SteamManifest> m = read_app_manifest(w.libraries, d.app_id)) {
        auto number = [&](const char* key) -> std::optional<uint64_t> {
            auto it = m->find(key);
            return it == m->end() ? std::nullopt : parse_u64(it->second);
        };
        if (auto done = number("BytesDownloaded")) d.done = static_cast<double>(*done);
        if (auto total = number("BytesToDownload")) d.total = static_cast<double>(*total);
    }
    d.name = app_name(w, sys, d.app_id);
    if (w.active_header_for != d.app_id) {
        w.active_header_for = d.app_id;
        d.header = app_header(w, sys, d.app_id);
    }
}

void follow_running_game(SteamWatch& w, const SteamSystem& sys, const SteamClock& clock, PassOut& out) {
    const uint32_t running = sys.reg_dword(kSteamKey, "RunningAppID").value_or(0);
    const uint32_t known = w.playing ? w.playing->app_id : 0;
    if (running == known) return;
    if (w.playing) {
        out.events.push_back({SteamEvent::GameClosed, 0, std::max<int64_t>(clock.wall - w.playing->started, 0),
                              w.playing->name});
        out.rescan_now = true;  // the play statistics have moved on
        w.playing.reset();
    }
    if (running != 0) {
        w.playing = SteamPlaying{app_name(w, sys, running), clock.wall, app_header(w, sys, running), running};
        out.events.push_back({SteamEvent::GameStarted, 0, 0, w.playing->name});
    }
}

bool client_running(const SteamSystem& sys) {
    std::optional<uint32_t> pid = sys.reg_dword(kSteamProcessKey, "pid");
    return pid && *pid != 0 && sys.process_running && sys.process_running(*pid);
}

void rescan(SteamWatch& w, const SteamSystem& sys) {
    const uint32_t active_user = sys.reg_dword(kSteamProcessKey, "ActiveUser").value_or(0);
    SteamRescan r = steam_rescan(w.folder, active_user, sys.decode);
    w.libraries = std::move(r.libraries);
    w.games = std::move(r.games);
    w.login = std::move(r.login);
    w.game_count = r.game_count;
    w.total_size = r.total_size;
    w.update_count = r.update_count;
    if (w.playing && !w.playing->header) w.playing->header = app_header(w, sys, w.playing->app_id);
}

// ---- Store ----------------------------------------------------------------------------------
// A rescan decodes the pictures again: equal lists compare the pictures' sizes, not their identity.

bool same_image(const ImageRef& a, const ImageRef& b) {
    if (!a || !b) return !a == !b;
    return a == b || (a->width == b->width && a->height == b->height && a->pixels == b->pixels);
}

bool same(const SteamDownload& a, const SteamDownload& b) {
    return a.name == b.name && a.detail == b.detail && a.value == b.value;
}

bool same(const SteamGameEntry& a, const SteamGameEntry& b) {
    return a.name == b.name && a.size == b.size && a.last_played == b.last_played && a.minutes == b.minutes &&
           a.app_id == b.app_id && a.update_required == b.update_required && same_image(a.header, b.header);
}

bool same(const SteamActiveDownload& a, const SteamActiveDownload& b) {
    return a.name == b.name && a.done == b.done && a.total == b.total && a.rate == b.rate && a.app_id == b.app_id &&
           a.state == b.state && a.paused == b.paused && same_image(a.header, b.header);
}

bool same(const SteamPlaying& a, const SteamPlaying& b) {
    return a.name == b.name && a.started == b.started && a.app_id == b.app_id && same_image(a.header, b.header);
}

template <class T>
bool same(const std::optional<T>& a, const std::optional<T>& b) {
    return a.has_value() == b.has_value() && (!a || same(*a, *b));
}

template <class T>
bool same(const std::vector<T>& a, const std::vector<T>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const T& x, const T& y) { return same(x, y); });
}

// Replaces what the pass owns; true when anything differs from what was there.
template <class T>
bool replace(T& field, T value) {
    const bool differs = !same(field, value);
    field = std::move(value);
    return differs;
}

// `changed`: what the pass already knows changed. A damaged lock skips the store.
bool store(const SteamWatch& w, PassOut& out, bool rescanned, bool changed, const Shared<SteamSnapshot>& shared) {
    changed |= !out.events.empty();
    const bool ok = shared.with([&](SteamSnapshot& s) {
        s.events.insert(s.events.end(), std::make_move_iterator(out.events.begin()),
                        std::make_move_iterator(out.events.end()));
        changed |= replace(s.downloads, w.downloads);
        changed |= replace(s.active, w.active);
        changed |= replace(s.playing, w.playing);
        changed |= s.client != w.client || s.persona != w.login.persona;
        s.client = w.client;
        s.persona = w.login.persona;
        changed |= s.last_update_title != w.last_title || s.last_update_detail != w.last_detail;
        s.last_update_title = w.last_title;
        s.last_update_detail = w.last_detail;
        if (rescanned) {
            changed |= s.game_count != w.game_count || s.total_size != w.total_size ||
                       s.updates_waiting != w.update_count;
            s.game_count = w.game_count;
            s.total_size = w.total_size;
            s.updates_waiting = w.update_count;
            changed |= replace(s.games, take_games(w.games, kSteamGamesKept));
        }
    });
    return ok && changed;
}

}  // namespace

// ---- The pass -------------------------------------------------------------------------------

bool steam_watch_pass(SteamWatch& w, const SteamSystem& sys, const SteamClock& clock,
                      const Shared<SteamSnapshot>& shared) {
    if (!w.started) {
        // In the past, so every periodic step runs in the first pass.
        w.started = true;
        w.manifest_at = clock.now - 10;
        w.rescan_at = clock.now - 3600;
        w.process_at = clock.now - 60;
    }
    std::optional<std::string> path = sys.reg_string(kSteamKey, "SteamPath");
    if (!path || path->empty()) return false;
    std::string folder = folder_from_registry(*path);
    if (!is_folder(folder)) return false;
    if (folder != w.folder) {
        // Another Steam folder: its libraries and games are read afresh.
        w.folder = std::move(folder);
        w.libraries = steam_library_folders(w.folder);
        w.rescan_at = clock.now - 3600;
    }
    bool found_now = false;
    shared.with([&](SteamSnapshot& s) {
        found_now = !s.found;
        s.found = true;
    });

    PassOut out;
    read_log(w, sys, clock, out);
    check_updating(w, sys);
    measure_rate(w, sys, clock);

    if (clock.now - w.manifest_at > kSteamManifestEvery) {
        w.manifest_at = clock.now;
        update_progress(w, sys);
        follow_running_game(w, sys, clock, out);
    }
    if (w.active)
        w.active->rate = w.active->paused ? 0
                         : clock.now - w.logged_rate_at <= kSteamLoggedRateFresh ? w.logged_rate
                                                                                 : w.net_rate;

    bool changed = found_now;
    if (clock.now - w.process_at > kSteamProcessEvery) {
        w.process_at = clock.now;
        const bool client = client_running(sys);
        changed |= client != w.client;
        w.client = client;
    }
    if (out.rescan_now) w.rescan_at -= 3600;
    const bool rescanned = clock.now - w.rescan_at > kSteamRescanEvery;
    if (rescanned) {
        w.rescan_at = clock.now;
        rescan(w, sys);
    }
    return store(w, out, rescanned, changed, shared);
}

SteamClock steam_clock_now() { return {monotonic_seconds(), unix_now(), local_time()}; }

// ---- Thread ---------------------------------------------------------------------------------

Shared<SteamSnapshot> spawn_steam_watcher(SteamSystem sys, std::function<void()> notify) {
    Shared<SteamSnapshot> shared;
    (void)spawn_detached("steam", [sys = std::move(sys), notify = std::move(notify), shared] {
        if (sys.thread_setup) sys.thread_setup();
        SteamWatch w;
        for (;;) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
            if (steam_watch_pass(w, sys, steam_clock_now(), shared) && notify) notify();
        }
    });
    return shared;
}
