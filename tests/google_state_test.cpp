// The named changes of the shared Google state, the new-mail rule and post_to_ui.
#include <gtest/gtest.h>

#include <stdexcept>

#include "google_state.h"

namespace {

MailItem mail(std::string id, bool unread) {
    MailItem m;
    m.id = std::move(id);
    m.unread = unread;
    return m;
}

std::string error_text(const GoogleUpdate& u) {
    const auto* e = std::get_if<gupdate::Error>(&u);
    return e ? e->text : "(not an error)";
}

TEST(GoogleState, StatusChangesAndTheirItems) {
    GoogleState s;
    set_client_state(s, false);
    EXPECT_EQ(s.status, "istemci dosyası yok");
    set_client_state(s, true);
    EXPECT_EQ(s.status, "bağlı değil");
    EXPECT_TRUE(s.client_ready);

    set_waiting_for_browser(s);
    EXPECT_EQ(s.status, "tarayıcıda giriş bekleniyor…");
    on_sign_in_failed(s, "izin verilmedi");
    EXPECT_EQ(s.status, "giriş başarısız: izin verilmedi");
    ASSERT_EQ(s.outbox.size(), 1u);
    EXPECT_EQ(error_text(s.outbox[0]), "Google girişi: izin verilmedi");

    on_client_missing(s);
    EXPECT_FALSE(s.client_ready);
    EXPECT_EQ(s.status, "istemci dosyası yok");
    EXPECT_EQ(error_text(s.outbox.back()), "Google istemci dosyası (client_secret…json) İndirilenler'de yok");

    ImageRef pic = std::make_shared<const Image>();
    on_signed_in(s, "a@b.c", "", pic, true);
    EXPECT_TRUE(s.signed_in);
    EXPECT_EQ(s.status, "bağlı");
    EXPECT_EQ(s.picture, pic);
    EXPECT_TRUE(s.needs_consent);
    const auto* c = std::get_if<gupdate::Connected>(&s.outbox.back());
    ASSERT_TRUE(c);
    EXPECT_EQ(c->label, "a@b.c") << "the e-mail stands in for an empty name";
    on_signed_in(s, "a@b.c", "Ali", nullptr, false);
    EXPECT_EQ(std::get<gupdate::Connected>(s.outbox.back()).label, "Ali");

    // While signed in the client state leaves the status alone.
    set_client_state(s, false);
    EXPECT_EQ(s.status, "bağlı");
    EXPECT_FALSE(s.client_ready);

    set_account(s, "x@y.z", "X", false);
    EXPECT_EQ(s.email, "x@y.z");
    EXPECT_EQ(s.name, "X");
    EXPECT_FALSE(s.needs_consent);
    set_picture(s, nullptr);
    EXPECT_EQ(s.picture, nullptr);
}

TEST(GoogleState, SignOutDropsPendingItemsButKeepsTheClient) {
    GoogleState s;
    s.client_ready = true;
    s.signed_in = s.needs_consent = s.gemini_busy = true;
    s.email = "a";
    s.unread = 4;
    s.mails = {mail("m", true)};
    s.chat = {ChatLine{"x", true}};
    s.picture = std::make_shared<const Image>();
    push_not_signed_in(s);
    reset_google_state(s);
    EXPECT_TRUE(s.client_ready);
    EXPECT_EQ(s.status, "bağlı değil");
    EXPECT_TRUE(s.outbox.empty());
    EXPECT_TRUE(s.mails.empty() && s.chat.empty() && s.email.empty());
    EXPECT_FALSE(s.signed_in || s.needs_consent || s.gemini_busy);
    EXPECT_EQ(s.unread, 0u);
    EXPECT_EQ(s.picture, nullptr);
}

TEST(GoogleState, MailChanges) {
    GoogleState s;
    set_mails(s, 2, {mail("a", true), mail("b", false), mail("a", true)}, {mail("a", true)});
    EXPECT_EQ(s.unread, 2u);
    ASSERT_EQ(s.outbox.size(), 1u);
    EXPECT_EQ(std::get<gupdate::NewMail>(s.outbox[0]).mail.id, "a");

    struct Case {
        std::string id;
        bool archive;
        uint32_t unread;
        size_t mails;
    } steps[] = {
        {"zz", false, 2, 3},  // not listed: nothing
        {"b", false, 2, 3},   // already read: the count stays
        {"a", false, 1, 3},   // only the first "a" is marked
        {"a", true, 1, 1},    // first "a" is read now: count stays, both go
        {"b", true, 1, 0},
    };
    for (auto& c : steps) {
        apply_mail_change(s, c.id, c.archive);
        EXPECT_EQ(s.unread, c.unread) << c.id << c.archive;
        EXPECT_EQ(s.mails.size(), c.mails) << c.id << c.archive;
    }
    s.mails = {mail("q", true)};
    s.unread = 0;
    apply_mail_change(s, "q", false);
    EXPECT_EQ(s.unread, 0u) << "never below zero";

    on_gmail_forbidden(s);
    EXPECT_TRUE(s.needs_consent);
    EXPECT_EQ(error_text(s.outbox.back()), "Gmail: izin yok, Google sayfasından izinleri güncelle");
    push_gmail_error(s, "500 x");
    EXPECT_EQ(error_text(s.outbox.back()), "Gmail: 500 x");
}

TEST(GoogleState, TaskAndEventItems) {
    GoogleState s;
    push_tasks_error(s, "404 y");
    push_task_add_error(s, "403 forbidden");
    push_task_add_error(s, "bağlantı yok");
    ASSERT_EQ(s.outbox.size(), 3u);
    EXPECT_EQ(error_text(s.outbox[0]), "Görevler: 404 y");
    EXPECT_EQ(error_text(s.outbox[1]), "Görev ekleyemedim: izin yok. Google sayfasından “İzinleri güncelle”ye bas.");
    EXPECT_EQ(error_text(s.outbox[2]), "Görev ekleyemedim (bağlantı yok).");

    EventItem e;
    e.id = "e";
    set_events(s, {e});
    set_tasks(s, {TaskItem{"t", "T", ""}});
    push_event_soon(s, e);
    EXPECT_EQ(s.events.size(), 1u);
    EXPECT_EQ(s.tasks.size(), 1u);
    EXPECT_EQ(std::get<gupdate::EventSoon>(s.outbox.back()).event.id, "e");

    struct Case {
        int64_t start;
        bool all_day, want;
    } soon[] = {{1600, false, true}, {1601, false, false}, {1000, false, false}, {999, false, false},
                {1001, false, true}, {1300, true, false}};
    for (auto& c : soon) {
        EventItem x;
        x.start = c.start;
        x.all_day = c.all_day;
        EXPECT_EQ(due_soon(x, 1000), c.want) << c.start;
    }
}

TEST(GoogleState, ChatQuestionsAndAnswers) {
    GoogleState s;
    set_chat_lines(s, std::vector<ChatLine>(40, ChatLine{"old", false}));
    push_question_line(s, "soru");
    EXPECT_TRUE(s.gemini_busy);
    EXPECT_EQ(s.chat.size(), 41u) << "a question does not trim";
    push_gemini_error(s, "bağlantı yok");
    EXPECT_FALSE(s.gemini_busy);
    EXPECT_EQ(error_text(s.outbox.back()), "Gemini: bağlantı yok");

    s.gemini_busy = true;
    std::vector<ToolCall> calls = {ToolCall{"timer_start", {{"minutes", 5}}}};
    push_answer(s, "m1", std::string("duydum"), "cevap", true, calls);
    EXPECT_FALSE(s.gemini_busy);
    EXPECT_EQ(s.model, "m1");
    ASSERT_EQ(s.chat.size(), 40u);
    EXPECT_EQ(s.chat[38].text, "duydum");
    EXPECT_TRUE(s.chat[38].user);
    EXPECT_EQ(s.chat[39].text, "cevap");
    EXPECT_FALSE(s.chat[39].user);
    EXPECT_EQ(s.chat[37].text, "soru");
    const auto& a = std::get<gupdate::Answer>(s.outbox.back());
    EXPECT_EQ(a.heard, std::optional<std::string>("duydum"));
    EXPECT_TRUE(a.speak);
    ASSERT_EQ(a.calls.size(), 1u);
    EXPECT_EQ(a.calls[0].args["minutes"], 5);

    push_answer(s, "m1", std::nullopt, "", false, {});
    EXPECT_EQ(s.chat.size(), 40u) << "an empty answer adds no line";
    EXPECT_EQ(std::get<gupdate::Answer>(s.outbox.back()).text, "");
}

TEST(GoogleState, OnlyUnreadMailNeverSeenBeforeIsNews) {
    MailWatch w;
    EXPECT_TRUE(w.fresh({mail("a", true), mail("b", true)}).empty()) << "the first poll only learns the inbox";
    auto news = w.fresh({mail("c", true), mail("d", false), mail("a", true), mail("b", true)});
    ASSERT_EQ(news.size(), 1u);
    EXPECT_EQ(news[0].id, "c");
    EXPECT_TRUE(w.fresh({mail("d", true), mail("c", true)}).empty()) << "d was seen while read";
    w.reset();
    EXPECT_TRUE(w.fresh({mail("e", true)}).empty()) << "after a new sign-in the first poll is silent again";
    EXPECT_EQ(w.fresh({mail("f", true)}).size(), 1u);
}

TEST(GoogleState, PostToUiNotifiesEvenWhenTheLockIsPoisoned) {
    Shared<GoogleState> state;
    int posted = 0;
    GoogleNotify notify = [&] { ++posted; };
    post_to_ui(state, notify, [](GoogleState& s) { push_not_signed_in(s); });
    EXPECT_EQ(posted, 1);
    EXPECT_EQ(state.snapshot()->outbox.size(), 1u);

    post_to_ui(state, notify, [](GoogleState& s) {
        s.status = "half";
        throw std::runtime_error("broken change");
    });
    EXPECT_EQ(posted, 2);
    EXPECT_TRUE(state.poisoned());
    bool ran = false;
    post_to_ui(state, notify, [&](GoogleState&) { ran = true; });
    EXPECT_FALSE(ran) << "a poisoned state is left alone";
    EXPECT_EQ(posted, 3);
}

}  // namespace
