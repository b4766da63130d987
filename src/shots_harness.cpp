// The screenshot mode's driver: the report, the fake data, the synthetic
// clicks, the shot writer, the glyph sheet and the run order.
//
// Index
//   Report and checks
//   Fake data
//   Input
//   Capture
//   Glyph sheet
//   The run
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include <fmt/format.h>

#include "shots.h"
#include "sys_os.h"
#include "sys_text.h"

// ---- Report and checks ------------------------------------------------------------------

void shot_check(ShotsReport& report, std::string_view description, bool pass) {
    report.text += fmt::format("  [{}] {}\n", pass ? "OK" : "FAIL", description);
    if (!pass) ++report.failures;
}

// ---- Fake data --------------------------------------------------------------------------

namespace {

uint8_t channel(float v) { return static_cast<uint8_t>(std::clamp(v, 0.0f, 1.0f) * 255.0f); }

}  // namespace

ImageRef make_test_image(uint32_t n) {
    auto img = std::make_shared<Image>();
    img->width = img->height = n;
    img->pixels.resize(static_cast<size_t>(n) * n * 4);
    for (uint32_t y = 0; y < n; ++y)
        for (uint32_t x = 0; x < n; ++x) {
            const float fx = static_cast<float>(x) / n, fy = static_cast<float>(y) / n;
            const float d = std::sqrt((fx - 0.62f) * (fx - 0.62f) + (fy - 0.38f) * (fy - 0.38f));
            const float spot = std::clamp(1 - 4 * d, 0.0f, 1.0f) * 0.6f;
            uint8_t* p = &img->pixels[(static_cast<size_t>(y) * n + x) * 4];
            p[0] = channel(0.55f + 0.4f * fx - 0.3f * fy + spot);
            p[1] = channel(0.25f + 0.3f * fx * fy + spot);
            p[2] = channel(0.95f - 0.35f * fy + 0.1f * std::sin(9 * fx) + spot);
            p[3] = 255;
        }
    return img;
}

ImageRef make_fake_album_art(uint32_t k) {
    constexpr uint32_t kW = 260, kH = 121;
    auto img = std::make_shared<Image>();
    img->width = kW, img->height = kH;
    img->pixels.resize(static_cast<size_t>(kW) * kH * 4);
    const float fk = static_cast<float>(k);
    for (uint32_t y = 0; y < kH; ++y)
        for (uint32_t x = 0; x < kW; ++x) {
            const float fx = static_cast<float>(x) / kW, fy = static_cast<float>(y) / kH;
            uint8_t* p = &img->pixels[(static_cast<size_t>(y) * kW + x) * 4];
            p[1] = channel(0.25f + 0.4f * std::fabs(std::cos(2 * static_cast<float>(y) / kH + 0.7f * fk)));
            p[0] = channel(0.35f + 0.5f * std::fabs(std::sin(2.5f * (fx + fy) + 1.3f * fk)));
            p[2] = channel(0.3f + 0.5f * std::fabs(std::sin(3 * fx + fk)));
            p[3] = 255;
        }
    return img;
}

std::vector<AppEntry> make_fake_app_entries(const std::vector<std::string>& names) {
    std::vector<AppEntry> out;
    for (const std::string& n : names) out.push_back({n, fold_search_text(n), "Fake." + n});
    return out;
}

