// One search keystroke as the island makes it (App::update_search: take the
// installed-apps list, rank it, build the page's rows) over 500, 5 000 and
// 50 000 apps, for a broad one-letter query, a three-letter one and one that
// matches nothing; plus the bare ranking (search_rows) at 5 000 apps.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app.h"
#include "bench_support.h"

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
BENCHMARK_CAPTURE(BM_SearchRows, three_letters, "not")->Arg(5000)->Arg(50000)->Unit(benchmark::kMicrosecond);
