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
    app->media.snap.has = app->media.snap.playing = true;
    app->media.snap.title = "Bir şarkı adı oldukça uzun";
    app->media.snap.artist = "Sanatçı";
    app->media.snap.duration = 240;
    app->media.snap.position = 61;
    app->timers.countdown.running = true;
    app->timers.countdown.end = app->now + 300;
    app->timers.stopwatch.running = true;
    app->timers.pomo.running = true;
    app->timers.pomo.end = app->now + 900;
    app->notices.title = "Başlık";
    app->notices.body = "Bir bildirim metni";
    for (int i = 0; i < 12; ++i) {
        app->lists.notes.push_back(NoteItem{"Not " + std::to_string(i), static_cast<uint64_t>(i + 1), 0, i % 3 == 0});
        app->lists.clips.push_back(ClipEntry{});
        app->lists.clips.back().id = static_cast<uint64_t>(100 + i);
        app->lists.clips.back().kind = ClipEntry::Text{"Panodaki metin " + std::to_string(i)};
        app->lists.clips.back().time = "09:05";
    }
    app->search_page.text = "not";
    app->update_search();
    return app;
}

// Puts the island at rest in mode m; `sliding` starts a page slide from the page before.
void pose(App& a, IslandMode m, bool sliding) {
    IslandShape s = island_size(a, static_cast<uint8_t>(m.tag), m.payload);
    a.island.mode = m;
    a.island.open = m.is_open();
    if (m.is_open()) a.island.page = m.page();
    a.notices.shown = m.tag == ModeTag::Hud;
    if (a.notices.shown) a.notices.kind = m.hud_kind();
    a.anim.width.value = a.anim.width.target = s.width;
    a.anim.height.value = a.anim.height.target = s.height;
    a.anim.radius.value = a.anim.radius.target = s.radius;
    a.anim.visibility.value = a.anim.visibility.target = 1;
    a.island.prev_mode = IslandMode::none();
    a.island.slide_dir = 0;
    a.island.mode_changed = a.now - 5;
    if (sliding) {
        uint8_t p = m.payload == 0 ? 1 : static_cast<uint8_t>(m.payload - 1);
        a.island.prev_mode = IslandMode::open(static_cast<Page>(p));
        a.island.slide_dir = 1;
        a.island.mode_changed = a.now - 0.15;
    }
}

void BM_Frame(benchmark::State& state, IslandMode m, bool sliding) {
    auto app = busy_app();
    pose(*app, m, sliding);
    app->render();  // the first frame presents the whole bitmap
    uint64_t before = allocations();
    for (auto _ : state) {
        app->drawing.full_present = false;
        app->render();
    }
    state.counters["allocs"] =
        benchmark::Counter(static_cast<double>(allocations() - before), benchmark::Counter::kAvgIterations);
    auto* rec = static_cast<RecordingRenderer*>(app->drawing.renderer.get());
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
