// Wake-word features: pre-emphasis, Hamming window, 512-point FFT, 26 mel
// bands with per-band floors, log, cosine transform and normalisation.
#include <algorithm>
#include <cmath>
#include <complex>
#include <mutex>
#include <numbers>

#include "wake.h"

namespace {

constexpr size_t kFftSize = 512;
constexpr size_t kFftBins = kFftSize / 2 + 1;
constexpr float kPreEmphasis = 0.97f;
constexpr double kMelLowHz = 60, kMelHighHz = 7600, kSampleRateHz = 16000;

struct AudioTables {
    std::array<float, kFrameLength> window{};
    std::vector<MelFilter> filters;
};

const AudioTables& audio_tables() {
    static AudioTables tables;
    static std::once_flag once;
    std::call_once(once, [] {
        for (size_t n = 0; n < kFrameLength; ++n)
            tables.window[n] = static_cast<float>(0.54 - 0.46 * std::cos(2 * std::numbers::pi * n / (kFrameLength - 1)));
        auto points = mel_points();
        tables.filters = build_mel_filters(points);
    });
    return tables;
}

// In-place radix-2 FFT over re/im (length a power of two).
void fft_in_place(std::span<double> re, std::span<double> im) {
    const size_t n = re.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const double angle = -2 * std::numbers::pi / static_cast<double>(len);
        const double wr = std::cos(angle), wi = std::sin(angle);
        for (size_t start = 0; start < n; start += len) {
            double cr = 1, ci = 0;
            for (size_t k = 0; k < len / 2; ++k) {
                size_t a = start + k, b = a + len / 2;
                double tr = re[b] * cr - im[b] * ci;
                double ti = re[b] * ci + im[b] * cr;
                re[b] = re[a] - tr;
                im[b] = im[a] - ti;
                re[a] += tr;
                im[a] += ti;
                double next = cr * wr - ci * wi;
                ci = cr * wi + ci * wr;
                cr = next;
            }
        }
    }
}

// The largest finite band energy of all frames (NaNs ignored), 0 when none.
float max_frame_value(const std::vector<std::array<float, kMelBands>>& energies) {
    float m = 0;
    for (const auto& frame : energies)
        for (float v : frame)
            if (!std::isnan(v) && v > m) m = v;
    return m;
}

}  // namespace

std::array<double, kMelBands + 2> mel_points() {
    auto to_mel = [](double f) { return 2595 * std::log10(1 + f / 700); };
    auto from_mel = [](double m) { return 700 * (std::pow(10.0, m / 2595) - 1); };
    std::array<double, kMelBands + 2> points{};
    const double lo = to_mel(kMelLowHz), hi = to_mel(kMelHighHz);
    for (size_t i = 0; i < points.size(); ++i) {
        double mel = lo + (hi - lo) * static_cast<double>(i) / static_cast<double>(points.size() - 1);
        points[i] = from_mel(mel) * kFftSize / kSampleRateHz;
    }
    return points;
}

MelFilter triangle_filter_weights(double left, double centre, double right) {
    MelFilter out;
    for (size_t k = 0; k < kFftBins; ++k) {
        double kd = static_cast<double>(k), w = 0;
        if (left < kd && kd <= centre) w = (kd - left) / (centre - left);
        else if (centre < kd && kd < right) w = (right - kd) / (right - centre);
        if (w > 0) out.emplace_back(static_cast<uint16_t>(k), static_cast<float>(w));
    }
    return out;
}

std::vector<MelFilter> build_mel_filters(std::span<const double> points) {
    std::vector<MelFilter> filters;
    for (size_t m = 0; m + 2 < points.size(); ++m) filters.push_back(triangle_filter_weights(points[m], points[m + 1], points[m + 2]));
    return filters;
}

