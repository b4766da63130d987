// Native stand-in for the desktop queries the island core makes: a fake
// desktop that tests set and read back. Autostart writes land in the fake
// desktop of sys_desktop so that read_autostart sees them.
#include "sys_desktop.h"
#include "sys_shell.h"

FakeShell& fake_shell() {
    static FakeShell s;
    return s;
}

const std::optional<std::string>& default_browser_exe() { return fake_shell().default_browser; }

std::optional<std::string> lookup_default_browser() { return fake_shell().default_browser; }

ForegroundApp foreground_exe_name(WindowHandle) { return {}; }

bool is_foreground_fullscreen(WindowHandle, const ScreenRect&) { return false; }

ForegroundApp front_exe_name(WindowHandle, WindowHandle) { return {}; }

bool front_is_fullscreen(WindowHandle, WindowHandle, const ScreenRect&) { return false; }

bool shell_open(const std::string& target, const std::optional<std::string>&) {
    fake_shell().opened.push_back(target);
    return true;
}

void send_keys(const std::vector<uint16_t>& keys) { fake_shell().sent_keys.push_back(keys); }

void set_autostart(bool on) { fake_desktop().autostart = on; }

void set_dark_mode(bool dark) {
    fake_desktop().dark_mode = dark;
    ++fake_shell().dark_mode_writes;
}
