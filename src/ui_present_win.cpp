// Presenting the island's bitmap to its layered window.
#include "app.h"
#include "gfx.h"
#include "sys_win.h"
#include "ui_frame.h"

void present_frame(App& app, const RectI& dirty) {
    Renderer* r = app.drawing.renderer.get();
    HWND window = static_cast<HWND>(app.drawing.window);
    if (!r || !window || !r->memory_dc()) return;
    GdiFlush();
    POINT dst{app.drawing.window_x, app.drawing.window_y};
    SIZE size{r->pixel_width(), r->pixel_height()};
    POINT src{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    RECT rect{dirty.left, dirty.top, dirty.right, dirty.bottom};
    UPDATELAYEREDWINDOWINFO info{};
    info.cbSize = sizeof info;
    info.pptDst = &dst;
    info.psize = &size;
    info.hdcSrc = static_cast<HDC>(r->memory_dc());
    info.pptSrc = &src;
    info.pblend = &blend;
    info.dwFlags = ULW_ALPHA;
    info.prcDirty = &rect;
    UpdateLayeredWindowIndirect(window, &info);
}
