// A decoded picture: premultiplied BGRA, four bytes a pixel, rows top-down
// without padding. Built once, then shared read-only by reference count.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

struct Image {
    std::vector<uint8_t> pixels;
    uint32_t width = 0;
    uint32_t height = 0;
};
using ImageRef = std::shared_ptr<const Image>;

// width × height × 4 in 64 bits; nothing when it does not fit in memory sizes.
inline bool image_byte_size(uint64_t width, uint64_t height, uint64_t& out) {
    if (width == 0 || height == 0) { out = 0; return true; }
    if (width > 0xFFFFFFFFull || height > 0xFFFFFFFFull) return false;
    unsigned __int128 n = static_cast<unsigned __int128>(width) * height * 4u;
    if (n > static_cast<unsigned __int128>(SIZE_MAX / 2)) return false;
    out = static_cast<uint64_t>(n);
    return true;
}

// The shell's thumbnail (or only its icon when `fit` is false) of a path or
// parsing name at the given pixel size; nothing when the shell has no picture.
ImageRef shell_thumbnail(const std::string& path, uint32_t width, uint32_t height, bool fit);
