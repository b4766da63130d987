// App::tick on a closed, idle island: the pass the frame loop makes every
// time it wakes with nothing to show. It must not allocate and must let the
// loop sleep (WaitMs), never ask for a frame.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

#include "app.h"

// ---- Allocation counter (this benchmark binary only) ----------------------------

namespace {
std::atomic<uint64_t> g_allocations{0};
}

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

// ---- Benchmark ------------------------------------------------------------------------

namespace {

void BM_IdleTick(benchmark::State& state) {
    AppInit init;
    init.quiet = true;
    auto app = std::make_unique<App>(std::move(init));
    for (int i = 0; i < 240; ++i) app->tick(1.0f / 60.0f);  // the start-up frame and any settling

    uint64_t waits = 0, frames = 0;
    uint64_t before = g_allocations.load();
    for (auto _ : state) {
        App::TickResult r = app->tick(1.0f / 60.0f);
        if (r.wait.tag == FrameWait::WaitMs)
            ++waits;
        else
            ++frames;
        benchmark::DoNotOptimize(r);
    }
    uint64_t allocations = g_allocations.load() - before;

    state.counters["allocations"] = static_cast<double>(allocations);
    state.counters["frames_asked"] = static_cast<double>(frames);
    if (allocations != 0) state.SkipWithError("an idle tick allocated");
    if (frames != 0 || waits == 0) state.SkipWithError("an idle tick asked for a frame instead of a wait");
}
BENCHMARK(BM_IdleTick);

}  // namespace
