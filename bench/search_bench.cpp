// One search keystroke as the island makes it (App::update_search: take the
// installed-apps list, rank it, build the page's rows) over 500, 5 000 and
// 50 000 apps, for a broad one-letter query, a three-letter one and one that
// matches nothing; plus the bare ranking (search_rows) at 5 000 apps, and the
// keystroke with the search page drawn after it into the recording renderer.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app.h"
#include "bench_support.h"
#include "gfx_record.h"

namespace {

const AppList& apps_of(size_t n) {
    static std::map<size_t, AppList> lists;
    auto it = lists.find(n);
    if (it == lists.end()) it = lists.emplace(n, build_app_index(synthetic_raw_apps(n))).first;
    return it->second;
}

// The island with the list published as the "apps" thread publishes it.
std::unique_ptr<App> app_with_apps(size_t n) {
    AppInit init;
    init.quiet = true;
    auto app = std::make_unique<App>(std::move(init));
    publish_apps(app->search_page.apps, apps_of(n));
    return app;
}

void BM_Keystroke(benchmark::State& state, const char* query) {
    auto app = app_with_apps(static_cast<size_t>(state.range(0)));
    app->search_page.text = query;
    uint64_t before = allocations();
    for (auto _ : state) {
        app->update_search();
        benchmark::DoNotOptimize(app->search_page.rows.data());
    }
    state.counters["allocs"] =
        benchmark::Counter(static_cast<double>(allocations() - before), benchmark::Counter::kAvgIterations);
    state.counters["rows"] = static_cast<double>(app->search_page.rows.size());
    state.SetLabel(std::to_string(state.range(0)) + " apps, \"" + query + "\"");
}

// What the island does per typed character on the search page: the rows, then
// one frame of the page body (field, highlight, tiles, titles, labels, regions).
void BM_KeystrokeAndPage(benchmark::State& state, const char* query) {
    AppInit init;
    init.quiet = true;
    auto rec = std::make_unique<RecordingRenderer>(1.0f);
    (void)rec->resize_dib(900, 470, 1.0f);
    RecordingRenderer* g = rec.get();
    init.renderer = std::move(rec);
    auto app = std::make_unique<App>(std::move(init));
    publish_apps(app->search_page.apps, apps_of(static_cast<size_t>(state.range(0))));
    app->island.open = true;
    app->island.page = Page::Search;
    app->drawing.record_hits = true;
    app->search_page.text = query;
    const RectF island{90, 8, 720, 330};
    for (auto _ : state) {
        app->update_search();
        (void)g->begin_frame(0, 0, 900, 470);
        app->drawing.hits.clear();
        app->draw_page(Page::Search, island);
        benchmark::DoNotOptimize(g->end_frame());
    }
    state.counters["calls"] = static_cast<double>(g->calls.size());
    state.counters["rows"] = static_cast<double>(app->search_page.rows.size());
    state.SetLabel(std::to_string(state.range(0)) + " apps, \"" + query + "\", page drawn");
}

void BM_SearchRows(benchmark::State& state, const char* query) {
    const auto& apps = apps_of(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        auto rows = search_rows(apps, query, kSearchMaxRows);
        benchmark::DoNotOptimize(rows);
    }
    state.SetLabel(std::to_string(state.range(0)) + " apps, \"" + query + "\"");
}

}  // namespace

// "e": most names match; "not": prefix, word and in-order matches; "qzx": none.
BENCHMARK_CAPTURE(BM_Keystroke, one_letter, "e")->Arg(500)->Arg(5000)->Arg(50000)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Keystroke, three_letters, "not")->Arg(500)->Arg(5000)->Arg(50000)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Keystroke, no_match, "qzx")->Arg(500)->Arg(5000)->Arg(50000)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_KeystrokeAndPage, one_letter, "e")->Arg(5000)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_KeystrokeAndPage, three_letters, "not")->Arg(5000)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SearchRows, three_letters, "not")->Arg(5000)->Arg(50000)->Unit(benchmark::kMicrosecond);
