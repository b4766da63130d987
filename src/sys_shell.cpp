// The pure rules behind the shell and desktop queries.
#include "sys_shell.h"

#include <array>

#include "sys_text.h"

// ---- Browsers ---------------------------------------------------------------------

namespace {
constexpr std::array<std::string_view, 22> kBrowserExes{
    "arc.exe",     "zen.exe",      "tor.exe",     "opera.exe",    "brave.exe",    "chrome.exe",
    "msedge.exe",  "yandex.exe",   "floorp.exe",  "firefox.exe",  "vivaldi.exe",  "browser.exe",
    "thorium.exe", "maxthon.exe",  "chromium.exe", "iexplore.exe", "palemoon.exe", "opera_gx.exe",
    "waterfox.exe", "librewolf.exe", "seamonkey.exe", "duckduckgo.exe",
};

// ASCII-only lower-casing: enough to find ".exe" without shifting byte offsets.
char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

size_t find_exe_suffix(std::string_view s) {
    constexpr std::string_view exe = ".exe";
    for (size_t i = 0; i + exe.size() <= s.size(); ++i) {
        size_t k = 0;
        while (k < exe.size() && ascii_lower(s[i + k]) == exe[k]) ++k;
        if (k == exe.size()) return i;
    }
    return std::string_view::npos;
}
}  // namespace

std::optional<std::string> browser_exe_from_command(std::string_view command) {
    std::string program;
    if (!command.empty() && command.front() == '"') {
        std::string_view rest = command.substr(1);
        program = std::string(rest.substr(0, rest.find('"')));
    } else {
        // Registered commands spell the extension in any case ("APP.EXE %1").
        size_t at = find_exe_suffix(command);
        program = std::string(at == std::string_view::npos ? command : command.substr(0, at)) + ".exe";
    }
    size_t slash = program.find_last_of("\\/");
    std::string name = to_lower(slash == std::string::npos ? program : program.substr(slash + 1));
    if (name.size() < 4 || name.compare(name.size() - 4, 4, ".exe") != 0) return std::nullopt;
    return name;
}

bool is_browser_exe_with(std::string_view exe_name, const std::optional<std::string>& default_browser) {
    std::string name = to_lower(exe_name);
    if (name.empty()) return false;
    for (std::string_view known : kBrowserExes)
        if (name == known) return true;
    if (name.find("browser") != std::string::npos || name.rfind("vortex", 0) == 0) return true;
    return default_browser && name == *default_browser;
}

bool is_browser_exe(std::string_view exe_name) {
    std::string name = to_lower(exe_name);
    if (name.empty()) return false;
    // The registry is read only when the name lists leave the question open.
    if (is_browser_exe_with(name, std::nullopt)) return true;
    const auto& fallback = default_browser_exe();
    return fallback && name == *fallback;
}

// ---- Windows in front -------------------------------------------------------------

bool is_shell_window_class(std::string_view class_name) {
    static constexpr std::array<std::string_view, 7> kShellClasses{
        "Progman", "WorkerW", "Shell_TrayWnd", "Shell_SecondaryTrayWnd", "Windows.UI.Core.CoreWindow",
        "XamlExplorerHostIslandWindow", "TopLevelWindowForOverflowXamlIsland",
    };
    for (std::string_view c : kShellClasses)
        if (class_name == c) return true;
    return false;
}

bool covers_monitor(const ScreenRect& window, const ScreenRect& monitor) {
    return window.left <= monitor.left && window.top <= monitor.top && window.right >= monitor.right &&
           window.bottom >= monitor.bottom;
}

// ---- Synthetic keys -----------------------------------------------------------------

namespace {
constexpr uint16_t kVkLwin = 0x5B;
constexpr uint16_t kVkMediaNext = 0xB0;
constexpr uint16_t kVkMediaPrev = 0xB1;
constexpr uint16_t kVkMediaPlayPause = 0xB3;

bool is_extended_key(uint16_t vk) {
    return vk == kVkMediaNext || vk == kVkMediaPrev || vk == kVkMediaPlayPause || vk == kVkLwin;
}
}  // namespace

std::vector<KeyStroke> key_strokes(const std::vector<uint16_t>& keys) {
    std::vector<KeyStroke> out;
    out.reserve(keys.size() * 2);
    for (uint16_t vk : keys) out.push_back({vk, false, is_extended_key(vk)});
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) out.push_back({*it, true, is_extended_key(*it)});
    return out;
}
