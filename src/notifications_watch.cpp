// The "notif" watcher: start-up with the user's consent, then every 400 ms a
// look at the notification database's stamp, and a read of the toast list
// when it changed or 30 s have passed. Each notification that arrives after
// the first read is handed to the island once.
//
// Index
//   Status texts
//   Database stamp and the read rule
//   New since the last read
//   Texts and clock time
//   Start-up
//   One pass and the loop
#include <algorithm>
#include <cmath>

#include <fmt/format.h>

#include "media.h"
#include "notifications.h"
#include "sys_os.h"
#include "sys_text.h"

// ---- Status texts ---------------------------------------------------------------------------------

std::string listener_status_text(const ListenerStart& start) {
    switch (start.kind) {
        case ListenerStart::Open: return kNotifOpen;
        case ListenerStart::NoListener: return fmt::format("dinleyici yok ({:x})", start.hresult);
        case ListenerStart::AccessFailed: return fmt::format("izin alınamadı ({:x})", start.hresult);
        case ListenerStart::Denied: return "Windows izin vermedi (Ayarlar > Gizlilik > Bildirimler)";
    }
    return kNotifOpen;
}

void set_shared_text(const Shared<NotificationState>& state, const std::string& text) {
    if (std::optional<Shared<NotificationState>::Guard> g = state.lock()) (*g)->status = text;
}

// ---- Database stamp and the read rule -------------------------------------------------------------

std::string notification_db_dir(std::string_view base) {
    return path_join(path_join(path_join(base, "Microsoft"), "Windows"), "Notifications");
}

std::optional<NotificationDbStamp> notification_db_stamp(const std::optional<std::string>& folder,
                                                         const FileStampReader& read_stamp) {
    if (!folder) return std::nullopt;
    NotificationDbStamp out;
    for (const char* name : {"wpndatabase.db", "wpndatabase.db-wal"}) {
        std::optional<FileStamp> f = read_stamp ? read_stamp(path_join(*folder, name)) : std::nullopt;
        if (!f) continue;
        if (f->modified_ms < 0) return std::nullopt;
        out.modified_ms = std::max(out.modified_ms, f->modified_ms);
        out.size += f->size;
    }
    return out;
}

bool notification_read_due(const std::optional<NotificationDbStamp>& stamp,
                           const std::optional<NotificationDbStamp>& previous, bool first_read_done,
                           double now, double last_read) {
    if (!stamp || !previous || !first_read_done || !(*stamp == *previous)) return true;
    return std::floor(now - last_read) >= kNotifRereadSeconds;
}

// ---- New since the last read ----------------------------------------------------------------------

NotificationDiff new_since_last_read(const std::vector<std::optional<uint32_t>>& ids,
                                     const std::unordered_set<uint32_t>& previous, bool first_read_done) {
    NotificationDiff diff;
    for (size_t i = 0; i < ids.size(); ++i) {
        if (!ids[i]) continue;
        diff.seen.insert(*ids[i]);
        if (first_read_done && !previous.count(*ids[i])) diff.fresh.push_back(i);
    }
    return diff;
}

void sort_notifications(std::vector<AppNotification>& list) {
    std::stable_sort(list.begin(), list.end(),
                     [](const AppNotification& a, const AppNotification& b) { return a.id < b.id; });
}

// ---- Texts and clock time -------------------------------------------------------------------------

std::vector<std::string> clean_toast_texts(const std::vector<std::string>& raw) {
    std::vector<std::string> out;
    for (const std::string& t : raw) {
        std::string_view trimmed = trim(t);
        if (!trimmed.empty()) out.emplace_back(trimmed);
    }
    return out;
}

void toast_title_body(const std::vector<std::string>& texts, const std::string& app, std::string& title,
                      std::string& body) {
    title = texts.empty() ? app : texts.front();
    body.clear();
    for (size_t i = 1; i < texts.size(); ++i) {
        if (i > 1) body += " · ";
        body += texts[i];
    }
}

namespace {
constexpr int64_t kDaySeconds = 86'400, kHalfDay = 43'200;
int64_t floor_mod(int64_t a, int64_t m) { return ((a % m) + m) % m; }
}  // namespace

std::string format_notification_time(int64_t creation, int64_t now_file_time, int local_seconds_of_day) {
    const int64_t utc_of_day = floor_mod(now_file_time / kTicksPerSecond, kDaySeconds);
    const int64_t offset = floor_mod(local_seconds_of_day - utc_of_day + kHalfDay, kDaySeconds) - kHalfDay;
    const int64_t local = floor_mod(creation / kTicksPerSecond + offset, kDaySeconds);
    return fmt::format("{:02}:{:02}", local / 3600, local / 60 % 60);
}

// ---- Start-up -------------------------------------------------------------------------------------

bool notification_start(NotificationWatcher& w) {
    const ListenerStart start = w.listener->start();
    set_shared_text(w.shared, listener_status_text(start));
    // The island copies the status only when told, so the page can say why nothing arrives.
    if (w.config.notify) w.config.notify();
    if (start.kind != ListenerStart::Open) return false;
    if (w.config.local_app_data) w.db_dir = notification_db_dir(*w.config.local_app_data);
    w.last_read = w.config.monotonic ? w.config.monotonic() : 0;
    w.previous.reset();
    w.first_read_done = false;
    w.seen.clear();
    w.logos.clear();
    return true;
}

// ---- One pass and the loop ------------------------------------------------------------------------

namespace {

AppNotification build_notification(NotificationWatcher& w, size_t position, uint32_t id) {
    RawNotification raw = w.listener->details(position);
    AppNotification n;
    n.id = id;
    n.app_id = raw.app_id;
    n.app = raw.display_name.empty() ? media_source_name(raw.app_id) : raw.display_name;
    auto cached = w.logos.find(n.app_id);
    if (cached == w.logos.end()) cached = w.logos.emplace(n.app_id, w.listener->logo(position)).first;
    n.logo = cached->second;
    toast_title_body(clean_toast_texts(raw.texts), n.app, n.title, n.body);
    if (raw.created && w.config.file_time && w.config.local_seconds)
        n.time = format_notification_time(*raw.created, w.config.file_time(), w.config.local_seconds());
    return n;
}

}  // namespace

bool notification_pass(NotificationWatcher& w) {
    const std::optional<NotificationDbStamp> stamp = notification_db_stamp(w.db_dir, w.config.file_stamp);
    const double now = w.config.monotonic ? w.config.monotonic() : 0;
    const bool due = notification_read_due(stamp, w.previous, w.first_read_done, now, w.last_read);
    w.previous = stamp;
    if (!due) return false;

    w.last_read = now;
    std::optional<std::vector<std::optional<uint32_t>>> ids = w.listener->read();
    if (!ids) return true;  // a failed read still counts for the 30-second rule
    NotificationDiff diff = new_since_last_read(*ids, w.seen, w.first_read_done);
    std::vector<AppNotification> fresh;
    for (size_t position : diff.fresh) fresh.push_back(build_notification(w, position, *(*ids)[position]));
    w.seen = std::move(diff.seen);
    w.first_read_done = true;

    if (!fresh.empty()) {
        sort_notifications(fresh);
        if (std::optional<Shared<NotificationState>::Guard> g = w.shared.lock()) {
            std::vector<AppNotification>& items = (*g)->items;
            items.insert(items.end(), std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()));
        }
        if (w.config.notify) w.config.notify();
    }
    return true;
}

void notification_watch_loop(NotificationWatcher& w) {
    if (!notification_start(w)) return;
    for (;;) {
        notification_pass(w);
        if (w.config.sleep) w.config.sleep(kNotifPollMs);
    }
}
