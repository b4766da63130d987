#include <gtest/gtest.h>

#include "app.h"
#include "gfx_record.h"
#include "main.h"
#include "main_win.h"
#include "sys_radio.h"
#include "test_support.h"

namespace {

std::vector<UINT> g_seen;
std::optional<std::string> g_radio_text;

LRESULT CALLBACK record_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_APP_RADIO) {
        g_radio_text = take_radio_result(static_cast<intptr_t>(lp));
        return 0;
    }
    if (m == WM_SYSCOMMAND && (wp & 0xFFF0) == SC_MONITORPOWER) {
        g_seen.push_back(m);
        return 0;
    }
    return DefWindowProcW(w, m, wp, lp);
}

HWND make_window(const wchar_t* title) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = record_proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VemoEffectTest";
        RegisterClassW(&wc);
        registered = true;
    }
    return CreateWindowExW(0, L"VemoEffectTest", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

void pump_until(const std::function<bool()>& done, int ms) {
    for (int waited = 0; waited < ms && !done(); waited += 10) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }
}

// An island window with a quiet App in the thread's slot.
struct Island {
    ScopedDataDir data;
    HWND window = make_window(L"island");
    Island() {
        auto r = std::make_unique<RecordingRenderer>(1.0f);
        (void)r->resize_dib(10, 10, 1.0f);
        AppInit init;
        init.quiet = true;
        init.window = window;
        init.renderer = std::move(r);
        install_app_state(std::make_unique<App>(std::move(init)));
        ui_thread_state().island_window = window;
        ui_thread_state().previous_foreground = nullptr;
    }
    ~Island() {
        take_app_state().reset();
        DestroyWindow(window);
    }
    App& app() { return *ui_thread_state().app; }
};

}  // namespace

TEST(WindowEffects, FocusIslandRemembersTheForegroundAndFocusesSearch) {
    Island island;
    HWND other = make_window(L"editor");
    SetForegroundWindow(other);
    island.app().island.open = true;
    island.app().island.page = Page::Search;
    run_window_effect(island.window, effect::FocusIsland{});
    EXPECT_EQ(ui_thread_state().previous_foreground, other);
    EXPECT_EQ(island.app().island.focus, TextField::Search);
    // Focusing again while the island is in front keeps the earlier window.
    SetForegroundWindow(island.window);
    run_window_effect(island.window, effect::FocusIsland{});
    EXPECT_EQ(ui_thread_state().previous_foreground, other);

    SetForegroundWindow(island.window);
    run_window_effect(island.window, effect::RestoreFocus{});
    EXPECT_EQ(GetForegroundWindow(), other);

    // A closed window is not given the focus back.
    SetForegroundWindow(island.window);
    DestroyWindow(other);
    run_window_effect(island.window, effect::RestoreFocus{});
    EXPECT_EQ(GetForegroundWindow(), island.window);
}

TEST(WindowEffects, DragShelfItemTidiesTheShelfEvenWithABadIndex) {
    Island island;
    App& app = island.app();
    std::string kept = path_join(island.data.dir, "kalan.txt");
    std::string gone = path_join(island.data.dir, "giden.txt");
    ASSERT_TRUE(write_file_atomic(kept, "x").ok());
    ASSERT_TRUE(write_file_atomic(gone, "x").ok());
    app.add_to_shelf({kept, gone}, false);
    ASSERT_EQ(app.lists.shelf.size(), 2u);
    remove_file(gone);
    app.island.drag_out = true;
    app.island.open = true;
    app.pointer.inside = false;
    run_window_effect(island.window, effect::DragShelfItem{7});
    EXPECT_FALSE(app.island.drag_out);
    ASSERT_EQ(app.lists.shelf.size(), 1u) << "a file that left its place leaves the shelf";
    EXPECT_EQ(app.lists.shelf[0].path, kept);
    ASSERT_TRUE(app.pointer.close_deadline.has_value());
    EXPECT_DOUBLE_EQ(*app.pointer.close_deadline, app.now + 0.5);
}

TEST(WindowEffects, RepositionPlacesTheWindowOnTheMonitor) {
    Island island;
    App& app = island.app();
    app.drawing.monitor = RectI{};
    app.drawing.redraw = false;
    run_window_effect(island.window, effect::Reposition{});
    MonitorPlacement mp = pick_monitor();
    EXPECT_EQ(app.drawing.monitor, mp.rect);
    WindowGeometry g = window_geometry(mp.rect, mp.scale, 1.0f);
    EXPECT_EQ(app.drawing.window_x, g.x);
    EXPECT_EQ(app.drawing.renderer->pixel_width(), g.width);
    EXPECT_TRUE(app.drawing.redraw);
    EXPECT_TRUE(app.drawing.full_present);
}

TEST(WindowEffects, SetRadioPostsItsResultTextToTheWindow) {
    Island island;
    g_radio_text.reset();
    run_window_effect(island.window, effect::SetRadio{true, true});
    pump_until([] { return g_radio_text.has_value(); }, 20000);
    ASSERT_TRUE(g_radio_text.has_value());
    // No radio class under Wine; on Windows the text names the outcome.
    EXPECT_NE(g_radio_text->find("Wi\u2011Fi"), std::string::npos) << *g_radio_text;
    EXPECT_EQ(radio_results_in_flight(), 0);
}

TEST(WindowEffects, MonitorOffAsksTheWindowToPowerDown) {
    Island island;
    g_seen.clear();
    run_window_effect(island.window, effect::MonitorOff{});
    pump_until([] { return !g_seen.empty(); }, 2000);
    EXPECT_EQ(g_seen.size(), 1u);
}

TEST(WindowEffects, OpenUrlOfAMissingTargetFailsQuietly) {
    Island island;
    run_window_effect(island.window, effect::OpenUrl{path_join(island.data.dir, "yok-böyle-dosya.xyz"), std::nullopt});
    SUCCEED();
}

namespace {
std::vector<DWORD> g_keys;
LRESULT CALLBACK key_hook(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && (wp == WM_KEYDOWN || wp == WM_SYSKEYDOWN))
        g_keys.push_back(reinterpret_cast<KBDLLHOOKSTRUCT*>(lp)->vkCode);
    return CallNextHookEx(nullptr, code, wp, lp);
}
}  // namespace

TEST(WindowEffects, ShowDesktopPressesWinAndD) {
    Island island;
    g_keys.clear();
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, key_hook, GetModuleHandleW(nullptr), 0);
    ASSERT_NE(hook, nullptr);
    run_window_effect(island.window, effect::ShowDesktop{});
    pump_until([] { return g_keys.size() >= 2; }, 3000);
    UnhookWindowsHookEx(hook);
    ASSERT_GE(g_keys.size(), 2u);
    EXPECT_EQ(g_keys[0], static_cast<DWORD>(VK_LWIN));
    EXPECT_EQ(g_keys[1], static_cast<DWORD>('D'));
}
