// VemoIsland.exe: the program's main, the frame loop and the window procedure.
//
// Index
//   Start-up failures and small helpers
//   Page choice and the openers shared by hot key and drop target
//   Window procedure
//   Frame loop
//   Local modes
//   run_main
// (Monitor placement and the window effects live in main_effects_win.cpp,
// the tray in main_tray_win.cpp, remote commands in main_remote*.cpp.)

#include <cmath>
#include <cstdlib>
#include <iterator>
#include <exception>
#include <string>
#include <vector>

#include "app.h"
#include "gfx.h"
#include "gfx_icon.h"
#include "google_worker.h"
#include "main.h"
#include "main_win.h"
#include "search.h"
#include "shots.h"
#include "shots_probe.h"
#include "steam_watch.h"
#include "sys_audio.h"
#include "sys_desktop.h"
#include "sys_drop.h"
#include "sys_log.h"
#include "sys_os.h"
#include "sys_radio.h"
#include "sys_shell.h"
#include "sys_thread.h"
#include "sys_version.h"
#include "sys_win.h"
#include "sysmon_sampler.h"
#include "update.h"
#include "wake.h"
#include "wake_listen.h"
#include "weather_worker.h"

#include <dwmapi.h>
#include <mmsystem.h>
#include <roapi.h>
#include <shellapi.h>
#include <shellscalingapi.h>

// ---- Start-up failures and small helpers ----------------------------------------------------

namespace {

HWND island_hwnd() { return static_cast<HWND>(ui_thread_state().island_window); }

// Power status reads while the battery is not drawn: the slow read's period and its last time.
constexpr double kPowerReadSeconds = 30.0;
double ui_power_read_at = -1e9;

void startup_failure(const Error& e) {
    std::wstring text = widen("Vemo Ada başlatılamadı:\n" + e.message);
    MessageBoxW(nullptr, text.c_str(), L"Vemo Ada", MB_ICONERROR);
}

std::vector<std::string> process_args() {
    std::vector<std::string> out;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return out;
    UniqueLocal owner(argv);
    for (int i = 0; i < argc; ++i) out.push_back(narrow(argv[i]));
    return out;
}

// Island units from a mouse message's lParam.
void pointer_units(LPARAM lp, float& x, float& y, float scale) {
    int px = static_cast<short>(LOWORD(lp));
    int py = static_cast<short>(HIWORD(lp));
    float s = scale > 0 ? scale : 1.0f;
    x = static_cast<float>(px) / s;
    y = static_cast<float>(py) / s;
}

}  // namespace


// ---- Page choice and the openers shared by hot key and drop target --------------------

namespace {

std::optional<WindowEffect> toggle_search_hotkey() {
    std::optional<WindowEffect> out;
    with_app([&](App& app) { out = app.on_search_hotkey(); });
    return out;
}

}  // namespace


// ---- Window procedure -----------------------------------------------------------------------

