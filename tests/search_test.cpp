// Search rows: which rows a query gives and in what order, app ranking, the
// settings table, the installed-apps index, and what running a row uses.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "search.h"
#include "sys_text.h"

namespace {

std::vector<AppEntry> make_apps(std::initializer_list<const char*> names) {
    std::vector<AppEntry> apps;
    for (const char* n : names) apps.push_back(AppEntry{n, fold_search_text(n), std::string("Fake.") + n});
    return apps;
}

std::vector<std::string> titles(const std::vector<SearchRow>& rows) {
    std::vector<std::string> out;
    for (const auto& r : rows) out.push_back(r.title);
    return out;
}

bool has_kind(const std::vector<SearchRow>& rows, SearchRowKind k) {
    for (const auto& r : rows)
        if (r.kind == k) return true;
    return false;
}

const std::vector<AppEntry> kProbeApps = make_apps(
    {"Hesap Makinesi", "Görev Yöneticisi", "Spotify", "Not Defteri", "Ayarlar", "Paint", "Hesaplar"});

TEST(SearchRows, BlankQueryGivesNoRowsAtAll) {
    for (const char* q : {"", "   ", "\t\u00A0 "}) {
        EXPECT_TRUE(search_rows(kProbeApps, q, 6).empty());
        EXPECT_TRUE(search_page_rows(kProbeApps, q, TimeOfDay{12, 0, 0}, true).empty());
    }
}

TEST(SearchRows, CalculatorRowComesFirstAndWebRowLast) {
    auto rows = search_rows(kProbeApps, " 2+3 ", 6);
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[0].kind, SearchRowKind::Calc);
    EXPECT_EQ(rows[0].title, "= 5");
    EXPECT_EQ(rows[0].target, "5");
    EXPECT_STREQ(rows[0].label, "Hesap · Enter ile kopyala");
    EXPECT_EQ(rows.back().kind, SearchRowKind::Web);
    EXPECT_EQ(rows.back().title, "\u201C2+3\u201D için web'de ara");
    EXPECT_EQ(rows.back().target, "2+3");
    EXPECT_STREQ(rows.back().label, "Google");
}

TEST(SearchRows, LinkRows) {
    struct Case {
        const char* query;
        const char* url;  // nullptr: no link row
    };
    const Case cases[] = {
        {"example.com", "https://example.com"},
        {"my-site2.co.uk/path?x=1", "https://my-site2.co.uk/path?x=1"},
        {"http://a.b", "http://a.b"},
        {"https://x/y.z", "https://x/y.z"},
        {"a.b", nullptr},          // tld shorter than 2 bytes
        {"10.50", nullptr},        // tld not letters
        {"foo.com bar", nullptr},  // contains a space
        {".com", nullptr},
        {"example.", nullptr},
        {"ex_ample.com", nullptr},
        {"şey.com", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query);
        auto rows = search_rows({}, c.query, 6);
        bool found = false;
        for (const auto& r : rows) {
            if (r.kind != SearchRowKind::Link) continue;
            found = true;
            ASSERT_TRUE(c.url);
            EXPECT_EQ(r.target, c.url);
            EXPECT_EQ(r.title, c.url);
            EXPECT_STREQ(r.label, "Bağlantıyı aç");
        }
        EXPECT_EQ(found, c.url != nullptr);
    }
}

