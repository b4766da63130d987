// App::tick on a closed, idle island: the pass the frame loop makes every
// time it wakes with nothing to show. It must not allocate and must let the
// loop sleep (WaitMs), never ask for a frame.
#include <benchmark/benchmark.h>

#include <memory>

#include "app.h"
#include "bench_support.h"

namespace {

void BM_IdleTick(benchmark::State& state) {
    AppInit init;
    init.quiet = true;
    auto app = std::make_unique<App>(std::move(init));
    for (int i = 0; i < 240; ++i) app->tick(1.0f / 60.0f);  // the start-up frame and any settling

    uint64_t waits = 0, frames = 0;
    uint64_t before = allocations();
    for (auto _ : state) {
        App::TickResult r = app->tick(1.0f / 60.0f);
        if (r.wait.tag == FrameWait::WaitMs)
            ++waits;
        else
            ++frames;
        benchmark::DoNotOptimize(r);
    }
    uint64_t made = allocations() - before;

    state.counters["allocs"] = benchmark::Counter(static_cast<double>(made), benchmark::Counter::kAvgIterations);
    state.counters["frames_asked"] = static_cast<double>(frames);
    if (made != 0) state.SkipWithError("an idle tick allocated");
    if (frames != 0 || waits == 0) state.SkipWithError("an idle tick asked for a frame instead of a wait");
}
BENCHMARK(BM_IdleTick);

}  // namespace
