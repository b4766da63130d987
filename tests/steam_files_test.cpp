// The Steam client's files, read from a Steam folder tree the tests write in
// a temporary folder: manifests and libraries, header images, the login user
// with play statistics, and the content log.
#include <initializer_list>
#include <string>
#include <vector>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "steam_files.h"
#include "steam_tree_support.h"
#include "sys_os.h"

namespace {

std::vector<std::string> names(const std::vector<SteamGameEntry>& games) {
    std::vector<std::string> out;
    for (const SteamGameEntry& g : games) out.push_back(g.name);
    return out;
}

}  // namespace

// ---- Manifests and libraries ----------------------------------------------------------------

TEST(SteamFiles, ManifestComesFromTheFirstLibraryThatHasIt) {
    SteamTree t;
    std::string second = path_join(t.root, "Second");
    t.manifest(second, "570", "Dota 2");
    std::optional<SteamManifest> m = read_app_manifest({t.steam, second}, 570);
    ASSERT_TRUE(m);
    EXPECT_EQ((*m)["name"], "Dota 2");

    t.manifest(t.steam, "570", "Dota 2 (first)");
    m = read_app_manifest({t.steam, second}, 570);
    ASSERT_TRUE(m);
    EXPECT_EQ((*m)["name"], "Dota 2 (first)");

    EXPECT_FALSE(read_app_manifest({t.steam, second}, 730));
    t.write(second, {"steamapps", "appmanifest_730.acf"}, "\"name\" \"old\"\n\"name\" \"Counter-Strike 2\"\n");
    EXPECT_EQ(read_app_manifest({t.steam, second}, 730)->at("name"), "Counter-Strike 2");  // the later value wins
    // A file that is not UTF-8 text counts as missing: the next library answers.
    t.write(t.steam, {"steamapps", "appmanifest_440.acf"}, "\"name\" \"\xff\xfe\"\n");
    t.manifest(second, "440", "Team Fortress 2");
    m = read_app_manifest({t.steam, second}, 440);
    ASSERT_TRUE(m);
    EXPECT_EQ((*m)["name"], "Team Fortress 2");
}

TEST(SteamFiles, LibraryRescanSkipsToolsAndFoldersListedTwice) {
    SteamTree t;
    std::string lib = path_join(t.root, "Lib2");
    std::string lib_upper = path_join(t.root, "LIB2");
    // The Steam folder lists itself and the second library twice, in other letter case.
    t.library_folders({t.steam, lib, lib_upper});
    EXPECT_EQ(steam_library_folders(t.steam), (std::vector<std::string>{t.steam, lib}));

    t.manifest(t.steam, "10", "Counter-Strike", "500", "4");
    t.manifest(t.steam, "1493710", "Proton Experimental");
    t.manifest(t.steam, "228980", "Steamworks Common Redistributables");
    t.manifest(t.steam, "1628350", "Steam Linux Runtime 3.0 (sniper)");
    t.write(t.steam, {"steamapps", "appmanifest_99.acf"}, "\"appid\" \"not a number\"\n\"name\" \"Broken\"\n");
    t.write(t.steam, {"steamapps", "appmanifest_98.acf"}, "\"appid\" \"4294967296\"\n\"name\" \"Too big\"\n");
    t.write(t.steam, {"steamapps", "notes.acf"}, "\"appid\" \"7\"\n\"name\" \"Not a manifest\"\n");
    // On a case-sensitive disk both spellings exist; the game must still count once.
    t.manifest(lib, "570", "Dota 2", "3000", "6");
    t.manifest(lib_upper, "570", "Dota 2", "3000", "6");
    t.manifest(lib, "730", "Half-Life Proton Edition", "bad size", "2");

    SteamRescan r = steam_rescan(t.steam, 0, fake_decode);
    EXPECT_EQ(r.game_count, 3u);
    EXPECT_EQ(r.total_size, 3500u);
    EXPECT_EQ(r.update_count, 2u);  // StateFlags 6 and 2 have bit value 2, 4 has not
    std::vector<std::string> got = names(r.games);
    EXPECT_EQ(got, (std::vector<std::string>{"Counter-Strike", "Dota 2", "Half-Life Proton Edition"}));
    for (const SteamGameEntry& g : r.games) {
        EXPECT_EQ(g.update_required, g.app_id != 10) << g.name;
        if (g.app_id == 730) {
            EXPECT_EQ(g.size, 0u);  // "bad size" reads as 0
        }
    }
}

