// The launcher through the App: rows rebuilt from the query and the installed
// apps, each row kind run, and reminders added from a phrase.
#include "app_input_support.h"
#include "sys_clipboard.h"
#include "sys_text.h"

namespace {

struct SearchTest : IslandTest {
    void SetUp() override {
        IslandTest::SetUp();
        app->island.page = Page::Search;
        app->island.focus = TextField::Search;
    }
    void install(std::vector<std::string> names) {
        std::vector<AppEntry> apps;
        for (auto& n : names) apps.push_back(AppEntry{n, fold_search_text(n), n + ".id"});
        publish_apps(app->search_page.apps, std::move(apps));
    }
    std::string kinds() const {
        static const char* const names[] = {"App", "Setting", "Reminder", "Gemini", "Calc", "Link", "Web"};
        std::string out;
        for (const auto& r : app->search_page.rows) out += std::string(names[static_cast<size_t>(r.kind)]) + " ";
        return out;
    }
    void query(const char* q) {
        app->search_page.text = q;
        app->update_search();
    }
};

TEST_F(SearchTest, AddReminderKeepsTheListAndSaves) {
    EXPECT_FALSE(app->add_reminder("süt al"));
    EXPECT_FALSE(saved());
    uint64_t id = app->lists.next_id;
    EXPECT_EQ(app->add_reminder("10 dk sonra çamaşır"), std::optional<std::string>("10 dk sonra"));
    ASSERT_EQ(app->lists.reminders.size(), 1u);
    EXPECT_EQ(app->lists.reminders[0].text, "Çamaşır");
    EXPECT_EQ(app->lists.reminders[0].id, id);
    EXPECT_EQ(app->lists.next_id, id + 1);
    EXPECT_NEAR(static_cast<double>(app->lists.reminders[0].due - unix_now_secs()), 600.0, 5.0);
    EXPECT_NE(state().find("|Çamaşır\n"), std::string::npos);
}

TEST_F(SearchTest, RowsFollowTheQueryAndTheInstalledApps) {
    install({"Hesap Makinesi", "Not Defteri"});
    app->search_page.sel = 2;
    query("hesap");
    EXPECT_EQ(kinds(), "App Setting Web ");
    EXPECT_EQ(app->search_page.sel, 0u);
    app->google.snap.signed_in = true;
    query("hesap");
    EXPECT_EQ(kinds(), "App Setting Gemini Web ");
    query("2+3");
    EXPECT_EQ(kinds(), "Calc Web ");  // a calculation blocks the assistant's row
    EXPECT_EQ(app->search_page.rows[0].title, "= 5");
    query("   ");
    EXPECT_EQ(kinds(), "");

    // A poisoned apps list gives no app rows, and no failure.
    try {
        app->search_page.apps.with([](AppsIndex&) { throw 1; });
    } catch (int) {
    }
    query("hesap");
    EXPECT_EQ(kinds(), "Setting Gemini Web ");
}

TEST_F(SearchTest, RowsThatOpenSomethingHandTheDesktopOver) {
    install({"Hesap Makinesi"});
    struct Case { const char* q; size_t row; const char* effect; };
    const Case cases[] = {
        {"hesap", 0, "OpenUrl(shell:AppsFolder\\Hesap Makinesi.id)"},
        {"hesap", 1, "OpenUrl(ms-settings:yourinfo)"},
        {"hesap", 2, "OpenUrl(https://www.google.com/search?q=hesap)"},
        {"example.com", 0, "OpenUrl(https://example.com)"},
        {"bluetooth", 0, "OpenUrl(ms-settings:bluetooth)"},
    };
    for (const auto& c : cases) {
        app->island.open = true;
        app->island.focus = TextField::Search;
        app->effects.pending.clear();
        query(c.q);
        EXPECT_EQ(effect_text(app->run_search_row(c.row)), c.effect) << c.q;
        EXPECT_FALSE(app->island.open);
        EXPECT_TRUE(app->effects.pending.empty()) << c.q;
        EXPECT_EQ(app->search_page.text, "");
        EXPECT_TRUE(app->search_page.rows.empty());
    }
}

TEST_F(SearchTest, EnterRunsTheSelectedRow) {
    query("example.com");
    app->on_key(40, false);  // Down: the web row
    EXPECT_EQ(effect_text(app->on_key(13, false)), "OpenUrl(https://www.google.com/search?q=example.com)");
    EXPECT_EQ(effect_text(app->run_search_row(0)), "none");  // the rows are gone
}

TEST_F(SearchTest, CalcRowCopiesTheResultWithoutRecordingIt) {
    app->now = 20;
    query("2*21");
    EXPECT_EQ(effect_text(app->act(Action::byte(ActionKind::Res, 0))), "none");
    EXPECT_EQ(get_clipboard_text(nullptr), std::optional<std::string>("42"));
    EXPECT_DOUBLE_EQ(app->lists.ignore_clipboard_until, 20.5);
    EXPECT_FALSE(app->island.open);
    EXPECT_EQ(pending(), std::vector<std::string>{"+0.00:RestoreFocus"});
    EXPECT_TRUE(app->notices.shown);
    EXPECT_EQ(app->notices.kind, HudKind::Clipboard);
    EXPECT_EQ(app->notices.title, "= 42");
    EXPECT_DOUBLE_EQ(app->notices.until, 21.8);
    EXPECT_EQ(app->search_page.text, "");
}

#ifndef _WIN32
TEST_F(SearchTest, QuietCalcRowShowsTheNoticeButCopiesNothing) {
    make(true);
    int writes = fake_clipboard().writes;
    app->search_page.text = "2+3";
    app->update_search();
    app->run_search_row(0);
    EXPECT_EQ(fake_clipboard().writes, writes);
    EXPECT_EQ(app->notices.title, "= 5");
    EXPECT_EQ(app->notices.kind, HudKind::Clipboard);
}
#endif

TEST_F(SearchTest, ReminderRowSaysWhetherTheReminderWasSet) {
    query("10 dk sonra çay");
    ASSERT_EQ(app->search_page.rows.at(0).kind, SearchRowKind::Reminder);
    app->run_search_row(0);
    ASSERT_EQ(app->lists.reminders.size(), 1u);
    EXPECT_FALSE(app->island.open);
    EXPECT_EQ(app->notices.kind, HudKind::Info);
    EXPECT_EQ(app->notices.title, "Hatırlatıcı kuruldu");
    EXPECT_EQ(app->notices.body, "10 dk sonra");

    // A row whose phrase no longer reads as a reminder adds nothing and says so.
    app->island.open = true;
    app->search_page.rows = {SearchRow{SearchRowKind::Reminder, "çay demle", "çay demle · 10 dk sonra", "Hatırlatıcı kur"}};
    app->run_search_row(0);
    EXPECT_EQ(app->lists.reminders.size(), 1u);
    EXPECT_EQ(app->notices.title, "Hatırlatıcı kurulamadı");
    EXPECT_EQ(app->notices.body, "");
}

TEST_F(SearchTest, AssistantRowAsksAndShowsTheChat) {
    auto [tx, rx] = channel<GoogleCommand>();
    app->google.tx = tx;
    app->google.snap.signed_in = true;
    query("çevir merhaba");
    ASSERT_EQ(app->search_page.rows.at(0).kind, SearchRowKind::Gemini);
    app->run_search_row(0);
    auto sent = rx.try_recv();
    ASSERT_TRUE(sent && std::holds_alternative<gcmd::Ask>(*sent));
    EXPECT_EQ(std::get<gcmd::Ask>(*sent).question,
              "Şunu çevir (Türkçeyse İngilizceye, değilse Türkçeye), sadece çeviriyi yaz: merhaba");
    EXPECT_TRUE(app->island.open);
    EXPECT_EQ(app->island.page, Page::Gemini);
    EXPECT_EQ(app->island.remembered_page, Page::Gemini);
    EXPECT_EQ(app->island.focus, TextField::None);
    EXPECT_TRUE(app->search_page.rows.empty());
}

TEST_F(SearchTest, TypingAndDeletingRebuildTheRows) {
    app->on_char(U'2');
    app->on_char(U'+');
    app->on_char(U'2');
    EXPECT_EQ(kinds(), "Calc Web ");
    app->on_key(8, true);  // Ctrl+Backspace: the whole word
    EXPECT_EQ(kinds(), "");
}

}  // namespace
