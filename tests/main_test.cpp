#include <gtest/gtest.h>

#include "app.h"
#include "main.h"

namespace {
std::string describe(const StartChoice& c) {
    std::string out = c.after_update ? "after-update " : "";
    if (std::holds_alternative<NormalStart>(c.what)) return out + "normal";
    if (auto* l = std::get_if<LocalStart>(&c.what))
        return out + "local" + std::to_string(static_cast<int>(l->mode)) + ":" + l->output;
    const auto& r = std::get<RemoteStart>(c.what);
    std::string payload;
    for (char ch : r.payload) payload += ch == '\x01' ? std::string("<01>") : std::string(1, ch);
    return out + "remote" + std::to_string(static_cast<int>(r.kind)) + ":" + payload;
}
}  // namespace

TEST(CommandLine, OnlyTheFirstArgumentSelectsAMode) {
    struct Case { std::vector<std::string> args; const char* want; };
    const Case cases[] = {
        {{"VemoIsland.exe"}, "normal"},
        {{"x", "--shots"}, "local0:shots"},
        {{"x", "--shots", "out"}, "local0:out"},
        {{"x", "--selftest"}, "local1:selftest.txt"},
        {{"x", "--make-icon", "a.ico"}, "local2:a.ico"},
        {{"x", "--make-icon"}, "local2:app.ico"},
        {{"x", "--wake-test"}, "local3:wake-test.txt"},
        {{"x", "--update-now"}, "local4:"},
        {{"x", "--SHOTS"}, "normal"},
        {{"x", "-shots"}, "normal"},
        {{"x", "foo", "--shots"}, "normal"},
        {{"x", "--notify"}, "remote1:Vemo Ada<01>"},
        {{"x", "--bildirim", "Başlık"}, "remote1:Başlık<01>"},
        {{"x", "--notify", "a", "b", "c"}, "remote1:a<01>b"},
        {{"x", "--remind"}, "remote2:"},
        {{"x", "--hatirlat", "10", "dk", "çay"}, "remote2:10 dk çay"},
        {{"x", "--check-update"}, "remote3:"},
        {{"x", "--asistan"}, "remote4:"},
        {{"x", "--ask", "a", "b"}, "remote5:a b"},
        {{"x", "--sor-sesli", "a", "b"}, "remote5:<01>a b"},
        {{"x", "--google-baglan"}, "remote6:"},
        {{"x", "--hey-google-ogret"}, "remote7:"},
        {{"x", "--teach-wake"}, "remote7:"},
        {{"x", "a", "--after-update"}, "after-update normal"},
        {{"x", "--after-update"}, "after-update normal"},
    };
    for (const auto& c : cases) EXPECT_EQ(describe(classify_args(c.args)), c.want) << c.args.size();
}

TEST(WindowPlacement, SizeAndPlaceOnAFullHdMonitor) {
    struct Case { float factor; int32_t w, h, x; };
    const Case cases[] = {{0.88f, 792, 414, 564}, {1.0f, 900, 470, 510}, {1.12f, 1008, 526, 456}};
    for (const auto& c : cases) {
        WindowGeometry g = window_geometry(RectI{0, 0, 1920, 1080}, 1.0f, c.factor);
        EXPECT_EQ(g.width, c.w);
        EXPECT_EQ(g.height, c.h);
        EXPECT_EQ(g.x, c.x);
        EXPECT_EQ(g.y, 0);
    }
    // A monitor left of the primary one and a high-DPI scale.
    WindowGeometry g = window_geometry(RectI{-1280, -200, 0, 824}, 1.5f, 1.0f);
    EXPECT_EQ(g.width, 1350);
    EXPECT_EQ(g.height, 705);
    EXPECT_EQ(g.x, -1280 + (1280 - 1350) / 2);
    EXPECT_EQ(g.y, -200);
}

TEST(WindowPlacement, RoundingSaturates) {
    EXPECT_EQ(round_sat_i32(2.5f), 3);
    EXPECT_EQ(round_sat_i32(-2.5f), -3);
    EXPECT_EQ(round_sat_i32(std::nanf("")), 0);
    EXPECT_EQ(round_sat_i32(1e20f), 2147483647);
    EXPECT_EQ(round_sat_i32(-1e20f), -2147483647 - 1);
}

TEST(WindowPlacement, StartupLogLine) {
    WindowGeometry g = window_geometry(RectI{0, 0, 1024, 768}, 1.0f, 1.0f);
    EXPECT_EQ(placement_log_line(RectI{0, 0, 1024, 768}, g.scale, g, true, "Ctrl + Alt + Boşluk", false, true),
              "monitor (0, 0, 1024, 768) scale 1 window 900x470 at 62,0; tray=true hotkey=Ctrl + Alt + Boşluk "
              "dragdrop=false clipboard=true");
    WindowGeometry small = window_geometry(RectI{0, 0, 1920, 1080}, 1.0f, 0.88f);
    EXPECT_NE(placement_log_line(RectI{0, 0, 1920, 1080}, small.scale, small, false, "", false, false)
                  .find("scale 0.88 window 792x414"),
              std::string::npos);
}

TEST(AppSlot, LendsTheAppOnceAndNeverTwiceWhenNested) {
    AppInit init;
    init.quiet = true;
    install_app_state(std::make_unique<App>(std::move(init)));
    int outer = 0, inner = 0;
    EXPECT_TRUE(with_app([&](App&) {
        ++outer;
        EXPECT_FALSE(with_app([&](App&) { ++inner; })) << "a nested message finds the App lent";
    }));
    EXPECT_EQ(outer, 1);
    EXPECT_EQ(inner, 0);
    // Released again even when the handler throws.
    EXPECT_THROW(with_app([](App&) { throw 1; }), int);
    EXPECT_TRUE(with_app([](App&) {}));
    auto app = take_app_state();
    EXPECT_NE(app, nullptr);
    EXPECT_FALSE(with_app([](App&) {}));
}
