// The clipboard services through the real clipboard: Turkish text, file
// lists and a picture round trip; the exclusion formats; unterminated text
// left by another program; a clipboard held by someone else.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "sys_clipboard.h"
#include "sys_win.h"

namespace {

// A hidden message-only window to own the clipboard.
class ClipboardOwner : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(com_.result()));  // pictures go through WIC
        window_ = CreateWindowExW(0, L"STATIC", L"clipboard owner", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        if (window_) DestroyWindow(window_);
    }
    WindowHandle owner() const { return window_; }

    // Puts one raw block on the clipboard, as another program would.
    void put_raw(UINT format, const void* bytes, size_t size) {
        UniqueHglobal block(GlobalAlloc(GMEM_MOVEABLE, size));
        ASSERT_TRUE(block);
        {
            GlobalLockScope lock(block.get());
            ASSERT_NE(lock.data(), nullptr);
            std::memcpy(lock.data(), bytes, size);
        }
        OpenClipboardScope clip(window_, 1, 0);
        ASSERT_TRUE(clip.open());
        EmptyClipboard();
        if (SetClipboardData(format, block.get())) block.release();
    }

    ComInit com_;
    HWND window_ = nullptr;
};

TEST_F(ClipboardOwner, TurkishTextRoundTrip) {
    const std::string text = "Çığır açan ŞÖĞÜ İstanbul ı i 😀\r\nikinci satır";
    set_clipboard_text(owner(), text);
    EXPECT_EQ(get_clipboard_text(owner()), text);
    EXPECT_FALSE(clipboard_file_count(owner()).has_value()) << "text is not a file list";
    EXPECT_TRUE(get_clipboard_files(owner()).empty());
    EXPECT_FALSE(clipboard_excluded());

    set_clipboard_text(owner(), std::string(30000, 'x'));
    EXPECT_EQ(get_clipboard_text(owner()), std::string(20000, 'x'));
}

TEST_F(ClipboardOwner, UnterminatedTextIsReadOnlyWithinItsBlock) {
    // Another program's block without a terminator: whatever lies after it
    // must not be read. (Some systems terminate such a block themselves by
    // giving up its last unit.)
    const std::u16string units(64, u'ç');
    put_raw(CF_UNICODETEXT, units.data(), units.size() * sizeof(char16_t));
    auto text = get_clipboard_text(owner());
    ASSERT_TRUE(text.has_value());
    EXPECT_GE(text->size(), 63u * 2);
    EXPECT_LE(text->size(), 64u * 2) << "read past the block's end";
    EXPECT_EQ(text->find_first_not_of("\xC3\xA7"), std::string::npos) << "only the block's own units";
}

TEST_F(ClipboardOwner, FileListsRoundTripAndReadAtMost200) {
    const std::vector<std::string> paths = {"C:\\a.txt", "D:\\Şule\\rapor ö.pdf"};
    set_clipboard_files(owner(), paths);
    EXPECT_EQ(get_clipboard_files(owner()), paths);
    EXPECT_EQ(clipboard_file_count(owner()), 2u);

    std::vector<std::string> many;
    for (int i = 0; i < 250; ++i) many.push_back("C:\\shelf\\file" + std::to_string(i) + ".txt");
    set_clipboard_files(owner(), many);
    auto read = get_clipboard_files(owner());
    ASSERT_EQ(read.size(), 200u);
    EXPECT_EQ(read.front(), many.front());
    EXPECT_EQ(read.back(), many[199]);
    EXPECT_EQ(clipboard_file_count(owner()), 250u);

    set_clipboard_text(owner(), "kalsın");
    set_clipboard_files(owner(), {});
    EXPECT_EQ(get_clipboard_text(owner()), "kalsın") << "an empty list leaves the clipboard untouched";
}

TEST_F(ClipboardOwner, PictureIsWrittenOpaqueAndReadBack) {
    Image image;
    image.width = 2;
    image.height = 2;
    image.pixels = {128, 128, 128, 128, /**/ 255, 0, 0, 255,   // half-transparent white, blue
                    0,   0,   0,   0,   /**/ 0,   0, 255, 255};  // clear, red
    set_clipboard_image(owner(), image);
    auto read = get_clipboard_image(owner());
    ASSERT_TRUE(read.has_value());
    ASSERT_EQ(read->width, 2u);
    ASSERT_EQ(read->height, 2u);
    const std::vector<uint8_t> expected = {255, 255, 255, 255, /**/ 255, 0, 0, 255,
                                           0,   0,   0,   255, /**/ 0,   0, 255, 255};
    EXPECT_EQ(read->pixels, expected) << "opaque white, rows top-down again";
    EXPECT_FALSE(get_clipboard_text(owner()).has_value());
}

TEST_F(ClipboardOwner, ExclusionFormatsAreSeenWithoutOpening) {
    UINT ignore = RegisterClipboardFormatW(L"Clipboard Viewer Ignore");
    const char marker = 1;
    put_raw(ignore, &marker, 1);
    EXPECT_TRUE(clipboard_excluded());

    UINT exclude = RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing");
    put_raw(exclude, &marker, 1);
    EXPECT_TRUE(clipboard_excluded());

    set_clipboard_text(owner(), "görünür");
    EXPECT_FALSE(clipboard_excluded());
}

TEST_F(ClipboardOwner, ClipboardHeldElsewhereReadsAsNothingAndSettersGiveUp) {
    set_clipboard_text(owner(), "önce");
    UniqueHandle opened(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread holder([&] {
        HWND other = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        {
            OpenClipboardScope held(other, 1, 0);
            SetEvent(opened.get());
            WaitForSingleObject(release.get(), 10000);
        }
        DestroyWindow(other);
    });
    WaitForSingleObject(opened.get(), 10000);

    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(get_clipboard_text(owner()).has_value());
    set_clipboard_text(owner(), "sonra");
    EXPECT_TRUE(get_clipboard_files(owner()).empty());
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(3 * 5 * 15 - 10)) << "five attempts, 15 ms apart, per call";

    SetEvent(release.get());
    holder.join();
    EXPECT_EQ(get_clipboard_text(owner()), "önce") << "the setter changed nothing while the clipboard was held";
}

}  // namespace
