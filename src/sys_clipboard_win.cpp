// Clipboard services over Win32, with the island's window as clipboard owner.
//
// Index
//   Opening, global blocks: the clipboard open with retries, a prepared block
//   Readers: exclusion formats, text, file list, bitmap
//   Setters: text, file list, picture
#include "sys_clipboard.h"
#include "sys_text.h"
#include "sys_win.h"

#include <shellapi.h>

#include <cstring>

// ---- Opening, global blocks -------------------------------------------------------

namespace {
constexpr int kOpenAttempts = 5;
constexpr DWORD kOpenRetryMs = 15;

// Opens the clipboard (five attempts, 15 ms apart); closed on every path.
OpenClipboardScope open_clipboard(WindowHandle owner) {
    return OpenClipboardScope(static_cast<HWND>(owner), kOpenAttempts, kOpenRetryMs);
}

// A movable global block holding the bytes; empty owner when allocation or
// locking fails.
UniqueHglobal global_copy(const void* bytes, size_t size, UINT flags) {
    UniqueHglobal block(GlobalAlloc(flags, size));
    if (!block.get()) return {};
    {
        GlobalLockScope lock(block.get());
        if (!lock.data()) return {};
        std::memcpy(lock.data(), bytes, size);
    }
    return block;
}

// Hands a prepared block to the clipboard. Ownership passes only when
// SetClipboardData succeeds; otherwise the owner frees it.
void put_on_clipboard(WindowHandle owner, UINT format, UniqueHglobal block) {
    if (!block.get()) return;
    OpenClipboardScope clip = open_clipboard(owner);
    if (!clip.open()) return;
    EmptyClipboard();
    if (SetClipboardData(format, block.get())) block.release();
}

std::string from_wide(const wchar_t* s, size_t n) {
    return utf16_to_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(s), n));
}

UINT registered_format(const wchar_t* name) { return RegisterClipboardFormatW(name); }
}  // namespace

// ---- Readers ----------------------------------------------------------------------

bool clipboard_excluded() {
    for (const wchar_t* name : {L"ExcludeClipboardContentFromMonitorProcessing", L"Clipboard Viewer Ignore"}) {
        UINT format = registered_format(name);
        if (format && IsClipboardFormatAvailable(format)) return true;
    }
    return false;
}

std::optional<std::string> get_clipboard_text(WindowHandle owner) {
    OpenClipboardScope clip = open_clipboard(owner);
    if (!clip.open()) return std::nullopt;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return std::nullopt;
    GlobalLockScope lock(data);
    if (!lock.data()) return std::nullopt;
    size_t available = GlobalSize(data) / sizeof(char16_t);
    return clipboard_text_from_units(static_cast<const char16_t*>(lock.data()), available);
}

namespace {
std::string drop_file_at(HDROP drop, UINT index) {
    UINT len = DragQueryFileW(drop, index, nullptr, 0);
    std::wstring buf(static_cast<size_t>(len) + 1, L'\0');
    UINT got = DragQueryFileW(drop, index, buf.data(), len + 1);
    return from_wide(buf.data(), got < len ? got : len);
}
}  // namespace

std::vector<std::string> get_clipboard_files(WindowHandle owner) {
    std::vector<std::string> out;
    OpenClipboardScope clip = open_clipboard(owner);
    if (!clip.open()) return out;
    auto drop = static_cast<HDROP>(GetClipboardData(CF_HDROP));
    if (!drop) return out;
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    UINT n = count < kClipboardMaxFiles ? count : static_cast<UINT>(kClipboardMaxFiles);
    out.reserve(n);
    for (UINT i = 0; i < n; ++i) out.push_back(drop_file_at(drop, i));
    return out;
}

std::optional<uint32_t> clipboard_file_count(WindowHandle owner) {
    if (!IsClipboardFormatAvailable(CF_HDROP)) return std::nullopt;
    OpenClipboardScope clip = open_clipboard(owner);
    if (!clip.open()) return std::nullopt;
    auto drop = static_cast<HDROP>(GetClipboardData(CF_HDROP));
    if (!drop) return std::nullopt;
    return DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
}

std::optional<Image> get_clipboard_image(WindowHandle owner) {
    if (!IsClipboardFormatAvailable(CF_BITMAP)) return std::nullopt;
    OpenClipboardScope clip = open_clipboard(owner);
    if (!clip.open()) return std::nullopt;
    // The bitmap stays the clipboard's.
    auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    if (!bitmap) return std::nullopt;
    return wic_from_hbitmap(bitmap);
}

// ---- Setters ----------------------------------------------------------------------

// Each setter prepares its block before opening the clipboard, so a failed
// allocation leaves the clipboard as it was and no time is spent while it is open.

void set_clipboard_text(WindowHandle owner, std::string_view text) {
    std::u16string units = utf8_to_utf16(text);
    units.push_back(u'\0');
    put_on_clipboard(owner, CF_UNICODETEXT, global_copy(units.data(), units.size() * sizeof(char16_t), GMEM_MOVEABLE));
}

void set_clipboard_files(WindowHandle owner, const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    std::vector<uint8_t> block = build_hdrop_block(paths);
    put_on_clipboard(owner, CF_HDROP, global_copy(block.data(), block.size(), GMEM_MOVEABLE | GMEM_ZEROINIT));
}

void set_clipboard_image(WindowHandle owner, const Image& image) {
    std::vector<uint8_t> block = build_dib_block(image);
    if (block.empty()) return;
    put_on_clipboard(owner, CF_DIB, global_copy(block.data(), block.size(), GMEM_MOVEABLE));
}