TEST(SteamFiles, TwelveGamesKeepTheEightPlayedLastWithTheirStatistics) {
    SteamTree t;
    const uint32_t account = 12345;
    std::string apps;
    for (int i = 1; i <= 12; ++i) {
        std::string id = std::to_string(100 + i);
        t.manifest(t.steam, id, "Game " + std::to_string(i), std::to_string(i * 1000));
        t.write(t.steam, {"appcache", "librarycache", id, "header.jpg"}, "IMG" + std::to_string(i % 10));
        // Game i was played at 1700000000 + i: game 12 is the most recent.
        apps += "\"" + id + "\" { \"LastPlayed\" \"" + std::to_string(1700000000 + i) + "\" \"Playtime\" \"" +
                std::to_string(i * 60) + "\" }\n";
    }
    t.write(t.steam, {"userdata", std::to_string(account), "config", "localconfig.vdf"},
            "\"UserLocalConfigStore\" { \"Software\" { \"Valve\" { \"Steam\" { \"apps\" {\n" + apps + "} } } } }");
    // No ActiveUser: the most recent login's account gives the statistics.
    t.write(t.steam, {"config", "loginusers.vdf"},
            "\"users\" { \"" + std::to_string(kSteamId64Base + account) +
                "\" { \"PersonaName\" \"Ayşe\" \"MostRecent\" \"1\" } }");

    SteamRescan r = steam_rescan(t.steam, 0, fake_decode);
    EXPECT_EQ(r.login.persona, "Ayşe");
    EXPECT_EQ(r.game_count, 12u);
    EXPECT_EQ(r.total_size, 78000u);  // 1000 × (1 + … + 12)
    std::vector<SteamGameEntry> kept = take_games(r.games, kSteamGamesKept);
    ASSERT_EQ(kept.size(), 8u);
    for (size_t k = 0; k < kept.size(); ++k) {
        int i = 12 - static_cast<int>(k);
        EXPECT_EQ(kept[k].name, "Game " + std::to_string(i));
        EXPECT_EQ(kept[k].last_played, 1700000000 + i);
        EXPECT_EQ(kept[k].minutes, static_cast<uint32_t>(i * 60));
        ASSERT_TRUE(kept[k].header) << kept[k].name;
        EXPECT_EQ(kept[k].header->width, static_cast<uint32_t>(i % 10));
        EXPECT_EQ(kept[k].header.get(), r.games[k].header.get());  // shared, not copied
    }
    for (size_t k = kSteamGamesKept; k < r.games.size(); ++k) EXPECT_FALSE(r.games[k].header) << r.games[k].name;
    EXPECT_EQ(take_games(r.games, 20).size(), 12u);
}

// ---- Header images --------------------------------------------------------------------------

TEST(SteamFiles, HeaderImageSearchOrder) {
    SteamTree t;
    std::string cache = SteamTree::join(t.steam, {"appcache", "librarycache"});
    std::vector<std::string> c = steam_header_candidates(t.steam, 570);
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(c[0], SteamTree::join(cache, {"570", "header.jpg"}));
    EXPECT_EQ(c[1], path_join(cache, "570_header.jpg"));
    EXPECT_FALSE(steam_header_image(t.steam, 570, fake_decode));

    // Only an upper-case PNG in the game's folder, beside files of other kinds.
    t.write(cache, {"570", "notes.txt"}, "IMG9");
    t.write(cache, {"570", "X.PNG"}, "IMG3");
    ImageRef image = steam_header_image(t.steam, 570, fake_decode);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 3u);

    // The flat cache file comes before the folder listing …
    t.write(cache, {"570_header.jpg"}, "IMG2");
    EXPECT_EQ(steam_header_image(t.steam, 570, fake_decode)->width, 2u);
    // … and header.jpg before both, unless it does not decode.
    t.write(cache, {"570", "header.jpg"}, "IMG1");
    EXPECT_EQ(steam_header_image(t.steam, 570, fake_decode)->width, 1u);
    t.write(cache, {"570", "header.jpg"}, "broken");
    EXPECT_EQ(steam_header_image(t.steam, 570, fake_decode)->width, 2u);
    EXPECT_EQ(steam_header_candidates(t.steam, 570).size(), 4u);  // header.jpg, flat file, header.jpg, X.PNG
}

