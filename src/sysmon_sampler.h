// The "sysmon" sampler: once a second it reads the machine through a probe and
// publishes the whole SysmonSnapshot. The sampling rules run on the probe's
// plain readings (tested natively with a scripted probe); sysmon_win.cpp reads
// the real machine.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sys_radio.h"
#include "sys_shared.h"
#include "sysmon.h"
#include "sysmon_logic.h"

// ---- Readings -----------------------------------------------------------------------------

struct CpuTimes {
    uint64_t idle = 0, total = 0;  // 100-ns units; total = kernel + user
};
struct MemoryReading {
    double total = 0, available = 0;  // bytes of physical memory
};
struct NetCounters {
    uint64_t received = 0, sent = 0;  // bytes over the hardware interfaces that are up
};
struct DiskReading {
    double free = 0, total = 0;  // bytes of drive C: free to the user, and its size
};
// The internet connection profile; each member absent when its call failed.
struct ConnectionReading {
    std::optional<int32_t> connectivity;  // NetworkConnectivityLevel
    std::optional<std::string> name;
    std::optional<bool> wlan;
};

inline constexpr int32_t kConnectivityInternet = 3;
inline constexpr const char* kCapabilityMicrophone = "microphone";
inline constexpr const char* kCapabilityCamera = "webcam";

// The machine as the sampler sees it. A reading is absent when its call failed.
struct SysmonProbe {
    virtual ~SysmonProbe() = default;
    virtual uint32_t processors() = 0;
    virtual std::optional<CpuTimes> cpu_times() = 0;
    virtual std::optional<MemoryReading> memory() = 0;
    virtual std::optional<NetCounters> network() = 0;
    virtual uint64_t uptime_ms() = 0;
    virtual std::optional<DiskReading> disk() = 0;
    virtual ProcessTable processes() = 0;  // empty when no snapshot could be taken
    virtual std::vector<std::string> capability_users(std::string_view capability) = 0;
    virtual std::optional<std::string> downloads_folder() = 0;
    virtual std::vector<FileSize> recent_downloads(const std::string& folder) = 0;
    // A value that changes whenever an entry of the folder is added, removed or
    // renamed (its last-write time); none when it cannot be read.
    virtual std::optional<uint64_t> folder_stamp(const std::string& folder) = 0;
    virtual std::optional<std::vector<RadioReading>> radios() = 0;  // none: no list
    virtual std::optional<ConnectionReading> connection() = 0;      // none: no profile
    virtual double now() = 0;                                       // monotonic seconds
};

// ---- Sampling -----------------------------------------------------------------------------

inline constexpr double kSysmonMinNetSeconds = 0.2;  // shortest interval a rate is taken over
inline constexpr uint64_t kSysmonDiskEvery = 10;
// A process table older than this is no base for shares: a new one is taken first.
inline constexpr double kSysmonTopStaleSeconds = 6;

// The sampler's own state between samples.
struct SysmonSampler {
    uint32_t processors = 1;
    std::optional<CpuTimes> prev_cpu;
    std::optional<NetCounters> prev_net;
    double prev_net_time = 0;
    ProcessTable prev_processes;
    double prev_processes_time = 0;
    bool have_processes = false;    // prev_processes was taken (it may be stale)
    bool shares_next = false;       // a fresh base was taken: shares at the next sample
    std::function<bool()> top_wanted;  // whether the busiest programs are shown; empty: always
    std::optional<std::string> downloads_folder;
    DownloadWatch downloads;
    std::optional<uint64_t> downloads_stamp;  // the folder's stamp at the last scan
    bool downloads_pending = false;           // the last scan listed a file not yet announced
    std::vector<std::string> announced;  // full paths since the last store
    uint64_t n = 0;                      // samples taken
    bool closed_view_changed = false;    // the last sample changed what a closed island shows
    SysmonSnapshot snap;                 // the private copy
};

// Wi-Fi and Bluetooth from the radio list: absent without a radio of the kind,
// on when any radio of the kind is on.
void apply_radios(SysmonSnapshot& snap, const std::optional<std::vector<RadioReading>>& radios);
// Online, name and wireless flag from the connection profile (none: offline).
void apply_connection(SysmonSnapshot& snap, const std::optional<ConnectionReading>& profile);

// The first readings, before the first sample; the files already in Downloads
// are taken as announced.
void sysmon_start(SysmonSampler& sampler, SysmonProbe& probe);
// One sample into the private copy (the counter n decides the costly parts);
// newly finished downloads go to `announced` as full paths.
void sysmon_sample(SysmonSampler& sampler, SysmonProbe& probe);
// Replaces the shared snapshot by the private copy, keeping the downloads the
// App has not taken in front of the new ones; a poisoned state loses them.
void sysmon_publish(SysmonSampler& sampler, const Shared<SysmonSnapshot>& shared);
// Whether the island is to be woken after this sample (asked before publishing):
// always while it is open, else for the first sample, a change of what a closed
// island shows, or a finished download.
bool sysmon_post_due(const SysmonSampler& sampler, bool island_open);

// ---- The thread ---------------------------------------------------------------------------

// Runs for the life of the process: start, then sample, publish, notify and
// sleep one second, forever.
void sysmon_run(SysmonProbe& probe, const Shared<SysmonSnapshot>& shared, const std::function<void()>& notify);

// ---- Windows readings (sysmon_win.cpp) ----------------------------------------------------

inline constexpr const char* kConsentStoreKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore";

// Every process from number 5 on that can be opened: executable name,
// processor time and creation time; empty when no snapshot can be taken.
ProcessTable process_cpu_times();
// Display names of the applications using a capability ("microphone",
// "webcam") now, from the consent store under HKEY_CURRENT_USER\<store>.
std::vector<std::string> capability_users(std::string_view capability, std::string_view store = kConsentStoreKey);
// The user's Downloads folder, when it can be found.
std::optional<std::string> downloads_folder();
// The files of `folder` written in the last 30 minutes (see recent_downloads_in).
std::vector<FileSize> recent_downloads(const std::optional<std::string>& folder);
// The internet connection profile; none when there is none.
std::optional<ConnectionReading> internet_connection();
// The probe over this machine.
std::unique_ptr<SysmonProbe> make_system_probe();

// Creates the shared snapshot and starts the thread "sysmon" over the
// machine's own probe; a thread that cannot start is ignored.
Shared<SysmonSnapshot> spawn_sysmon_thread(std::function<void()> notify);
