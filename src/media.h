// Media sessions: the media watcher's shared snapshot and its requests, the
// pure rules of the watcher (names, accent colour, timeline, seek), and the
// watcher itself over a small session interface that the Windows Runtime
// layer (media_win.cpp) implements and tests replace.
//
// Index
//   Snapshot and commands
//   Pure rules
//   The session interface
//   The watcher
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "sys_image.h"
#include "sys_shared.h"

// ---- Snapshot and commands ----------------------------------------------------------------------

struct MediaSessionEntry {
    std::string app_id;
    std::string app_name;
    std::string title;
    bool playing = false;
};

struct MediaSnapshot {
    std::string title, artist, app;
    std::vector<MediaSessionEntry> sessions;  // in the session manager's order
    std::string source_id;                    // app id of the current session
    double position = 0, duration = 0;        // seconds
    ImageRef art, art_small;                  // large cover and the 64-pixel one
    uint64_t track_version = 0, art_version = 0;
    float accent[3] = {0.35f, 0.35f, 0.4f};   // from the artwork
    bool has = false, playing = false, can_prev = false, can_next = false, can_seek = false;
};

namespace media_cmd {
struct TogglePlayPause {};
struct Next {};
struct Previous {};
struct Seek { double position = 0; };
struct Refresh {};
struct SelectSource { std::string app_id; };
}  // namespace media_cmd
using MediaCommand = std::variant<media_cmd::TogglePlayPause, media_cmd::Next, media_cmd::Previous, media_cmd::Seek,
                                  media_cmd::Refresh, media_cmd::SelectSource>;

// What the watcher publishes before its first pass: no session, no art, a white accent.
MediaSnapshot initial_media_snapshot();

// ---- Pure rules ---------------------------------------------------------------------------------

inline constexpr int32_t kPlaybackPlaying = 4;          // the runtime's playback status "Playing"
inline constexpr int64_t kTicksPerSecond = 10'000'000;  // 100-nanosecond units
inline constexpr uint16_t kVkMediaNext = 0xB0, kVkMediaPrev = 0xB1, kVkMediaPlayPause = 0xB3;

// Display name of an application identifier ("Spotify.exe" -> "Spotify").
std::string media_source_name(std::string_view app_id);

// Accent colour (red, green, blue in 0..1) of premultiplied BGRA pixels.
std::array<float, 3> accent_from_pixels(const Image& image);

// Seconds as 100-nanosecond ticks, toward zero, saturated; NaN gives 0.
int64_t seek_ticks(double seconds);

// A session's timeline as the runtime reports it, all in ticks.
struct MediaTimelineTicks {
    int64_t start = 0, end = 0, position = 0, last_updated = 0;
};
struct MediaTimes {
    double position = 0, duration = 0;  // seconds
};
// Position and duration in seconds; while playing, the time since the last
// update (when under six hours) is added. `now` is a file time in ticks.
MediaTimes media_times(const MediaTimelineTicks& t, bool playing, int64_t now);

// The key that tells one track from another.
std::string media_track_key(std::string_view title, std::string_view artist, std::string_view app);

// ---- The session interface ----------------------------------------------------------------------

// One read of the picked session. A value that cannot be read keeps the
// default written here; `readable` is false when the playback info, its
// status or the media properties could not be read.
struct MediaSessionRead {
    std::string source_id;
    bool readable = false;
    int32_t status = 0;
    bool can_prev = true, can_next = true, can_position = false;
    std::string title, artist;
    std::optional<MediaTimelineTicks> timeline;  // absent when the timeline cannot be read
};

class MediaSessions {
public:
    virtual ~MediaSessions() = default;
    virtual bool has_manager() const = 0;
    // Asks for the session manager (waits for it); true when one is now held.
    virtual bool request_manager() = 0;
    // The application identifiers of the manager's sessions in order (empty
    // text when one cannot be read); nothing when the list cannot be read.
    virtual std::optional<std::vector<std::string>> session_ids() = 0;
    // Every session with its identifier, title and playing flag (app_name left empty).
    virtual std::vector<MediaSessionEntry> session_entries() = 0;
    // Makes the index-th session of the list, or the manager's current one, the picked session.
    virtual bool pick_index(size_t index) = 0;
    virtual bool pick_current() = 0;
    virtual MediaSessionRead read_picked() = 0;
    // The picked session's cover bytes from the properties of the last read;
    // nothing when there is none or its size is outside 1 .. max_bytes.
    virtual std::optional<std::string> read_thumbnail(uint32_t max_bytes) = 0;
    // Play/pause, next, previous or seek on the picked session, waited for.
    virtual void command(const MediaCommand& command) = 0;
};

// The session to show: the first whose identifier equals the chosen one, or
// else the manager's current session. False when there is none.
bool pick_media_session(MediaSessions& sessions, const std::optional<std::string>& chosen);

// ---- The watcher --------------------------------------------------------------------------------

inline constexpr double kManagerRetrySeconds = 5;
inline constexpr int kMediaFirstWaitMs = 50, kMediaIdleWaitMs = 2000, kMediaShownWaitMs = 700;
inline constexpr int kMediaAfterCommandMs = 120;
inline constexpr unsigned kSessionListEvery = 8;
inline constexpr int kThumbAttempts = 6;
inline constexpr double kThumbRetrySeconds = 0.9;
inline constexpr uint32_t kThumbMaxBytes = 30'000'000;
inline constexpr uint32_t kArtSide = 220, kArtSmallSide = 64;

struct MediaWatcherConfig {
    std::function<double()> monotonic;                 // seconds, never backwards
    std::function<int64_t()> file_time;                // the system time as a file time (ticks)
    std::function<void(int ms)> sleep;
    std::function<void(uint16_t vk)> send_key;         // one media key, pressed and released
    std::function<std::optional<std::vector<Image>>(std::string_view, const std::vector<uint32_t>&)> decode;
    std::function<void()> notify;                      // posts WM_APP_MEDIA in the product
};

// The watcher's own state; the thread drives it, tests drive it pass by pass.
struct MediaWatcher {
    MediaWatcherConfig config;
    MediaSessions* sessions = nullptr;
    Shared<MediaSnapshot> shared;
    MediaSnapshot snap = initial_media_snapshot();
    std::optional<std::string> chosen;
    double next_manager_request = 0;
    unsigned pass = 0;
    std::string track_key;
    int thumb_attempts = 0;
    double next_thumb = 0;
    int wait_ms = kMediaFirstWaitMs;  // the next receive time-out
    std::optional<MediaSnapshot> reported;  // the snapshot of the last notification
};

// Two media copies that draw alike; the position counts, so a playing session always differs.
bool media_shows_same(const MediaSnapshot& a, const MediaSnapshot& b);

// One command as the thread handles it (SelectSource only chooses; the
// others act on the picked session, or press the media key without one).
void media_handle_command(MediaWatcher& w, const MediaCommand& command);
// One pass: manager, session list, picked session, timeline, track, cover;
// stores the snapshot and notifies.
void media_pass(MediaWatcher& w);
// The thread body: returns when every sender is gone.
void media_watch_loop(MediaWatcher& w, Receiver<MediaCommand>& commands);

struct MediaWorker {
    Shared<MediaSnapshot> state;
    Sender<MediaCommand> commands;
};
// Creates the shared snapshot and the channel and starts the thread "media"
// (Windows only), which posts `message` to the window after every pass; when
// the thread cannot start, the pair comes back all the same.
MediaWorker start_media_thread(void* window, uint32_t message);
