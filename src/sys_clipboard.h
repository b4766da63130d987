// Clipboard services of the clipboard history, the shelf and the assistant:
// reading text, file lists and pictures, honouring the formats that ask
// monitors not to record, and putting text, files or a picture back.
//
// Every call opens the clipboard with the island's window as owner (up to
// five attempts, 15 ms apart) and closes it again on every path; failures
// read as "nothing" and setters silently do nothing. User-interface thread.
//
// The block builders are pure and tested everywhere; sys_clipboard_win.cpp
// talks to Windows, sys_clipboard_native.cpp keeps an in-memory clipboard.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sys_image.h"

// An opaque window handle (HWND on Windows).
using WindowHandle = void*;

// Longest text read from the clipboard, in UTF-16 units.
constexpr size_t kClipboardTextUnits = 20000;
// Most files read from a clipboard file list.
constexpr size_t kClipboardMaxFiles = 200;

// ---- Pure block builders and readers ---------------------------------------------

// Text of a CF_UNICODETEXT block: up to the first NUL, but never past the
// block's own `available` units nor past 20 000 units; unpaired surrogates
// become U+FFFD.
std::string clipboard_text_from_units(const char16_t* units, size_t available);

// A CF_HDROP block (DROPFILES header of 20 bytes, wide paths each ended by a
// NUL, a final NUL); empty for an empty list.
std::vector<uint8_t> build_hdrop_block(const std::vector<std::string>& paths);

// A CF_DIB block (BITMAPINFOHEADER + bottom-up 32-bit rows) from premultiplied
// BGRA pixels, written opaque and un-premultiplied; empty when the image is
// empty, its pixels are short or its size does not fit the header.
std::vector<uint8_t> build_dib_block(const Image& image);

// ---- Clipboard services --------------------------------------------------------

// True when the content carries "ExcludeClipboardContentFromMonitorProcessing"
// or "Clipboard Viewer Ignore" (the clipboard is not opened).
bool clipboard_excluded();
std::optional<std::string> get_clipboard_text(WindowHandle owner);
// The first 200 paths of the clipboard's file list (possibly empty).
std::vector<std::string> get_clipboard_files(WindowHandle owner);
// The number of files in the clipboard's file list; nothing without one.
std::optional<uint32_t> clipboard_file_count(WindowHandle owner);
// The clipboard's bitmap as premultiplied BGRA pixels (opaque when the bitmap
// has no alpha); nothing without one.
std::optional<Image> get_clipboard_image(WindowHandle owner);

void set_clipboard_text(WindowHandle owner, std::string_view text);
// An empty list leaves the clipboard untouched.
void set_clipboard_files(WindowHandle owner, const std::vector<std::string>& paths);
void set_clipboard_image(WindowHandle owner, const Image& image);

#ifndef _WIN32
// The native stand-in's clipboard, for tests of the island core. Setters
// replace the whole content as the real clipboard does.
struct FakeClipboard {
    std::optional<std::string> text;
    std::vector<std::string> files;
    std::optional<Image> image;
    bool excluded = false;
    int writes = 0;
};
FakeClipboard& fake_clipboard();
#endif
