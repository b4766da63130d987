// The media watcher: player names, the accent colour of a cover, the timeline
// and seek arithmetic, and the watcher's passes and commands over a fake
// session manager (no session, track changes, cover retries, chosen player).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "media.h"

namespace {

// ---- Player names -----------------------------------------------------------------------------------

TEST(MediaSourceName, KnownPlayersAndTheLastNamePart) {
    const struct {
        const char* id;
        const char* name;
    } cases[] = {
        {"Spotify.exe", "Spotify"},
        {"SpotifyAB.SpotifyMusic_zpdnekdrzrea0!Spotify", "Spotify"},
        {"Microsoft.ZuneMusic_8wekyb3d8bbwe!Microsoft.ZuneMusic", "Medya Oynatıcı"},
        {"Microsoft.ZuneVideo_8wekyb3d8bbwe!Microsoft.ZuneVideo", "Filmler ve TV"},
        {"C:\\Program Files\\mpv\\mpv.exe", "Mpv"},
        {"com.squirrel.Slack.Slack", "Slack"},
        {"", "Medya"},
        {"{6D809377-6AF0-444B-8957-A3773F02200E}\\Mozilla\\308046B0AF4A39CB", "Firefox"},
        {"308046b0af4a39cb", "Firefox"},
        {"MSEdge", "Edge"},
        {"C:/tools/player.EXE.exe", "Player"},   // ".exe" first, then ".EXE"
        {"C:\\x\\.exe", "Medya"},                // nothing left after the suffix
        {"app!ıspanak", "Ispanak"},             // full Unicode upper-casing of the first letter
        {"org.example.ßound", "SSound"},
    };
    for (const auto& c : cases) EXPECT_EQ(media_source_name(c.id), c.name) << c.id;
}

// ---- Accent colour ----------------------------------------------------------------------------------

Image filled(uint8_t b, uint8_t g, uint8_t r, uint8_t a, uint32_t side = 4) {
    Image img;
    img.width = img.height = side;
    img.pixels.resize(size_t{side} * side * 4);
    for (size_t i = 0; i < img.pixels.size(); i += 4) {
        img.pixels[i] = b;
        img.pixels[i + 1] = g;
        img.pixels[i + 2] = r;
        img.pixels[i + 3] = a;
    }
    return img;
}

TEST(AccentFromPixels, TransparentGreyAndRedCovers) {
    const struct {
        const char* what;
        Image image;
        std::array<float, 3> accent;
    } cases[] = {
        {"transparent", filled(0, 0, 0, 0), {1, 1, 1}},
        {"barely visible", filled(10, 10, 100, 120), {1, 1, 1}},  // alpha below one half counts for nothing
        {"no pixels", Image{}, {1, 1, 1}},
        {"grey", filled(128, 128, 128, 255), {0.92f, 0.92f, 0.95f}},
        {"black", filled(0, 0, 0, 255), {0.92f, 0.92f, 0.95f}},
        {"red", filled(0, 0, 255, 255), {1.0f, 0.15f, 0.15f}},
        {"half-covered red (premultiplied)", filled(0, 0, 200, 200), {1.0f, 0.15f, 0.15f}},
        {"blue", filled(255, 0, 0, 255), {0.15f, 0.15f, 1.0f}},
    };
    for (const auto& c : cases) {
        const std::array<float, 3> got = accent_from_pixels(c.image);
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], c.accent[i], 1e-5) << c.what << " channel " << i;
    }
}

TEST(AccentFromPixels, ReadsOnlyWholePixels) {
    Image img = filled(0, 0, 255, 255, 1);
    for (uint8_t v : {255, 0, 0}) img.pixels.push_back(v);  // a stray partial pixel would be blue
    const std::array<float, 3> got = accent_from_pixels(img);
    EXPECT_NEAR(got[0], 1.0f, 1e-5);
    EXPECT_NEAR(got[2], 0.15f, 1e-5);
}

// ---- Timeline and seek ------------------------------------------------------------------------------

