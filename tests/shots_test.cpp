// The screenshot script on the recording renderer: every scene is reached by
// clicks found through the hit regions of the last render, so a missing dock
// icon, button or switch, or a scene whose state is wrong, fails here as it
// fails the "--shots" report under Wine. Also the shot writer's arithmetic.
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app_fixture.h"
#include "gfx_record.h"
#include "shots.h"
#include "sys_os.h"
#include "test_support.h"

namespace {

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// The report's outline: "shot {id}", "check {text}" (passed or not) and "brief", in order.
std::vector<std::string> outline_of(const std::vector<std::string>& report) {
    std::vector<std::string> out;
    for (const std::string& l : report) {
        if (l.rfind("shot ", 0) == 0) out.push_back("shot " + l.substr(5, l.find(':') - 5));
        else if (l.rfind("  [OK] ", 0) == 0) out.push_back("check " + l.substr(7));
        else if (l.rfind("  [FAIL] ", 0) == 0) out.push_back("check " + l.substr(9));
        else if (l.rfind(" brief: ", 0) == 0) out.push_back("brief");
    }
    return out;
}

// The whole script's outline as tests/shots_expected.txt lists it (the Wine run
// of "--shots" is held to the same list).
std::vector<std::string> expected_outline() {
#ifdef _WIN32
    const std::string root = std::string("Z:") + VEMO_SOURCE_DIR;  // Wine's drive for the host's files
#else
    const std::string root = VEMO_SOURCE_DIR;
#endif
    std::vector<std::string> out;
    const std::optional<std::string> text = read_file(root + "/tests/shots_expected.txt");
    if (!text) return out;
    for (const std::string& l : lines_of(*text))
        if (!l.empty() && l[0] != '#') out.push_back(l);
    return out;
}

struct ShotsScript : AppFixture {};

TEST_F(ShotsScript, EveryCheckPassesAndEverySceneIsShotInOrder) {
    // The recording renderer in both trees: the script's checks, without pictures
    // (the Wine run of "--shots" makes those).
    const std::string dir = path_join(data.dir, "shots");
    const std::string fonts = path_join(data.dir, "Fonts");
    ASSERT_TRUE(create_dirs(fonts));
    std::vector<std::string> dropped;
    for (const char* name : {"notepad.exe", "win.ini", "img0.jpg"}) {
        dropped.push_back(path_join(data.dir, name));
        ASSERT_TRUE(write_file_atomic(dropped.back(), "vemo"));
    }
    dropped.push_back(fonts);
    run_shots_with(
        dir,
        [](int32_t width, int32_t height) -> Result<std::unique_ptr<Renderer>> {
            auto r = std::make_unique<RecordingRenderer>(1.0f);
            Status s = r->resize_dib(width, height, 1.0f);
            if (!s) return s.error();
            return std::unique_ptr<Renderer>(std::move(r));
        },
        dropped);
    const std::optional<std::string> written = read_file(path_join(dir, "report.txt"));
    ASSERT_TRUE(written);
    const std::vector<std::string> lines = lines_of(*written);
    for (const std::string& l : lines) {
        EXPECT_EQ(l.find("FAIL"), std::string::npos) << l;
        EXPECT_EQ(l.find("!!"), std::string::npos) << l;
    }
    // Every scene with its variants and the notice loop, and every check of
    // each scene, in the script's order.
    const std::vector<std::string> expected = expected_outline();
    ASSERT_EQ(expected.size(), 167u) << "tests/shots_expected.txt";
    EXPECT_EQ(outline_of(lines), expected);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], "glyph sheet written");
    EXPECT_EQ(lines[lines.size() - 2], "");
    EXPECT_EQ(lines.back(), "RESULT: 0 failure(s)");
    if (HasFailure()) std::cout << *written;
}

TEST(ShotsReportLines, ChecksCountFailuresAndNeverStop) {
    ShotsReport r;
    shot_check(r, "first", true);
    shot_check(r, "second", false);
    shot_check(r, "third", false);
    EXPECT_EQ(r.text, "  [OK] first\n  [FAIL] second\n  [FAIL] third\n");
    EXPECT_EQ(r.failures, 2u);
}

TEST(ShotsCrop, ScaleOneGives800By370AndLargerScalesMoveTheWindow) {
    struct Case {
        float scale;
        int32_t x0, x1, height;
    } cases[] = {{1.0f, 50, 850, 370}, {1.12f, 56, 952, 414}, {0.88f, 44, 748, 325}};
    for (const Case& c : cases) {
        const ShotCrop crop = shot_crop(c.scale, 1125, 588);
        EXPECT_EQ(crop.x0, c.x0) << c.scale;
        EXPECT_EQ(crop.x1, c.x1) << c.scale;
        EXPECT_EQ(crop.height, c.height) << c.scale;
    }
    // A surface smaller than the crop bounds it.
    const ShotCrop small = shot_crop(1.0f, 600, 200);
    EXPECT_EQ(small.x1, 600);
    EXPECT_EQ(small.height, 200);
}

TEST(ShotsDesktop, TransparentPixelsShowTheDesktopAndOpaqueOnesStay) {
    const int32_t w = 100, h = 50;
    std::vector<uint8_t> px(static_cast<size_t>(w) * h * 4, 0);
    // One opaque premultiplied pixel in the middle.
    uint8_t* mid = &px[(static_cast<size_t>(25) * w + 60) * 4];
    mid[0] = 10, mid[1] = 20, mid[2] = 30, mid[3] = 255;
    const ShotCrop crop{10, 90, 40};
    const std::vector<uint8_t> out = composite_over_desktop(px.data(), w, crop);
    ASSERT_EQ(out.size(), static_cast<size_t>(80) * 40 * 4);
    auto at = [&](int x, int y) { return &out[(static_cast<size_t>(y) * 80 + x) * 4]; };
    EXPECT_EQ(at(0, 0)[0], 120);
    EXPECT_EQ(at(0, 0)[1], 95);
    EXPECT_EQ(at(0, 0)[2], 190);
    EXPECT_EQ(at(0, 0)[3], 255);
    // The bottom-right corner approaches (140, 135, 56).
    const uint8_t* br = at(79, 39);
    EXPECT_NEAR(br[0], 140, 3);
    EXPECT_NEAR(br[1], 135, 2);
    EXPECT_NEAR(br[2], 56, 3);
    const uint8_t* o = at(50, 25);
    EXPECT_EQ(o[0], 10);
    EXPECT_EQ(o[1], 20);
    EXPECT_EQ(o[2], 30);
}

TEST(ShotsFakes, PicturesHaveTheirSizesAndGamesTheirNumbering) {
    EXPECT_EQ(make_test_image(64)->pixels.size(), 64u * 64 * 4);
    EXPECT_EQ(make_fake_album_art(3)->pixels.size(), 125'840u);
    const auto games = make_fake_steam_games({{"A", 2}, {"B", 1.5}}, 1, 1'000'000);
    ASSERT_EQ(games.size(), 2u);
    EXPECT_EQ(games[0].app_id, 731u);
    EXPECT_EQ(games[1].minutes, 90u);
    EXPECT_EQ(games[1].last_played, 1'000'000 - 2 * 259'200);
    EXPECT_FALSE(games[0].update_required);
    EXPECT_TRUE(games[1].update_required);
    const auto apps = make_fake_app_entries({"Görev Yöneticisi"});
    EXPECT_EQ(apps[0].id, "Fake.Görev Yöneticisi");
}

}  // namespace
