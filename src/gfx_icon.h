// The application icon, painted procedurally at any size (straight-alpha
// BGRA), the ICO container of PNG images, and (gfx_icon_win.cpp) the icon
// handle for the tray and the "--make-icon" file.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "sys_result.h"

// The sizes of the icon file, in file order.
constexpr std::array<uint32_t, 9> kAppIconSizes = {16, 20, 24, 32, 40, 48, 64, 128, 256};

// N × N pixels, 4 bytes each (blue, green, red, straight alpha), rows top
// down; empty for N = 0 or a size whose bytes do not fit in memory.
std::vector<uint8_t> render_app_icon(uint32_t size);

// An ICO file holding the PNG images (size, PNG bytes) in the given order.
std::string build_ico(const std::vector<std::pair<uint32_t, std::string>>& images);

// An HICON of the icon at that size, owned by the caller (Windows only).
Result<void*> create_app_hicon(uint32_t size);
// Writes the nine-size icon file, replacing the file (Windows only).
Status write_app_icon_file(const std::string& path);
