// The cost of each reading of the system monitor's sampler on this machine:
// every probe call made 50 times (or as often as the first argument says),
// printed as microseconds per call. The sampler makes the cheap readings every
// second and the others every second, third or tenth sample.
#include <windows.h>
#include <roapi.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "sys_os.h"
#include "sysmon_sampler.h"

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    (void)RoInitialize(RO_INIT_MULTITHREADED);
    std::unique_ptr<SysmonProbe> probe = make_system_probe();
    const std::optional<std::string> downloads = probe->downloads_folder();
    const std::string folder = downloads.value_or("C:\\");
    const std::vector<std::pair<const char*, std::function<void()>>> readings = {
        {"cpu_times", [&] { (void)probe->cpu_times(); }},
        {"memory", [&] { (void)probe->memory(); }},
        {"network", [&] { (void)probe->network(); }},
        {"uptime", [&] { (void)probe->uptime_ms(); }},
        {"disk", [&] { (void)probe->disk(); }},
        {"processes", [&] { (void)probe->processes(); }},
        {"capability_users", [&] { (void)probe->capability_users(kCapabilityMicrophone); }},
        {"folder_stamp", [&] { (void)probe->folder_stamp(folder); }},
        {"recent_downloads", [&] { (void)probe->recent_downloads(folder); }},
        {"radios", [&] { (void)probe->radios(); }},
        {"connection", [&] { (void)probe->connection(); }},
    };
    for (const auto& [name, read] : readings) {
        read();  // the first call may load libraries
        const double start = monotonic_seconds();
        for (int i = 0; i < rounds; ++i) read();
        std::printf("sysmon: %s %.1f us per call\n", name, (monotonic_seconds() - start) * 1e6 / rounds);
    }
    return 0;
}
