// What the watchers report, drawn by the Direct2D renderer through App::render:
// the now-playing and notifications pages reached by their dock icons, and the
// notices the watcher handlers raise on the closed island (Track, Download,
// Net, Privacy, Steam). Written as PNG files into "island_shots" beside the
// test program, and checked for ink where each part draws.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app.h"
#include "gfx.h"
#include "island_user_support.h"
#include "sys_image.h"
#include "sys_os.h"
#include "sys_win.h"
#include "shot_support.h"
#include "test_support.h"
#include "ui_frame.h"

namespace {

// A two-colour gradient standing in for a cover or a game's header.
ImageRef picture(uint32_t w, uint32_t h, uint8_t red, uint8_t blue) {
    auto img = std::make_shared<Image>();
    img->width = w;
    img->height = h;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            img->pixels.insert(img->pixels.end(), {static_cast<uint8_t>(red * (w - x) / w + 30), static_cast<uint8_t>(60 + 120 * y / h),
                                                   static_cast<uint8_t>(blue * x / w + 30), 255});
    return img;
}

AppNotification notification(const char* app, const char* title, const char* body, const char* time) {
    AppNotification n;
    n.app = app;
    n.app_id = std::string(app) + "!App";
    n.title = title;
    n.body = body;
    n.time = time;
    return n;
}

struct WatchShots : ::testing::Test {
    ComInit com;  // the image encoder is a COM object
    ScopedDataDir data;
    std::unique_ptr<App> app;
    Renderer* g = nullptr;

    void SetUp() override { fresh(); }

    void fresh() {
        app.reset();
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
    }

