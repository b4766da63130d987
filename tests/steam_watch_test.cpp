// The Steam watcher's pass on a Steam folder tree written in a temporary
// folder, with the registry, the process table and the network counters
// answered from tables: what the snapshot holds, which events a pass raises
// and when the island is told.
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "steam_tree_support.h"
#include "steam_watch.h"
#include "sys_os.h"

namespace {

// The machine as the pass sees it.
struct FakeMachine {
    std::map<std::string, std::string> strings;  // "key|value"
    std::map<std::string, uint32_t> dwords;
    std::set<uint32_t> running;
    std::optional<uint64_t> bytes;

    void set(const std::string& key, const std::string& value, const std::string& text) { strings[key + "|" + value] = text; }
    void set(const std::string& key, const std::string& value, uint32_t n) { dwords[key + "|" + value] = n; }
    void unset(const std::string& key, const std::string& value) {
        strings.erase(key + "|" + value);
        dwords.erase(key + "|" + value);
    }

    SteamSystem system() {
        SteamSystem sys;
        sys.reg_string = [this](const std::string& k, const std::string& v) -> std::optional<std::string> {
            auto it = strings.find(k + "|" + v);
            return it == strings.end() ? std::nullopt : std::optional<std::string>(it->second);
        };
        sys.reg_dword = [this](const std::string& k, const std::string& v) -> std::optional<uint32_t> {
            auto it = dwords.find(k + "|" + v);
            return it == dwords.end() ? std::nullopt : std::optional<uint32_t>(it->second);
        };
        sys.process_running = [this](uint32_t pid) { return running.count(pid) > 0; };
        sys.received_bytes = [this] { return bytes; };
        sys.decode = fake_decode;
        return sys;
    }
};

constexpr int64_t kUnix0 = 1700000000;

// A Steam install with Dota 2 and Counter-Strike 2, their headers, a signed-in
// user and the client running; the watcher's clock starts at 100 s.
struct SteamWatchTest : ::testing::Test {
    SteamTree t;
    FakeMachine m;
    SteamSystem sys;
    SteamWatch w;
    Shared<SteamSnapshot> shared;
    double now = 100;
    int64_t wall = kUnix0;

    void SetUp() override {
        m.set(kSteamKey, "SteamPath", t.steam);
        m.set(kSteamProcessKey, "pid", 4242u);
        m.running.insert(4242);
        m.set(kSteamProcessKey, "ActiveUser", 0u);
        m.set(steam_app_key(570), "Name", "Dota 2 (registry)");
        t.manifest(t.steam, "570", "Dota 2", "3000");
        t.manifest(t.steam, "730", "Counter-Strike 2", "5000");
        t.write(t.steam, {"appcache", "librarycache", "570", "header.jpg"}, "IMG5");
        t.write(t.steam, {"config", "loginusers.vdf"},
                "\"users\" { \"" + std::to_string(kSteamId64Base + 77) +
                    "\" { \"PersonaName\" \"Deniz\" \"MostRecent\" \"1\" } }");
        sys = m.system();
    }

    // One pass `seconds` after the previous one; true when the island is told.
    bool pass(double seconds = 1, LocalTime local = {}) {
        now += seconds;
        wall += static_cast<int64_t>(seconds);
        return steam_watch_pass(w, sys, {now, wall, local}, shared);
    }
    SteamSnapshot snap() {
        SteamSnapshot copy;
        shared.with([&](SteamSnapshot& s) { copy = s; });
        return copy;
    }
    std::vector<SteamEvent> take_events() {
        std::vector<SteamEvent> out;
        shared.with([&](SteamSnapshot& s) { out.swap(s.events); });
        return out;
    }
    // A download of app 570 the watcher saw start (after a quiet first pass).
    void start_download() {
        remove_file(t.log_path());
        m.set(steam_app_key(570), "Updating", 1u);
        pass();
        t.log("[2024-05-01 12:00:00] AppID 570 update started : download 0/3000, store 0/0, reuse 0/0\n");
        ASSERT_TRUE(pass());
        ASSERT_TRUE(snap().active);
        take_events();
    }
};

std::string kinds(const std::vector<SteamEvent>& events) {
    std::string out;
    for (const SteamEvent& e : events) out += std::to_string(int(e.kind)) + ":" + e.name + ";";
    return out;
}

}  // namespace

TEST_F(SteamWatchTest, WithoutTheSteamFolderNothingIsFoundOrPosted) {
    m.unset(kSteamKey, "SteamPath");
    EXPECT_FALSE(pass());
    m.set(kSteamKey, "SteamPath", path_join(t.root, "NoSuchFolder"));
    EXPECT_FALSE(pass());
    SteamSnapshot s = snap();
    EXPECT_FALSE(s.found);
    EXPECT_FALSE(s.client);
    EXPECT_TRUE(s.games.empty());
    EXPECT_EQ(s.game_count, 0u);

    m.set(kSteamKey, "SteamPath", t.steam);
    EXPECT_TRUE(pass());
    EXPECT_TRUE(snap().found);
}

