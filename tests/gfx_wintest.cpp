// The Direct2D renderer drawing into its memory bitmap (under Wine: Xvfb and
// Mesa), the application icon handle and file.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app.h"
#include "gfx.h"
#include "gfx_icon.h"
#include "sys_image.h"
#include "sys_os.h"
#include "sys_win.h"
#include "test_support.h"

namespace {

struct Bgra {
    int b = 0, g = 0, r = 0, a = 0;
};

Bgra pixel_at(const Renderer& r, int x, int y) {
    const uint8_t* p = r.pixels() + (static_cast<size_t>(y) * r.pixel_width() + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

// Pixels in the box whose red byte rises above the backdrop: text and strokes in white.
int ink(const Renderer& r, int x0, int y0, int x1, int y1, int above = 90) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (pixel_at(r, x, y).r > above) ++n;
    return n;
}

// The frame as a straight-alpha PNG next to the test program (or at VEMO_GFX_PNG).
std::string save_png(const Renderer& r, const char* name) {
    std::string path;
    if (auto env = get_env("VEMO_GFX_PNG"); env && !env->empty()) {
        path = *env;
    } else {
        wchar_t exe[MAX_PATH + 1];
        DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
        std::wstring dir(exe, n);
        dir = dir.substr(0, dir.find_last_of(L"\\/") + 1);
        path = narrow(dir) + name;
    }
    std::vector<uint8_t> px(r.pixels(), r.pixels() + static_cast<size_t>(r.pixel_width()) * r.pixel_height() * 4);
    for (size_t i = 0; i < px.size(); i += 4) {
        int a = px[i + 3];
        if (a == 0 || a == 255) continue;
        for (int c = 0; c < 3; ++c) px[i + c] = static_cast<uint8_t>(std::min(255, px[i + c] * 255 / a));
    }
    Status s = encode_png(path, static_cast<uint32_t>(r.pixel_width()), static_cast<uint32_t>(r.pixel_height()), px);
    EXPECT_TRUE(s) << (s ? "" : s.error().message);
    return path;
}

Image checker(uint32_t w, uint32_t h) {
    Image im;
    im.width = w;
    im.height = h;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            bool left = x < w / 2;
            im.pixels.insert(im.pixels.end(), {static_cast<uint8_t>(left ? 255 : 0), 0,
                                               static_cast<uint8_t>(left ? 0 : 255), 255});
        }
    return im;
}

std::unique_ptr<Renderer> make_renderer(int w = 900, int h = 470, float scale = 1.0f) {
    auto made = create_renderer(w, h, scale);
    EXPECT_TRUE(made) << (made ? "" : made.error().message);
    return made ? std::move(made.value()) : nullptr;
}

const Color kWhite = rgb(255, 255, 255);
const Color kBackdrop = rgb(30, 30, 34);

}  // namespace

