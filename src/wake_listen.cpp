// The wake-word listener loop and its "wake" thread.
#include "wake_listen.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <fmt/format.h>

#include "sys_log.h"
#include "sys_thread.h"

namespace {

constexpr uint32_t kIdleMs = 500, kRetryOpenMs = 5000, kPollMs = 20;
constexpr double kCooldown = 1.5, kSilenceAfterSpeech = 1.3, kNothingHeard = 5, kMaxQuestion = 20;
constexpr size_t kHeardRestSamples = 4800;  // 0.3 s of question already in the utterance
constexpr float kSpeechOverNoise = 2.5f, kMinThreshold = 0.006f;

float rms_of(std::span<const int16_t> s) {
    if (s.empty()) return 0;
    double sum = 0;
    for (int16_t v : s) {
        double x = v / 32768.0;
        sum += x * x;
    }
    return static_cast<float>(std::sqrt(sum / static_cast<double>(s.size())));
}

// The question being recorded after a hit.
struct OpenQuestion {
    MicCapture producer;
    double hit_time = 0;
    std::optional<double> silence_start;
    bool heard = false;
};

// One block of the open question; true when the question has ended.
bool follow_question(OpenQuestion& q, const std::vector<int16_t>& block, float noise, double now) {
    q.producer.cells->samples.with([&](std::vector<int16_t>& s) { s.insert(s.end(), block.begin(), block.end()); });
    const float rms = rms_of(block);
    q.producer.set_level(std::min(std::sqrt(9 * rms), 1.0f));
    bool end = false;
    if (rms > std::max(kSpeechOverNoise * noise, kMinThreshold)) {
        q.heard = true;
        q.silence_start.reset();
    } else if (q.heard) {
        if (!q.silence_start) q.silence_start = now;
        end = now - *q.silence_start > kSilenceAfterSpeech;
    } else {
        end = now - q.hit_time > kNothingHeard;
    }
    return end || q.producer.cells->stop.load() || now - q.hit_time > kMaxQuestion;
}

void close_question(OpenQuestion& q) {
    if (!q.heard) q.producer.cells->error.with([](std::optional<std::string>& e) { e = "ses duyulmadı"; });
    q.producer.set_level(0);
    q.producer.cells->done.store(true);
}

}  // namespace

void wake_listener(MicDevice& dev, const WakeListenerHooks& hooks) {
    std::optional<WakeModel> model;
    std::vector<int16_t> block;
    block.reserve(kMicBufferSamples);
    while (hooks.running()) {
        if (hooks.reload->exchange(false)) {
            model = hooks.load_model();
            write_log(fmt::format("wake: model {}", model ? "yüklendi" : "yok"));
        }
        if (!model || !hooks.enabled->load()) {
            dev.sleep_ms(kIdleMs);
            continue;
        }
        if (uint32_t rc = dev.open(hooks.device(), kWakeBuffers)) {
            write_log(fmt::format("wake: mikrofon açılamadı ({})", rc));
            dev.sleep_ms(kRetryOpenMs);
            continue;
        }
        write_log("wake: dinleniyor");
        WakeDetector det;
        std::optional<OpenQuestion> question;
        double cooldown_until = -std::numeric_limits<double>::infinity();
        size_t next = 0;
        while (((hooks.enabled->load() && !hooks.reload->load()) || question) && hooks.running()) {
            if (!dev.take(next, block)) {
                dev.sleep_ms(kPollMs);
                continue;
            }
            next = (next + 1) % kWakeBuffers;
            const double now = dev.now();
            if (question) {
                if (follow_question(*question, block, det.noise, now)) {
                    close_question(*question);
                    question.reset();
                    det.reset();
                    cooldown_until = now + kCooldown;
                }
                continue;
            }
            if (hooks.paused->load() || now < cooldown_until) {
                det.reset();
                continue;
            }
            std::optional<std::vector<int16_t>> rest = wake_stream_step(det, block, *model);
            if (!rest) continue;
            write_log(fmt::format("wake: 'Hey Google' duyuldu (+{:.1f} sn)", static_cast<double>(rest->size()) / kSampleRate));
            auto [ui, producer] = MicCapture::new_pair();
            producer.cells->samples.with([&](std::vector<int16_t>& s) { s = *rest; });
            OpenQuestion q{producer, now, std::nullopt, false};
            q.heard = rest->size() > kHeardRestSamples && rms_of(*rest) > kSpeechOverNoise * det.noise;
            put_wake_hit(ui);
            if (hooks.notify) hooks.notify();
            question = std::move(q);
        }
        // A question cut short by the loop's end still reaches the island as ended.
        if (question) close_question(*question);
        dev.close();
        write_log("wake: mikrofon bırakıldı");
    }
}

void start_wake_thread(std::function<void()> notify) {
    spawn_detached("wake", [notify = std::move(notify)] {
        std::unique_ptr<MicDevice> dev = make_mic_device();
        WakeListenerHooks hooks;
        hooks.notify = notify;
        wake_listener(*dev, hooks);
    });
}
