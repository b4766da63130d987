// The clipboard's block layouts, built and read without Windows.
#include "sys_clipboard.h"

#include <algorithm>
#include <cstring>

#include "sys_text.h"

namespace {
void put_u16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}

void put_u32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

constexpr size_t kDropFilesHeader = 20;
constexpr size_t kBitmapInfoHeader = 40;
}  // namespace

std::string clipboard_text_from_units(const char16_t* units, size_t available) {
    if (!units) return {};
    // Another program may put unterminated text on the clipboard: the block's
    // own size bounds the scan as much as the terminator does.
    size_t limit = std::min(available, kClipboardTextUnits);
    size_t n = 0;
    while (n < limit && units[n] != u'\0') ++n;
    return utf16_to_utf8(std::u16string_view(units, n));
}

std::vector<uint8_t> build_hdrop_block(const std::vector<std::string>& paths) {
    if (paths.empty()) return {};
    std::u16string list;
    for (const auto& p : paths) {
        list += utf8_to_utf16(p);
        list.push_back(u'\0');
    }
    list.push_back(u'\0');
    std::vector<uint8_t> out(kDropFilesHeader + list.size() * 2, 0);
    put_u32(out, 0, static_cast<uint32_t>(kDropFilesHeader));  // pFiles
    put_u32(out, 16, 1);                                        // fWide
    for (size_t i = 0; i < list.size(); ++i) put_u16(out, kDropFilesHeader + i * 2, static_cast<uint16_t>(list[i]));
    return out;
}

std::vector<uint8_t> build_dib_block(const Image& image) {
    uint64_t bytes = 0;
    if (image.width == 0 || image.height == 0) return {};
    if (!image_byte_size(image.width, image.height, bytes) || image.pixels.size() < bytes) return {};
    // The header keeps signed 32-bit sizes and a 32-bit image size.
    if (image.width > 0x7FFFFFFFu || image.height > 0x7FFFFFFFu || bytes + kBitmapInfoHeader > 0xFFFFFFFFu) return {};

    std::vector<uint8_t> out(kBitmapInfoHeader + static_cast<size_t>(bytes), 0);
    put_u32(out, 0, static_cast<uint32_t>(kBitmapInfoHeader));  // biSize
    put_u32(out, 4, image.width);                              // biWidth
    put_u32(out, 8, image.height);                             // biHeight > 0: bottom-up rows
    put_u16(out, 12, 1);                                       // biPlanes
    put_u16(out, 14, 32);                                      // biBitCount
    put_u32(out, 16, 0);                                       // BI_RGB
    put_u32(out, 20, static_cast<uint32_t>(bytes));            // biSizeImage

    const size_t row = static_cast<size_t>(image.width) * 4;
    for (uint32_t y = 0; y < image.height; ++y) {
        const uint8_t* src = image.pixels.data() + static_cast<size_t>(image.height - 1 - y) * row;
        uint8_t* dst = out.data() + kBitmapInfoHeader + static_cast<size_t>(y) * row;
        for (uint32_t x = 0; x < image.width; ++x, src += 4, dst += 4) {
            uint32_t a = src[3];
            for (int c = 0; c < 3; ++c) {
                // c / (a / 255), truncated and capped; exact in integers.
                uint32_t v = a == 0 ? 0 : std::min<uint32_t>(255, src[c] * 255u / a);
                dst[c] = static_cast<uint8_t>(v);
            }
            dst[3] = 255;
        }
    }
    return out;
}