// ---- Login user -----------------------------------------------------------------------------

TEST(SteamFiles, LoginUserByActiveUserElseMostRecent) {
    auto user = [](uint32_t account, const char* persona, const char* recent) {
        return fmt::format("\"{}\" {{ \"PersonaName\" \"{}\" \"MostRecent\" \"{}\" }}\n", kSteamId64Base + account,
                           persona, recent);
    };
    std::string two = user(7, "Yedi", "0") + user(42, "Kırk İki", "1");
    const struct { std::string text; uint32_t active; uint32_t account; const char* persona; } cases[] = {
        {"\"users\" {\n" + two + "}", 7, 7, "Yedi"},        // the real file's "users" block
        {"\"users\" {\n" + two + "}", 0, 42, "Kırk İki"},
        {two, 7, 7, "Yedi"},                                  // users at the top level
        {two, 0, 42, "Kırk İki"},
        {"\"Users\" {\n" + two + "}", 99, 99, ""},            // ActiveUser without a login block
        {user(7, "Yedi", "0"), 0, 0, ""},                     // nobody marked most recent
        {"\"users\" { \"5\" { \"PersonaName\" \"low\" \"mostrecent\" \"1\" } }", 0, 0, ""},  // below the base
        {"\"users\" { \"x\" \"y\" }\n" + user(3, "Üç", "1"), 0, 3, "Üç"},
    };
    for (const auto& c : cases) {
        Result<VdfBlock> doc = parse_vdf(c.text);
        ASSERT_TRUE(doc);
        SteamLogin login = steam_login_user(*doc, c.active);
        EXPECT_EQ(login.account, c.account) << c.text;
        EXPECT_EQ(login.persona, c.persona) << c.text;
    }
    // The SteamID64 rule in numbers: 76561197960265728 + 1 is account 1.
    Result<VdfBlock> doc = parse_vdf("\"76561197960265729\" { \"personaname\" \"Bir\" }");
    ASSERT_TRUE(doc);
    EXPECT_EQ(steam_login_user(*doc, 1).persona, "Bir");
    EXPECT_EQ(steam_login_user(*doc, 2).persona, "");

    SteamTree t;
    EXPECT_EQ(steam_read_login(t.steam, 5).account, 5u);  // no file: only the active user
    t.write(t.steam, {"config", "loginusers.vdf"}, "\"users\" {\n" + two + "}");
    EXPECT_EQ(steam_read_login(t.steam, 0).persona, "Kırk İki");
    // Nested past the parser's bound: the file reads as missing.
    std::string deep = "\"users\" {\n" + two;
    for (int i = 0; i < kVdfMaxDepth; ++i) deep += "\"k\" { ";
    t.write(t.steam, {"config", "loginusers.vdf"}, deep);
    SteamLogin refused = steam_read_login(t.steam, 0);
    EXPECT_EQ(refused.account, 0u);
    EXPECT_EQ(refused.persona, "");
}

// ---- Content log ----------------------------------------------------------------------------

TEST(SteamLog, ReadsTheTailFirstThenOnlyWhatWasAdded) {
    SteamTree t;
    std::string path = path_join(t.root, "content_log.txt");
    SteamLogCursor cursor;
    EXPECT_FALSE(read_content_log(path, cursor));  // no log yet
    EXPECT_FALSE(cursor.started);

    std::string big;
    for (int i = 0; big.size() < 1000000; ++i) big += "[2024-01-01 10:00:00] line " + std::to_string(i) + "\n";
    big.resize(1000000);
    ASSERT_TRUE(write_file_atomic(path, big));
    std::optional<std::string> first = read_content_log(path, cursor);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->size(), kSteamLogTail);
    EXPECT_EQ(*first, big.substr(1000000 - kSteamLogTail));
    EXPECT_EQ(cursor.position, 1000000u);
    EXPECT_FALSE(read_content_log(path, cursor));  // nothing new

    ASSERT_TRUE(append_file(path, "AppID 570 finished update\n"));
    EXPECT_EQ(read_content_log(path, cursor), std::optional<std::string>("AppID 570 finished update\n"));

    // Cleared and started again: shorter than the position, so read from the start.
    ASSERT_TRUE(write_file_atomic(path, "new log\n"));
    EXPECT_EQ(read_content_log(path, cursor), std::optional<std::string>("new log\n"));
    EXPECT_EQ(cursor.position, 8u);

    // A short log on the first read is read whole.
    SteamLogCursor fresh;
    EXPECT_EQ(read_content_log(path, fresh), std::optional<std::string>("new log\n"));
}

