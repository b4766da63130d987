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

// Paths as the drop target, the downloads and state.txt hand them over:
// trimmed, refused when missing, and kept once whatever their ASCII case.
TEST(Shelf, PathsAreTrimmedCheckedAndComparedWithoutAsciiCase) {
    ScopedDataDir data;
    // Windows folds the case of file names, so there a name and its other
    // spelling are one file; here they are two. Either way both exist.
    for (const char* name : {"A.txt", "a.TXT", "Ş.txt", "ş.txt", "rapor.pdf"})
        ASSERT_TRUE(write_file_atomic(path_join(data.dir, name), "x").ok()) << name;
    const auto in = [&](const char* name) { return path_join(data.dir, name); };
    // White space around a path, as a drop or a line of state.txt may carry it.
    const auto padded = [](const std::string& path) {
        std::string out = "  ";
        out += path;
        out += " \n";
        return out;
    };
    struct Case {
        const char* name;
        std::vector<std::string> paths;
        std::vector<std::string> kept;  // the stored paths, oldest first
    };
    std::vector<Case> cases = {
        {"trimmed", {padded(in("rapor.pdf"))}, {in("rapor.pdf")}},
        {"a missing path is refused", {in("yok.txt"), in("rapor.pdf")}, {in("rapor.pdf")}},
        {"white space alone is refused", {" \t "}, {}},
        {"ASCII case does not make another file", {in("A.txt"), in("a.TXT")}, {in("A.txt")}},
        {"the second spelling of a shelved file", {in("a.TXT"), in("rapor.pdf"), in("A.txt")},
         {in("a.TXT"), in("rapor.pdf")}},
        {"non-ASCII letters keep their case", {in("Ş.txt"), in("ş.txt")}, {in("Ş.txt"), in("ş.txt")}},
    };
#ifdef _WIN32
    // As with C:\A.txt and c:\a.TXT, the drive letter's case counts no more than the name's.
    std::string drive_flipped = in("a.TXT");
    drive_flipped[0] = static_cast<char>(drive_flipped[0] ^ 0x20);
    cases.push_back({"the drive letter's case", {in("A.txt"), drive_flipped}, {in("A.txt")}});
#endif
    for (const Case& c : cases) {
        auto app = quiet_app();
        app->add_to_shelf(c.paths, false);
        std::vector<std::string> got;
        for (const ShelfItem& s : app->lists.shelf) got.push_back(s.path);
        EXPECT_EQ(got, c.kept) << c.name;
    }
    auto app = quiet_app();
    app->add_to_shelf({padded(in("rapor.pdf"))}, false);
    ASSERT_EQ(app->lists.shelf.size(), 1u);
    EXPECT_EQ(app->lists.shelf[0].name, "rapor.pdf");
    EXPECT_EQ(app->lists.shelf[0].detail.rfind("PDF · ", 0), 0u) << app->lists.shelf[0].detail;
}

TEST(Shelf, CapOfThirtyAndTheScrollTargetThatShowsTheNewestCards) {
    ScopedDataDir data;
    std::vector<std::string> paths;
    for (int i = 0; i < 32; ++i) {
        paths.push_back(path_join(data.dir, "dosya" + std::to_string(i) + ".txt"));
        ASSERT_TRUE(write_file_atomic(paths.back(), "x").ok());
    }
    struct Case {
        size_t added, size;
        float scroll;  // max(98 × count − 668, 0)
    } cases[] = {{1, 1, 0}, {6, 6, 0}, {7, 7, 18}, {30, 30, 2272}, {31, 30, 2272}, {32, 30, 2272}};
    for (const Case& c : cases) {
        auto app = quiet_app();
        // One at a time, as drops arrive.
        for (size_t i = 0; i < c.added; ++i) app->add_to_shelf({paths[i]}, false);
        ASSERT_EQ(app->lists.shelf.size(), c.size) << c.added;
        EXPECT_FLOAT_EQ(app->lists.shelf_scroll, c.scroll) << c.added;
        EXPECT_EQ(app->lists.shelf.back().path, paths[c.added - 1]) << "the newest is last";
        EXPECT_EQ(app->lists.shelf.front().path, paths[c.added - c.size]) << "the oldest left first";
    }
}
