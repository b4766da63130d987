#include "sys_desktop.h"

FakeDesktop& fake_desktop() {
    static FakeDesktop d;
    return d;
}

std::optional<PowerStatus> read_power_status() { return fake_desktop().power; }

bool read_dark_mode() {
    ++fake_desktop().registry_reads;
    return fake_desktop().dark_mode;
}

bool read_autostart() {
    ++fake_desktop().registry_reads;
    return fake_desktop().autostart;
}

bool read_caps_lock() { return fake_desktop().caps_lock; }

std::string input_language_code() { return fake_desktop().language; }

void note_foreground_window(void*) {}

void set_keep_awake(bool on) { fake_desktop().keep_awake = on; }
