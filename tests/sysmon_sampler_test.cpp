// The system monitor's samples over a scripted probe: the first sample, the
// schedule of the costly readings, rates, failures, radios, the connection and
// the announcement of finished downloads through the shared snapshot.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "sys_os.h"
#include "sys_radio.h"
#include "sysmon_sampler.h"

namespace {

constexpr uint64_t kSecond = 10'000'000;  // 100-ns units

// Each reading comes from a field the test sets; calls are counted per sample.
struct ScriptedProbe final : SysmonProbe {
    uint32_t cpus = 4;
    std::optional<CpuTimes> cpu;
    std::optional<MemoryReading> mem = MemoryReading{8e9, 6e9};
    std::optional<NetCounters> net;
    uint64_t uptime = 90'061'500;
    std::optional<DiskReading> disk_reading = DiskReading{100e9, 500e9};
    ProcessTable table;
    std::map<std::string, std::vector<std::string>> users;
    std::optional<std::string> folder;
    std::vector<FolderEntry> listing;
    int64_t wall = 1'700'000'000;
    std::optional<std::vector<RadioReading>> radio_list;
    std::optional<ConnectionReading> profile;
    double clock = 100;
    std::optional<uint64_t> stamp;  // none: the folder's time cannot be read
    std::vector<std::string> calls;

    uint32_t processors() override { return cpus; }
    std::optional<CpuTimes> cpu_times() override { return cpu; }
    std::optional<MemoryReading> memory() override { return mem; }
    std::optional<NetCounters> network() override { return net; }
    uint64_t uptime_ms() override { return uptime; }
    std::optional<DiskReading> disk() override {
        calls.push_back("disk");
        return disk_reading;
    }
    ProcessTable processes() override {
        calls.push_back("processes");
        return table;
    }
    std::vector<std::string> capability_users(std::string_view capability) override {
        calls.push_back(std::string(capability));
        return users[std::string(capability)];
    }
    std::optional<std::string> downloads_folder() override { return folder; }
    std::vector<FileSize> recent_downloads(const std::string& f) override {
        calls.push_back("downloads " + f);
        return recent_downloads_in(listing, wall);
    }
    std::optional<uint64_t> folder_stamp(const std::string&) override { return stamp; }
    std::optional<std::vector<RadioReading>> radios() override {
        calls.push_back("radios");
        return radio_list;
    }
    std::optional<ConnectionReading> connection() override {
        calls.push_back("connection");
        return profile;
    }
    double now() override { return clock; }
};

struct Fixture {
    ScriptedProbe probe;
    SysmonSampler sampler;
    Shared<SysmonSnapshot> shared;

