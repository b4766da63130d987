// Small owners and helpers for Win32 code (only included by *_win.cpp files).
#pragma once
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <mmsystem.h>
#include <objbase.h>
#include <ole2.h>
#include <roapi.h>
#include <winhttp.h>
#include <winstring.h>

#include <string>
#include <string_view>

#include "sys_result.h"

// UTF-8 <-> UTF-16 at the API boundary.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// "Call: system message text" with the HRESULT, for errors as values.
Error win_error(const char* call, HRESULT hr);
Error last_error(const char* call);  // from GetLastError()
std::string system_message(DWORD code);

// A 32-bit top-down BGRA bitmap description (negative height: first row on top).
inline BITMAPINFO top_down_bitmap_info(LONG width, LONG height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

// ---- Owners: one type per kind of resource ----------------------------------------------
//
// Each owner takes what a call returned and releases it on every path. None is
// copied; the handle owners move. Kinds released by one call with the handle
// share UniqueOf; the others (kernel handles, hot keys, DCs from GetDC,
// selections, locks, scopes) have their own small class. COM interfaces use
// Microsoft::WRL::ComPtr.

// A handle released by one call (`Release`), empty when null.
template <class T, class Release>
class UniqueOf {
public:
    UniqueOf() = default;
    explicit UniqueOf(T h) : h_(h) {}
    UniqueOf(const UniqueOf&) = delete;
    UniqueOf& operator=(const UniqueOf&) = delete;
    UniqueOf(UniqueOf&& o) noexcept : h_(o.release()) {}
    UniqueOf& operator=(UniqueOf&& o) noexcept { reset(o.release()); return *this; }
    ~UniqueOf() { reset(); }
    T get() const { return h_; }
    explicit operator bool() const { return h_ != T{}; }
    // For calls that return the handle through an out-parameter.
    T* put() { reset(); return &h_; }
    T release() { T h = h_; h_ = T{}; return h; }
    void reset(T h = T{}) {
        if (h_ != T{}) Release{}(h_);
        h_ = h;
    }
private:
    T h_{};
};

namespace release_call {
struct GdiObject { void operator()(HGDIOBJ h) const { DeleteObject(h); } };
struct Dc { void operator()(HDC h) const { DeleteDC(h); } };
struct Icon { void operator()(HICON h) const { DestroyIcon(h); } };
struct Menu { void operator()(HMENU h) const { DestroyMenu(h); } };
struct Hkey { void operator()(HKEY h) const { RegCloseKey(h); } };
struct Hglobal { void operator()(HGLOBAL h) const { GlobalFree(h); } };
struct Local { void operator()(void* p) const { LocalFree(p); } };
struct CoTaskMem { void operator()(void* p) const { CoTaskMemFree(p); } };
struct Hstring { void operator()(HSTRING h) const { WindowsDeleteString(h); } };
struct Internet { void operator()(HINTERNET h) const { WinHttpCloseHandle(h); } };
struct WinEventHook { void operator()(HWINEVENTHOOK h) const { UnhookWinEvent(h); } };
}  // namespace release_call

template <class T>
using UniqueGdi = UniqueOf<T, release_call::GdiObject>;  // DeleteObject
using UniqueDc = UniqueOf<HDC, release_call::Dc>;  // a created DC (DeleteDC); GetDC's is a WindowDc
using UniqueIcon = UniqueOf<HICON, release_call::Icon>;
using UniqueMenu = UniqueOf<HMENU, release_call::Menu>;  // released once a parent menu holds it
using UniqueHkey = UniqueOf<HKEY, release_call::Hkey>;
using UniqueHglobal = UniqueOf<HGLOBAL, release_call::Hglobal>;  // a block not yet handed to the system
using UniqueLocal = UniqueOf<void*, release_call::Local>;  // a buffer the system allocated (LocalFree)
template <class T>
using UniqueCoTaskMem = UniqueOf<T*, release_call::CoTaskMem>;
using UniqueHstring = UniqueOf<HSTRING, release_call::Hstring>;  // a runtime string returned to us
using UniqueInternet = UniqueOf<HINTERNET, release_call::Internet>;  // a WinHTTP handle
using UniqueWinEventHook = UniqueOf<HWINEVENTHOOK, release_call::WinEventHook>;

// One owner per kernel handle (CloseHandle; INVALID_HANDLE_VALUE and null are empty).
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : h_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept { reset(o.release()); return *this; }
    ~UniqueHandle() { reset(); }
    HANDLE get() const { return h_; }
    bool valid() const { return h_ && h_ != INVALID_HANDLE_VALUE; }
    HANDLE release() { HANDLE h = h_; h_ = nullptr; return h; }
    void reset(HANDLE h = nullptr) { if (valid()) CloseHandle(h_); h_ = h; }
private:
    HANDLE h_ = nullptr;
};

