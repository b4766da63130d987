// The media and notification watchers under a system without either runtime
// class (Wine): both threads start; the media watcher publishes "no session"
// and keeps running; the notification watcher says why it cannot listen,
// tells the window, and its thread ends.
#include <gtest/gtest.h>

#include <string>

#include "main_win.h"
#include "media.h"
#include "notifications.h"
#include "sys_win.h"

namespace {

// A message-only window of this thread that the watchers post to.
class MessageWindow {
public:
    MessageWindow() : h_(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;
    ~MessageWindow() { if (h_) DestroyWindow(h_); }
    HWND get() const { return h_; }
private:
    HWND h_;
};

bool wait_for_message(HWND window, UINT message, DWORD timeout_ms) {
    const ULONGLONG end = GetTickCount64() + timeout_ms;
    MSG m;
    while (GetTickCount64() < end) {
        if (PeekMessageW(&m, window, message, message, PM_REMOVE)) return true;
        Sleep(20);
    }
    return false;
}

template <class Pred>
bool wait_until(Pred pred, DWORD timeout_ms) {
    const ULONGLONG end = GetTickCount64() + timeout_ms;
    while (GetTickCount64() < end) {
        if (pred()) return true;
        Sleep(20);
    }
    return pred();
}

TEST(WatchersWithoutRuntimeClasses, MediaWatcherPublishesNoSessionAndKeepsRunning) {
    MessageWindow window;
    ASSERT_TRUE(window.get());
    MediaWorker media = start_media_thread(window.get(), WM_APP_MEDIA);
    ASSERT_TRUE(wait_for_message(window.get(), WM_APP_MEDIA, 10'000));
    std::optional<MediaSnapshot> s = media.state.snapshot();
    ASSERT_TRUE(s);
    EXPECT_FALSE(s->has);
    EXPECT_FALSE(s->playing);
    EXPECT_EQ(s->source_id, "");
    EXPECT_EQ(s->accent[0], 1.0f);

    // Still running: a request is taken and answered by another pass.
    EXPECT_TRUE(media.commands.send(media_cmd::Refresh{}));
    EXPECT_TRUE(wait_for_message(window.get(), WM_APP_MEDIA, 5'000));
    EXPECT_TRUE(media.commands.connected());  // the thread still holds the receiving end
    EXPECT_GT(media.state.use_count(), 1);    // and a handle of the state
}

TEST(WatchersWithoutRuntimeClasses, NotificationThreadSaysNoListenerAndEnds) {
    MessageWindow window;
    ASSERT_TRUE(window.get());
    Shared<NotificationState> state = start_notification_thread(window.get(), WM_APP_NOTIFS);
    ASSERT_TRUE(wait_for_message(window.get(), WM_APP_NOTIFS, 10'000));
    // The thread's handle goes when it ends.
    EXPECT_TRUE(wait_until([&] { return state.use_count() == 1; }, 5'000));
    std::optional<NotificationState> s = state.snapshot();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->status.rfind("dinleyici yok (", 0), 0u) << s->status;
    EXPECT_EQ(s->status.back(), ')');
    EXPECT_TRUE(s->items.empty());
}

}  // namespace
