// The system monitor's readings of a real (Wine) machine: the thread's first
// samples, the process table, the consent store under a test key and the
// Downloads scan of a test folder. What Wine lacks must read as absent.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iostream>
#include <memory>
#include <thread>

#include "sys_os.h"
#include "sys_text.h"
#include "sys_win.h"
#include "sysmon_sampler.h"
#include "test_support.h"

namespace {

TEST(SysmonOnWine, ThreadSamplesTheMachineAndReportsWhatIsMissing) {
    // The thread outlives the test: it shares the counter.
    auto notified = std::make_shared<std::atomic<int>>(0);
    // As for an island open on the system page: every sample wakes it and the
    // busiest programs are wanted.
    sysmon_live_wanted = true;
    sysmon_top_wanted = true;
    Shared<SysmonSnapshot> shared = spawn_sysmon_thread([notified] { ++*notified; });
    // Two samples: the second brings the busiest programs.
    for (int i = 0; i < 150 && notified->load() < 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_GE(notified->load(), 2);
    const SysmonSnapshot s = *shared.snapshot();

    EXPECT_GE(s.tick, 2u);
    EXPECT_EQ(s.cpu_history.size(), std::min<uint64_t>(s.tick, 60));
    EXPECT_EQ(s.mem_history.size(), s.cpu_history.size());
    EXPECT_EQ(s.down_history.size(), s.cpu_history.size());
    EXPECT_GE(s.cpu, 0.f);
    EXPECT_LE(s.cpu, 1.f);
    EXPECT_GT(s.mem_total, 0);
    EXPECT_GT(s.mem_used, 0);
    EXPECT_LE(s.mem_used, s.mem_total);
    EXPECT_GE(s.down_rate, 0);
    EXPECT_GT(s.disk_total, 0);  // drive C: is the prefix's drive_c
    EXPECT_LE(s.disk_free, s.disk_total);
    EXPECT_GT(s.uptime, 0u);
    EXPECT_LE(s.top.size(), 4u);
    for (const TopProcess& p : s.top) EXPECT_GE(p.cpu_percent, 0.f) << p.name;
    EXPECT_TRUE(s.net_checked);
    EXPECT_TRUE(s.downloads.empty());

    // Radios and the connection profile as this system has them: Wine 8 has
    // neither class, and then both radios and the connection read as absent.
    RuntimeInit runtime;
    const std::optional<std::vector<RadioReading>> radios = list_radios();
    const std::optional<ConnectionReading> profile = internet_connection();
    std::cout << "[ sysmon   ] radios " << (radios ? "listed" : "absent") << ", connection profile "
              << (profile ? "present" : "absent") << ", top " << s.top.size() << "\n";
    SysmonSnapshot expected;
    apply_radios(expected, radios);
    apply_connection(expected, profile);
    EXPECT_EQ(s.wifi, expected.wifi);
    EXPECT_EQ(s.bluetooth, expected.bluetooth);
    EXPECT_EQ(s.online, expected.online);
    EXPECT_EQ(s.net_name, expected.net_name);
    if (!radios) {
        EXPECT_EQ(s.wifi, RadioState::Unknown);
        EXPECT_EQ(s.bluetooth, RadioState::Unknown);
    }
    if (!profile) {
        EXPECT_FALSE(s.online);
        EXPECT_EQ(s.net_name, "");
    }
    // The real consent store has no entries under Wine; the walk finds nobody.
    EXPECT_EQ(s.mic_users, capability_users(kCapabilityMicrophone));
}

TEST(SysmonOnWine, ProcessTableHoldsThisProcess) {
    // Spend a little processor time so this process has some to show.
    volatile uint64_t spin = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
    while (std::chrono::steady_clock::now() < until) spin = spin + 1;

    const ProcessTable table = process_cpu_times();
    auto it = table.find(GetCurrentProcessId());
    ASSERT_NE(it, table.end());
    EXPECT_EQ(to_lower(it->second.executable), "vemo_wintests.exe");
    EXPECT_GT(it->second.cpu_time, 0u);
    EXPECT_GT(it->second.created, 0u);
    for (const auto& [pid, p] : table) EXPECT_GE(pid, 5u) << p.executable;
}

// The consent store's layout under a key of the test's own.
class ConsentStoreOnWine : public ::testing::Test {
protected:
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, widen(root).c_str()); }

