// The assistant's desktop tools as the island carries them out: the reply
// sentences, what each tool changes in the App, the effects it queues with
// their delays, the web-only rule for addresses the model names, and an
// answer whose tool call starts the countdown.
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "app.h"
#include "app_fixture.h"
#include "search.h"
#include "sys_audio.h"
#include "sys_desktop.h"

namespace {

using nlohmann::json;

// 2027-01-15 08:00:00 UTC, 11:00 in a zone three hours ahead.
constexpr int64_t kNow = 1'800'000'000;
constexpr int64_t kPlusThree = 3 * 3600;

struct ToolTest : AppFixture {
    std::optional<Receiver<MediaCommand>> media_rx;

    App& start() {
        App& a = make(true);
        a.wall_clock.unix_seconds = kNow;
        a.wall_clock.utc_offset = kPlusThree;
        a.now = 100;
        auto [tx, rx] = channel<MediaCommand>();
        a.media.tx = tx;
        media_rx.emplace(std::move(rx));
        return a;
    }
    std::optional<std::string> run(const std::string& name, json args) {
        return app->run_tool_call(ToolCall{name, std::move(args)});
    }
    std::vector<MediaCommand> media_sent() {
        std::vector<MediaCommand> out;
        while (auto c = media_rx->try_recv()) out.push_back(std::move(*c));
        return out;
    }
    // The one queued effect: its delay after the call and the address it opens ("" when it opens none).
    std::pair<double, std::string> only_effect() const {
        EXPECT_EQ(app->effects.pending.size(), 1u);
        if (app->effects.pending.empty()) return {-1, ""};
        const PendingEffect& p = app->effects.pending[0];
        const auto* open = std::get_if<effect::OpenUrl>(&p.effect);
        return {p.time - app->now, open ? open->target : ""};
    }
};

// ---- Timers ------------------------------------------------------------------------------------------

TEST_F(ToolTest, TimerStartRepliesWithTheCountedLength) {
    struct Case {
        json args;
        const char* reply;
        double seconds;  // 0: the countdown is not touched
    } cases[] = {
        {{{"seconds", 0.5}}, "Kaç dakika olsun?", 0},
        {{{"minutes", 5}}, "5 dakikalık zamanlayıcı başladı.", 300},
        {{{"minutes", 1.5}}, "90 saniyelık zamanlayıcı başladı.", 90},
        {{{"minutes", 2}, {"seconds", 30}}, "150 saniyelık zamanlayıcı başladı.", 150},
        {{{"seconds", 45}}, "45 saniyelık zamanlayıcı başladı.", 45},
        {{{"minutes", "5"}}, "Kaç dakika olsun?", 0},  // a number written as text is no number
        {json::array({5}), "Kaç dakika olsun?", 0},
        {json(), "Kaç dakika olsun?", 0},
    };
    for (const Case& c : cases) {
        App& a = start();
        EXPECT_EQ(run("timer_start", c.args), c.reply) << c.args.dump();
        if (c.seconds == 0) {
            EXPECT_FALSE(a.timers.countdown.running) << c.args.dump();
            EXPECT_EQ(a.timers.countdown.length, Countdown{}.length);
            continue;
        }
        EXPECT_TRUE(a.timers.countdown.running);
        EXPECT_EQ(a.timers.countdown.length, c.seconds);
        EXPECT_EQ(a.timers.countdown.remaining, c.seconds);
        EXPECT_EQ(a.timers.countdown.end, a.now + c.seconds);
    }
}

TEST_F(ToolTest, PomodoroAndStopLeaveTheRightClocks) {
    App& a = start();
    a.timers.pomo.minutes = 50;
    a.timers.pomo.remaining = 1200;
    EXPECT_EQ(run("pomodoro_start", json()), "50 dakikalık odak başladı.");
    EXPECT_TRUE(a.timers.pomo.running);
    EXPECT_EQ(a.timers.pomo.end, a.now + 1200);
    a.now += 10;
    EXPECT_EQ(run("pomodoro_start", json()), "50 dakikalık odak başladı.");
    EXPECT_EQ(a.timers.pomo.end, a.now - 10 + 1200) << "a running pomodoro is left alone";

    run("timer_start", {{"minutes", 3}});
    a.timers.pomo.completed = 3;
    a.timers.pomo.phase = PomoPhase::ShortBreak;
    EXPECT_EQ(run("timer_stop", json()), "Zamanlayıcıyı durdurdum.");
    EXPECT_FALSE(a.timers.countdown.running);
    EXPECT_EQ(a.timers.countdown.remaining, 180);
    EXPECT_FALSE(a.timers.pomo.running);
    EXPECT_EQ(a.timers.pomo.phase, PomoPhase::Focus);
    EXPECT_EQ(a.timers.pomo.completed, 0u);
    EXPECT_EQ(a.timers.pomo.remaining, 3000);
    EXPECT_EQ(run("timer_stop", json()), "Zamanlayıcıyı durdurdum.") << "also when nothing runs";
}

TEST_F(ToolTest, StopwatchWords) {
    App& a = start();
    EXPECT_EQ(run("stopwatch", {{"action", "stop"}}), "Kronometreyi durdurdum.");
    EXPECT_FALSE(a.timers.stopwatch.running);
    EXPECT_EQ(a.timers.stopwatch.accumulated, 0);
    EXPECT_EQ(run("stopwatch", {{"action", "start"}}), "Kronometre başladı.");
    a.now += 5;
    EXPECT_EQ(run("stopwatch", {{"action", "bogus"}}), "Kronometre başladı.");
    EXPECT_EQ(a.timers.stopwatch.start, 100) << "starting a running stopwatch keeps its first start";
    a.now += 2;
    run("stopwatch", {{"action", " stop "}});
    EXPECT_EQ(a.timers.stopwatch.accumulated, 7);
    a.timers.stopwatch.laps = {1, 2};
    EXPECT_EQ(run("stopwatch", {{"action", "reset"}}), "Kronometreyi sıfırladım.");
    EXPECT_TRUE(a.timers.stopwatch.laps.empty());
    EXPECT_EQ(a.timers.stopwatch.accumulated, 0);
}

// ---- Reminders and notes ---------------------------------------------------------------------------

TEST_F(ToolTest, ReminderTimes) {
    struct Case {
        json args;
        const char* reply;
        int64_t due;  // 0: nothing is added
    } cases[] = {
        {{{"text", "ilaç"}, {"minutes_from_now", 0.1}}, "Hatırlatıcı kuruldu: İlaç, Bugün 11:00.", kNow + 30},
        {{{"text", "ılık su"}, {"minutes_from_now", 90}}, "Hatırlatıcı kuruldu: Ilık su, Bugün 12:30.", kNow + 5400},
        {{{"text", "ilaç"}, {"at_time", "11:00"}}, "Hatırlatıcı kuruldu: İlaç, Yarın 11:00.", kNow + 86400},
        {{{"text", "ilaç"}, {"at_time", " 10 : 75 "}}, "Hatırlatıcı kuruldu: İlaç, Bugün 11:15.", kNow + 900},
        {{{"text", "ilaç"}, {"at_time", "+21:xx"}}, "Hatırlatıcı kuruldu: İlaç, Bugün 21:00.", kNow + 10 * 3600},
        {{{"text", "ilaç"}, {"at_time", "25:00"}}, "Hatırlatma saatini anlayamadım.", 0},
        {{{"text", "ilaç"}, {"at_time", "ab:cd"}}, "Hatırlatma saatini anlayamadım.", 0},
        {{{"text", "ilaç"}, {"at_time", "1030"}}, "Hatırlatma saatini anlayamadım.", 0},
        {{{"text", "ilaç"}, {"at_time", "-1:00"}}, "Hatırlatma saatini anlayamadım.", 0},
        {{{"text", "ilaç"}}, "Hatırlatma saatini anlayamadım.", 0},
    };
    for (const Case& c : cases) {
        App& a = start();
        EXPECT_EQ(run("reminder_add", c.args), c.reply) << c.args.dump();
        if (c.due == 0) {
            EXPECT_TRUE(a.lists.reminders.empty()) << c.args.dump();
            continue;
        }
        ASSERT_EQ(a.lists.reminders.size(), 1u);
        EXPECT_EQ(a.lists.reminders[0].due, c.due) << c.args.dump();
    }
    App& a = start();
    EXPECT_EQ(run("reminder_add", {{"text", "  "}, {"minutes_from_now", 5}}), std::nullopt);
    EXPECT_TRUE(a.lists.reminders.empty());
}

TEST_F(ToolTest, RemindersStaySortedAndEqualTimesKeepTheirOrder) {
    App& a = start();
    run("reminder_add", {{"text", "b"}, {"minutes_from_now", 10}});
    run("reminder_add", {{"text", "a"}, {"minutes_from_now", 2}});
    run("reminder_add", {{"text", "c"}, {"minutes_from_now", 10}});
    ASSERT_EQ(a.lists.reminders.size(), 3u);
    EXPECT_EQ(a.lists.reminders[0].text, "A");
    EXPECT_EQ(a.lists.reminders[1].text, "B");
    EXPECT_EQ(a.lists.reminders[2].text, "C");
    EXPECT_NE(a.lists.reminders[1].id, a.lists.reminders[2].id);
}

TEST_F(ToolTest, NotesGoOnTop) {
    App& a = start();
    a.lists.notes.push_back(NoteItem{"Eski", 7});
    EXPECT_EQ(run("note_add", {{"text", "ilk iş"}}), "Notlarına ekledim.");
    EXPECT_EQ(run("note_add", {{"text", 3}}), std::nullopt);
    ASSERT_EQ(a.lists.notes.size(), 2u);
    EXPECT_EQ(a.lists.notes[0].text, "İlk iş");
    EXPECT_FALSE(a.lists.notes[0].done);
}

// ---- Media and levels ------------------------------------------------------------------------------

TEST_F(ToolTest, MediaControlFollowsWhatPlays) {
    App& a = start();
    EXPECT_EQ(run("media_control", {{"action", "next"}}), "Şu an çalan bir şey yok.");
    EXPECT_TRUE(media_sent().empty());
    a.media.snap.has = true;
    a.media.snap.playing = true;
    EXPECT_EQ(run("media_control", {{"action", "play"}}), std::nullopt);
    EXPECT_TRUE(media_sent().empty()) << "play while playing sends nothing";
    run("media_control", {{"action", "pause"}});
    run("media_control", {{"action", "next"}});
    run("media_control", {{"action", "previous"}});
    run("media_control", json());
    std::vector<MediaCommand> sent = media_sent();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_TRUE(std::holds_alternative<media_cmd::TogglePlayPause>(sent[0]));
    EXPECT_TRUE(std::holds_alternative<media_cmd::Next>(sent[1]));
    EXPECT_TRUE(std::holds_alternative<media_cmd::Previous>(sent[2]));
    EXPECT_TRUE(std::holds_alternative<media_cmd::TogglePlayPause>(sent[3]));
}

TEST_F(ToolTest, VolumeLevels) {
    struct Case {
        json args;
        bool muted_before;
        float volume;
        bool muted;
    } cases[] = {
        {{{"percent", 150}}, false, 1.0f, false},
        {{{"percent", -3}}, true, 0.0f, true},  // no level to unmute with
        {{{"percent", 40}}, true, 0.4f, false},
        {json::object(), true, 0.25f, true},    // nothing changes
        {{{"mute", true}}, false, 0.25f, true},
        {{{"mute", true}, {"percent", 60}}, false, 0.6f, false},  // mute first, then the level
        {{{"percent", "60"}}, false, 0.25f, false},
    };
    for (const Case& c : cases) {
        App& a = start();
        a.audio.volume = 0.25f;
        a.audio.muted = c.muted_before;
        EXPECT_EQ(run("volume_set", c.args), std::nullopt);
        EXPECT_FLOAT_EQ(a.audio.volume, c.volume) << c.args.dump();
        EXPECT_EQ(a.audio.muted, c.muted) << c.args.dump();
    }
}

TEST_F(ToolTest, BrightnessNeedsAnAdjustableDisplay) {
    App& a = start();
    a.audio.brightness_ok = false;
    EXPECT_EQ(run("brightness_set", {{"percent", 80}}), "Bu ekranın parlaklığını ayarlayamıyorum.");
    a.audio.brightness_ok = true;
    EXPECT_EQ(run("brightness_set", json::object()), std::nullopt);
    EXPECT_FLOAT_EQ(a.audio.brightness, 0.5f);
    EXPECT_EQ(a.audio.brightness_changed, a.now);
    run("brightness_set", {{"percent", 120}});
    EXPECT_FLOAT_EQ(a.audio.brightness, 1.0f);
}

// ---- Apps, games, web, music -----------------------------------------------------------------------

TEST_F(ToolTest, AppOpenFindsAnInstalledApp) {
    App& a = start();
    publish_apps(a.search_page.apps, AppList(build_app_index({{"Hesap Makinesi", "Microsoft.WindowsCalculator!App"},
                                                              {"Spotify", "Spotify.exe"}})));
    EXPECT_EQ(run("app_open", {{"name", "hesap"}}), "Hesap Makinesi açılıyor.");
    auto [delay, target] = only_effect();
    EXPECT_NEAR(delay, 0.3, 1e-9);
    EXPECT_EQ(target, "shell:AppsFolder\\Microsoft.WindowsCalculator!App");
    a.effects.pending.clear();
    EXPECT_EQ(run("app_open", {{"name", " Zzqx "}}), "Zzqx adında bir uygulama bulamadım.");
    EXPECT_TRUE(a.effects.pending.empty());
}

TEST_F(ToolTest, GameLaunchMatchesFoldedNames) {
    struct Case {
        const char* name;
        const char* reply;
        uint32_t app_id;  // 0: nothing is launched
    } cases[] = {
        {"counter", "Counter-Strike 2 başlatılıyor.", 730},
        {"ŞEHİR", "Şehirler: Skylines başlatılıyor.", 255710},
        {"Play Portal 2 now", "Portal 2 başlatılıyor.", 620},  // the name holds a whole game's name
        {"cs2", "Bu oyunu Steam kütüphanende bulamadım.", 0},
        {"2", "Counter-Strike 2 başlatılıyor.", 730},              // the first match wins
    };
    for (const Case& c : cases) {
        App& a = start();
        for (auto [name, id] : {std::pair{"Counter-Strike 2", 730u}, {"Portal 2", 620u}, {"Şehirler: Skylines", 255710u}}) {
            SteamGameEntry g;
            g.name = name;
            g.app_id = id;
            a.steam.snap.games.push_back(g);
        }
        EXPECT_EQ(run("game_launch", {{"name", c.name}}), c.reply) << c.name;
        if (c.app_id == 0) {
            EXPECT_TRUE(a.effects.pending.empty());
            continue;
        }
        EXPECT_EQ(only_effect().second, "steam://rungameid/" + std::to_string(c.app_id)) << c.name;
    }
}

TEST_F(ToolTest, WebOpenOpensOnlyWebPages) {
    struct Case {
        json args;
        const char* target;  // "": nothing is opened
        std::optional<std::string> reply;
    } cases[] = {
        {{{"url", "example.com"}}, "https://example.com", std::nullopt},
        {{{"url", "http://example.com/a?b=c"}}, "http://example.com/a?b=c", std::nullopt},
        {{{"url", "HTTPS://Example.com"}}, "HTTPS://Example.com", std::nullopt},
        {{{"url", "example.com"}, {"query", "kedi"}}, "https://example.com", std::nullopt},
        {{{"query", "kedi ve köpek"}}, "https://www.google.com/search?q=kedi%20ve%20k%C3%B6pek", std::nullopt},
        {json::object(), "", std::nullopt},
        // Addresses the model copied from an e-mail may lead anywhere but the web: none is opened.
        {{{"url", "file:///C:/Windows/System32/calc.exe"}}, "", "Yalnızca http ve https adreslerini açabilirim."},
        {{{"url", "ms-officecmd://x"}}, "", "Yalnızca http ve https adreslerini açabilirim."},
        {{{"url", "\\\\server\\share://x"}}, "", "Yalnızca http ve https adreslerini açabilirim."},
        {{{"url", "https:evil://x"}}, "", "Yalnızca http ve https adreslerini açabilirim."},
    };
    for (const Case& c : cases) {
        App& a = start();
        EXPECT_EQ(run("web_open", c.args), c.reply) << c.args.dump();
        if (std::string(c.target).empty()) {
            EXPECT_TRUE(a.effects.pending.empty()) << c.args.dump();
            continue;
        }
        auto [delay, target] = only_effect();
        EXPECT_NEAR(delay, 0.3, 1e-9);
        EXPECT_EQ(target, c.target);
    }
}

TEST_F(ToolTest, AssistantAddressRule) {
    struct Case {
        const char* target;
        bool allowed;
    } cases[] = {
        {"https://a.b", true}, {"http://a.b", true}, {"HtTp://a.b", true}, {"https:/a.b", false},
        {"file:///c:/x", false}, {"steam://run/1", false}, {"shell:AppsFolder\\x", false}, {"", false},
        {"javascript:alert(1)", false}, {"https", false},
    };
    for (const Case& c : cases) EXPECT_EQ(assistant_may_open(c.target), c.allowed) << c.target;
}

TEST_F(ToolTest, MusicPlayPrefersSpotify) {
    App& a = start();
    EXPECT_EQ(run("music_play", {{"query", "Barış Manço"}}), "YouTube Music'te açıyorum: Barış Manço.");
    EXPECT_EQ(only_effect().second, "https://music.youtube.com/search?q=Bar%C4%B1%C5%9F%20Man%C3%A7o");
    a.effects.pending.clear();
    publish_apps(a.search_page.apps, AppList(build_app_index({{"Spotify Premium", "SpotifyAB.Spotify!App"}})));
    EXPECT_EQ(run("music_play", {{"query", "Barış Manço"}}), "Spotify'da açıyorum: Barış Manço.");
    EXPECT_EQ(only_effect().second, "spotify:search:Bar%C4%B1%C5%9F%20Man%C3%A7o");
    a.effects.pending.clear();
    EXPECT_EQ(run("music_play", {{"query", ""}}), std::nullopt);
    EXPECT_TRUE(a.effects.pending.empty());
}

// ---- Do-not-disturb and system actions -------------------------------------------------------------

TEST_F(ToolTest, DoNotDisturb) {
    App& a = start();
    EXPECT_EQ(run("dnd_set", {{"on", true}}), "Rahatsız etme açık, bildirim balonlarını susturdum.");
    EXPECT_TRUE(a.settings.dnd);
    EXPECT_EQ(run("dnd_set", {{"on", false}}), "Rahatsız etme kapandı.");
    EXPECT_FALSE(a.settings.dnd);
    EXPECT_EQ(run("dnd_set", {{"on", "false"}}), "Rahatsız etme açık, bildirim balonlarını susturdum.");
    EXPECT_TRUE(a.settings.dnd);
}

TEST_F(ToolTest, SystemActionsWaitTheirDelay) {
    struct Case {
        const char* action;
        double delay;  // < 0: nothing is queued
        WindowEffect effect;
    } cases[] = {
        {"lock", 2.5, effect::LockWorkstation{}},
        {"screen_off", 2.5, effect::MonitorOff{}},
        {"show_desktop", 0.3, effect::ShowDesktop{}},
        {"screenshot", 0.4, effect::OpenUrl{"ms-screenclip:", std::nullopt}},
        {"reboot", -1, effect::ShowDesktop{}},
        {"", -1, effect::ShowDesktop{}},
    };
    for (const Case& c : cases) {
        App& a = start();
        EXPECT_EQ(run("system_action", {{"action", c.action}}), std::nullopt);
        if (c.delay < 0) {
            EXPECT_TRUE(a.effects.pending.empty()) << c.action;
            continue;
        }
        ASSERT_EQ(a.effects.pending.size(), 1u) << c.action;
        EXPECT_NEAR(a.effects.pending[0].time - a.now, c.delay, 1e-9) << c.action;
        EXPECT_EQ(a.effects.pending[0].effect.index(), c.effect.index()) << c.action;
    }
    App& a = start();
    run("system_action", {{"action", "dark_mode"}});
    run("system_action", {{"action", "keep_awake_on"}});
    EXPECT_TRUE(a.settings.dark_mode);
    EXPECT_TRUE(a.island.keep_awake);
    run("system_action", {{"action", "light_mode"}});
    run("system_action", {{"action", "keep_awake_off"}});
    EXPECT_FALSE(a.settings.dark_mode);
    EXPECT_FALSE(a.island.keep_awake);
}

TEST_F(ToolTest, LockFiresFromTheTickAfterItsDelay) {
    App& a = start();
    run("system_action", {{"action", "lock"}});
    EXPECT_TRUE(a.tick(1.0f).effects.empty());
    std::vector<WindowEffect> fired;
    for (int i = 0; i < 20 && fired.empty(); ++i) fired = a.tick(0.1f).effects;
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_TRUE(std::holds_alternative<effect::LockWorkstation>(fired[0]));
}

TEST_F(ToolTest, OtherNamesDoNothing) {
    App& a = start();
    for (const char* name : {"screen_look", "calendar_add", "task_add", "rm_rf", ""})
        EXPECT_EQ(run(name, {{"title", "x"}, {"minutes", 5}}), std::nullopt) << name;
    EXPECT_FALSE(a.timers.countdown.running);
    EXPECT_TRUE(a.effects.pending.empty());
}

// ---- Through the answer ----------------------------------------------------------------------------

TEST_F(ToolTest, AnAnswerWithATimerCallStartsTheCountdownAndSaysSo) {
    App& a = start();
    a.google.shared.with([](GoogleState& s) {
        gupdate::Answer answer;
        answer.calls.push_back(ToolCall{"timer_start", {{"minutes", 5}}});
        s.outbox.push_back(std::move(answer));
    });
    a.on_google_update();
    EXPECT_TRUE(a.timers.countdown.running);
    EXPECT_EQ(a.timers.countdown.length, 300);
    const std::vector<ChatLine> chat = a.google.shared.snapshot()->chat;
    ASSERT_EQ(chat.size(), 1u);
    EXPECT_EQ(chat[0].text, "5 dakikalık zamanlayıcı başladı.");
    EXPECT_FALSE(chat[0].user);
}

}  // namespace
