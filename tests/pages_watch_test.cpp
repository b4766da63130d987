// The now-playing and notifications pages: what they draw into the recording
// renderer for the copies the watcher handlers keep, and every clickable
// element reached as a user reaches it (the island opened with a click, the
// page chosen by its dock icon, frames through App::render) carrying the
// Action that does what the click must do.
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "island_draw_support.h"
#include "island_user_support.h"
#include "pages.h"

namespace {

// ---- Sample data ----------------------------------------------------------------------------------------------------

MediaSnapshot playing_song(double position, double duration) {
    MediaSnapshot m;
    m.has = true;
    m.playing = false;  // still, so the shown position is the reported one
    m.title = "Gülümse";
    m.artist = "Sezen Aksu";
    m.app = "Spotify";
    m.position = position;
    m.duration = duration;
    m.can_prev = m.can_next = m.can_seek = true;
    return m;
}

AppNotification notification(const std::string& app, const std::string& app_id, const std::string& title) {
    AppNotification n;
    n.app = app;
    n.app_id = app_id;
    n.title = title;
    n.body = "Akşam yemeğine geliyor musun?";
    n.time = "14:05";
    return n;
}

struct WatchPages : IslandDrawTest {
    void draw_body(Page p, float height) {
        app->drawing.hits.clear();
        app->drawing.record_hits = true;
        ASSERT_TRUE(rec->begin_frame(0, 0, 900, 470));
        app->draw_page(p, {90, 8, 720, height});
    }
    bool has_hit(ActionKind k) const {
        for (const HitRegion& h : app->drawing.hits)
            if (h.action.kind == k) return true;
        return false;
    }
};

}  // namespace

// ---- Now playing: drawn -----------------------------------------------------------------------------------------------

TEST_F(WatchPages, MediaTimesTurnToHoursAtAnHour) {
    struct Case {
        double position, duration;
        const char* elapsed;
        const char* left;
    } cases[] = {
        {3599, 3600, "59:59", "-0:01"},
        {3600, 7200, "1:00:00", "-1:00:00"},
        {65, 60, "1:00", "-0:00"},  // past the end: limited to the duration
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.elapsed);
        app->media.snap = playing_song(c.position, c.duration);
        draw_body(Page::Media, 300);
        EXPECT_NE(text(c.elapsed), nullptr);
        EXPECT_NE(text(c.left), nullptr);
    }
}

TEST_F(WatchPages, MediaEmptyStateAndSessionChips) {
    draw_body(Page::Media, 300);
    EXPECT_NE(text("Şu an bir şey çalmıyor"), nullptr);
    EXPECT_NE(text("Oynat"), nullptr);
    EXPECT_TRUE(has_hit(ActionKind::Play));
    EXPECT_FALSE(has_hit(ActionKind::Seek));

    app->media.snap = playing_song(10, 200);
    app->media.snap.sessions = {{"spotify", "Spotify", "Gülümse", true}};
    draw_body(Page::Media, 300);
    EXPECT_FALSE(has_hit(ActionKind::Source)) << "one session draws no chips";
    app->media.snap.sessions.push_back({"chrome", "Chrome", "Video", false});
    draw_body(Page::Media, 300);
    EXPECT_TRUE(has_hit(ActionKind::Source));
    EXPECT_NE(text("Chrome"), nullptr);
}

// ---- Notifications: drawn ----------------------------------------------------------------------------------------------