TEST(GfxWin, DrawsEveryPrimitiveAndWidget) {
    ComInit com;
    ScopedDataDir data;
    AppInit init;
    init.quiet = true;
    init.renderer = make_renderer();
    ASSERT_TRUE(init.renderer);
    auto app = std::make_unique<App>(std::move(init));
    Renderer& g = *app->drawing.renderer;
    ASSERT_TRUE(g.begin_frame(0, 0, 900, 470));

    // Backdrop leaves the canvas corners transparent.
    g.fill_rounded_rect({10, 10, 880, 450}, 40, kBackdrop);
    // Row 1: shapes.
    g.fill_rounded_rect({30, 30, 120, 40}, 20, rgb(0, 0, 0));
    g.stroke_rounded_rect({160, 30, 100, 40}, 12, kWhite, 2, 3, 0);
    g.stroke_rounded_rect({270, 30, 100, 40}, 12, kWhite, 1.5f, 0, 0);
    g.fill_gradient_rounded_rect({380, 30, 140, 40}, 14, rgb(191, 90, 242), rgb(10, 132, 255), 380, 520);
    g.fill_circle(550, 50, 20, rgb(255, 69, 58));
    g.stroke_circle(600, 50, 18, kWhite, 2);
    g.draw_line(630, 30, 690, 70, 3, rgb(50, 215, 75));
    g.fill_polygon({{700, 70}, {720, 30}, {740, 70}}, rgb(255, 214, 10), 2);
    g.draw_arc(790, 50, 20, 0, 0.25f, 4, kWhite);
    g.draw_arc(850, 50, 16, 0.1f, 1.0f, 3, rgb(100, 210, 255));
    // Row 2: shadow, texts, image, chart.
    g.draw_soft_shadow({30, 100, 140, 50}, 20, 1.2f);
    g.fill_rounded_rect({30, 100, 140, 50}, 20, rgb(60, 60, 66));
    g.draw_text("Günaydın İstanbul", {190, 100, 220, 30}, 18, FontFamily::Display, 700, kWhite, TextAlign::Left);
    g.draw_glyph(0xE80F, 430, 115, 16, kWhite);
    g.draw_wrapped_text("Uzun bir metin birkaç satıra bölünür ve kutunun altında kesilir.", {460, 100, 150, 50}, 13,
                        400, kWhite);
    Image pic = checker(200, 100);
    g.draw_image(image_id(kImageOwnerClip, 1), pic, {630, 100, 50, 50}, 10);
    g.draw_area_chart({700, 100, 170, 50}, {0.1f, 0.5f, 0.3f, 0.9f, 0.6f, 0.2f, 0.8f}, 1, 10, rgb(10, 132, 255));

    // Rows 3 to 5: the widgets, recording regions.
    app->drawing.record_hits = true;
    app->island.page = Page::Control;
    app->island.has_battery = true;
    app->island.battery = 18;
    app->notices.layout_code = "TR";
    app->island.keep_awake = true;
    app->sysmon.snap.net_checked = app->sysmon.snap.online = app->sysmon.snap.wireless = true;
    app->sysmon.snap.mic_users = {"kayıt"};
    app->draw_page_header(10, 160, 880);
    app->search_page.text = "hava durumu";
    app->island.focus = TextField::Search;
    app->text_field({30, 220, 300, 44}, TextField::Search, 0xE721, "Ara", "Git");
    app->card({340, 220, 120, 44}, Action::at(ActionKind::Note, 0));
    app->draw_eq_bars(480, 242, 30, 24, kWhite);
    app->draw_artwork({530, 220, 44, 44}, 10, false);
    app->draw_spinner(600, 242, 12, 0.4);
    app->draw_sun(650, 242, 18);
    app->draw_bolt(690, 242, 2, rgb(50, 215, 75));
    app->slider_row(0, {30, 280, 300, 44}, 0.6f, 0xE767, true, "Ses");
    app->slider_row(1, {340, 280, 240, 44}, 0.3f, 0xE706, false, "Parlaklık");
    app->app_icon("", "Vemo", nullptr, {600, 280, 44, 44}, 10);
    app->game_thumb(570, nullptr, {660, 280, 94, 44}, 10);
    app->draw_title_subtitle(770, 302, 110, "Başlık", "Alt satır", kWhite);
    app->pill_button({30, 340, 130, 40}, Action::of(ActionKind::Play), "Duraklat", 0, kWhite, rgb(28, 28, 30));
    app->pill_button({170, 340, 130, 40}, Action::of(ActionKind::Next), "Oynat", 1, rgb(10, 132, 255), kWhite);
    app->circle_button(Action::of(ActionKind::Prev), 330, 360, 20, rgb(255, 255, 255, 0.12f), rgb(255, 255, 255, 0.3f));
    app->draw_primary_button({370, 340, 180, 40}, "Google ile giriş");
    app->draw_chip_button({560, 345, 90, 30}, Action::of(ActionKind::GRefresh), "Yenile");
    app->notifs.unread_badge = 12;
    app->draw_tab_strip(452);
    ASSERT_TRUE(g.end_frame());
    std::string path = save_png(g, "gfx_wintest.png");
    std::printf("frame written to %s\n", path.c_str());

    // Filled pill: opaque black in the middle; the canvas corners stay empty.
    Bgra pill = pixel_at(g, 90, 50);
    EXPECT_EQ(pill.a, 255);
    EXPECT_EQ(pill.r + pill.g + pill.b, 0);
    for (auto [x, y] : {std::pair{0, 0}, {899, 0}, {0, 469}, {899, 469}}) {
        Bgra c = pixel_at(g, x, y);
        EXPECT_EQ(c.a + c.r + c.g + c.b, 0) << x << "," << y;
    }
    // Texts have ink: the heading, the wrapped lines, the field's text and the header title.
    EXPECT_GT(ink(g, 190, 100, 410, 130), 150);
    EXPECT_GT(ink(g, 460, 100, 610, 150), 150);
    EXPECT_GT(ink(g, 72, 225, 240, 260), 80);
    EXPECT_GT(ink(g, 36, 172, 250, 204), 150);
    // The quarter arc runs from 12 to 3 o'clock (Wine strokes paths with flat caps); its 6 o'clock side stays dark.
    EXPECT_GT(pixel_at(g, 809, 46).r, 150);
    EXPECT_GT(pixel_at(g, 791, 30).r, 150);
    EXPECT_LT(pixel_at(g, 790, 70).r, 90);
    // The red circle, the gradient's two ends, the image's blue left half and red right half.
    EXPECT_GT(pixel_at(g, 550, 50).r, 200);
    EXPECT_GT(pixel_at(g, 385, 50).r, pixel_at(g, 515, 50).r);
    Bgra left = pixel_at(g, 640, 125), right = pixel_at(g, 670, 125);
    EXPECT_GT(left.b, 200);
    EXPECT_LT(left.r, 60);
    EXPECT_GT(right.r, 200);
    // The shadow darkens the backdrop below the card more than above it.
    EXPECT_LT(pixel_at(g, 100, 154).r, 30);
    EXPECT_LT(pixel_at(g, 100, 154).r, pixel_at(g, 100, 96).r);
    // The widgets registered in drawing order: field, its button, card, the enabled slider, two pills, circle,
    // primary, chip, then the dock.
    ASSERT_EQ(app->drawing.hits.size(), 9u + 15u);
    EXPECT_TRUE(action_eq(app->drawing.hits[0].action, Action::byte(ActionKind::Field, 0)));
    EXPECT_TRUE(action_eq(app->drawing.hits[1].action, Action::byte(ActionKind::FieldGo, 0)));
    EXPECT_TRUE(action_eq(app->drawing.hits.back().action, Action::byte(ActionKind::Dock, 14)));
}

