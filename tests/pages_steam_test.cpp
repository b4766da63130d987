// The Steam page as a user reaches it (a click on the island, a click on the
// Steam dock icon), drawn through App::render: the status badge and title,
// the download card's state badges and its arithmetic on a total and a rate
// of 0, the now-playing card, the recently played strip, and every clickable
// element clicked where it was drawn.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "open_page_support.h"
#include "pages.h"

namespace {

using open_page::ClickCase;
using open_page::Effect;
using open_page::hands_off_to;

constexpr uint64_t kGiB = 1073741824, kMiB = 1048576;

SteamGameEntry game(const char* name, uint32_t app_id, uint32_t minutes, int64_t last_played) {
    SteamGameEntry g;
    g.name = name;
    g.app_id = app_id;
    g.minutes = minutes;
    g.last_played = last_played;
    g.size = 20 * kGiB;
    return g;
}

// An installed client with three games, the newest played first.
void installed(App& a, bool running) {
    SteamSnapshot& s = a.steam.snap;
    s.found = true;
    s.client = running;
    const int64_t now = a.wall_unix();
    s.games = {game("Portal 2", 620, 754, now - 3 * 86400), game("Hades", 1145360, 3000, now - 45 * 86400),
               game("Celeste", 504230, 20, 0)};
    s.game_count = 3;
    s.total_size = 60 * kGiB;
}

void downloading(App& a, double done, double total, double rate, uint8_t state, bool paused) {
    SteamActiveDownload d;
    d.name = "Cyberpunk 2077";
    d.app_id = 1091500;
    d.done = done;
    d.total = total;
    d.rate = rate;
    d.state = state;
    d.paused = paused;
    a.steam.snap.active = d;
    a.steam.download = d;
}

struct SteamPage : open_page::OpenPageTest {};

}  // namespace

// ---- Texts ---------------------------------------------------------------------------------------------------

TEST(SteamPageTexts, DownloadStatesHaveTheirLabelsAndColours) {
    struct Case {
        uint8_t state;
        const char* label;
        Color color;
    } cases[] = {
        {0, "Sırada", page_color::kLightBlue},       {1, "Yer ayrılıyor", page_color::kLightBlue},
        {2, "İndiriliyor", page_color::kBlue},       {3, "Hazırlanıyor", page_color::kPurple},
        {4, "Kuruluyor", page_color::kPurple},       {5, "Doğrulanıyor", page_color::kGreen},
        {6, "Yapılandırılıyor", page_color::kLightBlue},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.state));
        const DownloadBadge b = download_badge(c.state, false);
        EXPECT_STREQ(b.label, c.label);
        expect_color(b.color, int(c.color.r * 255 + 0.5f), int(c.color.g * 255 + 0.5f), int(c.color.b * 255 + 0.5f), 1);
        // Paused, the label changes and the colour of its state stays.
        const DownloadBadge p = download_badge(c.state, true);
        EXPECT_STREQ(p.label, "Duraklatıldı");
        EXPECT_FLOAT_EQ(p.color.b, b.color.b);
    }
}

TEST(SteamPageTexts, TimeAgoAndPlayTime) {
    const int64_t now = 1'800'000'000;
    EXPECT_EQ(played_ago_text(now - 3 * 86400, now), "3 gün önce");
    EXPECT_EQ(played_ago_text(now - 3 * 86400 + 1, now), "2 gün önce");
    EXPECT_EQ(played_ago_text(now - 29 * 86400, now), "29 gün önce");
    EXPECT_EQ(played_ago_text(now - 30 * 86400, now), "1 ay önce");
    EXPECT_EQ(played_ago_text(now - 400 * 86400, now), "13 ay önce");
    EXPECT_EQ(played_ago_text(now + 500, now), "0 gün önce") << "a clock running behind the client";
    EXPECT_EQ(play_hours_text(0), "0,0");
    EXPECT_EQ(play_hours_text(150), "2,5");
    EXPECT_EQ(play_hours_text(599), "10,0");
    EXPECT_EQ(play_hours_text(600), "10");
    EXPECT_EQ(play_hours_text(754), "12");
}

// ---- Header ----------------------------------------------------------------------------------------------------

