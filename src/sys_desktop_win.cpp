#include "sys_desktop.h"
#include "sys_win.h"

std::optional<PowerStatus> read_power_status() {
    SYSTEM_POWER_STATUS s;
    if (!GetSystemPowerStatus(&s)) return std::nullopt;
    PowerStatus p;
    p.on_ac = s.ACLineStatus == 1;
    p.percent = s.BatteryLifePercent > 100 ? 100 : s.BatteryLifePercent;
    // 128: no system battery; 255: status unknown.
    p.has_battery = s.BatteryFlag != 128 && s.BatteryFlag != 255;
    return p;
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

std::string input_language_code() {
    HWND fg = GetForegroundWindow();
    if (!fg) return {};
    // A window keeps its thread for life: ask the server only when the front window changed.
    static HWND last_window = nullptr;  // the user-interface thread only
    static DWORD last_thread = 0;
    if (fg != last_window) {
        last_thread = GetWindowThreadProcessId(fg, nullptr);
        last_window = last_thread ? fg : nullptr;
    }
    DWORD thread = last_thread;
    HKL layout = GetKeyboardLayout(thread);
    return language_code_of(static_cast<uint16_t>(reinterpret_cast<uintptr_t>(layout) & 0xFFFF));
}

void set_keep_awake(bool on) {
    SetThreadExecutionState(on ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED : ES_CONTINUOUS);
}
