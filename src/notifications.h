// App notifications: the listener's shared state, the watcher's pure rules
// (database stamp, 30-second rule, new-since-last-read, toast texts, clock
// time) and the "notif" watcher over a small listener interface that the
// Windows Runtime layer (notifications_win.cpp) implements and tests replace.
//
// Index
//   Shared state
//   Pure rules
//   The listener interface
//   The watcher
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "sys_image.h"
#include "sys_shared.h"

// ---- Shared state ---------------------------------------------------------------------------------

struct AppNotification {
    std::string app, app_id, title, body, time;
    ImageRef logo;
    uint32_t id = 0;
};

struct NotificationState {
    std::string status;                  // "açık" while listening, else the reason
    std::vector<AppNotification> items;  // arrived since the last message; taken by the App
};

inline constexpr const char* kNotifStarting = "başlatılıyor";
inline constexpr const char* kNotifOpen = "açık";

// ---- Pure rules -----------------------------------------------------------------------------------

// What the listener's start-up came to.
struct ListenerStart {
    enum Kind { Open, NoListener, AccessFailed, Denied } kind = Open;
    uint32_t hresult = 0;  // for NoListener and AccessFailed
};
// The status text of a start-up outcome ("açık", "dinleyici yok (80040154)", ...).
std::string listener_status_text(const ListenerStart& start);

// base\Microsoft\Windows\Notifications (with the platform's separator).
std::string notification_db_dir(std::string_view base);

// One file's metadata: last write in milliseconds since 1970 (negative:
// earlier) and its size.
struct FileStamp {
    int64_t modified_ms = 0;
    uint64_t size = 0;
};
using FileStampReader = std::function<std::optional<FileStamp>(const std::string& path)>;

// The database's latest write time and the two files' total size.
struct NotificationDbStamp {
    int64_t modified_ms = 0;
    uint64_t size = 0;
    bool operator==(const NotificationDbStamp&) const = default;
};
// Over wpndatabase.db and wpndatabase.db-wal; a file that cannot be read adds
// nothing. Absent without a folder or with a write time before 1970.
std::optional<NotificationDbStamp> notification_db_stamp(const std::optional<std::string>& folder,
                                                         const FileStampReader& read_stamp);

inline constexpr int kNotifRereadSeconds = 30;
inline constexpr int kNotifPollMs = 400;
// Whether this pass reads the list: always, unless the database is known
// unchanged since a completed first read and fewer than 30 whole seconds
// have passed since the last read.
bool notification_read_due(const std::optional<NotificationDbStamp>& stamp,
                           const std::optional<NotificationDbStamp>& previous, bool first_read_done,
                           double now, double last_read);

// The positions (in the list) of notifications not seen in the previous read,
// and the numbers seen now. Nothing is new before the first read is done; an
// entry whose number could not be read is skipped.
struct NotificationDiff {
    std::vector<size_t> fresh;
    std::unordered_set<uint32_t> seen;
};
NotificationDiff new_since_last_read(const std::vector<std::optional<uint32_t>>& ids,
                                     const std::unordered_set<uint32_t>& previous, bool first_read_done);

// Ascending by id.
void sort_notifications(std::vector<AppNotification>& list);

// Texts trimmed of white space, empty ones left out.
std::vector<std::string> clean_toast_texts(const std::vector<std::string>& raw);
// Title: the first text, or the app name without any; body: the rest joined with " · ".
void toast_title_body(const std::vector<std::string>& texts, const std::string& app, std::string& title,
                      std::string& body);

// "HH:MM" local time of a creation time (ticks since 1601 UTC), taking the
// offset from UTC as it is now: from the current file time and the current
// local seconds of the day.
std::string format_notification_time(int64_t creation, int64_t now_file_time, int local_seconds_of_day);

// ---- The listener interface -----------------------------------------------------------------------

// What one notification gives, each field empty or absent where it cannot be read.
struct RawNotification {
    std::string app_id;
    std::string display_name;
    std::vector<std::string> texts;  // as the toast's binding holds them
    std::optional<int64_t> created;  // ticks since 1601 UTC
};

class NotificationListener {
public:
    virtual ~NotificationListener() = default;
    // The listener, then the user's consent (waited for).
    virtual ListenerStart start() = 0;
    // Reads the toast list (waited for) and keeps it; the id of each entry in
    // order (absent where unreadable). Nothing when the read failed.
    virtual std::optional<std::vector<std::optional<uint32_t>>> read() = 0;
    // Fields of the entry at a position of the last read.
    virtual RawNotification details(size_t position) = 0;
    // The logo (64 pixels) of the application of the entry at a position.
    virtual ImageRef logo(size_t position) = 0;
};

// ---- The watcher ----------------------------------------------------------------------------------

struct NotificationWatcherConfig {
    std::function<double()> monotonic;       // seconds, never backwards
    std::function<int64_t()> file_time;      // the system time as a file time (ticks)
    std::function<int()> local_seconds;      // the local time of day in seconds
    std::function<void(int ms)> sleep;
    std::function<void()> notify;            // posts WM_APP_NOTIFS in the product
    FileStampReader file_stamp;
    std::optional<std::string> local_app_data;
};

struct NotificationWatcher {
    NotificationWatcherConfig config;
    NotificationListener* listener = nullptr;
    Shared<NotificationState> shared;
    std::optional<std::string> db_dir;
    std::optional<NotificationDbStamp> previous;
    bool first_read_done = false;
    double last_read = 0;
    std::unordered_set<uint32_t> seen;
    std::unordered_map<std::string, ImageRef> logos;  // failed lookups kept as empty
};

// Replaces the status text unless the lock is poisoned.
void set_shared_text(const Shared<NotificationState>& state, const std::string& text);

// Start-up; false when the thread ends here (the status says why).
bool notification_start(NotificationWatcher& w);
// One pass without its sleep; true when the list was read.
bool notification_pass(NotificationWatcher& w);
// The thread body: start-up, then a pass every 400 ms for ever.
void notification_watch_loop(NotificationWatcher& w);

// Creates the state ("başlatılıyor") and starts the thread "notif" (Windows
// only), which posts `message` to the window when notifications arrive; the
// state comes back also when the thread cannot start.
Shared<NotificationState> start_notification_thread(void* window, uint32_t message);
