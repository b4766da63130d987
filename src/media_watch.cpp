// The "media" watcher: one pass every 0.7 s while something is shown (2 s
// otherwise), each command handled between passes, the snapshot replaced
// whole after every pass.
//
// Index
//   Picking the session
//   Commands
//   Comparing snapshots
//   One pass
//   The loop
#include <algorithm>
#include <chrono>
#include <type_traits>

#include "media.h"

// ---- Picking the session ------------------------------------------------------------------------

bool pick_media_session(MediaSessions& sessions, const std::optional<std::string>& chosen) {
    if (chosen) {
        if (std::optional<std::vector<std::string>> ids = sessions.session_ids()) {
            for (size_t i = 0; i < ids->size(); ++i)
                if ((*ids)[i] == *chosen) {
                    if (sessions.pick_index(i)) return true;
                    break;
                }
        }
    }
    return sessions.pick_current();
}

// ---- Commands -------------------------------------------------------------------------------------

void media_handle_command(MediaWatcher& w, const MediaCommand& command) {
    w.reported.reset();  // whoever sent a command hears back after the next pass, changed or not
    if (const auto* select = std::get_if<media_cmd::SelectSource>(&command)) {
        w.chosen = select->app_id;
        w.pass = 0;  // the next pass rebuilds the session list
        return;
    }
    if (std::holds_alternative<media_cmd::Refresh>(command)) return;

    if (w.sessions && w.sessions->has_manager() && pick_media_session(*w.sessions, w.chosen)) {
        w.sessions->command(command);
    } else if (w.config.send_key) {
        std::visit(
            [&](const auto& c) {
                using T = std::decay_t<decltype(c)>;
                if constexpr (std::is_same_v<T, media_cmd::TogglePlayPause>) w.config.send_key(kVkMediaPlayPause);
                else if constexpr (std::is_same_v<T, media_cmd::Next>) w.config.send_key(kVkMediaNext);
                else if constexpr (std::is_same_v<T, media_cmd::Previous>) w.config.send_key(kVkMediaPrev);
            },
            command);
    }
    if (w.config.sleep) w.config.sleep(kMediaAfterCommandMs);
}

// ---- Comparing snapshots ------------------------------------------------------------------------

// Two media copies that draw alike; the position counts, so a playing session always differs.
bool media_shows_same(const MediaSnapshot& a, const MediaSnapshot& b) {
    auto same_entry = [](const MediaSessionEntry& x, const MediaSessionEntry& y) {
        return x.app_id == y.app_id && x.app_name == y.app_name && x.title == y.title && x.playing == y.playing;
    };
    return a.title == b.title && a.artist == b.artist && a.app == b.app && a.source_id == b.source_id &&
           a.position == b.position && a.duration == b.duration && a.art == b.art && a.art_small == b.art_small &&
           a.track_version == b.track_version && a.art_version == b.art_version && a.accent[0] == b.accent[0] &&
           a.accent[1] == b.accent[1] && a.accent[2] == b.accent[2] && a.has == b.has && a.playing == b.playing &&
           a.can_prev == b.can_prev && a.can_next == b.can_next && a.can_seek == b.can_seek &&
           std::equal(a.sessions.begin(), a.sessions.end(), b.sessions.begin(), b.sessions.end(), same_entry);
}

// ---- One pass -------------------------------------------------------------------------------------

