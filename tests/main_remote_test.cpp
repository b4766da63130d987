// Remote commands inside a quiet App, and the island's acceptance rule for the
// copy-data message.
#include <string>

#include <gtest/gtest.h>

#include "app_fixture.h"
#include "main_remote.h"
#include "sys_log.h"

namespace {

constexpr uint8_t kNotify = 1, kRemind = 2, kCheckUpdate = 3, kAsk = 5;

std::string log_text() { return read_file(data_file("log.txt")).value_or(""); }

}  // namespace

using RemoteCommand = AppFixture;

TEST_F(RemoteCommand, NotifySplitsAtTheFirstMarkOnly) {
    struct Case { std::string payload, title, body; };
    const Case cases[] = {
        {"A\x01" "B\x01" "C", "A", "B\x01" "C"},
        {"", "", ""},
        {"Yalnız başlık", "Yalnız başlık", ""},
        {"\x01gövde", "", "gövde"},
    };
    for (const Case& c : cases) {
        App& app = make(true);
        EXPECT_EQ(handle_remote_command(app, kNotify, c.payload), RemoteOutcome::Handled);
        EXPECT_EQ(app.notices.title, c.title);
        EXPECT_EQ(app.notices.body, c.body);
        EXPECT_TRUE(app.notices.shown);
        EXPECT_EQ(app.notices.kind, HudKind::Notice);
    }
}

TEST_F(RemoteCommand, AskTakesALeadingMarkAsSpeakAndNeedsSignIn) {
    App& app = make(true);
    EXPECT_EQ(split_ask_payload("\x01").question, "");
    EXPECT_TRUE(split_ask_payload("\x01").speak);
    EXPECT_FALSE(split_ask_payload("a\x01").speak);
    // Signed out: refused, and the log says so with the question's length in characters.
    EXPECT_EQ(handle_remote_command(app, kAsk, "\x01"), RemoteOutcome::NotHandled);
    EXPECT_EQ(handle_remote_command(app, kAsk, "çay ne zaman"), RemoteOutcome::NotHandled);
    EXPECT_NE(log_text().find("sor: 0 karakter -> false"), std::string::npos);
    EXPECT_NE(log_text().find("sor: 12 karakter -> false"), std::string::npos);

    app.google.snap.signed_in = true;
    EXPECT_EQ(handle_remote_command(app, kAsk, "\x01"), RemoteOutcome::NotHandled);  // blank question
    EXPECT_EQ(handle_remote_command(app, kAsk, "\x01hava nasıl"), RemoteOutcome::Handled);
    EXPECT_EQ(app.voice.question, "hava nasıl");
    EXPECT_TRUE(app.voice.speak);
    EXPECT_EQ(app.voice.state, VoiceState::Thinking);
}

TEST_F(RemoteCommand, RemindSetsTheReminderAndNamesTheOneJustAdded) {
    App& app = make(true);
    EXPECT_EQ(handle_remote_command(app, kRemind, "anlamsız"), RemoteOutcome::NotHandled);
    EXPECT_TRUE(app.lists.reminders.empty());
    EXPECT_FALSE(app.notices.shown);

    ASSERT_EQ(handle_remote_command(app, kRemind, "2 saat sonra su iç"), RemoteOutcome::Handled);
    EXPECT_EQ(app.notices.title, "Hatırlatıcı kuruldu");
    EXPECT_EQ(app.notices.body.rfind("Su iç · ", 0), 0u) << app.notices.body;
    app.notices.shown = false;
    // Due sooner than the first one: the list's last entry is still "Su iç".
    ASSERT_EQ(handle_remote_command(app, kRemind, "10 dk sonra çay"), RemoteOutcome::Handled);
    ASSERT_EQ(app.lists.reminders.size(), 2u);
    EXPECT_EQ(app.lists.reminders.back().text, "Su iç");
    EXPECT_EQ(app.notices.body.rfind("Çay · ", 0), 0u) << app.notices.body;
    EXPECT_GT(app.notices.body.size(), std::string("Çay · ").size());
    EXPECT_NE(log_text().find("hatirlatici: 10 dk sonra çay -> "), std::string::npos);
}

TEST_F(RemoteCommand, UnknownKindsAreNotHandledAndUpdateCheckWithoutThreadIsHandled) {
    App& app = make(true);
    for (uint8_t kind : {uint8_t{0}, uint8_t{8}, uint8_t{255}})
        EXPECT_EQ(handle_remote_command(app, kind, "x"), RemoteOutcome::NotHandled) << int(kind);
    EXPECT_FALSE(app.notices.shown);
    EXPECT_EQ(handle_remote_command(app, kCheckUpdate, ""), RemoteOutcome::Handled);
    EXPECT_NE(log_text().find("update check requested"), std::string::npos);
}

TEST(RemoteCopyData, AcceptsOnlyTheTagAndCutsAt8192Bytes) {
    const std::string hello = "merhaba";
    EXPECT_FALSE(accept_copy_data(0x12345601, hello.data(), hello.size()));
    EXPECT_FALSE(accept_copy_data(REMOTE_TAG - 1, hello.data(), hello.size()));
    EXPECT_FALSE(accept_copy_data(REMOTE_TAG + 256, hello.data(), hello.size()));
    EXPECT_FALSE(accept_copy_data(REMOTE_TAG | 1, nullptr, 5));

    auto zero = accept_copy_data(REMOTE_TAG, hello.data(), hello.size());
    ASSERT_TRUE(zero);
    EXPECT_EQ(zero->kind, 0);  // accepted here; the command itself is then not handled
    auto empty = accept_copy_data(REMOTE_TAG | 3, nullptr, 0);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->kind, 3);
    EXPECT_EQ(empty->text, "");

    std::string big(10000, 'a');
    auto cut = accept_copy_data(REMOTE_TAG | 1, big.data(), big.size());
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->text, std::string(8192, 'a'));

    // "ş" is two bytes; the cut falls between them.
    std::string split = std::string(8191, 'a') + "ş";
    auto bad = accept_copy_data(REMOTE_TAG | 1, split.data(), split.size());
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->text, std::string(8191, 'a') + "\xEF\xBF\xBD");
}

TEST(RemoteCopyData, ExitCodeOfTheAnswer) {
    EXPECT_EQ(remote_exit_code(kRemoteHandled), 0);
    EXPECT_EQ(remote_exit_code(kRemoteRejected), 1);
    EXPECT_EQ(remote_exit_code(kRemoteNotHandled), 2);
    EXPECT_EQ(remote_exit_code(7), 2);
}
