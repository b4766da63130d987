// state.txt with 1 000 and 10 000 notes and as many reminders: one save
// (App::save_state, text and atomic file write) and one load (read the file,
// App::load_state_text into a fresh island); and the clipboard history at its
// cap taking one more copied text.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "app.h"
#include "bench_support.h"
#include "sys_clipboard.h"
#include "sys_os.h"

namespace {

std::unique_ptr<App> quiet_app() {
    bench_data_dir();
    AppInit init;
    init.quiet = true;
    return std::make_unique<App>(std::move(init));
}

std::unique_ptr<App> app_with_lists(size_t n) {
    auto app = quiet_app();
    for (size_t i = 0; i < n; ++i) {
        app->lists.notes.push_back(NoteItem{"Süt, ekmek ve yumurta al " + std::to_string(i), i + 1, 0, i % 4 == 0});
        app->lists.reminders.push_back(
            ReminderItem{"Toplantıya hazırlan " + std::to_string(i), 1900000000 + static_cast<int64_t>(i), n + i + 1});
    }
    app->lists.next_id = 2 * n + 1;
    app->island.quiet = false;  // quiet islands never write state.txt
    return app;
}

void BM_StateSave(benchmark::State& state) {
    auto app = app_with_lists(static_cast<size_t>(state.range(0)));
    for (auto _ : state) app->save_state();
    state.counters["bytes"] = static_cast<double>(app->state_text().size());
    state.SetLabel(std::to_string(state.range(0)) + " notes + " + std::to_string(state.range(0)) + " reminders");
}

void BM_StateLoad(benchmark::State& state) {
    const size_t n = static_cast<size_t>(state.range(0));
    app_with_lists(n)->save_state();
    auto app = quiet_app();
    size_t notes = 0;
    for (auto _ : state) {
        app->lists.notes.clear();
        app->lists.reminders.clear();
        if (auto text = read_file(state_path())) app->load_state_text(*text);
        notes = app->lists.notes.size();
    }
    if (notes != n) state.SkipWithError("the notes did not come back");
    state.SetLabel(std::to_string(n) + " notes + " + std::to_string(n) + " reminders");
}

// The history full (40 entries), then one new text per keystroke of the timer.
void BM_ClipboardAtCap(benchmark::State& state) {
    auto app = quiet_app();
    std::vector<std::string> texts;
    for (int i = 0; i < 1000; ++i) texts.push_back("Panoya kopyalanan metin " + std::to_string(i));
    size_t next = 0;
    for (; next < 40; ++next) {
        fake_clipboard().text = texts[next];
        app->on_clipboard_update();
    }
    uint64_t before = allocations();
    for (auto _ : state) {
        fake_clipboard().text = texts[next++ % texts.size()];
        app->on_clipboard_update();
    }
    state.counters["allocs"] =
        benchmark::Counter(static_cast<double>(allocations() - before), benchmark::Counter::kAvgIterations);
    state.counters["entries"] = static_cast<double>(app->lists.clips.size());
    state.SetLabel(std::to_string(app->lists.clips.size()) + " entries, one more text");
}

}  // namespace

BENCHMARK(BM_StateSave)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StateLoad)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClipboardAtCap)->Unit(benchmark::kMicrosecond);