TEST_F(SteamWatchTest, FirstPassPublishesTheInstallAndAQuietHistory) {
    for (int i = 1; i <= 10; ++i) t.manifest(t.steam, std::to_string(1000 + i), "Oyun " + std::to_string(i), "100", "6");
    m.set(steam_app_key(440), "Updating", 1u);
    // Written before the watcher started: a finished download and one still running.
    t.log("[2024-05-01 11:00:00] AppID 10 update started : download 0/50, store 0/0\n"
          "[2024-05-01 11:00:05] AppID 10 finished update (took 5 seconds)\n"
          "[2024-05-01 11:01:00] AppID 440 update started : download 100/2000, store 0/0\n"
          "[2024-05-01 11:01:01] AppID 440 state changed : Update Running,Downloading,\n"
          "[2024-05-01 11:01:02] Current download rate: 8 Mbps\n");
    t.manifest(t.steam, "440", "Team Fortress 2", "0", "1026",
               "\t\"BytesToDownload\"\t\t\"4000\"\n\t\"BytesDownloaded\"\t\t\"1500\"\n");

    ASSERT_TRUE(pass());
    SteamSnapshot s = snap();
    EXPECT_TRUE(s.found);
    EXPECT_TRUE(s.client);
    EXPECT_EQ(s.persona, "Deniz");
    EXPECT_EQ(s.game_count, 13u);
    ASSERT_EQ(s.games.size(), kSteamGamesKept);
    EXPECT_EQ(s.total_size, 3000u + 5000u + 10 * 100u);
    EXPECT_EQ(s.updates_waiting, 11u);
    EXPECT_TRUE(s.events.empty()) << kinds(s.events) << " — the history raises nothing";
    EXPECT_TRUE(s.downloads.empty());
    ASSERT_TRUE(s.active);
    EXPECT_EQ(s.active->app_id, 440u);
    EXPECT_EQ(s.active->name, "Team Fortress 2");
    EXPECT_DOUBLE_EQ(s.active->done, 1500);
    EXPECT_DOUBLE_EQ(s.active->total, 4000);
    EXPECT_DOUBLE_EQ(s.active->rate, 1000000);
    EXPECT_EQ(s.active->state, kSteamDownloading);
    EXPECT_FALSE(s.active->paused);
    // Nothing new a second later: the island is not woken.
    EXPECT_FALSE(pass());
}

TEST_F(SteamWatchTest, ADownloadStartsPausesAndFinishes) {
    m.set(steam_app_key(570), "Updating", 1u);
    pass();
    t.log("AppID 570 update started : download 0/3000, store 0/0\n");
    ASSERT_TRUE(pass());
    std::vector<SteamEvent> events = take_events();
    ASSERT_EQ(kinds(events), "0:Dota 2;");
    EXPECT_DOUBLE_EQ(events[0].size, 3000);
    SteamSnapshot s = snap();
    ASSERT_EQ(s.downloads.size(), 1u);
    EXPECT_EQ(s.downloads[0].name, "Dota 2 (registry)");
    EXPECT_EQ(s.downloads[0].detail, "");
    ASSERT_TRUE(s.active);
    ASSERT_TRUE(s.active->header);
    EXPECT_EQ(s.active->header->width, 5u);

    t.log("AppID 570 state changed : Update Required,Update Paused,Downloading,\n");
    EXPECT_TRUE(pass());
    s = snap();
    EXPECT_TRUE(s.active->paused);
    EXPECT_DOUBLE_EQ(s.active->rate, 0);

    // Finished: the list keeps its local time, the install is rescanned at once.
    t.manifest(t.steam, "620", "Portal 2", "7000");
    t.log("AppID 570 finished update (took 30 seconds)\n");
    ASSERT_TRUE(pass(1, LocalTime{2024, 5, 1, 3, 9, 5, 0}));
    events = take_events();
    EXPECT_EQ(kinds(events), "1:Dota 2;");
    s = snap();
    EXPECT_FALSE(s.active);
    ASSERT_EQ(s.downloads.size(), 1u);
    EXPECT_EQ(s.downloads[0].name, "Dota 2");
    EXPECT_EQ(s.downloads[0].detail, "09:05");
    EXPECT_EQ(s.last_update_title, "Dota 2");
    EXPECT_EQ(s.last_update_detail, "09:05");
    EXPECT_EQ(s.game_count, 3u);
}

