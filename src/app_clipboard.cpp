// The clipboard history: every text, file list and picture copied anywhere,
// newest first, capped at 40 unpinned entries.
#include <algorithm>
#include <memory>

#include <fmt/format.h>

#include "app.h"
#include "gfx.h"
#include "sys_clipboard.h"
#include "sys_image.h"
#include "sys_os.h"
#include "sys_text.h"

namespace {

constexpr size_t kClipMax = 40;
constexpr size_t kFullPictures = 3;           // newest picture entries keeping their full image
constexpr uint32_t kClipThumbSide = 220;
constexpr uint32_t kNoticePictureSide = 120;
constexpr double kClipNoticeGap = 0.4;

// The words of a text joined by single spaces, cut to 60 characters.
std::string notice_title(std::string_view text) { return take_chars(join_words(text), 60); }

}  // namespace

void App::on_clipboard_update() {
    if (lists.ignore_clipboard_until > now || clipboard_excluded()) return;
    LocalTime t = local_time();
    ClipEntry entry;
    entry.time = fmt::format("{:02}:{:02}", t.hour, t.minute);
    std::string title, body;
    HudKind kind = HudKind::Clipboard;

    if (std::optional<std::string> text = get_clipboard_text(drawing.window)) {
        if (trim(*text).empty()) return;
        title = notice_title(*text);
        std::erase_if(lists.clips, [&](const ClipEntry& e) {
            auto* prev = std::get_if<ClipEntry::Text>(&e.kind);
            return prev && !e.pinned && prev->text == *text;
        });
        entry.kind = ClipEntry::Text{std::move(*text)};
    } else if (clipboard_file_count(drawing.window).value_or(0) > 0) {
        std::vector<std::string> files = get_clipboard_files(drawing.window);
        title = fmt::format("{} dosya", files.size());
        entry.kind = ClipEntry::Files{std::move(files)};
    } else if (std::optional<Image> picture = get_clipboard_image(drawing.window)) {
        auto full = std::make_shared<const Image>(std::move(*picture));
        auto thumb = std::make_shared<const Image>(dib_to_rgba(*full, kClipThumbSide));
        notices.picture = std::make_shared<const Image>(dib_to_rgba(*full, kNoticePictureSide));
        ++notices.serial;
        kind = HudKind::Image;
        title = "Görsel panoya kopyalandı";
        body = fmt::format("{} × {}", full->width, full->height);
        entry.kind = ClipEntry::Picture{std::move(thumb), std::move(full)};
    } else {
        return;
    }
    entry.id = lists.next_id++;
    lists.clips.insert(lists.clips.begin(), std::move(entry));

    // Full pictures stay with the newest few only; thumbnails stay with all.
    size_t pictures = 0;
    for (ClipEntry& e : lists.clips)
        if (auto* p = std::get_if<ClipEntry::Picture>(&e.kind); p && ++pictures > kFullPictures) p->full.reset();

    // Over the cap the oldest unpinned entry goes; pinned ones always stay,
    // and so does the entry just copied.
    while (lists.clips.size() > kClipMax) {
        auto victim = std::find_if(lists.clips.rbegin(), std::prev(lists.clips.rend()), [](const ClipEntry& e) { return !e.pinned; });
        if (victim == std::prev(lists.clips.rend())) break;
        if (drawing.renderer && std::holds_alternative<ClipEntry::Picture>(victim->kind))
            drawing.renderer->forget_image(image_id(kImageOwnerClip, victim->id));
        lists.clips.erase(std::next(victim).base());
    }

    if (settings.clip_hud && !island.open && now - lists.last_clip_notice > kClipNoticeGap) {
        notices.title = std::move(title);
        notices.body = std::move(body);
        lists.last_clip_notice = now;
        if (hud_gate()) show_hud(kind, hud_seconds(kind));
    }
    drawing.redraw = true;
}
