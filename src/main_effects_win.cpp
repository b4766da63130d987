// Monitor placement and the window effects of the island's host.
#include <cstdlib>
#include <iterator>
#include <string>

#include "gfx.h"
#include "main_win.h"
#include "sys_drop.h"
#include "sys_log.h"
#include "sys_os.h"
#include "sys_radio.h"
#include "sys_shell.h"
#include "sys_thread.h"

#include <shellscalingapi.h>

#include <cmath>

// ---- Monitor placement -----------------------------------------------------------------------

MonitorPlacement pick_monitor() {
    MonitorPlacement p;
    HMONITOR mon = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (mon && GetMonitorInfoW(mon, &mi)) p.rect = RectI{mi.rcMonitor.left, mi.rcMonitor.top, mi.rcMonitor.right, mi.rcMonitor.bottom};
    UINT dx = 96, dy = 96;
    if (mon && FAILED(GetDpiForMonitor(mon, MDT_EFFECTIVE_DPI, &dx, &dy))) dx = 96;
    p.scale = static_cast<float>(dx) / 96.0f;
    return p;
}

void place_window(HWND window, bool force) {
    MonitorPlacement mp = pick_monitor();
    with_app([&](App& app) {
        WindowGeometry g = window_geometry(mp.rect, mp.scale, scale_for_size(app.settings.size));
        float rs = app.drawing.renderer ? app.drawing.renderer->scale() : 0.0f;
        if (!force && mp.rect == app.drawing.monitor && std::fabs(rs - g.scale) <= 0.001f) return;
        if (app.drawing.renderer && (std::fabs(rs - g.scale) > 0.001f || app.drawing.renderer->pixel_width() != g.width))
            (void)app.drawing.renderer->resize_dib(g.width, g.height, g.scale);
        app.place(mp.rect, g.x, g.y);
    });
    // Back on top of the other topmost windows; one that is first already stays untouched.
    if (GetWindow(window, GW_HWNDPREV) || !(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST))
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}


// ---- Window effects ------------------------------------------------------------------------

namespace {

struct EffectRunner {
    HWND window;

    void operator()(const effect::OpenUrl& e) const { shell_open(e.target, e.params); }

    void operator()(const effect::FocusIsland&) const {
        HWND f = GetForegroundWindow();
        if (f && f != window) ui_thread_state().previous_foreground = f;
        SetForegroundWindow(window);
        SetFocus(window);
        with_app([](App& app) { app.on_activate(true); });
    }

    void operator()(const effect::RestoreFocus&) const {
        HWND prev = static_cast<HWND>(ui_thread_state().previous_foreground);
        if (GetForegroundWindow() == window && prev && IsWindow(prev)) SetForegroundWindow(prev);
    }

    void operator()(const effect::DragShelfItem& e) const {
        std::optional<std::string> path;
        with_app([&](App& app) {
            if (e.index < app.lists.shelf.size()) path = app.lists.shelf[e.index].path;
        });
        if (path) drag_file_out(window, *path);
        with_app([](App& app) { app.on_drag_out_done(); });
    }

    void operator()(const effect::LockWorkstation&) const { LockWorkStation(); }
    void operator()(const effect::ShowDesktop&) const { send_keys({VK_LWIN, 'D'}); }
    void operator()(const effect::MonitorOff&) const { PostMessageW(window, WM_SYSCOMMAND, SC_MONITORPOWER, 2); }
    void operator()(const effect::Reposition&) const { place_window(window, true); }

    void operator()(const effect::SetRadio& e) const {
        HWND w = window;
        bool wifi = e.wifi, on = e.on;
        if (!spawn_detached("", [w, wifi, on] { post_radio_result(w, WM_APP_RADIO, set_radio(wifi, on)); })) {
            write_log("fatal: failed to spawn thread");
            std::abort();
        }
    }

    void operator()(const effect::RestartAfterUpdate&) const {
        wchar_t path[MAX_PATH * 4];
        DWORD n = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
        if (n > 0 && n < std::size(path)) {
            write_log("restarting into the new version");
            std::wstring cmd = L"\"" + std::wstring(path, n) + L"\" --after-update";
            STARTUPINFOW si{};
            si.cb = sizeof si;
            PROCESS_INFORMATION pi{};
            if (CreateProcessW(path, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
                // The new process runs on its own; its handles close here.
                UniqueHandle process(pi.hProcess), thread(pi.hThread);
            }
        }
        DestroyWindow(window);
    }
};

}  // namespace

void run_window_effect(HWND window, const WindowEffect& effect) { std::visit(EffectRunner{window}, effect); }