TEST_F(WatchPages, NotificationsEmptyTitleByListenerStatus) {
    struct Case {
        std::string status, title;
    } cases[] = {
        {"", "Henüz bildirim yok"},
        {"açık", "Henüz bildirim yok"},
        {"izin alınamadı (erişim reddedildi)", "Bildirim dinleyici: izin alınamadı (erişim reddedildi)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        app->notifs.status = c.status;
        draw_body(Page::Notifs, 330);
        EXPECT_NE(text(c.title), nullptr);
        EXPECT_NE(text("0 bildirim · tıkla: uygulamayı aç"), nullptr);
        EXPECT_EQ(text("Temizle"), nullptr);
        EXPECT_FALSE(has_hit(ActionKind::ToastClear));
    }
}

TEST_F(WatchPages, NotificationsOffStillCountsAndClears) {
    app->settings.app_notif = false;
    app->notifs.list = {notification("WhatsApp", "wa", "Ayşe")};
    draw_body(Page::Notifs, 330);
    EXPECT_NE(text("Uygulama bildirimleri kapalı · Ayarlar'dan açabilirsin"), nullptr);
    EXPECT_EQ(text("Ayşe"), nullptr);
    EXPECT_NE(text("1 bildirim · tıkla: uygulamayı aç"), nullptr);
    EXPECT_TRUE(has_hit(ActionKind::ToastClear));
}

TEST_F(WatchPages, NotificationRowsOutsideTheListRegisterNothing) {
    for (int i = 0; i < 6; ++i) app->notifs.list.push_back(notification("Discord", "dc", fmt::format("Mesaj {}", i)));
    app->notifs.scroll = 60;  // row 0 wholly above, row 1 half out
    draw_body(Page::Notifs, 330);
    std::vector<uint16_t> rows;
    for (const HitRegion& h : app->drawing.hits)
        if (h.action.kind == ActionKind::Toast) rows.push_back(h.action.index);
    // The list area is 208 − 30 high: rows 1 to 4 reach into it.
    EXPECT_EQ(rows, (std::vector<uint16_t>{1, 2, 3, 4}));
    EXPECT_FALSE(has_hit(ActionKind::ToastDel)) << "the cross shows only on a hovered row";
}

// ---- Clicks -------------------------------------------------------------------------------------------------------------

namespace {

using Effect = std::optional<WindowEffect>;

struct ClickCase {
    const char* name;
    Page page;
    std::function<void(App&)> before;
    Action action;
    std::string label;  // a text drawn inside the element's region; empty: the region's centre
    std::string row;    // a text of the row to point at first (hover-revealed controls)
    std::function<void(App&, const Effect&, Receiver<MediaCommand>&)> check;
};

struct WatchPageClicks : ::testing::Test {
    ScopedDataDir data;
    RecordingRenderer* rec = nullptr;
    std::unique_ptr<App> app;

    void SetUp() override { AppFixture::reset_fake_machine(); }
    void TearDown() override {
        app.reset();
        AppFixture::reset_fake_machine();
    }
    void redraw() {
        app->drawing.redraw = true;
        app->tick(island_user::kFrame);
    }
    std::optional<PointF> centre_of(const std::string& s) const {
        const DrawCall* c = rec->find_text(s);
        if (!c) return std::nullopt;
        return c->transform.apply({c->rect.x + c->rect.w / 2, c->rect.y + c->rect.h / 2});
    }
    void run(const ClickCase& c) {
        SCOPED_TRACE(c.name);
        auto r = std::make_unique<RecordingRenderer>(1.0f);
        (void)r->resize_dib(900, 470, 1.0f);
        rec = r.get();
        app = make_test_app(true, std::move(r));
        auto [tx, rx] = channel<MediaCommand>();
        app->media.tx = tx;
        if (c.before) c.before(*app);
        ASSERT_TRUE(island_user::open_on_page(*app, c.page));
        redraw();
        if (!c.row.empty()) {
            const std::optional<PointF> at = centre_of(c.row);
            ASSERT_TRUE(at) << c.row << " not drawn";
            app->on_pointer_move(at->x, at->y);
            island_user::settle(*app);
            redraw();
        }
        const std::optional<RectF> region = island_user::region_of(*app, c.action);
        ASSERT_TRUE(region) << "no region for " << action_name(c.action.kind);
        PointF p{region->x + region->w / 2, region->y + region->h / 2};
        if (!c.label.empty()) {
            const std::optional<PointF> at = centre_of(c.label);
            ASSERT_TRUE(at) << c.label << " not drawn";
            EXPECT_TRUE(at->x >= region->x && at->x <= region->x + region->w && at->y >= region->y &&
                        at->y <= region->y + region->h)
                << c.label << " drawn outside its region";
            p = *at;
        }
        const Action under = app->hit_test(p.x, p.y);
        ASSERT_TRUE(action_eq(under, c.action)) << "region carries " << action_name(under.kind) << " " << under.index;
        app->on_pointer_move(p.x, p.y);
        app->on_pointer_down(p.x, p.y);
        const Effect e = app->on_click(p.x, p.y);
        c.check(*app, e, rx);
    }
};

template <typename C>
std::optional<C> last_sent(Receiver<MediaCommand>& rx) {
    std::optional<C> last;
    while (std::optional<MediaCommand> got = rx.try_recv())
        if (const auto* c = std::get_if<C>(&*got)) last = *c;
    return last;
}

template <typename C>
auto sends() {
    return [](App&, const Effect& e, Receiver<MediaCommand>& rx) {
        EXPECT_FALSE(e.has_value());
        EXPECT_TRUE(last_sent<C>(rx).has_value());
    };
}

void song(App& a) {
    a.media.snap = playing_song(30, 300);
    a.media.snap.sessions = {{"spotify", "Spotify", "Gülümse", true}, {"chrome", "Chrome", "Video", false}};
    a.media.snap.source_id = "spotify";
}

void three_notifications(App& a) {
    a.notifs.list = {notification("WhatsApp", "wa!App", "Ayşe"), notification("Discord", "dc!App", "Mert"),
                     notification("Instagram", "ig!App", "Deniz")};
}

std::vector<std::string> titles(const App& a) {
    std::vector<std::string> out;
    for (const AppNotification& n : a.notifs.list) out.push_back(n.title);
    return out;
}

}  // namespace

TEST_F(WatchPageClicks, NowPlayingControls) {
    const std::vector<ClickCase> cases = {
        {"play with nothing playing", Page::Media, nullptr, Action::of(ActionKind::Play), "Oynat", "",
         sends<media_cmd::TogglePlayPause>()},
        {"previous", Page::Media, song, Action::of(ActionKind::Prev), "", "", sends<media_cmd::Previous>()},
        {"play flips the copy at once", Page::Media, song, Action::of(ActionKind::Play), "", "",
         [](App& a, const Effect& e, Receiver<MediaCommand>& rx) {
             EXPECT_TRUE(last_sent<media_cmd::TogglePlayPause>(rx).has_value());
             EXPECT_TRUE(a.media.snap.playing);
         }},
        {"next", Page::Media, song, Action::of(ActionKind::Next), "", "", sends<media_cmd::Next>()},
        {"seek to the middle", Page::Media, song, Action::of(ActionKind::Seek), "", "",
         [](App& a, const Effect&, Receiver<MediaCommand>& rx) {
             const std::optional<media_cmd::Seek> s = last_sent<media_cmd::Seek>(rx);
             ASSERT_TRUE(s);
             EXPECT_NEAR(s->position, 150, 2);
         }},
        {"the other session's chip", Page::Media, song, Action::byte(ActionKind::Source, 1), "Chrome", "",
         [](App&, const Effect&, Receiver<MediaCommand>& rx) {
             const std::optional<media_cmd::SelectSource> s = last_sent<media_cmd::SelectSource>(rx);
             ASSERT_TRUE(s);
             EXPECT_EQ(s->app_id, "chrome");
         }},
    };
    for (const ClickCase& c : cases) run(c);
}

TEST_F(WatchPageClicks, NotificationRowsAndFooter) {
    const std::vector<ClickCase> cases = {
        {"a row opens its app", Page::Notifs, three_notifications, Action::at(ActionKind::Toast, 1), "Mert", "",
         [](App& a, const Effect& e, Receiver<MediaCommand>&) {
             const auto* o = e ? std::get_if<effect::OpenUrl>(&*e) : nullptr;
             ASSERT_TRUE(o);
             EXPECT_EQ(o->target, "shell:AppsFolder\\dc!App");
             EXPECT_EQ(a.notifs.list.size(), 3u);
         }},
        {"the hovered row's cross removes it", Page::Notifs, three_notifications, Action::at(ActionKind::ToastDel, 1),
         "", "Mert",
         [](App& a, const Effect& e, Receiver<MediaCommand>&) {
             EXPECT_FALSE(e.has_value());
             EXPECT_EQ(titles(a), (std::vector<std::string>{"Ayşe", "Deniz"}));
         }},
        {"clear", Page::Notifs, three_notifications, Action::of(ActionKind::ToastClear), "Temizle", "",
         [](App& a, const Effect&, Receiver<MediaCommand>&) {
             EXPECT_TRUE(a.notifs.list.empty());
             EXPECT_FLOAT_EQ(a.notifs.scroll, 0);
         }},
    };
    for (const ClickCase& c : cases) run(c);
}

// Opening the page by its dock icon resets the unseen count the handler raised.
TEST_F(WatchPageClicks, OpeningTheNotificationsPageClearsTheUnseenCount) {
    auto r = std::make_unique<RecordingRenderer>(1.0f);
    (void)r->resize_dib(900, 470, 1.0f);
    rec = r.get();
    app = make_test_app(true, std::move(r));
    app->notifs.unread_badge = 3;
    ASSERT_TRUE(island_user::open_on_page(*app, Page::Notifs));
    EXPECT_EQ(app->notifs.unread_badge, 0u);
}
