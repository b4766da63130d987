// Desktop readings the island core makes itself: power, theme, autostart,
// keyboard state. sys_desktop_win.cpp reads Windows; the native stand-in
// serves a fake desktop that tests can set.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

struct PowerStatus {
    bool on_ac = false;
    uint8_t percent = 0;  // 0..100
};
// Nothing when the query fails.
std::optional<PowerStatus> read_power_status();
// Dark mode: the current user's AppsUseLightTheme reads as 0.
bool read_dark_mode();
// The current user's Run key holds a string value "VemoIsland".
bool read_autostart();

#ifndef _WIN32
// The native stand-in's desktop, for tests.
struct FakeDesktop {
    std::optional<PowerStatus> power = PowerStatus{true, 100};
    bool dark_mode = false;
    bool autostart = false;
    int registry_reads = 0;  // counts theme and autostart reads
};
FakeDesktop& fake_desktop();
#endif
