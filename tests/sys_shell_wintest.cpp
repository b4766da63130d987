// Shell and desktop services against the Windows registry and shell: the
// autostart entry, the theme values, ShellExecute, the default browser and
// the window in front.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "sys_os.h"
#include "sys_shell.h"
#include "sys_win.h"
#include "test_support.h"

namespace {

const wchar_t* kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t* kPersonalize = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

std::optional<std::wstring> read_run_value() {
    wchar_t buf[2048];
    DWORD size = sizeof buf, type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kRun, L"VemoIsland", RRF_RT_ANY, &type, buf, &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_SZ) return L"<not REG_SZ>";
    return std::wstring(buf, size / sizeof(wchar_t) - 1);
}

std::optional<DWORD> read_theme_value(const wchar_t* name) {
    DWORD v = 0, size = sizeof v;
    if (RegGetValueW(HKEY_CURRENT_USER, kPersonalize, name, RRF_RT_REG_DWORD, nullptr, &v, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return v;
}

void ensure_key(const wchar_t* path) {
    UniqueHkey k;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.put(), nullptr),
              ERROR_SUCCESS);
}

TEST(ShellOnWindows, AutostartWritesTheQuotedExecutableAndRemovesIt) {
    ensure_key(kRun);
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    ASSERT_GT(n, 0u);

    set_autostart(true);
    EXPECT_EQ(read_run_value(), L"\"" + std::wstring(exe, n) + L"\"");
    set_autostart(false);
    EXPECT_FALSE(read_run_value().has_value());
    set_autostart(false);  // no value: nothing to do, nothing breaks
    EXPECT_FALSE(read_run_value().has_value());
}

TEST(ShellOnWindows, DarkModeWritesBothPersonalizeValues) {
    ensure_key(kPersonalize);
    set_dark_mode(true);
    EXPECT_EQ(read_theme_value(L"AppsUseLightTheme"), 0u);
    EXPECT_EQ(read_theme_value(L"SystemUsesLightTheme"), 0u);
    set_dark_mode(false);
    EXPECT_EQ(read_theme_value(L"AppsUseLightTheme"), 1u);
    EXPECT_EQ(read_theme_value(L"SystemUsesLightTheme"), 1u);
}

TEST(ShellOnWindows, ShellOpenRunsAFileAndRefusesAMissingOne) {
    std::string dir = test_temp_dir();  // batch files are read in the OEM code page: ASCII only
    std::string marker = path_join(dir, "ran.txt");
    std::string script = path_join(dir, "yaz.bat");
    ASSERT_TRUE(write_file_atomic(script, "@echo ok> \"" + marker + "\"\r\n").ok());

    EXPECT_TRUE(shell_open(script));
    bool ran = false;
    for (int i = 0; i < 200 && !ran; ++i) {
        ran = file_exists(marker);
        if (!ran) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(ran) << "the shell started the file";

    EXPECT_FALSE(shell_open(path_join(dir, "yok.bat")));
}

TEST(ShellOnWindows, DefaultBrowserIsReadFromTheUserChoiceWhateverItsCase) {
    const wchar_t* user_choice = L"Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\http\\UserChoice";
    const wchar_t prog_id[] = L"VemoTestBrowserURL";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, user_choice, L"ProgId", REG_SZ, prog_id, sizeof prog_id), ERROR_SUCCESS);
    const wchar_t command[] = L"C:\\P\\APP.EXE %1";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CLASSES_ROOT, L"VemoTestBrowserURL\\shell\\open\\command", nullptr, REG_SZ, command,
                              sizeof command),
              ERROR_SUCCESS);
    EXPECT_EQ(lookup_default_browser(), std::optional<std::string>("app.exe"));

    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"VemoTestBrowserURL");
    EXPECT_FALSE(lookup_default_browser().has_value()) << "a ProgId without a command names no browser";
    RegDeleteKeyValueW(HKEY_CURRENT_USER, user_choice, L"ProgId");
    EXPECT_FALSE(lookup_default_browser().has_value());
}

TEST(ShellOnWindows, WindowInFront) {
    HWND window = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"front", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    SetForegroundWindow(window);
    if (GetForegroundWindow() != window) {
        DestroyWindow(window);
        GTEST_SKIP() << "no foreground window on this display";
    }
    ForegroundApp front = foreground_exe_name(nullptr);
    EXPECT_TRUE(front.is_self) << "a window of this process";
    EXPECT_TRUE(front.name.empty());

    EXPECT_TRUE(is_foreground_fullscreen(nullptr, {0, 0, 640, 480}));
    EXPECT_TRUE(is_foreground_fullscreen(nullptr, {10, 10, 600, 400}));
    EXPECT_FALSE(is_foreground_fullscreen(nullptr, {0, 0, 1920, 1080}));
    EXPECT_FALSE(is_foreground_fullscreen(window, {0, 0, 640, 480})) << "the island itself is never full-screen";
    DestroyWindow(window);
}

}  // namespace