TEST(SearchRows, SettingsByTitleOrKeywordFolded) {
    struct Case {
        const char* query;
        std::vector<std::string> settings;
    };
    const Case cases[] = {
        {"blu", {"Bluetooth ve cihazlar"}},
        {"IŞIĞ", {"Gece ışığı"}},
        {"tarayıcı", {"Varsayılan uygulamalar", "Yazıcılar ve tarayıcılar"}},
        {"uygulama", {"Yüklü uygulamalar", "Varsayılan uygulamalar"}},  // a third match is dropped
        {"bl", {}},                                                     // two letters: no settings
        {"wi-fi", {"Wi\u2011Fi"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query);
        std::vector<std::string> got;
        for (const auto& r : search_rows({}, c.query, 6)) {
            if (r.kind != SearchRowKind::Setting) continue;
            got.push_back(r.title);
            EXPECT_STREQ(r.label, "Windows Ayarları");
            EXPECT_TRUE(r.target.starts_with("ms-settings:"));
        }
        EXPECT_EQ(got, c.settings);
    }
    EXPECT_EQ(search_rows({}, "blu", 6)[0].target, "ms-settings:bluetooth");
}

TEST(SearchRows, AppsRankedAndLimited) {
    auto apps = make_apps({"Nexus Oyun Tool", "OneNote", "Yapışkan Notlar", "Not Defteri", "Notlar", "Notion", "Not"});
    auto rows = search_rows(apps, "not", 6);
    EXPECT_EQ(titles(rows), (std::vector<std::string>{"Not", "Notlar", "Notion", "Not Defteri", "Yapışkan Notlar",
                                                      "\u201Cnot\u201D için web'de ara"}));
    EXPECT_EQ(rows[0].target, "Fake.Not");
    EXPECT_STREQ(rows[0].label, "Uygulama");

    // The probe's limit of 4 keeps one slot for the web row.
    rows = search_rows(kProbeApps, "hesap", 4);
    EXPECT_EQ(titles(rows), (std::vector<std::string>{"Hesaplar", "Hesap Makinesi", "Hesap bilgileri",
                                                      "\u201Chesap\u201D için web'de ara"}));
}

// The keystroke loop skips apps whose best possible score cannot enter the
// kept rows; its rows must equal a plain score-everything-then-stable-sort.
TEST(SearchRows, RankingEqualsScoringEveryAppThenStableSorting) {
    std::mt19937 rng(7);
    const char* words[] = {"not", "Not", "notlar", "e", "Editör", "Editor", "ses", "Ses Kaydedici", "x", "ağ", "Ağ", "note"};
    std::vector<AppEntry> apps;
    for (int i = 0; i < 400; ++i) {
        std::string name;
        for (size_t w = 0, k = 1 + rng() % 3; w < k; ++w) name += std::string(w ? " " : "") + words[rng() % std::size(words)];
        if (i % 7 == 0) name += std::string(rng() % 40, 'z');  // long keys the floor prunes
        apps.push_back(AppEntry{name, fold_search_text(name), "id" + std::to_string(i)});
    }
    // Equal keys, the later one with the shorter name: it must still displace one kept.
    for (const char* name : {"a Kayıtçı 1", "a Kayıtçı 2", "a Kayıtçı 3", "a Kayıtçı 4", "a Kayıtçı 5", "a Kayitci 3"})
        apps.push_back(AppEntry{name, fold_search_text(name), name});
    const AppList list(apps);
    for (const char* q : {"kayitci", "kytc", "e", "not", "NOT", "ses", "ağ", "nt", "zz", "qzx", "not e", "edit", "editor"}) {
        SCOPED_TRACE(q);
        const std::string qf = fold_search_text(q);
        std::vector<std::pair<int32_t, size_t>> scored;  // (score, index)
        for (size_t i = 0; i < apps.size(); ++i)
            if (auto s = app_match_score(qf, apps[i])) scored.emplace_back(*s, i);
        std::stable_sort(scored.begin(), scored.end(), [&](const auto& a, const auto& b) {
            if (a.first != b.first) return a.first > b.first;
            return apps[a.second].name.size() < apps[b.second].name.size();
        });
        std::vector<std::string> want;
        for (const auto& [score, i] : scored) {
            if (want.size() == kSearchMaxRows - 1) break;  // the web row keeps the last slot
            want.push_back(apps[i].id);
        }
        std::vector<std::string> got;
        for (const SearchRow& r : search_rows(list, q, kSearchMaxRows))
            if (r.kind == SearchRowKind::App) got.push_back(r.target);
        EXPECT_EQ(got, want);
    }
}

TEST(SearchRows, AppMatchScores) {
    auto app = [](const char* name) { return AppEntry{name, fold_search_text(name), "id"}; };
    struct Case {
        const char* query;  // already folded
        const char* name;
        int score;  // -1: no match
    };
    const Case cases[] = {
        {"not defteri", "Not Defteri", 1000},
        {"not", "Not Defteri", 800 - 11},
        {"def", "Not Defteri", 600 - 11},
        {"eft", "Not Defteri", 400 - 11},
        {"ndf", "Not Defteri", 100 - 11},
        {"no de", "Not Defteri", 100 - 11},  // spaces skipped in the in-order match
        {"t d", "Not Defteri", 400 - 11},    // no word can hold a space
        {"z", "Not Defteri", -1},
        {"nx", "Not Defteri", -1},
        {"d", "Not Defteri", 600 - 11},
        {"ara", "Ağ Araçları", 600 - 11},    // the second word ("ag araclari")
        {"pée", "Épée", 400 - 6},            // the é before it is a letter: inside the word
        {"2", "Office 2021", 600 - 11},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.query) + " / " + c.name);
        auto s = app_match_score(c.query, app(c.name));
        if (c.score < 0) {
            EXPECT_FALSE(s.has_value());
            continue;
        }
        ASSERT_TRUE(s.has_value());
        EXPECT_EQ(*s, c.score);
    }
}

