// Shell, input and desktop queries over Win32: the foreground window,
// ShellExecute, SendInput and the current user's registry.
#include "sys_shell.h"
#include "sys_text.h"
#include "sys_win.h"

#include <shellapi.h>

#include <mutex>

namespace {
const wchar_t* kUserChoiceKey = L"Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\http\\UserChoice";
const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t* kPersonalizeKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr DWORD kRegBufferBytes = 4096;
constexpr DWORD kImagePathUnits = 1024;
constexpr int kClassNameUnits = 128;
constexpr UINT kThemeBroadcastMs = 200;

std::string from_wide(const wchar_t* s, size_t n) {
    return utf16_to_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(s), n));
}

// A REG_SZ value read into a 4096-byte buffer; nothing on any failure.
std::optional<std::wstring> read_sz(HKEY root, const std::wstring& key, const wchar_t* value) {
    wchar_t buf[kRegBufferBytes / sizeof(wchar_t)];
    DWORD size = sizeof buf;
    if (RegGetValueW(root, key.c_str(), value, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS) return std::nullopt;
    size_t units = size / sizeof(wchar_t);
    while (units > 0 && buf[units - 1] == L'\0') --units;
    return std::wstring(buf, units);
}

std::string file_name_lower(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return to_lower(slash == std::string::npos ? path : path.substr(slash + 1));
}
}  // namespace

// ---- Default browser --------------------------------------------------------------

std::optional<std::string> lookup_default_browser() {
    auto prog_id = read_sz(HKEY_CURRENT_USER, kUserChoiceKey, L"ProgId");
    if (!prog_id) return std::nullopt;
    auto command = read_sz(HKEY_CLASSES_ROOT, *prog_id + L"\\shell\\open\\command", nullptr);
    if (!command) return std::nullopt;
    return browser_exe_from_command(from_wide(command->data(), command->size()));
}

const std::optional<std::string>& default_browser_exe() {
    static std::once_flag once;
    static std::optional<std::string> value;
    std::call_once(once, [] { value = lookup_default_browser(); });
    return value;
}

// ---- Foreground window ------------------------------------------------------------

namespace {

// The program behind a window cannot change while the window lives, so the
// name is read once per (window, process) pair and not on every poll.
struct ForegroundNameCache {
    HWND window = nullptr;
    DWORD pid = 0;
    std::string name;
};

ForegroundNameCache& foreground_name_cache() {
    static ForegroundNameCache cache;  // the user-interface thread only
    return cache;
}

}  // namespace

ForegroundApp foreground_exe_name(WindowHandle island) { return front_exe_name(GetForegroundWindow(), island); }

ForegroundApp front_exe_name(WindowHandle front_window, WindowHandle island) {
    HWND front = static_cast<HWND>(front_window);
    if (!front) return {};
    if (front == static_cast<HWND>(island)) return {"", true};
    ForegroundNameCache& cache = foreground_name_cache();
    // Window handles are not handed out again at once, so the same front window
    // is the same program: no question to the system while it stays in front.
    if (cache.window == front && cache.pid != 0) return {cache.name, false};
    DWORD pid = 0;
    GetWindowThreadProcessId(front, &pid);
    if (pid == GetCurrentProcessId()) return {"", true};
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process.valid()) return {};
    wchar_t path[kImagePathUnits];
    DWORD units = kImagePathUnits;
    if (!QueryFullProcessImageNameW(process.get(), 0, path, &units)) return {};
    cache = ForegroundNameCache{front, pid, file_name_lower(from_wide(path, units))};
    return {cache.name, false};
}

bool is_foreground_fullscreen(WindowHandle island, const ScreenRect& monitor) {
    return front_is_fullscreen(GetForegroundWindow(), island, monitor);
}

bool front_is_fullscreen(WindowHandle front_window, WindowHandle island, const ScreenRect& monitor) {
    HWND front = static_cast<HWND>(front_window);
    if (!front || front == static_cast<HWND>(island)) return false;
    // The desktop window itself is no application, whatever its class is called.
    if (front == GetDesktopWindow() || front == GetShellWindow()) return false;
    wchar_t cls[kClassNameUnits];
    int n = GetClassNameW(front, cls, kClassNameUnits);
    if (n > 0 && is_shell_window_class(from_wide(cls, static_cast<size_t>(n)))) return false;
    RECT r;
    if (!GetWindowRect(front, &r)) return false;
    return covers_monitor({r.left, r.top, r.right, r.bottom}, monitor);
}

// ---- Shell and keys ---------------------------------------------------------------

bool shell_open(const std::string& target, const std::optional<std::string>& params) {
    std::wstring wtarget = widen(target);
    std::wstring wparams = params ? widen(*params) : std::wstring();
    HINSTANCE r = ShellExecuteW(nullptr, L"open", wtarget.c_str(), params ? wparams.c_str() : nullptr, nullptr,
                                SW_SHOWNORMAL);
    return reinterpret_cast<intptr_t>(r) > 32;
}

void send_keys(const std::vector<uint16_t>& keys) {
    std::vector<KeyStroke> strokes = key_strokes(keys);
    if (strokes.empty() || strokes.size() > 0xFFFFFFFFu) return;
    std::vector<INPUT> inputs(strokes.size());
    for (size_t i = 0; i < strokes.size(); ++i) {
        INPUT& in = inputs[i];
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = strokes[i].vk;
        in.ki.wScan = 0;
        in.ki.time = 0;
        in.ki.dwExtraInfo = 0;
        in.ki.dwFlags = (strokes[i].extended ? KEYEVENTF_EXTENDEDKEY : 0) | (strokes[i].up ? KEYEVENTF_KEYUP : 0);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// ---- Autostart and theme ----------------------------------------------------------

namespace {
// The running executable's full path; nothing when it cannot be read whole.
std::optional<std::wstring> exe_path() {
    std::wstring buf(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return std::nullopt;
        if (n < buf.size()) {
            buf.resize(n);
            return buf;
        }
        buf.resize(buf.size() * 2);
    }
    return std::nullopt;
}
}  // namespace

void set_autostart(bool on) {
    UniqueHkey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) return;
    if (!on) {
        RegDeleteValueW(key.get(), L"VemoIsland");
        return;
    }
    auto path = exe_path();
    if (!path) return;
    std::wstring value = L"\"" + *path + L"\"";
    RegSetValueExW(key.get(), L"VemoIsland", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void set_dark_mode(bool dark) {
    {
        UniqueHkey key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kPersonalizeKey, 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) return;
        DWORD light = dark ? 0 : 1;
        for (const wchar_t* name : {L"AppsUseLightTheme", L"SystemUsesLightTheme"})
            RegSetValueExW(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&light), sizeof light);
    }
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"),
                        SMTO_ABORTIFHUNG, kThemeBroadcastMs, &ignored);
}
