// What the island makes of the Google worker's outbox: the copy of its state,
// the mail and event notices with their gates, worker errors, the assistant's
// answers (tool sentences, the screen question, the voice answer), and the
// one sign-in entry.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app.h"
#include "app_fixture.h"
#include "sys_audio.h"

namespace {

struct GoogleUpdateTest : AppFixture {
    std::optional<Receiver<GoogleCommand>> rx;
    std::vector<std::string> tools_run;  // names the tool executor was handed, in order

    App& start(bool quiet = true) {
        App& a = make(quiet);
        auto [tx, r] = channel<GoogleCommand>();
        a.google.tx = tx;
        rx.emplace(std::move(r));
        a.wall_clock.unix_seconds = 1'800'000'000;
        a.now = 50;
        return a;
    }
    // The tool executor answers each call with the sentence in its "say" argument.
    void speaking_tools() {
        app->google.tool_hook = [this](App&, const ToolCall& c) -> std::optional<std::string> {
            tools_run.push_back(c.name);
            if (c.args.contains("say")) return c.args["say"].get<std::string>();
            return std::nullopt;
        };
    }
    // The worker publishes the items; the window message arrives.
    void deliver(std::vector<GoogleUpdate> items) {
        app->google.shared.with([&](GoogleState& s) {
            for (GoogleUpdate& u : items) s.outbox.push_back(std::move(u));
        });
        app->on_google_update();
    }
    std::vector<GoogleCommand> sent() {
        std::vector<GoogleCommand> out;
        while (auto c = rx->try_recv()) out.push_back(std::move(*c));
        return out;
    }
    std::vector<ChatLine> shared_chat() const { return app->google.shared.snapshot()->chat; }
};

MailItem mail(std::string from, std::string subject, std::string snippet) {
    MailItem m;
    m.id = "m1";
    m.from = std::move(from);
    m.subject = std::move(subject);
    m.snippet = std::move(snippet);
    m.unread = true;
    return m;
}

EventItem event(std::string summary, int64_t start) {
    EventItem e;
    e.id = "e1";
    e.summary = std::move(summary);
    e.start = start;
    return e;
}

ToolCall call(std::string name, nlohmann::json args = nlohmann::json::object()) { return {std::move(name), std::move(args)}; }

}  // namespace

// ---- State copy --------------------------------------------------------------------------------

TEST_F(GoogleUpdateTest, CopiesTheStateAndDrainsTheOutbox) {
    App& a = start();
    auto picture = std::make_shared<Image>();
    a.google.shared.with([&](GoogleState& s) {
        s.signed_in = true;
        s.status = "bağlı";
        s.email = "ayse@example.com";
        s.mails = {mail("Ali", "Rapor", "")};
        s.tasks = {{"t1", "Fatura", "2026-12-10"}};
        s.unread = 4;
        s.picture = picture;
        s.outbox.push_back(gupdate::Connected{"Ayşe"});
    });
    a.on_google_update();
    EXPECT_TRUE(a.google.snap.signed_in);
    EXPECT_EQ(a.google.snap.email, "ayse@example.com");
    ASSERT_EQ(a.google.snap.mails.size(), 1u);
    EXPECT_EQ(a.google.snap.tasks[0].due, "2026-12-10");
    EXPECT_EQ(a.google.snap.unread, 4u);
    EXPECT_EQ(a.google.snap.picture, picture);
    EXPECT_EQ(picture.use_count(), 3) << "the worker's, the App's and this test's reference";
    EXPECT_TRUE(a.google.snap.outbox.empty());
    EXPECT_TRUE(a.google.shared.snapshot()->outbox.empty()) << "the shared outbox is left empty";
    EXPECT_EQ(a.notices.title, "Google'a bağlandı");

    // The App's own changes (a mail archived on the page) give way to the next copy.
    a.google.snap.mails.clear();
    a.notices.shown = false;
    a.on_google_update();
    EXPECT_EQ(a.google.snap.mails.size(), 1u);
    EXPECT_FALSE(a.notices.shown) << "an empty outbox raises nothing";
}

