// The drawn icon pictures under Wine (no icon font there): a sheet of every
// picture, and the home page, the control centre and the dock of every drawn
// page reached with clicks and drawn through App::render, written as PNG files
// into "glyph_shots" beside the test program.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "app.h"
#include "gfx.h"
#include "gfx_glyphs.h"
#include "sys_image.h"
#include "sys_log.h"
#include "sys_os.h"
#include "sys_win.h"
#include "test_support.h"

namespace {

constexpr float kScale = 2.0f;

struct PixelBox {
    int x0, y0, x1, y1;  // pixels, end exclusive
};

PixelBox to_pixels(const Renderer& r, const RectF& b) {
    auto px = [](float v, int limit) { return std::clamp(static_cast<int>(v * kScale + 0.5f), 0, limit); };
    return {px(b.x, r.pixel_width()), px(b.y, r.pixel_height()), px(b.x + b.w, r.pixel_width()),
            px(b.y + b.h, r.pixel_height())};
}

// Pixels in the box whose brightest channel rises above 60 (ink on black).
int ink(const Renderer& r, const PixelBox& b) {
    int n = 0;
    for (int y = b.y0; y < b.y1; ++y)
        for (int x = b.x0; x < b.x1; ++x) {
            const uint8_t* p = r.pixels() + (static_cast<size_t>(y) * r.pixel_width() + x) * 4;
            if (std::max({p[0], p[1], p[2]}) > 60) ++n;
        }
    return n;
}

std::string shots_dir() {
    wchar_t exe[MAX_PATH + 1];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe, n);
    return path_join(narrow(path.substr(0, path.find_last_of(L"\\/"))), "glyph_shots");
}

// The box as an opaque PNG (the island's black shows as black).
void save_png(const Renderer& r, const PixelBox& b, const std::string& name) {
    const std::string dir = shots_dir();
    create_dirs(dir);
    std::vector<uint8_t> px;
    for (int y = b.y0; y < b.y1; ++y)
        for (int x = b.x0; x < b.x1; ++x) {
            const uint8_t* p = r.pixels() + (static_cast<size_t>(y) * r.pixel_width() + x) * 4;
            px.insert(px.end(), {p[0], p[1], p[2], 255});
        }
    Status s = encode_png(path_join(dir, name + ".png"), static_cast<uint32_t>(b.x1 - b.x0),
                          static_cast<uint32_t>(b.y1 - b.y0), px);
    EXPECT_TRUE(s) << name << ": " << (s ? "" : s.error().message);
}

Result<std::unique_ptr<Renderer>> renderer(float w, float h) {
    return create_renderer(static_cast<int>(w * kScale), static_cast<int>(h * kScale), kScale);
}

}  // namespace

// Ten pictures a row, the code point under each; every picture inks its own
// 24-unit box and nothing of the cell outside it but its label.
TEST(GlyphSheet, EveryPictureDrawsInsideItsCell) {
    ComInit com;
    const std::vector<char32_t> all = glyph_table_code_points();
    const int rows = static_cast<int>((all.size() + 9) / 10);
    const float w = 800, h = 100.0f * static_cast<float>(rows);
    auto made = renderer(w, h);
    ASSERT_TRUE(made) << made.error().message;
    Renderer& g = *made.value();
    ASSERT_TRUE(g.begin_frame(0, 0, g.pixel_width(), g.pixel_height()));
    g.fill_rounded_rect({0, 0, w, h}, 0, rgb(0, 0, 0));
    for (size_t i = 0; i < all.size(); ++i) {
        const float x = static_cast<float>(i % 10) * 80, y = static_cast<float>(i / 10) * 100;
        g.draw_glyph(all[i], x + 40, y + 38, 24, rgb(255, 255, 255));
        g.draw_text(fmt::format("{:X}", static_cast<uint32_t>(all[i])), {x, y + 68, 80, 20}, 12, FontFamily::Text, 400,
                    rgb(255, 255, 255, 0.6f), TextAlign::Center);
    }
    ASSERT_TRUE(g.end_frame());
    GdiFlush();
    for (size_t i = 0; i < all.size(); ++i) {
        SCOPED_TRACE(fmt::format("U+{:X}", static_cast<uint32_t>(all[i])));
        const float x = static_cast<float>(i % 10) * 80, y = static_cast<float>(i / 10) * 100;
        const float half = 12.0f + kGlyphStroke / 2 + 0.5f;
        EXPECT_GT(ink(g, to_pixels(g, {x + 40 - half, y + 38 - half, 2 * half, 2 * half})), 40);
        EXPECT_EQ(ink(g, to_pixels(g, {x, y, 80, 38 - half})), 0) << "above the box";
        EXPECT_EQ(ink(g, to_pixels(g, {x, y + 38 - half, 40 - half, 2 * half})), 0) << "left of the box";
        EXPECT_EQ(ink(g, to_pixels(g, {x + 40 + half, y + 38 - half, 40 - half, 2 * half})), 0) << "right of the box";
    }
    save_png(g, {0, 0, g.pixel_width(), g.pixel_height()}, "glyph_sheet");

    // The pictures are cached by code point and size: a second sheet adds none.
    const size_t cached = g.cache_counts().glyphs;
    EXPECT_EQ(cached, all.size());
    ASSERT_TRUE(g.begin_frame(0, 0, g.pixel_width(), g.pixel_height()));
    for (char32_t c : all) g.draw_glyph(c, 40, 38, 24, rgb(255, 255, 255));
    g.draw_glyph(0x1F600, 40, 38, 24, rgb(255, 255, 255));  // no picture: the outline square
    ASSERT_TRUE(g.end_frame());
    EXPECT_EQ(g.cache_counts().glyphs, cached + 1);
}