std::vector<SteamGameEntry> make_fake_steam_games(const std::vector<std::pair<std::string, double>>& games,
                                                  uint32_t first, int64_t now_unix) {
    std::vector<SteamGameEntry> out;
    uint32_t i = first;
    for (const auto& [name, hours] : games) {
        SteamGameEntry e;
        e.name = name;
        e.size = static_cast<uint64_t>(30'000'000'000.0);
        e.last_played = now_unix - static_cast<int64_t>(i) * 259'200;
        e.minutes = static_cast<uint32_t>(hours * 60);
        e.header = make_fake_album_art(i);
        e.app_id = 730 + i;
        e.update_required = i == 2;
        out.push_back(std::move(e));
        ++i;
    }
    return out;
}

SysmonSnapshot make_fake_sysmon() {
    SysmonSnapshot s;
    for (int i = 0; i < 60; ++i) {
        const float t = static_cast<float>(i) / 6;
        s.cpu_history.push_back(0.25f + 0.18f * std::sin(t) + 0.08f * std::sin(3.1f * t));
        s.mem_history.push_back(0.55f + 0.03f * std::sin(0.7f * t));
        s.down_history.push_back(400'000 + 380'000 * std::fabs(std::sin(1.3f * t)));
        s.up_history.push_back(60'000 + 40'000 * std::fabs(std::sin(2.1f * t)));
    }
    s.top = {{"Chrome", 12.4f}, {"Discord", 4.1f}, {"Spotify", 2.2f}};
    s.net_name = "Ev_5G";
    s.wifi = s.bluetooth = RadioState::On;
    s.wireless = s.online = s.net_checked = true;
    s.mem_used = 9'771'050'598.4;
    s.mem_total = 17'179'869'184.0;
    s.down_rate = 1'250'000;
    s.up_rate = 84'000;
    s.disk_free = 226'559'524'864.0;
    s.disk_total = 511'101'108'224.0;
    s.cpu = 0.34f;
    return s;
}

WeatherSnapshot make_fake_weather() {
    WeatherSnapshot w;
    w.city = "İstanbul";
    w.ok = true;
    w.loading = false;
    w.is_day = true;
    w.temp = 12.4f;
    w.feels = 10.2f;
    w.code = 2;
    w.wind = 14.0f;
    w.humidity = 71;
    w.days = {{2, 2, 14, 8, 10}, {3, 61, 12, 7, 80}, {4, 3, 11, 6, 20}, {5, 0, 16, 7, 0}, {6, 95, 13, 9, 60}};
    return w;
}

MailItem make_fake_mail(char digit, std::string from, std::string subject, bool unread) {
    return {std::string("m") + digit, std::move(from), std::move(subject), "Merhaba, haftaya planladığımız toplantı için",
            unread};
}

std::array<float, 3> accent_of(const Image& image) {
    double sum[3] = {0, 0, 0};
    const size_t n = image.pixels.size() / 4;
    for (size_t i = 0; i < n; ++i)
        for (int c = 0; c < 3; ++c) sum[c] += image.pixels[i * 4 + c];
    if (n == 0) return {0.35f, 0.35f, 0.4f};
    // Pixels are BGRA; the accent is r g b, lifted so that the brightest channel reads clearly.
    float r = static_cast<float>(sum[2] / n / 255), g = static_cast<float>(sum[1] / n / 255),
          b = static_cast<float>(sum[0] / n / 255);
    const float top = std::max({r, g, b, 0.01f});
    const float lift = std::min(0.9f / top, 2.0f);
    return {std::min(r * lift, 1.0f), std::min(g * lift, 1.0f), std::min(b * lift, 1.0f)};
}

// ---- Input --------------------------------------------------------------------------------

void shot_ticks(App& app, int n) {
    for (int i = 0; i < n; ++i) (void)app.tick(kShotTick);
}

bool simulate_click(App& app, float x, float y) {
    (void)app.on_pointer_move(x, y);
    (void)app.on_pointer_down(x, y);
    shot_ticks(app, 1);
    // The release reports whether it landed on something: the Action under the
    // point before the release is what the release carries out.
    const bool hit = !app.hit_test(x, y).is_none() || app.hit_island(x, y);
    (void)app.on_click(x, y);
    return hit;
}

const HitRegion* shot_region(const App& app, const Action& a) {
    for (auto it = app.drawing.hits.rbegin(); it != app.drawing.hits.rend(); ++it)
        if (action_eq(it->action, a)) return &*it;
    return nullptr;
}

bool click_action(App& app, const Action& a, ShotsReport& report) {
    const HitRegion* h = shot_region(app, a);
    if (!h) {
        report.text += fmt::format("  !! hit {} not found\n", action_debug(a));
        return false;
    }
    // The pointer arrives before it clicks, and the island follows it (the dock
    // magnifies under it): the click lands where the region is drawn then.
    for (int i = 0; i < 2; ++i) {
        (void)app.on_pointer_move(h->rect.x + h->rect.w / 2, h->rect.y + h->rect.h / 2);
        shot_ticks(app, 1);
        if (const HitRegion* moved = shot_region(app, a)) h = moved;
    }
    const RectF r = h->rect;
    return simulate_click(app, r.x + r.w / 2, r.y + r.h / 2);
}

// ---- Capture ------------------------------------------------------------------------------

ShotCrop shot_crop(float scale, int32_t surface_width, int32_t surface_height) {
    ShotCrop c;
    c.x0 = std::max(0, static_cast<int32_t>(50 * scale));
    c.x1 = std::min(static_cast<int32_t>(850 * scale), surface_width);
    c.height = std::min(static_cast<int32_t>(370 * scale), surface_height);
    if (c.x1 < c.x0) c.x1 = c.x0;
    c.height = std::max(c.height, 0);
    return c;
}

std::vector<uint8_t> composite_over_desktop(const uint8_t* pixels, int32_t stride_pixels, const ShotCrop& crop) {
    const int32_t w = crop.width(), h = crop.height;
    std::vector<uint8_t> out(static_cast<size_t>(w) * h * 4);
    auto sat = [](float v) { return static_cast<uint8_t>(std::clamp(v, 0.0f, 255.0f)); };
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint8_t* s = pixels + (static_cast<size_t>(y) * stride_pixels + crop.x0 + x) * 4;
            uint8_t* d = &out[(static_cast<size_t>(y) * w + x) * 4];
            const float fx = static_cast<float>(x) / w, fy = static_cast<float>(y) / h;
            const float a = 1 - s[3] / 255.0f;
            d[0] = sat(s[0] + (120 + 80 * fx) * (1 - 0.3f * fy) * a);
            d[1] = sat(s[1] + (95 + 40 * fy) * a);
            d[2] = sat(s[2] + (70 + 120 * (1 - fx)) * (1 - 0.2f * fy) * a);
            d[3] = 255;
        }
    return out;
}

