// Wake-word matching: banded dynamic time warping, silence trimming, the
// enrolment of three takes into a model, and the matcher of one utterance.
#include <algorithm>
#include <cmath>
#include <numeric>

#include "wake.h"

namespace {

constexpr float kInf = 0x1p125f;  // a cell outside the band; sums are capped here
constexpr size_t kMinTemplateFrames = 25;
constexpr size_t kTrimMargin = 3;  // chunks of 10 ms kept around the sound

float frame_distance(const MfccFrame& a, const MfccFrame& b) {
    float sum = 0;
    for (size_t k = 0; k < kMfccCount; ++k) sum += (a[k] - b[k]) * (a[k] - b[k]);
    return std::sqrt(sum);
}

float capped(float v) { return v < kInf ? v : kInf; }

}  // namespace

DtwResult wake_dtw(std::span<const MfccFrame> a, std::span<const MfccFrame> b, bool open_end) {
    const size_t n = a.size(), m = b.size();
    if (n < 3 || m < 3) return {FLT_MAX, 0};
    const size_t cols = open_end ? std::min(m, 2 * n + 10) : m;

    std::vector<float> prev(cols, kInf), cur(cols, kInf);
    for (size_t i = 0; i < n; ++i) {
        for (size_t j = 0; j < cols; ++j) {
            if (j > 2 * i + 12 || i > 2 * j + 12) {
                cur[j] = kInf;
                continue;
            }
            const float d = frame_distance(a[i], b[j]);
            if (i == 0 && j == 0) {
                cur[j] = capped(2 * d);
                continue;
            }
            float best = kInf;
            if (i > 0 && j > 0) best = std::min(best, prev[j - 1] + 2 * d);
            if (i > 0) best = std::min(best, prev[j] + d);
            if (j > 0) best = std::min(best, cur[j - 1] + d);
            cur[j] = capped(best);
        }
        std::swap(prev, cur);
    }
    // prev now holds the last row.
    if (!open_end) return {prev[m - 1] / static_cast<float>(n + m), m - 1};
    DtwResult out{FLT_MAX, cols - 1};
    for (size_t j = std::min(6 * n / 10, cols - 1); j < cols; ++j) {
        float cand = prev[j] / static_cast<float>(n + j + 1);
        if (cand < out.distance) out = {cand, j};
    }
    return out;
}

std::vector<DtwResult> template_distances(const WakeModel& model, std::span<const MfccFrame> features) {
    std::vector<DtwResult> out;
    out.reserve(model.templates.size());
    for (const auto& t : model.templates) out.push_back(wake_dtw(t, features, true));
    return out;
}

TrimmedRange trim_silence(std::span<const int16_t> samples) {
    const size_t chunks = (samples.size() + kFrameHop - 1) / kFrameHop;
    std::vector<float> rms(chunks);
    float peak = 0;
    for (size_t c = 0; c < chunks; ++c) {
        const size_t from = c * kFrameHop, to = std::min(samples.size(), from + kFrameHop);
        float sum = 0;
        for (size_t i = from; i < to; ++i) {
            float v = samples[i] / 32768.0f;
            sum += v * v;
        }
        rms[c] = std::sqrt(sum / static_cast<float>(to - from));
        peak = std::max(peak, rms[c]);
    }
    if (peak <= 0) return {0, 0};
    const float gate = std::max(0.08f * peak, 0.004f);
    size_t first = chunks, last = 0;
    for (size_t c = 0; c < chunks; ++c) {
        if (rms[c] > gate) {
            if (first == chunks) first = c;
            last = c;
        }
    }
    if (first == chunks) return {0, samples.size()};
    const size_t from = (first - std::min(first, kTrimMargin)) * kFrameHop;
    const size_t to = std::min(samples.size(), (std::min(last + kTrimMargin, chunks - 1) + 1) * kFrameHop);
    return {from, to - from};
}

std::vector<WakeTemplate> wake_templates_from_recordings(const std::vector<std::vector<int16_t>>& recordings) {
    std::vector<WakeTemplate> out;
    for (const auto& rec : recordings) {
        TrimmedRange r = trim_silence(rec);
        WakeTemplate t = wake_mfcc(std::span<const int16_t>(rec).subspan(r.start, r.length));
        if (t.size() >= kMinTemplateFrames) out.push_back(std::move(t));
    }
    return out;
}

Result<float> threshold_from_pair_distances(std::span<const float> distances) {
    if (distances.empty()) return make_error("kayıtlar çok kısa");
    const float mean = std::accumulate(distances.begin(), distances.end(), 0.0f) / static_cast<float>(distances.size());
    const float worst = *std::max_element(distances.begin(), distances.end());
    if (worst > 2.2f * mean) return make_error("kayıtlar birbirine benzemiyor, aynı şekilde söyle");
    return std::max(1.12f * worst, 1.45f * mean);
}

Result<WakeModel> train_wake_model(const std::vector<std::vector<int16_t>>& recordings) {
    WakeModel model;
    model.templates = wake_templates_from_recordings(recordings);
    if (model.templates.size() < 3) return make_error("kayıtlar çok kısa");
    std::vector<float> distances;
    for (size_t k = 0; k < model.templates.size(); ++k)
        for (size_t l = k + 1; l < model.templates.size(); ++l)
            distances.push_back(wake_dtw(model.templates[k], model.templates[l], false).distance);
    Result<float> threshold = threshold_from_pair_distances(distances);
    if (!threshold) return threshold.error();
    model.threshold = *threshold;
    return model;
}

WakeScore wake_score(const WakeModel& model, std::span<const int16_t> utterance) {
    // A model without templates has no mean length and matches nothing.
    if (model.templates.empty()) return {};
    const TrimmedRange r = trim_silence(utterance);
    size_t longest = 0, total = 0;
    for (const auto& t : model.templates) {
        longest = std::max(longest, t.size());
        total += t.size();
    }
    const size_t mean = total / model.templates.size();
    const size_t keep = static_cast<size_t>(std::floor(1.35 * static_cast<double>(longest))) * kFrameHop + kFrameLength;
    const auto kept = utterance.subspan(r.start, std::min(r.length, keep));
    const std::vector<MfccFrame> features = wake_mfcc(kept, mean);

    std::vector<DtwResult> d = template_distances(model, features);
    std::stable_sort(d.begin(), d.end(), [](const DtwResult& x, const DtwResult& y) { return x.distance < y.distance; });
    WakeScore s;
    s.best = d[0].distance;
    s.second = d.size() > 1 ? d[1].distance : FLT_MAX;
    s.end_sample = r.start + d[0].end_frame * kFrameHop + kFrameLength;
    return s;
}

bool wake_score_hits(const WakeScore& score, float threshold, float factor) {
    const float limit = threshold * factor;
    return score.best < limit && score.second < limit * 1.2f;
}

WakeHit wake_match(const WakeModel& model, std::span<const int16_t> utterance) {
    WakeScore s = wake_score(model, utterance);
    return {wake_score_hits(s, model.threshold, wake_sensitivity.load()), s.end_sample};
}