TEST(GfxWin, AlphaFloorAndDirtyRectangle) {
    auto r = make_renderer(300, 200);
    ASSERT_TRUE(r);
    ASSERT_TRUE(r->begin_frame(0, 0, 300, 200));
    r->global_alpha = 0.004f;
    r->fill_rounded_rect({0, 0, 300, 200}, 0, rgb(255, 255, 255, 0.5f));  // 0.002: not drawn
    r->global_alpha = 1;
    r->fill_rounded_rect({100, 100, 20, 20}, 0, kWhite);
    ASSERT_TRUE(r->end_frame());
    EXPECT_EQ(pixel_at(*r, 10, 10).a, 0);
    EXPECT_EQ(pixel_at(*r, 110, 110).a, 255);

    // Only the dirty rectangle is bound and cleared; island coordinates stay the canvas's.
    ASSERT_TRUE(r->begin_frame(50, 50, 200, 200));
    EXPECT_FLOAT_EQ(r->origin().x, -50);
    r->fill_rounded_rect({60, 60, 10, 10}, 0, rgb(255, 0, 0));
    r->fill_rounded_rect({0, 0, 40, 40}, 0, rgb(255, 0, 0));  // outside the bound rectangle
    ASSERT_TRUE(r->end_frame());
    EXPECT_EQ(pixel_at(*r, 65, 65).r, 255);
    EXPECT_EQ(pixel_at(*r, 110, 110).a, 0) << "the dirty rectangle is cleared";
    EXPECT_EQ(pixel_at(*r, 20, 20).a, 0);

    // A clip and a zoom about a point.
    ASSERT_TRUE(r->begin_frame(0, 0, 300, 200));
    r->set_transform(Affine::scale_about(0.5f, 100, 100));
    r->fill_rounded_rect({100, 100, 100, 100}, 0, kWhite);  // lands on (100..150, 100..150)
    r->reset_transform();
    r->push_clip({0, 0, 20, 20});
    r->fill_rounded_rect({0, 0, 60, 60}, 0, kWhite);
    r->pop_clip();
    r->push_clip({250, 0, 10, 10});  // left pushed: end_frame still succeeds
    ASSERT_TRUE(r->end_frame());
    EXPECT_EQ(pixel_at(*r, 140, 140).a, 255);
    EXPECT_EQ(pixel_at(*r, 160, 160).a, 0);
    EXPECT_EQ(pixel_at(*r, 10, 10).a, 255);
    EXPECT_EQ(pixel_at(*r, 30, 30).a, 0);
}

