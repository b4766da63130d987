// System monitor decisions on plain data.
//
//   Names
//   Processor shares
//   Histories
//   Finished downloads
#include "sysmon_logic.h"

#include <algorithm>

#include "sys_text.h"

std::atomic<bool> sysmon_top_wanted{false};
std::atomic<bool> sysmon_live_wanted{false};

namespace {

bool ends_with(std::string_view s, std::string_view tail) {
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

}  // namespace

// ---- Names ------------------------------------------------------------------

std::string friendly_app_name(std::string_view executable) {
    struct Known {
        std::string_view lower, shown;
    };
    static constexpr Known kKnown[] = {
        {"dwm", "Masaüstü (DWM)"}, {"code", "VS Code"},     {"msedge", "Edge"},
        {"chrome", "Chrome"},      {"firefox", "Firefox"},  {"discord", "Discord"},
        {"spotify", "Spotify"},    {"explorer", "Gezgin"},
    };
    std::string_view rest = executable;
    if (ends_with(rest, ".exe") || ends_with(rest, ".EXE")) rest.remove_suffix(4);
    const std::string lower = to_lower(rest);
    for (const Known& k : kKnown)
        if (lower == k.lower) return std::string(k.shown);
    if (rest.empty()) return {};
    size_t i = 0;
    std::u32string first;
    append_upper(first, next_code_point(rest, i));
    return u32_to_utf8(first) + std::string(rest.substr(i));
}

std::optional<std::string> consent_display_name(const ConsentEntry& entry) {
    std::string_view key = entry.key;
    if (entry.packaged) {
        // "Microsoft.WindowsCamera_8wekyb3d8bbwe" -> "WindowsCamera"
        key = key.substr(0, key.find('_'));
        if (size_t dot = key.rfind('.'); dot != std::string_view::npos) key.remove_prefix(dot + 1);
        return friendly_app_name(key);
    }
    // The island's own use of the microphone is not news to its user.
    if (ends_with(to_lower(key), "vemoisland.exe")) return std::nullopt;
    if (size_t hash = key.rfind('#'); hash != std::string_view::npos) key.remove_prefix(hash + 1);
    return friendly_app_name(key);
}

bool consent_in_use(const ConsentEntry& entry) {
    return entry.last_start && entry.last_stop && *entry.last_stop == 0 && *entry.last_start != 0;
}

std::vector<std::string> consent_users(const std::vector<ConsentEntry>& entries) {
    std::vector<std::string> names;
    for (const ConsentEntry& e : entries) {
        std::optional<std::string> name = consent_display_name(e);
        if (name && consent_in_use(e)) names.push_back(std::move(*name));
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

// ---- Processor shares -------------------------------------------------------

double process_budget(double elapsed_seconds, uint32_t processors) {
    return elapsed_seconds * 10'000'000.0 * processors;
}

std::vector<TopProcess> collect_process_shares(const std::vector<std::pair<std::string, uint64_t>>& totals,
                                               double budget) {
    std::vector<TopProcess> out;
    out.reserve(totals.size());
    for (const auto& [exe, time] : totals)
        out.push_back({friendly_app_name(exe), static_cast<float>(static_cast<double>(time) / std::max(budget, 1.0) * 100.0)});
    return out;
}

std::vector<TopProcess> top_processes(const ProcessTable& before, const ProcessTable& after, double elapsed_seconds,
                                      uint32_t processors) {
    std::map<std::string, uint64_t> per_name;
    for (const auto& [pid, now] : after) {
        auto it = before.find(pid);
        if (it == before.end() || it->second.created != now.created || now.cpu_time < it->second.cpu_time) continue;
        per_name[now.executable] += now.cpu_time - it->second.cpu_time;
    }
    std::vector<TopProcess> top = collect_process_shares({per_name.begin(), per_name.end()},
                                                         process_budget(elapsed_seconds, processors));
    std::stable_sort(top.begin(), top.end(),
                     [](const TopProcess& a, const TopProcess& b) { return a.cpu_percent > b.cpu_percent; });
    if (top.size() > kSysmonTopCount) top.resize(kSysmonTopCount);
    return top;
}

// ---- Histories --------------------------------------------------------------

void push_history(std::vector<float>& history, float value) {
    history.push_back(value);
    if (history.size() > kSysmonHistoryLength)
        history.erase(history.begin(), history.begin() + static_cast<ptrdiff_t>(history.size() - kSysmonHistoryLength));
}

// ---- Finished downloads -----------------------------------------------------

bool download_name_ignored(std::string_view name) {
    static constexpr std::string_view kPartial[] = {".crdownload", ".part", ".partial",
                                                    ".tmp",        ".download", ".opdownload"};
    const std::string lower = to_lower(name);
    for (std::string_view ext : kPartial)
        if (ends_with(lower, ext)) return true;
    return lower.starts_with('.') || lower.starts_with('~') || lower == "desktop.ini";
}

std::vector<FileSize> recent_downloads_in(const std::vector<FolderEntry>& listing, int64_t now) {
    const int64_t cutoff = now - kDownloadRecentSeconds;
    std::vector<FileSize> out;
    for (const FolderEntry& e : listing) {
        if (e.folder || e.link || download_name_ignored(e.name) || e.modified < cutoff) continue;
        out.push_back({e.name, e.size});
    }
    return out;
}

void download_watch_start(DownloadWatch& watch, const std::vector<FileSize>& files) {
    for (const FileSize& f : files) watch.seen[f.name] = {f.size, true};
}

std::vector<std::string> download_watch_step(DownloadWatch& watch, const std::vector<FileSize>& files) {
    std::vector<std::string> announced;
    for (const FileSize& f : files) {
        auto [it, fresh] = watch.seen.try_emplace(f.name, DownloadWatch::Seen{f.size, false});
        if (fresh) continue;
        DownloadWatch::Seen& seen = it->second;
        if (!seen.announced && f.size != 0 && f.size == seen.size) {
            seen.announced = true;
            announced.push_back(f.name);
        } else {
            seen.size = f.size;
        }
    }
    return announced;
}

void store_sysmon_sample(SysmonSnapshot& shared, const SysmonSnapshot& sample, std::vector<std::string> announced) {
    std::vector<std::string> untaken = std::move(shared.downloads);
    shared = sample;
    shared.downloads = std::move(untaken);
    for (std::string& name : announced) shared.downloads.push_back(std::move(name));
}
