// The system probe ("--selftest [file]"): one pass over every Windows service
// and background watcher the island uses, written as plain text lines for a
// developer to read. No verdicts, no window, no App.
//
// shots_probe.cpp holds the record of what was seen and the report's lines;
// shots_probe_win.cpp makes the queries and starts the watchers.
//
// Index
//   What the probe saw
//   Debug forms
//   The report
//   The run (Windows)
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "media.h"
#include "search.h"
#include "steam.h"
#include "sys_audio.h"
#include "sys_desktop.h"
#include "sysmon.h"
#include "weather.h"

// ---- What the probe saw ---------------------------------------------------------------------

// A state read under its lock: nothing when the lock was poisoned, and the
// report then leaves that state's lines out.
struct SystemProbe {
    std::optional<VolumeReading> volume;
    bool brightness_available = false;
    std::optional<float> brightness;  // 0..1
    std::optional<PowerStatus> power;  // nothing when the query failed
    std::vector<RawAppItem> apps;       // the index in its order; empty when poisoned
    std::vector<SearchRow> query_rows;  // the launcher's rows for kProbeQuery
    std::optional<MediaSnapshot> media;
    std::optional<std::pair<uint32_t, uint32_t>> shell_icon;  // width, height
    bool autostart = false, dark_mode = false, caps_lock = false;
    std::string layout;
    std::string foreground_exe;
    std::vector<std::string> mic_users, cam_users;
    std::optional<VolumeReading> microphone;
    std::optional<SysmonSnapshot> sysmon;
    std::optional<WeatherSnapshot> weather;
    std::optional<SteamSnapshot> steam;
    std::optional<std::string> notifications_status;
    std::array<bool, 3> is_browser{};  // chrome.exe, msedge.exe, discord.exe
    std::string google_line;
    std::vector<std::string> microphones;
};

inline constexpr const char* kProbeQuery = "hesap";
inline constexpr size_t kProbeQueryRows = 4;
inline constexpr size_t kProbeListedApps = 8;
inline constexpr const char* kProbeShellIconPath = "C:\\Windows\\notepad.exe";
inline constexpr uint32_t kProbeShellIconSize = 64;
inline constexpr std::array<const char*, 3> kProbeBrowserNames = {"chrome.exe", "msedge.exe", "discord.exe"};

// ---- Debug forms ----------------------------------------------------------------------------

// "Battery { percent: P, ac: A, present: R }".
std::string fmt_battery_debug(const PowerStatus& power);
// A quoted text with backslashes, quotes and control characters escaped.
std::string debug_text(const std::string& text);
// ["a", "b"].
std::string debug_text_list(const std::vector<std::string>& items);
// "None", or "(level, muted)".
std::string debug_volume(const std::optional<VolumeReading>& reading);
// "None" while unread, else "Off" or "On".
std::string debug_radio(RadioState state);
// [("name", percent), ...].
std::string debug_top(const std::vector<TopProcess>& top);
std::string debug_playing(const std::optional<SteamPlaying>& playing);
std::string debug_download(const std::optional<SteamActiveDownload>& active);

// ---- The report -----------------------------------------------------------------------------

// Every line of the report in its order, without line feeds.
std::vector<std::string> probe_report_lines(const SystemProbe& probe);
// The lines, each ended by a line feed.
std::string probe_report_text(const SystemProbe& probe);

// Where the report goes for the command line's argument: a folder (one that
// exists, or a name ending in a separator or without an extension, as
// "--shots out" names its folder) gets kProbeFileName inside it; any other
// name is the file itself.
inline constexpr const char* kProbeFileName = "selftest.txt";
struct ProbeTarget {
    std::string folder;  // to be created first; empty when none is named
    std::string file;
};
ProbeTarget probe_target(const std::string& argument, bool is_folder);

// ---- The run (Windows) ----------------------------------------------------------------------

// Queries the machine and its watchers once (about 13 s of waits) and writes
// the report whole to the target of `path` (see probe_target); a write error
// is ignored. The watcher threads
// it starts go on running until the process ends.
void run_system_probe(const std::string& path);
