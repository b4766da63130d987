// The Google, assistant and voice scenes of the screenshot script (50 to 68).
// The script plays the Google worker: it changes the shared Google state with
// the worker's own named changes and hands the outbox to the App as the
// worker's wake-up message does, and it judges what the App asked of the worker
// by draining the request channel. Voice arrives through capture pairs without
// a recording thread and through the wake-hit slot; the assistant's tool calls
// go through the App's executor.
//
// Index
//   Playing the worker
//   Sample account, mail, events, chat and voice
//   50-54b sign-in, banners and the Google page
//   55-61 the Gemini chat and voice questions
//   62-66b search, wake word, answer bubbles, clips and notes
//   67-68 calendar, tools, quiet banners, morning brief, settings, sign-out
#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include <fmt/format.h>

#include "google_state.h"
#include "google_text.h"
#include "shots.h"
#include "shots_script.h"
#include "voice.h"
#include "wake.h"

namespace {

// ---- Playing the worker ---------------------------------------------------------------------------

constexpr const char* kModel = "gemini-2.5-flash";  // the model the worker names in its answers

struct GoogleScript : ShotScript {
    Receiver<GoogleCommand> requests;
    int64_t now_unix = 0;

    // One named change under the state's lock, then the App takes the state and
    // its outbox in, as WM_APP_GOOGLE makes it do.
    template <class F>
    void post(F&& change) {
        post_to_ui(a.google.shared, [this] { a.on_google_update(); }, std::forward<F>(change));
    }
    // Whether a request of kind C (and, when given, passing `ok`) reached the
    // worker since the last look; every request seen so far is consumed.
    template <class C>
    bool asked(const std::function<bool(const C&)>& ok = {}) {
        bool found = false;
        while (std::optional<GoogleCommand> cmd = requests.try_recv())
            if (const C* c = std::get_if<C>(&*cmd); c && (!ok || ok(*c))) found = true;
        return found;
    }
    // Forgets the requests that no check judges.
    void drain() {
        while (requests.try_recv()) {
        }
    }
    // The worker takes a question: its line goes to the chat, then the answer follows.
    void worker_answers(std::string_view question, std::string_view answer) {
        post([&](GoogleState& s) { push_question_line(s, question); });
        post([&](GoogleState& s) { push_answer(s, kModel, std::nullopt, answer, false, {}); });
    }
    bool voice_is(VoiceState v) const { return a.voice.state == v; }
    // A toast of a chat app, as the notification watcher hands it over.
    void app_banner(uint32_t id, std::string body) {
        AppNotification n;
        n.app = "Discord";
        n.app_id = "com.squirrel.Discord.Discord";
        n.title = "Mert";
        n.body = std::move(body);
        n.time = "20:15";
        n.id = id;
        a.notifs.list.insert(a.notifs.list.begin(), n);
        ++a.notifs.unread_badge;
        a.push_toast(std::move(n));
    }
    std::optional<std::string> tool(const char* name, nlohmann::json args) {
        return a.run_tool_call(ToolCall{name, std::move(args)});
    }
};

// ---- Sample account, mail, events, chat and voice -----------------------------------------------------

constexpr const char* kAccountName = "Deniz Yılmaz";
constexpr const char* kAccountEmail = "deniz.yilmaz@example.com";

std::vector<MailItem> sample_inbox() {
    return {make_fake_mail('1', "GitHub", "[vemo-island] Yeni sürüm yayınlandı", true),
            make_fake_mail('2', "Steam", "İstek listendeki bir oyun indirimde!", true),
            make_fake_mail('3', "Örnek Kişi", "Cuma akşamı planı", true),
            make_fake_mail('4', "Google", "Güvenlik uyarısı: yeni giriş", false)};
}

EventItem dentist(int64_t now) {
    return {"e1", "Diş hekimi randevusu", "https://calendar.google.com/calendar/event?eid=e1", now + 9 * 60 - 30, false};
}

// The dentist soon, a meeting tomorrow, a birthday the day after and two more later this month.
std::vector<EventItem> sample_events(int64_t now, int64_t offset) {
    const int64_t day = 86'400;
    const int64_t midnight = (now + offset) / day * day - offset;
    return {dentist(now),
            {"e2", "Proje toplantısı", "", midnight + day + 10 * 3600, false},
            {"e3", "Ayşe'nin doğum günü", "", midnight + 2 * day, true},
            {"e4", "Sunum provası", "", midnight + 5 * day + 14 * 3600 + 30 * 60, false},
            {"e5", "Kuaför", "", midnight + 9 * day + 11 * 3600, false}};
}

std::vector<TaskItem> sample_tasks(int64_t now, int64_t offset) {
    const CivilDate d = civil_from_unix_at(now + 86'400, offset);
    return {{"t1", "Faturayı öde", fmt::format("{}-{:02}-{:02}", d.year, d.month, d.day)}, {"t2", "Kargo iadesi", ""}};
}

const char* const kMailSummary =
    "Gelen kutunda 3 okunmamış e-posta var: GitHub'dan vemo-island'ın yeni sürüm duyurusu, Steam'den istek "
    "listendeki bir oyunun indirimi ve Örnek Kişi'den cuma akşamı planı.";

std::vector<ChatLine> long_chat() {
    return {
        {"C++'ta bir vector'ü yerinde nasıl sıralarım?", true},
        {"En kısa yol std::sort: elemanları yerinde, ek bellek ayırmadan sıralar.\n\n"
         "#include <algorithm>\nstd::vector<int> v{5, 2, 9, 1};\nstd::sort(v.begin(), v.end());\n\n"
         "Büyükten küçüğe için üçüncü bağımsız değişken olarak std::greater<int>() ver. Kendi türlerin için "
         "bir karşılaştırma lambdası yazabilirsin: [](const Kisi& a, const Kisi& b) { return a.yas < b.yas; }.\n\n"
         "Eşit elemanların sırası korunsun istiyorsan std::stable_sort kullan; o biraz daha yavaştır ve ek bellek "
         "kullanabilir. C++20 ile std::ranges::sort(v) de aynı işi yapar ve projeksiyon alır: "
         "std::ranges::sort(kisiler, {}, &Kisi::yas).\n\nKarmaşıklık ortalama O(n log n); küçük dizilerde fark "
         "edilmez, milyonlarca elemanda bile birkaç yüz milisaniye sürer.",
         false},
        {"Peki sadece ilk 10 elemanı sıralı istersem?", true},
        {"O zaman std::partial_sort(v.begin(), v.begin() + 10, v.end()) kullan: yalnızca ilk 10 eleman sıralı "
         "olur, geri kalanı belirsiz sırada kalır. Tamamını sıralamaktan daha hızlıdır, O(n log 10) civarı.",
         false},
    };
}

// About 1.8 s of a voiced sound at 16 kHz: a pitch with two overtones under a rising and falling envelope.
std::vector<int16_t> spoken_question() {
    std::vector<int16_t> out(static_cast<size_t>(1.8 * kSampleRate));
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double envelope = std::sin(3.14159265 * t / 1.8) * (0.6 + 0.4 * std::sin(2 * 3.14159265 * 3.1 * t));
        const double v = std::sin(2 * 3.14159265 * 180 * t) + 0.5 * std::sin(2 * 3.14159265 * 360 * t) +
                         0.25 * std::sin(2 * 3.14159265 * 540 * t);
        out[i] = static_cast<int16_t>(9000 * envelope * v / 1.75);
    }
    return out;
}

// The producer half ends its recording with an error text (nothing heard).
void end_unheard(const MicCapture& producer) {
    producer.cells->error.with([](std::optional<std::string>& e) { e = "ses duyulmadı"; });
    producer.cells->done.store(true);
}

// ---- 50-54b ------------------------------------------------------------------------------------------

void sign_in_and_banners(GoogleScript& s) {
    App& a = s.a;
    s.post([](GoogleState& g) {
        reset_google_state(g);
        set_client_state(g, true);
    });
    s.open_page(Page::Google);
    s.ticks(120);
    s.shot("50-google-signed-out");
    s.check("Google page offers sign-in", s.offers(Action::of(ActionKind::GSignIn)));
    s.click(Action::of(ActionKind::GSignIn));
    s.check("sign-in button asks the worker", s.asked<gcmd::SignIn>());
    s.post([](GoogleState& g) { set_waiting_for_browser(g); });

    s.open_page(Page::Gemini);
    s.ticks(120);
    s.shot("51-gemini-signed-out");
    // The voice key is pressed once the island is closed again.
    s.escape_closed();
    s.ticks(24);
    a.start_voice();
    s.ticks(24);
    s.check("voice needs a Google sign-in first",
            s.voice_is(VoiceState::Idle) && s.mode_is(IslandMode::hud(HudKind::Info)));
    s.ticks(36);
    const int64_t offset = a.wall_utc_offset();
    const ImageRef picture = make_test_image(96);
    s.post([&](GoogleState& g) {
        set_account(g, kAccountEmail, kAccountName, false);
        set_picture(g, picture);
        set_mails(g, 3, sample_inbox(), {});
        set_events(g, {dentist(s.now_unix)});
        set_tasks(g, sample_tasks(s.now_unix, offset));
    });
    s.ticks(120);
    s.post([&](GoogleState& g) { on_signed_in(g, kAccountEmail, kAccountName, picture, false); });
    s.ticks(72);
    s.check("sign-in shows a banner", s.hud_is(HudKind::Notice) && a.notices.title == "Google'a bağlandı");

    // The greeting is tapped away; the next poll finds a new mail.
    s.tap();
    s.ticks(24);
    std::vector<MailItem> inbox = sample_inbox();
    const MailItem fresh = make_fake_mail('5', "Örnek Kişi", "Cuma akşamı planı", true);
    inbox.insert(inbox.begin(), fresh);
    s.post([&](GoogleState& g) { set_mails(g, 4, inbox, {fresh}); });
    s.ticks(120);
    s.shot("52-mail-banner");
    s.check("new Gmail message banner", s.mode_is(IslandMode::hud(HudKind::Mail)) && a.notices.title == "Örnek Kişi");

    s.post([&](GoogleState& g) { push_event_soon(g, dentist(s.now_unix)); });
    s.ticks(120);
    s.shot("53-event-banner");
    s.check("upcoming event banner",
            s.mode_is(IslandMode::hud(HudKind::Event)) && a.notices.body == "Diş hekimi randevusu");
    s.tap();
    s.ticks(120);
    s.check("tapping the event opens the Google page", s.mode_is(IslandMode::open(Page::Google)));

    s.open_page(Page::Google);
    s.ticks(120);
    s.shot("54-google-page");

    s.post([](GoogleState& g) { g.needs_consent = true; });
    s.ticks(60);
    s.shot("54b-google-needs-scopes");
    s.check("old permissions offer an upgrade", s.offers(Action::of(ActionKind::GSignIn)));
    s.check("Google page lists mail and events",
            s.offers(Action::at(ActionKind::GMail, 0)) && s.offers(Action::at(ActionKind::GEvent, 0)));
    s.click(Action::of(ActionKind::GRefresh));
    s.check("refresh reaches the worker", s.asked<gcmd::Refresh>());
    s.post([](GoogleState& g) { g.needs_consent = false; });
}

// ---- 55-61 -------------------------------------------------------------------------------------------

void chat_and_voice(GoogleScript& s) {
    App& a = s.a;
    s.post([](GoogleState& g) { set_chat_lines(g, {}); });
    s.open_page(Page::Gemini);
    s.ticks(120);
    s.shot("55-gemini-empty");
    s.check("Gemini page shows suggestions", s.offers(Action::byte(ActionKind::GSuggest, 0)) &&
                                                 s.offers(Action::byte(ActionKind::GSuggest, 1)) &&
                                                 s.offers(Action::byte(ActionKind::GSuggest, 2)));
    s.click(Action::byte(ActionKind::GSuggest, 0));
    s.check("suggestion is asked",
            s.asked<gcmd::Ask>([](const gcmd::Ask& q) { return q.question == "E-postalarımı özetle"; }));
    s.worker_answers("E-postalarımı özetle", kMailSummary);

    s.ticks(24);
    s.focus(TextField::Gemini);
    s.type("Merhaba Gemini");
    s.ticks(24);
    s.shot("55b-gemini-typing");
    s.enter();
    s.check("Enter sends the question",
            s.asked<gcmd::Ask>([](const gcmd::Ask& q) { return q.question == "Merhaba Gemini"; }));

    s.post([](GoogleState& g) { push_question_line(g, "Merhaba Gemini"); });
    a.google.assistant_thinking = true;
    s.ticks(120);
    s.shot("56-gemini-thinking");
    s.check("thinking bubble keeps animating", a.google.assistant_thinking && a.is_animating());

    a.google.assistant_thinking = false;
    s.post([](GoogleState& g) {
        set_chat_lines(g, long_chat());
        g.gemini_busy = false;
    });
    s.ticks(180);
    s.shot("57-gemini-chat");
    s.check("long chat scrolls to the newest answer",
            a.google.chat_scroll_max > 0 && std::fabs(a.google.chat_scroll - a.google.chat_scroll_max) <= 2);

    a.on_wheel(3 * 120, false);
    s.ticks(120);
    s.shot("57b-gemini-scrolled-up");
    s.check("wheel scrolls the chat up", a.google.chat_scroll < a.google.chat_scroll_max - 2);
    // A press held on the closed island starts listening; its quick release keeps it going.
    s.escape_closed();
    s.ticks(48);
    const float px = kIslandCentreX, py = kIslandTop + a.anim.height.value / 2;
    (void)a.on_pointer_move(px, py);
    (void)a.on_pointer_down(px, py);
    s.ticks(84);
    s.check("long-press starts listening", s.voice_is(VoiceState::Listening));
    (void)a.on_click(px, py);
    s.ticks(36);
    s.check("a quick long-press keeps listening hands-free", s.voice_is(VoiceState::Listening));

    // The recording, as the microphone thread would fill it.
    a.on_pointer_leave();
    auto [heard, mic] = MicCapture::new_pair();
    a.voice.capture = heard;
    for (int i = 0; i < 48; ++i) {
        mic.set_level(0.35f + 0.3f * static_cast<float>(std::sin(0.35 * i)));
        s.ticks(1);
    }
    s.shot("58-voice-listening");

    mic.cells->samples.with([](std::vector<int16_t>& v) { v = spoken_question(); });
    mic.set_level(0);
    mic.cells->done.store(true);
    s.ticks(72);
    s.shot("59-voice-thinking");
    s.drain();  // the recording went to the worker as a voice question

    s.post([](GoogleState& g) {
        push_answer(g, kModel, std::string("yarın hava nasıl olacak"),
                    "Yarın İstanbul'da hava parçalı bulutlu, en yüksek 12, en düşük 7 derece. Öğleden sonra yağmur "
                    "ihtimali yüzde 80, şemsiyeni yanına al.",
                    true, {});
    });
    s.ticks(120);
    s.shot("60-voice-answer");
    s.check("spoken question gets an answer banner",
            s.voice_is(VoiceState::Answer) && s.mode_is(IslandMode::hud(HudKind::Voice)));
    s.tap();
    s.ticks(120);
    s.check("tapping the answer opens Gemini", s.mode_is(IslandMode::open(Page::Gemini)) && s.voice_is(VoiceState::Idle));
    (void)a.ask_assistant("Bugün ne giysem?", false);
    s.post([](GoogleState& g) { push_question_line(g, "Bugün ne giysem?"); });
    s.ticks(120);
    s.check("quick ask starts thinking", s.voice_is(VoiceState::Thinking));
    s.post([](GoogleState& g) { push_answer(g, kModel, std::nullopt, "Hava serin, ince bir mont yeterli.", false, {}); });
    s.ticks(96);
    s.check("quick answer shown", s.voice_is(VoiceState::Answer) && a.voice.answer.size() > 9);

    s.shot("61-quick-answer");
    a.notices.until = a.now;  // the answer's time is up
    s.ticks(120);
    s.check("voice state resets after the banner", s.voice_is(VoiceState::Idle));
    (void)a.ask_assistant("Bu akşam maç var mı?", false);
    s.post([](GoogleState& g) { push_question_line(g, "Bu akşam maç var mı?"); });
    s.post([](GoogleState& g) { push_gemini_error(g, "429 kota doldu"); });
    s.ticks(72);
    s.check("Gemini error resets the assistant",
            s.voice_is(VoiceState::Idle) && a.notices.shown && a.notices.title == "Gemini: 429 kota doldu");
    s.drain();
}

// ---- 62-66b ------------------------------------------------------------------------------------------

void search_wake_bubbles_clips_notes(GoogleScript& s) {
    App& a = s.a;
    s.open_page(Page::Search);
    s.ticks(24);
    s.focus(TextField::Search);
    a.search_page.text.clear();
    a.update_search();
    s.type("yarın hava nasıl");
    s.ticks(120);
    s.shot("62-search-ask-gemini");
    std::optional<uint8_t> gemini_row;
    for (size_t i = 0; i < a.search_page.rows.size() && !gemini_row; ++i)
        if (a.search_page.rows[i].kind == SearchRowKind::Gemini) gemini_row = static_cast<uint8_t>(i);
    s.check("search offers Gemini", gemini_row.has_value());
    s.click(Action::byte(ActionKind::Res, gemini_row.value_or(0)));
    s.ticks(120);
    s.check("Gemini item asks and opens the chat",
            s.asked<gcmd::Ask>([](const gcmd::Ask& q) { return q.question == "yarın hava nasıl"; }) &&
                s.mode_is(IslandMode::open(Page::Gemini)));
    s.worker_answers("yarın hava nasıl", "Yarın parçalı bulutlu, 7 ile 12 derece arası; öğleden sonra yağmur bekleniyor.");

    a.start_wake_teaching();
    s.ticks(120);
    s.shot("63-wake-teach");
    s.check("teaching shows the 1/3 prompt", a.voice.teaching.takes && a.voice.teaching.take == 0 &&
                                                 s.voice_is(VoiceState::Listening) && s.hud_is(HudKind::Voice));
    // Nothing is said: each take ends unheard until the run gives up.
    for (int take = 0; take < 3 && a.voice.teaching.takes; ++take) {
        auto [ui, producer] = MicCapture::new_pair();
        end_unheard(producer);
        a.voice.capture = ui;
        s.ticks(120);
    }
    auto [hit, listener] = MicCapture::new_pair();
    put_wake_hit(hit);
    a.on_wake_heard();
    s.ticks(60);
    s.check("wake word starts listening with the handed-over recording",
            s.voice_is(VoiceState::Listening) && a.voice.capture && a.voice.capture->cells == listener.cells);
    end_unheard(listener);
    s.ticks(24);

    s.open_page(Page::Gemini);
    s.ticks(24);
    s.click(Action::of(ActionKind::GClear));
    if (s.asked<gcmd::ClearChat>()) s.post([](GoogleState& g) { set_chat_lines(g, {}); });
    s.ticks(120);
    s.shot("64-gemini-teach-button");
    s.check("Gemini page offers wake-word teaching", s.offers(Action::of(ActionKind::WakeTeach)));

    s.post([](GoogleState& g) {
        set_chat_lines(g, {{"Bu hafta sonu İstanbul'da ne yapabilirim?", true},
                           {"Cumartesi hava güneşli: sabah Emirgan Korusu'nda yürüyüş, öğleden sonra Karaköy'de bir "
                            "sergi ve akşam Moda sahilinde gün batımı iyi bir plan olur.",
                            false}});
    });
    s.ticks(24);
    s.hover(Action::at(ActionKind::GMsg, 1));
    s.ticks(72);
    s.shot("65-gemini-bubble-actions");
    s.check("assistant bubble offers copy and speak",
            s.offers(Action::at(ActionKind::GCopy, 1)) && s.offers(Action::at(ActionKind::GSpeak, 1)));

    ClipEntry note{"", ClipEntry::Text{"Toplantı notları: bütçe onaylandı, lansman 14 Mart'a kaydı, tasarım ekibi yeni "
                                       "logoyu cuma günü sunacak, müşteri anketinin sonuçları ay sonunda paylaşılacak."},
                   0, false};
    note.time = "20:05";
    note.id = a.lists.next_id++;
    a.lists.clips.insert(a.lists.clips.begin(), std::move(note));
    s.open_page(Page::Clip);
    s.ticks(24);
    s.hover(Action::at(ActionKind::Clip, 0));
    s.ticks(72);
    s.shot("66-clip-gemini");
    s.check("text clip offers translate / summarize",
            s.offers(Action::both(ActionKind::ClipAsk, 0, 1)) && s.offers(Action::both(ActionKind::ClipAsk, 0, 0)));
    s.click(Action::both(ActionKind::ClipAsk, 0, 0));
    s.ticks(60);
    s.check("summarize asks Gemini and opens the chat",
            s.asked<gcmd::AskLabelled>([](const gcmd::AskLabelled& q) { return q.label.starts_with("Özetle: "); }) &&
                s.mode_is(IslandMode::open(Page::Gemini)));
    bool text_clip = false;
    for (const ClipEntry& c : a.lists.clips) text_clip |= std::holds_alternative<ClipEntry::Text>(c.kind);
    s.check("a text clip exists for the Gemini buttons", text_clip);
    s.worker_answers("Özetle: Toplantı notları…",
                     "• Bütçe onaylandı\n• Lansman 14 Mart'a kaydı\n• Yeni logo cuma sunulacak\n• Anket sonuçları ay "
                     "sonunda");

    s.open_page(Page::Notes);
    s.ticks(24);
    s.focus(TextField::Note);
    s.type("Kargo iadesini yap");
    s.enter();
    s.ticks(24);
    s.hover(Action::at(ActionKind::Note, 0));
    s.ticks(72);
    s.shot("66b-note-to-tasks");
    s.click(Action::at(ActionKind::NoteTask, 0));
    s.check("a note can be sent to Google Tasks",
            s.asked<gcmd::AddTask>([](const gcmd::AddTask& t) { return t.title == "Kargo iadesini yap"; }));
}

// ---- 67-68 -------------------------------------------------------------------------------------------

void calendar_tools_brief_sign_out(GoogleScript& s) {
    App& a = s.a;
    s.post([&](GoogleState& g) { set_events(g, sample_events(s.now_unix, a.wall_utc_offset())); });
    s.open_page(Page::Calendar);
    s.ticks(96);
    s.shot("67-calendar-google-dots");

    s.open_page(Page::Search);
    s.ticks(24);
    s.focus(TextField::Search);
    a.search_page.text.clear();
    a.update_search();
    s.type("çevir: good morning");
    s.ticks(24);
    bool translate = false;
    for (const SearchRow& r : a.search_page.rows)
        translate |= r.kind == SearchRowKind::Gemini && r.title.starts_with("Gemini ile çevir");
    s.check("search offers Gemini translation", translate);
    s.escape_closed();

    (void)s.tool("timer_start", {{"minutes", 5}});
    s.check("Gemini starts a timer", a.timers.countdown.running && a.timers.countdown.length == 300);
    (void)s.tool("timer_stop", nlohmann::json::object());
    s.check("Gemini stops the timer", !a.timers.countdown.running);
    (void)s.tool("stopwatch", {{"action", "reset"}});
    (void)s.tool("stopwatch", {{"action", "start"}});
    s.check("Gemini starts the stopwatch", a.timers.stopwatch.running);
    (void)s.tool("music_play", {{"query", "Duman"}});
    bool music = false;
    for (const PendingEffect& p : a.effects.pending)
        if (const auto* open = std::get_if<effect::OpenUrl>(&p.effect)) music |= open->target == "spotify:search:Duman";
    s.check("Gemini opens a music search", music);
    (void)s.tool("dnd_set", {{"on", true}});
    s.check("Gemini turns on do-not-disturb", a.settings.dnd);

    s.ticks(36);
    s.app_banner(11, "maç başlıyor, gel");
    s.ticks(60);
    s.check("do-not-disturb hides app banners", !s.hud_is(HudKind::Toast));
    (void)s.tool("dnd_set", {{"on", false}});
    (void)s.tool("pomodoro_start", nlohmann::json::object());
    s.app_banner(12, "lobiyi kurdum, hadi");
    s.ticks(60);
    s.check("pomodoro focus hides app banners", a.timers.pomo.running && !s.hud_is(HudKind::Toast));
    (void)s.tool("timer_stop", nlohmann::json::object());
    s.app_banner(13, "geliyor musun?");
    s.ticks(60);
    s.check("banners are back afterwards", s.mode_is(IslandMode::hud(HudKind::Toast)));

    auto [title, body] = a.day_summary_text();
    s.run.report.text += fmt::format(" brief: {} | {}\n", title, body);
    s.check("morning brief greets and summarises",
            title.starts_with("Günaydın") && body.find("okunmamış") != std::string::npos);
    a.notify(title, body);  // waits behind the banner

    a.notices.until = a.now;
    s.ticks(120);
    s.shot("68-morning-brief");
    wake_sensitivity.store(1.18f);
    s.check("wake sensitivity is adjustable", true);
    wake_sensitivity.store(1.0f);
    s.open_page(Page::Settings);
    s.ticks(96);
    s.check("settings link to the website", s.offers(Action::of(ActionKind::Website)));
    s.open_page(Page::Google);
    s.ticks(72);
    s.click(Action::of(ActionKind::GSignOut));
    s.check("sign-out reaches the worker", s.asked<gcmd::SignOut>());
    s.post([](GoogleState& g) { reset_google_state(g); });
    s.ticks(96);
}

}  // namespace

void run_shots_google_scenes(ShotsRun& run) {
    App& a = run.app;
    auto [tx, rx] = channel<GoogleCommand>();
    a.google.tx = tx;  // the App's old sending end is dropped
    // The wall clock stands still from here: event times, banners and the brief
    // read one instant, and the scenes take as long as the renderer needs
    // without a reminder of the earlier scenes falling due in the middle.
    a.wall_clock.unix_seconds = a.wall_unix();
    GoogleScript s{{run, a}, std::move(rx), *a.wall_clock.unix_seconds};
    s.stop_timer_alarm();
    sign_in_and_banners(s);
    chat_and_voice(s);
    search_wake_bubbles_clips_notes(s);
    calendar_tools_brief_sign_out(s);
    s.ticks(120);
}