TEST_F(SteamPage, StatusBadgeAndTitle) {
    struct Case {
        const char* name;
        bool found, client;
        std::string persona;
        const char* badge;
        const char* title;
    } cases[] = {
        {"installed but closed", true, false, "", "Steam kapalı", "Steam"},
        {"running with a name", true, true, "gabe", "Steam açık", "gabe"},
        {"not installed", false, false, "", "Steam bulunamadı", "Steam"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fresh_app();
        app->steam.snap.found = c.found;
        app->steam.snap.client = c.client;
        app->steam.snap.persona = c.persona;
        open(Page::Steam);
        const DrawCall* badge = text(c.badge);
        ASSERT_TRUE(badge);
        EXPECT_FLOAT_EQ(badge->size, 11.5f);
        const DrawCall* title = nullptr;
        for (const DrawCall* t : all_text(c.title))
            if (t->size == 19) title = t;
        ASSERT_TRUE(title) << "the page title";
        expect_rect(title->rect, 114 + 104, 64 + 14, title->rect.w, 28);
        EXPECT_NEAR(badge->rect.x, title->rect.x + title->rect.w + 10, 1e-3f) << "the badge follows the title";
    }
    // Closed: white at 0.55 on white at 0.121.
    fresh_app();
    installed(*app, false);
    open(Page::Steam);
    expect_color(text("Steam kapalı")->color, 255, 255, 255, 0.55f);
}

TEST_F(SteamPage, NotInstalledShowsOnlyTheMessage) {
    open(Page::Steam);
    ASSERT_TRUE(drawn("Steam bu bilgisayarda bulunamadı"));
    EXPECT_FALSE(drawn("Kütüphane"));
    EXPECT_FALSE(drawn("Son oynananlar · tıkla, oyun açılsın"));
    EXPECT_TRUE(page_regions().empty());
}

// A long name ends in an ellipsis before the badge, and the badge before the chips.
TEST_F(SteamPage, LongPersonaGivesWayToTheBadgeAndChips) {
    installed(*app, true);
    app->steam.snap.persona = "Çok uzun bir Steam kullanıcı adı, gerçekten çok çok uzun";
    open(Page::Steam);
    const DrawCall* title = text(app->steam.snap.persona);
    const DrawCall* badge = text("Steam açık");
    const DrawCall* chip = text("Kütüphane");
    ASSERT_TRUE(title && badge && chip);
    EXPECT_LT(title->rect.w, rec->measure_text(title->text, 19, FontFamily::Display, 700));
    EXPECT_LE(title->rect.x + title->rect.w + 10, badge->rect.x + 1e-3f);
    EXPECT_LE(badge->rect.x + badge->rect.w, chip->rect.x - 10);
}

// ---- Download card ---------------------------------------------------------------------------------------------

TEST_F(SteamPage, DownloadCardWithTotalAndRateOfZero) {
    installed(*app, true);
    downloading(*app, 0, 0, 0, 0, false);
    open(Page::Steam);
    EXPECT_TRUE(drawn("0 B / 0 B · %0")) << "no NaN percent";
    EXPECT_TRUE(drawn("0 B/s")) << "and no time left";
    EXPECT_TRUE(drawn("Sırada"));
    EXPECT_TRUE(drawn("3 oyun · 60,0 GB")) << "the short summary above the card";
}

TEST_F(SteamPage, DownloadCardProgressRateAndTimeLeft) {
    struct Case {
        const char* name;
        double done, total, rate;
        uint8_t state;
        bool paused;
        const char* progress;
        const char* rate_text;
        const char* badge;
    } cases[] = {
        {"a quarter at 10 MB/s", 1.0 * kGiB, 4.0 * kGiB, 10.0 * kMiB, 2, false, "1,0 GB / 4,0 GB · %25",
         "10,0 MB/s · kalan 5 dk", "İndiriliyor"},
        {"hours left", 0, 40.0 * kGiB, 5.0 * kMiB, 2, false, "0 B / 40,0 GB · %0", "5,0 MB/s · kalan 2 sa 16 dk",
         "İndiriliyor"},
        {"done past total", 5.0 * kGiB, 4.0 * kGiB, 0, 4, false, "5,0 GB / 4,0 GB · %100", "0 B/s", "Kuruluyor"},
        {"paused", 1.0 * kGiB, 2.0 * kGiB, 0, 2, true, "1,0 GB / 2,0 GB · %50", "0 B/s", "Duraklatıldı"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fresh_app();
        installed(*app, true);
        downloading(*app, c.done, c.total, c.rate, c.state, c.paused);
        open(Page::Steam);
        const DrawCall* progress = text(c.progress);
        const DrawCall* rate = text(c.rate_text);
        ASSERT_TRUE(progress);
        ASSERT_TRUE(rate);
        EXPECT_TRUE(drawn(c.badge));
        const bool apart = progress->rect.x + progress->rect.w <= rate->rect.x ||
                           progress->rect.y + progress->rect.h <= rate->rect.y;
        EXPECT_TRUE(apart) << "the rate never runs into the progress";
        const DrawCall* chip = nullptr;
        for (const DrawCall* t : all_text("İndirmeler"))
            if (t->rect.y > progress->rect.y - 10) chip = t;
        ASSERT_TRUE(chip);
        EXPECT_LE(progress->rect.x + progress->rect.w, chip->rect.x) << "nor the progress into the card's chip";
        EXPECT_LE(rate->rect.x + rate->rect.w, chip->rect.x + chip->rect.w);
        EXPECT_EQ(rate->align, TextAlign::Right);
        expect_color(rate->color, 255, 255, 255, 0.62f);
    }
}

// ---- Now playing and the strip ---------------------------------------------------------------------------------

TEST_F(SteamPage, NowPlayingCardAndRecentlyPlayed) {
    installed(*app, true);
    SteamPlaying p;
    p.name = "Portal 2";
    p.app_id = 620;
    p.started = unix_now() - (3600 + 2 * 60 + 3);
    app->steam.snap.playing = p;
    open(Page::Steam);
    EXPECT_TRUE(drawn("Şimdi oynuyor"));
    EXPECT_TRUE(drawn("Bu oturum 1:02:03 · Toplam 12 saat"));
    EXPECT_TRUE(drawn("12 saat · 3 gün önce"));
    EXPECT_TRUE(drawn("50 saat · 1 ay önce"));
    EXPECT_FALSE(drawn("Celeste")) << "two tiles fit beside the card";

    // Without a card the strip runs across the page, never-played games without a time.
    fresh_app();
    installed(*app, false);
    open(Page::Steam);
    EXPECT_TRUE(drawn("0,3 saat"));
    EXPECT_TRUE(drawn("3 oyun · 60,0 GB kurulu"));
}

TEST_F(SteamPage, SummaryLine) {
    installed(*app, true);
    app->steam.snap.updates_waiting = 2;
    app->steam.snap.last_update_title = "Hades";
    app->steam.snap.last_update_detail = "dün";
    open(Page::Steam);
    EXPECT_TRUE(drawn("3 oyun · 60,0 GB kurulu · 2 güncelleme bekliyor · son güncelleme: Hades dün"));
    downloading(*app, 0, kGiB, 0, 2, false);
    redraw();
    EXPECT_TRUE(drawn("3 oyun · 60,0 GB · 2 güncelleme"));
}

// ---- Clicks ------------------------------------------------------------------------------------------------------

TEST_F(SteamPage, EveryClickableElement) {
    auto with_download = [](App& a) {
        installed(a, true);
        downloading(a, kGiB, 2.0 * kGiB, kMiB, 2, false);
    };
    auto opens = [](const char* target) {
        return [target](App& a, const Effect& e) { EXPECT_TRUE(hands_off_to(a, e, target)); };
    };
    auto closed = [](App& a) { installed(a, false); };
    const std::vector<ClickCase> cases = {
        {"library", "Kütüphane", "", Action::byte(ActionKind::SteamOpen, 1), closed, opens("steam://open/games")},
        {"store", "Mağaza", "", Action::byte(ActionKind::SteamOpen, 2), closed, opens("steam://store")},
        {"downloads chip", "İndirmeler", "Kütüphane", Action::byte(ActionKind::SteamOpen, 0), closed,
         opens("steam://open/downloads")},
        {"the download card's chip", "İndirmeler", "1,0 GB / 2,0 GB · %50", Action::byte(ActionKind::SteamOpen, 0),
         with_download, opens("steam://open/downloads")},
        {"the first tile", "Portal 2", "", Action::at(ActionKind::SteamGame, 0), closed, opens("steam://rungameid/620")},
        {"the second tile", "Hades", "", Action::at(ActionKind::SteamGame, 1), with_download,
         opens("steam://rungameid/1145360")},
        {"a never played game", "Celeste", "", Action::at(ActionKind::SteamGame, 2), closed,
         opens("steam://rungameid/504230")},
    };
    for (const ClickCase& c : cases) run(Page::Steam, c);
}

// Nothing else on the page is clickable.
TEST_F(SteamPage, RegionsAreTheChipsTheCardChipAndTheTiles) {
    installed(*app, true);
    downloading(*app, kGiB, 2.0 * kGiB, kMiB, 2, false);
    open(Page::Steam);
    std::vector<std::string> got;
    for (const HitRegion& h : page_regions()) got.push_back(action_debug(h.action));
    EXPECT_EQ(got, (std::vector<std::string>{"SteamOpen(1)", "SteamOpen(2)", "SteamOpen(0)", "SteamOpen(0)",
                                             "SteamGame(0)", "SteamGame(1)"}));
}