TEST(SeekTicks, TowardZeroWithSaturation) {
    const struct {
        double seconds;
        int64_t ticks;
    } cases[] = {
        {83.5, 835'000'000},
        {std::nan(""), 0},
        {0.00000009, 0},
        {-0.00000009, 0},
        {1e300, std::numeric_limits<int64_t>::max()},
        {std::numeric_limits<double>::infinity(), std::numeric_limits<int64_t>::max()},
        {-1e300, std::numeric_limits<int64_t>::min()},
    };
    for (const auto& c : cases) EXPECT_EQ(seek_ticks(c.seconds), c.ticks) << c.seconds;
}

constexpr int64_t kT = kTicksPerSecond;
constexpr int64_t kNow = 134'000'000'000'000'000;  // some file time in 2025

TEST(MediaTimes, PositionWorkedForwardWhilePlaying) {
    const struct {
        const char* what;
        MediaTimelineTicks t;
        bool playing;
        double position, duration;
    } cases[] = {
        {"updated 10 s ago", {0, 245 * kT, 60 * kT, kNow - 10 * kT}, true, 70, 245},
        {"paused", {0, 245 * kT, 60 * kT, kNow - 10 * kT}, false, 60, 245},
        {"never past the end", {0, 245 * kT, 240 * kT, kNow - 10 * kT}, true, 245, 245},
        {"7 hours old", {0, 245 * kT, 60 * kT, kNow - 7 * 3600 * kT}, true, 60, 245},
        {"update in the future", {0, 245 * kT, 60 * kT, kNow + 5 * kT}, true, 60, 245},
        {"no update time", {0, 245 * kT, 60 * kT, 0}, true, 60, 245},
        {"start time subtracted", {10 * kT, 100 * kT, 40 * kT, 0}, false, 30, 90},
        {"end before start", {10 * kT, 5 * kT, 2 * kT, 0}, false, 0, 0},
        {"live stream (no duration) keeps growing", {0, 0, 60 * kT, kNow - 10 * kT}, true, 70, 0},
    };
    for (const auto& c : cases) {
        MediaTimes got = media_times(c.t, c.playing, kNow);
        EXPECT_DOUBLE_EQ(got.position, c.position) << c.what;
        EXPECT_DOUBLE_EQ(got.duration, c.duration) << c.what;
    }
}

// ---- The watcher over a fake manager ----------------------------------------------------------------

struct FakeSession {
    std::string id;
    MediaSessionRead read;
    std::optional<std::string> thumb;  // nothing: the cover cannot be read
};

struct FakeManager : MediaSessions {
    bool manager = true;
    bool grant_manager = true;
    int manager_requests = 0;
    std::vector<FakeSession> sessions;
    std::optional<size_t> current;     // the manager's current session
    bool list_readable = true;
    std::optional<size_t> picked;
    int list_reads = 0, thumb_reads = 0;
    std::vector<std::string> commands;  // "play@id", "seek@id:ticks"

    bool has_manager() const override { return manager; }
    bool request_manager() override {
        ++manager_requests;
        manager = grant_manager;
        return manager;
    }
    std::optional<std::vector<std::string>> session_ids() override {
        if (!list_readable) return std::nullopt;
        std::vector<std::string> ids;
        for (const FakeSession& s : sessions) ids.push_back(s.id);
        return ids;
    }
    std::vector<MediaSessionEntry> session_entries() override {
        ++list_reads;
        std::vector<MediaSessionEntry> out;
        for (const FakeSession& s : sessions) out.push_back({s.id, "", s.read.title, s.read.status == kPlaybackPlaying});
        return out;
    }
    bool pick_index(size_t index) override {
        picked = index;
        return index < sessions.size();
    }
    bool pick_current() override {
        picked = current;
        return current.has_value();
    }
    MediaSessionRead read_picked() override {
        MediaSessionRead r = sessions.at(*picked).read;
        r.source_id = sessions.at(*picked).id;
        return r;
    }
    std::optional<std::string> read_thumbnail(uint32_t max_bytes) override {
        ++thumb_reads;
        return sessions.at(*picked).thumb;
    }
    void command(const MediaCommand& c) override {
        const std::string& id = sessions.at(*picked).id;
        if (std::holds_alternative<media_cmd::TogglePlayPause>(c)) commands.push_back("play@" + id);
        else if (std::holds_alternative<media_cmd::Next>(c)) commands.push_back("next@" + id);
        else if (std::holds_alternative<media_cmd::Previous>(c)) commands.push_back("prev@" + id);
        else if (const auto* s = std::get_if<media_cmd::Seek>(&c))
            commands.push_back("seek@" + id + ":" + std::to_string(seek_ticks(s->position)));
    }
};