TEST(GlyphSheet, StartUpLogNamesTheIconFamily) {
    ComInit com;
    ScopedDataDir data;
    auto made = renderer(100, 50);
    ASSERT_TRUE(made) << made.error().message;
    const std::string log = read_file(data_file("log.txt")).value_or("");
    // Wine has neither icon font.
    EXPECT_NE(log.find("icon font: none, drawn icons"), std::string::npos) << log;
}

// The island opened with a click, each page chosen on the dock with a click.
struct GlyphPages : ::testing::Test {
    ComInit com;
    ScopedDataDir data;
    std::unique_ptr<App> app;
    Renderer* g = nullptr;

    void SetUp() override {
        auto made = renderer(900, 470);
        ASSERT_TRUE(made) << made.error().message;
        g = made.value().get();
        AppInit init;
        init.quiet = true;
        init.renderer = std::move(made.value());
        app = std::make_unique<App>(std::move(init));
        app->island.has_battery = true;
        app->island.battery = 64;
        app->island.keep_awake = true;
        app->notices.layout_code = "TR";
        app->sysmon.snap.online = app->sysmon.snap.wireless = app->sysmon.snap.net_checked = true;
        app->notifs.unread_badge = 3;
        // The time page shows the stopwatch with its laps (small Display digits).
        app->timers.mode = 1;
        app->timers.stopwatch.accumulated = 83.47;
        app->timers.stopwatch.laps = {61.9, 44.08, 21.3};
        settle(30);
    }

    // Frames at 60 per second; the tick draws through App::render.
    void settle(int frames) {
        for (int i = 0; i < frames; ++i) app->tick(1.0f / 60);
    }

    void click(float x, float y) {
        app->on_pointer_move(x, y);
        app->on_pointer_down(x, y);
        settle(2);
        app->on_click(x, y);
        settle(90);
    }

    // The region the last frame drew for `a`, or nothing.
    const HitRegion* region(const Action& a) const {
        for (auto it = app->drawing.hits.rbegin(); it != app->drawing.hits.rend(); ++it)
            if (action_eq(it->action, a)) return &*it;
        return nullptr;
    }

    // A full frame into the bitmap.
    void capture() {
        app->drawing.full_present = true;
        app->render();
        GdiFlush();
    }
};

TEST_F(GlyphPages, HomeControlAndTheDockOfEveryDrawnPage) {
    click(450, 20);
    ASSERT_TRUE(app->island.open);
    const Page drawn[] = {Page::Home, Page::Time, Page::Control, Page::Shelf, Page::Clip, Page::Notes};
    for (Page p : drawn) {
        SCOPED_TRACE(page_key(p));
        const Action dock = Action::byte(ActionKind::Dock, static_cast<uint8_t>(p));
        const HitRegion* r = region(dock);
        ASSERT_NE(r, nullptr) << "no dock icon to click";
        click(r->rect.x + r->rect.w / 2, r->rect.y + r->rect.h / 2);
        // The pointer leaves the dock, so its icons come back to rest.
        app->on_pointer_move(450, 150);
        settle(60);
        ASSERT_EQ(app->island.page, p);
        capture();

        // The dock: every icon inks its slot.
        RectF box{10000, 10000, 0, 0};
        float right = 0, bottom = 0;
        int icons = 0;
        for (const HitRegion& h : app->drawing.hits) {
            if (h.action.kind != ActionKind::Dock) continue;
            ++icons;
            box.x = std::min(box.x, h.rect.x), box.y = std::min(box.y, h.rect.y);
            right = std::max(right, h.rect.x + h.rect.w), bottom = std::max(bottom, h.rect.y + h.rect.h);
            EXPECT_GT(ink(*g, to_pixels(*g, {h.rect.x + 9, h.rect.y + 18, h.rect.w - 18, 20})), 30)
                << "dock icon " << static_cast<int>(h.action.arg) << " is blank";
        }
        EXPECT_EQ(icons, 15);
        box.w = right - box.x, box.h = bottom - box.y;
        save_png(*g, to_pixels(*g, {box.x - 14, box.y - 6, box.w + 28, box.h + 6}),
                 std::string("dock_") + page_key(p));
        if (p == Page::Home || p == Page::Control || p == Page::Time) {
            const float w = app->anim.width.value, h = app->anim.height.value;
            save_png(*g, to_pixels(*g, {450 - w / 2 - 8, 2, w + 16, h + 14}), std::string("page_") + page_key(p));
        }
    }
}
