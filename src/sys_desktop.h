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
    bool has_battery = false;  // the battery flag names neither "no battery" nor "unknown"
};
// The system's power bytes as a status: AC line status 1 is mains, the
// percentage is capped at 100 (255 means unknown), and battery flag 128 (no
// system battery) or 255 (status unknown) means there is no battery.
PowerStatus power_status_from(uint8_t ac_line_status, uint8_t battery_flag, uint8_t life_percent);
// Nothing when the query fails.
std::optional<PowerStatus> read_power_status();
// Dark mode: the current user's AppsUseLightTheme reads as 0.
bool read_dark_mode();
// The current user's Run key holds a string value "VemoIsland".
bool read_autostart();
// Caps Lock's toggle state.
bool read_caps_lock();
// The two-letter upper-case code of the foreground window's keyboard-layout
// language, "??" outside the known table, empty without a foreground window.
std::string input_language_code();
// The front window as the host last saw it (its foreground hook and one-second
// check). Once one is noted, input_language_code reads that window's layout
// instead of asking the system for the front window on every poll.
void note_foreground_window(void* front);
// The code for a keyboard layout's language identifier (its low 10 bits pick the row).
const char* language_code_of(uint16_t language_id);
// Keeps the system and the display awake (on) or lets them sleep again (off);
// the request belongs to the calling thread, so the user-interface thread makes it.
void set_keep_awake(bool on);

#ifndef _WIN32
// The native stand-in's desktop, for tests.
struct FakeDesktop {
    std::optional<PowerStatus> power = PowerStatus{true, 100};
    bool dark_mode = false;
    bool autostart = false;
    int registry_reads = 0;  // counts theme and autostart reads
    bool caps_lock = false;
    std::string language;  // what input_language_code answers
    std::optional<bool> keep_awake;  // the last set_keep_awake request
};
FakeDesktop& fake_desktop();
#endif
