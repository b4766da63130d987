// The wake word: features against an independent double-precision reference,
// DTW, enrolment, wake.bin reading, the streaming detector and the self-test
// report over a synthetic voice.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "sys_log.h"
#include "test_support.h"
#include "voice.h"
#include "voice_support.h"
#include "wake.h"

namespace {

// ---- Reference features: plain double arithmetic, a direct DFT, no shared code ----

std::vector<std::array<double, 13>> reference_mfcc(const std::vector<int16_t>& s, size_t stat) {
    const double pi = std::numbers::pi;
    const size_t frames = (s.size() - 400) / 160 + 1;
    // Mel points straight from the definition.
    std::vector<double> pts(28);
    const double lo = 2595 * std::log10(1 + 60.0 / 700), hi = 2595 * std::log10(1 + 7600.0 / 700);
    for (int i = 0; i < 28; ++i) pts[i] = 700 * (std::pow(10, (lo + (hi - lo) * i / 27) / 2595) - 1) * 512 / 16000;
    std::vector<std::vector<double>> energy(frames, std::vector<double>(26));
    for (size_t t = 0; t < frames; ++t) {
        std::vector<double> y(512, 0.0);
        for (size_t j = 0; j < 400; ++j) {
            size_t i = 160 * t + j;
            double prev = i == 0 ? 0 : s[i - 1] / 32768.0;
            y[j] = (s[i] / 32768.0 - 0.97 * prev) * (0.54 - 0.46 * std::cos(2 * pi * j / 399));
        }
        std::vector<double> power(257);
        for (size_t k = 0; k < 257; ++k) {
            double re = 0, im = 0;
            for (size_t j = 0; j < 400; ++j) {
                re += y[j] * std::cos(-2 * pi * k * j / 512);
                im += y[j] * std::sin(-2 * pi * k * j / 512);
            }
            power[k] = re * re + im * im;
        }
        for (int b = 0; b < 26; ++b) {
            double l = pts[b], c = pts[b + 1], r = pts[b + 2], e = 0;
            for (int k = 0; k < 257; ++k) {
                if (l < k && k <= c) e += (k - l) / (c - l) * power[k];
                else if (c < k && k < r) e += (r - k) / (r - c) * power[k];
            }
            energy[t][b] = e;
        }
    }
    double top = 0;
    for (auto& f : energy)
        for (double v : f) top = std::max(top, v);
    const double g = std::max(0.001 * top, 0.001);
    std::vector<std::array<double, 13>> c(frames);
    std::vector<double> fl(26);
    for (int b = 0; b < 26; ++b) {
        std::vector<double> col;
        for (auto& f : energy) col.push_back(f[b]);
        std::nth_element(col.begin(), col.begin() + frames / 8, col.end());
        fl[b] = std::max(g, 2 * col[frames / 8]);
    }
    for (size_t t = 0; t < frames; ++t)
        for (int k = 0; k < 13; ++k) {
            double sum = 0;
            for (int b = 0; b < 26; ++b) sum += std::log(energy[t][b] + fl[b]) * std::cos(pi * k * (b + 0.5) / 26);
            c[t][k] = std::sqrt(2.0 / 26) * sum;
        }
    const size_t n = std::clamp<size_t>(stat, 1, frames);
    for (int k = 0; k < 13; ++k) {
        double mean = 0, var = 0;
        for (size_t t = 0; t < n; ++t) mean += c[t][k] / n;
        for (size_t t = 0; t < n; ++t) var += (c[t][k] - mean) * (c[t][k] - mean) / n;
        double sd = std::max(std::sqrt(var), 0.05);
        for (size_t t = 0; t < frames; ++t) c[t][k] = (c[t][k] - mean) / sd * (k == 0 ? 0.5 : 1.0);
    }
    return c;
}

// A gliding two-tone signal with a little deterministic hiss, 0.5 s.
std::vector<int16_t> fixed_signal() {
    std::vector<int16_t> s(8000);
    uint32_t seed = 7;
    for (size_t i = 0; i < s.size(); ++i) {
        double t = i / 16000.0;
        seed = seed * 1664525u + 1013904223u;
        double hiss = ((seed >> 8) / 16777216.0 - 0.5) * 400;
        double v = 6000 * std::sin(2 * std::numbers::pi * (300 + 900 * t) * t) * (0.3 + t) +
                   2500 * std::sin(2 * std::numbers::pi * 2300 * t) * (i > 3000 ? 1 : 0.1) + hiss;
        s[i] = static_cast<int16_t>(v);
    }
    return s;
}

// ---- wake.bin builders ----

void put_u32(std::string& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>(v >> (8 * i)));
}
void put_f32(std::string& b, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    put_u32(b, bits);
}
// A file claiming `claimed` templates followed by the given (frames, first value) records.
std::string model_file(uint32_t claimed, const std::vector<std::pair<uint32_t, float>>& records) {
    std::string b = "VWK1";
    put_f32(b, 1.5f);
    put_u32(b, claimed);
    for (auto [frames, first] : records) {
        put_u32(b, frames);
        for (uint32_t f = 0; f < frames; ++f)
            for (int k = 0; k < 13; ++k) put_f32(b, k == 0 && f == 0 ? first : 0.25f);
    }
    return b;
}

