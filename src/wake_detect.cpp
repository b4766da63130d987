// The streaming detector: an energy segmenter that cuts the microphone's
// sound into utterances and hands each candidate to the matcher.
#include <cmath>

#include "wake.h"

namespace {

constexpr uint32_t kEndSilenceChunks = 25;  // 0.25 s of quiet ends an utterance
constexpr size_t kMidCheckSamples = 25600;  // 1.6 s: the wake word may run into a question
constexpr size_t kMaxUtterance = 96000;     // 6 s
constexpr double kMinMatchSeconds = 0.3, kMaxMatchSeconds = 2.4;

float chunk_rms(std::span<const int16_t> chunk) {
    float sum = 0;
    for (int16_t s : chunk) {
        float v = s / 32768.0f;
        sum += v * v;
    }
    return std::sqrt(sum / static_cast<float>(kFrameHop));
}

}  // namespace

void WakeDetector::reset() {
    preroll.clear();
    utterance.clear();
    pending.clear();
    silent = 0;
    in_speech = false;
    mid_checked = false;
}

std::optional<std::vector<int16_t>> wake_stream_step(WakeDetector& det, std::span<const int16_t> samples,
                                                     const WakeModel& model) {
    det.pending.insert(det.pending.end(), samples.begin(), samples.end());
    size_t used = 0;
    std::optional<std::vector<int16_t>> rest;
    for (; !rest && det.pending.size() - used >= kFrameHop; used += kFrameHop) {
        std::span<const int16_t> chunk(det.pending.data() + used, kFrameHop);
        const float rms = chunk_rms(chunk);
        const float thr = std::max(3 * det.noise, 0.005f);
        if (!det.in_speech) {
            // The floor follows a quieter room quickly and a louder one slowly.
            det.noise = rms < det.noise ? 0.9f * det.noise + 0.1f * rms : 0.998f * det.noise + 0.002f * rms;
            det.preroll.insert(det.preroll.end(), chunk.begin(), chunk.end());
            if (det.preroll.size() > kPrerollSamples)
                det.preroll.erase(det.preroll.begin(), det.preroll.end() - kPrerollSamples);
            if (rms > thr) {
                det.in_speech = true;
                det.mid_checked = false;
                det.silent = 0;
                det.utterance = std::move(det.preroll);
                det.preroll.clear();
            }
            continue;
        }
        det.utterance.insert(det.utterance.end(), chunk.begin(), chunk.end());
        det.silent = rms > thr ? 0 : det.silent + 1;
        if (det.silent < kEndSilenceChunks) {
            if (det.utterance.size() >= kMidCheckSamples && !det.mid_checked) {
                det.mid_checked = true;
                WakeHit hit = wake_match(model, det.utterance);
                if (hit.hit) {
                    size_t from = std::min(hit.end_sample, det.utterance.size());
                    rest.emplace(det.utterance.begin() + static_cast<ptrdiff_t>(from), det.utterance.end());
                    det.in_speech = false;
                    det.utterance.clear();
                }
            } else if (det.utterance.size() > kMaxUtterance) {
                det.in_speech = false;
                det.utterance.clear();
            }
            continue;
        }
        std::vector<int16_t> utterance = std::move(det.utterance);
        det.utterance.clear();
        det.in_speech = false;
        const size_t n = utterance.size() - std::min(utterance.size(), size_t{kEndSilenceChunks * kFrameHop});
        const double seconds = static_cast<double>(n) / 16000.0;
        if (seconds >= kMinMatchSeconds && seconds < kMaxMatchSeconds &&
            wake_match(model, std::span<const int16_t>(utterance).first(n)).hit)
            rest.emplace();
    }
    if (rest) {
        det.pending.clear();
        det.preroll.clear();
        return rest;
    }
    det.pending.erase(det.pending.begin(), det.pending.begin() + static_cast<ptrdiff_t>(used));
    return std::nullopt;
}
