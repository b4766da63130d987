// The island's voice side over scripted microphones: the wake-word teaching
// run (silent takes, retries, three good takes into wake.bin), the microphone
// test, starting a voice question and choosing the microphone.
#include <chrono>
#include <thread>

#include "app_fixture.h"
#include "sys_log.h"
#include "voice_support.h"
#include "wake.h"

namespace {

constexpr float kFrame = 1.0f / 60;

std::string log_text() { return read_file(data_file("log.txt")).value_or(""); }

size_t count_of(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// A take as the microphone hears it: the word, then enough silence to end it.
std::vector<int16_t> good_take(double rate) { return joined({tone_voice("Hey Google", rate), silence(2)}); }

struct VoiceTest : AppFixture {
    ScopedFakeMics mics;

    // Ticks (and waits for the recording threads) until `done` holds or 10 s of real time pass.
    template <class F>
    bool tick_until(F done) {
        for (int i = 0; i < 2000; ++i) {
            if (done()) return true;
            (void)app->tick(kFrame);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return done();
    }
    bool teaching() const { return app->voice.teaching.takes.has_value(); }
};

}  // namespace

TEST_F(VoiceTest, ThreeSilentAttemptsStopTeaching) {
    App& a = make(false);
    a.start_wake_teaching();
    EXPECT_NE(log_text().find("wake: öğretme başladı"), std::string::npos);
    ASSERT_TRUE(tick_until([&] { return !teaching(); }));
    EXPECT_EQ(mics.q->made, 3) << "three attempts at the first take";
    const std::string log = log_text();
    EXPECT_NE(log.find("wake: öğretme kaydı 1: ses duyulmadı"), std::string::npos);
    EXPECT_EQ(log.find("wake: öğretme kaydı 2"), std::string::npos);
    EXPECT_EQ(a.voice.state, VoiceState::Idle);
    EXPECT_FALSE(a.voice.capture.has_value());
    EXPECT_EQ(a.notices.kind, HudKind::Info);
    EXPECT_EQ(a.notices.title, "Öğretme durdu: ses duyulmadı");
    EXPECT_EQ(a.notices.body, "Ayarlar'dan mikrofonu kontrol et (Dene), sonra tekrar başlat");
    EXPECT_FALSE(wake_model_exists());
}

TEST_F(VoiceTest, ThreeGoodTakesMakeAModelThatLoads) {
    // Two failed attempts at the first take, then three good takes: the
    // retries start over after a success.
    mics.push(silence(6));
    mics.push(silence(6));
    mics.push(good_take(0.9));
    mics.push(silence(6));
    mics.push(good_take(1.0));
    mics.push(good_take(1.15));
    App& a = make(false);
    a.settings.wake = false;
    wake_enabled = false;
    a.start_wake_teaching();
    uint32_t most_retries = 0;
    std::vector<uint32_t> retries_at_take(3, 0);
    ASSERT_TRUE(tick_until([&] {
        if (teaching()) {
            most_retries = std::max(most_retries, a.voice.teaching.retries);
            if (a.voice.teaching.take < 3)
                retries_at_take[a.voice.teaching.take] = std::max(retries_at_take[a.voice.teaching.take], a.voice.teaching.retries);
        }
        return !teaching();
    }));
    EXPECT_EQ(mics.q->made, 6);
    EXPECT_EQ(retries_at_take, (std::vector<uint32_t>{2, 1, 0}));
    const std::string log = log_text();
    EXPECT_EQ(count_of(log, "wake: öğretme kaydı 1: ses duyulmadı"), 2u) << "one line per failed attempt";
    EXPECT_NE(log.find("wake: öğretme kaydı 2: ses duyulmadı"), std::string::npos);
    EXPECT_NE(log.find("wake: öğretildi, eşik "), std::string::npos);
    EXPECT_EQ(a.voice.state, VoiceState::Idle);
    EXPECT_EQ(a.notices.title, "“Hey Google” hazır");
    EXPECT_EQ(a.notices.body, "Artık “Hey Google” deyince dinlerim, sonra sorunu söyle");
    EXPECT_TRUE(a.settings.wake && a.settings.wake_model_present);
    EXPECT_TRUE(wake_enabled.load());
    std::optional<WakeModel> model = load_wake_model();
    ASSERT_TRUE(model);
    EXPECT_EQ(model->templates.size(), 3u);
    EXPECT_NE(read_file(data_file("state.txt")).value_or("").find("wake=1"), std::string::npos);
}

TEST_F(VoiceTest, ATooShortTakeIsNotSaved) {
    mics.push(good_take(1.0));
    mics.push(good_take(1.1));
    mics.push(joined({silence(0.5), white_noise(1600, 9000, 4), silence(2)}));  // a click
    App& a = make(false);
    a.start_wake_teaching();
    ASSERT_TRUE(tick_until([&] { return !teaching(); }));
    EXPECT_EQ(a.notices.title, "Öğretilemedi: kayıtlar çok kısa");
    EXPECT_EQ(a.notices.body, "Tekrar dene, üçünde de aynı şekilde söyle");
    EXPECT_FALSE(wake_model_exists());
}

TEST_F(VoiceTest, MicrophoneTestWithoutADeviceReportsTheOpenError) {
    mics.q->open_result = 2;
    App& a = make(false);
    a.act(Action::of(ActionKind::MicTest));
    ASSERT_TRUE(a.voice.mic_test.has_value());
    ASSERT_TRUE(tick_until([&] { return !a.voice.mic_test.has_value(); }));
    EXPECT_EQ(a.notices.title, "Mikrofon: mikrofon açılamadı (2)");
    EXPECT_EQ(a.notices.body, "Windows varsayılanı · başka mikrofon seç");
}

TEST_F(VoiceTest, StartVoiceRecordsOnlyWhenSignedIn) {
    App& a = make(false);
    a.start_voice();
    EXPECT_EQ(a.notices.title, "Önce Google ile bağlan");
    EXPECT_FALSE(a.voice.capture.has_value());
    EXPECT_EQ(a.voice.state, VoiceState::Idle);
    EXPECT_EQ(mics.q->made, 0);

    a.google.snap.signed_in = true;
    mics.push(joined({silence(0.5), tone_voice("Yarın hava nasıl", 1.0), silence(2)}));
    a.start_voice();
    EXPECT_EQ(a.voice.state, VoiceState::Listening);
    ASSERT_TRUE(a.voice.capture.has_value());
    EXPECT_NE(log_text().find("voice: dinleniyor"), std::string::npos);
    ASSERT_TRUE(tick_until([&] { return a.voice.state != VoiceState::Listening; }));
    EXPECT_EQ(a.voice.state, VoiceState::Thinking) << "what was said goes to the assistant";
    EXPECT_NE(log_text().find("sn kayıt Gemini'ye gidiyor"), std::string::npos);
}

TEST_F(VoiceTest, TheTickHoldsTheListenerBackWhileListening) {
    App& a = make(false);
    a.voice.state = VoiceState::Listening;
    (void)a.tick(kFrame);
    EXPECT_TRUE(wake_paused.load());
    a.voice.state = VoiceState::Idle;
    (void)a.tick(kFrame);
    EXPECT_FALSE(wake_paused.load());
}

TEST_F(VoiceTest, ChoosingTheMicrophone) {
    App& a = make(false);
    struct Case {
        const char* name;
        const char* shown;
    };
    for (const Case& c : {Case{"USB Mic", "USB Mic"}, Case{"", "Windows varsayılanı"}}) {
        wake_reload = false;
        a.set_microphone(c.name);
        EXPECT_EQ(chosen_mic(), c.name);
        EXPECT_TRUE(wake_reload.load()) << "the listener reopens";
        EXPECT_NE(log_text().find(std::string("mikrofon: ") + c.shown + "\n"), std::string::npos) << c.name;
        EXPECT_EQ(a.notices.title, "Mikrofon");
        EXPECT_EQ(a.notices.body, c.shown);
        EXPECT_NE(read_file(data_file("state.txt")).value_or("").find(std::string("mic=") + c.name + "\n"), std::string::npos);
    }
    wake_reload = true;
}
