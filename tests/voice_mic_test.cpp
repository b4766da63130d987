// One recording over a scripted device: the end rules, the ring order of the
// finished buffers after a stall, the "mic" thread's outcome, the chosen
// microphone and the WAV bytes of a capture.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "sys_mic.h"
#include "voice.h"
#include "voice_support.h"

namespace {

std::vector<int16_t> tone(double seconds, double amplitude) {
    std::vector<int16_t> out(static_cast<size_t>(seconds * 16000));
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<int16_t>(amplitude * std::sin(2 * std::numbers::pi * 220 * static_cast<double>(i) / 16000));
    return out;
}

struct Recorded {
    std::optional<std::string> error;
    std::vector<int16_t> samples;
    double end_time = 0;
    int closes = 0;
};

Recorded record(FakeMic& mic) {
    auto [ui, producer] = MicCapture::new_pair();
    Recorded r;
    r.error = mic_record(mic, kWaveMapper, producer);
    r.samples = ui.samples_copy();
    r.end_time = mic.t;
    r.closes = mic.closes;
    return r;
}

}  // namespace

TEST(MicRecording, EndRules) {
    struct Case {
        const char* name;
        std::vector<int16_t> audio;
        double stop_at;  // < 0: never
        std::optional<std::string> error;
        double end_lo, end_hi;  // virtual seconds when the recording ended
    };
    const std::vector<Case> cases = {
        {"a silent room gives up after 5 s", silence(10), -1, "ses duyulmadı", 5.0, 5.05},
        {"1.3 s of silence after speech ends it", joined({silence(0.5), tone(1, 3000), silence(5)}), -1, std::nullopt,
         1.5 + 1.3, 1.5 + 1.6},
        {"a 1.2 s pause does not cut the speaker off",
         joined({silence(0.5), tone(1, 3000), silence(1.2), tone(1, 3000), silence(5)}), -1, std::nullopt, 3.7 + 1.3,
         3.7 + 1.6},
        {"a 1.5 s pause ends it", joined({silence(0.5), tone(1, 3000), silence(1.5), tone(1, 3000), silence(5)}), -1,
         std::nullopt, 1.5 + 1.3, 1.5 + 1.6},
        {"a monologue ends after 25 s", joined({silence(0.5), tone(30, 3000)}), -1, std::nullopt, 25.0, 25.05},
        {"stopped before speech is unheard", silence(10), 2.0, "ses duyulmadı", 2.0, 2.05},
        {"stopped while speaking succeeds", joined({silence(0.5), tone(10, 3000)}), 2.0, std::nullopt, 2.0, 2.05},
        {"a quiet room: 0.008 rms counts as speech", joined({white_noise(8000, 10), tone(1, 370), silence(5)}), -1,
         std::nullopt, 1.5 + 1.3, 1.5 + 1.6},
        {"a quiet room: 0.0054 rms stays under the 0.006 floor", joined({white_noise(8000, 10), tone(1, 250), silence(6)}),
         -1, "ses duyulmadı", 5.0, 5.05},
        {"the first buffer never counts as speech", joined({tone(0.1, 3000), silence(8)}), -1, "ses duyulmadı", 5.0, 5.05},
    };
    for (const Case& c : cases) {
        FakeMic mic;
        mic.audio = c.audio;
        auto [ui, producer] = MicCapture::new_pair();
        MicCapture stopper = ui;
        if (c.stop_at >= 0)
            mic.on_sleep = [&, at = c.stop_at](double t) {
                if (t >= at) stopper.request_stop();
            };
        std::optional<std::string> error = mic_record(mic, kWaveMapper, producer);
        EXPECT_EQ(error, c.error) << c.name;
        EXPECT_GE(mic.t, c.end_lo) << c.name;
        EXPECT_LE(mic.t, c.end_hi) << c.name;
        EXPECT_EQ(mic.closes, 1) << c.name;
        // Everything the driver delivered was kept, in order.
        std::vector<int16_t> got = ui.samples_copy();
        ASSERT_EQ(got.size(), mic.blocks_taken * kMicBufferSamples) << c.name;
        std::vector<int16_t> want(c.audio.begin(), c.audio.begin() + static_cast<ptrdiff_t>(std::min(got.size(), c.audio.size())));
        want.resize(got.size(), 0);
        EXPECT_TRUE(got == want) << c.name;
    }
}

TEST(MicRecording, AStallKeepsTheRecordingInOrder) {
    // After a stall several buffers are finished at once, some of them past the
    // ring's wrap: they must be appended oldest first.
    const std::vector<int16_t> audio = joined({silence(0.3), white_noise(48000, 4000, 9), silence(3)});
    for (double stall : {0.35, 0.45, 0.75}) {
        for (double at : {0.42, 0.63, 1.01}) {
            FakeMic mic;
            mic.audio = audio;
            mic.stall_at = at;
            mic.stall_for = stall;
            Recorded r = record(mic);
            EXPECT_EQ(r.error, std::nullopt);
            ASSERT_GE(r.samples.size(), 52800u) << "stall " << stall << " at " << at;
            EXPECT_TRUE(std::equal(r.samples.begin(), r.samples.end(), audio.begin()))
                << "stall " << stall << " at " << at << ": the blocks were appended out of order";
        }
    }
}

