// System monitor: the sampler's shared snapshot.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

enum class RadioState : uint8_t { Unknown, Off, On };  // Unknown: not read yet

struct TopProcess {
    std::string name;
    float cpu_percent = 0;
};

struct SysmonSnapshot {
    std::vector<float> cpu_history, mem_history, down_history, up_history;  // newest last, at most 60
    std::vector<TopProcess> top;  // busiest first
    float cpu = 0;                // 0..1
    double mem_used = 0, mem_total = 0;
    double down_rate = 0, up_rate = 0;   // bytes per second
    double disk_free = 0, disk_total = 0; // drive C:
    uint64_t uptime = 0;                  // seconds
    uint64_t tick = 0;                    // samples taken, 1 after the first
    std::vector<std::string> mic_users, cam_users;
    std::string net_name;
    std::vector<std::string> downloads;   // newly finished downloads; taken by the App
    bool online = false, wireless = false, net_checked = false;
    RadioState wifi = RadioState::Unknown, bluetooth = RadioState::Unknown;
};

// Set by the island while the busiest programs are on screen; the process
// walk, the sampler's costliest reading, is skipped while it is clear.
extern std::atomic<bool> sysmon_top_wanted;
// Set by the island while it is open. While it is clear the sampler still
// publishes every sample but wakes the island only for what a closed island
// shows or announces: the connection, the radios, microphone and camera users
// and finished downloads.
extern std::atomic<bool> sysmon_live_wanted;
