// No imaging component natively: nothing decodes, nothing is captured, no
// shell has a thumbnail, and writing a PNG reports that it is unavailable.
#include "sys_image.h"

std::optional<std::vector<Image>> decode_image(std::string_view, const std::vector<uint32_t>&) { return std::nullopt; }

Status encode_png(const std::string&, uint32_t, uint32_t, const uint8_t*, size_t) {
    return make_error("encode_png: the Windows Imaging Component is unavailable");
}

std::optional<Image> wic_from_hbitmap(void*) { return std::nullopt; }

ImageRef shell_thumbnail(const std::string&, uint32_t, uint32_t, bool) { return nullptr; }

std::optional<std::string> capture_screen(int32_t, int32_t, int32_t, int32_t) { return std::nullopt; }