MediaSessionRead song(const std::string& title, const std::string& artist, double seconds, bool playing = true) {
    MediaSessionRead r;
    r.readable = true;
    r.status = playing ? kPlaybackPlaying : 2;
    r.can_position = true;
    r.title = title;
    r.artist = artist;
    r.timeline = MediaTimelineTicks{0, static_cast<int64_t>(seconds * kT), 0, 0};
    return r;
}

struct WatcherFixture : ::testing::Test {
    FakeManager fake;
    MediaWatcher w;
    double clock = 100;
    std::vector<uint16_t> keys;
    std::vector<int> sleeps;
    int notified = 0, decodes = 0;

    void SetUp() override {
        w.sessions = &fake;
        w.shared = Shared<MediaSnapshot>(initial_media_snapshot());
        w.config.monotonic = [this] { return clock; };
        w.config.file_time = [] { return kNow; };
        w.config.sleep = [this](int ms) { sleeps.push_back(ms); };
        w.config.send_key = [this](uint16_t vk) { keys.push_back(vk); };
        w.config.notify = [this] { ++notified; };
        w.config.decode = [this](std::string_view bytes, const std::vector<uint32_t>& sizes) {
            ++decodes;
            std::vector<Image> out;
            for (uint32_t s : sizes) out.push_back(filled(0, 0, 255, 255, s == kArtSide ? 8 : 2));
            return std::optional<std::vector<Image>>(out);
        };
    }
    MediaSnapshot shared() { return *w.shared.snapshot(); }
};

TEST_F(WatcherFixture, WithoutASessionTheMediaKeysArePressed) {
    fake.current.reset();
    media_pass(w);
    MediaSnapshot s = shared();
    EXPECT_FALSE(s.has);
    EXPECT_FALSE(s.playing);
    EXPECT_EQ(s.source_id, "");
    EXPECT_EQ(w.wait_ms, kMediaIdleWaitMs);
    EXPECT_EQ(notified, 1);

    for (MediaCommand c : {MediaCommand{media_cmd::TogglePlayPause{}}, MediaCommand{media_cmd::Next{}},
                           MediaCommand{media_cmd::Previous{}}, MediaCommand{media_cmd::Seek{30}}})
        media_handle_command(w, c);
    EXPECT_EQ(keys, (std::vector<uint16_t>{0xB3, 0xB0, 0xB1}));
    EXPECT_EQ(sleeps, (std::vector<int>{120, 120, 120, 120}));
}

TEST_F(WatcherFixture, WithoutAManagerItIsAskedForEveryFiveSeconds) {
    fake.manager = false;
    fake.grant_manager = false;
    media_pass(w);
    clock = 104.9;
    media_pass(w);
    EXPECT_EQ(fake.manager_requests, 1);
    clock = 105;
    media_pass(w);
    EXPECT_EQ(fake.manager_requests, 2);
    EXPECT_FALSE(shared().has);
    for (MediaCommand c : {MediaCommand{media_cmd::Next{}}}) media_handle_command(w, c);
    EXPECT_EQ(keys, (std::vector<uint16_t>{0xB0}));
}

TEST_F(WatcherFixture, CommandsGoToThePickedSession) {
    fake.sessions = {{"Spotify.exe", song("A", "B", 200), "png"}};
    fake.current = 0;
    media_handle_command(w, media_cmd::Seek{83.5});
    media_handle_command(w, media_cmd::TogglePlayPause{});
    EXPECT_EQ(fake.commands, (std::vector<std::string>{"seek@Spotify.exe:835000000", "play@Spotify.exe"}));
    EXPECT_TRUE(keys.empty());
}

