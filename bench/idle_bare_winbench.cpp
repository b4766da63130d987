// The floor program of the idle measurement: a shown Win32 pop-up window with
// the island's three timers (150 ms, 1 s, 3 s) that does nothing on them and
// waits in GetMessage. tools/bench runs it beside VemoIsland.exe and compares
// the processor time of the two.
#include <windows.h>

namespace {

LRESULT CALLBACK bare_proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER) return 0;
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, msg, wp, lp);
}

}  // namespace

int main() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = bare_proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"VemoBenchBare";
    if (!RegisterClassExW(&wc)) return 1;
    HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"VemoBenchBare", L"bare",
                                  WS_POPUP, 0, 0, 200, 40, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    SetTimer(window, 1, 150, nullptr);
    SetTimer(window, 2, 1000, nullptr);
    SetTimer(window, 3, 3000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