namespace {

void store(MediaWatcher& w) {
    if (std::optional<Shared<MediaSnapshot>::Guard> g = w.shared.lock()) **g = w.snap;
    // With nothing to show and nothing changed the island has nothing to learn;
    // a shown session is always reported, since each report keeps it current.
    const bool idle_again = w.reported && !w.snap.has && !w.reported->has && media_shows_same(w.snap, *w.reported);
    if (idle_again) return;
    w.reported = w.snap;
    if (w.config.notify) w.config.notify();
}

void nothing_shown(MediaWatcher& w) {
    w.snap.has = false;
    w.snap.playing = false;
    w.wait_ms = kMediaIdleWaitMs;
}

void fetch_cover(MediaWatcher& w, double now) {
    if (w.snap.art || w.thumb_attempts >= kThumbAttempts || now < w.next_thumb) return;
    ++w.thumb_attempts;
    w.next_thumb = now + kThumbRetrySeconds;
    std::optional<std::string> bytes = w.sessions->read_thumbnail(kThumbMaxBytes);
    if (!bytes || !w.config.decode) return;
    std::optional<std::vector<Image>> images = w.config.decode(*bytes, {kArtSide, kArtSmallSide});
    if (!images || images->size() != 2) return;
    const std::array<float, 3> accent = accent_from_pixels((*images)[1]);
    for (int i = 0; i < 3; ++i) w.snap.accent[i] = accent[i];
    w.snap.art = std::make_shared<const Image>(std::move((*images)[0]));
    w.snap.art_small = std::make_shared<const Image>(std::move((*images)[1]));
    ++w.snap.art_version;
}

}  // namespace

void media_pass(MediaWatcher& w) {
    const double now = w.config.monotonic ? w.config.monotonic() : 0;
    MediaSessions& sessions = *w.sessions;

    if (!sessions.has_manager() && now >= w.next_manager_request) {
        sessions.request_manager();
        w.next_manager_request = now + kManagerRetrySeconds;
    }
    if (!sessions.has_manager()) {
        nothing_shown(w);
        store(w);
        return;
    }

    if (++w.pass % kSessionListEvery == 1) {
        std::vector<MediaSessionEntry> entries = sessions.session_entries();
        for (MediaSessionEntry& e : entries) e.app_name = media_source_name(e.app_id);
        w.snap.sessions = std::move(entries);
    }

    if (!pick_media_session(sessions, w.chosen)) {
        nothing_shown(w);
        w.snap.source_id.clear();
        w.track_key.clear();  // the next session counts as a new track
        store(w);
        return;
    }

    MediaSessionRead read = sessions.read_picked();
    w.snap.source_id = read.source_id;
    if (!read.readable) {
        nothing_shown(w);
        store(w);
        return;
    }
    const std::string app = media_source_name(read.source_id);
    const bool playing = read.status == kPlaybackPlaying;
    MediaTimes times;
    if (read.timeline) times = media_times(*read.timeline, playing, w.config.file_time ? w.config.file_time() : 0);

    std::string key = media_track_key(read.title, read.artist, app);
    if (key != w.track_key) {
        w.track_key = std::move(key);
        ++w.snap.track_version;
        ++w.snap.art_version;
        w.snap.art.reset();
        w.snap.art_small.reset();
        w.snap.accent[0] = w.snap.accent[1] = w.snap.accent[2] = 1.0f;
        w.thumb_attempts = 0;
        w.next_thumb = now;
    }
    fetch_cover(w, now);

    w.snap.title = std::move(read.title);
    w.snap.artist = std::move(read.artist);
    w.snap.app = app;
    w.snap.position = times.position;
    w.snap.duration = times.duration;
    w.snap.has = !w.snap.title.empty() || !w.snap.artist.empty() || w.snap.duration != 0;
    w.snap.playing = playing;
    w.snap.can_prev = read.can_prev;
    w.snap.can_next = read.can_next;
    w.snap.can_seek = read.can_position && w.snap.duration > 0;
    w.wait_ms = w.snap.has ? kMediaShownWaitMs : kMediaIdleWaitMs;
    store(w);
}

// ---- The loop -------------------------------------------------------------------------------------

void media_watch_loop(MediaWatcher& w, Receiver<MediaCommand>& commands) {
    for (;;) {
        MediaCommand command;
        RecvStatus got = commands.recv(command, std::chrono::milliseconds(w.wait_ms));
        if (got == RecvStatus::Closed) return;
        if (got == RecvStatus::Value) media_handle_command(w, command);
        media_pass(w);
    }
}