TEST(MicRecording, AFailedOpenReportsItsCode) {
    FakeMic mic;
    mic.open_result = 2;
    Recorded r = record(mic);
    EXPECT_EQ(r.error, std::optional<std::string>("mikrofon açılamadı (2)"));
    EXPECT_TRUE(r.samples.empty());
    EXPECT_EQ(mic.t, 0.0) << "nothing is waited for";
}

TEST(MicRecording, TheThreadStoresTheOutcomeThenLevelThenDone) {
    set_chosen_mic("");
    FakeMic mic;
    mic.audio = joined({silence(0.5), tone(1, 3000), silence(3)});
    auto [ui, producer] = MicCapture::new_pair();
    MicCapture watched = ui;
    float level_while_speaking = 0;
    mic.on_sleep = [&](double t) {
        if (t > 1.2 && t < 1.22) level_while_speaking = watched.level();
    };
    mic_thread(mic, producer);
    EXPECT_TRUE(ui.done());
    EXPECT_EQ(ui.level(), 0.0f);
    EXPECT_EQ(ui.error(), std::nullopt);
    EXPECT_GT(level_while_speaking, 0.5f) << "the meter follows the speech";
    ASSERT_EQ(mic.opened.size(), 1u);
    EXPECT_EQ(mic.opened[0], kWaveMapper);
}

TEST(MicRecording, StartMicCaptureRecordsOnItsOwnThread) {
    ScopedFakeMics mics;
    mics.push(joined({silence(0.5), tone(1, 3000), silence(3)}));
    auto finished = [](const MicCapture& c) {
        for (int i = 0; i < 500 && !c.done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return c.done();
    };
    MicCapture first = start_mic_capture();
    ASSERT_TRUE(finished(first));
    MicCapture second = start_mic_capture();  // the queue is empty: a silent room
    ASSERT_TRUE(finished(second));
    EXPECT_EQ(first.error(), std::nullopt);
    EXPECT_GT(first.recorded_seconds(), 2.5);
    EXPECT_EQ(second.error(), std::optional<std::string>("ses duyulmadı"));
}

#ifndef _WIN32
TEST(ChosenMicrophone, ResolvesByExactNameLowestIdFirst) {
    fake_mics().devices = {std::string("USB Mic"), std::nullopt, std::string("Headset"), std::string("USB Mic")};
    struct Case {
        const char* name;
        uint32_t device;
    };
    for (const Case& c : {Case{"", kWaveMapper}, Case{"USB Mic", 0}, Case{"Headset", 2}, Case{"usb mic", kWaveMapper},
                          Case{"Unplugged", kWaveMapper}}) {
        set_chosen_mic(c.name);
        EXPECT_EQ(chosen_mic(), c.name);
        EXPECT_EQ(chosen_mic_device(), c.device) << c.name;
    }
    set_chosen_mic("");
    fake_mics() = FakeMics{};
}

TEST(MicRecording, NativelyThereIsNoMicrophone) {
    MicCapture cap = start_mic_capture();
    for (int i = 0; i < 500 && !cap.done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(cap.done());
    EXPECT_EQ(cap.error(), std::optional<std::string>("mikrofon açılamadı (6)"));
}
#endif

TEST(MicCaptureWav, HeaderAndSizes) {
    for (size_t n : {size_t{0}, size_t{1}, size_t{8000}}) {
        auto [ui, producer] = MicCapture::new_pair();
        std::vector<int16_t> s(n);
        for (size_t i = 0; i < n; ++i) s[i] = static_cast<int16_t>(i * 37 - 1000);
        producer.cells->samples.with([&](std::vector<int16_t>& v) { v = s; });
        std::string wav = ui.wav_bytes();
        ASSERT_EQ(wav.size(), 2 * n + 44) << n;
        auto u32 = [](uint32_t v) {
            return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                               static_cast<char>(v >> 24)};
        };
        const std::string header = "RIFF" + u32(static_cast<uint32_t>(36 + 2 * n)) + "WAVEfmt " + u32(16) +
                                   std::string("\x01\x00\x01\x00", 4) + u32(16000) + u32(32000) +
                                   std::string("\x02\x00\x10\x00", 4) + "data" + u32(static_cast<uint32_t>(2 * n));
        EXPECT_EQ(wav.substr(0, 44), header) << n;
        for (size_t i = 0; i < n; ++i) {
            const auto lo = static_cast<uint8_t>(wav[44 + 2 * i]), hi = static_cast<uint8_t>(wav[45 + 2 * i]);
            ASSERT_EQ(static_cast<int16_t>(lo | hi << 8), s[i]) << "sample " << i;
        }
        EXPECT_DOUBLE_EQ(ui.recorded_seconds(), n / 16000.0);
    }
}
