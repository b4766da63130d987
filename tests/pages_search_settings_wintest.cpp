// The search and settings pages under the Direct2D renderer, reached as a user
// reaches them and drawn through App::render into PNG files in "island_shots"
// beside the test program; and the launcher against the real shell: a
// shortcut placed in the Start menu is found by part of its name from the
// search hot key's entry and started with Enter.
#include <windows.h>

#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app.h"
#include "gfx.h"
#include "island_user_support.h"
#include "search.h"
#include "sys_image.h"
#include "sys_os.h"
#include "sys_shell.h"
#include "sys_win.h"
#include "shot_support.h"
#include "test_support.h"
#include "ui_frame.h"

namespace {

using Microsoft::WRL::ComPtr;

constexpr uint16_t kKeyEnter = 13;

struct SearchSettingsShots : ::testing::Test {
    ComInit com;  // the image encoder is a COM object
    ScopedDataDir data;
    std::unique_ptr<App> app;
    Renderer* g = nullptr;

    void SetUp() override {
        auto made = create_renderer(static_cast<int>(900 * kShotScale), static_cast<int>(470 * kShotScale), kShotScale);
        ASSERT_TRUE(made) << made.error().message;
        g = made.value().get();
        AppInit init;
        init.quiet = true;
        init.renderer = std::move(made.value());
        app = std::make_unique<App>(std::move(init));
        app->now = 100.3;
    }

    // One whole frame through App::render, saved; the page body's rectangle in island units.
    // A focused field's caret blinks for ever: 40 frames let the springs come to rest without waiting on it.
    RectF shoot(const std::string& name) {
        island_user::settle(*app, 40);
        app->drawing.full_present = true;
        app->drawing.redraw = true;
        app->tick(island_user::kFrame);
        GdiFlush();
        const FrameGeometry fg = frame_geometry(*app);
        save_png(*g, pixel_box(*g, fg.x - 16, 0, fg.w + 32, fg.h + 24), name);
        return {fg.x + 24, 8 + 56, fg.w - 48, fg.h - 122};
    }
};

// The Start menu's programs folder of this user.
std::wstring start_menu_programs() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return path;
}

// A shell link at `lnk` that runs `target` with `args`.
bool write_shortcut(const std::wstring& lnk, const std::wstring& target, const std::wstring& args) {
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)))) return false;
    if (FAILED(link->SetPath(target.c_str())) || FAILED(link->SetArguments(args.c_str()))) return false;
    ComPtr<IPersistFile> file;
    if (FAILED(link.As(&file))) return false;
    return SUCCEEDED(file->Save(lnk.c_str(), TRUE));
}

bool wait_for(const std::function<bool()>& done, int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

}  // namespace

TEST_F(SearchSettingsShots, SearchAndSettingsPages) {
    app->set_search_hotkey_label("Ctrl + Alt + Boşluk");
    ASSERT_TRUE(island_user::open_on_page(*app, Page::Search, 90)) << "the search dock icon";
    RectF body = shoot("open_search_empty");
    EXPECT_GT(ink(*g, pixel_box(*g, body.x, body.y + 54, body.w, 28)), 200) << "the hint";

    // The user clicks the field and types; the calculator row answers.
    ASSERT_TRUE(island_user::click_action(*app, Action::byte(ActionKind::Field, uint8_t(TextField::Search)), 40));
    for (char32_t c : U"12*4") app->on_char(c);
    ASSERT_FALSE(app->search_page.rows.empty());
    EXPECT_EQ(app->search_page.rows[0].title, "= 48");
    body = shoot("open_search_calc");
    EXPECT_GT(ink(*g, pixel_box(*g, body.x + 48, body.y + 54, 200, 40)), 100) << "= 48";

    // Rows of every kind, one of them with a title too long for its place.
    app->search_page.rows = {
        {SearchRowKind::App, "Vemo.Uzun", "Öğretmenler İçin Ölçme ve Değerlendirme Yardımcısı Güncelleştirme Şifre Yöneticisi Çalıştırıcı", "Uygulama"},
        {SearchRowKind::Setting, "ms-settings:bluetooth", "Bluetooth ve cihazlar", "Ayar"},
        {SearchRowKind::Reminder, "10 dk sonra çay", "Hatırlatıcı: çay", "10 dk sonra"},
        {SearchRowKind::Gemini, "çay nasıl demlenir", "Gemini'ye sor: çay nasıl demlenir", "Asistan"},
        {SearchRowKind::Link, "https://vemo.app", "vemo.app", "Bağlantı"},
        {SearchRowKind::Web, "çay", "“çay” için web'de ara", "Web"},
    };
    app->search_page.sel = 1;
    body = shoot("open_search_rows");
    EXPECT_GT(ink(*g, pixel_box(*g, body.x, body.y + 54 + 40 * 5, body.w, 40)), 100) << "the last row";
    // The long title stops before the label's column.
    EXPECT_EQ(ink(*g, pixel_box(*g, body.x + body.w - 190, body.y + 54 + 8, 60, 24)), 0) << "title runs into the label";

    app->set_search_hotkey_label("");
    ASSERT_TRUE(island_user::open_on_page(*app, Page::Settings, 90)) << "the settings dock icon";
    app->on_pointer_move(450, 200);  // off the dock, so its tooltip is not in the picture
    body = shoot("open_settings");
    EXPECT_GT(ink(*g, pixel_box(*g, body.x, body.y, body.w, 176)), 2000) << "the switches";
    EXPECT_GT(ink(*g, pixel_box(*g, body.x, body.y + 227, body.w, 34)), 300) << "the microphone row";
    EXPECT_GT(ink(*g, pixel_box(*g, body.x, body.y + 271, body.w, 24)), 300) << "the about line and buttons";
}

