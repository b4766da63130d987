// The Gemini page under the Direct2D renderer, reached as a user reaches it (a
// click on the island, a click on the Gemini dock icon) and drawn through
// App::render: the empty conversation with its suggestions, the typing dots
// of an awaited answer, and a long conversation scrolled to its newest line.
// Written as PNG files into "island_shots" beside the test program, and
// checked for ink where each part draws.
#include <windows.h>

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
#include "shot_support.h"
#include "sys_os.h"
#include "sys_win.h"
#include "test_support.h"
#include "ui_frame.h"

namespace {

// Pixels leaning to purple or blue, also faint ones: blue well above green.
int bluish(const Renderer& r, const Box& b) {
    int n = 0;
    for (int y = b.y0; y < b.y1; ++y)
        for (int x = b.x0; x < b.x1; ++x) {
            const uint8_t* p = pixel_at(r, x, y);
            if (p[0] > 45 && p[0] > p[1] + 25) ++n;
        }
    return n;
}

struct GeminiPageShots : ::testing::Test {
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
        app->hotkeys.voice = "Ctrl + Alt + G";
        ASSERT_TRUE(island_user::open_on_page(*app, Page::Gemini, 90)) << "the Gemini dock icon";
    }

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

TEST_F(GeminiPageShots, EmptyTypingAndLongChat) {
    publish([](GoogleState& s) {
        s.signed_in = true;
        s.status = "bağlı";
        s.name = "Ayşe Yılmaz";
    });
    RectF pill = shoot("open_gemini_empty");
    const float bx = pill.x + 24, by = pill.y + 56, bw = pill.w - 48;  // the page body
    EXPECT_GT(ink(*g, pixel_box(*g, bx, by + 74, bw, 24)), 200) << "the greeting";
    for (uint8_t i = 0; i < 3; ++i) {
        const std::optional<RectF> chip = island_user::region_of(*app, Action::byte(ActionKind::GSuggest, i));
        ASSERT_TRUE(chip);
        EXPECT_GT(ink(*g, pixel_box(*g, chip->x + 10, chip->y + 6, chip->w - 20, chip->h - 12), 120), 40) << "chip " << int(i);
    }
    EXPECT_GT(bluish(*g, pixel_box(*g, bx + bw / 2 - 110, by + 182, 220, 30)), 100) << "the teach button";
    const std::optional<RectF> mic = island_user::region_of(*app, Action::of(ActionKind::Mic));
    ASSERT_TRUE(mic);
    EXPECT_GT(bluish(*g, pixel_box(*g, mic->x, mic->y, mic->w, mic->h)), 100) << "the microphone";

    // A question is on its way: the line and the typing dots.
    publish([](GoogleState& s) {
        s.chat = {{"Bugün hava nasıl olacak?", true}};
        s.gemini_busy = true;
    });
    pill = shoot("open_gemini_typing");
    EXPECT_GT(bluish(*g, pixel_box(*g, bx + bw - 120, by, 120, 37)), 200) << "the blue question bubble";
    EXPECT_GT(ink(*g, pixel_box(*g, bx + 40, by + 30, 60, 60), 90), 20) << "the dots";

    // A long conversation: the view follows its newest line, answers of several lines wrap.
    publish([](GoogleState& s) {
        s.gemini_busy = false;
        s.chat = {
            {"Bugün hava nasıl olacak?", true},
            {"İstanbul'da bugün parçalı bulutlu, en yüksek 14°, akşam hafif yağmur bekleniyor. Şemsiyeni unutma.", false},
            {"5 dakikalık zamanlayıcı kur", true},
            {"5 dakikalık zamanlayıcı başladı.", false},
            {"Yarın sabah 9'da diş hekimi randevusunu takvime ekle", true},
            {"Takvimine ekledim: Diş hekimi, Yarın 09:00.", false},
            {"E-postalarımı özetle", true},
            {"Üç okunmamış e-postan var:\n• Mehmet: yarınki sunumun slaytları\n• Banka: Aralık ekstresi hazır\n"
             "• Zeynep: akşam yemeği saat 8 uygun mu diye soruyor",
             false},
        };
    });
    pill = shoot("open_gemini_long_chat");
    EXPECT_GT(app->google.chat_scroll_max, 0);
    EXPECT_FLOAT_EQ(app->google.chat_scroll, app->google.chat_scroll_max);
    const std::optional<RectF> last = island_user::region_of(*app, Action::at(ActionKind::GMsg, 7));
    ASSERT_TRUE(last);
    EXPECT_GT(ink(*g, pixel_box(*g, last->x + 14, last->y + 9, last->w - 28, last->h - 18), 120), 300)
        << "the newest answer's text";

    // The pointer on the newest answer: copy and speak fade in beside it.
    app->on_pointer_move(last->x + 40, last->y + last->h / 2);
    shoot("open_gemini_answer_hover");
    const std::optional<RectF> copy = island_user::region_of(*app, Action::at(ActionKind::GCopy, 7));
    ASSERT_TRUE(copy);
    EXPECT_GT(ink(*g, pixel_box(*g, copy->x + 4, copy->y + 4, 20, 20), 60), 30) << "the copy button";
}