TEST_F(WatcherFixture, SomethingIsShownWhenThereIsATextOrADuration) {
    const struct {
        const char* title;
        double duration;
        bool has;
    } cases[] = {{"", 245, true}, {"", 0, false}, {"Song", 0, true}};
    for (const auto& c : cases) {
        fake.sessions = {{"vlc.exe", song(c.title, "", c.duration, false), std::nullopt}};
        fake.current = 0;
        media_pass(w);
        EXPECT_EQ(shared().has, c.has) << c.title << " " << c.duration;
        EXPECT_EQ(w.wait_ms, c.has ? kMediaShownWaitMs : kMediaIdleWaitMs);
    }
}

TEST_F(WatcherFixture, ShownSessionFillsTheSnapshot) {
    MediaSessionRead r = song("Song", "Band", 245);
    r.timeline->position = 60 * kT;
    r.timeline->last_updated = kNow - 10 * kT;
    r.can_prev = false;
    fake.sessions = {{"Spotify.exe", r, std::nullopt}};
    fake.current = 0;
    media_pass(w);
    MediaSnapshot s = shared();
    EXPECT_EQ(s.title, "Song");
    EXPECT_EQ(s.artist, "Band");
    EXPECT_EQ(s.app, "Spotify");
    EXPECT_EQ(s.source_id, "Spotify.exe");
    EXPECT_DOUBLE_EQ(s.position, 70);
    EXPECT_DOUBLE_EQ(s.duration, 245);
    EXPECT_TRUE(s.playing);
    EXPECT_FALSE(s.can_prev);
    EXPECT_TRUE(s.can_next);
    EXPECT_TRUE(s.can_seek);
    ASSERT_EQ(s.sessions.size(), 1u);
    EXPECT_EQ(s.sessions[0].app_name, "Spotify");
    EXPECT_TRUE(s.sessions[0].playing);
}

TEST_F(WatcherFixture, UnreadableSessionShowsNothingButKeepsItsId) {
    MediaSessionRead r = song("Song", "Band", 245);
    fake.sessions = {{"Spotify.exe", r, "png"}};
    fake.current = 0;
    media_pass(w);
    const uint64_t track = shared().track_version;
    fake.sessions[0].read.readable = false;
    media_pass(w);
    MediaSnapshot s = shared();
    EXPECT_FALSE(s.has);
    EXPECT_EQ(s.source_id, "Spotify.exe");
    EXPECT_EQ(s.title, "Song");  // the rest keeps its last values
    fake.sessions[0].read.readable = true;
    media_pass(w);
    EXPECT_EQ(shared().track_version, track);  // the same track, not a new one
}

TEST_F(WatcherFixture, OneTrackIsFetchedOnceAndCountsAsNewAfterAGap) {
    fake.sessions = {{"Spotify.exe", song("Song", "Band", 245), "cover"}};
    fake.current = 0;
    media_pass(w);
    MediaSnapshot s = shared();
    EXPECT_EQ(s.track_version, 1u);
    EXPECT_EQ(s.art_version, 2u);  // cleared by the new track, then the cover
    ASSERT_TRUE(s.art && s.art_small);
    EXPECT_EQ(s.art->width, 8u);
    EXPECT_EQ(s.art_small->width, 2u);
    EXPECT_NEAR(s.accent[1], 0.15f, 1e-5);

    clock += 5;
    media_pass(w);
    EXPECT_EQ(shared().track_version, 1u);
    EXPECT_EQ(fake.thumb_reads, 1);

    fake.current.reset();  // a pass without a session
    media_pass(w);
    EXPECT_EQ(shared().track_version, 1u);  // kept while nothing is shown
    fake.current = 0;
    media_pass(w);
    s = shared();
    EXPECT_EQ(s.track_version, 2u);
    EXPECT_EQ(s.art_version, 4u);
    EXPECT_EQ(fake.thumb_reads, 2);
}