// ---- WAV builders ----

std::string wav_file(uint32_t rate, uint16_t channels, const std::vector<int16_t>& pcm, bool odd_chunk_first,
                     bool data_first) {
    auto u16 = [](std::string& b, uint16_t v) { b.push_back(static_cast<char>(v)); b.push_back(static_cast<char>(v >> 8)); };
    std::string fmt_chunk = "fmt ";
    put_u32(fmt_chunk, 16);
    u16(fmt_chunk, 1);
    u16(fmt_chunk, channels);
    put_u32(fmt_chunk, rate);
    put_u32(fmt_chunk, rate * channels * 2);
    u16(fmt_chunk, static_cast<uint16_t>(channels * 2));
    u16(fmt_chunk, 16);
    std::string data = "data";
    put_u32(data, static_cast<uint32_t>(pcm.size() * 2));
    for (int16_t v : pcm) u16(data, static_cast<uint16_t>(v));
    std::string body = "WAVE";
    if (odd_chunk_first) {
        body += "LIST";
        put_u32(body, 3);
        body += "abc";
        body.push_back('\0');  // pad byte
    }
    body += data_first ? data + fmt_chunk : fmt_chunk + data;
    std::string out = "RIFF";
    put_u32(out, static_cast<uint32_t>(body.size()));
    return out + body;
}

}  // namespace

// ---- Features ----

TEST(WakeFeatures, MatchTheReferenceOnAFixedSignal) {
    const std::vector<int16_t> s = fixed_signal();
    for (size_t stat : {size_t{0}, size_t{10}}) {
        auto ours = stat ? wake_mfcc(s, stat) : wake_mfcc(s);
        auto ref = reference_mfcc(s, stat ? stat : 1000);
        ASSERT_EQ(ours.size(), 48u);
        ASSERT_EQ(ref.size(), 48u);
        for (size_t t = 0; t < ours.size(); ++t)
            for (size_t k = 0; k < 13; ++k) ASSERT_NEAR(ours[t][k], ref[t][k], 1e-4) << "frame " << t << " value " << k;
    }
}

TEST(WakeFeatures, FrameCountsAndStatisticsCounts) {
    for (auto [n, frames] : {std::pair<size_t, size_t>{399, 0}, {400, 1}, {560, 2}, {559, 1}, {8000, 48}})
        EXPECT_EQ(wake_mfcc(std::vector<int16_t>(n, 300)).size(), frames) << n << " samples";
    const std::vector<int16_t> s = fixed_signal();
    EXPECT_EQ(wake_mfcc(s, 500), wake_mfcc(s));  // more than the frames: all of them
    EXPECT_EQ(wake_mfcc(s, 0), wake_mfcc(s, 1));
}

