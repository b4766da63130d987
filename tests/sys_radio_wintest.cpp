// The radio switch where Windows has no radio class (Wine), and the trip of
// its result text to the island window: the box is freed on every path.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>

#include "sys_radio.h"
#include "sys_win.h"

namespace {

const std::string kWifi = "Wi\xE2\x80\x91" "Fi";

bool running_under_wine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

TEST(RadioOnWindows, WithoutTheRuntimeClassBothRadiosAreNotFound) {
    if (!running_under_wine()) GTEST_SKIP() << "would switch this machine's real radios";
    // As in the product, on a thread of its own with its own apartment.
    std::string wifi, bluetooth;
    std::thread worker([&] {
        wifi = set_radio(true, true);
        bluetooth = set_radio(false, false);
    });
    worker.join();
    EXPECT_EQ(wifi, kWifi + " bulunamadı");
    EXPECT_EQ(bluetooth, "Bluetooth bulunamadı");
}

TEST(RadioOnWindows, PostedTextReachesTheWindowAndFailedPostsFreeIt) {
    constexpr UINT kMessage = WM_APP + 6;
    HWND window = CreateWindowExW(0, L"STATIC", L"island", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const int before = radio_results_in_flight();

    std::thread poster([&] { EXPECT_TRUE(post_radio_result(window, kMessage, kWifi + " açıldı")); });
    poster.join();
    EXPECT_EQ(radio_results_in_flight(), before + 1);
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, window, kMessage, kMessage, PM_REMOVE));
    EXPECT_EQ(take_radio_result(msg.lParam), kWifi + " açıldı");
    EXPECT_EQ(radio_results_in_flight(), before) << "the receiver freed the box";
    EXPECT_FALSE(take_radio_result(0).has_value());

    DestroyWindow(window);
    EXPECT_FALSE(post_radio_result(window, kMessage, "Bluetooth kapatıldı")) << "the window is gone";
    EXPECT_EQ(radio_results_in_flight(), before) << "a failed post frees its box";
}

}  // namespace
