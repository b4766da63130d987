// Keys and typed characters of the open island: field editing limits,
// paste, Esc's two steps, Enter per field and page navigation.
#include "app_input_support.h"
#include "sys_clipboard.h"
#include "sys_text.h"

namespace {

constexpr uint16_t kBackspace = 8, kTab = 9, kEnter = 13, kEsc = 27, kLeft = 37, kUp = 38, kRight = 39,
                   kDown = 40, kV = 86;

struct KeysTest : IslandTest {
    void type(std::u32string_view text) {
        for (char32_t c : text) app->on_char(c);
    }
};

TEST_F(KeysTest, CtrlBackspaceRemovesTheLastWord) {
    app->island.focus = TextField::Note;
    struct Case { const char* before; const char* after; };
    const Case cases[] = {
        {"ab cd ", "ab "}, {"abc", ""}, {"ab cd", "ab "}, {"ab  cd \t ", "ab  "}, {"", ""}, {"   ", ""},
        {"çay şeker", "çay "},
    };
    for (const auto& c : cases) {
        app->lists.note_text = c.before;
        app->on_key(kBackspace, true);
        EXPECT_EQ(app->lists.note_text, c.after) << '"' << c.before << '"';
    }
}

TEST_F(KeysTest, BackspaceRemovesOneWholeCharacter) {
    app->island.focus = TextField::City;
    app->settings.city_edit = "Muğ";
    app->on_key(kBackspace, false);
    EXPECT_EQ(app->settings.city_edit, "Mu");
    app->settings.city_edit.clear();
    app->on_key(kBackspace, false);
    EXPECT_EQ(app->settings.city_edit, "");
}

TEST_F(KeysTest, TypingStopsAtOneHundredSixtyCharacters) {
    app->island.focus = TextField::Gemini;
    type(std::u32string(159, U'ş'));
    type(U"ğ");
    EXPECT_EQ(char_count(app->google.gemini_text), 160u);
    EXPECT_EQ(app->google.gemini_text.size(), 320u);  // two bytes each: the limit counts characters
    type(U"x");
    EXPECT_EQ(char_count(app->google.gemini_text), 160u);
    EXPECT_EQ(app->google.gemini_text.substr(app->google.gemini_text.size() - 2), "ğ");
}

TEST_F(KeysTest, ControlCharactersAndClosedIslandTypeNothing) {
    app->island.focus = TextField::Note;
    type(U"a\x1f" U"b\x7f\x9f\xa0");
    EXPECT_EQ(app->lists.note_text, "ab\u00a0");
    app->on_char(0xD800);  // a lone surrogate half is no character
    EXPECT_EQ(app->lists.note_text, "ab\u00a0");

    app->island.open = false;
    app->drawing.redraw = false;
    type(U"c");
    EXPECT_EQ(app->on_key(kEnter, false).has_value(), false);
    app->on_key(kBackspace, false);
    EXPECT_EQ(app->lists.note_text, "ab\u00a0");
    EXPECT_FALSE(app->drawing.redraw);
}

TEST_F(KeysTest, PasteAppendsTheFirstLineUpToTwoHundredCharacters) {
    app->island.focus = TextField::Note;
    set_clipboard_text(nullptr, "birinci satır\r\nikinci\nüçüncü");
    app->lists.note_text = "> ";
    app->on_key(kV, true);
    EXPECT_EQ(app->lists.note_text, "> birinci satır");

    // A long first line: 200 characters, past the typing limit of a field holding 150.
    app->lists.note_text = std::string(150, 'a');
    set_clipboard_text(nullptr, std::string(300, 'b') + "\nrest");
    app->on_key(kV, true);
    EXPECT_EQ(app->lists.note_text, std::string(150, 'a') + std::string(200, 'b'));

    // V without Ctrl types nothing by itself.
    app->lists.note_text.clear();
    app->on_key(kV, false);
    EXPECT_EQ(app->lists.note_text, "");
}

TEST_F(KeysTest, TabAndArrowsWalkThePagesInOrder) {
    app->island.page = app->island.remembered_page = Page::Settings;
    app->settings.city = "Rize";
    app->on_key(kTab, false);
    EXPECT_EQ(app->island.page, Page::Home);
    app->on_key(kLeft, false);
    EXPECT_EQ(app->island.page, Page::Settings);
    EXPECT_EQ(app->settings.city_edit, "Rize");  // the settings page copies the stored city
    EXPECT_NE(state().find("page=settings\n"), std::string::npos);

    // Search is shown without becoming the remembered page.
    app->island.page = app->island.remembered_page = Page::Gemini;
    app->on_key(kRight, false);
    EXPECT_EQ(app->island.page, Page::Search);
    EXPECT_EQ(app->island.remembered_page, Page::Gemini);
    app->on_key(kRight, false);
    EXPECT_EQ(app->island.page, Page::Settings);
    app->on_key(kUp, false);  // any other key does nothing
    EXPECT_EQ(app->island.page, Page::Settings);
}

TEST_F(KeysTest, EscClearsSearchFirstThenClosesAndHandsTheFocusBack) {
    app->island.page = Page::Search;
    app->island.focus = TextField::Search;
    app->search_page.text = "hesap";
    app->now = 4;
    app->on_key(kEsc, false);
    EXPECT_TRUE(app->island.open);
    EXPECT_EQ(app->search_page.text, "");
    EXPECT_TRUE(app->search_page.rows.empty());
    EXPECT_TRUE(app->effects.pending.empty());
    EXPECT_EQ(effect_text(app->on_key(kEsc, false)), "none");
    EXPECT_FALSE(app->island.open);
    EXPECT_EQ(app->island.focus, TextField::None);
    EXPECT_EQ(pending(), std::vector<std::string>{"+0.00:RestoreFocus"});
    EXPECT_TRUE(saved());
}

TEST_F(KeysTest, EscPerField) {
    struct Case { TextField field; const char* text; bool closes; };
    const Case cases[] = {
        {TextField::City, "", true},    {TextField::City, "Van", true}, {TextField::Note, "x", false},
        {TextField::Note, "", true},    {TextField::Gemini, "y", false}, {TextField::None, "", true},
    };
    for (const auto& c : cases) {
        app->island.open = true;
        app->effects.pending.clear();
        app->island.focus = c.field;
        if (std::string* t = app->field_text(c.field)) *t = c.text;
        app->on_key(kEsc, false);
        EXPECT_EQ(!app->island.open, c.closes) << text_field_name(c.field) << " '" << c.text << "'";
        if (!c.closes) {
            EXPECT_EQ(*app->field_text(c.field), "");
        }
        // Only a closing with a focused field hands the keyboard back.
        EXPECT_EQ(app->effects.pending.size(), c.closes && c.field != TextField::None ? 1u : 0u);
    }
    EXPECT_EQ(app->settings.city_edit, "Van");  // Esc in City closes without touching the draft
}

TEST_F(KeysTest, UpAndDownMoveTheSearchSelectionWithinTheRows) {
    app->island.focus = TextField::Search;
    app->search_page.rows.resize(3);
    app->on_key(kUp, false);
    EXPECT_EQ(app->search_page.sel, 0u);
    app->on_key(kDown, false);
    app->on_key(kDown, false);
    app->on_key(kDown, false);
    EXPECT_EQ(app->search_page.sel, 2u);
    app->on_key(kUp, false);
    EXPECT_EQ(app->search_page.sel, 1u);
    app->island.focus = TextField::Note;
    app->on_key(kDown, false);
    EXPECT_EQ(app->search_page.sel, 1u);
}

TEST_F(KeysTest, EnterInTheNoteFieldAddsANoteOrAReminder) {
    app->island.focus = TextField::Note;
    app->lists.note_text = "  süt al  ";
    app->lists.notes_scroll = 80;
    app->on_key(kEnter, false);
    ASSERT_EQ(app->lists.notes.size(), 1u);
    EXPECT_EQ(app->lists.notes[0].text, "süt al");
    EXPECT_FALSE(app->lists.notes[0].done);
    EXPECT_EQ(app->lists.note_text, "");
    EXPECT_FLOAT_EQ(app->lists.notes_scroll, 0.0f);
    EXPECT_NE(state().find("note=0|süt al\n"), std::string::npos);

    app->lists.note_text = "10 dk sonra çamaşır";
    app->on_key(kEnter, false);
    EXPECT_EQ(app->lists.notes.size(), 1u);
    ASSERT_EQ(app->lists.reminders.size(), 1u);
    EXPECT_EQ(app->lists.reminders[0].text, "Çamaşır");
    EXPECT_EQ(app->lists.note_text, "");
    EXPECT_NE(state().find("|Çamaşır\n"), std::string::npos);

    app->lists.note_text = "   ";  // blank: the draft stays
    app->on_key(kEnter, false);
    EXPECT_EQ(app->lists.note_text, "   ");
    EXPECT_EQ(app->lists.notes.size(), 1u);
}

TEST_F(KeysTest, EnterInTheCityFieldSendsTheCity) {
    auto [tx, rx] = channel<std::string>();
    app->weather.tx = tx;
    app->island.focus = TextField::City;
    app->settings.city_edit = " Trabzon ";
    app->on_key(kEnter, false);
    EXPECT_EQ(app->settings.city, "Trabzon");
    EXPECT_EQ(rx.try_recv(), std::optional<std::string>("Trabzon"));
    EXPECT_TRUE(app->weather.snap.loading);
    EXPECT_EQ(app->island.focus, TextField::None);
    EXPECT_EQ(app->settings.city_edit, " Trabzon ");  // the draft keeps its text
    EXPECT_NE(state().find("city=Trabzon\n"), std::string::npos);
}

TEST_F(KeysTest, EnterInTheGeminiFieldAsksAndClearsTheDraft) {
    auto [tx, rx] = channel<GoogleCommand>();
    app->google.tx = tx;
    app->island.focus = TextField::Gemini;
    app->google.chat_follow = false;
    app->google.gemini_text = " hava nasıl ";
    app->on_key(kEnter, false);
    auto sent = rx.try_recv();
    ASSERT_TRUE(sent && std::holds_alternative<gcmd::Ask>(*sent));
    EXPECT_EQ(std::get<gcmd::Ask>(*sent).question, "hava nasıl");
    EXPECT_EQ(app->google.gemini_text, "");
    EXPECT_TRUE(app->google.chat_follow);
    app->on_key(kEnter, false);  // an empty draft sends nothing
    EXPECT_FALSE(rx.try_recv());
}

}  // namespace
