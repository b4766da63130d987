// The tray menu's items and states, and its handlers over a quiet App.
#include <string>

#include <gtest/gtest.h>

#include "app_fixture.h"
#include "main_tray.h"
#include "sys_version.h"
#include "wake.h"

namespace {

const TrayMenuItem* find_item(const std::vector<TrayMenuItem>& items, const std::string& label) {
    for (const TrayMenuItem& i : items)
        if (i.label == label) return &i;
    return nullptr;
}

std::vector<uint32_t> ids(const TrayMenu& m) {
    std::vector<uint32_t> out;
    for (const TrayMenuItem& i : m.items) out.push_back(i.separator ? 999 : i.id);
    return out;
}

}  // namespace

using TrayMenuTest = AppFixture;

TEST_F(TrayMenuTest, ItemsInOrderWithTheFallbackLabelsWhenTheAppIsBusy) {
    TrayMenu m = build_tray_menu(nullptr, true);
    EXPECT_EQ(ids(m), (std::vector<uint32_t>{1, 3, 4, 6, 7, 10, 8, 0, 0, 12, 11, 2, 5, 999, 9}));
    EXPECT_EQ(m.items[1].label, "Ara");
    EXPECT_EQ(m.items[4].label, "Google ile bağlan");
    EXPECT_TRUE(m.items[5].greyed);
    EXPECT_FALSE(m.items[5].checked);
    EXPECT_EQ(m.items[10].label, "Web sitesi (vemo.app)");
    EXPECT_TRUE(m.items[11].checked);  // autostart value exists
    EXPECT_EQ(m.items[14].label, "Çıkış");
}

TEST_F(TrayMenuTest, LabelsAndStatesFollowTheApp) {
    App& app = make(true);
    app.hotkeys.search = "";
    app.hotkeys.voice = "Ctrl + Alt + G";
    TrayMenu m = build_tray_menu(&app, false);
    EXPECT_EQ(m.items[1].label, "Ara");  // the search hot key did not register
    EXPECT_EQ(m.items[3].label, "Sesli asistan (Ctrl + Alt + G)");
    EXPECT_TRUE(m.items[5].greyed);  // no wake word taught yet
    EXPECT_FALSE(m.items[5].checked);
    EXPECT_EQ(m.items[6].label, "“Hey Google”u öğret (3 kez söyle)");
    EXPECT_FALSE(m.items[11].checked);

    app.hotkeys.search = "Win + Alt + Boşluk";
    app.island.hidden = true;
    app.google.snap.signed_in = true;
    app.google.snap.email = "a@b.c";
    app.settings.wake_model_present = true;
    app.settings.wake = true;
    app.settings.dnd = true;
    app.settings.wake_sens = 7;  // above 2 counts as 2
    m = build_tray_menu(&app, false);
    EXPECT_EQ(m.items[1].label, "Ara (Win + Alt + Boşluk)");
    EXPECT_EQ(m.items[2].label, "Adayı göster");
    EXPECT_EQ(m.items[4].label, "Google: a@b.c");
    EXPECT_FALSE(m.items[5].greyed);
    EXPECT_TRUE(m.items[5].checked);
    EXPECT_EQ(m.items[6].label, "“Hey Google”u yeniden öğret");
    EXPECT_TRUE(m.items[9].checked);
    const TrayMenuItem* sens = find_item(m.items, "“Hey Google” hassasiyeti");
    ASSERT_TRUE(sens);
    ASSERT_EQ(sens->submenu.size(), 3u);
    EXPECT_EQ(sens->submenu[2].id, 15u);
    EXPECT_TRUE(sens->submenu[2].checked);
    EXPECT_FALSE(sens->submenu[1].checked);
}

TEST_F(TrayMenuTest, MicrophoneSubmenuShowsTheDefaultAndAtMostThirty) {
    App& app = make(true);
    app.voice.microphones = {""};
    TrayMenu m = build_tray_menu(&app, false);
    const TrayMenuItem* mic = find_item(m.items, "Mikrofon");
    ASSERT_TRUE(mic);
    ASSERT_EQ(mic->submenu.size(), 1u);
    EXPECT_EQ(mic->submenu[0].label, "Windows varsayılanı");
    EXPECT_TRUE(mic->submenu[0].checked);

    app.voice.microphones.clear();
    for (int i = 0; i < 35; ++i) app.voice.microphones.push_back("Mic " + std::to_string(i));
    app.settings.mic = "Mic 4";
    m = build_tray_menu(&app, false);
    mic = find_item(m.items, "Mikrofon");
    ASSERT_EQ(mic->submenu.size(), 30u);
    EXPECT_EQ(m.mics.size(), 30u);
    EXPECT_EQ(mic->submenu[29].id, 129u);
    EXPECT_TRUE(mic->submenu[4].checked);
    EXPECT_FALSE(mic->submenu[0].checked);
}