TEST(WakeFeatures, SilenceGivesZeros) {
    for (const auto& f : wake_mfcc(std::vector<int16_t>(4000, 0)))
        for (float v : f) EXPECT_EQ(v, 0.0f);
}

TEST(WakeFeatures, MelPointsAndFilters) {
    auto p = mel_points();
    EXPECT_NEAR(p.front(), 1.92, 1e-4);
    EXPECT_NEAR(p[1], 4.1716, 1e-4);
    EXPECT_NEAR(p.back(), 243.2, 1e-4);
    auto filters = build_mel_filters(p);
    ASSERT_EQ(filters.size(), 26u);
    // Filter 0 spans bins 2..6 with its peak weight at bin 4 (left of the centre 4.17).
    ASSERT_EQ(filters[0].front().first, 2);
    EXPECT_EQ(filters[0].back().first, 6);
    for (const auto& f : filters)
        for (auto [k, w] : f) EXPECT_TRUE(w > 0 && w <= 1 && k <= 256);
}

// ---- Matching and enrolment ----

TEST(WakeDtw, IdenticalSequencesAndTooShortOnes) {
    auto f = wake_mfcc(fixed_signal());
    for (bool open : {false, true}) {
        EXPECT_EQ(wake_dtw(f, f, open).distance, 0.0f);
        std::vector<MfccFrame> two(f.begin(), f.begin() + 2);
        EXPECT_EQ(wake_dtw(two, f, open).distance, FLT_MAX);
        EXPECT_EQ(wake_dtw(f, two, open).distance, FLT_MAX);
    }
    EXPECT_EQ(wake_dtw(f, f, false).end_frame, f.size() - 1);
    // The reference found at the start of a longer sequence ends where it ends.
    std::vector<MfccFrame> longer(f.begin(), f.begin() + 20);
    longer.insert(longer.end(), f.begin(), f.end());
    std::vector<MfccFrame> head(f.begin(), f.begin() + 20);
    DtwResult r = wake_dtw(head, longer, true);
    EXPECT_EQ(r.distance, 0.0f);
    EXPECT_EQ(r.end_frame, 19u);
}

TEST(WakeTraining, ThresholdFromPairDistances) {
    const float ok[] = {1.0f, 1.0f, 2.3f};
    Result<float> t = threshold_from_pair_distances(ok);
    ASSERT_TRUE(t.ok());
    EXPECT_NEAR(*t, 2.576f, 1e-5);
    const float same[] = {0.0f, 0.0f, 0.0f};
    EXPECT_EQ(threshold_from_pair_distances(same).value(), 0.0f);
    const float apart[] = {0.1f, 0.1f, 3.0f};
    EXPECT_EQ(threshold_from_pair_distances(apart).error().message, "kayıtlar birbirine benzemiyor, aynı şekilde söyle");
}

TEST(WakeTraining, ShortTakesAreDropped) {
    // 30 ms of sound in silence trims to 9 chunks, far below 25 frames.
    std::vector<int16_t> blip(16000, 0);
    for (size_t i = 8000; i < 8480; ++i) blip[i] = static_cast<int16_t>(i % 7 * 2000);
    TrimmedRange r = trim_silence(blip);
    EXPECT_EQ(r.start, 47u * 160);
    EXPECT_EQ(r.length, 9u * 160);
    EXPECT_EQ(trim_silence(std::vector<int16_t>(500, 0)).length, 0u);
    EXPECT_EQ(trim_silence(std::vector<int16_t>(500, 20)).length, 500u);  // all below the gate: kept whole

    std::vector<int16_t> word = tone_voice("Hey Google", 1.0);
    Result<WakeModel> two = train_wake_model({word, tone_voice("Hey Google", 1.1), blip});
    ASSERT_FALSE(two.ok());
    EXPECT_EQ(two.error().message, "kayıtlar çok kısa");
    EXPECT_EQ(train_wake_model({{}, {}, {}}).error().message, "kayıtlar çok kısa");

    Result<WakeModel> three = train_wake_model({tone_voice("Hey Google", 0.9), word, tone_voice("Hey Google", 1.15)});
    ASSERT_TRUE(three.ok()) << three.error().message;
    EXPECT_EQ(three->templates.size(), 3u);
    EXPECT_GT(three->threshold, 0.0f);
}

