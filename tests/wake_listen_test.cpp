// The wake-word listener over a scripted device: hits on a synthetic wake word
// and none on other sound, the question recorded after a hit, the cooldown,
// the pause flag, reloads, a microphone that cannot be opened, and the
// sensitivity levels moving the threshold.
#include <gtest/gtest.h>

#include <algorithm>

#include "sys_log.h"
#include "sys_os.h"
#include "test_support.h"
#include "voice_support.h"
#include "wake_listen.h"

namespace {

const WakeModel& taught_model() {
    static const WakeModel model = train_wake_model({tone_voice("Hey Google", 0.9), tone_voice("Hey Google", 1.0),
                                                     tone_voice("Hey Google", 1.15)})
                                       .value();
    return model;
}

// The word's sound without its 0.1 s of silence on each side.
std::vector<int16_t> word(double rate = 1.05) {
    std::vector<int16_t> w = tone_voice("Hey Google", rate);
    return std::vector<int16_t>(w.begin() + 1600, w.end() - 1600);
}

std::string log_text() { return read_file(data_file("log.txt")).value_or(""); }

size_t count_of(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

struct ListenRun {
    FakeMic mic;
    std::atomic<bool> enabled{true}, reload{true}, paused{false};
    std::optional<WakeModel> model = taught_model();
    std::vector<MicCapture> heard;  // taken from the slot as each hit is announced
    double until = 0;

    void run() {
        WakeListenerHooks hooks;
        hooks.enabled = &enabled;
        hooks.reload = &reload;
        hooks.paused = &paused;
        hooks.load_model = [this] { return model; };
        hooks.device = [] { return 3u; };
        hooks.notify = [this] {
            if (std::optional<MicCapture> c = take_wake_hit()) heard.push_back(*c);
        };
        hooks.running = [this] { return mic.t < until; };
        wake_listener(mic, hooks);
    }
};

}  // namespace

struct WakeListener : ::testing::Test {
    ScopedDataDir data;
};

TEST_F(WakeListener, HitsOnTheWordAndNothingElse) {
    struct Case {
        const char* name;
        std::vector<int16_t> audio;
        size_t hits;
    };
    const std::vector<Case> cases = {
        {"silence", silence(6), 0},
        {"noise", joined({silence(1), white_noise(48000, 3000, 5), silence(2)}), 0},
        {"another phrase", joined({silence(1), tone_voice("Merhaba nasılsın", 1.0), silence(2)}), 0},
        {"the word", joined({silence(1), word(), silence(3)}), 1},
        {"the word after a steady hum", joined({white_noise(64000, 60, 2), word(), silence(3)}), 1},
        // 0.25 s of quiet ends the utterance, so the word is judged on its own.
        {"the word, 0.3 s of quiet, more speech",
         joined({silence(1), word(), silence(0.3), tone_voice("Merhaba nasılsın", 1.0), silence(3)}), 1},
    };
    for (const Case& c : cases) {
        ListenRun r;
        r.mic.audio = c.audio;
        r.until = static_cast<double>(c.audio.size()) / 16000;
        r.run();
        EXPECT_EQ(r.heard.size(), c.hits) << c.name;
        ASSERT_EQ(r.mic.opened.size(), 1u) << c.name;
        EXPECT_EQ(r.mic.opened[0], 3u) << c.name << ": the chosen device is opened";
        EXPECT_EQ(r.mic.closes, 1) << c.name;
    }
    const std::string log = log_text();
    EXPECT_EQ(count_of(log, "wake: model yüklendi"), cases.size());
    EXPECT_EQ(count_of(log, "wake: dinleniyor"), cases.size());
    EXPECT_EQ(count_of(log, "wake: 'Hey Google' duyuldu (+0.0 sn)"), 3u);
    EXPECT_EQ(count_of(log, "wake: mikrofon bırakıldı"), cases.size());
}

TEST_F(WakeListener, RecordsTheQuestionAfterTheWord) {
    ListenRun r;
    const std::vector<int16_t> question = tone_voice("Yarın hava nasıl olacak", 1.0);
    r.mic.audio = joined({silence(1), word(), silence(0.4), question, silence(4)});
    r.until = static_cast<double>(r.mic.audio.size()) / 16000;
    r.run();
    ASSERT_EQ(r.heard.size(), 1u);
    const MicCapture& cap = r.heard[0];
    EXPECT_TRUE(cap.done());
    EXPECT_EQ(cap.error(), std::nullopt) << "the question was heard";
    EXPECT_EQ(cap.level(), 0.0f);
    const std::vector<int16_t> got = cap.samples_copy();
    // The whole question, then the 1.3 s of silence that ended it.
    EXPECT_TRUE(std::search(got.begin(), got.end(), question.begin() + 1600, question.end() - 1600) != got.end());
    EXPECT_GT(cap.recorded_seconds(), 1.3 + static_cast<double>(question.size()) / 16000);
    EXPECT_LT(cap.recorded_seconds(), 0.4 + 1.6 + static_cast<double>(question.size()) / 16000);
}

TEST_F(WakeListener, AQuestionRightAfterTheWordStartsWhereTheWordEnds) {
    // No pause long enough to end the utterance: the check at 1.6 s finds the word and hands back what followed it.
    // The question follows after a breath of 0.1 s, too short to end the utterance.
    const std::vector<int16_t> w = word(), question = tone_voice("Yarın hava nasıl olacak", 1.0);
    const std::vector<int16_t> signal = joined({silence(1), w, question, silence(2)});
    const size_t word_end = 16000 + w.size(), question_start = word_end + 1600;
    for (size_t block : {size_t{1600}, size_t{97}}) {
        WakeDetector det;
        int hits = 0;
        size_t rest_start = 0;
        for (size_t at = 0; at < signal.size(); at += block) {
            std::span<const int16_t> part(signal.data() + at, std::min(block, signal.size() - at));
            std::optional<std::vector<int16_t>> rest = wake_stream_step(det, part, taught_model());
            if (!rest) continue;
            ++hits;
            // A few letters of the question are enough to find where the rest begins.
            const size_t probe = std::min<size_t>(rest->size(), 4000);
            ASSERT_GE(probe, 160u);
            auto found = std::search(signal.begin(), signal.end(), rest->begin(), rest->begin() + static_cast<ptrdiff_t>(probe));
            ASSERT_NE(found, signal.end());
            rest_start = static_cast<size_t>(found - signal.begin());
            EXPECT_TRUE(std::equal(rest->begin(), rest->end(), found)) << "the rest is the signal after the word";
        }
        EXPECT_EQ(hits, 1) << "block " << block;
        // The rest begins in the breath: nothing of the word, at most one frame of the question lost.
        EXPECT_GE(rest_start, word_end) << "block " << block;
        EXPECT_LE(rest_start, question_start + kFrameLength) << "block " << block;
    }
}

TEST_F(WakeListener, TheCooldownAfterAQuestionHolds) {
    // The first question hears nothing and ends 5 s after its hit (about 7.3 s);
    // a word at 7.5 s falls in the 1.5 s cooldown, a word at 10 s is heard.
    ListenRun r;
    r.mic.audio = joined({silence(1), word(), silence(7.5 - 1 - word().size() / 16000.0), word(),
                          silence(10 - 7.5 - word().size() / 16000.0), word(), silence(3)});
    r.until = static_cast<double>(r.mic.audio.size()) / 16000;
    r.run();
    ASSERT_EQ(r.heard.size(), 2u);
    EXPECT_EQ(r.heard[0].error(), std::optional<std::string>("ses duyulmadı"));
    EXPECT_TRUE(r.heard[1].done()) << "the listener's end closes an open question";
}

TEST_F(WakeListener, PausedIgnoresTheWord) {
    ListenRun r;
    r.paused = true;
    r.mic.audio = joined({silence(1), word(), silence(3), word(), silence(3)});
    r.mic.on_sleep = [&](double t) {
        if (t >= 3.5) r.paused = false;
    };
    r.until = static_cast<double>(r.mic.audio.size()) / 16000;
    r.run();
    EXPECT_EQ(r.heard.size(), 1u);
}

TEST_F(WakeListener, ModelSwitchesAndReloads) {
    ListenRun r;
    r.model.reset();
    r.mic.audio = silence(12);
    bool changed = false;
    r.mic.on_sleep = [&](double t) {
        if (t >= 2 && !r.model) {  // a model is taught
            r.model = taught_model();
            r.reload = true;
        }
        if (t >= 5 && !changed) {  // the microphone was changed
            changed = true;
            r.reload = true;
        }
        if (t >= 8) r.enabled = false;
    };
    r.until = 10;
    r.run();
    EXPECT_EQ(r.mic.opened.size(), 2u) << "opened once the model came, and again after the reload";
    EXPECT_EQ(r.mic.closes, 2);
    const std::string log = log_text();
    EXPECT_EQ(count_of(log, "wake: model yok"), 1u);
    EXPECT_EQ(count_of(log, "wake: model yüklendi"), 2u);
    EXPECT_EQ(count_of(log, "wake: mikrofon bırakıldı"), 2u);
    EXPECT_FALSE(r.reload.load());
}

TEST_F(WakeListener, AMicrophoneThatCannotBeOpenedIsRetriedEvery5s) {
    ListenRun r;
    r.mic.open_result = 2;
    r.until = 12;
    r.run();
    EXPECT_EQ(r.mic.opened.size(), 3u);  // at 0, 5 and 10 s
    EXPECT_EQ(count_of(log_text(), "wake: mikrofon açılamadı (2)"), 3u);
    EXPECT_EQ(r.mic.closes, 0);
}

TEST(WakeSensitivity, LevelsMoveTheThreshold) {
    const std::vector<int16_t> utterance = tone_voice("Hey Google", 1.3);
    const WakeScore score = wake_score(taught_model(), utterance);
    ASSERT_LT(score.best, FLT_MAX);
    // A threshold set so the score sits right between two levels.
    const float binding = std::max(score.best, score.second / 1.2f);
    struct Case {
        float between;  // the factor at which the utterance starts to hit
        std::array<bool, 3> hits;  // at the levels Düşük, Normal, Yüksek
    };
    for (const Case& c : {Case{0.80f, {true, true, true}}, Case{0.93f, {false, true, true}},
                          Case{1.09f, {false, false, true}}, Case{1.25f, {false, false, false}}}) {
        WakeModel model = taught_model();
        model.threshold = binding / c.between;
        for (uint8_t level = 0; level < 3; ++level) {
            wake_sensitivity = sensitivity_for_level(level);
            EXPECT_EQ(wake_match(model, utterance).hit, c.hits[level]) << "factor " << c.between << " level " << int(level);
        }
    }
    wake_sensitivity = 1.0f;
}
