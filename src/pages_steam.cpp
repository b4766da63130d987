// The Steam page: the local Steam client as its watcher sees it. A header with
// the user's Steam name, a status badge, shortcuts into the client and a
// summary line; a card for the game being played and one for the active
// download; and a strip of the recently played games, each opened by a click.
//
// Layout of the content rectangle (672 × 250 on the open island):
//   0..68    the Steam disc, the title with its badge, the summary line below
//            it; the three shortcut chips at the right
//   76..250  without a card: the recently played strip across the width;
//            with cards: the cards stacked on the left, the strip beside them
//
// Index
//   Texts
//   Geometry and helpers
//   Header
//   Now-playing card
//   Download card
//   Recently played strip
//   The page
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "app.h"
#include "app_format.h"
#include "pages.h"
#include "sys_num.h"
#include "ui_island.h"
#include "ui_widgets.h"

// ---- Texts ------------------------------------------------------------------------------------------------

DownloadBadge download_badge(uint8_t state, bool paused) {
    DownloadBadge b{"", page_color::kLightBlue};
    switch (state) {
        case 0: b = {"Sırada", page_color::kLightBlue}; break;
        case 1: b = {"Yer ayrılıyor", page_color::kLightBlue}; break;
        case 2: b = {"İndiriliyor", page_color::kBlue}; break;
        case 3: b = {"Hazırlanıyor", page_color::kPurple}; break;
        case 4: b = {"Kuruluyor", page_color::kPurple}; break;
        case 5: b = {"Doğrulanıyor", page_color::kGreen}; break;
        case 6: b = {"Yapılandırılıyor", page_color::kLightBlue}; break;
        default: break;
    }
    // A paused download keeps its state's colour under the paused label.
    if (paused) b.label = "Duraklatıldı";
    return b;
}

std::string played_ago_text(int64_t last_played, int64_t now) {
    const int64_t days = std::max<int64_t>(now - last_played, 0) / 86400;
    if (days < 30) return fmt::format("{} gün önce", days);
    return fmt::format("{} ay önce", days / 30);
}

std::string play_hours_text(uint32_t minutes) {
    if (minutes < 600) return fixed_comma(minutes / 60.0, 1);
    return fmt::format("{}", minutes / 60);
}

