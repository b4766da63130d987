// The island window's host on Windows: private messages, timers, hot keys,
// monitor placement and the executor of window effects.
#pragma once
#include "app.h"
#include "main.h"
#include "main_tray.h"
#include "sys_win.h"

constexpr UINT WM_APP_MEDIA = WM_APP + 1, WM_APP_TRAY = WM_APP + 2, WM_APP_SHOW = WM_APP + 3,
               WM_APP_SYSMON = WM_APP + 4, WM_APP_WEATHER = WM_APP + 5, WM_APP_RADIO = WM_APP + 6,
               WM_APP_NOTIFS = WM_APP + 7, WM_APP_STEAM = WM_APP + 8, WM_APP_UPDATE = WM_APP + 9,
               WM_APP_GOOGLE = WM_APP + 10, WM_APP_WAKE = WM_APP + 11;
constexpr UINT_PTR TIMER_HUD_POLL = 1, TIMER_SECOND = 2, TIMER_PLACE = 3;
constexpr int HOTKEY_SEARCH = 1, HOTKEY_VOICE = 2;
constexpr const wchar_t* kIslandClassName = L"VemoIslandWnd";

struct MonitorPlacement {
    RectI rect;
    float scale = 1;
};
// The monitor holding (0, 0), else the primary one, with its effective scale.
MonitorPlacement pick_monitor();
// Re-places the window for the current monitor and size; `force` also when nothing changed.
void place_window(HWND window, bool force);
// Carries out one effect on the user-interface thread, outside any App borrow.
void run_window_effect(HWND window, const WindowEffect& effect);

// ---- Tray icon and menu -------------------------------------------------------------------
// The popup menu of the items, submenus included (owned by it); empty when it cannot be made.
UniqueMenu create_tray_menu(const TrayMenu& items);
// Adds the notification-area icon at the monitor scale; whether the shell took it.
bool add_tray_icon(HWND window, float scale);
void remove_tray_icon(HWND window);
// Shows the popup menu at the cursor and runs the chosen command.
void show_tray_menu(HWND window);

// ---- Remote commands ----------------------------------------------------------------------
// Sends one command to the running island; the exit code 0 handled, 1 no island or
// not accepted, 2 not handled.
int send_remote_command(uint8_t kind, std::string_view payload);
// The island's answer to a WM_COPYDATA message (its lParam): the command runs in
// the borrowed App; 0 not accepted, 1 handled, 2 not handled or the App busy.
LRESULT answer_copy_data(LPARAM lp);