namespace {

void run_effect_if(HWND window, const std::optional<WindowEffect>& e) {
    if (e) run_window_effect(window, *e);
}

float app_scale() {
    float s = 1.0f;
    with_app([&](App& app) {
        if (app.drawing.renderer) s = app.drawing.renderer->scale();
    });
    return s;
}

// The front window, asked once for the browser, full-screen and keyboard-language checks.
HWND note_front_window() {
    HWND front = GetForegroundWindow();
    note_foreground_window(front);
    return front;
}

void check_foreground_app(HWND front) {
    ForegroundApp fg = front_exe_name(front, island_hwnd());
    with_app([&](App& app) { app.update_browser_hide(fg.name, fg.is_self); });
}

ScreenRect app_monitor() {
    ScreenRect r;
    with_app([&](App& app) { r = ScreenRect{app.drawing.monitor.left, app.drawing.monitor.top, app.drawing.monitor.right, app.drawing.monitor.bottom}; });
    return r;
}

LRESULT handle_message(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    UiThreadState& ui = ui_thread_state();
    if (ui.taskbar_created_message && msg == ui.taskbar_created_message) {
        add_tray_icon(window, app_scale());  // the shell restarted and forgot the icon
        return DefWindowProcW(window, msg, wp, lp);
    }
    switch (msg) {
        case WM_APP_SHOW:
            on_show_request();
            return 0;
        case WM_APP_RADIO: {
            auto text = take_radio_result(static_cast<intptr_t>(lp));
            if (text) with_app([&](App& app) { app.show_settings_hint(std::move(*text)); });
            return 0;
        }
        case WM_APP_TRAY:
            switch (LOWORD(lp)) {
                case WM_LBUTTONUP: on_tray_click(); break;
                case WM_CONTEXTMENU: case WM_RBUTTONUP: show_tray_menu(window); break;
                default: break;
            }
            return 0;
        case WM_COPYDATA:
            return answer_copy_data(lp);
        case WM_RBUTTONUP:
            show_tray_menu(window);  // the island's right click shows the tray's menu
            return 0;
        case WM_CLIPBOARDUPDATE:
            with_app([](App& app) { app.on_clipboard_update(); });
            return 0;
        case WM_APP_GOOGLE:
            with_app([](App& app) { app.on_google_update(); });
            return 0;
        case WM_APP_MEDIA: with_app([](App& app) { app.on_media_update(); }); return 0;
        case WM_APP_SYSMON: with_app([](App& app) { app.on_sysmon_update(); }); return 0;
        case WM_APP_WEATHER: with_app([](App& app) { app.on_weather_update(); }); return 0;
        case WM_APP_NOTIFS: with_app([](App& app) { app.on_notifications_update(); }); return 0;
        case WM_APP_STEAM: with_app([](App& app) { app.on_steam_update(); }); return 0;
        case WM_APP_UPDATE: with_app([](App& app) { app.on_update_event(); }); return 0;
        case WM_APP_WAKE: with_app([](App& app) { app.on_wake_heard(); }); return 0;
        case WM_HOTKEY:
            if (wp == HOTKEY_VOICE) with_app([](App& app) { app.start_voice(); });
            else run_effect_if(window, toggle_search_hotkey());
            return 0;
        case WM_TIMER:
            if (wp == TIMER_HUD_POLL) {
                with_app([](App& app) { app.watch_hud_sources(); });
            } else if (wp == TIMER_SECOND) {
                HWND front = note_front_window();
                bool fs = front_is_fullscreen(front, window, app_monitor());
                with_app([&](App& app) {
                    // The power status is read every second only while it is drawn; otherwise
                    // the system's power broadcast and a slow read keep it current.
                    double t = monotonic_seconds();
                    bool due = app.battery_shown() || t - ui_power_read_at >= kPowerReadSeconds;
                    if (due) ui_power_read_at = t;
                    app.check_power_and_brief(fs, due);
                });
                check_foreground_app(front);
            } else if (wp == TIMER_PLACE) {
                place_window(window, false);
            }
            return 0;
        case WM_KEYDOWN: {
            bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
            std::optional<WindowEffect> e;
            with_app([&](App& app) { e = app.on_key(static_cast<uint32_t>(LOWORD(wp)), ctrl); });
            run_effect_if(window, e);
            return 0;
        }
        case WM_CHAR: {
            uint32_t c = static_cast<uint32_t>(wp);
            if (c < 0x110000 && (c < 0xD800 || c > 0xDFFF))
                with_app([&](App& app) { app.on_char(static_cast<char32_t>(c)); });
            return 0;
        }
        case WM_MOUSEMOVE: {
            TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, window, 0};
            TrackMouseEvent(&tme);
            float x, y;
            pointer_units(lp, x, y, app_scale());
            std::optional<WindowEffect> e;
            with_app([&](App& app) { e = app.on_pointer_move(x, y); });
            run_effect_if(window, e);
            return 0;
        }
        case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: {
            SetCapture(window);
            float x, y;
            pointer_units(lp, x, y, app_scale());
            std::optional<WindowEffect> e;
            with_app([&](App& app) { e = app.on_pointer_down(x, y); });
            run_effect_if(window, e);
            return 0;
        }
        case WM_LBUTTONUP: {
            ReleaseCapture();
            float x, y;
            pointer_units(lp, x, y, app_scale());
            std::optional<WindowEffect> e;
            with_app([&](App& app) { e = app.on_click(x, y); });
            run_effect_if(window, e);
            return 0;
        }
        case WM_MOUSEWHEEL: {
            int16_t delta = static_cast<int16_t>(HIWORD(wp));
            bool shift = (GET_KEYSTATE_WPARAM(wp) & MK_SHIFT) != 0;
            with_app([&](App& app) { app.on_wheel(delta, shift); });
            return 0;
        }
        case WM_MOUSELEAVE:
            with_app([](App& app) { app.on_pointer_leave(); });
            return 0;
        case WM_ACTIVATE: {
            bool active = LOWORD(wp) != WA_INACTIVE;
            with_app([&](App& app) { app.on_activate(active); });
            return DefWindowProcW(window, msg, wp, lp);
        }
        case WM_SETCURSOR: {
            bool hand = false;
            with_app([&](App& app) {
                hand = app.island.open ? !app.pointer.hovered.is_none() : app.hit_island(app.pointer.x, app.pointer.y);
            });
            SetCursor(LoadCursorW(nullptr, hand ? IDC_HAND : IDC_ARROW));
            return TRUE;
        }
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_POWERBROADCAST:
            if (wp == PBT_APMPOWERSTATUSCHANGE) {
                ui_power_read_at = monotonic_seconds();
                with_app([](App& app) { app.check_power_and_brief(app.island.fullscreen_front, true); });
            }
            return TRUE;
        case WM_DPICHANGED:
            place_window(window, false);
            return 0;
        case WM_DISPLAYCHANGE: case WM_SETTINGCHANGE:
            place_window(window, false);
            return DefWindowProcW(window, msg, wp, lp);
        case WM_DESTROY:
            remove_tray_icon(window);
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, msg, wp, lp);
    }
}

