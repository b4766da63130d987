// The system monitor's sampling rules over a probe's readings.
//
//   Radios and connection
//   Start and samples
//   The thread
#include "sysmon_sampler.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "sys_os.h"
#include "sys_radio.h"

// ---- Radios and connection ----------------------------------------------------------------

void apply_radios(SysmonSnapshot& snap, const std::optional<std::vector<RadioReading>>& radios) {
    snap.wifi = RadioState::Unknown;
    snap.bluetooth = RadioState::Unknown;
    if (!radios) return;
    for (const RadioReading& r : *radios) {
        if (!r.kind) continue;
        RadioState* slot = *r.kind == kRadioKindWiFi ? &snap.wifi : *r.kind == kRadioKindBluetooth ? &snap.bluetooth : nullptr;
        if (!slot) continue;
        const bool on = r.state && *r.state == kRadioStateOn;
        if (*slot != RadioState::On) *slot = on ? RadioState::On : RadioState::Off;
    }
}

void apply_connection(SysmonSnapshot& snap, const std::optional<ConnectionReading>& profile) {
    if (!profile) {
        snap.online = false;
        snap.wireless = false;
        snap.net_name.clear();
    } else {
        snap.online = profile->connectivity && *profile->connectivity == kConnectivityInternet;
        snap.net_name = profile->name.value_or("");
        snap.wireless = profile->wlan.value_or(false);
    }
    snap.net_checked = true;
}

// ---- Start and samples --------------------------------------------------------------------

void sysmon_start(SysmonSampler& s, SysmonProbe& probe) {
    s.processors = std::max<uint32_t>(probe.processors(), 1);
    s.prev_cpu = probe.cpu_times();
    s.prev_net = probe.network();
    s.prev_net_time = probe.now();
    if (!s.top_wanted || s.top_wanted()) {
        s.prev_processes = probe.processes();
        s.prev_processes_time = probe.now();
        s.have_processes = true;
    }
    s.downloads_folder = probe.downloads_folder();
    if (s.downloads_folder) {
        s.downloads_stamp = probe.folder_stamp(*s.downloads_folder);
        download_watch_start(s.downloads, probe.recent_downloads(*s.downloads_folder));
    }
}

namespace {

// The Downloads folder is listed again only when an entry came, went or was
// renamed, or while a listed file still waits for its announcement (a file
// that grows changes its own time, not the folder's).
void scan_downloads(SysmonSampler& s, SysmonProbe& probe) {
    const std::string& folder = *s.downloads_folder;
    const std::optional<uint64_t> stamp = probe.folder_stamp(folder);
    if (stamp && stamp == s.downloads_stamp && !s.downloads_pending) return;
    s.downloads_stamp = stamp;
    const std::vector<FileSize> files = probe.recent_downloads(folder);
    // The island shelves and shows finished downloads, so they travel as paths.
    for (std::string& name : download_watch_step(s.downloads, files)) s.announced.push_back(path_join(folder, name));
    s.downloads_pending = std::any_of(files.begin(), files.end(), [&](const FileSize& f) {
        auto seen = s.downloads.seen.find(f.name);
        return seen != s.downloads.seen.end() && !seen->second.announced;
    });
}

// The busiest programs, only while they are shown. Shares need two tables;
// when the last one is too old a new base is taken and the shares follow one
// sample later, so an opened page fills within two seconds.
void sample_top(SysmonSampler& s, SysmonProbe& probe) {
    if (s.top_wanted && !s.top_wanted()) return;
    const double t = probe.now();
    const bool stale = !s.have_processes || t - s.prev_processes_time > kSysmonTopStaleSeconds;
    if (!s.shares_next && stale) {
        s.prev_processes = probe.processes();
        s.prev_processes_time = probe.now();
        s.have_processes = true;
        s.shares_next = true;
        return;
    }
    if (!s.shares_next && s.n % 3 != 1) return;
    s.shares_next = false;
    ProcessTable table = probe.processes();
    const double taken = probe.now();
    s.snap.top = top_processes(s.prev_processes, table, taken - s.prev_processes_time, s.processors);
    s.prev_processes = std::move(table);
    s.prev_processes_time = taken;
}

}  // namespace