// The launcher against the real shell: the apps index as the "apps" thread
// fills it, the hot key's entry (open_search), typed characters and Enter.
TEST_F(SearchSettingsShots, StartMenuShortcutIsFoundAndStarted) {
    const std::wstring programs = start_menu_programs();
    ASSERT_FALSE(programs.empty());
    const std::string marker = path_join(data.dir, "started.txt");
    const std::wstring lnk = programs + L"\\Zeplinkuş Defteri.lnk";
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    ASSERT_TRUE(write_shortcut(lnk, std::wstring(system) + L"\\cmd.exe", L"/c echo ok> \"" + widen(marker) + L"\""));

    // An island whose apps index comes from the shell, as the host builds it.
    AppInit init;
    init.quiet = true;
    init.apps = spawn_apps_thread();
    App island(std::move(init));
    ASSERT_TRUE(wait_for([&] { return island.search_page.apps.snapshot().value_or(AppsIndex{}).ready; }, 60));

    island.open_search();
    ASSERT_TRUE(island.island.open);
    ASSERT_EQ(island.island.page, Page::Search);
    ASSERT_EQ(island.island.focus, TextField::Search);
    // The calculator from the hot key's entry.
    for (char32_t c : U"12*4") island.on_char(c);
    ASSERT_FALSE(island.search_page.rows.empty());
    EXPECT_EQ(island.search_page.rows[0].title, "= 48");
    island.on_key(27, false);  // Esc empties the field

    const AppListRef listed = published_apps(island.search_page.apps);
    const bool shortcut_listed = std::any_of(listed->begin(), listed->end(),
                                             [](const AppEntry& a) { return a.name == "Zeplinkuş Defteri"; });
    if (!shortcut_listed) {
        DeleteFileW(lnk.c_str());
        GTEST_SKIP() << "this shell's Applications folder does not list Start-menu shortcuts (" << listed->size()
                     << " apps listed)";
    }
    for (char32_t c : U"zeplink") island.on_char(c);
    ASSERT_FALSE(island.search_page.rows.empty());
    const SearchRow first = island.search_page.rows[0];
    EXPECT_EQ(first.kind, SearchRowKind::App);
    EXPECT_EQ(first.title, "Zeplinkuş Defteri");

    const std::optional<WindowEffect> e = island.on_key(kKeyEnter, false);
    const auto* open = e ? std::get_if<effect::OpenUrl>(&*e) : nullptr;
    ASSERT_TRUE(open);
    EXPECT_EQ(open->target, "shell:AppsFolder\\" + first.target);
    // The host hands the target to the shell, which runs the shortcut.
    EXPECT_TRUE(shell_open(open->target, open->params));
    EXPECT_TRUE(wait_for([&] { return read_file(marker).has_value(); }, 20)) << "the shortcut's program did not run";
    DeleteFileW(lnk.c_str());
}
