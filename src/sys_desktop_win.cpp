#include "sys_desktop.h"
#include "sys_win.h"

std::optional<PowerStatus> read_power_status() {
    SYSTEM_POWER_STATUS s;
    if (!GetSystemPowerStatus(&s)) return std::nullopt;
    return power_status_from(s.ACLineStatus, s.BatteryFlag, s.BatteryLifePercent);
}

bool read_dark_mode() {
    DWORD value = 1, size = sizeof value, type = 0;
    LSTATUS r = RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                             L"AppsUseLightTheme", RRF_RT_REG_DWORD, &type, &value, &size);
    return r == ERROR_SUCCESS && value == 0;
}

bool read_autostart() {
    DWORD size = 0;
    LSTATUS r = RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"VemoIsland",
                             RRF_RT_REG_SZ, nullptr, nullptr, &size);
    return r == ERROR_SUCCESS;
}

bool read_caps_lock() { return (GetKeyState(VK_CAPITAL) & 1) != 0; }

namespace {

// The user-interface thread only.
struct ForegroundNote {
    bool noted = false;     // the host reports the front window
    HWND window = nullptr;  // as last reported
    HWND last_window = nullptr;
    DWORD last_thread = 0;
};

ForegroundNote& foreground_note() {
    static ForegroundNote note;
    return note;
}

}  // namespace

void note_foreground_window(void* front) {
    ForegroundNote& note = foreground_note();
    note.noted = true;
    note.window = static_cast<HWND>(front);
}

std::string input_language_code() {
    ForegroundNote& note = foreground_note();
    HWND fg = note.noted ? note.window : GetForegroundWindow();
    if (!fg) return {};
    // A window keeps its thread for life: ask the server only when the front window changed.
    if (fg != note.last_window) {
        note.last_thread = GetWindowThreadProcessId(fg, nullptr);
        note.last_window = note.last_thread ? fg : nullptr;
    }
    HKL layout = GetKeyboardLayout(note.last_thread);
    return language_code_of(static_cast<uint16_t>(reinterpret_cast<uintptr_t>(layout) & 0xFFFF));
}

void set_keep_awake(bool on) {
    SetThreadExecutionState(on ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED : ES_CONTINUOUS);
}
