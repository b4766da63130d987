// The shelf's list operations.
#include <algorithm>
#include <cmath>

#include <fmt/format.h>

#include "app.h"
#include "app_format.h"
#include "gfx.h"
#include "sys_log.h"
#include "sys_os.h"
#include "sys_shell.h"
#include "sys_text.h"

namespace {

constexpr size_t kShelfMax = 30;
constexpr float kShelfRow = 98, kShelfView = 668;

}  // namespace

std::string shelf_detail(std::string_view name, const FileInfo& info) {
    if (info.directory) return "Klasör";
    std::string size = format_bytes(info.size);
    size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size()) return size;
    return fmt::format("{} · {}", to_upper(name.substr(dot + 1)), size);
}

void App::add_to_shelf(std::vector<std::string> paths, bool save) {
    float scale_px = drawing.renderer ? drawing.renderer->scale() : 1.0f;
    for (auto& raw : paths) {
        std::string path(trim(raw));
        if (path.empty()) continue;
        auto info = file_info(path);
        if (!info) continue;
        bool present = std::any_of(lists.shelf.begin(), lists.shelf.end(),
                                   [&](const ShelfItem& s) { return equal_ignoring_ascii_case(s.path, path); });
        if (present) continue;
        ShelfItem item;
        item.name = path_last_component(path);
        item.detail = shelf_detail(item.name, *info);
        uint32_t px = static_cast<uint32_t>(std::lround(52 * scale_px));
        item.thumbnail = shell_thumbnail(path, px, px, true);
        item.id = lists.next_id++;
        item.path = std::move(path);
        lists.shelf.push_back(std::move(item));
    }
    while (lists.shelf.size() > kShelfMax) {
        if (drawing.renderer) drawing.renderer->forget_image(image_id(kImageOwnerShelf, lists.shelf.front().id));
        lists.shelf.erase(lists.shelf.begin());
    }
    lists.shelf_scroll = std::max(kShelfRow * static_cast<float>(lists.shelf.size()) - kShelfView, 0.0f);
    if (save) save_state();
    drawing.redraw = true;
}

void App::update_browser_hide(std::string_view exe_path, bool skip) {
    if (skip) return;
    // A full path is judged by its file name alone (a folder may be named "Browsers").
    bool browser = contains_browser_word(path_last_component(exe_path));
    if (browser == island.browser_front) return;
    island.browser_front = browser;
    drawing.redraw = true;
    if (!island.quiet)
        write_log(browser ? fmt::format("foreground {}: tarayici onde, ada gizlendi", exe_path)
                          : fmt::format("foreground {}: ada gosteriliyor", exe_path));
}

void App::show_settings_hint(std::string text) {
    auto ends_with = [&](std::string_view tail) {
        return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
    };
    if (ends_with("açıldı") || ends_with("kapatıldı")) return;
    show_info(text, "Ayarlar > Ağ ve İnternet'ten deneyebilirsin");
}