TEST_F(SteamWatchTest, WhatEndsTheHeldDownload) {
    const struct {
        const char* line;         // appended after the start, or "" for the registry flag
        uint32_t updating;        // "Updating" of app 570 during that pass
        bool held;                // the download is still held afterwards
        const char* events;
    } cases[] = {
        {"AppID 570 update canceled : User request\n", 1, false, ""},
        {"AppID 570 scheduler finished : removed from schedule (result Disk write failure, state 0x0)\n", 1, false, ""},
        {"AppID 570 scheduler finished : removed from schedule (result No Error, state 0x0)\n", 1, true, ""},
        {"AppID 730 scheduler finished : removed from schedule (result Disk write failure)\n", 1, true, ""},
        {"AppID 730 finished update\n", 1, true, ""},
        {"AppID 730 update canceled\n", 1, true, ""},
        {"", 0, false, ""},
        {"", 1, true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        w = SteamWatch{};
        shared = Shared<SteamSnapshot>();
        start_download();
        m.set(steam_app_key(570), "Updating", c.updating);
        if (*c.line) t.log(c.line);
        pass();
        EXPECT_EQ(snap().active.has_value(), c.held);
        EXPECT_EQ(kinds(take_events()), c.events);
    }
    // Dropped by the registry first, the finish line still reaches the island once.
    w = SteamWatch{};
    shared = Shared<SteamSnapshot>();
    start_download();
    m.set(steam_app_key(570), "Updating", 0u);
    pass();
    t.log("AppID 570 finished update\n");
    pass();
    EXPECT_EQ(kinds(take_events()), "1:Dota 2;");
    t.log("AppID 570 finished update\n");
    pass();
    EXPECT_EQ(kinds(take_events()), "");
}

TEST_F(SteamWatchTest, RunningGameStartsAndClosesWithItsPlayTime) {
    pass();
    m.set(kSteamKey, "RunningAppID", 570u);
    ASSERT_TRUE(pass(3));
    EXPECT_EQ(kinds(take_events()), "2:Dota 2;");
    SteamSnapshot s = snap();
    ASSERT_TRUE(s.playing);
    EXPECT_EQ(s.playing->app_id, 570u);
    EXPECT_EQ(s.playing->started, wall);
    ASSERT_TRUE(s.playing->header);
    for (const SteamGameEntry& g : s.games) {
        if (g.app_id == 570) {
            EXPECT_EQ(g.header.get(), s.playing->header.get()) << "shared with the game list";
        }
    }

    // Straight to another game: the first closes, then the second starts, and the
    // statistics written meanwhile are read again in the same pass.
    t.write(t.steam, {"userdata", "77", "config", "localconfig.vdf"},
            "\"UserLocalConfigStore\" { \"Software\" { \"Valve\" { \"Steam\" { \"apps\" {"
            " \"570\" { \"LastPlayed\" \"1700000120\" \"Playtime\" \"95\" } } } } } }");
    m.set(kSteamKey, "RunningAppID", 730u);
    ASSERT_TRUE(pass(30));
    std::vector<SteamEvent> events = take_events();
    ASSERT_EQ(kinds(events), "3:Dota 2;2:Counter-Strike 2;");
    EXPECT_EQ(events[0].seconds, 30);
    s = snap();
    EXPECT_EQ(s.playing->name, "Counter-Strike 2");
    ASSERT_FALSE(s.games.empty());
    EXPECT_EQ(s.games[0].app_id, 570u);  // played last
    EXPECT_EQ(s.games[0].minutes, 95u);

    // The running game is read every two seconds, not every pass.
    m.set(kSteamKey, "RunningAppID", 0u);
    EXPECT_FALSE(pass(1));
    EXPECT_TRUE(pass(1.5));
    EXPECT_EQ(kinds(take_events()), "3:Counter-Strike 2;");
    EXPECT_FALSE(snap().playing);
}

TEST_F(SteamWatchTest, ClientStateIsCheckedEveryFiveSeconds) {
    ASSERT_TRUE(pass());
    EXPECT_TRUE(snap().client);
    m.running.clear();
    EXPECT_FALSE(pass(3));
    EXPECT_TRUE(snap().client);
    EXPECT_TRUE(pass(2.5));
    EXPECT_FALSE(snap().client);
    // A pid of 0 is no client even if something answers for it.
    m.running.insert(0);
    m.set(kSteamProcessKey, "pid", 0u);
    EXPECT_FALSE(pass(6));
}

TEST_F(SteamWatchTest, RateComesFromTheNetworkWhenTheLogIsQuiet) {
    start_download();
    const struct { double after; uint64_t bytes; double rate; } steps[] = {
        {1, 1000, 0},           // the first reading only sets the base
        {0.5, 501000, 1000000},
        {0.1, 601000, 500000},  // at least 0.2 s between readings
        {1, 1000, 0},           // counters that went back
    };
    for (const auto& st : steps) {
        m.bytes = st.bytes;
        pass(st.after);
        ASSERT_TRUE(snap().active);
        EXPECT_DOUBLE_EQ(snap().active->rate, st.rate) << st.bytes;
    }
    // A logged rate stands for ten seconds, then the counters take over again.
    t.log("Current download rate: 16 Mbps\n");
    m.bytes = 2001;
    pass(1);
    EXPECT_DOUBLE_EQ(snap().active->rate, 2000000);
    m.bytes = 3001;
    pass(10.5);
    EXPECT_NEAR(snap().active->rate, 1000.0 / 10.5, 1e-9);
}

TEST_F(SteamWatchTest, ADamagedLockSkipsTheStore) {
    ASSERT_TRUE(pass());
    m.set(kSteamKey, "RunningAppID", 570u);
    try {
        shared.with([](SteamSnapshot&) { throw 1; });
    } catch (int) {
    }
    EXPECT_FALSE(pass(3));
}