TEST(GfxWin, DeviceLossDropsBitmapsAndKeepsTextCaches) {
    auto r = make_renderer(200, 100);
    ASSERT_TRUE(r);
    Image pic = checker(8, 8);
    ASSERT_TRUE(r->begin_frame(0, 0, 200, 100));
    r->draw_image(image_id(kImageOwnerShelf, 1), pic, {0, 0, 20, 20}, 0);
    r->draw_image(image_id(kImageOwnerShelf, 2), pic, {20, 0, 20, 20}, 0);
    r->draw_text("a", {0, 40, 50, 20}, 14.5f, FontFamily::Text, 600, kWhite, TextAlign::Left);
    r->draw_text("b", {0, 40, 50, 20}, 14.504f, FontFamily::Text, 600, kWhite, TextAlign::Left);  // same format
    r->draw_text("c", {0, 40, 50, 20}, 14.5f, FontFamily::Text, 600, kWhite, TextAlign::Center);  // another
    r->draw_text("d", {0, 40, 50, 20}, 14.5f, FontFamily::Display, 600, kWhite, TextAlign::Left); // another
    r->measure_wrapped("bir iki üç", 80, 13, 400);
    r->forget_image(image_id(kImageOwnerShelf, 77));  // not cached: nothing happens
    RendererCacheCounts before = r->cache_counts();
    EXPECT_EQ(before.images, 2u);
    EXPECT_EQ(before.label_formats, 3u);
    EXPECT_EQ(before.wrapped_heights, 1u);
    r->simulate_end_draw_error(kRecreateTargetError);
    EXPECT_FALSE(r->end_frame());

    RendererCacheCounts after = r->cache_counts();
    EXPECT_EQ(after.images, 0u);
    EXPECT_EQ(after.label_formats, before.label_formats);
    EXPECT_EQ(after.text_formats, before.text_formats);
    EXPECT_EQ(after.wrapped_heights, before.wrapped_heights);

    // The next frame draws with the new target and re-creates the bitmap.
    ASSERT_TRUE(r->begin_frame(0, 0, 200, 100));
    r->draw_image(image_id(kImageOwnerShelf, 1), pic, {0, 0, 20, 20}, 0);
    r->fill_circle(100, 50, 10, kWhite);
    ASSERT_TRUE(r->end_frame());
    EXPECT_EQ(r->cache_counts().images, 1u);
    EXPECT_EQ(pixel_at(*r, 100, 50).a, 255);
    EXPECT_EQ(pixel_at(*r, 5, 10).a, 255);
    r->forget_image(image_id(kImageOwnerShelf, 1));
    EXPECT_EQ(r->cache_counts().images, 0u);
}

TEST(GfxWin, ResizeClearsAndAFailedResizeLeavesNothingBehind) {
    auto r = make_renderer(120, 80);
    ASSERT_TRUE(r);
    ASSERT_TRUE(r->begin_frame(0, 0, 120, 80));
    r->fill_rounded_rect({0, 0, 120, 80}, 0, kWhite);
    ASSERT_TRUE(r->end_frame());
    ASSERT_EQ(pixel_at(*r, 60, 40).a, 255);

    // The same size and scale still replaces the bitmap with a transparent one.
    ASSERT_TRUE(r->resize_dib(120, 80, 1.0f));
    EXPECT_EQ(pixel_at(*r, 60, 40).a, 0);

    // A size that cannot exist fails, and the deleted bitmap is forgotten at once.
    Status bad = r->resize_dib(2147483647, 2147483647, 1.0f);
    EXPECT_FALSE(bad);
    EXPECT_EQ(r->pixels(), nullptr);
    EXPECT_EQ(r->pixel_width(), 0);
    EXPECT_FALSE(r->begin_frame(0, 0, 10, 10)) << "no frame is bound to a DC without a bitmap";
    EXPECT_FALSE(r->end_frame());
    EXPECT_FALSE(r->resize_dib(-5, 10, 1.0f));
    // 40 GB passes the size arithmetic but not CreateDIBSection: the same clean state.
    ASSERT_TRUE(r->resize_dib(120, 80, 1.0f));
    Status refused = r->resize_dib(100000, 100000, 1.0f);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().message.find("CreateDIBSection"), std::string::npos);
    EXPECT_EQ(r->pixels(), nullptr);
    EXPECT_EQ(r->pixel_height(), 0);
    EXPECT_FALSE(r->begin_frame(0, 0, 10, 10));

    // The next resize works, and destruction after all this is clean.
    ASSERT_TRUE(r->resize_dib(64, 32, 2.0f));
    EXPECT_EQ(r->pixel_width(), 64);
    EXPECT_FLOAT_EQ(r->scale(), 2.0f);
    ASSERT_TRUE(r->begin_frame(0, 0, 64, 32));
    r->fill_rounded_rect({0, 0, 10, 10}, 0, kWhite);  // island units: 20 × 20 pixels
    ASSERT_TRUE(r->end_frame());
    EXPECT_EQ(pixel_at(*r, 15, 15).a, 255);
    EXPECT_EQ(pixel_at(*r, 25, 25).a, 0);
    r.reset();

    EXPECT_FALSE(create_renderer(0, 470, 1.0f));
}

