// The Google page under the Direct2D renderer, reached as a user reaches it (a
// click on the island, a click on the Google dock icon) and drawn through
// App::render: signed out, and signed in with mail, events, tasks and an
// unread count. Written as PNG files into "island_shots" beside the test
// program, and checked for ink where each column draws. Also the assistant's
// screen question, answered with a real screenshot.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
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

// Pixels leaning to one colour: red channel well above blue, or blue well above red.
int reddish(const Renderer& r, const Box& b) {
    int n = 0;
    for (int y = b.y0; y < b.y1; ++y)
        for (int x = b.x0; x < b.x1; ++x) {
            const uint8_t* p = pixel_at(r, x, y);
            if (p[2] > 60 && p[2] > p[0] + 40) ++n;
        }
    return n;
}

// A soft two-colour picture standing in for a profile photo.
ImageRef portrait(uint32_t side) {
    auto img = std::make_shared<Image>();
    img->width = img->height = side;
    for (uint32_t y = 0; y < side; ++y)
        for (uint32_t x = 0; x < side; ++x)
            img->pixels.insert(img->pixels.end(), {static_cast<uint8_t>(120 + 100 * y / side), 90,
                                                   static_cast<uint8_t>(200 - 120 * x / side), 255});
    return img;
}

struct GooglePageShots : ::testing::Test {
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
        ASSERT_TRUE(island_user::open_on_page(*app, Page::Google, 90)) << "the Google dock icon";
    }

    // The worker publishes a state; the island takes it in.
    void publish(const std::function<void(GoogleState&)>& change) {
        app->google.shared.with(change);
        app->on_google_update();
    }

    // One whole frame through App::render, saved; the pill's rectangle in island units.
    RectF shoot(const std::string& name) {
        island_user::settle(*app, 90);
        app->drawing.full_present = true;
        app->drawing.redraw = true;
        app->tick(island_user::kFrame);
        GdiFlush();
        const FrameGeometry fg = frame_geometry(*app);
        save_png(*g, pixel_box(*g, fg.x - 16, 0, fg.w + 32, fg.h + 24), name);
        return {fg.x, 8, fg.w, fg.h};
    }
};

}  // namespace