std::vector<MfccFrame> wake_mfcc(std::span<const int16_t> samples, std::optional<size_t> stat_frames) {
    if (samples.size() < kFrameLength) return {};
    const AudioTables& tables = audio_tables();
    const size_t frames = (samples.size() - kFrameLength) / kFrameHop + 1;

    // Band energies per frame; the two FFT arrays serve every frame.
    std::vector<std::array<float, kMelBands>> energy(frames);
    // The transform runs in double so that the float samples keep their precision to the end.
    std::array<double, kFftSize> re{}, im{};
    auto x = [&](size_t i) { return static_cast<float>(samples[i]) / 32768.0f; };
    for (size_t t = 0; t < frames; ++t) {
        const size_t s = t * kFrameHop;
        for (size_t j = 0; j < kFrameLength; ++j) {
            float prev = s + j == 0 ? 0.0f : x(s + j - 1);
            re[j] = (x(s + j) - kPreEmphasis * prev) * tables.window[j];
            im[j] = 0;
        }
        std::fill(re.begin() + kFrameLength, re.end(), 0.0);
        std::fill(im.begin() + kFrameLength, im.end(), 0.0);
        fft_in_place(re, im);
        for (size_t b = 0; b < kMelBands; ++b) {
            double e = 0;
            for (auto [k, w] : tables.filters[b]) e += w * (static_cast<double>(re[k]) * re[k] + static_cast<double>(im[k]) * im[k]);
            energy[t][b] = static_cast<float>(e);
        }
    }

    // Per-band floors: twice the 12.5th percentile, never below 0.1 % of the loudest band.
    const float g = std::max(0.001f * max_frame_value(energy), 0.001f);
    std::array<float, kMelBands> floor{};
    std::vector<float> column(frames);
    for (size_t b = 0; b < kMelBands; ++b) {
        for (size_t t = 0; t < frames; ++t) column[t] = energy[t][b];
        std::sort(column.begin(), column.end());
        float doubled = 2 * column[frames / 8];
        floor[b] = std::isnan(doubled) ? g : std::max(g, doubled);
    }

    // Log energies through the cosine transform, one scale for every coefficient.
    static const std::array<std::array<double, kMelBands>, kMfccCount> kCosines = [] {
        std::array<std::array<double, kMelBands>, kMfccCount> c{};
        const double scale = std::sqrt(2.0 / kMelBands);
        for (size_t k = 0; k < kMfccCount; ++k)
            for (size_t b = 0; b < kMelBands; ++b)
                c[k][b] = scale * std::cos(std::numbers::pi * k * (b + 0.5) / kMelBands);
        return c;
    }();
    // Cepstra and their statistics in double: the normalisation divides by
    // spreads as small as 0.05, which would magnify float rounding.
    std::vector<std::array<double, kMfccCount>> cep(frames);
    for (size_t t = 0; t < frames; ++t) {
        std::array<double, kMelBands> log_e;
        for (size_t b = 0; b < kMelBands; ++b) log_e[b] = std::log(static_cast<double>(energy[t][b]) + floor[b]);
        for (size_t k = 0; k < kMfccCount; ++k) {
            double sum = 0;
            for (size_t b = 0; b < kMelBands; ++b) sum += log_e[b] * kCosines[k][b];
            cep[t][k] = sum;
        }
    }

    // Mean and variance normalisation over the statistics frames.
    const size_t n = std::clamp<size_t>(stat_frames.value_or(frames), 1, frames);
    std::vector<MfccFrame> out(frames);
    for (size_t k = 0; k < kMfccCount; ++k) {
        double mean = 0;
        for (size_t t = 0; t < n; ++t) mean += cep[t][k];
        mean /= static_cast<double>(n);
        double var = 0;
        for (size_t t = 0; t < n; ++t) var += (cep[t][k] - mean) * (cep[t][k] - mean);
        const double sd = std::max(std::sqrt(var / static_cast<double>(n)), 0.05);
        for (size_t t = 0; t < frames; ++t) out[t][k] = static_cast<float>((cep[t][k] - mean) / sd);
    }
    for (auto& f : out) f[0] *= 0.5f;
    return out;
}
