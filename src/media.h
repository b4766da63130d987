// Media sessions: the media watcher's shared snapshot and its requests.
#pragma once
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "sys_image.h"
#include "sys_shared.h"

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
