// The wake word: features, template matching and enrolment, the model file,
// the streaming detector and the process-wide switches the listener reads.
//
// Index
//   Process-wide switches
//   Features (wake_features.cpp)
//   Matching and enrolment (wake_match.cpp)
//   Model file (wake_model.cpp)
//   Streaming detector (wake_detect.cpp)
//   Self-test (wake_selftest.cpp)
#pragma once
#include <array>
#include <atomic>
#include <cfloat>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sys_result.h"

// ---- Process-wide switches ----------------------------------------------------------------

// The listener reacts to the wake word only while this is set.
extern std::atomic<bool> wake_enabled;
// Raised when the model file or the microphone changed; the listener swaps it back.
extern std::atomic<bool> wake_reload;
// Set while a voice question or teaching runs: the detector is held empty.
extern std::atomic<bool> wake_paused;
// Detection threshold factor of the stored sensitivity level.
extern std::atomic<float> wake_sensitivity;

// 0.85, 1.0 or 1.18 for the levels 0, 1, 2; anything above 2 counts as 2.
float sensitivity_for_level(uint8_t level);

// Whether the taught model `wake.bin` in the data folder exists (its content is not read).
bool wake_model_exists();

// ---- Features ------------------------------------------------------------------------------

constexpr size_t kMfccCount = 13;
constexpr size_t kFrameLength = 400;  // 25 ms at 16 kHz
constexpr size_t kFrameHop = 160;     // 10 ms
constexpr size_t kMelBands = 26;

using MfccFrame = std::array<float, kMfccCount>;
using WakeTemplate = std::vector<MfccFrame>;

// Normalised cepstral frames of 16 kHz mono audio. With `stat_frames`, the
// normalisation statistics come from that many leading frames (clamped to 1..F).
std::vector<MfccFrame> wake_mfcc(std::span<const int16_t> samples, std::optional<size_t> stat_frames = std::nullopt);

// One mel filter: (FFT bin, weight) pairs in increasing bin order.
using MelFilter = std::vector<std::pair<uint16_t, float>>;
MelFilter triangle_filter_weights(double left, double centre, double right);
// The 26 filters over 28 fractional bin positions.
std::vector<MelFilter> build_mel_filters(std::span<const double> points);
// The 28 mel points from 60 Hz to 7 600 Hz as fractional bins of a 512-point FFT.
std::array<double, kMelBands + 2> mel_points();

// ---- Matching and enrolment ---------------------------------------------------------------

struct WakeModel {
    std::vector<WakeTemplate> templates;
    float threshold = 0;
};

struct DtwResult {
    float distance = FLT_MAX;  // normalised path cost; FLT_MAX: no comparison possible
    size_t end_frame = 0;      // index into the searched sequence
};

// Banded DTW of reference `a` against `b`; open end finds `a` at the start of `b`.
DtwResult wake_dtw(std::span<const MfccFrame> a, std::span<const MfccFrame> b, bool open_end);
// Open-end distances of every template against the features, in template order.
std::vector<DtwResult> template_distances(const WakeModel& model, std::span<const MfccFrame> features);

struct TrimmedRange {
    size_t start = 0;
    size_t length = 0;
};
// The sounding part of a recording with 30 ms of margin on each side.
TrimmedRange trim_silence(std::span<const int16_t> samples);

std::vector<WakeTemplate> wake_templates_from_recordings(const std::vector<std::vector<int16_t>>& recordings);
// The acceptance threshold from the closed-end distances of every template pair.
Result<float> threshold_from_pair_distances(std::span<const float> distances);
// Three or more usable takes make a model; otherwise a Turkish error text.
Result<WakeModel> train_wake_model(const std::vector<std::vector<int16_t>>& recordings);

struct WakeScore {
    float best = FLT_MAX;
    float second = FLT_MAX;
    size_t end_sample = 0;  // where the wake word ends in the utterance
};
// The matcher's distances for one utterance; no templates gives FLT_MAX twice.
WakeScore wake_score(const WakeModel& model, std::span<const int16_t> utterance);
// Hit when best < threshold × factor and second < threshold × factor × 1.2.
bool wake_score_hits(const WakeScore& score, float threshold, float factor);

struct WakeHit {
    bool hit = false;
    size_t end_sample = 0;
};
// wake_score judged with the current wake_sensitivity.
WakeHit wake_match(const WakeModel& model, std::span<const int16_t> utterance);

// ---- Model file ---------------------------------------------------------------------------

constexpr size_t kWakeMaxTemplates = 10;
constexpr size_t kWakeMaxFrames = 1000;

// "VWK1", threshold, template count, then per template its frame count and frames.
std::string wake_model_bytes(const WakeModel& model);
// Nothing for a short, foreign, truncated or template-less file.
std::optional<WakeModel> parse_wake_model(std::string_view bytes);
// Writes "wake.bin" in one write and raises wake_reload whatever the outcome.
Status save_wake_model(const WakeModel& model);
std::optional<WakeModel> load_wake_model();

// ---- Streaming detector -------------------------------------------------------------------

constexpr size_t kPrerollSamples = 3200;

struct WakeDetector {
    std::vector<int16_t> preroll;    // at most kPrerollSamples, oldest first
    std::vector<int16_t> utterance;  // the utterance in progress
    std::vector<int16_t> pending;    // not yet cut into 160-sample chunks
    uint32_t silent = 0;
    float noise = 0.004f;
    bool in_speech = false;
    bool mid_checked = false;

    // Empties everything but the noise estimate.
    void reset();
};

// Feeds samples; on a hit gives the samples that followed the wake word.
std::optional<std::vector<int16_t>> wake_stream_step(WakeDetector& det, std::span<const int16_t> samples,
                                                     const WakeModel& model);

// ---- Self-test ----------------------------------------------------------------------------

// Text and speaking rate to 16 kHz samples; nothing when synthesis fails.
using SpeechSource = std::function<std::optional<std::vector<int16_t>>(std::string_view text, double rate)>;
// The whole "--wake-test" report; the same source gives the same text.
std::string wake_self_test_report(const SpeechSource& speak);
// Writes the report with the platform's synthesiser to `report_path`.
void run_wake_self_test(const std::string& report_path);
