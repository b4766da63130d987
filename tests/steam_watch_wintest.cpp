// The Steam watcher under Wine: the registry readers on values the test
// writes under HKCU\Software\Valve\Steam, and the "steam" thread publishing a
// Steam folder tree written in a temporary folder.
#include <atomic>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "steam_tree_support.h"
#include "steam_watch.h"
#include "sys_image.h"
#include "sys_os.h"
#include "sys_win.h"

namespace {

const wchar_t* const kValveKey = L"Software\\Valve";

// HKCU\Software\Valve as the client leaves it, removed again at the end so
// the watcher thread, which outlives the test, finds no Steam afterwards.
struct FakeSteamRegistry {
    FakeSteamRegistry() { RegDeleteTreeW(HKEY_CURRENT_USER, kValveKey); }
    ~FakeSteamRegistry() { RegDeleteTreeW(HKEY_CURRENT_USER, kValveKey); }

    static void set(const std::string& key, const std::string& name, const std::wstring& text) {
        UniqueHkey k;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, widen(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, k.put(),
                                  nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(k.get(), widen(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    static void set(const std::string& key, const std::string& name, DWORD n) {
        UniqueHkey k;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, widen(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, k.put(),
                                  nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(k.get(), widen(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), sizeof n),
                  ERROR_SUCCESS);
    }
};

// A header picture as the client caches it: a real PNG, 460 × 215.
std::string header_png(const std::string& dir) {
    const uint32_t w = 460, h = 215;
    std::vector<uint8_t> px(size_t{w} * h * 4, 0);
    for (size_t i = 0; i < px.size(); i += 4) px[i] = 200, px[i + 3] = 255;
    std::string path = path_join(dir, "encoded.png");
    Status s = encode_png(path, w, h, px);
    EXPECT_TRUE(s) << (s ? "" : s.error().message);
    return read_file(path).value_or("");
}

}  // namespace

TEST(SteamWin, RegistryReadersTakeOnlyTheirTypeAndLength) {
    FakeSteamRegistry reg;
    const std::string key = kSteamKey;
    reg.set(key, "SteamPath", L"c:/program files (x86)/steam");
    reg.set(key, "Persona", std::wstring(L"Ay\u015Fe ") + wchar_t(0xD800) + L"!");  // an unpaired surrogate
    reg.set(key, "Fits", std::wstring(1023, L'a'));
    reg.set(key, "TooLong", std::wstring(1024, L'a'));
    reg.set(key, "RunningAppID", 570u);

    EXPECT_EQ(read_reg_string(key, "SteamPath"), std::optional<std::string>("c:/program files (x86)/steam"));
    EXPECT_EQ(read_reg_string(key, "Persona"), std::optional<std::string>("Ayşe \xEF\xBF\xBD!"));
    EXPECT_EQ(read_reg_string(key, "Fits").value_or("").size(), 1023u);
    EXPECT_FALSE(read_reg_string(key, "TooLong"));
    EXPECT_FALSE(read_reg_string(key, "RunningAppID"));  // a number is no text
    EXPECT_FALSE(read_reg_string(key, "Missing"));
    EXPECT_FALSE(read_reg_string(key + "\\Nowhere", "SteamPath"));

    EXPECT_EQ(read_reg_dword(key, "RunningAppID"), std::optional<uint32_t>(570));
    EXPECT_FALSE(read_reg_dword(key, "SteamPath"));  // a text is no number
    EXPECT_FALSE(read_reg_dword(key, "Missing"));
}

TEST(SteamWin, WatcherThreadPublishesGamesAndARunningDownload) {
    ComInit com;
    FakeSteamRegistry reg;
    SteamTree t;
    t.manifest(t.steam, "570", "Dota 2", "3000", "1026",
               "\t\"BytesToDownload\"\t\t\"4000\"\n\t\"BytesDownloaded\"\t\t\"1500\"\n");
    t.manifest(t.steam, "730", "Counter-Strike 2", "5000");
    t.manifest(t.steam, "1493710", "Proton Experimental");
    t.write(t.steam, {"appcache", "librarycache", "570", "X.PNG"}, header_png(t.root));
    t.write(t.steam, {"config", "loginusers.vdf"},
            "\"users\"\n{\n\t\"" + std::to_string(kSteamId64Base + 77) +
                "\"\n\t{\n\t\t\"PersonaName\"\t\t\"Deniz\"\n\t\t\"MostRecent\"\t\t\"1\"\n\t}\n}\n");
    t.log("[2024-05-01 11:01:00] AppID 570 update started : download 100/4000, store 0/0, reuse 0/0\n"
          "[2024-05-01 11:01:01] AppID 570 state changed : Update Running,Downloading,\n"
          "[2024-05-01 11:01:02] Current download rate: 8 Mbps\n");

    // The client writes the folder with forward slashes.
    std::string forward = t.steam;
    for (char& c : forward)
        if (c == '\\') c = '/';
    reg.set(kSteamKey, "SteamPath", widen(forward));
    reg.set(kSteamProcessKey, "pid", static_cast<DWORD>(GetCurrentProcessId()));
    reg.set(kSteamProcessKey, "ActiveUser", 0u);
    reg.set(steam_app_key(570), "Updating", 1u);
    reg.set(steam_app_key(570), "Name", L"Dota 2");

    auto notified = std::make_shared<std::atomic<int>>(0);
    Shared<SteamSnapshot> shared = spawn_steam_watcher(steam_machine(), [notified] { ++*notified; });
    SteamSnapshot s;
    for (int i = 0; i < 200; ++i) {
        Sleep(50);
        shared.with([&](SteamSnapshot& live) { s = live; });
        if (*notified > 0 && s.active && s.game_count > 0) break;
    }
    EXPECT_GT(notified->load(), 0);
    EXPECT_TRUE(s.found);
    EXPECT_TRUE(s.client);  // the pid is this test's own process
    EXPECT_EQ(s.persona, "Deniz");
    EXPECT_EQ(s.game_count, 2u);
    EXPECT_EQ(s.total_size, 8000u);
    EXPECT_EQ(s.updates_waiting, 1u);
    ASSERT_EQ(s.games.size(), 2u);
    ASSERT_TRUE(s.active);
    EXPECT_EQ(s.active->app_id, 570u);
    EXPECT_EQ(s.active->name, "Dota 2");
    EXPECT_DOUBLE_EQ(s.active->done, 1500);
    EXPECT_DOUBLE_EQ(s.active->total, 4000);
    EXPECT_DOUBLE_EQ(s.active->rate, 1000000);
    EXPECT_EQ(s.active->state, kSteamDownloading);
    ASSERT_TRUE(s.active->header) << "found only as X.PNG and decoded on the watcher's thread";
    EXPECT_EQ(s.active->header->width, 260u);

    // The client quits the download: the next pass drops it.
    reg.set(steam_app_key(570), "Updating", 0u);
    for (int i = 0; i < 60 && s.active; ++i) {
        Sleep(50);
        shared.with([&](SteamSnapshot& live) { s = live; });
    }
    EXPECT_FALSE(s.active);
}
