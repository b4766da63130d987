// The launcher driven through the real program: VemoIsland.exe runs with a
// temporary data folder, the test presses Ctrl + Alt + Space, types "12*4" and
// Enter as keyboard input, and the calculator's answer arrives on the clipboard.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "main_win.h"
#include "sys_os.h"
#include "sys_text.h"
#include "test_support.h"

namespace {

std::wstring exe_beside_tests() {
    wchar_t self[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n);
    path.resize(path.find_last_of(L"\\/") + 1);
    return path + L"VemoIsland.exe";
}

struct FindByProcess {
    DWORD pid;
    HWND found = nullptr;
};

BOOL CALLBACK match_island(HWND window, LPARAM lp) {
    auto* f = reinterpret_cast<FindByProcess*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t cls[64];
    if (pid == f->pid && GetClassNameW(window, cls, 64) && std::wstring(cls) == kIslandClassName) {
        f->found = window;
        return FALSE;
    }
    return TRUE;
}

// Polls `done` every 50 ms for up to `seconds`.
template <class F>
bool wait_for(double seconds, F done) {
    for (double waited = 0; waited < seconds; waited += 0.05) {
        if (done()) return true;
        Sleep(50);
    }
    return done();
}

std::optional<std::string> clipboard_text() {
    if (!OpenClipboard(nullptr)) return std::nullopt;
    std::optional<std::string> out;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
            out = narrow(p);
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return out;
}

void clear_clipboard() {
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

INPUT key(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
}

void press_chord(std::initializer_list<WORD> keys) {
    std::vector<INPUT> ins;
    for (WORD k : keys) ins.push_back(key(k, false));
    for (auto it = keys.end(); it != keys.begin();) ins.push_back(key(*--it, true));
    SendInput(static_cast<UINT>(ins.size()), ins.data(), sizeof(INPUT));
}

// The characters of `text` as typed keys, then Enter, queued in one call.
void type_and_enter(const std::wstring& text) {
    std::vector<INPUT> ins;
    for (wchar_t ch : text)
        for (bool up : {false, true}) {
            INPUT in{};
            in.type = INPUT_KEYBOARD;
            in.ki.wScan = ch;
            in.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
            ins.push_back(in);
        }
    ins.push_back(key(VK_RETURN, false));
    ins.push_back(key(VK_RETURN, true));
    SendInput(static_cast<UINT>(ins.size()), ins.data(), sizeof(INPUT));
}

struct RunningIsland {
    PROCESS_INFORMATION pi{};
    bool started = false;

    bool start(const std::wstring& exe) {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        std::wstring cmd = L"\"" + exe + L"\"";
        started = CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != FALSE;
        return started;
    }
    ~RunningIsland() {
        if (!started) return;
        FindByProcess f{pi.dwProcessId};
        EnumWindows(match_island, reinterpret_cast<LPARAM>(&f));
        if (f.found) PostMessageW(f.found, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
};

TEST(SearchThroughTheRealWindow, HotKeyTypingAndEnterCopyTheCalculatorsAnswer) {
    const std::wstring exe = exe_beside_tests();
    if (GetFileAttributesW(exe.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "VemoIsland.exe is not built beside the tests";
    ASSERT_FALSE(FindWindowW(kIslandClassName, nullptr)) << "an island is already running on this desktop";
    ScopedDataDir data("search-window");
    clear_clipboard();

    RunningIsland island;
    ASSERT_TRUE(island.start(exe));
    FindByProcess f{island.pi.dwProcessId};
    ASSERT_TRUE(wait_for(30, [&] {
        EnumWindows(match_island, reinterpret_cast<LPARAM>(&f));
        return f.found != nullptr;
    })) << "the island's window did not appear";
    // The start-up line is written once the hot keys are registered.
    const std::string log = path_join(data.dir, "log.txt");
    std::string text;
    ASSERT_TRUE(wait_for(30, [&] {
        text = read_file(log).value_or("");
        return text.find(" hotkey=") != std::string::npos;
    })) << "no start-up line in the log";
    ASSERT_NE(text.find(" hotkey=Ctrl + Alt + Boşluk "), std::string::npos) << "Ctrl + Alt + Space was not registered";

    press_chord({VK_CONTROL, VK_MENU, VK_SPACE});
    // Keys go to the thread that has the focus when they are queued. Wine's X11
    // driver hands the foreground back to its desktop a moment after a
    // no-activate window took it (Windows keeps it there), so the keys are
    // queued the moment the island is in front.
    bool in_front = false;
    for (int i = 0; i < 1000 && !in_front; ++i) {
        in_front = GetForegroundWindow() == f.found;
        if (!in_front) Sleep(5);
    }
    ASSERT_TRUE(in_front) << "the hot key did not bring the island forward";
    type_and_enter(L"12*4");
    std::optional<std::string> copied;
    EXPECT_TRUE(wait_for(5, [&] {
        copied = clipboard_text();
        return copied && !copied->empty();
    }));
    EXPECT_EQ(copied.value_or("(nothing)"), "48");
}

}  // namespace
