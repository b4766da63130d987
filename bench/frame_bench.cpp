// The processor cost of one island frame (App::render into the recording
// renderer) for every display mode: idle, peek, each live activity, each
// notice and each open page, at rest and, for the pages, while sliding in
// from the neighbouring page; with the allocations each frame makes.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "app.h"
#include "app_geometry.h"
#include "bench_support.h"
#include "gfx_record.h"

namespace {

std::unique_ptr<App> busy_app() {
    bench_data_dir();
    AppInit init;
    init.quiet = true;
    init.renderer = std::make_unique<RecordingRenderer>();
    auto app = std::make_unique<App>(std::move(init));
    app->now = 100;
    app->media.has = app->media.playing = true;
    app->media.title = "Bir şarkı adı oldukça uzun";
    app->media.artist = "Sanatçı";
    app->media.duration = 240;
    app->media.position = 61;
    app->countdown.running = true;
    app->countdown.end = app->now + 300;
    app->stopwatch.running = true;
    app->pomo.running = true;
    app->pomo.end = app->now + 900;
    app->hud_title = "Başlık";
    app->hud_body = "Bir bildirim metni";
    for (int i = 0; i < 12; ++i) {
        app->notes.push_back(NoteItem{"Not " + std::to_string(i), static_cast<uint64_t>(i + 1), 0, i % 3 == 0});
        app->clips.push_back(ClipEntry{});
        app->clips.back().id = static_cast<uint64_t>(100 + i);
        app->clips.back().kind = ClipEntry::Text{"Panodaki metin " + std::to_string(i)};
        app->clips.back().time = "09:05";
    }
    app->search_text = "not";
    app->update_search();
    return app;
}

// Puts the island at rest in mode m; `sliding` starts a page slide from the page before.
void pose(App& a, IslandMode m, bool sliding) {
    IslandShape s = island_size(a, static_cast<uint8_t>(m.tag), m.payload);
    a.mode = m;
    a.open = m.is_open();
    if (m.is_open()) a.page = m.page();
    a.hud_shown = m.tag == ModeTag::Hud;
    if (a.hud_shown) a.hud = m.hud_kind();
    a.width.value = a.width.target = s.width;
    a.height.value = a.height.target = s.height;
    a.radius.value = a.radius.target = s.radius;
    a.visibility.value = a.visibility.target = 1;
    a.prev_mode = IslandMode::none();
    a.slide_dir = 0;
    a.mode_changed = a.now - 5;
    if (sliding) {
        uint8_t p = m.payload == 0 ? 1 : static_cast<uint8_t>(m.payload - 1);
        a.prev_mode = IslandMode::open(static_cast<Page>(p));
        a.slide_dir = 1;
        a.mode_changed = a.now - 0.15;
    }
}

void BM_Frame(benchmark::State& state, IslandMode m, bool sliding) {
    auto app = busy_app();
    pose(*app, m, sliding);
    app->render();  // the first frame presents the whole bitmap
    uint64_t before = allocations();
    for (auto _ : state) {
        app->full_present = false;
        app->render();
    }
    state.counters["allocs"] =
        benchmark::Counter(static_cast<double>(allocations() - before), benchmark::Counter::kAvgIterations);
    auto* rec = static_cast<RecordingRenderer*>(app->renderer.get());
    state.counters["calls"] = static_cast<double>(rec->calls.size());
    state.SetLabel(mode_debug(m) + (sliding ? " sliding" : ""));
}

int register_frames() {
    auto add = [](const std::string& name, IslandMode m, bool sliding) {
        benchmark::RegisterBenchmark(("BM_Frame/" + name).c_str(), BM_Frame, m, sliding)->Unit(benchmark::kMicrosecond);
    };
    add("Idle", IslandMode::idle(), false);
    add("Peek", IslandMode::peek(), false);
    for (uint8_t k = 0; k <= static_cast<uint8_t>(ActKind::Watch); ++k) {
        IslandMode m = IslandMode::act(static_cast<ActKind>(k));
        add(mode_debug(m), m, false);
    }
    for (int k = 0; k < kHudCount; ++k) {
        IslandMode m = IslandMode::hud(static_cast<HudKind>(k));
        add(mode_debug(m), m, false);
    }
    for (int p = 0; p < kPageCount; ++p) {
        IslandMode m = IslandMode::open(static_cast<Page>(p));
        add(mode_debug(m), m, false);
        add(mode_debug(m) + "_sliding", m, true);
    }
    return 0;
}
const int registered = register_frames();

}  // namespace
