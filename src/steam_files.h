// The Steam client's files as the watcher reads them: app manifests, header
// images, the library scan, the signed-in user, play statistics and the
// content log. Every reader is tolerant: what is missing reads as absent.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "steam.h"
#include "steam_vdf.h"

// ---- Manifests, header images, the game list ----------------------------------------------

// Key to value of one appmanifest_{id}.acf; a repeated key keeps its last value.
using SteamManifest = std::map<std::string, std::string>;

// The first library (in the order given) whose steamapps folder has a readable manifest.
std::optional<SteamManifest> read_app_manifest(const std::vector<std::string>& libraries, uint32_t app_id);

// Header candidates in search order: {cache}/{id}/header.jpg, {cache}/{id}_header.jpg,
// then every .jpg or .png (any case) of {cache}/{id} in listing order.
std::vector<std::string> steam_header_candidates(const std::string& steam_folder, uint32_t app_id);
// Turns file bytes into a picture (nullptr when they do not decode).
using SteamImageDecoder = std::function<ImageRef(std::string_view bytes)>;
// decode_image at the header size.
ImageRef decode_steam_header(std::string_view bytes);
// The first candidate that reads and decodes.
ImageRef steam_header_image(const std::string& steam_folder, uint32_t app_id,
                            const SteamImageDecoder& decode = decode_steam_header);

// The first n entries (all when fewer), sharing their images.
std::vector<SteamGameEntry> take_games(const std::vector<SteamGameEntry>& games, size_t n);

// ---- Library scan, login user, play statistics --------------------------------------------

constexpr size_t kSteamGamesKept = 8;

// The Steam folder, then each "path" of steamapps/libraryfolders.vdf not yet
// listed (compared ignoring case).
std::vector<std::string> steam_library_folders(const std::string& steam_folder);
// A game unless its appid is not a 32-bit number or its name marks a tool
// (Proton, a redistributable, the Steam Linux Runtime).
std::optional<SteamGameEntry> steam_game_from_manifest(const SteamManifest& manifest);
// Every appmanifest_*.acf of the libraries' steamapps folders that is a game.
std::vector<SteamGameEntry> steam_scan_games(const std::vector<std::string>& libraries);

// SteamID64 of account number 0.
constexpr uint64_t kSteamId64Base = 76561197960265728ull;

struct SteamLogin {
    uint32_t account = 0;  // 0: none
    std::string persona;
};
// The account is "ActiveUser" when that is not 0, else the user marked
// "mostrecent"; users sit in a top-level "users" block or at the top level.
SteamLogin steam_login_user(const VdfBlock& loginusers, uint32_t active_user);
SteamLogin steam_read_login(const std::string& steam_folder, uint32_t active_user);

// "lastplayed" and "playtime" of each game from a parsed localconfig.vdf.
void steam_apply_play_stats(const VdfBlock& localconfig, std::vector<SteamGameEntry>& games);
// The same from userdata/{account}/config/localconfig.vdf.
void steam_read_play_stats(const std::string& steam_folder, uint32_t account, std::vector<SteamGameEntry>& games);

struct SteamRescan {
    std::vector<std::string> libraries;
    std::vector<SteamGameEntry> games;  // all, most recently played first; the first kept have headers
    uint32_t game_count = 0;
    uint64_t total_size = 0;
    uint32_t update_count = 0;
    SteamLogin login;
};
// The whole periodic rescan of the Steam folder's files.
SteamRescan steam_rescan(const std::string& steam_folder, uint32_t active_user,
                         const SteamImageDecoder& decode = decode_steam_header);

// ---- Content log --------------------------------------------------------------------------

// How much of the log the first read takes, from its end.
constexpr uint64_t kSteamLogTail = 400000;

struct SteamLogCursor {
    bool started = false;
    uint64_t position = 0;
};
// The text added since the cursor: the first read takes the last kSteamLogTail
// bytes, a log shorter than the cursor is read from its start. Nothing when
// the file is missing or has not grown.
std::optional<std::string> read_content_log(const std::string& path, SteamLogCursor& cursor);

// The download states of the snapshot's byte.
enum SteamDownloadState : uint8_t {
    kSteamQueued = 0, kSteamAllocating, kSteamDownloading, kSteamPreparing,
    kSteamInstalling, kSteamVerifying, kSteamConfiguring
};

struct SteamLogLine {
    enum Kind : uint8_t {
        None, Rate, UpdateStarted, StateChanged, UpdateCanceled, UpdateFinished, SchedulerFinished
    } kind = None;
    uint32_t app_id = 0;
    double rate = 0;                  // Rate: bytes per second
    uint64_t done = 0, total = 0;     // UpdateStarted
    std::optional<uint8_t> state;     // StateChanged: the furthest state named
    std::optional<bool> paused;       // StateChanged: "Update Paused" / "Update Running"
    std::string result;               // SchedulerFinished: "No Error" or the failure
};
SteamLogLine parse_content_log_line(std::string_view line);
// The recognised lines of a piece of the log, in order.
std::vector<SteamLogLine> parse_content_log(std::string_view text);
