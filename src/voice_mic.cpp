// One spoken recording: the polling loop over the device's ring of buffers,
// its end rules, the "mic" thread and the chosen microphone.
//
// Index
//   Device clock
//   The recording loop
//   The "mic" thread
//   Chosen microphone
#include <algorithm>
#include <cfloat>
#include <chrono>
#include <cmath>
#include <thread>

#include <fmt/format.h>

#include "sys_mic.h"
#include "sys_os.h"
#include "sys_thread.h"
#include "voice.h"

// ---- Device clock -----------------------------------------------------------------------------

double MicDevice::now() { return monotonic_seconds(); }

void MicDevice::sleep_ms(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

namespace {
Shared<MicDeviceMaker>& device_maker() {
    static Shared<MicDeviceMaker> maker{MicDeviceMaker(platform_mic_device)};
    return maker;
}
}  // namespace

void set_mic_device_maker(MicDeviceMaker maker) {
    if (!maker) maker = platform_mic_device;
    device_maker().with([&](MicDeviceMaker& m) { m = std::move(maker); });
}

std::unique_ptr<MicDevice> make_mic_device() {
    std::unique_ptr<MicDevice> dev;
    device_maker().with([&](MicDeviceMaker& m) { dev = m(); });
    return dev ? std::move(dev) : platform_mic_device();
}

// ---- The recording loop -------------------------------------------------------------------------

namespace {

constexpr double kMaxSeconds = 25, kNothingHeardSeconds = 5, kSilenceAfterSpeech = 1.3;
constexpr uint32_t kPollMs = 15;
constexpr float kNoiseFloor = 0.0005f, kSpeechOverNoise = 2.5f, kMinThreshold = 0.006f;

float block_rms(const std::vector<int16_t>& block) {
    double sum = 0;
    for (int16_t s : block) {
        double v = s / 32768.0;
        sum += v * v;
    }
    return static_cast<float>(std::sqrt(sum / static_cast<double>(std::max<size_t>(block.size(), 1))));
}

}  // namespace

std::optional<std::string> mic_record(MicDevice& dev, uint32_t device, const MicCapture& out) {
    if (uint32_t rc = dev.open(device, kMicBuffers)) return fmt::format("mikrofon açılamadı ({})", rc);
    const double start = dev.now();
    float noise = FLT_MAX, meter = 0;
    bool heard = false, ended = false, in_silence = false;
    double silence_start = 0;
    // Buffers finish in the order they were queued, so after a stall the
    // oldest finished one is the next in the ring, not the lowest index.
    size_t next = 0;
    std::vector<int16_t> block;
    block.reserve(kMicBufferSamples);
    while (!ended) {
        for (size_t visited = 0; visited < kMicBuffers && !ended && dev.take(next, block); ++visited) {
            next = (next + 1) % kMicBuffers;
            out.cells->samples.with([&](std::vector<int16_t>& s) { s.insert(s.end(), block.begin(), block.end()); });
            const float rms = block_rms(block);
            if (!block.empty()) noise = std::min(noise, std::max(rms, kNoiseFloor));
            meter = 0.5f * std::min(std::sqrt(9 * rms), 1.0f) + 0.5f * meter;
            out.set_level(meter);
            // The first buffer never counts: the floor already includes it.
            if (rms > std::max(kSpeechOverNoise * noise, kMinThreshold)) {
                heard = true;
                in_silence = false;
            } else if (heard) {
                const double t = dev.now();
                if (!in_silence) silence_start = t;
                in_silence = true;
                ended = t - silence_start > kSilenceAfterSpeech;
            }
        }
        if (ended) break;
        const double elapsed = dev.now() - start;
        if (out.cells->stop.load() || elapsed > kMaxSeconds || (!heard && elapsed > kNothingHeardSeconds)) break;
        dev.sleep_ms(kPollMs);
    }
    dev.close();
    if (heard) return std::nullopt;
    return std::string("ses duyulmadı");
}

// ---- The "mic" thread ----------------------------------------------------------------------------

void mic_thread(MicDevice& dev, const MicCapture& producer) {
    std::optional<std::string> outcome = mic_record(dev, chosen_mic_device(), producer);
    producer.cells->error.with([&](std::optional<std::string>& e) { e = std::move(outcome); });
    producer.set_level(0);
    producer.cells->done.store(true);
}

MicCapture start_mic_capture() {
    auto [ui, producer] = MicCapture::new_pair();
    bool started = spawn_detached("mic", [producer = producer] {
        std::unique_ptr<MicDevice> dev = make_mic_device();
        mic_thread(*dev, producer);
    });
    if (!started) {
        // Without its thread the recording would never end; it ends unheard.
        producer.cells->error.with([](std::optional<std::string>& e) { e = "ses duyulmadı"; });
        producer.cells->done.store(true);
    }
    return ui;
}

// ---- Chosen microphone --------------------------------------------------------------------------

namespace {
Shared<std::string>& chosen_mic_cell() {
    static Shared<std::string> cell;
    return cell;
}
}  // namespace

void set_chosen_mic(std::string_view name) {
    chosen_mic_cell().with([&](std::string& s) { s.assign(name); });
}

std::string chosen_mic() {
    std::string out;
    chosen_mic_cell().with([&](std::string& s) { out = s; });
    return out;
}

uint32_t chosen_mic_device() {
    std::optional<std::string> name;
    chosen_mic_cell().with([&](std::string& s) { name = s; });
    if (!name || name->empty()) return kWaveMapper;
    const uint32_t n = input_device_count();
    for (uint32_t id = 0; id < n; ++id)
        if (input_device_name(id) == *name) return id;
    return kWaveMapper;
}