    // The handler runs as on a loud island, whose notices pass their gate.
    void loud(const std::function<void()>& handler) {
        app->island.quiet = false;
        handler();
        app->island.quiet = true;
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

TEST_F(WatchShots, NowPlayingPage) {
    app->media.shared.with([](MediaSnapshot& m) {
        m.has = true;
        m.playing = true;
        m.title = "Gülümse (Canlı Kayıt) · Harbiye Açıkhava Tiyatrosu Yılbaşı Konseri";
        m.artist = "Sezen Aksu";
        m.app = "Spotify";
        m.sessions = {{"spotify", "Spotify", "Gülümse", true}, {"chrome", "Google Chrome", "Video", false}};
        m.source_id = "spotify";
        m.position = 3599;
        m.duration = 4000;
        m.art = picture(300, 300, 220, 120);
        m.art_small = picture(64, 64, 220, 120);
        m.art_version = 1;
        m.track_version = 1;
        m.accent[0] = 0.9f, m.accent[1] = 0.4f, m.accent[2] = 0.3f;
        m.can_prev = false;
        m.can_next = m.can_seek = true;
    });
    app->on_media_update();
    app->audio.volume = 0.6f;
    ASSERT_TRUE(island_user::open_on_page(*app, Page::Media, 90)) << "the now-playing dock icon";
    app->on_pointer_move(450, 460);  // off the dock, so its label does not cover the cover
    const RectF pill = shoot("open_media");
    const float bx = pill.x + 24, by = pill.y + 56;
    EXPECT_GT(ink(*g, pixel_box(*g, bx + 20, by + 20, 110, 110)), 5000) << "the cover";
    EXPECT_GT(ink(*g, pixel_box(*g, 330, 168, 200, 5)), 200) << "the played part of the seek bar";
    EXPECT_GT(ink(*g, pixel_box(*g, 520, 200, 30, 30)), 100) << "the play button";
}

TEST_F(WatchShots, NotificationsPage) {
    app->notifs.shared.with([](NotificationState& s) {
        s.status = "açık";
        s.items = {
            notification("Instagram", "deniz.yildiz hikâyene yanıt verdi", "Harika görünüyor!", "13:40"),
            notification("Discord", "#genel", "Mert: akşam maça kimler geliyor?", "13:58"),
            notification("WhatsApp",
                         "Ayşe Yılmaz ve Mehmet Kaya ile Yılbaşı Hazırlıkları Planlama Grubu (Çekirdek Ekip)",
                         "Yarınki toplantıyı öğleden sonraya alabilir miyiz? Herkesin katılabileceği bir saat bulalım.",
                         "14:05"),
        };
    });
    // Logos as the listener delivers them; one without an app id shows its letter tile.
    app->notifs.shared.with([](NotificationState& s) {
        s.items[0].logo = picture(64, 64, 230, 90);
        s.items[1].logo = picture(64, 64, 60, 240);
        s.items[2].app_id.clear();
    });
    app->on_notifications_update();
    ASSERT_TRUE(island_user::open_on_page(*app, Page::Notifs, 90)) << "the notifications dock icon";
    EXPECT_EQ(app->notifs.unread_badge, 0u);
    RectF pill = shoot("open_notifs");
    const float bx = pill.x + 24, by = pill.y + 56;
    EXPECT_GT(ink(*g, pixel_box(*g, bx + 50, by + 4, 300, 40)), 200) << "the first row's texts";
    EXPECT_GT(ink(*g, pixel_box(*g, bx + 50, by + 104, 300, 40)), 200) << "the third row's texts";

    // The pointer on the first row: the cross fades in.
    const std::optional<RectF> row = island_user::region_of(*app, Action::at(ActionKind::Toast, 0));
    ASSERT_TRUE(row);
    app->on_pointer_move(row->x + 60, row->y + row->h / 2);
    pill = shoot("open_notifs_hover");
    EXPECT_GT(ink(*g, pixel_box(*g, bx + pill.w - 48 - 32, by + 13, 20, 20), 50), 40) << "the delete cross";

    app->notifs.list.clear();
    app->notifs.status = "izin alınamadı (erişim reddedildi)";
    app->on_pointer_move(450, 460);
    shoot("open_notifs_empty");
}

TEST_F(WatchShots, NoticesTheWatchersRaise) {
    struct Shot {
        const char* name;
        std::function<void(WatchShots&)> raise;
        HudKind kind;
    };
    const std::vector<Shot> shots = {
        {"hud_track_watch",
         [](WatchShots& t) {
             auto song = [](uint64_t version) {
                 return [version](MediaSnapshot& m) {
                     m.has = m.playing = true;
                     m.title = version == 1 ? "Firuze" : "Kaçın Kurası (Akustik) · Yeni Düzenleme ve Uzun Bir Başlık";
                     m.artist = "Sezen Aksu";
                     m.app = "Spotify";
                     m.art = picture(300, 300, 80, 230);
                     m.art_version = version;
                     m.track_version = version;
                 };
             };
             t.app->media.shared.with(song(1));
             t.loud([&] { t.app->on_media_update(); });
             t.app->media.shared.with(song(2));
             t.loud([&] { t.app->on_media_update(); });
         },
         HudKind::Track},
        {"hud_download_watch",
         [](WatchShots& t) {
             t.loud([&] { t.app->on_sysmon_update(); });
             std::vector<std::string> files;
             for (const char* name : {"fatura.pdf", "Yıllık_faaliyet_raporu_2026_son_düzeltilmiş_sürüm.pdf"}) {
                 files.push_back(path_join(t.data.dir, name));
                 std::ofstream(files.back()) << "x";
             }
             t.app->sysmon.shared.with([&](SysmonSnapshot& s) { s.downloads = files; });
             t.loud([&] { t.app->on_sysmon_update(); });
         },
         HudKind::Download},
        {"hud_net_watch",
         [](WatchShots& t) {
             t.app->sysmon.shared.with([](SysmonSnapshot& s) { s.net_checked = true; });
             t.loud([&] { t.app->on_sysmon_update(); });
             t.app->sysmon.shared.with([](SysmonSnapshot& s) {
                 s.online = s.wireless = true;
                 s.net_name = "Ev_Ağı_5G";
             });
             t.loud([&] { t.app->on_sysmon_update(); });
         },
         HudKind::Net},
        {"hud_privacy_watch",
         [](WatchShots& t) {
             t.loud([&] { t.app->on_sysmon_update(); });
             t.app->sysmon.shared.with([](SysmonSnapshot& s) {
                 s.cam_users = {"Microsoft Teams", "Zoom"};
                 s.mic_users = {"Discord"};
             });
             t.loud([&] { t.app->on_sysmon_update(); });
         },
         HudKind::Privacy},
        {"hud_steam_watch",
         [](WatchShots& t) {
             t.app->steam.shared.with([](SteamSnapshot& s) {
                 s.found = s.client = true;
                 SteamActiveDownload d;
                 d.name = "Baldur's Gate 3";
                 d.header = picture(460, 215, 200, 60);
                 s.active = d;
                 SteamEvent e;
                 e.kind = SteamEvent::GameClosed;
                 e.name = "Baldur's Gate 3";
                 e.seconds = 3725;
                 s.events = {e};
             });
             t.loud([&] { t.app->on_steam_update(); });
         },
         HudKind::Steam},
    };
    for (const Shot& s : shots) {
        SCOPED_TRACE(s.name);
        fresh();
        island_user::settle(*app, 30);
        s.raise(*this);
        ASSERT_TRUE(app->notices.shown);
        ASSERT_EQ(app->notices.kind, s.kind);
        const RectF pill = shoot(s.name);
        EXPECT_GT(ink(*g, pixel_box(*g, pill.x + 10, pill.y + 10, pill.w - 20, pill.h - 20)), 500) << "the notice";
    }
}