void capture_shot(App& app, const std::string& dir, const std::string& name, ShotsReport& report) {
    app.drawing.redraw = true;
    app.drawing.full_present = true;
    app.drawing.hidden_frame = false;  // a hidden island is drawn once more, transparent
    app.render();
    const Renderer* r = app.drawing.renderer.get();
    if (r && r->pixels()) {
        const ShotCrop crop = shot_crop(r->scale(), r->pixel_width(), r->pixel_height());
        const std::vector<uint8_t> px = composite_over_desktop(r->pixels(), r->pixel_width(), crop);
        Status s = encode_png(path_join(dir, name + ".png"), static_cast<uint32_t>(crop.width()),
                              static_cast<uint32_t>(crop.height), px);
        if (!s) {
            report.text += fmt::format("shot {}: FAILED {}\n", name, s.error().message);
            return;
        }
    }
    report.text += fmt::format("shot {}: ok (scene {})\n", name, mode_debug(app.island.mode));
}

// ---- Glyph sheet ----------------------------------------------------------------------------

namespace {

constexpr std::array<char32_t, 40> kSheetGlyphs = {
    0xE80F, 0xE8D6, 0xE945, 0xE916, 0xE7B8, 0xE77F, 0xE70B, 0xE9D9, 0xE787, 0xE721,
    0xE713, 0xE701, 0xE702, 0xE708, 0xE7B3, 0xE720, 0xE722, 0xE7E8, 0xE72E, 0xE7F4,
    0xE8B7, 0xE765, 0xE839, 0xE7BA, 0xE718, 0xE707, 0xEB9F, 0xE73E, 0xE8D2, 0xE76B,
    0xE76C, 0xE710, 0xE711, 0xE896, 0xE8C8, 0xE992, 0xE995, 0xEA8F, 0xE7E7, 0xECAA};
constexpr int32_t kSheetW = 800, kSheetH = 420;

bool scalar_value(char32_t c) { return c < 0xD800 || (c > 0xDFFF && c <= 0x10FFFF); }

}  // namespace

