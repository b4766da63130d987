// The notification-area icon and its popup menu.
#include <string>

#include "gfx_icon.h"
#include "main.h"
#include "main_tray.h"
#include "main_win.h"
#include "sys_shell.h"
#include "sys_win.h"

#include <shellapi.h>

namespace {

constexpr UINT kTrayIconId = 1;
constexpr size_t kTipChars = 127;  // the tip field holds 128 UTF-16 units with the terminator

// The icon the shell shows; kept until the icon is removed or added again.
UniqueIcon& tray_icon() {
    static UniqueIcon icon;
    return icon;
}

bool autostart_exists() {
    return RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"VemoIsland",
                        RRF_RT_REG_SZ, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void append_items(HMENU menu, const std::vector<TrayMenuItem>& items) {
    for (const TrayMenuItem& i : items) {
        if (i.separator) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        std::wstring label = widen(i.label);
        if (!i.submenu.empty() || i.id == 0) {
            UniqueMenu sub(CreatePopupMenu());
            if (!sub.get()) continue;
            append_items(sub.get(), i.submenu);
            // The parent owns the submenu once it holds it.
            if (AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub.get()), label.c_str())) sub.release();
            continue;
        }
        UINT flags = MF_STRING | (i.checked ? MF_CHECKED : 0u) | (i.greyed ? MF_GRAYED : 0u);
        AppendMenuW(menu, flags, i.id, label.c_str());
    }
}

void dispatch(HWND window, UINT id, bool had_autostart, const std::vector<std::string>& mics) {
    switch (id) {
        case 0: return;
        case MENU_OPEN: on_show_request(); return;
        case MENU_AUTOSTART: set_autostart(!had_autostart); return;
        case MENU_SEARCH:
            if (with_app([](App& app) { app.open_search(); })) run_window_effect(window, effect::FocusIsland{});
            return;
        case MENU_HIDE: with_app([](App& app) { app.toggle_hidden(); }); return;
        case MENU_CHECK_UPDATE: with_app([](App& app) { app.check_for_update(); }); return;
        case MENU_ASSISTANT: with_app([](App& app) { app.start_voice(); }); return;
        case MENU_GOOGLE: with_app([](App& app) { app.connect_google(); }); return;
        case MENU_TEACH_WAKE: with_app([](App& app) { app.start_wake_teaching(); }); return;
        case MENU_EXIT: DestroyWindow(window); return;
        case MENU_WAKE_TOGGLE: with_app([](App& app) { app.toggle_wake_word(); }); return;
        case MENU_WEBSITE: shell_open(kWebsite); return;
        case MENU_DND: with_app([](App& app) { app.toggle_do_not_disturb(); }); return;
        default: break;
    }
    if (id >= MENU_SENSITIVITY_BASE && id < MENU_SENSITIVITY_BASE + 3) {
        with_app([&](App& app) { set_wake_sensitivity(app, id); });
    } else if (id >= MENU_MIC_BASE && id - MENU_MIC_BASE < mics.size()) {
        std::string name = mics[id - MENU_MIC_BASE];
        with_app([&](App& app) { app.set_microphone(std::move(name)); });
    }
}

}  // namespace

UniqueMenu create_tray_menu(const TrayMenu& items) {
    UniqueMenu menu(CreatePopupMenu());
    if (menu.get()) append_items(menu.get(), items.items);
    return menu;
}

bool add_tray_icon(HWND window, float scale) {
    float dpi_f = scale * 96.0f;
    UINT dpi = dpi_f >= 1.0f && dpi_f < 65536.0f ? static_cast<UINT>(dpi_f) : 96;
    int size = std::max(GetSystemMetricsForDpi(SM_CXSMICON, dpi), 16);
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = window;
    nid.uID = kTrayIconId;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = WM_APP_TRAY;
    std::wstring tip = widen("Vemo Ada · tıkla: aç · sağ tık: menü");
    tip.resize(std::min(tip.size(), kTipChars));
    tip.copy(nid.szTip, tip.size());
    Result<void*> icon = create_app_hicon(static_cast<uint32_t>(size));
    HICON handle = icon ? static_cast<HICON>(icon.value()) : nullptr;
    nid.hIcon = handle;
    bool ok = Shell_NotifyIconW(NIM_ADD, &nid) != FALSE;
    tray_icon().reset(handle);
    return ok;
}

void remove_tray_icon(HWND window) {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = window;
    nid.uID = kTrayIconId;
    Shell_NotifyIconW(NIM_DELETE, &nid);
    tray_icon().reset();
}

void show_tray_menu(HWND window) {
    bool had_autostart = autostart_exists();
    TrayMenu items;
    // The borrow ends before the menu's modal loop runs.
    if (!with_app([&](App& app) { items = build_tray_menu(&app, had_autostart); }))
        items = build_tray_menu(nullptr, had_autostart);
    UniqueMenu menu = create_tray_menu(items);
    if (!menu.get()) return;
    POINT at{};
    GetCursorPos(&at);
    SetForegroundWindow(window);
    UINT id = static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON | TPM_NONOTIFY | TPM_RETURNCMD, at.x, at.y,
                                               0, window, nullptr));
    menu.reset();  // gone before the command runs
    dispatch(window, id, had_autostart, items.mics);
}
