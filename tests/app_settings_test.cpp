#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "app.h"
#include "sys_desktop.h"
#include "sys_log.h"
#include "sys_os.h"
#include "test_support.h"

namespace {

const char* kDefaults =
    "timer=300\npage=home\npomo=25\nhover_open=0\nclip_hud=1\nkey_hud=1\ndl_hud=1\nauto_shelf=1\nhide_fs=1\n"
    "hide_chrome=1\nglow=1\napp_notif=1\nwake=1\nmic=\ndnd=0\nwake_sens=1\nbrief=\nsize=1\ncity=İstanbul\n";

std::unique_ptr<App> make_app(bool quiet = false) {
    AppInit init;
    init.quiet = quiet;
    return std::make_unique<App>(std::move(init));
}

// An App built from the given state.txt in a fresh data folder.
struct Loaded {
    ScopedDataDir data;
    std::unique_ptr<App> app;
    explicit Loaded(std::string_view text) {
        EXPECT_TRUE(write_file_atomic(state_path(), text).ok());
        app = make_app();
    }
};

}  // namespace

TEST(SettingsFile, FirstSaveWithDefaultsIsExactlyTheTemplate) {
    ScopedDataDir data;
    auto app = make_app();
    EXPECT_TRUE(app->lists.notes.empty());
    app->save_state();
    EXPECT_EQ(read_file(state_path()).value_or("<none>"), kDefaults);
}

TEST(SettingsFile, ScalarRulesOfTheReader) {
    struct Case { const char* line; std::string (*probe)(const App&); const char* want; };
    auto timer = [](const App& a) { return std::to_string(a.timers.countdown.length) + "/" + std::to_string(a.timers.countdown.remaining); };
    auto pomo = [](const App& a) { return std::to_string(a.timers.pomo.minutes) + "/" + std::to_string(a.timers.pomo.remaining); };
    auto size = [](const App& a) { return std::to_string(a.settings.size) + "/" + std::to_string(a.drawing.scale); };
    auto page = [](const App& a) { return std::string(page_key(a.island.remembered_page)); };
    auto city = [](const App& a) { return a.settings.city + "|" + a.settings.city_edit; };
    auto hover = [](const App& a) { return std::to_string(a.settings.hover_open); };
    auto sens = [](const App& a) { return std::to_string(a.settings.wake_sens); };
    const Case cases[] = {
        {"timer=59\n", timer, "300.000000/300.000000"},
        {"timer=60\n", timer, "60.000000/60.000000"},
        {"timer=90.5\n", timer, "90.500000/90.500000"},
        {"timer=inf\n", timer, "300.000000/300.000000"},
        {"timer=1e300\n", timer, "300.000000/300.000000"},
        {"timer=NaN\n", timer, "300.000000/300.000000"},
        {"timer=21600\n", timer, "21600.000000/21600.000000"},
        {"timer=21601\n", timer, "300.000000/300.000000"},
        {"pomo=4\n", pomo, "25/1500.000000"},
        {"pomo=91\n", pomo, "25/1500.000000"},
        {"pomo=+30\n", pomo, "30/1800.000000"},
        {"pomo= 45 \n", pomo, "45/2700.000000"},
        {"size=7\n", size, "2/1.120000"},
        {"size=abc\n", size, "1/1.000000"},
        {"size=300\n", size, "1/1.000000"},
        {"size=0\n", size, "0/0.880000"},
        {"size=+\n", size, "1/1.000000"},
        {"size=-1\n", size, "1/1.000000"},
        {"page=Media\n", page, "home"},
        {"page=notes\n", page, "notes"},
        {"city=\n", city, "İstanbul|İstanbul"},
        {"city=  Ankara \n", city, "Ankara|Ankara"},
        {" hover_open=1\n", hover, "0"},
        {"hover_open=1\r\n", hover, "1"},
        {"hover_open=true\n", hover, "0"},
        {"hover_open=01\n", hover, "0"},
        {"hover_open=1\nhover_open=0\n", hover, "0"},
        {"wake_sens=0\n", sens, "0"},
        {"wake_sens=256\n", sens, "1"},
    };
    for (const auto& c : cases) {
        Loaded l(c.line);
        EXPECT_EQ(c.probe(*l.app), c.want) << "line: " << c.line;
    }
}

