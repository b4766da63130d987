// System monitor: display names, consent-store users, processor shares,
// histories and the announcement of finished downloads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sysmon_logic.h"

namespace {

// ---- Names --------------------------------------------------------------------

TEST(FriendlyAppName, KnownProgramsAndCapitalisedRest) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"Code.exe", "VS Code"},
        {"CODE.EXE", "VS Code"},
        {"notepad.exe", "Notepad"},
        {"dwm.exe", "Masaüstü (DWM)"},
        {"msedge.exe", "Edge"},
        {"explorer.exe", "Gezgin"},
        {"spotify", "Spotify"},
        {"chrome.Exe", "Chrome.Exe"},       // only ".exe" and ".EXE" are cut
        {"setup.exe.exe", "Setup.exe"},     // one suffix only
        {"WindowsCamera", "WindowsCamera"},
        {"\xC3\xA7" "ay.exe", "\xC3\x87" "ay"},  // çay -> Çay
        {"\xC3\x9F" "x", "SSx"},                  // full upper-casing: ß -> SS
        {"7zFM.exe", "7zFM"},
        {".exe", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(friendly_app_name(c.in), c.out) << c.in;
}

TEST(ConsentUsers, InUseEntriesNamedSortedAndUnique) {
    const std::vector<ConsentEntry> entries = {
        {true, "Microsoft.WindowsCamera_8wekyb3d8bbwe", 133000000000000000ull, 0},
        {false, "C:#Users#ada#AppData#Local#Programs#Microsoft VS Code#Code.exe", 5, 0},
        {false, "D:#Tools#Code.exe", 9, 0},                                  // same name once
        {false, "C:#Program Files#Vemo#VemoIsland.exe", 5, 0},               // the island itself
        {false, "C:#Users#ada#AppData#Local#Vemo#vemoisland.EXE", 5, 0},
        {false, "C:#Windows#System32#notepad.exe", 5, 7},                    // stopped
        {false, "C:#Apps#zoom.exe", 0, 0},                                   // never started
        {false, "C:#Apps#obs64.exe", std::nullopt, 0},                       // unreadable start
        {false, "C:#Apps#teams.exe", 5, std::nullopt},                       // unreadable stop
        {true, "Discord_abc", 3, 0},                                         // no dot
        {true, "Microsoft.ZuneMusic", 3, 0},                                 // no underscore
    };
    EXPECT_EQ(consent_users(entries), (std::vector<std::string>{"Discord", "VS Code", "WindowsCamera", "ZuneMusic"}));
}

TEST(ConsentUsers, OwnExecutableNeverNamedEvenWhenIdle) {
    EXPECT_FALSE(consent_display_name({false, "C:#x#VemoIsland.exe", 0, 0}).has_value());
    // A packaged app is not matched against the island's executable name.
    EXPECT_EQ(consent_display_name({true, "Vendor.vemoisland.exe_x", 0, 0}).value(), "Exe");
    EXPECT_EQ(consent_display_name({false, "notepad.exe", 0, 0}).value(), "Notepad");
}

// ---- Processor shares -----------------------------------------------------------

constexpr uint64_t kSecond = 10'000'000;  // 100-ns units

TEST(ProcessShares, ShareOfTheWholeMachine) {
    const ProcessTable before = {{100, {"worker.exe", 2 * kSecond, 1}}};
    const ProcessTable after = {{100, {"worker.exe", 2 * kSecond + 3 * kSecond / 2, 1}}};
    const std::vector<TopProcess> top = top_processes(before, after, 3.0, 4);
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0].name, "Worker");
    EXPECT_FLOAT_EQ(top[0].cpu_percent, 12.5f);
    // A budget of zero time does not divide by zero.
    EXPECT_FLOAT_EQ(collect_process_shares({{"a.exe", 1}}, 0)[0].cpu_percent, 100.f);
}

TEST(ProcessShares, OnlyLastingProcessesCountPerExecutable) {
    const ProcessTable before = {
        {10, {"chrome.exe", 1 * kSecond, 1}},  {11, {"chrome.exe", 1 * kSecond, 1}},
        {20, {"Code.exe", 5 * kSecond, 1}},    {30, {"reused.exe", 0, 1}},
        {40, {"clock.exe", 9 * kSecond, 1}},   {50, {"a.exe", 0, 1}},
        {51, {"b.exe", 0, 1}},                 {52, {"c.exe", 0, 1}},
    };
    const ProcessTable after = {
        {10, {"chrome.exe", 2 * kSecond, 1}},         // +1 s
        {11, {"chrome.exe", 2 * kSecond, 1}},         // +1 s, same program
        {20, {"Code.exe", 6 * kSecond + kSecond / 2, 1}},  // +1.5 s
        {30, {"reused.exe", 50 * kSecond, 2}},        // number reused by a new process
        {40, {"clock.exe", 1 * kSecond, 1}},          // time went down
        {60, {"new.exe", 50 * kSecond, 1}},           // new since the last table
        {50, {"a.exe", kSecond / 10, 1}},
        {51, {"b.exe", kSecond / 5, 1}},
        {52, {"c.exe", 0, 1}},
    };
    const std::vector<TopProcess> top = top_processes(before, after, 1.0, 2);
    ASSERT_EQ(top.size(), 4u);
    EXPECT_EQ(top[0].name, "Chrome");
    EXPECT_FLOAT_EQ(top[0].cpu_percent, 100.f);  // 2 s of 2 processors × 1 s
    EXPECT_EQ(top[1].name, "VS Code");
    EXPECT_FLOAT_EQ(top[1].cpu_percent, 75.f);
    EXPECT_EQ(top[2].name, "B");
    EXPECT_EQ(top[3].name, "A");
}

