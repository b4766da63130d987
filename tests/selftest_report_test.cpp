// The "--selftest" report built from a recorded probe: the lines in their
// order, the debug forms, the battery, brightness, app-list, media and
// weather rules, states that could not be read, and where the file goes.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "shots_probe.h"
#include "sys_os.h"

namespace {

// A probe that saw every service and every watcher.
SystemProbe full_probe() {
    SystemProbe p;
    p.volume = VolumeReading{false, 0.25f};
    p.brightness_available = true;
    p.brightness = 0.5f;
    p.power = power_status_from(0, 1, 80);
    p.apps = {{"Hesap Makinesi", "Microsoft.WindowsCalculator_8wekyb3d8bbwe!App"}, {"Not Defteri", "notepad"}};
    p.query_rows = {SearchRow{SearchRowKind::App, "calc", "Hesap Makinesi", "Uygulama"},
                    SearchRow{SearchRowKind::Web, "https://www.google.com/search?q=hesap", "hesap", "Web"}};
    MediaSnapshot m;
    m.has = true;
    m.playing = true;
    m.title = "Şarkı";
    m.artist = "Sanatçı";
    m.app = "Spotify";
    m.position = 61.25;
    m.duration = 200;
    m.art = std::make_shared<const Image>(Image{{}, 300, 280});
    p.media = m;
    p.shell_icon = std::make_pair(64u, 64u);
    p.autostart = true;
    p.dark_mode = true;
    p.caps_lock = false;
    p.layout = "TR";
    p.foreground_exe = "C:\\Windows\\explorer.exe";
    p.mic_users = {"Discord"};
    p.microphone = VolumeReading{true, 1.0f};
    SysmonSnapshot s;
    s.cpu = 0.125f;
    s.mem_used = 8.25e9;
    s.mem_total = 16e9;
    s.down_rate = 1500;
    s.up_rate = 20;
    s.disk_free = 120.4e9;
    s.wifi = RadioState::On;
    s.online = true;
    s.net_name = "Ev";
    s.top = {{"chrome.exe", 12.5f}};
    p.sysmon = s;
    WeatherSnapshot w;
    w.ok = true;
    w.city = "İstanbul";
    w.temp = 21.46f;
    w.code = 2;
    w.days.resize(6);
    p.weather = w;
    SteamSnapshot st;
    st.found = true;
    st.persona = "oyuncu";
    st.game_count = 1;
    st.total_size = 30'000'000'000;
    st.games = {SteamGameEntry{"Portal 2", 30'000'000'000, 1700000000, 90, nullptr, 620}};
    p.steam = st;
    p.notifications_status = "açık";
    p.is_browser = {true, true, false};
    p.google_line = "google: client=yok signed_in=false voice=Türkçe ses yok";
    p.microphones = {"Mikrofon (USB)"};
    return p;
}

std::vector<std::string> lines_of(const SystemProbe& p) { return probe_report_lines(p); }

bool has_line(const std::vector<std::string>& lines, const std::string& line) {
    for (const auto& l : lines)
        if (l == line) return true;
    return false;
}

std::vector<std::string> starting_with(const std::vector<std::string>& lines, const std::string& prefix) {
    std::vector<std::string> out;
    for (const auto& l : lines)
        if (l.rfind(prefix, 0) == 0) out.push_back(l);
    return out;
}

TEST(SelftestReport, EveryLineInOrderWithItsValues) {
    EXPECT_EQ(probe_report_text(full_probe()),
              "volume: (0.25, false)\n"
              "brightness available=true value=0.5\n"
              "battery: Battery { percent: 80, ac: false, present: true }\n"
              "apps indexed: 2\n"
              "  app: Hesap Makinesi -> Microsoft.WindowsCalculator_8wekyb3d8bbwe!App\n"
              "  app: Not Defteri -> notepad\n"
              "  query 'hesap': Hesap Makinesi (Uygulama)\n"
              "  query 'hesap': hesap (Web)\n"
              "media: has=true playing=true title=Şarkı artist=Sanatçı app=Spotify pos=61.2/200.0 art=300x280\n"
              "shell icon notepad: (64, 64)\n"
              "autostart: true\n"
              "dark mode: true  caps: false  layout: TR\n"
              "foreground exe: C:\\Windows\\explorer.exe\n"
              "mic in use: [\"Discord\"]  camera in use: []\n"
              "microphone: (1, true)\n"
              "sysmon: cpu=12% ram=8.2/16.0 GB down=1500 B/s up=20 B/s disk_free=120 GB wifi=On bt=None online=true "
              "net=Ev top=[(\"chrome.exe\", 12.5)]\n"
              "weather: ok=true city=İstanbul temp=21.5 code=2 (Parçalı bulutlu) days=6 err=\n"
              "steam: found=true client=false persona=oyuncu games=1 size=30 GB updates=0 playing=None active=None\n"
              "  game: Portal 2 (620) 1.5 sa, last=1700000000 img=false\n"
              "notifications listener: açık\n"
              "is_browser chrome/edge/discord: true true false\n"
              "google: client=yok signed_in=false voice=Türkçe ses yok\n"
              "microphones: [\"Mikrofon (USB)\"]\n");
}

TEST(SelftestReport, BatteryFromThePowerBytes) {
    struct Case {
        uint8_t ac, flag, percent;
        const char* line;
    };
    const Case cases[] = {
        {1, 128, 255, "Battery { percent: 100, ac: true, present: false }"},  // a desktop: no system battery
        {0, 255, 50, "Battery { percent: 50, ac: false, present: false }"},   // status unknown
        {0, 1, 80, "Battery { percent: 80, ac: false, present: true }"},
        {1, 8, 100, "Battery { percent: 100, ac: true, present: true }"},     // charging
        {255, 0, 42, "Battery { percent: 42, ac: false, present: true }"},    // AC state unknown is not mains
        {1, 9, 130, "Battery { percent: 100, ac: true, present: true }"},     // an out-of-range percentage is capped
    };
    for (const Case& c : cases)
        EXPECT_EQ(fmt_battery_debug(power_status_from(c.ac, c.flag, c.percent)), c.line)
            << int(c.ac) << " " << int(c.flag) << " " << int(c.percent);

    SystemProbe p = full_probe();
    p.power.reset();
    EXPECT_TRUE(has_line(lines_of(p), "battery: None"));
}

TEST(SelftestReport, BrightnessNeedsTheDeviceAndItsReading) {
    struct Case {
        bool available;
        std::optional<float> value;
        const char* line;
    };
    const Case cases[] = {
        {false, std::nullopt, "brightness available=false value=None"},  // a desktop display
        {false, 0.7f, "brightness available=false value=None"},          // no device: no value whatever was read
        {true, std::nullopt, "brightness available=true value=None"},    // the query failed
        {true, 0.7f, "brightness available=true value=0.7"},
        {true, 1.0f, "brightness available=true value=1"},
    };
    for (const Case& c : cases) {
        SystemProbe p = full_probe();
        p.brightness_available = c.available;
        p.brightness = c.value;
        EXPECT_EQ(lines_of(p)[1], c.line);
    }
}

TEST(SelftestReport, AtMostEightAppsAreListedButAllAreCounted) {
    struct Case {
        size_t apps, listed;
    };
    for (const Case c : {Case{0, 0}, Case{3, 3}, Case{8, 8}, Case{11, 8}}) {
        SystemProbe p = full_probe();
        p.apps.clear();
        for (size_t i = 0; i < c.apps; ++i) p.apps.push_back({"App " + std::to_string(i), "id" + std::to_string(i)});
        auto lines = lines_of(p);
        EXPECT_TRUE(has_line(lines, "apps indexed: " + std::to_string(c.apps))) << c.apps;
        auto listed = starting_with(lines, "  app: ");
        ASSERT_EQ(listed.size(), c.listed) << c.apps;
        for (size_t i = 0; i < listed.size(); ++i)
            EXPECT_EQ(listed[i], "  app: App " + std::to_string(i) + " -> id" + std::to_string(i));
        // The query rows follow the app lines whatever their number.
        EXPECT_EQ(lines[4 + c.listed], "  query 'hesap': Hesap Makinesi (Uygulama)") << c.apps;
    }
}

TEST(SelftestReport, ArtShowsOnlyForPresentMediaWithACover) {
    struct Case {
        bool has;
        bool art;
        const char* field;
    };
    const Case cases[] = {{true, true, "art=300x280"}, {true, false, "art=-"}, {false, false, "art=-"},
                          {false, true, "art=-"}};  // a cover left from an ended session is no media
    for (const Case& c : cases) {
        SystemProbe p = full_probe();
        p.media->has = c.has;
        if (!c.art) p.media->art.reset();
        auto media = starting_with(lines_of(p), "media: ");
        ASSERT_EQ(media.size(), 1u);
        EXPECT_TRUE(media[0].ends_with(std::string(" ") + c.field)) << media[0];
    }
    SystemProbe idle = full_probe();
    idle.media = MediaSnapshot{};
    EXPECT_EQ(starting_with(lines_of(idle), "media: ")[0],
              "media: has=false playing=false title= artist= app= pos=0.0/0.0 art=-");
}

TEST(SelftestReport, WeatherCodeTextOrADash) {
    struct Case {
        int32_t code;
        const char* text;
    };
    const Case cases[] = {{0, "(Açık)"}, {95, "(Gök gürültülü)"}, {42, "(—)"}, {100, "(—)"}, {-1, "(—)"}};
    for (const Case& c : cases) {
        SystemProbe p = full_probe();
        p.weather->code = c.code;
        auto weather = starting_with(lines_of(p), "weather: ")[0];
        EXPECT_NE(weather.find(" code=" + std::to_string(c.code) + " " + c.text + " "), std::string::npos) << weather;
    }
    SystemProbe failed = full_probe();
    failed.weather = WeatherSnapshot{};
    failed.weather->city = "İstanbul";
    failed.weather->error = "Hava durumu alınamadı";
    EXPECT_EQ(starting_with(lines_of(failed), "weather: ")[0],
              "weather: ok=false city=İstanbul temp=0.0 code=0 (Açık) days=0 err=Hava durumu alınamadı");
}

// A watcher state whose lock is poisoned leaves its own lines out, and an apps
// index that cannot be read counts 0; every other line stays in its place.
TEST(SelftestReport, UnreadableStatesLeaveOnlyTheirLinesOut) {
    const std::vector<std::string> all = lines_of(full_probe());
    struct Case {
        const char* name;
        void (*spoil)(SystemProbe&);
        std::vector<std::string> gone;
        bool no_apps;
    };
    const Case cases[] = {
        {"media", [](SystemProbe& p) { p.media.reset(); }, {"media: "}, false},
        {"sysmon", [](SystemProbe& p) { p.sysmon.reset(); }, {"sysmon: "}, false},
        {"weather", [](SystemProbe& p) { p.weather.reset(); }, {"weather: "}, false},
        {"steam", [](SystemProbe& p) { p.steam.reset(); }, {"steam: ", "  game: "}, false},
        {"notifications", [](SystemProbe& p) { p.notifications_status.reset(); }, {"notifications listener: "}, false},
        {"apps", [](SystemProbe& p) { p.apps.clear(); }, {"  app: "}, true},
    };
    for (const Case& c : cases) {
        SystemProbe p = full_probe();
        c.spoil(p);
        std::vector<std::string> expected;
        for (const auto& line : all) {
            bool dropped = false;
            for (const auto& prefix : c.gone) dropped = dropped || line.rfind(prefix, 0) == 0;
            if (dropped) continue;
            expected.push_back(c.no_apps && line.rfind("apps indexed: ", 0) == 0 ? "apps indexed: 0" : line);
        }
        EXPECT_EQ(lines_of(p), expected) << c.name;
    }
}

TEST(SelftestReport, DebugForms) {
    EXPECT_EQ(debug_volume(std::nullopt), "None");
    EXPECT_EQ(debug_volume(VolumeReading{true, 0.5f}), "(0.5, true)");
    EXPECT_EQ(debug_text_list({}), "[]");
    EXPECT_EQ(debug_text_list({"a \"b\"", "c\\d", "e\nf"}), "[\"a \\\"b\\\"\", \"c\\\\d\", \"e\\nf\"]");
    EXPECT_EQ(debug_radio(RadioState::Unknown), "None");
    EXPECT_EQ(debug_radio(RadioState::Off), "Off");
    EXPECT_EQ(debug_top({}), "[]");
    EXPECT_EQ(debug_top({{"a.exe", 3.5f}, {"b.exe", 0}}), "[(\"a.exe\", 3.5), (\"b.exe\", 0)]");
    EXPECT_EQ(debug_playing(std::nullopt), "None");
    EXPECT_EQ(debug_playing(SteamPlaying{"Portal 2", 1700000000, nullptr, 620}),
              "Playing { name: \"Portal 2\", app_id: 620, started: 1700000000 }");
    SteamActiveDownload d;
    d.name = "Dota 2";
    d.app_id = 570;
    d.done = 1024;
    d.total = 4096;
    d.rate = 512;
    d.state = 4;
    EXPECT_EQ(debug_download(d),
              "Download { name: \"Dota 2\", app_id: 570, done: 1024, total: 4096, rate: 512, state: 4, paused: false }");
}

TEST(SelftestReport, TheArgumentNamesAFolderOrTheFile) {
    struct Case {
        const char* argument;
        bool is_folder;
        std::string folder, file;
    };
    const Case cases[] = {
        {"", false, "", "selftest.txt"},
        {"selftest.txt", false, "", "selftest.txt"},
        {"rapor.log", false, "", "rapor.log"},
        {"out", false, "out", path_join("out", "selftest.txt")},
        {"out/", false, "out", path_join("out", "selftest.txt")},
        {"C:\\rapor\\", false, "C:\\rapor", path_join("C:\\rapor", "selftest.txt")},
        {"klasor.v2", true, "klasor.v2", path_join("klasor.v2", "selftest.txt")},  // an existing folder
    };
    for (const Case& c : cases) {
        ProbeTarget t = probe_target(c.argument, c.is_folder);
        EXPECT_EQ(t.folder, c.folder) << c.argument;
        EXPECT_EQ(t.file, c.file) << c.argument;
    }
}

}  // namespace