TEST(SettingsFile, NoteAndReminderLines) {
    Loaded l(
        "note=1|Süt al\nnote=yes|x\nnote=a|b|c\nnote=plain\nnote= 1|space\n"
        "rem=abc|x\nrem=100\nrem= 200 |  iki boşluk\nrem=+50|elli\nrem=-|x\n");
    const auto& n = l.app->lists.notes;
    ASSERT_EQ(n.size(), 5u);
    EXPECT_TRUE(n[0].done);
    EXPECT_EQ(n[0].text, "Süt al");
    EXPECT_FLOAT_EQ(n[0].fade, 1.0f);
    EXPECT_FALSE(n[1].done);
    EXPECT_EQ(n[1].text, "x");
    EXPECT_FALSE(n[2].done);
    EXPECT_EQ(n[2].text, "b|c");
    EXPECT_EQ(n[3].text, "plain");
    EXPECT_FALSE(n[4].done);
    const auto& r = l.app->lists.reminders;
    ASSERT_EQ(r.size(), 2u);
    // Sorted by due time although the file had 200 first.
    EXPECT_EQ(r[0].due, 50);
    EXPECT_EQ(r[0].text, "elli");
    EXPECT_EQ(r[1].due, 200);
    EXPECT_EQ(r[1].text, "  iki boşluk");
    // Identifiers are shared by notes and reminders, in file order.
    EXPECT_EQ(n[0].id, 1u);
    EXPECT_EQ(n[4].id, 5u);
    EXPECT_EQ(r[1].id, 6u);
    EXPECT_EQ(r[0].id, 7u);
}

TEST(SettingsFile, RemindersWithEqualDueTimesKeepFileOrder) {
    Loaded l("rem=300|c\nrem=100|a1\nrem=100|a2\nrem=200|b\n");
    std::string order;
    for (const auto& r : l.app->lists.reminders) order += r.text + " ";
    EXPECT_EQ(order, "a1 a2 b c ");
}

TEST(SettingsFile, InvalidUtf8CostsOnlyTheDamagedLine) {
    Loaded l("note=0|iyi\nnote=0|bozuk \xff\xfe metin\nrem=100|hatırla\ncity=Bursa\n");
    ASSERT_EQ(l.app->lists.notes.size(), 2u);
    EXPECT_EQ(l.app->lists.notes[0].text, "iyi");
    EXPECT_EQ(l.app->lists.notes[1].text, "bozuk \xEF\xBF\xBD\xEF\xBF\xBD metin");
    ASSERT_EQ(l.app->lists.reminders.size(), 1u);
    EXPECT_EQ(l.app->settings.city, "Bursa");
}

TEST(SettingsFile, LineFeedsInTextsAreWrittenAsSpaces) {
    ScopedDataDir data;
    auto app = make_app();
    app->lists.notes.push_back(NoteItem{"iki\nsatır", 1, 0, false});
    app->lists.reminders.push_back(ReminderItem{"a\nb", 1700000000, 2});
    std::string text = app->state_text();
    EXPECT_NE(text.find("note=0|iki satır\n"), std::string::npos);
    EXPECT_NE(text.find("rem=1700000000|a b\n"), std::string::npos);
}

// A text that ends in a carriage return (the reader takes only one from the
// end of a line) keeps its length through every later save and load.
TEST(SettingsFile, CarriageReturnsInTextsAreWrittenAsSpaces) {
    ScopedDataDir data;
    auto first = make_app(true);
    first->load_state_text("note=0|a\r\r\nrem=1700000000|b\r\r\nnote=1|c\rd\r\n");
    const std::string text = first->state_text();
    EXPECT_NE(text.find("note=0|a \nnote=1|c d\nrem=1700000000|b \n"), std::string::npos) << text;
    auto second = make_app(true);
    second->load_state_text(text);
    EXPECT_EQ(second->state_text(), text);
}

