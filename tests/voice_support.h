// Synthetic audio and a scripted wave-input device for the voice tests.
#pragma once
#include <cmath>
#include <deque>
#include <memory>
#include <mutex>
#include <numbers>
#include <string_view>
#include <vector>

#include "voice.h"

// ---- Synthetic audio ----

// A synthetic voice: one voiced tone burst per letter, 0.1 s of silence around it.
inline std::vector<int16_t> tone_voice(std::string_view text, double rate) {
    std::vector<int16_t> out(1600, 0);
    const size_t letter = static_cast<size_t>(1400 / rate);
    for (unsigned char ch : text) {
        if (ch == ' ' || ch == ',') {
            out.insert(out.end(), letter / 2, 0);
            continue;
        }
        const double f0 = 140 + (ch % 16) * 11, formant = 400 + (ch % 23) * 120;
        for (size_t i = 0; i < letter; ++i) {
            double t = i / 16000.0, env = std::sin(std::numbers::pi * i / letter);
            double v = 5000 * std::sin(2 * std::numbers::pi * f0 * t) + 3000 * std::sin(2 * std::numbers::pi * formant * t);
            out.push_back(static_cast<int16_t>(v * env));
        }
    }
    out.insert(out.end(), 1600, 0);
    return out;
}

// Deterministic white noise of the given peak amplitude.
inline std::vector<int16_t> white_noise(size_t n, double amplitude, uint32_t seed = 1) {
    std::vector<int16_t> out(n);
    for (auto& s : out) {
        seed = seed * 1664525u + 1013904223u;
        s = static_cast<int16_t>(((seed >> 8) / 16777216.0 * 2 - 1) * amplitude);
    }
    return out;
}

inline std::vector<int16_t> silence(double seconds) { return std::vector<int16_t>(static_cast<size_t>(seconds * 16000), 0); }

inline std::vector<int16_t> joined(std::initializer_list<std::vector<int16_t>> parts) {
    std::vector<int16_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// ---- A scripted device ----

// Plays `audio` as a driver would: the k-th queued buffer (k counted over the
// whole stream) is finished 0.1 s × (k + 1) after the open, holds the k-th
// 1 600 samples (silence past the end), and is filled again only once taken.
// Time is virtual: it moves when the loop sleeps.
struct FakeMic final : MicDevice {
    std::vector<int16_t> audio;
    uint32_t open_result = 0;
    double t = 0;
    // One stall of the polling thread: the first sleep at or after `stall_at` lasts `stall_for` longer.
    double stall_at = -1, stall_for = 0;
    // Called after every sleep with the time (to press stop, change flags...).
    std::function<void(double)> on_sleep;

    std::vector<uint32_t> opened;  // the device ids asked for
    int closes = 0;
    size_t blocks_taken = 0;

    uint32_t open(uint32_t device, size_t buffers) override {
        opened.push_back(device);
        if (open_result) return open_result;
        open_time_ = t;
        base_ = blocks_taken;
        slot_.resize(buffers);
        for (size_t i = 0; i < buffers; ++i) slot_[i] = base_ + i;
        return 0;
    }
    bool take(size_t index, std::vector<int16_t>& out) override {
        if (index >= slot_.size()) return false;
        const size_t k = slot_[index];
        if (t + 1e-9 < open_time_ + 0.1 * static_cast<double>(k - base_ + 1)) return false;
        out.assign(kMicBufferSamples, 0);
        for (size_t i = 0; i < kMicBufferSamples; ++i)
            if (k * kMicBufferSamples + i < audio.size()) out[i] = audio[k * kMicBufferSamples + i];
        slot_[index] = k + slot_.size();
        blocks_taken = std::max(blocks_taken, k + 1);
        return true;
    }
    void close() override {
        ++closes;
        slot_.clear();
    }
    double now() override { return t; }
    void sleep_ms(uint32_t ms) override {
        t += ms / 1000.0;
        if (stall_at >= 0 && t >= stall_at) {
            t += stall_for;
            stall_at = -1;
        }
        if (on_sleep) on_sleep(t);
    }

private:
    double open_time_ = 0;
    size_t base_ = 0;
    std::vector<size_t> slot_;
};

// While alive, every recording and listener gets a FakeMic playing the next
// queued audio (silence when the queue is empty, `open_result` when set).
struct ScopedFakeMics {
    struct Queue {
        std::mutex m;
        std::deque<std::vector<int16_t>> audio;
        uint32_t open_result = 0;
        int made = 0;
    };
    std::shared_ptr<Queue> q = std::make_shared<Queue>();

    ScopedFakeMics() {
        set_mic_device_maker([q = q]() -> std::unique_ptr<MicDevice> {
            auto mic = std::make_unique<FakeMic>();
            std::lock_guard<std::mutex> lock(q->m);
            ++q->made;
            mic->open_result = q->open_result;
            if (!q->audio.empty()) {
                mic->audio = std::move(q->audio.front());
                q->audio.pop_front();
            }
            return mic;
        });
    }
    ~ScopedFakeMics() { set_mic_device_maker(nullptr); }
    void push(std::vector<int16_t> audio) {
        std::lock_guard<std::mutex> lock(q->m);
        q->audio.push_back(std::move(audio));
    }
};