TEST(WakeMatch, ATemplatelessModelMatchesNothing) {
    WakeModel empty;
    empty.threshold = 100;
    EXPECT_FALSE(wake_match(empty, tone_voice("Hey Google", 1.0)).hit);
}

// ---- Model file ----

TEST(WakeModelFile, ReadingCases) {
    const std::string ok = model_file(2, {{30, 1.0f}, {40, 2.0f}});
    ASSERT_TRUE(parse_wake_model(ok));
    struct Case {
        const char* name;
        std::string bytes;
        bool loads;
    } cases[] = {
        {"11 bytes", ok.substr(0, 11), false},
        {"VWK2", "VWK2" + ok.substr(4), false},
        {"no templates", model_file(0, {}), false},
        {"last frame one byte short", ok.substr(0, ok.size() - 1), false},
        {"count promises more than there is", model_file(3, {{30, 1.0f}, {40, 2.0f}}), false},
        {"huge frame count", model_file(1, {}) + std::string("\xFF\xFF\xFF\xFF", 4), false},
        {"whole", ok, true},
    };
    for (const auto& c : cases) EXPECT_EQ(parse_wake_model(c.bytes).has_value(), c.loads) << c.name;

    std::vector<std::pair<uint32_t, float>> twelve;
    for (int i = 0; i < 12; ++i) twelve.push_back({3, static_cast<float>(i)});
    auto m = parse_wake_model(model_file(12, twelve));
    ASSERT_TRUE(m);
    ASSERT_EQ(m->templates.size(), 10u);
    EXPECT_EQ(m->templates[9][0][0], 9.0f);
    EXPECT_EQ(m->threshold, 1.5f);

    auto long_first = parse_wake_model(model_file(2, {{1200, 4.0f}, {5, 7.0f}}));
    ASSERT_TRUE(long_first);
    EXPECT_EQ(long_first->templates[0].size(), 1000u);
    ASSERT_EQ(long_first->templates[1].size(), 5u);
    EXPECT_EQ(long_first->templates[1][0][0], 7.0f);
}

TEST(WakeModelFile, SavesLoadsAndRaisesReload) {
    ScopedDataDir data;
    auto takes = std::vector<std::vector<int16_t>>{tone_voice("Hey Google", 0.9), tone_voice("Hey Google", 1.0),
                                                   tone_voice("Hey Google", 1.15)};
    Result<WakeModel> model = train_wake_model(takes);
    ASSERT_TRUE(model.ok());
    wake_reload = false;
    EXPECT_FALSE(save_wake_model(WakeModel{}).ok());
    EXPECT_TRUE(wake_reload.exchange(false));
    EXPECT_FALSE(wake_model_exists());
    ASSERT_TRUE(save_wake_model(*model).ok());
    EXPECT_TRUE(wake_reload.exchange(false));
    EXPECT_TRUE(wake_model_exists());
    auto back = load_wake_model();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->threshold, model->threshold);
    EXPECT_EQ(back->templates, model->templates);
    EXPECT_EQ(*read_file(data_file("wake.bin")), wake_model_bytes(*model));
    wake_reload = true;
}

// ---- Streaming detector ----

TEST(WakeDetector, FindsTheWordInAStreamAndNothingElse) {
    Result<WakeModel> model = train_wake_model(
        {tone_voice("Hey Google", 0.9), tone_voice("Hey Google", 1.0), tone_voice("Hey Google", 1.15)});
    ASSERT_TRUE(model.ok());
    auto stream = [&](std::vector<int16_t> audio, size_t block) {
        std::vector<int16_t> signal(16000, 0);
        signal.insert(signal.end(), audio.begin(), audio.end());
        signal.insert(signal.end(), 8000, 0);
        WakeDetector det;
        int hits = 0;
        for (size_t at = 0; at < signal.size(); at += block) {
            std::span<const int16_t> part(signal.data() + at, std::min(block, signal.size() - at));
            if (wake_stream_step(det, part, *model)) ++hits;
        }
        return hits;
    };
    for (size_t block : {size_t{1600}, size_t{97}}) {
        EXPECT_EQ(stream(tone_voice("Hey Google", 1.05), block), 1) << "block " << block;
        EXPECT_EQ(stream(tone_voice("Merhaba nasılsın", 1.0), block), 0) << "block " << block;
        EXPECT_EQ(stream({}, block), 0);
    }
}