// A folder listing opened by FindFirstFileW; FindClose.
class UniqueFind {
public:
    explicit UniqueFind(HANDLE h) : h_(h) {}
    UniqueFind(const UniqueFind&) = delete;
    UniqueFind& operator=(const UniqueFind&) = delete;
    ~UniqueFind() { if (valid()) FindClose(h_); }
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
private:
    HANDLE h_;
};

// A hot key registered for a window (RegisterHotKey succeeded); UnregisterHotKey.
class UniqueHotKey {
public:
    UniqueHotKey() = default;
    UniqueHotKey(HWND window, int id) : window_(window), id_(id), held_(true) {}
    UniqueHotKey(const UniqueHotKey&) = delete;
    UniqueHotKey& operator=(const UniqueHotKey&) = delete;
    UniqueHotKey(UniqueHotKey&& o) noexcept : window_(o.window_), id_(o.id_), held_(o.held_) { o.held_ = false; }
    UniqueHotKey& operator=(UniqueHotKey&& o) noexcept {
        if (this != &o) {
            reset();
            window_ = o.window_;
            id_ = o.id_;
            held_ = o.held_;
            o.held_ = false;
        }
        return *this;
    }
    ~UniqueHotKey() { reset(); }
    void reset() {
        if (held_) UnregisterHotKey(window_, id_);
        held_ = false;
    }
private:
    HWND window_ = nullptr;
    int id_ = 0;
    bool held_ = false;
};

// A window's (null: the screen's) DC for a scope: GetDC / ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() { if (dc_) ReleaseDC(window_, dc_); }
    HDC get() const { return dc_; }
private:
    HWND window_;
    HDC dc_;
};