TEST_F(WatcherFixture, AMissingCoverIsTriedSixTimesAtMost) {
    fake.sessions = {{"Spotify.exe", song("Song", "Band", 245), std::nullopt}};
    fake.current = 0;
    media_pass(w);
    EXPECT_EQ(fake.thumb_reads, 1);
    clock += 0.5;
    media_pass(w);
    EXPECT_EQ(fake.thumb_reads, 1);  // the next try is 0.9 s after the last
    for (int i = 0; i < 10; ++i) {
        clock += 0.9;
        media_pass(w);
    }
    EXPECT_EQ(fake.thumb_reads, kThumbAttempts);
    MediaSnapshot s = shared();
    EXPECT_FALSE(s.art);
    EXPECT_EQ(s.accent[0], 1.0f);
    EXPECT_EQ(s.accent[1], 1.0f);
}

TEST_F(WatcherFixture, AChosenPlayerIsShownWhileItHasASession) {
    fake.sessions = {{"Spotify.exe", song("S", "", 100), std::nullopt}, {"vlc.exe", song("V", "", 100), std::nullopt}};
    fake.current = 0;
    media_pass(w);
    EXPECT_EQ(fake.list_reads, 1);
    media_handle_command(w, media_cmd::SelectSource{"vlc.exe"});
    media_pass(w);
    EXPECT_EQ(shared().title, "V");
    EXPECT_EQ(fake.list_reads, 2);  // the list is rebuilt in the first pass after a choice
    for (int i = 0; i < 7; ++i) media_pass(w);
    EXPECT_EQ(fake.list_reads, 2);
    media_pass(w);
    EXPECT_EQ(fake.list_reads, 3);  // and every eighth pass after it

    media_handle_command(w, media_cmd::SelectSource{"nobody.exe"});
    media_pass(w);
    EXPECT_EQ(shared().title, "S");  // an unknown choice shows the current session
    fake.list_readable = false;
    media_handle_command(w, media_cmd::SelectSource{"vlc.exe"});
    media_pass(w);
    EXPECT_EQ(shared().title, "S");  // so does a list that cannot be read
}

TEST_F(WatcherFixture, APoisonedSnapshotSkipsTheStoreButStillNotifies) {
    fake.sessions = {{"Spotify.exe", song("Song", "Band", 245), std::nullopt}};
    fake.current = 0;
    try {
        w.shared.with([](MediaSnapshot&) { throw 1; });
    } catch (int) {
    }
    media_pass(w);
    EXPECT_EQ(notified, 1);
    EXPECT_TRUE(w.shared.poisoned());
}

TEST(MediaWatchLoop, EndsWhenEverySenderIsGoneAndHandlesCommandsOnTheWay) {
    FakeManager fake;
    fake.current.reset();
    MediaWatcher w;
    w.sessions = &fake;
    std::vector<uint16_t> keys;
    w.config.send_key = [&](uint16_t vk) { keys.push_back(vk); };
    auto [tx, rx] = channel<MediaCommand>();
    tx.send(media_cmd::Next{});
    tx.send(media_cmd::Previous{});
    { Sender<MediaCommand> gone = std::move(tx); }
    media_watch_loop(w, rx);
    EXPECT_EQ(keys, (std::vector<uint16_t>{0xB0, 0xB1}));
}

}  // namespace

namespace {

// Nothing to show and nothing changed wakes the island once, not every pass;
// a shown session, even paused, is reported after every pass.
TEST_F(WatcherFixture, IdlePassesWakeTheIslandOnlyWhenSomethingChanged) {
    fake.current.reset();
    for (int i = 0; i < 3; ++i) media_pass(w);
    EXPECT_EQ(notified, 1);
    media_handle_command(w, media_cmd::Refresh{});  // a command is always answered
    media_pass(w);
    EXPECT_EQ(notified, 2);

    fake.sessions = {{"vlc.exe", song("Akşam", "", 200, false), std::nullopt}};
    fake.current = 0;
    for (int i = 0; i < 3; ++i) media_pass(w);
    EXPECT_EQ(notified, 5);
    EXPECT_TRUE(shared().has);

    fake.sessions.clear();
    fake.current.reset();
    for (int i = 0; i < 10; ++i) media_pass(w);  // the session list is read again on the way
    EXPECT_EQ(notified, 6);
    EXPECT_FALSE(shared().has);
}

}  // namespace
