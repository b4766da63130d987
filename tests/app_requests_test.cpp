#include <gtest/gtest.h>

#include "app.h"
#include "app_format.h"

namespace {

std::unique_ptr<App> quiet_app() {
    AppInit init;
    init.quiet = true;
    auto app = std::make_unique<App>(std::move(init));
    app->island.has_battery = false;
    return app;
}

size_t count_of(const std::string& text, std::string_view part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

}  // namespace

TEST(IslandContext, NothingGoingOnLeavesTheVolumeSentence) {
    auto app = quiet_app();
    app->audio.volume = 0.456f;
    EXPECT_EQ(app->island_context(), " Ses düzeyi %46.");
    app->audio.muted = true;
    EXPECT_EQ(app->island_context(), " Ses düzeyi %46 (kapalı).");
}

TEST(IslandContext, SentencesInTheirOrder) {
    auto app = quiet_app();
    app->now = 100;
    app->weather.snap.ok = true;
    app->weather.snap.city = "Ankara";
    app->weather.snap.temp = 12.6f;
    app->weather.snap.code = 0;
    app->weather.snap.days = {{1, 0, 20.4f, 8.5f, 10}, {2, 0, 18, 7, 40}};  // only two days known
    app->media.snap.has = true;
    app->media.snap.title = "Şarkı";
    app->media.snap.artist = "Sanatçı";
    app->media.snap.app = "Spotify";
    app->island.has_battery = true;
    app->island.battery = 57;
    app->island.on_ac = true;
    app->timers.countdown.running = true;
    app->timers.countdown.end = 190.4;
    app->timers.pomo.remaining = 600;  // paused part-way
    app->steam.snap.playing = SteamPlaying{"Hades", 0, {}, 1};
    app->steam.download = SteamActiveDownload{"Portal", 50, 200, 0, {}, 2, 2, false};

    std::string want = std::string(" Hava (Ankara): şu an 13°C, ") + weather_code_text(0) + "." +
                       " Bugün: en yüksek 20°, en düşük 9°, " + weather_code_text(0) + ", yağış %10." +
                       " Yarın: en yüksek 18°, en düşük 7°, " + weather_code_text(0) + ", yağış %40." +
                       " Medya: Şarkı - Sanatçı (Spotify), duraklatıldı." + " Pil %57, şarj oluyor." +
                       " Ses düzeyi %0." + " Zamanlayıcı: 90 sn kaldı." + " Pomodoro: 10 dk kaldı." +
                       " Steam'de oynanıyor: Hades." + " Steam indirmesi: Portal %25.";
    EXPECT_EQ(app->island_context(), want);

    app->timers.countdown.running = false;
    app->timers.countdown.remaining = 42;
    EXPECT_NE(app->island_context().find(" Zamanlayıcı: 42 sn kaldı (duraklatıldı)."), std::string::npos);
}

TEST(IslandContext, ListsStopAtSixRemindersAndEightOpenNotes) {
    auto app = quiet_app();
    app->wall_clock.unix_seconds = 1700000000;
    for (int i = 0; i < 7; ++i) app->lists.reminders.push_back({"hatırlat" + std::to_string(i), 1700000000 + 60 * i, 0});
    for (int i = 0; i < 10; ++i) {
        NoteItem n;
        n.text = "not" + std::to_string(i);
        n.done = i == 1 || i == 4;
        app->lists.notes.push_back(n);
    }
    std::string text = app->island_context();
    EXPECT_EQ(count_of(text, " · hatırlat"), 6u);
    EXPECT_EQ(text.find("hatırlat6"), std::string::npos);
    EXPECT_NE(text.find(" Adadaki notlar: [not0] [not2] [not3] [not5] [not6] [not7] [not8] [not9]"), std::string::npos);
    EXPECT_EQ(text.find("[not1]"), std::string::npos);
    EXPECT_NE(text.find(" Adadaki hatırlatıcılar: ["), std::string::npos);
}

TEST(WorkerRequests, OnlyQuestionsTouchTheContextAndMissingChannelsDropSilently) {
    auto app = quiet_app();
    app->google.shared.with([](GoogleState& s) { s.context = "eski"; });
    app->send_google_command(gcmd::Refresh{});  // no channel: dropped
    app->send_google_command(gcmd::SignIn{});
    EXPECT_EQ(app->google.shared.snapshot()->context, "eski");

    auto [tx, rx] = channel<GoogleCommand>();
    app->google.tx = tx;
    app->send_google_command(gcmd::AskLabelled{"Özetle: x", "prompt"});
    EXPECT_EQ(app->google.shared.snapshot()->context, " Ses düzeyi %0.");
    ASSERT_TRUE(rx.try_recv().has_value());

    // A poisoned state loses only the context.
    try {
        app->google.shared.with([](GoogleState&) { throw 1; });
    } catch (int) {
    }
    app->drawing.redraw = false;
    app->send_google_command(gcmd::Ask{"soru"});
    EXPECT_TRUE(app->drawing.redraw);
    auto sent = rx.try_recv();
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ(std::get<gcmd::Ask>(*sent).question, "soru");

    auto [mtx, mrx] = channel<MediaCommand>();
    app->send_media_command(media_cmd::Next{});  // no channel yet
    app->media.tx = mtx;
    app->send_media_command(media_cmd::Seek{12.5});
    auto m = mrx.try_recv();
    ASSERT_TRUE(m.has_value());
    EXPECT_DOUBLE_EQ(std::get<media_cmd::Seek>(*m).position, 12.5);
    EXPECT_FALSE(mrx.try_recv().has_value());
}

TEST(WorkerRequests, AskAssistantNeedsSignInAndAQuestion) {
    auto app = quiet_app();
    auto [tx, rx] = channel<GoogleCommand>();
    app->google.tx = tx;
    EXPECT_FALSE(app->ask_assistant("hava nasıl", false)) << "signed out";
    app->google.snap.signed_in = true;
    EXPECT_FALSE(app->ask_assistant("  \n ", false));
    EXPECT_FALSE(rx.try_recv().has_value());

    app->island.open = true;
    app->voice.answer = "eski cevap";
    EXPECT_TRUE(app->ask_assistant("  hava nasıl ", true));
    EXPECT_FALSE(app->island.open);
    EXPECT_EQ(app->voice.question, "hava nasıl");
    EXPECT_TRUE(app->voice.answer.empty());
    EXPECT_EQ(app->voice.state, VoiceState::Thinking);
    EXPECT_TRUE(app->voice.outside);
    EXPECT_TRUE(app->voice.speak);
    EXPECT_EQ(app->notices.kind, HudKind::Voice);
    EXPECT_DOUBLE_EQ(app->notices.until, app->now + 60);
    auto sent = rx.try_recv();
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ(std::get<gcmd::Ask>(*sent).question, "hava nasıl");
}
