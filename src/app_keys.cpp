// Keyboard input of the open island: page navigation without a focused field,
// and the four one-line text fields, which only ever grow or shrink at their end.
#include "app.h"
#include "sys_clipboard.h"
#include "sys_text.h"

namespace {

constexpr uint16_t kKeyBackspace = 8, kKeyTab = 9, kKeyEnter = 13, kKeyEsc = 27;
constexpr uint16_t kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40, kKeyV = 86;

// Typing stops at this many characters; one paste may add this many at most.
constexpr size_t kFieldTypeLimit = 160;
constexpr size_t kPasteLimit = 200;

void remove_last_char(std::string& text) {
    if (text.empty()) return;
    size_t i = text.size() - 1;
    // Step back over UTF-8 continuation bytes to the start of the last character.
    while (i > 0 && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) --i;
    text.erase(i);
}

// The last word goes and the space before it stays; without a space everything goes.
std::string without_last_word(std::string_view text) {
    std::string_view body = trim_end(text);
    size_t space = body.rfind(' ');
    if (space == std::string_view::npos) return {};
    return std::string(body.substr(0, space + 1));
}

// Up to the first line feed, without a carriage return before it, cut to `limit` characters.
std::string paste_line(std::string_view clip, size_t limit) {
    std::string_view line = clip.substr(0, clip.find('\n'));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return take_chars(line, limit);
}

}  // namespace

std::string* App::field_text(TextField f) {
    switch (f) {
    case TextField::Search: return &search_page.text;
    case TextField::Note: return &lists.note_text;
    case TextField::City: return &settings.city_edit;
    case TextField::Gemini: return &google.gemini_text;
    default: return nullptr;
    }
}

std::optional<WindowEffect> App::on_key(uint16_t vk, bool ctrl) {
    if (!island.open) return std::nullopt;
    drawing.redraw = true;
    std::string* text = field_text(island.focus);

    if (vk == kKeyEsc) {
        if (island.focus == TextField::Search && !text->empty()) {
            text->clear();
            update_search();
            return std::nullopt;
        }
        if ((island.focus == TextField::Note || island.focus == TextField::Gemini) && !text->empty()) {
            text->clear();
            return std::nullopt;
        }
        close_island();
        return std::nullopt;
    }

    if (!text) {
        int step = 0;
        if (vk == kKeyTab || vk == kKeyRight) step = 1;
        else if (vk == kKeyLeft) step = kPageCount - 1;
        if (step == 0) return std::nullopt;
        Page before = island.remembered_page;
        set_page(page_at((static_cast<int>(island.page) + step) % kPageCount));
        if (island.remembered_page != before) save_state();
        return std::nullopt;
    }

    switch (vk) {
    case kKeyBackspace:
        if (ctrl) *text = without_last_word(*text);
        else remove_last_char(*text);
        if (island.focus == TextField::Search) update_search();
        return std::nullopt;
    case kKeyEnter: return act(Action::byte(ActionKind::FieldGo, static_cast<uint8_t>(island.focus)));
    case kKeyUp:
        if (island.focus == TextField::Search && search_page.sel > 0) --search_page.sel;
        return std::nullopt;
    case kKeyDown:
        if (island.focus == TextField::Search && search_page.sel + 1 < search_page.rows.size()) ++search_page.sel;
        return std::nullopt;
    case kKeyV: {
        if (!ctrl) return std::nullopt;
        std::optional<std::string> clip = get_clipboard_text(drawing.window);
        if (!clip) return std::nullopt;
        // A paste may pass the typing limit; it is bounded by its own limit instead.
        *text += paste_line(*clip, kPasteLimit);
        if (island.focus == TextField::Search) update_search();
        return std::nullopt;
    }
    default: return std::nullopt;
    }
}

void App::on_char(char32_t c) {
    if (!island.open || c < 32 || (c >= 127 && c <= 159)) return;
    // Only scalar values reach a field: no surrogate halves, nothing beyond U+10FFFF.
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return;
    std::string* text = field_text(island.focus);
    if (!text) return;
    if (char_count(*text) < kFieldTypeLimit) append_utf8(*text, c);
    if (island.focus == TextField::Search) update_search();
    drawing.redraw = true;
}
