// The application icon as a Windows icon handle and as the "--make-icon" file.
#include <cstring>
#include <string>

#include "gfx_icon.h"
#include "sys_image.h"
#include "sys_os.h"
#include "sys_win.h"

Result<void*> create_app_hicon(uint32_t size) {
    std::vector<uint8_t> px = render_app_icon(size);
    if (px.empty() || size > 0x7FFFFFFFu) return make_error("create_app_hicon: no icon of size " + std::to_string(size),
                                                         static_cast<int32_t>(E_INVALIDARG));
    const LONG n = static_cast<LONG>(size);
    BITMAPINFO bi = top_down_bitmap_info(n, n);
    void* bits = nullptr;
    UniqueGdi<HBITMAP> color(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!color.get() || !bits) return last_error("CreateDIBSection");
    std::memcpy(bits, px.data(), px.size());
    UniqueGdi<HBITMAP> mask(CreateBitmap(n, n, 1, 1, nullptr));
    if (!mask.get()) return last_error("CreateBitmap");
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = mask.get();
    info.hbmColor = color.get();
    HICON icon = CreateIconIndirect(&info);
    if (!icon) return last_error("CreateIconIndirect");
    return static_cast<void*>(icon);
}

Status write_app_icon_file(const std::string& path) {
    ComInit com(COINIT_APARTMENTTHREADED);
    wchar_t buf[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, buf);
    std::string temp = (n == 0 || n > MAX_PATH) ? std::string(".\\") : narrow(std::wstring(buf, n));

    std::vector<std::pair<uint32_t, std::string>> images;
    for (uint32_t size : kAppIconSizes) {
        std::string png_path = temp + "vemo-icon-" + std::to_string(size) + ".png";
        std::vector<uint8_t> px = render_app_icon(size);
        if (encode_png(png_path, size, size, px)) {
            if (auto bytes = read_file(png_path)) images.emplace_back(size, std::move(*bytes));
        }
        remove_file(png_path);
    }
    return write_file_atomic(path, build_ico(images));
}