void write_glyph_sheet(const std::string& dir, const RendererMaker& make, ShotsReport& report) {
    auto made = make(kSheetW, kSheetH);
    if (!made) return;
    Renderer& g = *made.value();
    if (!g.begin_frame(0, 0, kSheetW, kSheetH)) return;
    if (g.global_alpha > 0.002f)
        g.fill_rounded_rect({0, 0, kSheetW, kSheetH}, 0, Color{0, 0, 0, std::min(g.global_alpha, 1.0f)});
    for (size_t i = 0; i < kSheetGlyphs.size(); ++i) {
        const char32_t cp = kSheetGlyphs[i];
        if (!scalar_value(cp)) continue;
        const float x = static_cast<float>(i % 10) * 80, y = static_cast<float>(i / 10) * 100;
        g.draw_glyph(cp, x + 40, y + 38, 24, Color{1, 1, 1, 1});
        g.draw_text(fmt::format("{:X}", static_cast<uint32_t>(cp)), {x, y + 68, 80, 20}, 12, FontFamily::Text, 400,
                    Color{1, 1, 1, 0.6f}, TextAlign::Center);
    }
    (void)g.end_frame();
    if (g.pixels()) {
        std::vector<uint8_t> px(g.pixels(), g.pixels() + static_cast<size_t>(kSheetW) * kSheetH * 4);
        for (size_t i = 3; i < px.size(); i += 4) px[i] = 255;
        (void)encode_png(path_join(dir, "99-glyphs.png"), kSheetW, kSheetH, px);
    }
    report.text += "glyph sheet written\n";
}

// ---- The run ------------------------------------------------------------------------------------

namespace {

constexpr int32_t kSurfaceW = 1125, kSurfaceH = 588;

const std::vector<std::string> kFakeApps = {"Hesap Makinesi", "Görev Yöneticisi", "Spotify", "Not Defteri",
                                            "Ayarlar",        "Paint",            "Hesaplar"};

}  // namespace

const std::vector<std::string> kShotsDroppedFiles = {"C:\\Windows\\notepad.exe", "C:\\Windows\\win.ini",
                                                     "C:\\Windows\\Web\\Wallpaper\\Windows\\img0.jpg",
                                                     "C:\\Windows\\Fonts"};

ShotsReport run_shots_with(const std::string& dir, const RendererMaker& make, const std::vector<std::string>& dropped) {
    (void)create_dirs(dir);
    ShotsReport report;
    const std::string report_path = path_join(dir, "report.txt");

    auto made = make(kSurfaceW, kSurfaceH);
    if (!made) {
        report.text = fmt::format("gfx failed: {}", made.error().message);
        (void)write_file_atomic(report_path, report.text);
        return report;
    }

    SharedAppsIndex apps;
    publish_apps(apps, AppList(make_fake_app_entries(kFakeApps)));
    Shared<MediaSnapshot> media;
    auto [media_tx, media_rx] = channel<MediaCommand>();

    {
        AppInit init;
        init.renderer = std::move(made.value());
        init.media = media;
        init.media_tx = media_tx;
        init.apps = apps;
        init.quiet = true;
        App app(std::move(init));

        app.audio.volume = 0.62f;
        app.audio.mic_level = 0.7f;
        app.audio.brightness = 0.75f;
        app.sysmon.snap = make_fake_sysmon();
        app.sysmon.seen = true;
        app.weather.snap = make_fake_weather();
        app.notices.layout_code = "TR";

        ShotsRun run{app, dir, report, media, apps, dropped};
        shot_ticks(app, 120);
        run_shots_scenes(run);
        run_shots_google_scenes(run);

        write_glyph_sheet(dir, make, report);
        report.text += fmt::format("\nRESULT: {} failure(s)\n", report.failures);
        (void)write_file_atomic(report_path, report.text);
    }
    return report;
}

