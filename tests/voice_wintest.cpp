// The voice chain on the real wave-input functions where no capture device
// exists: the microphone test reports the open error and the island runs on,
// a voice start while signed out records nothing, the default microphone is
// chosen by the empty name, and the wake listener retries the open.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app_fixture.h"
#include "sys_log.h"
#include "wake_listen.h"

namespace {

constexpr float kFrame = 1.0f / 60;

std::string log_text() { return read_file(data_file("log.txt")).value_or(""); }

// The platform device with a virtual clock, so retries take no real time.
struct VirtualClockDevice final : MicDevice {
    std::unique_ptr<MicDevice> real = platform_mic_device();
    double t = 0;
    int opens = 0;
    uint32_t open(uint32_t device, size_t buffers) override {
        ++opens;
        return real->open(device, buffers);
    }
    bool take(size_t index, std::vector<int16_t>& out) override { return real->take(index, out); }
    void close() override { real->close(); }
    double now() override { return t; }
    void sleep_ms(uint32_t ms) override { t += ms / 1000.0; }
};

}  // namespace

using VoiceOnWindows = AppFixture;

TEST_F(VoiceOnWindows, MicrophoneTestReportsTheOpenErrorAndTheIslandRunsOn) {
    App& a = make(false);
    a.set_microphone("");
    a.act(Action::of(ActionKind::MicTest));
    ASSERT_TRUE(a.voice.mic_test.has_value());
    for (int i = 0; i < 1000 && a.voice.mic_test; ++i) {
        (void)a.tick(kFrame);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_FALSE(a.voice.mic_test.has_value()) << "the test ended";
    EXPECT_EQ(a.notices.title.rfind("Mikrofon: mikrofon açılamadı (", 0), 0u) << a.notices.title;
    EXPECT_EQ(a.notices.body, "Windows varsayılanı · başka mikrofon seç");
    for (int i = 0; i < 30; ++i) (void)a.tick(kFrame);
    EXPECT_EQ(a.voice.state, VoiceState::Idle);
}

TEST_F(VoiceOnWindows, StartingVoiceSignedOutRecordsNothing) {
    App& a = make(false);
    a.start_voice();
    EXPECT_EQ(a.notices.title, "Önce Google ile bağlan");
    EXPECT_EQ(a.notices.body, "Google sayfasından bağlanabilirsin");
    EXPECT_FALSE(a.voice.capture.has_value());
    EXPECT_EQ(a.voice.state, VoiceState::Idle);
    EXPECT_EQ(log_text().find("voice: dinleniyor"), std::string::npos);
}

TEST_F(VoiceOnWindows, TheEmptyNameIsTheDefaultMicrophone) {
    App& a = make(false);
    a.set_microphone("");
    EXPECT_NE(log_text().find("mikrofon: Windows varsayılanı"), std::string::npos);
    EXPECT_EQ(chosen_mic_device(), kWaveMapper);
    a.set_microphone("Böyle bir mikrofon yok");
    EXPECT_EQ(chosen_mic_device(), kWaveMapper) << "an unknown name falls back to the default";
    a.set_microphone("");
}

TEST(WakeListenerOnWindows, RetriesAMicrophoneThatCannotBeOpened) {
    ScopedDataDir data;
    VirtualClockDevice dev;
    std::atomic<bool> enabled{true}, reload{true}, paused{false};
    WakeListenerHooks hooks;
    hooks.enabled = &enabled;
    hooks.reload = &reload;
    hooks.paused = &paused;
    hooks.load_model = [] { return WakeModel{{WakeTemplate(20)}, 1.0f}; };
    hooks.running = [&] { return dev.t < 12; };
    wake_listener(dev, hooks);
    EXPECT_EQ(dev.opens, 3);
    const std::string log = log_text();
    EXPECT_NE(log.find("wake: model yüklendi"), std::string::npos);
    EXPECT_NE(log.find("wake: mikrofon açılamadı ("), std::string::npos);
}