TEST(SearchPage, ReminderRowFrontAndItPushesTheWebRowOut) {
    const TimeOfDay noon{12, 0, 0};
    auto rows = search_page_rows({}, "10 dk sonra çamaşır ", noon, true);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0].kind, SearchRowKind::Reminder);
    EXPECT_EQ(rows[0].target, "10 dk sonra çamaşır ");  // the whole query, untrimmed
    EXPECT_EQ(rows[0].title, "çamaşır · 10 dk sonra");
    EXPECT_STREQ(rows[0].label, "Hatırlatıcı kur");
    EXPECT_FALSE(has_kind(rows, SearchRowKind::Gemini));  // a reminder blocks the ask row
    EXPECT_EQ(rows.back().kind, SearchRowKind::Web);

    // Six rows already: the reminder row goes in front and the web row drops out.
    auto apps = make_apps({"ekmek 10dk a", "ekmek 10dk b", "ekmek 10dk c", "ekmek 10dk d", "ekmek 10dk e",
                           "ekmek 10dk f"});
    ASSERT_EQ(search_rows(apps, "ekmek 10dk", 6).size(), 6u);
    rows = search_page_rows(apps, "ekmek 10dk", noon, false);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0].kind, SearchRowKind::Reminder);
    EXPECT_FALSE(has_kind(rows, SearchRowKind::Web));
}

TEST(SearchPage, AssistantRowsOnlyWhenSignedIn) {
    const TimeOfDay noon{12, 0, 0};
    auto rows = search_page_rows(kProbeApps, "hava nasıl", noon, true);
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[rows.size() - 2].kind, SearchRowKind::Gemini);  // just before the web row
    EXPECT_EQ(rows[rows.size() - 2].title, "Gemini'ye sor: hava nasıl");
    EXPECT_EQ(rows[rows.size() - 2].target, "hava nasıl");
    EXPECT_EQ(rows.back().kind, SearchRowKind::Web);
    EXPECT_FALSE(has_kind(search_page_rows(kProbeApps, "hava nasıl", noon, false), SearchRowKind::Gemini));
    EXPECT_FALSE(has_kind(search_page_rows(kProbeApps, "ab", noon, true), SearchRowKind::Gemini));
    EXPECT_FALSE(has_kind(search_page_rows(kProbeApps, "2+3", noon, true), SearchRowKind::Gemini));

    rows = search_page_rows(kProbeApps, "çevir merhaba", noon, true);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0].kind, SearchRowKind::Gemini);
    EXPECT_EQ(rows[0].title, "Gemini ile çevir: merhaba");
    EXPECT_EQ(rows[0].target,
              "Şunu çevir (Türkçeyse İngilizceye, değilse Türkçeye), sadece çeviriyi yaz: merhaba");
    EXPECT_LE(rows.size(), kSearchMaxRows);

    struct Case {
        const char* query;
        const char* rest;  // nullptr: no translate row
    };
    const Case cases[] = {
        {"Çevir:  good night ", "good night"},
        {"translate hello", "hello"},
        {"TRANSLATE hello", "hello"},
        {"translate: hello", nullptr},
        {"çevir ", nullptr},
        {"çevirme bunu", nullptr},
        {"ÇEVİR: merhaba", "merhaba"},  // capitals: İ lowers to i and a combining dot
        {"ÇEVİR MERHABA", "MERHABA"},
        {"cevir: selam", "selam"},      // typed without Turkish letters, as search matches
        {"TRANSLATE İyi", "İyi"},
        {"ÇEVİRİ yap", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query);
        rows = search_page_rows({}, c.query, noon, true);
        bool found = !rows.empty() && rows[0].title.starts_with("Gemini ile çevir: ");
        ASSERT_EQ(found, c.rest != nullptr);
        if (found) { EXPECT_EQ(rows[0].title, std::string("Gemini ile çevir: ") + c.rest); }
    }
}

