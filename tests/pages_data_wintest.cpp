// The Steam, system and calendar pages under the Direct2D renderer with
// sample data, reached as a user reaches them (a click on the island, a click
// on the page's dock icon) and drawn through App::render. Written as PNG
// files into "island_shots" beside the test program, and checked for ink
// where each part of the page draws.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app.h"
#include "app_geometry.h"
#include "gfx.h"
#include "island_user_support.h"
#include "sys_image.h"
#include "sys_os.h"
#include "sys_win.h"
#include "shot_support.h"
#include "test_support.h"
#include "ui_frame.h"

namespace {

constexpr double kGiB = 1073741824;

// Pixels of the palette's red (the frame is BGRA): strong red, little green,
// so neither orange nor white counts.
int red(const Renderer& r, const Box& b) {
    int n = 0;
    for (int y = b.y0; y < b.y1; ++y)
        for (int x = b.x0; x < b.x1; ++x) {
            const uint8_t* p = pixel_at(r, x, y);
            if (p[2] > 150 && p[1] < 120 && p[0] < 120) ++n;
        }
    return n;
}

// A game's header picture: a diagonal blend between two colours, 460 × 215 like Steam's.
ImageRef header_picture(uint8_t r0, uint8_t g0, uint8_t b0, uint8_t r1, uint8_t g1, uint8_t b1) {
    auto img = std::make_shared<Image>();
    img->width = 184;
    img->height = 86;
    for (uint32_t y = 0; y < img->height; ++y)
        for (uint32_t x = 0; x < img->width; ++x) {
            const uint32_t t = (x + 2 * y) * 255 / (img->width + 2 * img->height);
            auto mix = [t](uint8_t a, uint8_t b) { return static_cast<uint8_t>((a * (255 - t) + b * t) / 255); };
            img->pixels.insert(img->pixels.end(), {mix(r0, r1), mix(g0, g1), mix(b0, b1), 255});
        }
    return img;
}

// A wave of `n` samples between lo and hi, the newest last.
std::vector<float> wave(size_t n, float lo, float hi, float phase) {
    std::vector<float> v;
    for (size_t i = 0; i < n; ++i)
        v.push_back(lo + (hi - lo) * (0.5f + 0.5f * std::sin(0.23f * static_cast<float>(i) + phase)) *
                             (0.6f + 0.4f * std::sin(0.07f * static_cast<float>(i))));
    return v;
}

struct DataPageShots : ::testing::Test {
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
        app->island.has_battery = true;
        app->island.battery = 64;
        // 09:05 local today.
        LocalTime t;
        ASSERT_TRUE(local_time_of(unix_now(), t));
        app->wall_clock.unix_seconds = unix_now() + ((9 - t.hour) * 60 + (5 - t.minute)) * 60 - t.second;
    }

    int64_t wall() const { return *app->wall_clock.unix_seconds; }

    // Reaches the page by its dock icon, then rests the pointer on the header, so
    // no dock tooltip covers the page.
    void open(Page p) {
        ASSERT_TRUE(island_user::open_on_page(*app, p, 90)) << "the dock icon of page " << int(p);
        app->on_pointer_move(450, 30);
    }

    // One whole frame through App::render, saved; the page body's rectangle in island units.
    RectF shoot(const std::string& name) {
        island_user::settle(*app, 90);
        app->drawing.full_present = true;
        app->drawing.redraw = true;
        app->tick(island_user::kFrame);
        GdiFlush();
        const FrameGeometry fg = frame_geometry(*app);
        save_png(*g, pixel_box(*g, fg.x - 16, 0, fg.w + 32, fg.h + 24), name);
        return {fg.x + 24, 8 + 56, fg.w - 48, fg.h - 122};
    }

    void steam_library(bool running) {
        SteamSnapshot& s = app->steam.snap;
        s.found = true;
        s.client = running;
        s.persona = running ? "Kuzey Yıldızı" : "";
        s.games.clear();
        const int64_t now = wall();
        auto add = [&](const char* name, uint32_t id, uint32_t minutes, int64_t ago_days, ImageRef pic) {
            SteamGameEntry e;
            e.name = name;
            e.app_id = id;
            e.minutes = minutes;
            e.last_played = ago_days < 0 ? 0 : now - ago_days * 86400 - 3600;
            e.header = std::move(pic);
            e.size = static_cast<uint64_t>(30 * kGiB);
            s.games.push_back(e);
        };
        add("Portal 2", 620, 754, 0, header_picture(30, 60, 120, 250, 140, 40));
        add("Hades", 1145360, 3000, 3, header_picture(120, 20, 30, 250, 120, 60));
        add("Disco Elysium - The Final Cut: Türkçe Çeviri Sürümü", 632470, 1260, 45,
            header_picture(40, 90, 80, 200, 200, 160));
        add("Celeste", 504230, 20, 120, nullptr);
        add("Stardew Valley", 413150, 9000, 400, header_picture(60, 140, 60, 140, 200, 250));
        add("Hiç açılmamış oyun", 1, 0, -1, nullptr);
        s.game_count = static_cast<uint32_t>(s.games.size());
        s.total_size = static_cast<uint64_t>(s.games.size() * 30 * kGiB);
        s.updates_waiting = 1;
        s.last_update_title = "Hades";
        s.last_update_detail = "dün";
    }
};

}  // namespace