TEST_F(GooglePageShots, SignedOutAndSignedIn) {
    publish([](GoogleState& s) { s.status = "bağlı değil"; });
    RectF pill = shoot("open_google_signed_out");
    const float bx = pill.x + 24, by = pill.y + 56;  // the page body
    EXPECT_GT(ink(*g, pixel_box(*g, bx + 10, by + 86, 176, 60)), 100) << "the invitation";
    EXPECT_GT(ink(*g, pixel_box(*g, bx + 14, by + 250 - 50, 168, 36)), 500) << "the blue button";
    EXPECT_GT(reddish(*g, pixel_box(*g, bx + 98 - 30, by + 20, 60, 60)), 20) << "the ring's red arc";
    EXPECT_GT(ink(*g, pixel_box(*g, bx + 220, by + 100, 226, 40)), 20) << "the inbox's invitation";

    const int64_t now = *app->wall_clock.unix_seconds;
    const ImageRef photo = portrait(96);
    publish([&](GoogleState& s) {
        s.signed_in = true;
        s.status = "bağlı";
        s.name = "Ayşe Yılmaz";
        s.email = "ayse.yilmaz@example.com";
        s.picture = photo;
        s.unread = 7;
        s.mails = {
            {"m1", "Mehmet Kaya", "Yarınki sunum hakkında", "Slaytları gönderiyorum", true},
            {"m2", "GitHub", "", "[vemo] Yeni bir sürüm yayımlandı", true},
            {"m3", "Banka", "Ekstreniz hazır", "Aralık ekstresi", false},
            {"m4", "Zeynep", "Akşam yemeği", "Saat 8 uygun mu?", false},
            {"m5", "Beşinci", "Görünmez", "", false},
        };
        s.events = {
            {"e1", "Ekip toplantısı", "", now + 2 * 3600 + 25 * 60, false},
            {"e2", "Diş hekimi", "", now + 86400 + 5 * 3600, false},
            {"e3", "Annemin doğum günü", "", now + 2 * 86400, true},
        };
        s.tasks = {{"t1", "Faturayı öde", "2026-12-12T00:00:00.000Z"}, {"t2", "Kargo", ""}};
    });
    pill = shoot("open_google_signed_in");
    EXPECT_GT(ink(*g, pixel_box(*g, bx + 68, by + 22, 60, 60)), 1000) << "the profile picture";
    EXPECT_GT(reddish(*g, pixel_box(*g, bx + 208 + 130, by + 13, 106, 22)), 30) << "the unread badge";
    EXPECT_GT(ink(*g, pixel_box(*g, bx + 208 + 28, by + 44 + 3, 150, 20)), 50) << "the first sender";
    EXPECT_GT(ink(*g, pixel_box(*g, bx + 208 + 28, by + 44 + 144 + 3, 150, 20)), 50) << "the fourth sender";
    EXPECT_GT(ink(*g, pixel_box(*g, bx + 470 + 24, by + 46 + 3, 120, 36)), 50) << "the first event";
    EXPECT_GT(ink(*g, pixel_box(*g, bx + 14, by + 250 - 74, 168, 62)), 50) << "the two chips";

    // The pointer on the second mail: its read and archive buttons fade in.
    const std::optional<RectF> row = island_user::region_of(*app, Action::at(ActionKind::GMail, 1));
    ASSERT_TRUE(row);
    app->on_pointer_move(row->x + 40, row->y + row->h / 2);
    pill = shoot("open_google_mail_hover");
    const float t1 = by + 44 + 48;
    EXPECT_GT(ink(*g, pixel_box(*g, bx + 208 + 222 - 12, t1 + 10, 24, 24), 60), 60) << "the archive button";
    EXPECT_GT(ink(*g, pixel_box(*g, bx + 208 + 192 - 12, t1 + 10, 24, 24), 60), 60) << "the read button";
    app->on_pointer_move(row->x + row->w - 20, row->y + row->h / 2);  // onto the archive button
    shoot("open_google_archive_hover");

    // More consent needed: the orange button replaces the status pill.
    publish([](GoogleState& s) { s.needs_consent = true; });
    app->on_pointer_move(bx + 340, by + 236);  // below the rows, on nothing
    shoot("open_google_consent");
    EXPECT_GT(ink(*g, pixel_box(*g, bx + 14, by + 136, 168, 26)), 200) << "the consent button";

    // The tasks tab, as the user picks it.
    ASSERT_TRUE(island_user::click_action(*app, Action::byte(ActionKind::GTab, 1), 90));
    shoot("open_google_tasks");
    EXPECT_GT(ink(*g, pixel_box(*g, bx + 470 + 38, by + 46, 100, 34)), 50) << "the first task";
}

// The assistant's screen question takes a real screenshot of the island's monitor.
TEST(GoogleScreenLook, SendsAPngOfTheIslandsMonitor) {
    ComInit com;
    ScopedDataDir data;
    AppInit init;  // not quiet: the screen is read
    App app(std::move(init));
    auto [tx, rx] = channel<GoogleCommand>();
    app.google.tx = tx;
    app.drawing.monitor = RectI{0, 0, 640, 480};
    app.voice.state = VoiceState::Thinking;
    app.google.shared.with([](GoogleState& s) {
        s.outbox.push_back(gupdate::Answer{std::nullopt, "", true, {ToolCall{"screen_look", nlohmann::json::object()}}});
    });
    app.on_google_update();
    auto sent = rx.try_recv();
    ASSERT_TRUE(sent) << app.notices.title;
    const auto* ask = std::get_if<gcmd::AskScreen>(&*sent);
    ASSERT_NE(ask, nullptr);
    EXPECT_EQ(ask->question, "Ekranımda ne var?");
    EXPECT_TRUE(ask->speak);
    ASSERT_GT(ask->png.size(), 8u);
    EXPECT_EQ(ask->png.substr(0, 4), std::string("\x89PNG", 4));
    EXPECT_EQ(app.voice.state, VoiceState::Thinking);
}