namespace {

// What a closed island shows or announces of a sample.
struct ClosedView {
    bool online, wireless, net_checked;
    std::string net_name;
    RadioState wifi, bluetooth;
    std::vector<std::string> mic_users, cam_users;
    bool operator==(const ClosedView&) const = default;
};

ClosedView closed_view(const SysmonSnapshot& s) {
    return {s.online, s.wireless, s.net_checked, s.net_name, s.wifi, s.bluetooth, s.mic_users, s.cam_users};
}

}  // namespace

void sysmon_sample(SysmonSampler& s, SysmonProbe& probe) {
    SysmonSnapshot& snap = s.snap;
    const ClosedView before = closed_view(snap);

    // Processor: the idle share since the previous reading.
    if (std::optional<CpuTimes> now = probe.cpu_times(); now && s.prev_cpu && now->total > s.prev_cpu->total) {
        const uint64_t idle = now->idle > s.prev_cpu->idle ? now->idle - s.prev_cpu->idle : 0;
        const double share = 1.0 - static_cast<double>(idle) / static_cast<double>(now->total - s.prev_cpu->total);
        snap.cpu = static_cast<float>(std::clamp(share, 0.0, 1.0));
    }
    s.prev_cpu = probe.cpu_times();
    push_history(snap.cpu_history, snap.cpu);

    // Memory.
    if (std::optional<MemoryReading> mem = probe.memory()) {
        snap.mem_total = mem->total;
        snap.mem_used = mem->total - mem->available;
    }
    push_history(snap.mem_history, snap.mem_total > 0 ? static_cast<float>(snap.mem_used / snap.mem_total) : 0.f);

    // Network: the rates stay when the table cannot be read.
    if (std::optional<NetCounters> net = probe.network()) {
        const double t = probe.now();
        if (s.prev_net) {
            const double elapsed = std::max(t - s.prev_net_time, kSysmonMinNetSeconds);
            const auto grown = [](uint64_t now, uint64_t before) { return now > before ? static_cast<double>(now - before) : 0.0; };
            snap.down_rate = grown(net->received, s.prev_net->received) / elapsed;
            snap.up_rate = grown(net->sent, s.prev_net->sent) / elapsed;
        }
        s.prev_net = net;
        s.prev_net_time = t;
    }
    push_history(snap.down_history, static_cast<float>(snap.down_rate));
    push_history(snap.up_history, static_cast<float>(snap.up_rate));

    snap.uptime = probe.uptime_ms() / 1000;

    if (s.n % kSysmonDiskEvery == 0) {
        const DiskReading disk = probe.disk().value_or(DiskReading{});
        snap.disk_free = disk.free;
        snap.disk_total = disk.total;
    }

    if (s.n % 2 == 0) {
        snap.mic_users = probe.capability_users(kCapabilityMicrophone);
        snap.cam_users = probe.capability_users(kCapabilityCamera);
        if (s.downloads_folder) scan_downloads(s, probe);
    }

    if (s.n % 3 == 0) {
        apply_radios(snap, probe.radios());
        apply_connection(snap, probe.connection());
    }
    sample_top(s, probe);

    snap.tick = s.n + 1;
    s.closed_view_changed = !(before == closed_view(snap));
}

bool sysmon_post_due(const SysmonSampler& s, bool island_open) {
    return island_open || s.n == 0 || s.closed_view_changed || !s.announced.empty();
}

void sysmon_publish(SysmonSampler& s, const Shared<SysmonSnapshot>& shared) {
    (void)shared.with([&](SysmonSnapshot& out) { store_sysmon_sample(out, s.snap, std::move(s.announced)); });
    s.announced.clear();
}

// ---- The thread ---------------------------------------------------------------------------

void sysmon_run(SysmonProbe& probe, const Shared<SysmonSnapshot>& shared, const std::function<void()>& notify) {
    SysmonSampler sampler;
    sampler.top_wanted = [] { return sysmon_top_wanted.load(std::memory_order_relaxed); };
    sysmon_start(sampler, probe);
    for (;; ++sampler.n) {
        sysmon_sample(sampler, probe);
        const bool post = sysmon_post_due(sampler, sysmon_live_wanted.load(std::memory_order_relaxed));
        sysmon_publish(sampler, shared);
        if (post && notify) notify();
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
}