TEST(SearchRun, OpenTargetsAndReminderNotice) {
    EXPECT_EQ(search_row_open_target(SearchRow{SearchRowKind::App, "Microsoft.Paint_8wekyb3d8bbwe!App", "Paint", ""}),
              "shell:AppsFolder\\Microsoft.Paint_8wekyb3d8bbwe!App");
    EXPECT_EQ(search_row_open_target(SearchRow{SearchRowKind::Setting, "ms-settings:about", "", ""}),
              "ms-settings:about");
    EXPECT_EQ(search_row_open_target(SearchRow{SearchRowKind::Link, "https://a.com", "", ""}), "https://a.com");
    EXPECT_EQ(search_row_open_target(SearchRow{SearchRowKind::Web, "çay 2+2 a-b.c_d~", "", ""}),
              "https://www.google.com/search?q=%C3%A7ay+2%2B2+a-b.c_d~");
    for (auto k : {SearchRowKind::Reminder, SearchRowKind::Gemini, SearchRowKind::Calc})
        EXPECT_FALSE(search_row_open_target(SearchRow{k, "x", "x", ""}));

    // Running a reminder row whose phrase does not parse any more reports the failure.
    std::vector<ReminderItem> list;
    uint64_t next_id = 1;
    auto when = add_reminder_to(list, next_id, "15 ilaç", TimeOfDay{12, 0, 0}, 1'700'000'000);
    auto notice = reminder_row_notice(when);
    EXPECT_EQ(notice.title, "Hatırlatıcı kurulamadı");
    EXPECT_EQ(notice.body, "");
    EXPECT_TRUE(list.empty());
    notice = reminder_row_notice(add_reminder_to(list, next_id, "10 dk sonra x", TimeOfDay{12, 0, 0}, 0));
    EXPECT_EQ(notice.title, "Hatırlatıcı kuruldu");
    EXPECT_EQ(notice.body, "10 dk sonra");
}

TEST(AppsIndex, FiltersAndKeepsTheFirstOfEqualNames) {
    std::vector<RawAppItem> items = {
        {"Türkçe Sözlük", "A"},
        {"TURKCE SOZLUK", "B"},       // folds like the first
        {"Uninstall Foo", "C"},
        {"Foo KALDIR", "D"},
        {"Program Kaldır", "D2"},
        {"ReadMe", "E"},
        {"Site", "https://example.com"},
        {"Help", "http"},
        {"", "F"},
        {"Nameless id", ""},
        {"Paint", "Microsoft.Paint!App"},
        {"İstanbul Rehberi", "G"},
    };
    auto list = build_app_index(items);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].name, "Türkçe Sözlük");
    EXPECT_EQ(list[0].key, "turkce sozluk");
    EXPECT_EQ(list[0].id, "A");
    EXPECT_EQ(list[1].id, "Microsoft.Paint!App");
    EXPECT_EQ(list[2].key, "istanbul rehberi");
}

