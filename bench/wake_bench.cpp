// The wake-word detector over one minute of microphone audio: segmenting,
// features and matching against a three-template model, in 0.1 s blocks as
// the listener feeds it. real_time_factor = processing time / audio time.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <string_view>
#include <vector>

#include "wake.h"

namespace {

// One voiced tone burst per letter, like a very plain voice.
std::vector<int16_t> tone_voice(std::string_view text, double rate) {
    std::vector<int16_t> out;
    const size_t letter = static_cast<size_t>(1400 / rate);
    for (unsigned char ch : text) {
        if (ch == ' ') {
            out.insert(out.end(), letter / 2, 0);
            continue;
        }
        const double f0 = 140 + (ch % 16) * 11, formant = 400 + (ch % 23) * 120;
        for (size_t i = 0; i < letter; ++i) {
            double t = i / 16000.0, env = std::sin(std::numbers::pi * i / letter);
            out.push_back(static_cast<int16_t>(
                env * (5000 * std::sin(2 * std::numbers::pi * f0 * t) + 3000 * std::sin(2 * std::numbers::pi * formant * t))));
        }
    }
    return out;
}

// 60 s of room noise with a phrase every 1.5 s: the wake word, other words, a long sentence.
std::vector<int16_t> minute_of_talk() {
    const char* phrases[] = {"Hey Google", "Merhaba nasilsin", "Okul", "Bugun hava cok guzel ve gunesli", "Hey dostum"};
    std::vector<int16_t> out;
    uint32_t seed = 99;
    size_t next = 0;
    while (out.size() < 60 * 16000) {
        std::vector<int16_t> words = tone_voice(phrases[next++ % std::size(phrases)], 1.0);
        out.insert(out.end(), words.begin(), words.end());
        out.insert(out.end(), 24000, 0);
    }
    out.resize(60 * 16000);
    for (int16_t& s : out) {
        seed = seed * 1664525u + 1013904223u;
        s = static_cast<int16_t>(s + (static_cast<int32_t>(seed >> 24) - 128));
    }
    return out;
}

void BM_WakeDetectorMinute(benchmark::State& state) {
    Result<WakeModel> model = train_wake_model(
        {tone_voice("Hey Google", 0.9), tone_voice("Hey Google", 1.0), tone_voice("Hey Google", 1.15)});
    if (!model) {
        state.SkipWithError("training failed");
        return;
    }
    const std::vector<int16_t> audio = minute_of_talk();
    int hits = 0;
    for (auto _ : state) {
        WakeDetector det;
        for (size_t at = 0; at < audio.size(); at += 1600) {
            auto rest = wake_stream_step(det, std::span<const int16_t>(audio).subspan(at, 1600), *model);
            if (rest) ++hits;
            benchmark::DoNotOptimize(rest);
        }
    }
    state.counters["hits_per_minute"] = static_cast<double>(hits) / static_cast<double>(state.iterations());
    state.counters["real_time_factor"] = benchmark::Counter(static_cast<double>(state.iterations()) * 60.0,
                                                            benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

// Processor time: other builds share the machine, so wall time says little.
BENCHMARK(BM_WakeDetectorMinute)->Unit(benchmark::kMillisecond);