TEST(GfxWin, Measurements) {
    auto r = make_renderer(200, 100);
    ASSERT_TRUE(r);
    float plain = r->measure_text("ab", 14, FontFamily::Text, 400);
    EXPECT_GT(plain, 5);
    EXPECT_GT(r->measure_text("ab  ", 14, FontFamily::Text, 400), plain + 4) << "trailing spaces count";
    EXPECT_EQ(r->measure_text("", 14, FontFamily::Text, 400), 0);
    float one_line = r->measure_wrapped("kısa", 400, 14, 400);
    EXPECT_GT(one_line, 10);
    EXPECT_GT(r->measure_wrapped("bir iki üç dört beş altı yedi sekiz", 60, 14, 400), 2 * one_line);
    // Narrower than 10 lays out at 10.
    EXPECT_EQ(r->measure_wrapped("a b c", 1, 14, 400), r->measure_wrapped("a b c", 10, 14, 400));
}

TEST(AppIconWin, HandleAndFile) {
    ComInit com;
    auto icon = create_app_hicon(32);
    ASSERT_TRUE(icon) << icon.error().message;
    UniqueIcon handle(static_cast<HICON>(icon.value()));
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(handle.get(), &info));
    UniqueGdi<HBITMAP> color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    GetObjectW(color.get(), sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 32);
    EXPECT_FALSE(create_app_hicon(0));

    std::string dir = test_temp_dir();
    std::string path = path_join(dir, "app.ico");
    ASSERT_TRUE(write_app_icon_file(path));
    auto ico = read_file(path);
    ASSERT_TRUE(ico);
    ASSERT_GE(ico->size(), 150u);
    EXPECT_EQ(ico->substr(0, 6), std::string("\x00\x00\x01\x00\x09\x00", 6));
    auto u32 = [&](size_t i) {
        uint32_t v = 0;
        std::memcpy(&v, ico->data() + i, 4);
        return v;
    };
    EXPECT_EQ(u32(6 + 12), 150u);
    EXPECT_EQ(static_cast<uint8_t>((*ico)[6 + 16 * 8]), 0) << "256 is stored as 0";
    // The last image is the 256 PNG; it decodes to the painted pixels.
    uint32_t size = u32(6 + 16 * 8 + 8), offset = u32(6 + 16 * 8 + 12);
    ASSERT_EQ(offset + size, ico->size());
    EXPECT_EQ(ico->substr(offset, 4), "\x89PNG");
    auto images = decode_image(std::string_view(*ico).substr(offset, size), {256});
    ASSERT_TRUE(images);
    ASSERT_EQ((*images)[0].width, 256u);
    std::vector<uint8_t> painted = render_app_icon(256);
    const size_t at = (250u * 256 + 128) * 4;  // opaque: premultiplied equals straight
    for (int c = 0; c < 4; ++c) EXPECT_EQ((*images)[0].pixels[at + c], painted[at + c]) << c;

    EXPECT_FALSE(write_app_icon_file(path_join(path_join(dir, "missing"), "app.ico")));
}