// ---- Histories --------------------------------------------------------------------

TEST(SysmonHistory, KeepsTheLastSixtyOldestFirst) {
    std::vector<float> h;
    for (int i = 1; i <= 61; ++i) push_history(h, static_cast<float>(i));
    ASSERT_EQ(h.size(), 60u);
    EXPECT_EQ(h.front(), 2.f);
    EXPECT_EQ(h.back(), 61.f);
    // A longer list handed over is cut back too.
    std::vector<float> long_list(75, 1.f);
    push_history(long_list, 9.f);
    ASSERT_EQ(long_list.size(), 60u);
    EXPECT_EQ(long_list.back(), 9.f);
}

// ---- Finished downloads -------------------------------------------------------------

TEST(Downloads, PartialHiddenAndSystemNamesIgnored) {
    struct Case {
        const char* name;
        bool ignored;
    };
    const Case cases[] = {
        {"film.mp4.crdownload", true}, {"iso.PART", true},      {"a.partial", true}, {"x.tmp", true},
        {"y.download", true},          {"z.opdownload", true},  {".hidden", true},   {"~$report.docx", true},
        {"desktop.ini", true},         {"Desktop.INI", true},   {"setup.exe", false}, {"part", false},
        {"report.tmp.pdf", false},     {"my desktop.ini", false}, {"\xC3\x87" "izim.png", false},
    };
    for (const Case& c : cases) EXPECT_EQ(download_name_ignored(c.name), c.ignored) << c.name;
}

TEST(Downloads, OnlyRecentPlainFilesAreListed) {
    const int64_t now = 1'700'000'000;
    const std::vector<FolderEntry> listing = {
        {"fresh.zip", 10, now, false, false},
        {"edge.zip", 20, now - 1800, false, false},   // exactly 30 minutes
        {"old.zip", 30, now - 1801, false, false},
        {"folder", 0, now, true, false},
        {"link.zip", 40, now, false, true},
        {"big.iso.crdownload", 50, now, false, false},
        {"desktop.ini", 60, now, false, false},
        {"future.txt", 70, now + 60, false, false},   // clock skew: still recent
    };
    const std::vector<FileSize> files = recent_downloads_in(listing, now);
    std::vector<std::string> names;
    for (const FileSize& f : files) names.push_back(f.name);
    EXPECT_EQ(names, (std::vector<std::string>{"fresh.zip", "edge.zip", "future.txt"}));
    EXPECT_EQ(files[1].size, 20u);
}

// Each step is one scan (every second sample) of the recent files.
TEST(Downloads, AnnouncedOnceWhenTheSizeHoldsOverTwoScans) {
    DownloadWatch watch;
    download_watch_start(watch, {{"there-at-start.zip", 500}});

    struct Step {
        std::vector<FileSize> files;
        std::vector<std::string> announced;
    };
    const std::vector<Step> steps = {
        {{{"there-at-start.zip", 500}, {"movie.mp4", 1000}, {"empty.txt", 0}}, {}},   // first seen
        {{{"there-at-start.zip", 500}, {"movie.mp4", 2000}, {"empty.txt", 0}}, {}},   // still growing
        {{{"there-at-start.zip", 500}, {"movie.mp4", 2000}, {"empty.txt", 0}, {"setup.exe", 2000000}},
         {"movie.mp4"}},
        {{{"movie.mp4", 2000}, {"setup.exe", 2000000}}, {"setup.exe"}},
        {{{"movie.mp4", 2000}, {"setup.exe", 2000000}, {"empty.txt", 0}}, {}},        // never again
        {{{"movie.mp4", 3000}, {"setup.exe", 1}}, {}},                                // announced stays announced
    };
    for (size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(download_watch_step(watch, steps[i].files), steps[i].announced);
    }
}

TEST(Downloads, RenamedPartialFileAnnouncedAfterItSettles) {
    const int64_t now = 1'700'000'000;
    DownloadWatch watch;
    download_watch_start(watch, recent_downloads_in({{"old.pdf", 9, now - 4000, false, false}}, now));
    auto scan = [&](const std::vector<FolderEntry>& listing) {
        return download_watch_step(watch, recent_downloads_in(listing, now));
    };
    EXPECT_TRUE(scan({{"a.iso.crdownload", 100, now, false, false}}).empty());
    EXPECT_TRUE(scan({{"a.iso.crdownload", 100, now, false, false}}).empty());  // partials never announced
    EXPECT_TRUE(scan({{"a.iso", 100, now, false, false}}).empty());
    EXPECT_EQ(scan({{"a.iso", 100, now, false, false}, {"old.pdf", 9, now - 4000, false, false}}),
              (std::vector<std::string>{"a.iso"}));
}

TEST(Downloads, UntakenAnnouncementsStayInFrontOfNewOnes) {
    SysmonSnapshot shared;
    shared.downloads = {"first.zip"};
    SysmonSnapshot sample;
    sample.cpu = 0.5f;
    sample.downloads = {"stale"};  // the sampler's copy carries no outbox
    store_sysmon_sample(shared, sample, {"second.zip", "third.zip"});
    EXPECT_EQ(shared.cpu, 0.5f);
    EXPECT_EQ(shared.downloads, (std::vector<std::string>{"first.zip", "second.zip", "third.zip"}));
}

}  // namespace