// No exception leaves the window procedure: one that escapes a handler is a
// broken invariant of the user-interface thread, so it ends the process.
LRESULT CALLBACK island_wnd_proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        return handle_message(window, msg, wp, lp);
    } catch (const std::exception& e) {
        write_log(std::string("fatal: ") + e.what());
    } catch (...) {
        write_log("fatal: window procedure");
    }
    std::abort();
}

void CALLBACK on_foreground_changed(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
    try {
        HWND front = note_front_window();
        check_foreground_app(front);
        HWND window = island_hwnd();
        bool fs = front_is_fullscreen(front, window, app_monitor());
        with_app([&](App& app) {
            if (fs != app.island.fullscreen_front) app.check_power_and_brief(fs);
        });
    } catch (...) {
        write_log("fatal: foreground hook");
        std::abort();
    }
}

}  // namespace

// ---- Frame loop -----------------------------------------------------------------------------

namespace {

void frame_loop(HWND window) {
    double last = monotonic_seconds();
    bool took_message = false;  // GetMessageW handed one over; the queue was asked already
    for (;;) {
        MSG msg;
        if (!took_message) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) return;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        took_message = false;
        double t = monotonic_seconds();
        float dt = static_cast<float>(t - last);
        App::TickResult result;
        result.wait = FrameWait::wait_ms(16);
        with_app([&](App& app) { result = app.tick(dt); });
        for (const auto& e : result.effects) run_window_effect(window, e);
        switch (result.wait.tag) {
            case FrameWait::Animate: {
                double before = monotonic_seconds();
                HRESULT hr = DwmFlush();
                if (FAILED(hr) || monotonic_seconds() - before < 0.0015) Sleep(4);
                break;
            }
            case FrameWait::Idle:
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 40, QS_ALLINPUT);
                break;
            case FrameWait::WaitMs:
                if (result.wait.left_to_timers()) {
                    // One request fewer per wake than a timed wait, as an idle
                    // program's own message loop does it.
                    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
                    if (got == 0) return;
                    if (got > 0) {
                        TranslateMessage(&msg);
                        DispatchMessageW(&msg);
                        took_message = true;
                        break;
                    }
                }
                MsgWaitForMultipleObjects(0, nullptr, FALSE, result.wait.ms, QS_ALLINPUT);
                break;
        }
        last = t;
    }
}

// ---- Local modes ------------------------------------------------------------------------------

int run_local_mode(const LocalStart& mode, bool after_update) {
    switch (mode.mode) {
        case LocalMode::MakeIcon:
            (void)write_app_icon_file(mode.output);
            return 0;
        case LocalMode::WakeTest: {
            // A failed runtime start leaves the synthesiser unavailable; the report says so.
            RuntimeInit runtime;
            run_wake_self_test(mode.output);
            return 0;
        }
        case LocalMode::Shots:
            run_shots(mode.output);
            return 0;
        case LocalMode::Selftest:
            run_system_probe(mode.output);
            return 0;
        case LocalMode::UpdateNow: {
            UpdateOutcome outcome = check_and_install(process_check_setup(after_update));
            write_log("update-now: " + update_now_text(outcome));
            return update_now_exit_code(outcome);
        }
        default:
            // Not available in this build: no output, a non-zero exit.
            return 4;
    }
}

// ---- run_main ---------------------------------------------------------------------------------

