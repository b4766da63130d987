// Draws the busiest widget set (an open page with header, dock, sliders,
// tiles, a field, buttons, a chart, shadow and artwork) into the memory bitmap
// 1000 times (or as often as the first argument says) and prints the time per frame.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app.h"
#include "gfx.h"
#include "sys_win.h"

namespace {

Image artwork() {
    Image im;
    im.width = im.height = 256;
    im.pixels.resize(256 * 256 * 4);
    for (size_t i = 0; i < im.pixels.size(); i += 4) {
        im.pixels[i] = static_cast<uint8_t>(i / 4 % 256);
        im.pixels[i + 1] = static_cast<uint8_t>(i / 1024);
        im.pixels[i + 2] = 128;
        im.pixels[i + 3] = 255;
    }
    return im;
}

void draw_frame(App& app, int frame) {
    Renderer& g = *app.drawing.renderer;
    const float x = 450 - 340, y = 8, w = 680, h = 420;
    g.draw_soft_shadow({x, y, w, h}, 34, 1.2f);
    g.fill_rounded_rect({x, y, w, h}, 34, rgb(0, 0, 0));
    app.drawing.record_hits = true;
    app.draw_page_header(x, y, w);
    app.draw_tab_strip(h);
    app.text_field({x + 24, y + 56, 300, 44}, TextField::Search, 0xE721, "Ara", "Git");
    app.slider_row(0, {x + 24, y + 110, 300, 44}, 0.62f, 0xE767, true, "Ses");
    app.slider_row(1, {x + 24, y + 160, 300, 44}, 0.35f, 0xE706, true, "Parlaklık");
    app.slider_row(2, {x + 24, y + 210, 300, 44}, 0.8f, 0xE720, true, "Mikrofon");
    for (int i = 0; i < 12; ++i) {
        RectF cell{x + 340 + 80.0f * (i % 4), y + 56 + 60.0f * (i / 4), 74, 54};
        app.card(cell, Action::byte(ActionKind::Tile, static_cast<uint8_t>(i)));
        app.drawing.renderer->draw_glyph(0xE701 + i, cell.x + 20, cell.y + 18, 16, rgb(255, 255, 255));
        app.drawing.renderer->draw_text("Kutucuk", {cell.x + 8, cell.y + 30, 60, 18}, 11, FontFamily::Text, 600,
                                rgb(255, 255, 255, 0.8f), TextAlign::Left);
    }
    app.draw_artwork({x + 24, y + 262, 64, 64}, 12, false);
    app.draw_title_subtitle(x + 100, y + 294, 200, "Bir şarkı adı oldukça uzun", "Sanatçı", rgb(255, 255, 255));
    app.pill_button({x + 340, y + 250, 120, 40}, Action::of(ActionKind::Play), "Duraklat", 0, rgb(255, 255, 255),
                    rgb(28, 28, 30));
    app.circle_button(Action::of(ActionKind::Prev), x + 490, y + 270, 20, rgb(255, 255, 255, 0.12f),
                      rgb(255, 255, 255, 0.3f));
    app.circle_button(Action::of(ActionKind::Next), x + 540, y + 270, 20, rgb(255, 255, 255, 0.12f),
                      rgb(255, 255, 255, 0.3f));
    static const std::vector<float> history = {0.1f, 0.3f, 0.2f, 0.6f, 0.5f, 0.9f, 0.4f, 0.7f, 0.3f, 0.5f,
                                               0.2f, 0.8f, 0.6f, 0.4f, 0.9f, 0.1f, 0.5f, 0.7f, 0.3f, 0.6f};
    g.draw_area_chart({x + 340, y + 300, 300, 40}, history, 1, 60, rgb(10, 132, 255));
    g.draw_arc(x + 610, y + 270, 16, 0, 0.01f * (frame % 100), 3, rgb(50, 215, 75));
    app.draw_eq_bars(x + 580, y + 270, 24, 20, rgb(255, 255, 255));
    app.drawing.record_hits = false;
}

}  // namespace

int main(int argc, char** argv) {
    ComInit com;
    wchar_t tmp[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, tmp);
    std::wstring data = std::wstring(tmp, n) + L"vemo-gfx-bench";
    CreateDirectoryW(data.c_str(), nullptr);
    SetEnvironmentVariableW(L"VEMO_ISLAND_DATA", data.c_str());

    auto made = create_renderer(900, 470, 1.0f);
    if (!made) {
        std::printf("renderer failed: %s\n", made.error().message.c_str());
        return 1;
    }
    AppInit init;
    init.quiet = true;
    init.renderer = std::move(made.value());
    App app(std::move(init));
    app.island.page = Page::Control;
    app.island.has_battery = true;
    app.island.battery = 64;
    app.notices.layout_code = "TR";
    app.sysmon.snap.net_checked = app.sysmon.snap.online = app.sysmon.snap.wireless = true;
    app.search_page.text = "hava durumu";
    app.island.focus = TextField::Search;
    app.anim.tab_reveal.value = 1;
    app.pointer.x = 450;
    app.notifs.unread_badge = 4;
    app.media.snap.art = std::make_shared<const Image>(artwork());
    app.media.snap.art_version = 1;

    // The frame count may be given (tools/bench uses fewer on a busy machine).
    const int kFrames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    LARGE_INTEGER freq, start, end;
    QueryPerformanceFrequency(&freq);
    int failed = 0;
    // One warm-up frame fills the format and bitmap caches.
    for (int i = -1; i < kFrames; ++i) {
        if (i == 0) QueryPerformanceCounter(&start);
        app.drawing.hits.clear();
        if (!app.drawing.renderer->begin_frame(0, 0, 900, 470)) {
            ++failed;
            continue;
        }
        draw_frame(app, i);
        if (!app.drawing.renderer->end_frame()) ++failed;
    }
    QueryPerformanceCounter(&end);
    double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(freq.QuadPart);
    std::printf("gfx: %d frames of the busiest widget set, %.3f ms per frame (%d failed, %zu regions)\n", kFrames,
                ms / kFrames, failed, app.drawing.hits.size());
    return failed == 0 ? 0 : 1;
}