TEST(AppsIndex, SearchBeforeTheIndexIsReadyStillOffersOtherRows) {
    SharedAppsIndex index;  // as created, before the apps thread stores its list
    EXPECT_FALSE(index.snapshot().value_or(AppsIndex{}).ready);
    AppListRef apps = published_apps(index);
    ASSERT_TRUE(apps);
    EXPECT_TRUE(apps->empty());
    auto rows = search_page_rows(*apps, "bluetooth", TimeOfDay{}, false);
    EXPECT_FALSE(has_kind(rows, SearchRowKind::App));
    EXPECT_TRUE(has_kind(rows, SearchRowKind::Setting));
    EXPECT_EQ(rows.back().kind, SearchRowKind::Web);
}

// A search holds the list it took: an index rebuilt meanwhile on another
// thread changes neither that list nor the rows ranked from it, and the next
// search sees the new list whole (never a mix of two generations).
TEST(AppsIndex, ConcurrentRebuildLeavesAHeldListUnchanged) {
    auto generation = [](int g) {
        std::vector<AppEntry> apps;
        for (int i = 0; i < 300 + g % 7; ++i) {
            std::string name = "Gen" + std::to_string(g) + " Uygulama " + std::to_string(i);
            apps.push_back(AppEntry{name, fold_search_text(name), "id" + std::to_string(i)});
        }
        return apps;
    };
    SharedAppsIndex index;
    publish_apps(index, generation(0));
    std::atomic<int> published{1};
    std::atomic<bool> stop{false};
    std::thread rebuild([&] {
        for (int g = 1; !stop.load(); ++g) {
            publish_apps(index, generation(g));
            published.store(g + 1);
        }
    });

    for (int round = 0; round < 20; ++round) {
        AppListRef held = published_apps(index);
        const std::vector<AppEntry> copy(held->begin(), held->end());
        ASSERT_FALSE(copy.empty());
        const std::string gen = copy.front().name.substr(0, copy.front().name.find(' '));
        for (const AppEntry& e : copy) ASSERT_TRUE(e.name.starts_with(gen + " ")) << e.name;
        const auto rows = search_rows(*held, "uygulama 1", kSearchMaxRows);

        // Let at least two more lists be published while this one is held.
        const int seen = published.load();
        while (published.load() < seen + 2) std::this_thread::yield();

        ASSERT_EQ(held->size(), copy.size());
        for (size_t i = 0; i < copy.size(); ++i) {
            ASSERT_EQ((*held)[i].name, copy[i].name);
            ASSERT_EQ((*held)[i].key, copy[i].key);
            ASSERT_EQ(held->key(i), copy[i].key);
            ASSERT_EQ((*held)[i].id, copy[i].id);
        }
        EXPECT_EQ(titles(search_rows(*held, "uygulama 1", kSearchMaxRows)), titles(rows));
        EXPECT_NE(published_apps(index).get(), held.get());
    }
    stop.store(true);
    rebuild.join();
    EXPECT_TRUE(index.snapshot().value_or(AppsIndex{}).ready);
}

// Random bytes and very long queries never crash the row builder.
TEST(SearchRows, HostileQueriesAreHarmless) {
    auto apps = make_apps({"Not Defteri", "Paint", "Épée"});
    std::vector<std::string> queries = {std::string(10000, 'a'), std::string(10000, '('),
                                        std::string("\xff\xc3", 2), std::string(5000, '.') + "com"};
    std::mt19937 rng(99);
    for (int n = 0; n < 300; ++n) {
        std::string s;
        size_t len = 1 + rng() % 40;
        for (size_t i = 0; i < len; ++i) s += static_cast<char>(rng() % 256);
        queries.push_back(s);
    }
    for (const auto& q : queries) {
        auto rows = search_page_rows(apps, q, TimeOfDay{23, 59, 59}, true);
        EXPECT_LE(rows.size(), kSearchMaxRows);
    }
}

}  // namespace