TEST(SteamLog, LinesGiveRatesAndDownloadChanges) {
    using K = SteamLogLine;
    const struct { const char* line; K::Kind kind; uint32_t app; double rate; } cases[] = {
        {"[2024-05-01 12:00:00] Current download rate: 8 Mbps", K::Rate, 0, 1000000},
        {"Current download rate: 12.5 Mbps\r", K::Rate, 0, 1562500},
        {"Current download rate:  0.000 Mbps ", K::Rate, 0, 0},
        {"Current download rate: fast Mbps", K::None, 0, 0},
        {"Current download rate: 8 MB/s", K::None, 0, 0},
        {"[2024-05-01 12:00:01] AppID 570 update started : download 100/2000, store 0/0, reuse 0/0", K::UpdateStarted, 570, 0},
        {"AppID 570 update started : download 100", K::None, 570, 0},
        {"AppID 730 state changed : Update Required,Update Queued,", K::StateChanged, 730, 0},
        {"AppID 730 update canceled : User request", K::UpdateCanceled, 730, 0},
        {"AppID 730 finished update (took 12 seconds)", K::UpdateFinished, 730, 0},
        {"AppID 730 scheduler finished : removed from schedule (result No Error, state 0xc)", K::SchedulerFinished, 730, 0},
        {"AppID 4294967296 finished update", K::None, 0, 0},
        {"AppID x finished update", K::None, 0, 0},
        {"[half a stamp AppID 1 finished update", K::None, 0, 0},
        {"", K::None, 0, 0},
    };
    for (const auto& c : cases) {
        SteamLogLine l = parse_content_log_line(c.line);
        EXPECT_EQ(l.kind, c.kind) << c.line;
        if (l.kind == K::None) continue;
        EXPECT_EQ(l.app_id, c.app) << c.line;
        EXPECT_DOUBLE_EQ(l.rate, c.rate) << c.line;
    }
    SteamLogLine started = parse_content_log_line("AppID 570 update started : download 100/2000, store 0/0");
    EXPECT_EQ(started.done, 100u);
    EXPECT_EQ(started.total, 2000u);
    EXPECT_EQ(parse_content_log_line("AppID 1 scheduler finished : removed from schedule (result Disk write failure)").result,
              "Disk write failure");
}

TEST(SteamLog, StateWordsGiveTheFurthestStateAndThePause) {
    const struct { const char* words; int state; int paused; } cases[] = {  // -1: not named
        {"Update Required,Update Queued,", kSteamQueued, -1},
        {"Update Required,Update Running,Update Started,Preallocating,", kSteamAllocating, 0},
        {"Update Required,Update Running,Update Started,Downloading,", kSteamDownloading, 0},
        {"Update Running,Downloading,Staging,", kSteamPreparing, 0},
        {"Update Running,Committing,", kSteamInstalling, 0},
        {"Fully Installed,Validating,", kSteamVerifying, -1},
        {"Update Running,Verifying,", kSteamVerifying, 0},
        {"Update Running,Reconfiguring,", kSteamConfiguring, 0},
        {"Update Required,Update Paused,Downloading,", kSteamDownloading, 1},
        {"Update Paused,Update Running,", -1, 1},
        {"Fully Installed,", -1, -1},
    };
    for (const auto& c : cases) {
        SteamLogLine l = parse_content_log_line(std::string("AppID 9 state changed : ") + c.words);
        ASSERT_EQ(l.kind, SteamLogLine::StateChanged) << c.words;
        EXPECT_EQ(l.state ? int(*l.state) : -1, c.state) << c.words;
        EXPECT_EQ(l.paused ? int(*l.paused) : -1, c.paused) << c.words;
    }
    std::vector<SteamLogLine> lines = parse_content_log(
        "noise\n[t] Current download rate: 8 Mbps\nAppID 5 finished update\r\nmore noise");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].kind, SteamLogLine::Rate);
    EXPECT_EQ(lines[1].app_id, 5u);
}
