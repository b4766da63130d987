// The tray's popup menu as Windows holds it: built by create_tray_menu from an
// App's menu and read back item by item with GetMenuItemInfoW and GetMenuState.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app.h"
#include "main_tray.h"
#include "main_win.h"
#include "sys_win.h"
#include "test_support.h"
#include "wake.h"

namespace {

// One line per item: the id, the label and the states; "---" for a separator,
// a submenu's items indented under its "> label" line.
void read_menu(HMENU menu, const std::string& indent, std::vector<std::string>& out) {
    int count = GetMenuItemCount(menu);
    for (int pos = 0; pos < count; ++pos) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        ASSERT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &info)) << pos;
        if (info.fType & MFT_SEPARATOR) {
            out.push_back(indent + "---");
            continue;
        }
        std::wstring label(info.cch + 1, L'\0');
        info.dwTypeData = label.data();
        info.cch = static_cast<UINT>(label.size());
        ASSERT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &info)) << pos;
        label.resize(info.cch);
        if (info.hSubMenu) {
            out.push_back(indent + "> " + narrow(label));
            read_menu(info.hSubMenu, indent + "  ", out);
            continue;
        }
        std::string line = indent + std::to_string(info.wID) + " " + narrow(label);
        if (info.fState & MFS_CHECKED) line += " [x]";
        if (info.fState & MFS_GRAYED) line += " [grey]";
        out.push_back(line);
    }
}

std::vector<std::string> menu_lines(HMENU menu) {
    std::vector<std::string> out;
    read_menu(menu, "", out);
    return out;
}

struct TrayMenuOnWindows : ::testing::Test {
    ScopedDataDir data;
    std::unique_ptr<App> app;

    void SetUp() override {
        AppInit init;
        init.quiet = true;
        app = std::make_unique<App>(std::move(init));
        app->set_wake_model_present(wake_model_exists());  // as the host does at start-up
        app->set_search_hotkey_label("Ctrl + Alt + Boşluk");
        app->voice.microphones = {"", "USB Mikrofon"};
    }

    UniqueMenu build(bool autostart) {
        UniqueMenu menu = create_tray_menu(build_tray_menu(app.get(), autostart));
        EXPECT_TRUE(menu);
        return menu;
    }
};

TEST_F(TrayMenuOnWindows, ItemsAndStatesBeforeAndAfterAWakeWordIsTaughtAndWithDoNotDisturb) {
    std::vector<std::string> want = {
        "1 Adayı aç",
        "3 Ara (Ctrl + Alt + Boşluk)",
        "4 Adayı gizle (kısayol ve tepsi çalışır)",
        "6 Sesli asistan",
        "7 Google ile bağlan",
        "10 “Hey Google” ile uyandır [grey]",
        "8 “Hey Google”u öğret (3 kez söyle)",
        "> Mikrofon",
        "  100 Windows varsayılanı [x]",
        "  101 USB Mikrofon",
        "> “Hey Google” hassasiyeti",
        "  13 Düşük (yanlış uyanma az)",
        "  14 Normal [x]",
        "  15 Yüksek (uzaktan da duyar)",
        "12 Rahatsız etme",
        "11 Web sitesi (vemo.app)",
        "2 Windows ile başlat",
        "5 Güncellemeleri denetle",
        "---",
        "9 Çıkış",
    };
    UniqueMenu untaught = build(false);
    EXPECT_EQ(menu_lines(untaught.get()), want);
    // By command, as the shell reads it: the switch is greyed and unchecked.
    UINT wake = GetMenuState(untaught.get(), MENU_WAKE_TOGGLE, MF_BYCOMMAND);
    EXPECT_TRUE(wake & MF_GRAYED);
    EXPECT_FALSE(wake & MF_CHECKED);

    // One wake word taught (the switch is on by default), a microphone chosen,
    // autostart on.
    WakeModel model;
    model.templates.assign(1, WakeTemplate(30));
    model.threshold = 0.4f;
    ASSERT_TRUE(save_wake_model(model));
    app->set_wake_model_present(wake_model_exists());
    app->settings.mic = "USB Mikrofon";
    want[5] = "10 “Hey Google” ile uyandır [x]";
    want[6] = "8 “Hey Google”u yeniden öğret";
    want[8] = "  100 Windows varsayılanı";
    want[9] = "  101 USB Mikrofon [x]";
    want[16] = "2 Windows ile başlat [x]";
    UniqueMenu taught = build(true);
    EXPECT_EQ(menu_lines(taught.get()), want);
    wake = GetMenuState(taught.get(), MENU_WAKE_TOGGLE, MF_BYCOMMAND);
    EXPECT_FALSE(wake & MF_GRAYED);
    EXPECT_TRUE(wake & MF_CHECKED);

    // Do-not-disturb and the wake word's switch flipped from the menu's handlers,
    // the sensitivity raised, the island hidden.
    app->toggle_do_not_disturb();
    app->toggle_wake_word();
    set_wake_sensitivity(*app, MENU_SENSITIVITY_BASE + 2);
    app->toggle_hidden();
    want[2] = "4 Adayı göster";
    want[5] = "10 “Hey Google” ile uyandır";
    want[12] = "  14 Normal";
    want[13] = "  15 Yüksek (uzaktan da duyar) [x]";
    want[14] = "12 Rahatsız etme [x]";
    want[16] = "2 Windows ile başlat";
    UniqueMenu quiet = build(false);
    EXPECT_EQ(menu_lines(quiet.get()), want);
    EXPECT_TRUE(GetMenuState(quiet.get(), MENU_DND, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(quiet.get(), MENU_SENSITIVITY_BASE + 2, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(quiet.get(), MENU_WAKE_TOGGLE, MF_BYCOMMAND) & (MF_CHECKED | MF_GRAYED));
}

TEST_F(TrayMenuOnWindows, TheFallbackMenuWhenTheAppIsBusy) {
    UniqueMenu menu = create_tray_menu(build_tray_menu(nullptr, false));
    ASSERT_TRUE(menu);
    std::vector<std::string> lines = menu_lines(menu.get());
    ASSERT_EQ(lines.size(), 18u);
    EXPECT_EQ(lines[1], "3 Ara");
    EXPECT_EQ(lines[5], "10 “Hey Google” ile uyandır [grey]");
    // No microphone list to offer, no level to check.
    EXPECT_EQ(lines[7], "> Mikrofon");
    EXPECT_EQ(lines[8], "> “Hey Google” hassasiyeti");
    EXPECT_EQ(lines[9], "  13 Düşük (yanlış uyanma az)");
    EXPECT_EQ(lines[10], "  14 Normal");
    EXPECT_EQ(lines[11], "  15 Yüksek (uzaktan da duyar)");
}

}  // namespace
