#include <gtest/gtest.h>

#include "app.h"
#include "sys_win.h"
#include "test_support.h"

namespace {
const wchar_t* kPersonalize = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
const wchar_t* kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::unique_ptr<App> build_app() {
    AppInit init;
    return std::make_unique<App>(std::move(init));
}
}  // namespace

TEST(AppOnWindows, ReadsThemeAndAutostartFromTheRegistry) {
    ScopedDataDir data;
    DWORD light = 0;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kPersonalize, L"AppsUseLightTheme", REG_DWORD, &light, sizeof light),
              ERROR_SUCCESS);
    const wchar_t exe[] = L"\"C:\\VemoIsland\\VemoIsland.exe\"";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kRun, L"VemoIsland", REG_SZ, exe, sizeof exe), ERROR_SUCCESS);
    auto dark = build_app();
    EXPECT_TRUE(dark->settings.dark_mode);
    EXPECT_TRUE(dark->settings.autostart);

    light = 1;
    RegSetKeyValueW(HKEY_CURRENT_USER, kPersonalize, L"AppsUseLightTheme", REG_DWORD, &light, sizeof light);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun, L"VemoIsland");
    auto bright = build_app();
    EXPECT_FALSE(bright->settings.dark_mode);
    EXPECT_FALSE(bright->settings.autostart);

    RegDeleteKeyValueW(HKEY_CURRENT_USER, kPersonalize, L"AppsUseLightTheme");
    auto missing = build_app();
    EXPECT_FALSE(missing->settings.dark_mode) << "a missing value means light";
    EXPECT_LE(missing->island.battery, 100);
}

#include "sys_clipboard.h"

TEST(AppOnWindows, ClipboardHistoryReadsTheRealClipboard) {
    ScopedDataDir data;
    HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    AppInit init;
    init.window = owner;
    auto app = std::make_unique<App>(std::move(init));
    app->now = 5;
    set_clipboard_text(owner, "Panodaki İstanbul metni");
    app->on_clipboard_update();
    ASSERT_EQ(app->lists.clips.size(), 1u);
    EXPECT_EQ(std::get<ClipEntry::Text>(app->lists.clips[0].kind).text, "Panodaki İstanbul metni");
    EXPECT_EQ(app->notices.title, "Panodaki İstanbul metni");
    DestroyWindow(owner);
}
