// The cost of each reading of the island's 150 ms poll (volume, microphone,
// brightness, Caps Lock, keyboard language) and of the per-second foreground
// checks on this machine: each made 200 times (or as often as the first
// argument says), printed as microseconds per call.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "sys_audio.h"
#include "sys_desktop.h"
#include "sys_os.h"
#include "sys_shell.h"
#include "sys_win.h"

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    ComInit com;
    EndpointVolumeCache out, mic;
    mic.flow = 1;
    BrightnessDevice brightness = open_brightness_device();
    const ScreenRect monitor{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const std::vector<std::pair<const char*, std::function<void()>>> readings = {
        {"output volume", [&] { (void)get_master_volume(out); }},
        {"microphone volume", [&] { (void)get_master_volume(mic); }},
        {"brightness", [&] { (void)query_brightness(brightness); }},
        {"caps lock", [] { (void)read_caps_lock(); }},
        {"keyboard language", [] { (void)input_language_code(); }},
        {"foreground window", [] { (void)GetForegroundWindow(); }},
        {"foreground full screen", [&] { (void)front_is_fullscreen(GetForegroundWindow(), nullptr, monitor); }},
        {"foreground program", [] { (void)front_exe_name(GetForegroundWindow(), nullptr); }},
    };
    for (const auto& [name, read] : readings) {
        read();
        const double start = monotonic_seconds();
        for (int i = 0; i < rounds; ++i) read();
        std::printf("poll: %s %.1f us per call\n", name, (monotonic_seconds() - start) * 1e6 / rounds);
    }
    return 0;
}
