// Steam client watcher: the shared snapshot.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sys_image.h"

struct SteamEvent {
    enum Kind : uint8_t { DownloadStarted = 0, DownloadFinished = 1, GameStarted = 2, GameClosed = 3 } kind = DownloadStarted;
    double size = 0;        // DownloadStarted: bytes
    int64_t seconds = 0;    // GameClosed: play time
    std::string name;
};

struct SteamGameEntry {
    std::string name;
    uint64_t size = 0;
    int64_t last_played = 0;  // Unix seconds
    uint32_t minutes = 0;     // play time
    ImageRef header;
    uint32_t app_id = 0;
    bool update_required = false;  // the manifest's StateFlags has bit value 2
};

struct SteamDownload {
    std::string name, detail;
    uint64_t value = 0;
};

struct SteamActiveDownload {
    std::string name;
    double done = 0, total = 0, rate = 0;
    ImageRef header;
    uint32_t app_id = 0;
    uint8_t state = 0;  // 0 queued … 6 configuring
    bool paused = false;
};

struct SteamPlaying {
    std::string name;
    int64_t started = 0;  // Unix seconds
    ImageRef header;
    uint32_t app_id = 0;
};

struct SteamSnapshot {
    std::vector<SteamEvent> events;  // taken by the App
    std::vector<SteamDownload> downloads;
    std::string persona;
    std::vector<SteamGameEntry> games;
    std::optional<SteamActiveDownload> active;
    std::optional<SteamPlaying> playing;
    uint32_t game_count = 0;
    uint64_t total_size = 0;
    uint32_t updates_waiting = 0;
    std::string last_update_title, last_update_detail;
    bool found = false, client = false;
};
