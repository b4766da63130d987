// Remote commands over a real WM_COPYDATA: send_remote_command finds a window of
// the island's class and sends to it; that window answers through
// answer_copy_data into an App installed in this thread's slot, as the island does.
#include <windows.h>

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app.h"
#include "main_remote.h"
#include "main_win.h"
#include "sys_log.h"
#include "test_support.h"

namespace {

constexpr uint8_t kNotify = 1, kRemind = 2;

// Equal texts; a mismatch names the lengths and the first differing byte
// rather than printing kilobytes of payload.
::testing::AssertionResult same_text(const std::string& got, const std::string& want) {
    if (got == want) return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
    auto r = ::testing::AssertionFailure();
    r << "got " << got.size() << " bytes, want " << want.size() << ", first difference at byte " << at;
    if (got.size() < 64 && want.size() < 64) r << ": \"" << got << "\" vs \"" << want << "\"";
    return r;
}

LRESULT CALLBACK island_stand_in(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COPYDATA) return answer_copy_data(lp);
    return DefWindowProcW(window, msg, wp, lp);
}

struct RemoteOverCopyData : ::testing::Test {
    ScopedDataDir data;
    HWND window = nullptr;

    void SetUp() override {
        ASSERT_FALSE(FindWindowW(kIslandClassName, nullptr)) << "an island is running on this desktop";
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = island_stand_in;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kIslandClassName;
        ASSERT_TRUE(RegisterClassExW(&wc));
        AppInit init;
        init.quiet = true;
        install_app_state(std::make_unique<App>(std::move(init)));
    }
    void TearDown() override {
        if (window) DestroyWindow(window);
        UnregisterClassW(kIslandClassName, GetModuleHandleW(nullptr));
        take_app_state();
    }
    // A hidden top-level window: FindWindowW sees it, as it sees the island's.
    void open_window() {
        window = CreateWindowExW(WS_EX_TOOLWINDOW, kIslandClassName, L"Vemo Ada", WS_POPUP, 0, 0, 10, 10, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(window);
    }
    App& app() { return *ui_thread_state().app; }
};

TEST_F(RemoteOverCopyData, NoIslandWindowExitsOne) {
    EXPECT_EQ(send_remote_command(kNotify, "A"), 1);
    EXPECT_FALSE(app().notices.shown);
}

TEST_F(RemoteOverCopyData, NoticePayloadsArriveSplitAndCut) {
    open_window();
    struct Case {
        const char* what;
        std::string payload, title, body;
    };
    const Case cases[] = {
        {"split at the first mark only", "A\x01" "B\x01" "C", "A", "B\x01" "C"},
        {"no mark: all title", "Yalnız başlık", "Yalnız başlık", ""},
        {"empty", "", "", ""},
        {"100 000 bytes: the first 8192 arrive", std::string(100000, 'a'), std::string(8192, 'a'), ""},
        {"a mark past 8192 bytes is not seen", std::string(9000, 'a') + "\x01gövde", std::string(8192, 'a'), ""},
        {"a body cut at 8192 bytes", "T\x01" + std::string(99998, 'b'), "T", std::string(8190, 'b')},
        {"invalid UTF-8 repaired", "a\xFF\x01\xC3", "a\xEF\xBF\xBD", "\xEF\xBF\xBD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        app().notices.shown = false;
        EXPECT_EQ(send_remote_command(kNotify, c.payload), 0);
        EXPECT_TRUE(app().notices.shown);
        EXPECT_TRUE(same_text(app().notices.title, c.title)) << "title";
        EXPECT_TRUE(same_text(app().notices.body, c.body)) << "body";
    }
}

TEST_F(RemoteOverCopyData, AnswersForCommandsNotTakenAndMessagesNotAccepted) {
    open_window();
    // Kind 0 and kinds above 7 carry the tag: accepted, then not handled.
    EXPECT_EQ(send_remote_command(0, "x"), 2);
    EXPECT_EQ(send_remote_command(8, "x"), 2);
    EXPECT_EQ(send_remote_command(kRemind, "anlamsız"), 2);
    EXPECT_TRUE(app().lists.reminders.empty());
    EXPECT_FALSE(app().notices.shown);
    EXPECT_EQ(read_file(data_file("log.txt")).value_or("").find("hatirlatici"), std::string::npos);

    // The App lent out (a nested message): not handled, and nothing shown.
    ui_thread_state().borrowed = true;
    EXPECT_EQ(send_remote_command(kNotify, "A"), 2);
    ui_thread_state().borrowed = false;
    EXPECT_FALSE(app().notices.shown);

    // Without the tag, or without data, the message is not accepted.
    const std::string text = "A";
    COPYDATASTRUCT foreign{0x12345601, static_cast<DWORD>(text.size()), const_cast<char*>(text.data())};
    EXPECT_EQ(SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&foreign)), kRemoteRejected);
    COPYDATASTRUCT hollow{REMOTE_TAG | kNotify, 5, nullptr};
    EXPECT_EQ(SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&hollow)), kRemoteRejected);
    EXPECT_FALSE(app().notices.shown);

    EXPECT_EQ(send_remote_command(kRemind, "10 dk sonra çay"), 0);
    ASSERT_EQ(app().lists.reminders.size(), 1u);
    EXPECT_EQ(app().lists.reminders[0].text, "Çay");
}

}  // namespace
