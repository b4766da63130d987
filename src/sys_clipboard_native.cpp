// Native stand-in for the clipboard: one in-memory content, replaced whole by
// every setter, as the island core's tests need.
#include "sys_clipboard.h"

FakeClipboard& fake_clipboard() {
    static FakeClipboard c;
    return c;
}

namespace {
void replace_content() {
    FakeClipboard& c = fake_clipboard();
    c.text.reset();
    c.files.clear();
    c.image.reset();
    c.excluded = false;
    ++c.writes;
}
}  // namespace

bool clipboard_excluded() { return fake_clipboard().excluded; }

std::optional<std::string> get_clipboard_text(WindowHandle) { return fake_clipboard().text; }

std::vector<std::string> get_clipboard_files(WindowHandle) {
    const auto& files = fake_clipboard().files;
    size_t n = files.size() < kClipboardMaxFiles ? files.size() : kClipboardMaxFiles;
    return {files.begin(), files.begin() + static_cast<std::ptrdiff_t>(n)};
}

std::optional<uint32_t> clipboard_file_count(WindowHandle) {
    const auto& files = fake_clipboard().files;
    if (files.empty()) return std::nullopt;
    return static_cast<uint32_t>(files.size());
}

std::optional<Image> get_clipboard_image(WindowHandle) { return fake_clipboard().image; }

void set_clipboard_text(WindowHandle, std::string_view text) {
    replace_content();
    fake_clipboard().text = std::string(text);
}

void set_clipboard_files(WindowHandle, const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    replace_content();
    fake_clipboard().files = paths;
}

void set_clipboard_image(WindowHandle, const Image& image) {
    replace_content();
    fake_clipboard().image = image;
}
