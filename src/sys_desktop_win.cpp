#include "sys_desktop.h"
#include "sys_win.h"

std::optional<PowerStatus> read_power_status() {
    SYSTEM_POWER_STATUS s;
    if (!GetSystemPowerStatus(&s)) return std::nullopt;
    PowerStatus p;
    p.on_ac = s.ACLineStatus == 1;
    p.percent = s.BatteryLifePercent > 100 ? 100 : s.BatteryLifePercent;
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
