// Small owners and helpers for Win32 code (only included by *_win.cpp files).
#pragma once
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <objbase.h>

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

// Registry key owner.
class UniqueHkey {
public:
    UniqueHkey() = default;
    UniqueHkey(const UniqueHkey&) = delete;
    UniqueHkey& operator=(const UniqueHkey&) = delete;
    ~UniqueHkey() { if (k_) RegCloseKey(k_); }
    HKEY get() const { return k_; }
    HKEY* put() { if (k_) { RegCloseKey(k_); k_ = nullptr; } return &k_; }
private:
    HKEY k_ = nullptr;
};

// GDI object owner (DeleteObject).
template <class T>
class UniqueGdi {
public:
    UniqueGdi() = default;
    explicit UniqueGdi(T h) : h_(h) {}
    UniqueGdi(const UniqueGdi&) = delete;
    UniqueGdi& operator=(const UniqueGdi&) = delete;
    UniqueGdi(UniqueGdi&& o) noexcept : h_(o.h_) { o.h_ = nullptr; }
    UniqueGdi& operator=(UniqueGdi&& o) noexcept { reset(o.h_); o.h_ = nullptr; return *this; }
    ~UniqueGdi() { reset(); }
    T get() const { return h_; }
    void reset(T h = nullptr) { if (h_) DeleteObject(h_); h_ = h; }
    T release() { T h = h_; h_ = nullptr; return h; }
private:
    T h_ = nullptr;
};

// Global memory block owner (GlobalFree) for blocks not yet handed to the system.
class UniqueHglobal {
public:
    UniqueHglobal() = default;
    explicit UniqueHglobal(HGLOBAL h) : h_(h) {}
    UniqueHglobal(const UniqueHglobal&) = delete;
    UniqueHglobal& operator=(const UniqueHglobal&) = delete;
    ~UniqueHglobal() { if (h_) GlobalFree(h_); }
    HGLOBAL get() const { return h_; }
    HGLOBAL release() { HGLOBAL h = h_; h_ = nullptr; return h; }
private:
    HGLOBAL h_ = nullptr;
};

// LocalFree owner (buffers returned by the system, e.g. CryptProtectData).
class UniqueLocal {
public:
    explicit UniqueLocal(void* p) : p_(p) {}
    UniqueLocal(const UniqueLocal&) = delete;
    UniqueLocal& operator=(const UniqueLocal&) = delete;
    ~UniqueLocal() { if (p_) LocalFree(p_); }
private:
    void* p_;
};

// CoInitializeEx / OleInitialize for a scope.
class ComInit {
public:
    explicit ComInit(DWORD model = COINIT_APARTMENTTHREADED) : hr_(CoInitializeEx(nullptr, model)) {}
    ~ComInit() { if (SUCCEEDED(hr_)) CoUninitialize(); }
    HRESULT result() const { return hr_; }
private:
    HRESULT hr_;
};

// Blocks until a Windows Runtime asynchronous operation leaves the Started
// state; true when it completed.
struct IInspectable;
bool wait_async_completed(IInspectable* operation);
