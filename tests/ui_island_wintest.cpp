// Every display mode and the open pages, reached as a user reaches them and
// drawn through App::render and the Direct2D renderer into its memory bitmap
// (under Wine: Xvfb, Mesa, DejaVu Sans for the Segoe families; icon-font glyphs
// stay blank there), written as PNG files into "island_shots" beside the test
// program and checked for ink inside the pill and nothing outside the frame.
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
#include "ui_island.h"

namespace {

struct Bgra {
    int b = 0, g = 0, r = 0, a = 0;
};

Bgra bgra_at(const Renderer& r, int x, int y) {
    const uint8_t* p = r.pixels() + (static_cast<size_t>(y) * r.pixel_width() + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

// Pixels with any alpha outside the box.
int alpha_outside(const Renderer& r, const Box& b) {
    int n = 0;
    for (int y = 0; y < r.pixel_height(); ++y)
        for (int x = 0; x < r.pixel_width(); ++x) {
            if (x >= b.x0 && x < b.x1 && y >= b.y0 && y < b.y1) continue;
            if (bgra_at(r, x, y).a != 0) ++n;
        }
    return n;
}

// A diagonal gradient picture standing in for artwork, thumbnails and headers.
ImageRef gradient(uint32_t w, uint32_t h, uint8_t tint) {
    auto img = std::make_shared<Image>();
    img->width = w;
    img->height = h;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            img->pixels.insert(img->pixels.end(), {static_cast<uint8_t>(255 * x / w), tint,
                                                   static_cast<uint8_t>(255 * y / h), 255});
    return img;
}

struct Scene {
    std::string name;
    // Brings the App into the scene's state as the user, a worker or the clock
    // would (an activity running, a notice raised, a countdown ending); the frames
    // that follow choose the display mode.
    std::function<void(App&)> reach;
    // A box in island units, relative to the pill's top-left, that must carry
    // ink; empty when the scene draws only icon glyphs or dark shapes there.
    RectF must_ink;
};

// Frames allowed for one state to settle (a playing equaliser never rests).
constexpr int kSettleFrames = 90;

// Stops every live activity but `keep` (none: all of them).
void keep_only(App& a, std::optional<ActKind> keep) {
    auto off = [&](ActKind k) { return keep != k; };
    if (off(ActKind::Music)) {
        a.media.snap.playing = false;
        a.media.changed = -1000;
        a.anim.equaliser.value = 0;
    }
    if (off(ActKind::Steam)) a.steam.download.reset();
    if (off(ActKind::Game)) a.steam.snap.playing.reset();
    if (off(ActKind::Timer)) a.timers.countdown.running = false;
    if (off(ActKind::Pomo)) a.timers.pomo.running = false;
    if (off(ActKind::Watch)) {
        a.timers.stopwatch.running = false;
        a.timers.stopwatch.accumulated = 0;
    }
}

// Raises a notice as its source does, with its own duration.
std::function<void(App&)> notice(HudKind k, std::function<void(App&)> texts = nullptr) {
    return [k, texts](App& a) {
        if (texts) texts(a);
        a.show_hud(k);
    };
}

struct IslandShots : ::testing::Test {
    ComInit com;  // the image encoder is a COM object
    ScopedDataDir data;
    std::unique_ptr<App> app;
    Renderer* g = nullptr;

    void SetUp() override {
        auto made = create_renderer(static_cast<int>(900 * kShotScale), static_cast<int>(470 * kShotScale), kShotScale);
        ASSERT_TRUE(made) << made.error().message;
        g = made.value().get();
        fresh_app(std::move(made.value()));
    }

    // A new App drawing into `r`, with the machine's state filled in and 09:05 on the clock.
    void fresh_app(std::unique_ptr<Renderer> r) {
        AppInit init;
        init.quiet = true;
        init.renderer = std::move(r);
        app = std::make_unique<App>(std::move(init));
        app->now = 100.3;
        LocalTime t;
        ASSERT_TRUE(local_time_of(unix_now(), t));
        app->wall_clock.unix_seconds = unix_now() + ((9 - t.hour) * 60 + (5 - t.minute)) * 60 - t.second;
        fill_state(*app);
    }
    void renew_app() { fresh_app(std::move(app->drawing.renderer)); }

    static void fill_state(App& a) {
        a.island.has_battery = true;
        a.island.battery = 64;
        a.island.keep_awake = true;
        a.weather.snap.ok = true;
        a.weather.snap.temp = 18.4f;
        a.weather.snap.code = 2;
        a.weather.snap.city = "İstanbul";
        a.weather.snap.days.push_back(WeatherDay{3, 2, 21, 12, 10});
        a.media.snap.has = true;
        a.media.snap.playing = true;
        a.media.snap.title = "Gülümse";
        a.media.snap.artist = "Sezen Aksu";
        a.media.snap.app = "Spotify";
        a.media.snap.position = 75;
        a.media.snap.duration = 220;
        a.media.changed = a.now;
        a.media.snap.art = gradient(96, 96, 60);
        a.media.snap.art_small = gradient(32, 32, 60);
        a.media.snap.art_version = 1;
        a.media.snap.accent[0] = 0.9f, a.media.snap.accent[1] = 0.35f, a.media.snap.accent[2] = 0.4f;
        a.sysmon.snap.cpu = 0.37f;
        a.sysmon.snap.mem_used = 9.1e9;
        a.sysmon.snap.mem_total = 16e9;
        a.sysmon.snap.down_rate = 2.4e6;
        a.sysmon.snap.up_rate = 180e3;
        a.sysmon.snap.online = true;
        a.sysmon.snap.wireless = true;
        a.sysmon.snap.net_checked = true;
        a.steam.download = SteamActiveDownload{"Dota 2", 6.2e9, 9.8e9, 3.1e7, gradient(92, 43, 200), 570, 2, false};
        a.steam.snap.playing = SteamPlaying{"Portal 2", *a.wall_clock.unix_seconds - 3725, gradient(92, 43, 120), 620};
        a.timers.countdown.running = true;
        a.timers.countdown.length = a.timers.countdown.remaining = 900;  // the 15-minute preset, 12:34 left
        a.timers.countdown.end = a.now + 754.2;
        a.timers.pomo.running = true;
        a.timers.pomo.end = a.now + 1100;
        a.timers.stopwatch.running = true;
        a.timers.stopwatch.start = a.now;
        a.timers.stopwatch.accumulated = 83.47;
        a.notices.level.value = a.notices.level.target = 0.62f;
        a.notices.caps_state = 1;
        a.notices.layout_code = "TR";
        a.notifs.unread_badge = 12;
        a.anim.toggles[16].value = 1;
        a.anim.toggles[18].value = 1;
    }

    // Lets the state settle, then draws one whole frame through App::render and
    // checks and saves it.
    void shoot(const std::string& name, const RectF& must_ink) {
        SCOPED_TRACE(name);
        island_user::settle(*app, kSettleFrames);
        app->drawing.full_present = true;
        app->drawing.redraw = true;
        app->tick(island_user::kFrame);
        GdiFlush();

        const FrameGeometry fg = frame_geometry(*app);
        const RectF pill{fg.x, 8, fg.w, fg.h};
        const Box inside = pixel_box(*g, pill.x, pill.y, pill.w, pill.h);
        EXPECT_GT(ink(*g, inside, 24), 0) << "nothing drawn in the pill";
        if (must_ink.w > 0) {
            const Box where = pixel_box(*g, pill.x + must_ink.x, pill.y + must_ink.y, must_ink.w, must_ink.h);
            EXPECT_GT(ink(*g, where), 20) << "no ink where the mode draws";
        }
        // Shadow and glow reach past the pill, never past the frame's own bounds.
        const RectI d = frame_dirty_rect(*app, fg, kShotScale, g->pixel_width(), g->pixel_height());
        EXPECT_EQ(alpha_outside(*g, Box{d.left, d.top, d.right, d.bottom}), 0) << "drawing outside the frame";
        EXPECT_EQ(bgra_at(*g, (inside.x0 + inside.x1) / 2, inside.y0 + 2).a, 255) << "the pill is opaque";
        save_png(*g, pixel_box(*g, pill.x - 16, 0, pill.w + 32, pill.h + 24), name);
    }

    // A closed-island scene on a new App.
    void run(const Scene& s) {
        renew_app();
        if (s.reach) s.reach(*app);
        shoot(s.name, s.must_ink);
    }

    // The open island on page p, reached with a click on the island and one on p's dock icon.
    void open_on(Page p, const std::string& name, const RectF& must_ink) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(island_user::open_on_page(*app, p, kSettleFrames)) << "the dock icon of " << page_key(p);
        shoot(name, must_ink);
    }
};

// Texts are what shows under Wine: the boxes below cover one text of each mode.
TEST_F(IslandShots, EveryDisplayModeDrawsInsideItsPill) {
    auto text = [](const char* t, const char* b) {
        return [t, b](App& a) {
            a.notices.title = t;
            a.notices.body = b;
        };
    };
    auto picture = [](const char* t, const char* b, ImageRef img, uint64_t serial) {
        return [t, b, img, serial](App& a) {
            a.notices.title = t;
            a.notices.body = b;
            a.notices.picture = img;
            a.notices.serial = serial;
        };
    };
    auto only = [](std::optional<ActKind> k) { return [k](App& a) { keep_only(a, k); }; };
    std::vector<Scene> scenes = {
        {"idle", only(std::nullopt), {}},
        {"peek",
         [](App& a) {
             keep_only(a, std::nullopt);
             a.on_pointer_move(450, 300);  // over the window, below the pill
         },
         {18, 0, 90, 36}},
        {"act_music", only(ActKind::Music), {7, 6, 24, 24}},
        {"act_steam", only(ActKind::Steam), {40, 0, 70, 36}},
        {"act_game", only(ActKind::Game), {40, 0, 120, 36}},
        {"act_timer", only(ActKind::Timer), {136, 0, 84, 36}},
        {"act_pomo", only(ActKind::Pomo), {36, 0, 80, 36}},
        {"act_watch", only(ActKind::Watch), {116, 0, 104, 36}},
        {"hud_volume", notice(HudKind::Volume), {50, 0, 208, 44}},
        {"hud_brightness", notice(HudKind::Brightness), {50, 0, 208, 44}},
        {"hud_battery", notice(HudKind::Battery, [](App& a) { a.island.on_ac = true; }), {42, 0, 120, 44}},
        {"hud_low_battery", notice(HudKind::LowBattery, [](App& a) { a.island.on_ac = false, a.island.battery = 12; }),
         {46, 0, 100, 44}},
        {"hud_clipboard", notice(HudKind::Clipboard, text("", "“Yarın 10:00 toplantı”")), {46, 0, 90, 44}},
        {"hud_image", notice(HudKind::Image, picture("Görsel panoya kopyalandı", "1920 × 1080", gradient(120, 68, 90), 1)),
         {12, 12, 70, 52}},
        {"hud_track", notice(HudKind::Track), {72, 10, 200, 50}},
        // The countdown runs out on the clock.
        {"hud_timer_done", [](App& a) { a.timers.countdown.end = a.now + 0.05; }, {80, 18, 150, 42}},
        {"hud_pomo", notice(HudKind::Pomo, text("Mola zamanı!", "Kısa mola · 5 dk")), {80, 18, 200, 42}},
        {"hud_caps", notice(HudKind::Caps), {46, 0, 130, 44}},
        {"hud_layout", notice(HudKind::Layout), {48, 0, 100, 44}},
        {"hud_mic", notice(HudKind::Mic, [](App& a) { a.audio.mic_muted = true; }), {48, 0, 130, 44}},
        {"hud_net", notice(HudKind::Net, text("Bağlandı", "Ev-5G")), {48, 0, 100, 44}},
        {"hud_download", notice(HudKind::Download,
                                [](App& a) {
                                    a.notices.title = "İndirme tamamlandı";
                                    a.notices.body = "rapor-2026.pdf";
                                    a.notices.picture.reset();
                                }),
         {74, 14, 200, 48}},
        {"hud_privacy", notice(HudKind::Privacy, text("Kamera kullanımda", "Teams")), {44, 0, 140, 44}},
        {"hud_info", [](App& a) { a.show_info("Tema", "Karanlık mod açık"); }, {46, 0, 60, 44}},
        {"hud_notice", [](App& a) { a.notify("Hatırlatma", "Çamaşırları as"); }, {76, 16, 150, 44}},
        {"hud_toast",
         [](App& a) {
             a.timers.pomo.running = false;  // toasts wait out a focus run
             a.push_toast(AppNotification{"Discord", "", "Ayşe", "Akşam geliyor musun?", "21:04", nullptr, 3});
         },
         {74, 8, 200, 64}},
        {"hud_steam", notice(HudKind::Steam, picture("İndirme bitti", "Dota 2 · 9,8 GB", gradient(184, 86, 200), 2)),
         {12, 14, 102, 48}},
        {"hud_mail", notice(HudKind::Mail, text("Mehmet Yılmaz", "Yarınki sunum hakkında")), {72, 7, 200, 60}},
        {"hud_event", notice(HudKind::Event, text("Ekip toplantısı", "15 dk sonra")), {72, 16, 200, 44}},
        {"hud_voice_listening", notice(HudKind::Voice, [](App& a) { a.voice.state = VoiceState::Listening; }),
         {62, 0, 90, 64}},
        {"hud_voice_thinking", notice(HudKind::Voice,
                                      [](App& a) {
                                          a.voice.state = VoiceState::Thinking;
                                          a.voice.question = "Yarın hava nasıl?";
                                      }),
         {62, 0, 150, 64}},
        {"hud_voice_answer",
         notice(HudKind::Voice,
                [](App& a) {
                    a.voice.state = VoiceState::Answer;
                    a.voice.question = "Yarın hava nasıl?";
                    a.voice.answer = "Yarın İstanbul'da parçalı bulutlu, en yüksek 21, en düşük 12 derece bekleniyor. "
                                     "Öğleden sonra hafif rüzgâr var.";
                }),
         {64, 38, 400, 40}},
    };
    for (const Scene& s : scenes) run(s);
}

TEST_F(IslandShots, OpenHomePage) {
    open_on(Page::Home, "open_home", {26, 12, 120, 32});
    // The clock card's time, the media card's title and the system card's rates carry text.
    const RectF c{90 + 24, 8 + 56, 672, 180};
    EXPECT_GT(ink(*g, pixel_box(*g, c.x + 18, c.y + 8, 190, 54)), 200);
    EXPECT_GT(ink(*g, pixel_box(*g, c.x + 322, c.y + 18, 118, 20)), 20);
    EXPECT_GT(ink(*g, pixel_box(*g, c.x + 600, c.y + 12, 70, 40)), 20);
    // The dock's faint strip along the bottom of the pill.
    const FrameGeometry fg = frame_geometry(*app);
    EXPECT_GT(ink(*g, pixel_box(*g, fg.x + 60, 8 + fg.h - 44, fg.w - 120, 36), 8), 2000) << "the dock";

    // Nothing playing, no weather yet.
    app->media.snap = MediaSnapshot{};
    app->weather.snap = WeatherSnapshot{};
    app->weather.snap.loading = true;
    shoot("open_home_empty", {26, 12, 120, 32});
    EXPECT_GT(ink(*g, pixel_box(*g, c.x + 230, c.y + 80, 220, 20)), 20) << "Müzik çalmıyor";
}

TEST_F(IslandShots, OpenPagesDrawTheirContent) {
    App& a = *app;
    a.lists.notes.push_back(NoteItem{"Süt al", a.lists.next_id++, 0, false});
    a.lists.notes.push_back(NoteItem{"Faturayı öde", a.lists.next_id++, 1, true});
    a.lists.reminders.push_back(ReminderItem{"Toplantı", *a.wall_clock.unix_seconds + 1800, a.lists.next_id++});
    a.lists.clips.insert(a.lists.clips.begin(), ClipEntry{"09:02", ClipEntry::Text{"Kopyalanan metin örneği"}, a.lists.next_id++, false});
    a.lists.clips.insert(a.lists.clips.begin(), ClipEntry{"09:04", ClipEntry::Files{{"C:\\Belgeler\\rapor.pdf"}}, a.lists.next_id++, true});
    // Several lines, longer than a row shows: one line with single spaces, cut at the row's end.
    std::string long_text = "Toplantı notları:\n\n  1. Bütçe taslağı cuma gününe kadar hazırlanacak,\n  2. Satış ekibi";
    for (int i = 0; i < 6; ++i) long_text += " yeni müşteri listesini paylaşacak ve haftalık raporu güncelleyecek";
    a.lists.clips.insert(a.lists.clips.begin(), ClipEntry{"09:05", ClipEntry::Text{long_text}, a.lists.next_id++, false});
    a.lists.shelf.push_back(ShelfItem{"C:\\Belgeler\\rapor.pdf", "rapor.pdf", "PDF · 1,5 MB", nullptr, a.lists.next_id++});
    a.lists.shelf.push_back(ShelfItem{"C:\\Resimler", "Resimler", "Klasör", nullptr, a.lists.next_id++});
    a.lists.shelf.push_back(ShelfItem{"C:\\Resimler\\tatil-fotoğrafı.jpg", "tatil-fotoğrafı.jpg", "JPG · 3,2 MB",
                                      gradient(54, 54, 150), a.lists.next_id++});
    a.lists.shelf.push_back(ShelfItem{"C:\\Belgeler\\sunum.pptx", "sunum.pptx", "PPTX · 12 MB", nullptr, a.lists.next_id++});
    const Page pages[] = {Page::Time, Page::Control, Page::Shelf, Page::Clip, Page::Notes};
    for (Page p : pages) {
        // The header's title and the body below it carry ink.
        open_on(p, std::string("open_") + page_key(p), {26, 12, 120, 32});
        const RectF pill{frame_geometry(*app).x, 8, frame_geometry(*app).w, frame_geometry(*app).h};
        EXPECT_GT(ink(*g, pixel_box(*g, pill.x + 40, pill.y + 70, 640, 150)), 20) << page_key(p) << " body";
    }
}

}  // namespace