TEST_F(TrayMenuTest, HandlersFlipTheSettingsAndTheWakeSwitches) {
    App& app = make(true);
    app.settings.dnd = false;
    app.toggle_do_not_disturb();
    EXPECT_TRUE(app.settings.dnd);
    EXPECT_EQ(app.notices.title, "Rahatsız etme açık · bildirim balonları susturuldu");
    app.toggle_do_not_disturb();
    EXPECT_EQ(app.notices.title, "Rahatsız etme kapalı");

    struct Case { uint32_t id; uint8_t level; float factor; const char* body; };
    for (const Case& c : {Case{13, 0, 0.85f, "Düşük"}, Case{14, 1, 1.0f, "Normal"}, Case{15, 2, 1.18f, "Yüksek"}}) {
        set_wake_sensitivity(app, c.id);
        EXPECT_EQ(app.settings.wake_sens, c.level);
        EXPECT_FLOAT_EQ(wake_sensitivity.load(), c.factor);
        EXPECT_EQ(app.notices.body, c.body);
    }

    app.settings.wake = true;
    app.toggle_wake_word();
    EXPECT_FALSE(app.settings.wake);
    EXPECT_FALSE(wake_enabled.load());
    EXPECT_EQ(app.notices.title, "“Hey Google” kapalı");
    app.toggle_wake_word();
    EXPECT_TRUE(wake_enabled.load());
    EXPECT_EQ(app.notices.title, "“Hey Google” açık");

    app.check_for_update();  // no update thread: only the notice
    EXPECT_EQ(app.notices.title, "Güncellemeler denetleniyor");
    EXPECT_EQ(app.notices.body, std::string("şu an v") + kAppVersion);
}

TEST_F(TrayMenuTest, GoogleConnectOpensThePageWhenSignedInElseStartsSignIn) {
    App& app = make(true);
    app.connect_google();
    EXPECT_EQ(app.notices.title, "Google girişi tarayıcıda açılıyor");
    EXPECT_FALSE(app.island.open);

    app.google.snap.signed_in = true;
    app.island.focus = TextField::Search;
    app.connect_google();
    EXPECT_TRUE(app.island.open);
    EXPECT_EQ(app.island.page, Page::Google);
    EXPECT_EQ(app.island.remembered_page, Page::Google);
    EXPECT_EQ(app.island.focus, TextField::None);

    app.island.open = false;
    app.google.snap.needs_consent = true;
    app.start_google_sign_in();
    EXPECT_EQ(app.notices.title, "Google izinleri güncelleniyor");
    app.google.snap.needs_consent = false;
    app.google.snap.email = "a@b.c";
    app.start_google_sign_in();
    EXPECT_EQ(app.notices.title, "Google zaten bağlı");
    EXPECT_EQ(app.notices.body, "a@b.c");
}

// The items that carry a check mark or can be greyed, in the states a user
// meets: before any wake word is taught, with one taught, do-not-disturb on.
TEST_F(TrayMenuTest, CheckAndGreyStatesByWakeWordAndDoNotDisturb) {
    struct Case {
        const char* name;
        bool model, wake, dnd, autostart;
        bool wake_checked, wake_greyed;
        const char* teach;
        bool dnd_checked;
    } cases[] = {
        // The switch may be stored on, but without a taught word it is grey and unchecked.
        {"nothing taught", false, true, false, false, false, true, "“Hey Google”u öğret (3 kez söyle)", false},
        {"taught, switched off", true, false, false, false, false, false, "“Hey Google”u yeniden öğret", false},
        {"taught, switched on", true, true, false, true, true, false, "“Hey Google”u yeniden öğret", false},
        {"do-not-disturb on", false, false, true, false, false, true, "“Hey Google”u öğret (3 kez söyle)", true},
        {"taught and do-not-disturb", true, true, true, false, true, false, "“Hey Google”u yeniden öğret", true},
    };
    App& app = make(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app.settings.wake_model_present = c.model;
        app.settings.wake = c.wake;
        app.settings.dnd = c.dnd;
        const TrayMenu m = build_tray_menu(&app, c.autostart);
        ASSERT_EQ(ids(m), (std::vector<uint32_t>{1, 3, 4, 6, 7, 10, 8, 0, 0, 12, 11, 2, 5, 999, 9}));
        for (const TrayMenuItem& i : m.items) {
            bool checked = false, greyed = false;
            if (i.id == MENU_WAKE_TOGGLE) checked = c.wake_checked, greyed = c.wake_greyed;
            if (i.id == MENU_DND) checked = c.dnd_checked;
            if (i.id == MENU_AUTOSTART) checked = c.autostart;
            EXPECT_EQ(i.checked, checked) << i.label;
            EXPECT_EQ(i.greyed, greyed) << i.label;
        }
        EXPECT_EQ(m.items[6].label, c.teach);
        const TrayMenuItem* dnd = find_item(m.items, "Rahatsız etme");
        ASSERT_TRUE(dnd);
        EXPECT_EQ(dnd->id, MENU_DND);
    }
}