TEST(SettingsFile, EverySettingAndListSurvivesARoundTrip) {
    ScopedDataDir data;
    std::string file_a = path_join(data.dir, "a b.txt");
    std::string folder = path_join(data.dir, "Klasör");
    ASSERT_TRUE(write_file_atomic(file_a, "12345").ok());
    create_dirs(folder);
    const std::string text =
        "timer=90.5\npage=gemini\npomo=50\nhover_open=1\nclip_hud=0\nkey_hud=0\ndl_hud=0\nauto_shelf=0\nhide_fs=0\n"
        "hide_chrome=0\nglow=0\napp_notif=0\nwake=0\nmic=USB Mikrofon (2)\ndnd=1\nwake_sens=2\nbrief=2026-12-10\n"
        "size=0\ncity=Eskişehir\nshelf=" + file_a + "\nshelf=" + folder +
        "\nnote=1|Süt al\nnote=0|a|b\nrem=-5|geçmiş\nrem=1800000000|gelecek\n";
    ASSERT_TRUE(write_file_atomic(state_path(), text).ok());
    auto first = make_app();
    ASSERT_EQ(first->lists.shelf.size(), 2u);
    EXPECT_EQ(first->lists.shelf[0].detail, "TXT · 5 B");
    EXPECT_EQ(first->lists.shelf[1].detail, "Klasör");
    first->save_state();
    EXPECT_EQ(read_file(state_path()).value_or(""), text);
    auto second = make_app();
    second->save_state();
    EXPECT_EQ(read_file(state_path()).value_or(""), text);
}

TEST(SettingsFile, MissingShelfFilesAndDuplicatesAreSkipped) {
    ScopedDataDir data;
    std::string file = path_join(data.dir, "Rapor.PDF");
    ASSERT_TRUE(write_file_atomic(file, std::string(1536, 'x')).ok());
    std::string upper = file;
    for (auto& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    Loaded l("shelf=" + file + "\nshelf=" + path_join(data.dir, "yok.txt") + "\nshelf=" + upper + "\n");
    ASSERT_EQ(l.app->lists.shelf.size(), 1u);
    EXPECT_EQ(l.app->lists.shelf[0].name, "Rapor.PDF");
    EXPECT_EQ(l.app->lists.shelf[0].detail, "PDF · 1,5 KB");
}

TEST(SettingsFile, QuietModeNeitherReadsNorWrites) {
    ScopedDataDir data;
    const std::string text = "size=2\ncity=Van\n";
    ASSERT_TRUE(write_file_atomic(state_path(), text).ok());
#ifndef _WIN32
    fake_desktop().registry_reads = 0;
#endif
    auto app = make_app(true);
    EXPECT_EQ(app->settings.city, "İstanbul");
    EXPECT_TRUE(app->settings.dark_mode);
#ifndef _WIN32
    EXPECT_EQ(fake_desktop().registry_reads, 0);
#endif
    app->settings.city = "Muş";
    app->save_state();
    EXPECT_EQ(read_file(state_path()).value_or(""), text);
    EXPECT_FALSE(file_exists(path_join(data.dir, "log.txt")));
}

// Names in the data folder that end in ".tmp".
std::vector<std::string> temp_files(const std::string& dir) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(dir))) {
        std::string name = e.path().filename().string();
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0) out.push_back(name);
    }
    return out;
}

TEST(SettingsFile, ALeftoverTemporaryThatCannotBeReplacedStopsNoSave) {
    ScopedDataDir data;
    // A folder where an older build kept its one temporary name.
    ASSERT_TRUE(create_dirs(state_path() + ".tmp"));
    auto app = make_app();
    for (const char* note : {"Süt al", "Faturayı öde"}) {
        app->lists.notes.push_back(NoteItem{note, app->lists.next_id++, 0, false});
        app->save_state();
        EXPECT_NE(read_file(state_path()).value_or("").find(note), std::string::npos) << note;
    }
    EXPECT_EQ(temp_files(data.dir), (std::vector<std::string>{"state.txt.tmp"})) << "no temporary left behind";
    EXPECT_EQ(make_app()->lists.notes.size(), 2u);
}

