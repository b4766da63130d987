// System monitor: the sampler's decisions on plain data (names, shares,
// histories, finished downloads); the Windows readings feed them.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sysmon.h"

// ---- Names ------------------------------------------------------------------

// "Code.exe" -> "VS Code", "dwm" -> "Masaüstü (DWM)", "notepad.exe" -> "Notepad".
std::string friendly_app_name(std::string_view executable);

// One application's entry in the camera/microphone consent store.
struct ConsentEntry {
    bool packaged = false;  // false: a sub-key of "NonPackaged"
    // Package family name, or the executable path with '#' for each '\'.
    std::string key;
    std::optional<uint64_t> last_start, last_stop;  // absent when unreadable
};

// The display name of an entry, or none for the island's own executable.
std::optional<std::string> consent_display_name(const ConsentEntry& entry);
// Whether the entry is using the capability now (started and not stopped).
bool consent_in_use(const ConsentEntry& entry);
// Display names of the entries in use, sorted by bytes, without duplicates.
std::vector<std::string> consent_users(const std::vector<ConsentEntry>& entries);

// ---- Processor shares -------------------------------------------------------

inline constexpr size_t kSysmonTopCount = 4;

struct ProcessTime {
    std::string executable;  // as read, case kept
    uint64_t cpu_time = 0;   // kernel + user, 100-ns units
    uint64_t created = 0;    // tells a reused process number apart
};
using ProcessTable = std::map<uint32_t, ProcessTime>;

// Processor time available to the whole machine over `elapsed_seconds`, in 100-ns units.
double process_budget(double elapsed_seconds, uint32_t processors);
// Each (executable, time used) becomes (display name, percent of the budget).
std::vector<TopProcess> collect_process_shares(const std::vector<std::pair<std::string, uint64_t>>& totals,
                                               double budget);
// The busiest programs between two process tables, at most four, busiest first.
// Only processes present in both (same number and creation time) count.
std::vector<TopProcess> top_processes(const ProcessTable& before, const ProcessTable& after, double elapsed_seconds,
                                      uint32_t processors);

// ---- Histories --------------------------------------------------------------

inline constexpr size_t kSysmonHistoryLength = 60;

// Appends a sample and drops the oldest beyond 60.
void push_history(std::vector<float>& history, float value);

// ---- Finished downloads -----------------------------------------------------

inline constexpr int64_t kDownloadRecentSeconds = 1800;

// One entry of the Downloads folder listing.
struct FolderEntry {
    std::string name;
    uint64_t size = 0;
    int64_t modified = 0;  // last write, Unix seconds
    bool folder = false;
    bool link = false;  // a symbolic link or junction
};

struct FileSize {
    std::string name;
    uint64_t size = 0;
};

// Partial downloads (".crdownload", ".part", …), hidden and temporary names and desktop.ini.
bool download_name_ignored(std::string_view name);
// The plain files written in the last 30 minutes, names ignored as above left out.
std::vector<FileSize> recent_downloads_in(const std::vector<FolderEntry>& listing, int64_t now);

// Which downloads have been seen, with their last size, and which were announced.
struct DownloadWatch {
    struct Seen {
        uint64_t size = 0;
        bool announced = false;
    };
    std::map<std::string, Seen> seen;
};

// The files already there when the sampler starts are never announced.
void download_watch_start(DownloadWatch& watch, const std::vector<FileSize>& files);
// One scan (every second sample): a file is announced once, when its size is
// not 0 and has not changed since the previous scan.
std::vector<std::string> download_watch_step(DownloadWatch& watch, const std::vector<FileSize>& files);

// Replaces the shared snapshot by a new sample while keeping the downloads the
// App has not taken yet in front of the newly announced ones.
void store_sysmon_sample(SysmonSnapshot& shared, const SysmonSnapshot& sample, std::vector<std::string> announced);
