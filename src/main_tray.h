// The tray menu's items and the handlers of its commands over the App; the
// Windows side (main_tray_win.cpp) shows the menu and owns the icon.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct App;

enum TrayMenuId : uint32_t {
    MENU_OPEN = 1,
    MENU_AUTOSTART = 2,
    MENU_SEARCH = 3,
    MENU_HIDE = 4,
    MENU_CHECK_UPDATE = 5,
    MENU_ASSISTANT = 6,
    MENU_GOOGLE = 7,
    MENU_TEACH_WAKE = 8,
    MENU_EXIT = 9,
    MENU_WAKE_TOGGLE = 10,
    MENU_WEBSITE = 11,
    MENU_DND = 12,
    MENU_SENSITIVITY_BASE = 13,  // 13-15: low, normal, high
    MENU_MIC_BASE = 100,         // 100-129: the microphone names in list order
};
constexpr size_t kMenuMicMax = 30;

struct TrayMenuItem {
    uint32_t id = 0;  // 0 for a submenu or a separator
    std::string label;
    bool checked = false, greyed = false, separator = false;
    std::vector<TrayMenuItem> submenu;
};

struct TrayMenu {
    std::vector<TrayMenuItem> items;
    std::vector<std::string> mics;  // the names behind ids 100 + i
};

// The menu as it reads now; a null App (busy or absent) gives the fallback labels.
TrayMenu build_tray_menu(App* app, bool autostart);

// ---- Handlers of the menu's commands ---------------------------------------------------------
// The others are App methods. id 13-15 -> level 0-2; other ids do nothing.
void set_wake_sensitivity(App& app, uint32_t id);
