#include <gtest/gtest.h>

#include "app.h"
#include "app_fixture.h"
#include "test_support.h"

namespace {
std::unique_ptr<App> quiet_app() { return make_test_app(true); }
}  // namespace

TEST(RadioHint, OnlyFailuresAreShownWithTheSettingsHint) {
    struct Case { const char* text; bool shown; };
    const Case cases[] = {
        {"Wi\u2011Fi açıldı", false},
        {"Bluetooth kapatıldı", false},
        {"Wi\u2011Fi bulunamadı", true},
        {"Bluetooth için izin yok", true},
    };
    for (const auto& c : cases) {
        auto app = quiet_app();
        app->show_settings_hint(c.text);
        EXPECT_EQ(app->notices.shown, c.shown) << c.text;
        if (c.shown) {
            EXPECT_EQ(app->notices.kind, HudKind::Info);
            EXPECT_EQ(app->notices.title, c.text);
            EXPECT_EQ(app->notices.body, "Ayarlar > Ağ ve İnternet'ten deneyebilirsin");
        }
    }
}

TEST(BrowserHide, FollowsTheForegroundProgramUnlessItIsTheIsland) {
    auto app = quiet_app();
    app->update_browser_hide("chrome.exe", false);
    EXPECT_TRUE(app->island.browser_front);
    app->update_browser_hide("", true);
    EXPECT_TRUE(app->island.browser_front) << "the island in front changes nothing";
    app->update_browser_hide("notepad.exe", false);
    EXPECT_FALSE(app->island.browser_front);
}

TEST(Shelf, AddingKeepsOneItemPerPathAndAtMostThirty) {
    ScopedDataDir data;
    auto app = quiet_app();
    std::vector<std::string> paths;
    for (int i = 0; i < 31; ++i) {
        std::string p = path_join(data.dir, "dosya" + std::to_string(i) + ".txt");
        ASSERT_TRUE(write_file_atomic(p, "x").ok());
        paths.push_back(p);
    }
    app->add_to_shelf({paths[0], paths[0]}, false);
    ASSERT_EQ(app->lists.shelf.size(), 1u);
    app->add_to_shelf(paths, false);
    ASSERT_EQ(app->lists.shelf.size(), 30u);
    EXPECT_EQ(app->lists.shelf.front().path, paths[1]) << "the oldest left";
    EXPECT_EQ(app->lists.shelf.back().path, paths[30]);
    EXPECT_FLOAT_EQ(app->lists.shelf_scroll, 98.0f * 30 - 668);
    app->add_to_shelf({"   ", path_join(data.dir, "yok.txt")}, false);
    EXPECT_EQ(app->lists.shelf.size(), 30u);
}