TEST_F(DataPageShots, Steam) {
    open(Page::Steam);
    RectF body = shoot("open_steam_not_found");
    EXPECT_GT(ink(*g, pixel_box(*g, body.x + 200, body.y + 130, 272, 40)), 50) << "the not-found message";

    steam_library(false);
    body = shoot("open_steam_closed");
    EXPECT_GT(ink(*g, pixel_box(*g, body.x + body.w - 306, body.y + 8, 306, 26)), 500) << "the three chips";
    EXPECT_GT(ink(*g, pixel_box(*g, body.x, body.y + 102, body.w, 62)), 20000) << "the five tiles";

    steam_library(true);
    SteamPlaying p;
    p.name = "Portal 2";
    p.app_id = 620;
    p.started = wall() - 47 * 60 - 12;
    p.header = app->steam.snap.games[0].header;
    app->steam.snap.playing = p;
    SteamActiveDownload d;
    d.name = "Cyberpunk 2077: Ultimate Edition";
    d.app_id = 1091500;
    d.done = 12.4 * kGiB;
    d.total = 65.2 * kGiB;
    d.rate = 23.5 * 1048576;
    d.state = 2;
    d.header = header_picture(250, 230, 40, 20, 200, 220);
    app->steam.snap.active = d;
    app->steam.download = d;
    body = shoot("open_steam_playing_and_downloading");
    EXPECT_GT(ink(*g, pixel_box(*g, body.x + 10, body.y + 86, 128, 60)), 3000) << "the now-playing picture";
    EXPECT_GT(ink(*g, pixel_box(*g, body.x + 150, body.y + 76 + 88 + 34, 250, 18)), 100) << "the progress line";
    EXPECT_GT(ink(*g, pixel_box(*g, body.x + 432, body.y + 98, 240, 62)), 5000) << "two tiles beside the cards";

    // Paused, with nothing known of its size.
    d.paused = true;
    d.done = d.total = d.rate = 0;
    app->steam.snap.active = d;
    app->steam.download = d;
    app->steam.snap.playing.reset();
    shoot("open_steam_paused");
}

TEST_F(DataPageShots, System) {
    open(Page::System);
    shoot("open_system_unfilled");
    SysmonSnapshot& s = app->sysmon.snap;
    s.cpu_history = wave(60, 0.08f, 0.7f, 0);
    s.cpu = s.cpu_history.back();
    s.mem_history = wave(60, 0.55f, 0.62f, 1);
    s.mem_used = 10.3 * kGiB;
    s.mem_total = 15.9 * kGiB;
    s.down_history = wave(60, 0, 4.2e6f, 2);
    s.up_history = wave(60, 0, 6e5f, 3);
    s.down_rate = s.down_history.back();
    s.up_rate = s.up_history.back();
    s.disk_free = 38.2 * kGiB;
    s.disk_total = 476.3 * kGiB;
    s.uptime = 3 * 86400 + 5 * 3600 + 17 * 60;
    s.top = {{"msedge.exe", 12.5f}, {"Microsoft.Photos.ExtensionsAndMoreVeryLongName.exe", 8.1f},
             {"explorer.exe", 2.4f}, {"svchost.exe", 1}};
    const RectF body = shoot("open_system");
    const float cw = (body.w - 20) / 3;
    for (int k = 0; k < 3; ++k)
        EXPECT_GT(ink(*g, pixel_box(*g, body.x + k * (cw + 10) + 10, body.y + 60, cw - 20, 36)), 500) << "chart " << k;
    EXPECT_GT(ink(*g, pixel_box(*g, body.x + 14, body.y + 114 + 32, 200, 8)), 400) << "the drive bar";
    EXPECT_GT(red(*g, pixel_box(*g, body.x + 14, body.y + 114 + 32, 320, 8)), 200) << "over 0.9 used: red";
    EXPECT_GT(ink(*g, pixel_box(*g, body.x + 345, body.y + 114 + 32, 317, 51)), 300) << "three processes";
}

TEST_F(DataPageShots, Calendar) {
    LocalTime today;
    ASSERT_TRUE(local_time_of(wall(), today));
    open(Page::Calendar);
    WeatherSnapshot& w = app->weather.snap;
    w.loading = true;
    shoot("open_calendar_loading");

    w.loading = false;
    w.ok = true;
    w.city = "Afyonkarahisar Merkez, Türkiye";
    w.temp = 7.6f;
    w.feels = 4.8f;
    w.humidity = 81;
    w.wind = 14.4f;
    w.code = 61;
    w.is_day = true;
    const int first = today.weekday;
    w.days = {{first, 61, 9, 3, 85}, {(first + 1) % 7, 3, 11, 4, 29.9f}, {(first + 2) % 7, 0, 14, 2, 30},
              {(first + 3) % 7, 71, 4, -3, 60}, {(first + 4) % 7, 95, 12, 6, 45}, {(first + 5) % 7, 2, 13, 5, 10}};
    const int64_t noon = wall() + 3 * 3600;
    app->google.snap.events = {{"e1", "Toplantı", "", noon, false}, {"e2", "Doğum günü", "", noon + 3 * 86400, true}};
    const RectF body = shoot("open_calendar");
    EXPECT_GT(ink(*g, pixel_box(*g, body.x + 320 + 16, body.y + 82, 316, 115)), 2000) << "five forecast rows";
    EXPECT_GT(red(*g, pixel_box(*g, body.x, body.y + 48, 300, 156)), 200) << "today's red disc";

    // Another month, with the weather failed.
    ASSERT_TRUE(island_user::click_action(*app, Action::of(ActionKind::CalNext), 90));
    w.ok = false;
    w.error = "sunucu hatası 503";
    const RectF next = shoot("open_calendar_next_month");
    EXPECT_GT(red(*g, pixel_box(*g, next.x + 180, next.y + 1, 56, 24)), 40) << "the Bugün button";
}