TEST(SettingsFile, AFailedSaveSaysNothingAndLeavesNoTemporary) {
    ScopedDataDir data;
    ASSERT_TRUE(create_dirs(state_path()));  // the target itself cannot be replaced
    auto app = make_app();
    app->lists.notes.push_back(NoteItem{"kayıp", app->lists.next_id++, 0, false});
    app->save_state();
    EXPECT_TRUE(temp_files(data.dir).empty());
    EXPECT_FALSE(file_exists(path_join(data.dir, "log.txt"))) << "no log line";
    EXPECT_FALSE(app->notices.shown) << "no message";
}

TEST(SettingsFile, SizeTwoScalesBeforeTheFirstFrame) {
    Loaded l("size=2\n");
    EXPECT_FLOAT_EQ(l.app->drawing.scale, 1.12f);
}

#ifndef _WIN32
TEST(SettingsFile, AutostartAndPowerAreReadWhenBuilt) {
    fake_desktop().autostart = true;
    fake_desktop().power = PowerStatus{false, 42};
    {
        Loaded l("");
        EXPECT_TRUE(l.app->settings.autostart);
        EXPECT_EQ(l.app->island.battery, 42);
        EXPECT_FALSE(l.app->island.on_ac);
    }
    fake_desktop().power = std::nullopt;
    {
        Loaded l("");
        EXPECT_EQ(l.app->island.battery, 0);
        EXPECT_FALSE(l.app->island.on_ac);
    }
    fake_desktop() = FakeDesktop{};
}
#endif

TEST(UiScale, ReadsOnlyTheFirstSizeLine) {
    struct Case { const char* text; float scale; };
    const Case cases[] = {
        {"", 1.0f}, {"size=0\n", 0.88f}, {"size=1\n", 1.0f}, {"size=2\n", 1.12f}, {"size=7\n", 1.12f},
        {"size=300\n", 1.12f}, {"size=abc\n", 1.0f}, {"size=+\n", 1.0f}, {"size=-\n", 1.0f}, {"size=\n", 1.0f},
        {"size=+0\r\n", 0.88f}, {"city=x\nsize=2\nsize=0\n", 1.12f}, {" size=2\n", 1.0f},
    };
    for (const auto& c : cases) EXPECT_FLOAT_EQ(read_ui_scale_text(c.text), c.scale) << c.text;
    ScopedDataDir data;
    EXPECT_FLOAT_EQ(read_ui_scale(), 1.0f);
}

TEST(SettingsTable, EverySwitchHasOneRowThatFlipsSavesAndMovesItsSpring) {
    for (int i = 0; i < kSettingToggleCount; ++i) {
        const auto t = static_cast<SettingToggle>(i);
        int rows = 0;
        for (const auto& row : kSettingsTable) rows += row.toggle == t;
        ASSERT_EQ(rows, 1) << setting_toggle_name(t);
        const SettingRow* row = setting_row(t);
        ASSERT_TRUE(row->flag && row->label) << setting_toggle_name(t);

        ScopedDataDir data;
        auto app = make_app(t == SettingToggle::Autostart);  // quiet: no Run key is written
        const bool before = app->settings.*row->flag;
        app->act(Action::byte(ActionKind::Set, static_cast<uint8_t>(i)));
        EXPECT_EQ(app->settings.*row->flag, !before) << setting_toggle_name(t);
        if (row->key) {
            auto text = read_file(state_path());
            ASSERT_TRUE(text) << setting_toggle_name(t);
            EXPECT_NE(text->find(fmt::format("\n{}={}\n", row->key, before ? 0 : 1)), std::string::npos) << *text;
        }
        for (int f = 0; f < 120; ++f) (void)app->tick(1.0f / 60.0f);
        EXPECT_NEAR(app->anim.toggles[i].value, before ? 0.0f : 1.0f, 0.01f) << setting_toggle_name(t);
    }
}

TEST(SettingsTable, KeysAreUniqueAndEveryStoredRowIsWritten) {
    ScopedDataDir data;
    auto app = make_app();
    const std::string text = app->state_text();
    for (const auto& row : kSettingsTable) {
        if (!row.key) continue;
        EXPECT_EQ(setting_row(row.key), &row) << row.key;
        EXPECT_NE(text.find(std::string("\n") + row.key + "="), std::string::npos) << row.key;
    }
}