    // One turn of the thread's loop after `seconds` of sleep.
    void sample(double seconds = 1) {
        probe.clock += seconds;
        probe.calls.clear();
        sysmon_sample(sampler, probe);
        sysmon_publish(sampler, shared);
        ++sampler.n;
    }
    SysmonSnapshot seen() { return *shared.snapshot(); }
};

TEST(SysmonSampler, FirstSampleFromTheStartReadings) {
    Fixture f;
    f.probe.cpu = CpuTimes{100 * kSecond, 400 * kSecond};
    f.probe.radio_list = std::vector<RadioReading>{{kRadioKindWiFi, kRadioStateOn}};
    f.probe.profile = ConnectionReading{kConnectivityInternet, "Ev ağı", true};
    f.probe.table = {{500, {"Code.exe", 10 * kSecond, 7}}};
    sysmon_start(f.sampler, f.probe);
    f.probe.cpu = CpuTimes{101 * kSecond, 404 * kSecond};  // 1 s idle of 4 s
    f.probe.net = NetCounters{5'000, 1'000};              // the first reading at start failed
    f.sample();
    const SysmonSnapshot s = f.seen();
    EXPECT_EQ(s.tick, 1u);
    EXPECT_FLOAT_EQ(s.cpu, 0.75f);
    EXPECT_EQ(s.cpu_history, (std::vector<float>{0.75f}));
    EXPECT_EQ(s.mem_used, 2e9);
    EXPECT_EQ(s.mem_total, 8e9);
    EXPECT_EQ(s.mem_history, (std::vector<float>{0.25f}));
    EXPECT_EQ(s.down_rate, 0);
    EXPECT_EQ(s.up_rate, 0);
    EXPECT_EQ(s.down_history, (std::vector<float>{0.f}));
    EXPECT_EQ(s.uptime, 90'061u);
    EXPECT_EQ(s.disk_free, 100e9);
    EXPECT_EQ(s.disk_total, 500e9);
    EXPECT_TRUE(s.top.empty());
    EXPECT_TRUE(s.net_checked);
    EXPECT_TRUE(s.online);
    EXPECT_TRUE(s.wireless);
    EXPECT_EQ(s.net_name, "Ev ağı");
    EXPECT_EQ(s.wifi, RadioState::On);
    EXPECT_EQ(s.bluetooth, RadioState::Unknown);  // no Bluetooth radio

    // The second sample, 3 s after the process table of the start: 1.5 s of
    // processor on 4 processors is 12.5 % of the machine.
    f.probe.table = {{500, {"Code.exe", 10 * kSecond + 3 * kSecond / 2, 7}}};
    f.probe.net = NetCounters{15'000, 1'500};
    f.sample(2);
    const SysmonSnapshot t = f.seen();
    EXPECT_EQ(t.tick, 2u);
    ASSERT_EQ(t.top.size(), 1u);
    EXPECT_EQ(t.top[0].name, "VS Code");
    EXPECT_FLOAT_EQ(t.top[0].cpu_percent, 12.5f);
    EXPECT_DOUBLE_EQ(t.down_rate, 5'000);  // over the 2 s since the first reading
    EXPECT_DOUBLE_EQ(t.up_rate, 250);
    EXPECT_FLOAT_EQ(t.cpu, 0.75f);  // the processor times did not move: the last load stays
}

TEST(SysmonSampler, CostlyReadingsFollowTheCounter) {
    Fixture f;
    f.probe.folder = "D";
    sysmon_start(f.sampler, f.probe);
    const std::vector<std::vector<std::string>> expected = {
        {"disk", "microphone", "webcam", "downloads D", "radios", "connection"},  // n = 0
        {"processes"},                                                            // 1
        {"microphone", "webcam", "downloads D"},                                  // 2
        {"radios", "connection"},                                                 // 3
        {"microphone", "webcam", "downloads D", "processes"},                     // 4
        {},                                                                       // 5
        {"microphone", "webcam", "downloads D", "radios", "connection"},          // 6
        {"processes"},                                                            // 7
        {"microphone", "webcam", "downloads D"},                                  // 8
        {"radios", "connection"},                                                 // 9
        {"disk", "microphone", "webcam", "downloads D", "processes"},             // 10
    };
    for (size_t n = 0; n < expected.size(); ++n) {
        SCOPED_TRACE(n);
        f.sample();
        EXPECT_EQ(f.probe.calls, expected[n]);
        EXPECT_EQ(f.seen().tick, n + 1);
    }
}

TEST(SysmonSampler, FailedReadingsKeepOrClearAsTheirKindSays) {
    Fixture f;
    f.probe.cpu = CpuTimes{0, 0};
    f.probe.net = NetCounters{1000, 1000};
    f.probe.disk_reading.reset();
    f.probe.users["microphone"] = {"Discord"};
    f.probe.radio_list = std::vector<RadioReading>{{kRadioKindBluetooth, 2}};
    f.probe.profile = ConnectionReading{kConnectivityInternet, "Ev", false};
    sysmon_start(f.sampler, f.probe);
    f.probe.cpu = CpuTimes{kSecond, 4 * kSecond};
    f.probe.net = NetCounters{3000, 1100};
    f.sample(0.1);  // a rate is never taken over less than 0.2 s
    SysmonSnapshot s = f.seen();
    EXPECT_EQ(s.disk_free, 0);  // a failed disk query is 0 free of 0
    EXPECT_EQ(s.disk_total, 0);
    EXPECT_DOUBLE_EQ(s.down_rate, 10'000);
    EXPECT_DOUBLE_EQ(s.up_rate, 500);
    EXPECT_EQ(s.mic_users, (std::vector<std::string>{"Discord"}));
    EXPECT_EQ(s.bluetooth, RadioState::Off);

    f.probe.cpu.reset();
    f.probe.mem.reset();
    f.probe.net.reset();
    f.probe.disk_reading = DiskReading{1, 2};
    f.probe.radio_list.reset();
    f.probe.profile.reset();
    for (int i = 0; i < 3; ++i) f.sample();  // n = 1, 2, 3
    s = f.seen();
    EXPECT_FLOAT_EQ(s.cpu, 0.75f);        // processor, memory and network keep their last values
    EXPECT_EQ(s.mem_used, 2e9);
    EXPECT_DOUBLE_EQ(s.down_rate, 10'000);
    EXPECT_EQ(s.cpu_history.size(), 4u);  // and are still appended
    EXPECT_EQ(s.disk_total, 0);           // until the tenth sample
    EXPECT_EQ(s.wifi, RadioState::Unknown);
    EXPECT_EQ(s.bluetooth, RadioState::Unknown);
    EXPECT_FALSE(s.online);
    EXPECT_EQ(s.net_name, "");
    EXPECT_TRUE(s.net_checked);

    for (int i = 0; i < 6; ++i) f.sample();  // n = 4 .. 9
    EXPECT_EQ(f.seen().disk_total, 0);
    f.sample();  // n = 10
    EXPECT_EQ(f.seen().disk_total, 2);

    // Counters that went back (an adapter reset) give 0, not a huge rate.
    f.probe.net = NetCounters{10, 10};
    f.sample();
    f.probe.net = NetCounters{5, 5};
    f.sample();
    EXPECT_EQ(f.seen().down_rate, 0);
}

TEST(SysmonSampler, HistoriesHoldTheLastSixty) {
    Fixture f;
    sysmon_start(f.sampler, f.probe);
    for (int i = 0; i < 61; ++i) f.sample();
    const SysmonSnapshot s = f.seen();
    EXPECT_EQ(s.tick, 61u);
    for (const auto* h : {&s.cpu_history, &s.mem_history, &s.down_history, &s.up_history}) EXPECT_EQ(h->size(), 60u);
}

TEST(SysmonRadios, AnyRadioOnWinsAndOtherKindsAreIgnored) {
    struct Case {
        const char* what;
        std::optional<std::vector<RadioReading>> radios;
        RadioState wifi, bt;
    };
    const std::optional<int32_t> none;
    const Case cases[] = {
        {"no list", std::nullopt, RadioState::Unknown, RadioState::Unknown},
        {"empty list", std::vector<RadioReading>{}, RadioState::Unknown, RadioState::Unknown},
        {"wifi off only", std::vector<RadioReading>{{1, 2}}, RadioState::Off, RadioState::Unknown},
        {"on then off", std::vector<RadioReading>{{1, 1}, {1, 2}, {3, 2}}, RadioState::On, RadioState::Off},
        {"off then on", std::vector<RadioReading>{{3, 2}, {3, 1}}, RadioState::Unknown, RadioState::On},
        {"unreadable state is off", std::vector<RadioReading>{{1, none}}, RadioState::Off, RadioState::Unknown},
        {"unreadable kind, mobile broadband", std::vector<RadioReading>{{none, 1}, {2, 1}, {4, 1}}, RadioState::Unknown,
         RadioState::Unknown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SysmonSnapshot s;
        s.wifi = RadioState::On;  // last time's values do not carry over
        s.bluetooth = RadioState::On;
        apply_radios(s, c.radios);
        EXPECT_EQ(s.wifi, c.wifi);
        EXPECT_EQ(s.bluetooth, c.bt);
    }
}

TEST(SysmonConnection, ProfileGivesOnlineNameAndWireless) {
    struct Case {
        const char* what;
        std::optional<ConnectionReading> profile;
        bool online, wlan;
        const char* name;
    };
    const Case cases[] = {
        {"no profile", std::nullopt, false, false, ""},
        {"internet over Wi-Fi", ConnectionReading{3, "Kafe", true}, true, true, "Kafe"},
        {"local access only", ConnectionReading{2, "Ofis", false}, false, false, "Ofis"},
        {"every call failed", ConnectionReading{}, false, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SysmonSnapshot s;
        s.online = s.wireless = true;
        s.net_name = "eski";
        apply_connection(s, c.profile);
        EXPECT_EQ(s.online, c.online);
        EXPECT_EQ(s.wireless, c.wlan);
        EXPECT_EQ(s.net_name, c.name);
        EXPECT_TRUE(s.net_checked);
    }
}

// A complete file created after start is announced once, at the even sample
// after the one that first saw it, as a path in the Downloads folder; untaken
// announcements wait in front of newer ones.
TEST(SysmonDownloads, AnnouncedOnceAsPathsAndKeptUntilTaken) {
    Fixture f;
    const int64_t now = f.probe.wall;
    f.probe.folder = "C:\\Users\\ada\\Downloads";
    f.probe.listing = {{"there.pdf", 10, now - 60, false, false}};
    sysmon_start(f.sampler, f.probe);
    const std::string setup = path_join(*f.probe.folder, "setup.exe");
    const std::string photo = path_join(*f.probe.folder, "foto.png");

    f.probe.listing = {{"there.pdf", 10, now - 60, false, false},
                       {"setup.exe", 2'000'000, now, false, false},
                       {"film.mp4.crdownload", 500, now, false, false},
                       {"desktop.ini", 80, now, false, false},
                       {"old.zip", 90, now - 1801, false, false}};
    f.sample();  // n = 0: first seen
    EXPECT_TRUE(f.seen().downloads.empty());
    f.sample();  // n = 1: no scan
    EXPECT_TRUE(f.seen().downloads.empty());
    f.probe.listing.push_back({"foto.png", 300, now, false, false});
    f.sample();  // n = 2: setup.exe held its size
    EXPECT_EQ(f.seen().downloads, (std::vector<std::string>{setup}));
    f.sample();  // n = 3
    f.sample();  // n = 4: foto.png held its size; setup.exe is not taken yet
    EXPECT_EQ(f.seen().downloads, (std::vector<std::string>{setup, photo}));

    // The App takes them; nothing is announced twice.
    f.shared.with([](SysmonSnapshot& s) { s.downloads.clear(); });
    for (int i = 0; i < 4; ++i) f.sample();
    EXPECT_TRUE(f.seen().downloads.empty());
}

TEST(SysmonDownloads, NoFolderNoAnnouncementsAndAPoisonedStateLosesTheSample) {
    Fixture f;
    f.probe.listing = {{"a.zip", 5, f.probe.wall, false, false}};
    sysmon_start(f.sampler, f.probe);
    for (int i = 0; i < 4; ++i) f.sample();
    EXPECT_TRUE(f.seen().downloads.empty());

    Fixture g;
    g.probe.folder = "D";
    sysmon_start(g.sampler, g.probe);
    g.probe.listing = {{"a.zip", 5, g.probe.wall, false, false}};
    g.sample();
    g.sample();
    EXPECT_THROW(g.shared.with([](SysmonSnapshot&) { throw 1; }), int);
    g.sample();  // a.zip is announced into a poisoned state: lost, and never again
    EXPECT_TRUE(g.sampler.announced.empty());
    EXPECT_TRUE(g.sampler.downloads.seen.at("a.zip").announced);
}

}  // namespace

namespace {

size_t count_calls(const std::vector<std::string>& calls, const std::string& what) {
    return static_cast<size_t>(std::count(calls.begin(), calls.end(), what));
}

// With a readable folder time the folder is listed again only when an entry
// came or went, or while a listed file still grows; nothing is announced late.
TEST(SysmonDownloads, ListedAgainOnlyWhenTheFolderChangedOrAFileIsPending) {
    Fixture f;
    const int64_t now = f.probe.wall;
    f.probe.folder = "D";
    f.probe.stamp = 1;
    f.probe.listing = {{"there.pdf", 10, now - 60, false, false}};
    sysmon_start(f.sampler, f.probe);

    struct Step {
        uint64_t stamp;
        std::vector<FolderEntry> listing;
        bool listed;
        std::vector<std::string> announced;
    };
    const FolderEntry there{"there.pdf", 10, now - 60, false, false};
    const std::vector<Step> steps = {
        {1, {there}, false, {}},                                                          // n = 0: nothing changed
        {2, {there, {"big.iso", 100, now, false, false}}, true, {}},                     // n = 2: a new file
        {2, {there, {"big.iso", 900, now, false, false}}, true, {}},                     // n = 4: it grows
        {2, {there, {"big.iso", 900, now, false, false}}, true, {"big.iso"}},            // n = 6: it held its size
        {2, {there, {"big.iso", 900, now, false, false}}, false, {}},                    // n = 8: settled
        {3, {there}, true, {}},                                                           // n = 10: it was removed
    };
    for (size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        f.probe.stamp = steps[i].stamp;
        f.probe.listing = steps[i].listing;
        f.sample();  // even: the downloads turn
        EXPECT_EQ(count_calls(f.probe.calls, "downloads D"), steps[i].listed ? 1u : 0u);
        std::vector<std::string> expected;
        for (const std::string& name : steps[i].announced) expected.push_back(path_join("D", name));
        EXPECT_EQ(f.seen().downloads, expected);
        f.shared.with([](SysmonSnapshot& s) { s.downloads.clear(); });
        f.sample();  // odd
    }
}

// The process walk runs only while the busiest programs are shown. Shown again
// after a while, a fresh base is taken first so the shares never average over
// the time nobody looked.
TEST(SysmonSampler, ProcessWalkOnlyWhileTheTopListIsShown) {
    Fixture f;
    bool shown = false;
    f.sampler.top_wanted = [&] { return shown; };
    f.probe.table = {{500, {"Code.exe", 10 * kSecond, 7}}};
    sysmon_start(f.sampler, f.probe);
    for (int i = 0; i < 9; ++i) {
        f.sample();
        EXPECT_EQ(count_calls(f.probe.calls, "processes"), 0u);
    }
    EXPECT_TRUE(f.seen().top.empty());

    shown = true;  // n = 9
    f.sample();
    EXPECT_EQ(count_calls(f.probe.calls, "processes"), 1u);  // the base
    EXPECT_TRUE(f.seen().top.empty());
    f.probe.table = {{500, {"Code.exe", 12 * kSecond, 7}}};
    f.sample();  // n = 10: 2 s of processor in 1 s on 4 processors
    EXPECT_EQ(count_calls(f.probe.calls, "processes"), 1u);
    ASSERT_EQ(f.seen().top.size(), 1u);
    EXPECT_FLOAT_EQ(f.seen().top[0].cpu_percent, 50.f);
    f.sample();  // n = 11
    f.sample();  // n = 12
    EXPECT_EQ(count_calls(f.probe.calls, "processes"), 0u);
    f.probe.table = {{500, {"Code.exe", 15 * kSecond, 7}}};
    f.sample();  // n = 13: the usual turn, 3 s of processor over 3 s
    EXPECT_EQ(count_calls(f.probe.calls, "processes"), 1u);
    EXPECT_FLOAT_EQ(f.seen().top[0].cpu_percent, 25.f);

    shown = false;
    for (int i = 0; i < 30; ++i) f.sample();
    f.probe.table = {{500, {"Code.exe", 95 * kSecond, 7}}};  // 80 s used while hidden
    shown = true;
    f.sample();
    EXPECT_EQ(count_calls(f.probe.calls, "processes"), 1u);
    EXPECT_FLOAT_EQ(f.seen().top[0].cpu_percent, 25.f);  // the last shares stay until new ones exist
    f.probe.table = {{500, {"Code.exe", 97 * kSecond, 7}}};
    f.sample();
    EXPECT_FLOAT_EQ(f.seen().top[0].cpu_percent, 50.f);
}

}  // namespace

namespace {

// A closed island is woken only for the first sample, for a change of what it
// shows (connection, radios, microphone and camera users) and for finished
// downloads; an open one after every sample.
TEST(SysmonSampler, ClosedIslandIsWokenOnlyForWhatItShows) {
    Fixture f;
    f.probe.folder = "D";
    sysmon_start(f.sampler, f.probe);
    struct Step {
        const char* what;
        std::function<void(ScriptedProbe&)> change;
        bool open;
        bool woken;
    };
    const std::vector<Step> steps = {
        {"first sample", nullptr, false, true},
        {"nothing changed", nullptr, false, false},
        {"only figures moved", [](ScriptedProbe& p) { p.mem = MemoryReading{8e9, 1e9}; }, false, false},
        {"figures, island open", [](ScriptedProbe& p) { p.mem = MemoryReading{8e9, 2e9}; }, true, true},
        {"microphone taken", [](ScriptedProbe& p) { p.users["microphone"] = {"Discord"}; }, false, true},
        {"microphone still taken", nullptr, false, false},
        {"went online", [](ScriptedProbe& p) { p.profile = ConnectionReading{kConnectivityInternet, "Ev", true}; }, false, true},
        {"a download appears", [](ScriptedProbe& p) { p.listing = {{"a.zip", 5, p.wall, false, false}}; }, false, false},
        {"first seen", nullptr, false, false},
        {"odd sample", nullptr, false, false},
        {"the download held its size", nullptr, false, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.change) step.change(f.probe);
        f.probe.clock += 1;
        sysmon_sample(f.sampler, f.probe);
        EXPECT_EQ(sysmon_post_due(f.sampler, step.open), step.woken);
        sysmon_publish(f.sampler, f.shared);
        ++f.sampler.n;
    }
}

}  // namespace