    void put(const std::string& sub, std::optional<uint64_t> start, std::optional<uint64_t> stop) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, widen(store + "\\" + sub).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        UniqueHkey owned(key);
        if (start) RegSetValueExW(key, L"LastUsedTimeStart", 0, REG_QWORD, reinterpret_cast<const BYTE*>(&*start), 8);
        if (stop) RegSetValueExW(key, L"LastUsedTimeStop", 0, REG_QWORD, reinterpret_cast<const BYTE*>(&*stop), 8);
    }

    std::string root = "Software\\VemoIslandTest-" + std::to_string(GetCurrentProcessId());
    std::string store = root + "\\ConsentStore";
};

TEST_F(ConsentStoreOnWine, UsersInUseNamedSortedWithoutTheIsland) {
    put("microphone\\NonPackaged\\C:#Users#ada#AppData#Local#Programs#Microsoft VS Code#Code.exe", 133'000'000'000'000'000ull, 0);
    put("microphone\\NonPackaged\\C:#Tools#code.exe", 5, 0);
    put("microphone\\NonPackaged\\C:#Program Files#Vemo#VemoIsland.exe", 5, 0);
    put("microphone\\NonPackaged\\C:#Windows#notepad.exe", 5, 9);  // stopped
    put("microphone\\NonPackaged\\C:#Apps#zoom.exe", 5, std::nullopt);  // no stop value
    put("microphone\\Microsoft.WindowsCamera_8wekyb3d8bbwe", 7, 0);
    put("microphone\\Microsoft.ZuneMusic_8wekyb3d8bbwe", 0, 0);  // never started
    put("webcam\\NonPackaged\\D:#Apps#obs64.exe", 3, 0);

    EXPECT_EQ(capability_users(kCapabilityMicrophone, store), (std::vector<std::string>{"VS Code", "WindowsCamera"}));
    EXPECT_EQ(capability_users(kCapabilityCamera, store), (std::vector<std::string>{"Obs64"}));
    EXPECT_TRUE(capability_users("location", store).empty());  // no such key
}

TEST(DownloadsOnWine, RecentPlainFilesOfTheFolder) {
    const std::string dir = test_temp_dir("-indirilenler");
    auto put = [&](const std::string& name, size_t size) {
        ASSERT_TRUE(write_file_atomic(path_join(dir, name), std::string(size, 'x')).ok()) << name;
    };
    put("kurulum.exe", 2'000);
    put("fotoğraf.png", 300);
    put("film.mp4.crdownload", 500);
    put("desktop.ini", 80);
    put(".gizli", 10);
    put("~$rapor.docx", 10);
    put("eski.zip", 90);
    ASSERT_TRUE(create_dirs(path_join(dir, "klasor")));
    {
        // Written two hours ago.
        UniqueHandle f(CreateFileW(widen(path_join(dir, "eski.zip")).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(f.valid());
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        ULARGE_INTEGER t;
        t.LowPart = now.dwLowDateTime;
        t.HighPart = now.dwHighDateTime;
        t.QuadPart -= 7200ull * 10'000'000ull;
        FILETIME old{t.LowPart, t.HighPart};
        ASSERT_TRUE(SetFileTime(f.get(), nullptr, nullptr, &old));
    }

    std::vector<FileSize> files = recent_downloads(dir);
    std::sort(files.begin(), files.end(), [](const FileSize& a, const FileSize& b) { return a.name < b.name; });
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].name, "fotoğraf.png");
    EXPECT_EQ(files[0].size, 300u);
    EXPECT_EQ(files[1].name, "kurulum.exe");
    EXPECT_EQ(files[1].size, 2'000u);

    EXPECT_TRUE(recent_downloads(std::nullopt).empty());
    EXPECT_TRUE(recent_downloads(path_join(dir, "yok")).empty());
    EXPECT_TRUE(downloads_folder().has_value());
}

}  // namespace
