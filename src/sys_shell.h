// Shell, input and desktop queries: which program is in front and whether it
// is a browser or covers the monitor, opening things through the shell,
// synthetic key presses, the autostart entry and the light or dark theme.
// (The keyboard-layout language and the other readings the island core polls
// are in sys_desktop.h.)
//
// The pure rules (browser names, default-browser command, key order,
// full-screen cover) live in sys_shell.cpp and are tested on every platform;
// sys_shell_win.cpp asks Windows, sys_shell_native.cpp is a fake desktop for
// the island core's native tests.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// An opaque window handle (HWND on Windows).
using WindowHandle = void*;

// ---- Pure rules ---------------------------------------------------------------

// The lower-case executable file name of a default-browser command line
// ("\"C:\\P\\App.exe\" -- %1" -> "app.exe"); nothing when it names no ".exe".
std::optional<std::string> browser_exe_from_command(std::string_view command);

// The browser rule against a given default browser (tests pass their own).
bool is_browser_exe_with(std::string_view exe_name, const std::optional<std::string>& default_browser);

// Window classes of the desktop and shell, never a full-screen application.
bool is_shell_window_class(std::string_view class_name);

struct ScreenRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};
// True when the window rectangle contains the whole monitor rectangle.
bool covers_monitor(const ScreenRect& window, const ScreenRect& monitor);

// One synthetic keyboard event.
struct KeyStroke {
    uint16_t vk = 0;
    bool up = false;
    bool extended = false;
};
// Every key down in order, then every key up in reverse order; media keys and
// the left Windows key carry the extended flag.
std::vector<KeyStroke> key_strokes(const std::vector<uint16_t>& keys);

// ---- Desktop services ---------------------------------------------------------

// Lower-case file name of the default web browser's executable; looked up
// once per process (its absence is kept too).
const std::optional<std::string>& default_browser_exe();
// The registry read behind it, uncached: the user's http choice and its
// open command.
std::optional<std::string> lookup_default_browser();

// True for the known browsers, names containing "browser", names beginning
// "vortex" and the default browser; the name is lower-cased first.
bool is_browser_exe(std::string_view exe_name);
// The island core's name for the same question about the foreground program.
inline bool contains_browser_word(std::string_view exe_name) { return is_browser_exe(exe_name); }

struct ForegroundApp {
    std::string name;      // lower-case executable file name; empty when unreadable
    bool is_self = false;  // the island (or another window of this process) is in front
};
ForegroundApp foreground_exe_name(WindowHandle island);
// The same for a front window the caller already asked for.
ForegroundApp front_exe_name(WindowHandle front, WindowHandle island);

// Another application's window covers the whole monitor.
bool is_foreground_fullscreen(WindowHandle island, const ScreenRect& monitor);
// The same for a front window the caller already asked for.
bool front_is_fullscreen(WindowHandle front, WindowHandle island, const ScreenRect& monitor);

// ShellExecute "open"; true when the shell accepted it.
bool shell_open(const std::string& target, const std::optional<std::string>& params = std::nullopt);

// Presses the keys in order and releases them in reverse order, in one call.
void send_keys(const std::vector<uint16_t>& keys);

// Writes or deletes the current user's Run value "VemoIsland" (the quoted
// executable path).
void set_autostart(bool on);

// Writes the Personalize theme values and tells running programs.
void set_dark_mode(bool dark);

#ifndef _WIN32
// The native stand-in's desktop, for tests of the island core.
struct FakeShell {
    std::optional<std::string> default_browser;
    std::vector<std::string> opened;  // targets given to shell_open
    std::vector<std::vector<uint16_t>> sent_keys;
    int dark_mode_writes = 0;
};
FakeShell& fake_shell();
#endif