struct HotKeyCandidate {
    UINT modifiers;
    const char* label;
};

int run_main() {
    std::vector<std::string> args = process_args();
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    StartChoice choice = classify_args(args);
    if (auto* local = std::get_if<LocalStart>(&choice.what)) return run_local_mode(*local, choice.after_update);
    if (auto* remote = std::get_if<RemoteStart>(&choice.what))
        return send_remote_command(static_cast<uint8_t>(remote->kind), remote->payload);

    // From here every paired resource has an owner, so each return releases what
    // was taken, in reverse order.
    // Single instance; after an update the old process gets about 15 s to end. No
    // other call runs between a CreateMutexW and the GetLastError that reads it.
    UniqueHandle mutex(CreateMutexW(nullptr, TRUE, L"Local\\VemoIsland.Single"));
    if (!mutex.valid()) {
        startup_failure(last_error("CreateMutexW"));
        return 0;
    }
    if (choice.after_update) {
        for (int retry = 0; GetLastError() == ERROR_ALREADY_EXISTS && retry < 50; ++retry) {
            mutex.reset();
            Sleep(300);
            mutex.reset(CreateMutexW(nullptr, TRUE, L"Local\\VemoIsland.Single"));
            if (!mutex.valid()) {
                startup_failure(last_error("CreateMutexW"));
                return 0;
            }
        }
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        if (HWND other = FindWindowW(kIslandClassName, nullptr)) PostMessageW(other, WM_APP_SHOW, 0, 0);
        return 0;
    }

    if (!choice.after_update) remove_file(data_file("log.txt"));
    write_log(std::string("Vemo Ada ") + kAppVersion + " starting");

    OleInit ole;
    if (FAILED(ole.result())) {
        startup_failure(win_error("OleInitialize", ole.result()));
        return 0;
    }
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!instance) {
        startup_failure(last_error("GetModuleHandleW"));
        return 0;
    }
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    if (!arrow) {
        startup_failure(last_error("LoadCursorW"));
        return 0;
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = island_wnd_proc;
    wc.hInstance = instance;
    wc.hCursor = arrow;
    wc.lpszClassName = kIslandClassName;
    RegisterClassExW(&wc);
    UiThreadState& ui = ui_thread_state();
    ui.taskbar_created_message = RegisterWindowMessageW(L"TaskbarCreated");

    MonitorPlacement mp = pick_monitor();
    WindowGeometry g = window_geometry(mp.rect, mp.scale, read_ui_scale());
    HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_NOACTIVATE, kIslandClassName,
                                  L"Vemo Ada", WS_POPUP, g.x, g.y, g.width, g.height, nullptr, nullptr, instance,
                                  nullptr);
    if (!window) {
        startup_failure(last_error("CreateWindowExW"));
        return 0;
    }
    auto renderer = create_renderer(g.width, g.height, g.scale);
    if (!renderer) {
        startup_failure(renderer.error());
        return 0;
    }

    // Workers, then the App.
    AppInit init;
    init.window = window;
    init.renderer = std::move(renderer.value());
    init.apps = spawn_apps_thread();
    auto app = std::make_unique<App>(std::move(init));
    app->place(mp.rect, g.x, g.y);
    wake_sensitivity = sensitivity_for_level(app->settings.wake_sens);
    UpdateThreadConfig update_config;
    update_config.check = [after = choice.after_update] { return check_and_install(process_check_setup(after)); };
    update_config.notify = [window] { PostMessageW(window, WM_APP_UPDATE, 0, 0); };
    update_config.cleanup = cleanup_old_exe;
    UpdateWorker updater = spawn_update_thread(std::move(update_config));
    app->attach_update(updater.state, updater.requests);
    GoogleWorkerConfig google_config;
    google_config.notify = [window] { PostMessageW(window, WM_APP_GOOGLE, 0, 0); };
    GoogleWorker google = start_google_worker(std::move(google_config));
    app->google.shared = google.state;
    app->google.tx = google.commands;
    set_chosen_mic(app->settings.mic);
    wake_enabled = app->settings.wake;  // before the listener's first look
    start_wake_thread([window] { PostMessageW(window, WM_APP_WAKE, 0, 0); });
    app->steam.shared = spawn_steam_watcher(steam_machine(), [window] { PostMessageW(window, WM_APP_STEAM, 0, 0); });
    MediaWorker media = start_media_thread(window, WM_APP_MEDIA);
    app->media.shared = media.state;
    app->media.tx = media.commands;
    app->notifs.shared = start_notification_thread(window, WM_APP_NOTIFS);
    app->sysmon.shared = spawn_sysmon_thread([window] { PostMessageW(window, WM_APP_SYSMON, 0, 0); });
    WeatherWorkerConfig weather_config;
    weather_config.bases = weather_bases(get_env(kWeatherTestBaseVariable));
    weather_config.notify = [window] { PostMessageW(window, WM_APP_WEATHER, 0, 0); };
    WeatherWorker weather = spawn_weather_thread(std::move(weather_config), app->settings.city);
    app->weather.shared = weather.state;
    app->weather.tx = weather.cities;
    app->weather.snap = initial_weather_snapshot(app->settings.city);
    if (choice.after_update) {
        app->show_after_start(StartupNotice{"Vemo Ada güncellendi", std::string("v") + kAppVersion + " çalışıyor", 1.5});
        write_log("started after update");
    }

    app->set_wake_model_present(wake_model_exists());

    ui.island_window = window;
    install_app_state(std::move(app));
    with_app([](App& a) {
        a.redraw_all();
        a.watch_hud_sources();
        a.check_power_and_brief(false);
        (void)a.tick(0);
    });
    check_foreground_app(note_front_window());
    ShowWindow(window, SW_SHOWNOACTIVATE);

    UniqueWinEventHook hook(SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                            on_foreground_changed, 0, 0, WINEVENT_OUTOFCONTEXT));
    write_log(std::string("foreground hook ") + (hook ? "ok" : "FAILED"));
    bool tray = add_tray_icon(window, g.scale);

    const HotKeyCandidate search_keys[] = {{MOD_CONTROL | MOD_ALT, "Ctrl + Alt + Boşluk"}, {MOD_WIN | MOD_ALT, "Win + Alt + Boşluk"}};
    const HotKeyCandidate voice_keys[] = {{MOD_CONTROL | MOD_ALT, "Ctrl + Alt + G"}, {MOD_WIN | MOD_SHIFT, "Win + Shift + G"}};
    std::string search_label;
    UniqueHotKey search_hotkey, voice_hotkey;
    for (const auto& c : search_keys)
        if (RegisterHotKey(window, HOTKEY_SEARCH, c.modifiers | MOD_NOREPEAT, VK_SPACE)) {
            search_hotkey = UniqueHotKey(window, HOTKEY_SEARCH);
            search_label = c.label;
            break;
        }
    with_app([&](App& a) { a.set_search_hotkey_label(search_label); });
    for (const auto& c : voice_keys)
        if (RegisterHotKey(window, HOTKEY_VOICE, c.modifiers | MOD_NOREPEAT, 'G')) {
            voice_hotkey = UniqueHotKey(window, HOTKEY_VOICE);
            std::string label = c.label;
            with_app([&](App& a) { a.set_voice_hotkey_label(label); });
            write_log("voice hotkey " + label);
            break;
        }

    DropSink sink;
    sink.with_app = [](const std::function<void(DropApp&)>& use) {
        return with_app([&](App& a) {
            DropApp d{a.island.drag_hover, a.island.drag_out, a.pointer.inside, a.now, a.pointer.close_deadline, a.drawing.redraw,
                      [&a] { a.on_drag_enter(); },
                      [&a](std::vector<std::string> paths) { a.on_drop(std::move(paths)); }};
            use(d);
        });
    };
    auto drop_target = make_shelf_drop_target(window, sink);
    bool dragdrop = drop_target && SUCCEEDED(register_shelf_drop_target(window, drop_target.Get()));
    bool clipboard = AddClipboardFormatListener(window) != FALSE;
    write_log(placement_log_line(mp.rect, g.scale, g, tray, search_label, dragdrop, clipboard));
    SetTimer(window, TIMER_HUD_POLL, 150, nullptr);
    SetTimer(window, TIMER_SECOND, FrameWait::kSecondTimerMs, nullptr);
    SetTimer(window, TIMER_PLACE, 3000, nullptr);
    TimerPeriod timer_period(1);

    frame_loop(window);

    // The window is gone. What came after the App goes first, in reverse order;
    // then the App and the drop target, while OLE still runs.
    timer_period.reset();
    revoke_shelf_drop_target(window);
    voice_hotkey.reset();
    search_hotkey.reset();
    hook.reset();
    take_app_state().reset();
    drop_target.Reset();
    return 0;
}

}  // namespace

int wmain(int, wchar_t**) { return run_main(); }
