// "--wake-test": teaches the wake word from three synthesised takes, matches
// ten phrases under three noise conditions, runs the streaming detector and
// writes the report. Fixed seeds make two runs on one machine identical.
#include <algorithm>
#include <fmt/format.h>
#include <fmt/ranges.h>

#include "sys_os.h"
#include "voice.h"
#include "wake.h"

namespace {

// 32-bit linear congruential noise, draws uniform in [-0.5, 0.5).
struct NoiseGen {
    uint32_t s;
    float draw() {
        s = s * 1664525u + 1013904223u;
        return static_cast<float>(s >> 8) / 16777216.0f - 0.5f;
    }
};

int16_t clamp16(float v) { return static_cast<int16_t>(std::clamp(v, -32768.0f, 32767.0f)); }

// sample × gain + uniform noise of the given amplitude (fraction of full scale).
void add_noise(std::vector<int16_t>& audio, uint32_t seed, float gain, float amplitude) {
    NoiseGen g{seed};
    for (int16_t& s : audio) s = clamp16(s * gain + g.draw() * 2 * amplitude * 32768);
}

struct Phrase {
    const char* text;
    double rate;
    bool expected;
};
constexpr Phrase kPhrases[] = {
    {"Hey Google", 0.95, true},
    {"Hey Google", 1.1, true},
    {"Hey Google", 1.25, true},
    {"Hey Google, yarın hava nasıl olacak?", 1.0, true},
    {"Merhaba nasılsın", 1.0, false},
    {"Hey dostum", 1.0, false},
    {"Google'da ara", 1.0, false},
    {"Bugün hava çok güzel", 1.0, false},
    {"Hey Vemo", 1.0, false},
    {"Okul", 1.0, false},
};

struct Condition {
    float noise, gain;
    bool counted;
};
constexpr Condition kConditions[] = {{0.0f, 1.0f, true}, {0.004f, 0.8f, true}, {0.01f, 0.6f, false}};
constexpr double kTrainingRates[] = {0.9, 1.0, 1.15};

// Silence, the audio, silence, fed in 0.1 s blocks each with its own light noise.
std::optional<std::vector<int16_t>> stream_through_detector(const WakeModel& model, std::vector<int16_t> audio,
                                                            size_t lead, size_t tail) {
    std::vector<int16_t> signal(lead, 0);
    signal.insert(signal.end(), audio.begin(), audio.end());
    signal.insert(signal.end(), tail, 0);
    WakeDetector det;
    std::optional<std::vector<int16_t>> hit;
    for (size_t at = 0; at < signal.size(); at += 1600) {
        std::vector<int16_t> block(signal.begin() + at, signal.begin() + std::min(signal.size(), at + 1600));
        add_noise(block, 12345, 1.0f, 0.002f);
        if (auto rest = wake_stream_step(det, block, model); rest && !hit) hit = std::move(rest);
    }
    return hit;
}

}  // namespace

std::string wake_self_test_report(const SpeechSource& speak) {
    auto synth = [&](std::string_view text, double rate) { return speak(text, rate).value_or(std::vector<int16_t>{}); };
    std::string report;
    std::vector<std::vector<int16_t>> takes;
    std::vector<size_t> lengths;
    for (size_t k = 0; k < std::size(kTrainingRates); ++k) {
        std::vector<int16_t> take = synth("Hey Google", kTrainingRates[k]);
        NoiseGen g{static_cast<uint32_t>(k + 777)};
        for (int16_t& s : take) s = clamp16(s + g.draw() * 120);
        lengths.push_back(take.size());
        takes.push_back(std::move(take));
    }
    report += fmt::format("train lens: [{}]\n", fmt::join(lengths, ", "));
    Result<WakeModel> trained = train_wake_model(takes);
    if (!trained) return report + fmt::format("build failed: {}\n", trained.error().message);
    const WakeModel& model = *trained;
    report += fmt::format("thr = {:.3f}\n", model.threshold);

    int failures = 0;
    for (const Phrase& p : kPhrases) {
        for (const Condition& c : kConditions) {
            std::vector<int16_t> audio = synth(p.text, p.rate);
            add_noise(audio, 12345, c.gain, c.noise);
            WakeScore s = wake_score(model, audio);
            bool hit = wake_score_hits(s, model.threshold, wake_sensitivity.load());
            const char* verdict = hit == p.expected ? "OK" : c.counted ? "FAIL" : "info";
            if (hit != p.expected && c.counted) ++failures;
            report += fmt::format("[{}] {} x{} noise={} -> best {:.3f} second {:.3f} hit={}\n", verdict, p.text, p.rate,
                                  c.noise, s.best, s.second, hit);
        }
    }

    std::vector<int16_t> word = synth("Hey Google", 1.05);
    add_noise(word, 12345, 1.0f, 0.003f);
    bool found = stream_through_detector(model, std::move(word), 16000, 8000).has_value();
    if (!found) ++failures;
    report += fmt::format("[{}] streaming detector finds the wake word\n", found ? "OK" : "FAIL");

    auto rest = stream_through_detector(model, synth("Hey Google, saat kaç", 1.0), 16000, 16000);
    report += rest ? fmt::format("continuous phrase: rest = {} samples\n", rest->size())
                   : std::string("continuous phrase: no hit\n");
    report += fmt::format("\nRESULT: {} failure(s)\n", failures);
    return report;
}

void run_wake_self_test(const std::string& report_path) {
    std::string report = wake_self_test_report(synthesize_pcm16k);
    (void)write_file_atomic(report_path, report);
}
