// The pure rules behind the desktop queries: keyboard-layout languages, which
// programs count as browsers, the default browser's registered command, the
// order of synthetic keys and which windows count as full-screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sys_desktop.h"
#include "sys_shell.h"

namespace {

TEST(KeyboardLanguage, PrimaryLanguageSelectsTheCode) {
    struct Case {
        uint32_t language_id;
        const char* code;
    } cases[] = {
        {0x041F, "TR"}, {0x0409, "EN"}, {0x0809, "EN"},  // English (UK): same primary language
        {0x0407, "DE"}, {0x042C, "AZ"}, {0x082C, "AZ"},  // Azerbaijani, Latin and Cyrillic
        {0x0422, "UK"}, {0x0429, "FA"}, {0x0C04, "ZH"},
        {0x0426, "??"},  // Latvian is not in the table
        {0x0000, ""},    // neutral
        {0x0400, ""},    // sub-language bits alone stay neutral
        {0x003F, "??"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(language_code_of(static_cast<uint16_t>(c.language_id)), c.code) << std::hex << c.language_id;
}

TEST(Browsers, NamesAreComparedAfterLowerCasing) {
    const std::optional<std::string> none;
    EXPECT_TRUE(is_browser_exe_with("Chrome.EXE", none));
    EXPECT_TRUE(is_browser_exe_with("MyBrowserApp.exe", none)) << "contains \"browser\"";
    EXPECT_TRUE(is_browser_exe_with("VortexNet.exe", none)) << "begins with \"vortex\"";
    EXPECT_TRUE(is_browser_exe_with("opera_gx.exe", none));
    EXPECT_FALSE(is_browser_exe_with("myvortex.exe", none)) << "vortex only counts at the start";
    EXPECT_FALSE(is_browser_exe_with("chrome", none)) << "the list holds whole file names";
    EXPECT_FALSE(is_browser_exe_with("", std::optional<std::string>("")));
}

TEST(Browsers, DefaultBrowserCountsOnlyWhenItIsTheDefault) {
    EXPECT_FALSE(is_browser_exe_with("notepad.exe", std::nullopt));
    EXPECT_FALSE(is_browser_exe_with("notepad.exe", std::optional<std::string>("web.exe")));
    EXPECT_TRUE(is_browser_exe_with("NotePad.exe", std::optional<std::string>("notepad.exe")));
}

TEST(DefaultBrowserCommand, ProgramFileNameIsTakenFromTheCommandLine) {
    struct Case {
        const char* command;
        std::optional<std::string> exe;
    } cases[] = {
        {R"("C:\Program Files\App\App.exe" --single-argument %1)", "app.exe"},
        {R"(C:\Tools\Web.exe %1)", "web.exe"},
        // The extension is found whatever its case.
        {R"(C:\P\APP.EXE %1)", "app.exe"},
        {R"(C:\Program Files\Some Browser\Surf.Exe -url "%1")", "surf.exe"},
        {R"("C:/apps/fox.exe)", "fox.exe"},  // no closing quote: up to the end
        {R"("C:\apps\launcher.cmd" %1)", std::nullopt},
        {R"(C:\apps\tool)", "tool.exe"},  // no ".exe" at all: the whole command with ".exe"
        {R"("")", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(browser_exe_from_command(c.command), c.exe) << c.command;
}

TEST(SyntheticKeys, KeysGoDownInOrderAndUpInReverse) {
    auto strokes = key_strokes({0x5B, 0x44});  // Windows + D
    ASSERT_EQ(strokes.size(), 4u);
    const KeyStroke expected[] = {{0x5B, false, true}, {0x44, false, false}, {0x44, true, false}, {0x5B, true, true}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(strokes[i].vk, expected[i].vk) << i;
        EXPECT_EQ(strokes[i].up, expected[i].up) << i;
        EXPECT_EQ(strokes[i].extended, expected[i].extended) << i;
    }
    EXPECT_TRUE(key_strokes({}).empty());
}

TEST(SyntheticKeys, OnlyTrackAndPlayKeysAndTheWindowsKeyAreExtended) {
    struct Case {
        uint16_t vk;
        bool extended;
    } cases[] = {{0xB0, true}, {0xB1, true}, {0xB3, true}, {0x5B, true},
                 {0xB2, false},  // media stop
                 {0x5C, false},  // right Windows key
                 {0x20, false}};
    for (const auto& c : cases) {
        auto strokes = key_strokes({c.vk});
        ASSERT_EQ(strokes.size(), 2u);
        EXPECT_EQ(strokes[0].extended, c.extended) << std::hex << c.vk;
        EXPECT_EQ(strokes[1].extended, c.extended) << std::hex << c.vk;
    }
}

TEST(FullScreen, ShellWindowsNeverCountAndTheWindowMustCoverTheMonitor) {
    EXPECT_TRUE(is_shell_window_class("Progman"));
    EXPECT_TRUE(is_shell_window_class("Shell_SecondaryTrayWnd"));
    EXPECT_FALSE(is_shell_window_class("progman")) << "class names compare exactly";
    EXPECT_FALSE(is_shell_window_class("Chrome_WidgetWin_1"));

    const ScreenRect monitor{1920, 0, 3840, 1080};
    EXPECT_TRUE(covers_monitor({1920, 0, 3840, 1080}, monitor));
    EXPECT_TRUE(covers_monitor({1912, -8, 3848, 1088}, monitor)) << "a maximised window's border overhangs";
    EXPECT_FALSE(covers_monitor({1920, 0, 3840, 1040}, monitor)) << "leaves the taskbar";
    EXPECT_FALSE(covers_monitor({0, 0, 1920, 1080}, monitor)) << "another monitor";
}

}  // namespace
