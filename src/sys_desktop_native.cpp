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