// An object selected into a DC; reset() (or the end of the owner) selects the
// DC's previous object back, so the object can be deleted or read afterwards.
class SelectedObject {
public:
    SelectedObject() = default;
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {
        if (old_ == HGDI_ERROR) old_ = nullptr;
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    SelectedObject(SelectedObject&& o) noexcept : dc_(o.dc_), old_(o.old_) { o.old_ = nullptr; }
    SelectedObject& operator=(SelectedObject&& o) noexcept {
        if (this != &o) {
            reset();
            dc_ = o.dc_;
            old_ = o.old_;
            o.old_ = nullptr;
        }
        return *this;
    }
    ~SelectedObject() { reset(); }
    void reset() {
        if (old_) SelectObject(dc_, old_);
        old_ = nullptr;
    }
private:
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

// GlobalLock for a scope; data() is null when the lock failed.
class GlobalLockScope {
public:
    explicit GlobalLockScope(HGLOBAL h) : h_(h), p_(h ? GlobalLock(h) : nullptr) {}
    GlobalLockScope(const GlobalLockScope&) = delete;
    GlobalLockScope& operator=(const GlobalLockScope&) = delete;
    ~GlobalLockScope() { if (p_) GlobalUnlock(h_); }
    void* data() const { return p_; }
private:
    HGLOBAL h_;
    void* p_;
};

// The open clipboard: up to `attempts` tries `retry_ms` apart (another program
// may hold it for a moment), CloseClipboard on every path once open.
class OpenClipboardScope {
public:
    OpenClipboardScope(HWND owner, int attempts, DWORD retry_ms) {
        for (int attempt = 0; attempt < attempts && !open_; ++attempt) {
            open_ = OpenClipboard(owner) != 0;
            if (!open_) Sleep(retry_ms);
        }
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    ~OpenClipboardScope() { if (open_) CloseClipboard(); }
    bool open() const { return open_; }
private:
    bool open_ = false;
};

// A storage medium a data object handed over (GetData succeeded); ReleaseStgMedium.
class UniqueStgMedium {
public:
    explicit UniqueStgMedium(const STGMEDIUM& m) : m_(m) {}
    UniqueStgMedium(const UniqueStgMedium&) = delete;
    UniqueStgMedium& operator=(const UniqueStgMedium&) = delete;
    ~UniqueStgMedium() { ReleaseStgMedium(&m_); }
    const STGMEDIUM& get() const { return m_; }
private:
    STGMEDIUM m_;
};

// timeBeginPeriod / timeEndPeriod: the system timer's resolution while this lives.
class TimerPeriod {
public:
    explicit TimerPeriod(UINT ms) : ms_(ms), set_(timeBeginPeriod(ms) == TIMERR_NOERROR) {}
    TimerPeriod(const TimerPeriod&) = delete;
    TimerPeriod& operator=(const TimerPeriod&) = delete;
    ~TimerPeriod() { reset(); }
    void reset() {
        if (set_) timeEndPeriod(ms_);
        set_ = false;
    }
private:
    UINT ms_;
    bool set_;
};

// CoInitializeEx for a scope.
class ComInit {
public:
    explicit ComInit(DWORD model = COINIT_APARTMENTTHREADED) : hr_(CoInitializeEx(nullptr, model)) {}
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;
    ~ComInit() { if (SUCCEEDED(hr_)) CoUninitialize(); }
    HRESULT result() const { return hr_; }
private:
    HRESULT hr_;
};

// OleInitialize for a scope (drag and drop needs OLE, not only COM).
class OleInit {
public:
    OleInit() : hr_(OleInitialize(nullptr)) {}
    OleInit(const OleInit&) = delete;
    OleInit& operator=(const OleInit&) = delete;
    ~OleInit() { if (SUCCEEDED(hr_)) OleUninitialize(); }
    HRESULT result() const { return hr_; }
private:
    HRESULT hr_;
};

// RoInitialize (multithreaded) for a scope; a thread already initialised in
// another model keeps it, and nothing is undone.
class RuntimeInit {
public:
    RuntimeInit() : hr_(RoInitialize(RO_INIT_MULTITHREADED)) {}
    RuntimeInit(const RuntimeInit&) = delete;
    RuntimeInit& operator=(const RuntimeInit&) = delete;
    ~RuntimeInit() { if (SUCCEEDED(hr_)) RoUninitialize(); }
    HRESULT result() const { return hr_; }
private:
    HRESULT hr_;
};

// ---- Runtime strings ------------------------------------------------------------------------

// A runtime string referring to text that outlives it (a class name, a caller's
// buffer); nothing to release. The text must end with a NUL at `length`.
class HstringRef {
public:
    HstringRef(const wchar_t* text, UINT32 length) : hr_(WindowsCreateStringReference(text, length, &header_, &h_)) {
        if (FAILED(hr_)) h_ = nullptr;
    }
    explicit HstringRef(const wchar_t* text) : HstringRef(text, static_cast<UINT32>(wcslen(text))) {}
    HstringRef(const HstringRef&) = delete;  // the string lives in the header
    HstringRef& operator=(const HstringRef&) = delete;
    HSTRING get() const { return h_; }
    HRESULT result() const { return hr_; }
private:
    HSTRING_HEADER header_{};
    HSTRING h_ = nullptr;
    HRESULT hr_;
};

// A runtime string's text in UTF-8 (empty for a null string).
inline std::string hstring_utf8(HSTRING h) {
    UINT32 len = 0;
    const wchar_t* raw = WindowsGetStringRawBuffer(h, &len);
    return raw ? narrow(std::wstring_view(raw, len)) : std::string();
}

// Blocks until a Windows Runtime asynchronous operation leaves the Started
// state; true when it completed.
struct IInspectable;
bool wait_async_completed(IInspectable* operation);
