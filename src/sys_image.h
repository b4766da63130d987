// Pictures: the shared decoded Image, the image services over the Windows
// Imaging Component, GDI and the shell (sys_image_win.cpp; natively they find
// nothing), and the portable pixel arithmetic behind them (sys_image.cpp).
//
// Index
//   Image and its byte size
//   Portable pixel arithmetic
//   Windows image services
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sys_result.h"

// ---- Image and its byte size ----------------------------------------------------------

// A decoded picture: premultiplied BGRA, four bytes a pixel, rows top-down
// without padding. Built once, then shared read-only by reference count.
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

// ---- Portable pixel arithmetic ----------------------------------------------------------

struct ImageSize {
    uint32_t width = 0, height = 0;
};
// The size a decode gives for a wanted longest side: scaled down to it
// (nearest integers, at least 1), never enlarged.
ImageSize decode_target_size(uint32_t width, uint32_t height, uint32_t longest_side);

// Box-filtered copy whose longer side is at most max_side (each side at least
// 1); the input unchanged when it is small enough. Each of the four bytes is
// averaged on its own, so any byte order is kept. A buffer shorter than
// width × height × 4 gives an empty image.
Image shrink_image(const std::vector<uint8_t>& pixels, uint32_t width, uint32_t height, uint32_t max_side);
// The clipboard's name for the same: a copy with its longer side at most max_side.
Image dib_to_rgba(const Image& image, uint32_t max_side);

// Half the size in both directions (an odd last row or column dropped); each
// byte the truncated mean of its 2 × 2 block.
Image halve_image(const Image& image);

// A bitmap without an alpha channel reads as all alpha 0: make it opaque.
// Pixels with any non-zero alpha byte are left as they are.
void repair_alpha(std::vector<uint8_t>& pixels);

// True when no pixel has any colour: what a shell hands back for an item it
// has no picture for (all zero, which the alpha repair turns opaque black).
bool pixels_all_black(const std::vector<uint8_t>& pixels);

// ---- Windows image services (COM initialised on the calling thread) -----------------------

// One image per wanted longest side, in order (never enlarged); nothing when
// any step fails. Only the first frame is used.
std::optional<std::vector<Image>> decode_image(std::string_view bytes, const std::vector<uint32_t>& sizes);

// Writes straight-alpha BGRA pixels (rows of width × 4 bytes) as a PNG file.
Status encode_png(const std::string& path, uint32_t width, uint32_t height, const uint8_t* pixels, size_t size);
inline Status encode_png(const std::string& path, uint32_t width, uint32_t height, const std::vector<uint8_t>& pixels) {
    return encode_png(path, width, height, pixels.data(), pixels.size());
}

// The pixels of a GDI bitmap (an HBITMAP, kept by the caller), alpha repaired.
std::optional<Image> wic_from_hbitmap(void* hbitmap);

// The shell's thumbnail (or only its icon when `fit` is false) of a path or
// parsing name at the given pixel size; nothing when the shell has no picture.
ImageRef shell_thumbnail(const std::string& path, uint32_t width, uint32_t height, bool fit);

// A screen rectangle (physical pixels) as PNG file bytes, halved when wider
// than 1600 pixels; nothing for an empty rectangle or on failure.
std::optional<std::string> capture_screen(int32_t left, int32_t top, int32_t right, int32_t bottom);