namespace {

// ---- Geometry and helpers -----------------------------------------------------------------------------------

constexpr float kHeaderH = 68, kBodyTop = 76;
constexpr float kDiscR = 34, kTitleX = 104, kTitleMaxW = 360;
constexpr float kChipW = 98, kChipH = 26, kChipGap = 6;
constexpr float kSummaryW = 356;
constexpr float kCardsW = 440, kCardH = 80, kCardPitch = 88, kColumnGap = 12;
constexpr float kThumbW = 112, kThumbH = 52, kCardTextX = 134;
constexpr float kDownloadsChipW = 94, kDownloadsChipH = 24;
constexpr float kTileGap = 12, kTileMinW = 104, kTilePictureH = 62;

Color white(float a) { return rgb(255, 255, 255, a); }

struct Shortcut {
    const char* label;
    uint8_t target;  // SteamOpen: 0 downloads, 1 library, 2 store
};
constexpr Shortcut kShortcuts[3] = {{"Kütüphane", 1}, {"Mağaza", 2}, {"İndirmeler", 0}};

// The summary line; the short form sits above the download card, which tells the rest.
std::string summary_text(const SteamSnapshot& s, bool short_form) {
    std::string out = fmt::format("{} oyun · {}", s.game_count, format_bytes(s.total_size));
    if (short_form) {
        if (s.updates_waiting > 0) out += fmt::format(" · {} güncelleme", s.updates_waiting);
        return out;
    }
    out += " kurulu";
    if (s.updates_waiting > 0) out += fmt::format(" · {} güncelleme bekliyor", s.updates_waiting);
    if (!s.last_update_title.empty())
        out += fmt::format(" · son güncelleme: {} {}", s.last_update_title, s.last_update_detail);
    return out;
}

// The recorded play time of a game, by its app id; 0 when the list does not hold it.
uint32_t play_minutes(const SteamSnapshot& s, uint32_t app_id) {
    for (const SteamGameEntry& g : s.games)
        if (g.app_id == app_id) return g.minutes;
    return 0;
}

// ---- Header ---------------------------------------------------------------------------------------------------

struct Badge {
    const char* label;
    Color text, fill;
};

Badge status_badge(const SteamSnapshot& s) {
    if (!s.found) return {"Steam bulunamadı", white(0.4f), white(0.088f)};
    if (s.client) return {"Steam açık", page_color::kGreen, with_alpha(page_color::kGreen, 0.22f)};
    return {"Steam kapalı", white(0.55f), white(0.121f)};
}

void header(App& app, const RectF& c) {
    Renderer& g = *app.drawing.renderer;
    const SteamSnapshot& s = app.steam.snap;
    g.fill_circle(c.x + kDiscR, c.y + kDiscR, kDiscR, with_alpha(page_color::kBlue, 0.12f));
    g.draw_glyph(0xE7FC, c.x + kDiscR, c.y + kDiscR, 26, page_color::kBlue);

    // The title gives way to the badge, and both to the chips: a long name ends in an ellipsis.
    const float chips_w = 3 * kChipW + 2 * kChipGap;
    const float right = s.found ? c.x + c.w - chips_w - 12 : c.x + c.w;
    const Badge badge = status_badge(s);
    const float bw = g.measure_text(badge.label, 11.5f, FontFamily::Text, 700) + 20;
    const std::string_view title = s.persona.empty() ? std::string_view("Steam") : std::string_view(s.persona);
    const float room = std::max(0.0f, right - (c.x + kTitleX) - 10 - bw);
    const float tw = std::min({kTitleMaxW, g.measure_text(title, 19, FontFamily::Display, 700), room});
    g.draw_text(title, {c.x + kTitleX, c.y + 14, tw, 28}, 19, FontFamily::Display, 700, page_color::kPrimary,
                TextAlign::Left);
    const RectF pill{c.x + kTitleX + tw + 10, c.y + 17, bw, 22};
    g.fill_rounded_rect(pill, 11, badge.fill);
    g.draw_text(badge.label, pill, 11.5f, FontFamily::Text, 700, badge.text, TextAlign::Center);

    if (!s.found) return;
    for (int i = 0; i < 3; ++i) {
        const RectF chip{c.x + c.w - chips_w + static_cast<float>(i) * (kChipW + kChipGap), c.y + 8, kChipW, kChipH};
        app.draw_chip_button(chip, Action::byte(ActionKind::SteamOpen, kShortcuts[i].target), kShortcuts[i].label);
    }
    g.draw_text(summary_text(s, s.active.has_value()), {c.x + kTitleX, c.y + 46, kSummaryW, 18}, 11.5f,
                FontFamily::Text, 600, page_color::kTertiary, TextAlign::Left);
}

// ---- Now-playing card -------------------------------------------------------------------------------------------

void card_background(Renderer& g, const RectF& r) { g.fill_rounded_rect(r, std::min({16.0f, r.w / 2, r.h / 2}), white(0.07f)); }

void playing_card(App& app, const SteamPlaying& p, const RectF& r) {
    Renderer& g = *app.drawing.renderer;
    card_background(g, r);
    app.game_thumb(p.app_id, p.header.get(), {r.x + 10, r.y + (r.h - kThumbH) / 2, kThumbW, kThumbH}, 8);
    const float tx = r.x + kCardTextX, tw = r.w - kCardTextX - 12;
    g.draw_text("Şimdi oynuyor", {tx, r.y + 8, tw, 18}, 12.5f, FontFamily::Text, 700, page_color::kGreen,
                TextAlign::Left);
    g.draw_text(p.name, {tx, r.y + 26, tw, 26}, 17, FontFamily::Display, 700, page_color::kPrimary, TextAlign::Left);
    const int64_t session = std::max<int64_t>(app.wall_unix() - p.started, 0);
    g.draw_text(fmt::format("Bu oturum {} · Toplam {} saat", duration_clock_text(session),
                            play_hours_text(play_minutes(app.steam.snap, p.app_id))),
                {tx, r.y + 54, tw, 18}, 13, FontFamily::Text, 600, page_color::kSecondary, TextAlign::Left);
}

// ---- Download card ----------------------------------------------------------------------------------------------

void download_card(App& app, const SteamActiveDownload& d, const RectF& r) {
    Renderer& g = *app.drawing.renderer;
    card_background(g, r);
    app.game_thumb(d.app_id, d.header.get(), {r.x + 10, r.y + (r.h - kThumbH) / 2, kThumbW, kThumbH}, 8);
    const float tx = r.x + kCardTextX, tw = r.w - kCardTextX - 12, right = r.x + r.w - 12;

    // Row 1: name, the working indicator while it works, the state badge.
    const DownloadBadge badge = download_badge(d.state, d.paused);
    const float bw = g.measure_text(badge.label, 11.5f, FontFamily::Text, 700) + 16;
    const RectF pill{right - bw, r.y + 11, bw, 20};
    g.fill_rounded_rect(pill, 10, with_alpha(badge.color, 0.2f));
    g.draw_text(badge.label, pill, 11.5f, FontFamily::Text, 700, badge.color, TextAlign::Center);
    float name_right = pill.x - 8;
    if (!d.paused) {
        app.draw_spinner(pill.x - 14, pill.y + pill.h / 2, 5, app.now);
        name_right -= 22;
    }
    g.draw_text(d.name, {tx, r.y + 6, std::max(0.0f, name_right - tx), 26}, 17, FontFamily::Display, 700,
                page_color::kPrimary, TextAlign::Left);

    // Row 2: done and total with the whole percent; the chip into Steam's downloads at the right.
    const RectF chip{right - kDownloadsChipW, r.y + 32, kDownloadsChipW, kDownloadsChipH};
    const std::string progress = fmt::format("{} / {} · %{}", format_bytes(sat_u64(d.done)),
                                             format_bytes(sat_u64(d.total)), download_percent(d.done, d.total));
    g.draw_text(progress, {tx, r.y + 35, std::max(0.0f, chip.x - 8 - tx), 18}, 12.5f, FontFamily::Text, 600,
                page_color::kPrimary, TextAlign::Left);

    // Row 3: the progress bar, then the rate and the time left, which take the room they need
    // and leave the bar at least a fifth of the row.
    const std::string rate = fmt::format("{}{}", format_rate(d.rate), download_time_left(d.done, d.total, d.rate));
    const float rate_w = std::min(g.measure_text(rate, 12.5f, FontFamily::Text, 600), tw * 0.8f - 10);
    const float row3 = r.y + r.h - 24;
    g.draw_text(rate, {right - rate_w, row3, rate_w, 18}, 12.5f, FontFamily::Text, 600, page_color::kSecondary,
                TextAlign::Right);
    const float track = right - rate_w - 10 - tx;
    if (track > 0) {
        const float bar_y = row3 + 6;
        g.fill_rounded_rect({tx, bar_y, track, 6}, 3, white(0.12f));
        const float frac = static_cast<float>(download_percent(d.done, d.total)) / 100;
        g.fill_rounded_rect({tx, bar_y, std::max(6.0f, frac * track), 6}, 3, badge.color);
    }
    app.draw_chip_button(chip, Action::byte(ActionKind::SteamOpen, 0), "İndirmeler");
}

// ---- Recently played strip --------------------------------------------------------------------------------------

void recent_strip(App& app, const RectF& area) {
    Renderer& g = *app.drawing.renderer;
    const std::vector<SteamGameEntry>& games = app.steam.snap.games;
    if (games.empty()) return;
    g.draw_text("Son oynananlar · tıkla, oyun açılsın", {area.x, area.y, area.w, 18}, 12, FontFamily::Text, 700,
                page_color::kTertiary, TextAlign::Left);

    const size_t fit = static_cast<size_t>(std::max(1.0f, std::floor((area.w + kTileGap) / (kTileMinW + kTileGap))));
    const size_t n = std::min(games.size(), fit);
    const float tile_w = (area.w - kTileGap * static_cast<float>(fit - 1)) / static_cast<float>(fit);
    const int64_t now = app.wall_unix();
    for (size_t i = 0; i < n; ++i) {
        const SteamGameEntry& game = games[i];
        const Action open = Action::at(ActionKind::SteamGame, static_cast<uint16_t>(i));
        const float x = area.x + static_cast<float>(i) * (tile_w + kTileGap), y = area.y + 22;
        const float p = press_scale(app, open);
        const RectF picture{x + tile_w * (1 - p) / 2, y + kTilePictureH * (1 - p) / 2, tile_w * p, kTilePictureH * p};
        app.game_thumb(game.app_id, game.header.get(), picture, 10);
        const float h = app.hover_of(open);
        if (h > 0) g.fill_rounded_rect(picture, 10, white(0.12f * h));
        g.draw_text(game.name, {x, y + kTilePictureH + 4, tile_w, 16}, 12, FontFamily::Text, 700, page_color::kPrimary,
                    TextAlign::Left);
        const std::string detail =
            game.last_played > 0
                ? fmt::format("{} saat · {}", play_hours_text(game.minutes), played_ago_text(game.last_played, now))
                : fmt::format("{} saat", play_hours_text(game.minutes));
        g.draw_text(detail, {x, y + kTilePictureH + 20, tile_w, 14}, 10.5f, FontFamily::Text, 400,
                    page_color::kTertiary, TextAlign::Left);
        app.push_hit({x, y, tile_w, kTilePictureH + 34}, open);
    }
}

}  // namespace

// ---- The page ---------------------------------------------------------------------------------------------------

void draw_steam_page(App& app, const RectF& island) {
    if (!app.drawing.renderer) return;
    Renderer& g = *app.drawing.renderer;
    const RectF c = page_content_rect(island);
    const SteamSnapshot& s = app.steam.snap;
    header(app, c);

    if (!s.found) {
        g.draw_text("Steam bu bilgisayarda bulunamadı", {c.x, c.y + kHeaderH, c.w, c.h - kHeaderH}, 13,
                    FontFamily::Text, 400, page_color::kTertiary, TextAlign::Center);
        return;
    }

    const float top = c.y + kBodyTop;
    float y = top;
    if (s.playing) {
        playing_card(app, *s.playing, {c.x, y, kCardsW, kCardH});
        y += kCardPitch;
    }
    if (s.active) {
        download_card(app, *s.active, {c.x, y, kCardsW, kCardH});
        y += kCardPitch;
    }
    if (y == top)
        recent_strip(app, {c.x, top + 4, c.w, c.y + c.h - top - 4});
    else
        recent_strip(app, {c.x + kCardsW + kColumnGap, top, c.w - kCardsW - kColumnGap, c.y + c.h - top});
}