TEST_F(GoogleUpdateTest, PoisonedStateSkipsTheWholeUpdate) {
    App& a = start();
    a.google.snap.status = "eski";
    a.google.shared.with([](GoogleState& s) { s.outbox.push_back(gupdate::Error{"Gemini: x"}); });
    try {
        a.google.shared.with([](GoogleState&) { throw 1; });
    } catch (int) {
    }
    a.on_google_update();
    EXPECT_EQ(a.google.snap.status, "eski");
    EXPECT_FALSE(a.notices.shown);
}

// ---- Notices: mail, event, connected, error --------------------------------------------------------

TEST_F(GoogleUpdateTest, NoticesOfEachKindAndTheirGates) {
    const int64_t kNow = 1'800'000'000;
    struct Case {
        const char* what;
        std::function<void(App&)> before;
        GoogleUpdate item;
        std::optional<HudKind> kind;  // none: nothing new is shown
        const char *title, *body;
        double seconds;
    } cases[] = {
        {"connected", nullptr, gupdate::Connected{"Ayşe"}, HudKind::Notice, "Google'a bağlandı",
         "Ayşe · Gemini, Gmail ve Takvim hazır", 7.0},
        {"mail with a subject", nullptr, gupdate::NewMail{mail("Ali", "Rapor", "Ekte")}, HudKind::Mail, "Ali", "Rapor",
         5.5},
        {"mail without a subject shows the snippet", nullptr, gupdate::NewMail{mail("Ali", "", "Ekte rapor var")},
         HudKind::Mail, "Ali", "Ekte rapor var", 5.5},
        {"mail behind a full-screen program still shows",
         [](App& a) { a.island.fullscreen_front = true, a.settings.hide_fs = true; },
         gupdate::NewMail{mail("Ali", "Rapor", "")}, HudKind::Mail, "Ali", "Rapor", 5.5},
        {"mail under do-not-disturb", [](App& a) { a.settings.dnd = true; }, gupdate::NewMail{mail("Ali", "Rapor", "")},
         std::nullopt, "", "", 0},
        {"mail during a focus run",
         [](App& a) { a.timers.pomo.running = true, a.timers.pomo.phase = PomoPhase::Focus; },
         gupdate::NewMail{mail("Ali", "Rapor", "")}, std::nullopt, "", "", 0},
        {"mail during a break",
         [](App& a) { a.timers.pomo.running = true, a.timers.pomo.phase = PomoPhase::ShortBreak; },
         gupdate::NewMail{mail("Ali", "Rapor", "")}, HudKind::Mail, "Ali", "Rapor", 5.5},
        {"mail while open", [](App& a) { a.island.open = true; }, gupdate::NewMail{mail("Ali", "Rapor", "")},
         std::nullopt, "", "", 0},
        {"event in 14.5 minutes", nullptr, gupdate::EventSoon{event("Toplantı", kNow + 870)}, HudKind::Event,
         "15 dk sonra", "Toplantı", 8.0},
        {"event in exactly 10 minutes", nullptr, gupdate::EventSoon{event("Toplantı", kNow + 600)}, HudKind::Event,
         "10 dk sonra", "Toplantı", 8.0},
        {"event already started", nullptr, gupdate::EventSoon{event("Toplantı", kNow - 90)}, HudKind::Event,
         "0 dk sonra", "Toplantı", 8.0},
        {"event under do-not-disturb still shows", [](App& a) { a.settings.dnd = true; },
         gupdate::EventSoon{event("Toplantı", kNow + 60)}, HudKind::Event, "1 dk sonra", "Toplantı", 8.0},
        {"event while open", [](App& a) { a.island.open = true; }, gupdate::EventSoon{event("Toplantı", kNow + 60)},
         std::nullopt, "", "", 0},
        {"error", nullptr, gupdate::Error{"Gmail: izin yok"}, HudKind::Info, "Gmail: izin yok", "", 2.2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        App& a = start();
        if (c.before) c.before(a);
        deliver({c.item});
        if (!c.kind) {
            EXPECT_FALSE(a.notices.shown);
            continue;
        }
        ASSERT_TRUE(a.notices.shown);
        EXPECT_EQ(a.notices.kind, *c.kind);
        EXPECT_EQ(a.notices.title, c.title);
        EXPECT_EQ(a.notices.body, c.body);
        EXPECT_DOUBLE_EQ(a.notices.until, a.now + c.seconds);
        EXPECT_TRUE(a.drawing.redraw);
    }
}

TEST_F(GoogleUpdateTest, MailAndEventGiveWayToTheNoticesTheyProtect) {
    const HudKind kept[] = {HudKind::TimerDone, HudKind::Notice, HudKind::Toast, HudKind::Voice};
    for (HudKind k : kept) {
        for (bool is_mail : {true, false}) {
            SCOPED_TRACE(std::string(hud_name(k)) + (is_mail ? " / mail" : " / event"));
            App& a = start();
            a.notices.title = "Hatırlatma";
            a.notices.body = "Su iç";
            a.show_hud(k, 30);
            if (is_mail)
                deliver({gupdate::NewMail{mail("Ali", "Rapor", "")}});
            else
                deliver({gupdate::EventSoon{event("Toplantı", a.wall_unix() + 300)}});
            EXPECT_EQ(a.notices.kind, k);
            EXPECT_EQ(a.notices.title, "Hatırlatma") << "the shown notice keeps its texts";
            EXPECT_DOUBLE_EQ(a.notices.until, a.now + 30);
        }
    }
    // A lesser notice is replaced.
    App& a = start();
    a.show_hud(HudKind::Volume);
    deliver({gupdate::NewMail{mail("Ali", "Rapor", "")}});
    EXPECT_EQ(a.notices.kind, HudKind::Mail);
}

#ifndef _WIN32  // the native fake machine counts the sounds
TEST_F(GoogleUpdateTest, EventSoundPlaysUnlessQuietEvenWhenNoNoticeShows) {
    App& loud = start(false);
    loud.island.open = true;
    deliver({gupdate::EventSoon{event("Toplantı", loud.wall_unix() + 300)}});
    EXPECT_EQ(fake_audio().notify_sounds, 1);
    deliver({gupdate::NewMail{mail("Ali", "Rapor", "")}});
    EXPECT_EQ(fake_audio().notify_sounds, 1) << "mail makes no sound";

    fake_audio() = FakeAudio{};
    start(true);
    deliver({gupdate::EventSoon{event("Toplantı", app->wall_unix() + 300)}});
    EXPECT_EQ(fake_audio().notify_sounds, 0);
}
#endif

TEST_F(GoogleUpdateTest, ErrorEndsAVoiceQuestion) {
    App& a = start();
    a.voice.state = VoiceState::Thinking;
    a.show_hud(HudKind::Voice);
    deliver({gupdate::Error{"Gemini: zaman aşımı"}});
    EXPECT_EQ(a.voice.state, VoiceState::Idle);
    EXPECT_EQ(a.notices.kind, HudKind::Info);
    EXPECT_EQ(a.notices.title, "Gemini: zaman aşımı");
    EXPECT_EQ(a.notices.body, "");

    // While open the error's texts are kept but nothing is raised.
    a.notices.shown = false;
    a.island.open = true;
    deliver({gupdate::Error{"Görevler: 500"}});
    EXPECT_FALSE(a.notices.shown);
    EXPECT_EQ(a.notices.title, "Görevler: 500");
}

TEST_F(GoogleUpdateTest, ItemsAreHandledInOrder) {
    App& a = start();
    deliver({gupdate::NewMail{mail("Ali", "Rapor", "")}, gupdate::EventSoon{event("Toplantı", a.wall_unix() + 60)}});
    EXPECT_EQ(a.notices.kind, HudKind::Event) << "the later item replaces the earlier notice";
}

// ---- Answers -------------------------------------------------------------------------------------------

TEST_F(GoogleUpdateTest, AnswersWithoutTextSpeakForTheirTools) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<ToolCall> calls;
        std::optional<std::string> chat_line;  // the model line the App adds
        std::vector<std::string> tools;        // handed to the executor
    } cases[] = {
        {"two tool sentences become one line",
         "",
         {call("timer", {{"say", "Zamanlayıcı 5 dakikaya kuruldu."}}), call("volume", {{"say", "Ses %40."}})},
         "Zamanlayıcı 5 dakikaya kuruldu. Ses %40.",
         {"timer", "volume"}},
        {"no calls", "", {}, "Tamam.", {}},
        {"blank text, a silent tool", " \n ", {call("media")}, "Tamam.", {"media"}},
        {"a silent tool between two that speak",
         "",
         {call("timer", {{"say", "Bir."}}), call("media"), call("note", {{"say", "İki."}})},
         "Bir. İki.",
         {"timer", "media", "note"}},
        {"the model's text wins; the sentences are dropped",
         "Kurdum.",
         {call("timer", {{"say", "Zamanlayıcı kuruldu."}})},
         std::nullopt,
         {"timer"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        App& a = start();
        tools_run.clear();
        speaking_tools();
        a.google.shared.with([](GoogleState& s) { s.chat = {{"soru", true}}; });
        a.google.chat_follow = false;
        deliver({gupdate::Answer{std::nullopt, c.text, false, c.calls}});
        EXPECT_EQ(tools_run, c.tools);
        const std::vector<ChatLine> chat = shared_chat();
        ASSERT_EQ(chat.size(), c.chat_line ? 2u : 1u);
        if (c.chat_line) {
            EXPECT_EQ(chat[1].text, *c.chat_line);
            EXPECT_FALSE(chat[1].user);
        }
        ASSERT_EQ(a.google.snap.chat.size(), chat.size()) << "the App's copy follows";
        EXPECT_TRUE(a.google.chat_follow) << "the page shows the newest line";
        EXPECT_EQ(a.voice.state, VoiceState::Idle) << "no voice question was pending";
        EXPECT_TRUE(sent().empty());
    }
}

TEST_F(GoogleUpdateTest, VoiceAnswerStaysByItsLengthAndTakesTheHeardText) {
    struct Case {
        const char* what;
        VoiceState before;
        bool outside, speak;
        std::optional<std::string> heard;
        size_t length;
        bool shown;
        double seconds;
        const char* question;  // the voice notice's question afterwards
    } cases[] = {
        {"650 characters stay 40 s", VoiceState::Thinking, false, true, "hava nasıl", 650, true, 40, "hava nasıl"},
        {"13 characters stay 6 s", VoiceState::Thinking, false, true, "saat kaç", 13, true, 6, "saat kaç"},
        {"12 characters stay 5 s", VoiceState::Thinking, false, true, std::nullopt, 12, true, 5, ""},
        {"an outside question keeps its own text", VoiceState::Thinking, true, false, "duyulan", 40, true, 8,
         "dış soru"},
        {"a typed answer is no voice answer", VoiceState::Thinking, false, false, std::nullopt, 20, false, 0,
         "dış soru"},
        {"nothing is pending", VoiceState::Idle, true, true, "x", 20, false, 0, "dış soru"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        App& a = start();
        a.voice.state = c.before;
        a.voice.outside = c.outside;
        a.voice.question = "dış soru";
        std::string text;
        while (text.size() < 2 * c.length) text += "ğ";  // two bytes, one character
        deliver({gupdate::Answer{c.heard, text, c.speak, {}}});
        EXPECT_EQ(a.voice.question, c.question);
        if (!c.shown) {
            EXPECT_EQ(a.voice.state, c.before);
            EXPECT_EQ(a.voice.outside, c.outside);
            EXPECT_FALSE(a.notices.shown);
            continue;
        }
        EXPECT_EQ(a.voice.state, VoiceState::Answer);
        EXPECT_EQ(a.voice.answer, text);
        EXPECT_FALSE(a.voice.outside);
        ASSERT_TRUE(a.notices.shown);
        EXPECT_EQ(a.notices.kind, HudKind::Voice);
        EXPECT_DOUBLE_EQ(a.notices.until, a.now + c.seconds);
    }
}

TEST_F(GoogleUpdateTest, VoiceAnswerWithoutTextShowsTheToolSentence) {
    App& a = start();
    speaking_tools();
    a.voice.state = VoiceState::Thinking;
    deliver({gupdate::Answer{"zamanlayıcı kur", "", true, {call("timer", {{"say", "Kuruldu."}})}}});
    EXPECT_EQ(a.voice.state, VoiceState::Answer);
    EXPECT_EQ(a.voice.answer, "Kuruldu.");
    EXPECT_EQ(a.voice.question, "zamanlayıcı kur");
}

TEST_F(GoogleUpdateTest, ScreenLookAsksAboutAScreenshot) {
    struct Case {
        const char* what;
        std::vector<ToolCall> calls;
        std::optional<std::string> heard;
        bool speak, outside, outside_speaks;
        const char* question;
        bool spoken;
        bool outside_after;
    } cases[] = {
        {"no question argument", {call("screen_look")}, std::nullopt, false, false, false, "Ekranımda ne var?", false,
         true},
        {"a question that is no text", {call("screen_look", {{"question", 42}})}, std::nullopt, true, false, false,
         "Ekranımda ne var?", true, false},
        {"its own question, heard text kept", {call("screen_look", {{"question", "Bu hata ne?"}})}, "bu hata ne",
         true, false, false, "Bu hata ne?", true, false},
        {"the later call wins",
         {call("screen_look", {{"question", "ilk"}}), call("screen_look", {{"question", "son"}})},
         std::nullopt,
         false,
         false,
         false,
         "son",
         false,
         true},
        {"an outside question that is to be spoken", {call("screen_look")}, std::nullopt, false, true, true,
         "Ekranımda ne var?", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        App& a = start();
        tools_run.clear();
        speaking_tools();
        a.voice.state = VoiceState::Thinking;
        a.voice.outside = c.outside;
        a.voice.speak = c.outside_speaks;
        a.voice.question = "önceki";
        std::vector<ToolCall> calls = c.calls;
        calls.push_back(call("volume", {{"say", "Ses %40."}}));
        deliver({gupdate::Answer{c.heard, "Bakıyorum", c.speak, calls}});
        EXPECT_EQ(tools_run, std::vector<std::string>{"volume"}) << "screen_look is the island's own";
        std::vector<GoogleCommand> out = sent();
        ASSERT_EQ(out.size(), 1u);
        const auto* ask = std::get_if<gcmd::AskScreen>(&out[0]);
        ASSERT_NE(ask, nullptr);
        EXPECT_EQ(ask->question, c.question);
        EXPECT_EQ(ask->png, std::string("\x89PNG", 4)) << "quiet mode sends the signature alone";
        EXPECT_EQ(ask->speak, c.spoken);
        EXPECT_EQ(a.voice.question, c.heard.value_or("önceki"));
        EXPECT_EQ(a.voice.state, VoiceState::Thinking) << "the answer to the screenshot is still to come";
        EXPECT_EQ(a.voice.outside, c.outside_after);
        EXPECT_TRUE(a.voice.answer.empty()) << "the answer text itself is not shown";
        EXPECT_EQ(shared_chat().size(), 0u) << "no line of the island's own";
    }
}

#ifndef _WIN32  // Windows has a screen to read
TEST_F(GoogleUpdateTest, FailedScreenshotEndsTheQuestion) {
    App& a = start(false);  // the native build has no screen to read
    a.voice.state = VoiceState::Thinking;
    deliver({gupdate::Answer{std::nullopt, "", true, {call("screen_look")}}});
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(a.voice.state, VoiceState::Idle);
    EXPECT_EQ(a.notices.kind, HudKind::Info);
    EXPECT_EQ(a.notices.title, "Ekran görüntüsü alınamadı");
    EXPECT_EQ(a.notices.body, "");
}
#endif

// ---- Sign-in ------------------------------------------------------------------------------------------

TEST_F(GoogleUpdateTest, SignInAsksOnlyWhenSomethingIsMissing) {
    struct Case {
        const char* what;
        bool signed_in, needs_consent;
        bool sends;
        HudKind kind;
        const char *title, *body;
    } cases[] = {
        {"signed out", false, false, true, HudKind::Notice, "Google girişi tarayıcıda açılıyor",
         "Hesabını seç ve izin ver, ada kendisi bağlanır"},
        {"more consent needed", true, true, true, HudKind::Notice, "Google izinleri güncelleniyor",
         "Tarayıcıda izin ver: takvime ekleme, Görevler, Gmail okundu/arşiv"},
        {"already connected", true, false, false, HudKind::Info, "Google zaten bağlı", "ayse@example.com"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        App& a = start();
        a.google.snap.signed_in = c.signed_in;
        a.google.snap.needs_consent = c.needs_consent;
        a.google.snap.email = "ayse@example.com";
        a.start_google_sign_in();
        std::vector<GoogleCommand> out = sent();
        ASSERT_EQ(out.size(), c.sends ? 1u : 0u);
        if (c.sends) {
            EXPECT_TRUE(std::holds_alternative<gcmd::SignIn>(out[0]));
        }
        ASSERT_TRUE(a.notices.shown);
        EXPECT_EQ(a.notices.kind, c.kind);
        EXPECT_EQ(a.notices.title, c.title);
        EXPECT_EQ(a.notices.body, c.body);
    }
}
