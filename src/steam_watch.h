// The Steam watcher: once a second it reads the client's registry values,
// content log and files, and publishes what changed as the shared
// SteamSnapshot. The pass works on plain data through SteamSystem, so it runs
// natively on a fixture tree; steam_watch_win.cpp answers from the real machine.
#pragma once
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "steam.h"
#include "steam_files.h"
#include "sys_os.h"
#include "sys_shared.h"

// ---- What a pass asks of the machine --------------------------------------------------------

// Registry keys the client writes, under HKEY_CURRENT_USER.
inline constexpr const char* kSteamKey = "Software\\Valve\\Steam";
inline constexpr const char* kSteamProcessKey = "Software\\Valve\\Steam\\ActiveProcess";
// Software\Valve\Steam\Apps\{id}: the app's "Name" and its "Updating" flag.
std::string steam_app_key(uint32_t app_id);

struct SteamSystem {
    // Runs first on the watcher's thread (COM for the picture decoder).
    std::function<void()> thread_setup;
    std::function<std::optional<std::string>(const std::string& key, const std::string& value)> reg_string;
    std::function<std::optional<uint32_t>(const std::string& key, const std::string& value)> reg_dword;
    // The process exists and has not exited.
    std::function<bool(uint32_t pid)> process_running;
    // Bytes received so far by the interfaces that are up, physical and not loopback.
    std::function<std::optional<uint64_t>()> received_bytes;
    SteamImageDecoder decode = decode_steam_header;
};

// The machine's answers: the registry, the process table and the interface
// counters on Windows; natively nothing is installed, so nothing is found.
SteamSystem steam_machine();

// Registry readers under HKEY_CURRENT_USER; absent on any failure (missing,
// another type, a text longer than 1023 UTF-16 units).
std::optional<std::string> read_reg_string(const std::string& key, const std::string& value);
std::optional<uint32_t> read_reg_dword(const std::string& key, const std::string& value);

// ---- The pass -------------------------------------------------------------------------------

// How often the slower steps run, in seconds.
inline constexpr double kSteamManifestEvery = 2;
inline constexpr double kSteamProcessEvery = 5;
inline constexpr double kSteamRescanEvery = 60;
// A rate from the content log stands for the download this long; then the
// network counters take over.
inline constexpr double kSteamLoggedRateFresh = 10;
// The shortest interval the network rate divides by.
inline constexpr double kSteamMinRateInterval = 0.2;
// Finished and started downloads remembered in the list.
inline constexpr size_t kSteamDownloadsKept = 8;

// The moment of one pass.
struct SteamClock {
    double now = 0;    // monotonic seconds
    int64_t wall = 0;  // wall clock, seconds since 1970
    LocalTime local;   // the finish time of a download is written in local time
};

// The watcher's own state between passes.
struct SteamWatch {
    bool started = false;  // the timers are set on the first pass
    std::string folder;
    std::vector<std::string> libraries;
    std::vector<SteamGameEntry> games;  // the whole list of the last rescan
    SteamLogin login;
    uint32_t game_count = 0, update_count = 0;
    uint64_t total_size = 0;

    std::optional<SteamActiveDownload> active;
    uint32_t active_header_for = 0;  // the app whose header was looked up
    std::vector<SteamDownload> downloads;  // oldest first; an empty time: started, not finished
    std::string last_title, last_detail;   // the last finished download and its time
    std::optional<SteamPlaying> playing;
    bool client = false;

    SteamLogCursor log;
    bool log_seen = false;  // the first look at the log has been made
    double logged_rate = 0;
    double logged_rate_at = -std::numeric_limits<double>::infinity();
    std::optional<uint64_t> net_bytes;
    double net_at = 0, net_rate = 0;

    double manifest_at = 0, process_at = 0, rescan_at = 0;  // when each step last ran
};

// One pass without its sleep: reads what is due, stores it in the shared
// snapshot, and says whether the island should be told.
bool steam_watch_pass(SteamWatch& w, const SteamSystem& sys, const SteamClock& clock,
                      const Shared<SteamSnapshot>& shared);

// The clock of the machine now.
SteamClock steam_clock_now();

// Starts the detached "steam" thread: a pass every second, `notify` after each
// pass that changed something. A thread that cannot start leaves the snapshot empty.
Shared<SteamSnapshot> spawn_steam_watcher(SteamSystem sys, std::function<void()> notify);