TEST(WakeDetector, ResetKeepsTheNoiseEstimate) {
    WakeDetector det;
    det.noise = 0.02f;
    det.in_speech = det.mid_checked = true;
    det.utterance.assign(10, 1);
    det.pending.assign(5, 1);
    det.preroll.assign(7, 1);
    det.silent = 4;
    det.reset();
    EXPECT_TRUE(det.utterance.empty() && det.pending.empty() && det.preroll.empty());
    EXPECT_FALSE(det.in_speech || det.mid_checked);
    EXPECT_EQ(det.silent, 0u);
    EXPECT_EQ(det.noise, 0.02f);
}

// ---- The synthesiser's WAV as 16 kHz mono ----

TEST(WakeSpeechWav, ChunksRatesAndChannels) {
    const std::vector<int16_t> pcm = {100, -200, 300, -400, 500, -600};
    struct Case {
        const char* what;
        uint32_t rate;
        uint16_t channels;
        bool odd_chunk_first;
        bool data_first;
        std::optional<std::vector<int16_t>> want;
    };
    const Case cases[] = {
        {"16 kHz mono", 16000, 1, false, false, pcm},
        {"an odd chunk and its pad byte first", 16000, 1, true, false, pcm},
        {"data before fmt has no rate", 16000, 1, false, true, std::nullopt},
        {"stereo is the mean of each pair", 16000, 2, false, false, std::vector<int16_t>{-50, -50, -50}},
        {"8 kHz doubles by interpolation", 8000, 1, false, false,
         std::vector<int16_t>{100, -50, -200, 50, 300, -50, -400, 50, 500, -50, -600, -600}},
        {"a zero rate", 0, 1, false, false, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pcm16k_from_wav(wav_file(c.rate, c.channels, pcm, c.odd_chunk_first, c.data_first)), c.want) << c.what;

    const std::string whole = wav_file(16000, 1, pcm, false, false);
    // A data chunk longer than the file is cut where the file ends (here: inside the fourth sample).
    EXPECT_EQ(pcm16k_from_wav(whole.substr(0, whole.size() - 5)), (std::vector<int16_t>{100, -200, 300}));
    EXPECT_EQ(pcm16k_from_wav("RIFX" + whole.substr(4)), std::nullopt);
    EXPECT_EQ(pcm16k_from_wav(whole.substr(0, 19)), std::nullopt);
}

// ---- Self-test report ----

TEST(WakeSelfTest, WithoutSynthesisTheReportStopsAtTraining) {
    std::string report = wake_self_test_report([](std::string_view, double) { return std::nullopt; });
    EXPECT_EQ(report, "train lens: [0, 0, 0]\nbuild failed: kayıtlar çok kısa\n");
}

TEST(WakeSelfTest, ASyntheticVoiceGivesAFullRepeatableReport) {
    std::string first = wake_self_test_report(tone_voice);
    EXPECT_EQ(first, wake_self_test_report(tone_voice));
    EXPECT_NE(first.find("train lens: [" + std::to_string(tone_voice("Hey Google", 0.9).size()) + ", "), std::string::npos);
    EXPECT_NE(first.find("\nthr = "), std::string::npos);
    EXPECT_NE(first.find("] Hey Google x0.95 noise=0 -> best "), std::string::npos);
    EXPECT_NE(first.find("] Okul x1 noise=0.01 -> best "), std::string::npos);
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 2 + 30 + 2 + 2);
    EXPECT_NE(first.find("\nRESULT: "), std::string::npos);
    EXPECT_TRUE(first.ends_with(" failure(s)\n"));
}
