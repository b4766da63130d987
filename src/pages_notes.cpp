// The notes page: the note field, the pending reminders with the time left
// until each, the notes with their animated tick, and a summary line with the
// button that clears the finished notes. It keeps no state of its own.
//
// Index
//   Geometry and helpers
//   Reminder row
//   Note row
//   The page
#include <algorithm>
#include <cmath>
#include <string>

#include <fmt/format.h>

#include "app.h"
#include "pages.h"
#include "remind.h"
#include "sys_os.h"
#include "ui_widgets.h"

namespace {

// ---- Geometry and helpers ------------------------------------------------------------------------------

constexpr float kFieldH = 42, kListTop = 50, kListBottomSpace = 30;
constexpr float kRowPitch = 40, kRowH = 36;
constexpr float kSummaryW = 360, kClearW = 190;
// Note texts start right of the check circle; the "Görevlere" chip starts this
// far left of the row's right edge.
constexpr float kTextLeft = 40, kChipInset = 110, kChipW = 68, kTextGap = 6;

Color white(float a) { return rgb(255, 255, 255, a); }

float clamp01f(float v) { return std::clamp(v, 0.0f, 1.0f); }

// Multiplies the renderer's global alpha for a scope and restores it.
struct ScopedAlpha {
    Renderer& g;
    float saved;
    ScopedAlpha(Renderer& r, float factor) : g(r), saved(r.global_alpha) { g.global_alpha = saved * factor; }
    ~ScopedAlpha() { g.global_alpha = saved; }
};

// ---- Reminder row ----------------------------------------------------------------------------------------

void reminder_row(App& app, const RectF& body, size_t i, float t, int64_t now, const TimeOfDay& clock) {
    Renderer& g = *app.drawing.renderer;
    const ReminderItem& rem = app.lists.reminders[i];
    const float x = body.x, w = body.w, c = t + kRowH / 2;
    const Action del = Action::at(ActionKind::RemDel, static_cast<uint16_t>(i));

    g.fill_rounded_rect({x, t, w, kRowH}, std::min(w / 2, 12.0f), with_alpha(page_color::kOrange, 0.1f));
    g.draw_glyph(0xEA8F, x + 20, c, 13, page_color::kOrange);
    g.draw_text(rem.text, {x + 40, t, std::max(0.0f, w - 220), kRowH}, 13.5f, FontFamily::Text, 600,
                page_color::kPrimary, TextAlign::Left);
    g.draw_text(format_time_until(rem.due - now, clock), {x + w - 190, t, 140, kRowH}, 12.5f, FontFamily::Text, 700,
                page_color::kOrange, TextAlign::Right);

    // Always visible: faint white at rest, turning red as it is hovered.
    const float h = app.hover_of(del);
    g.fill_circle(x + w - 20, c, 10, Color{1.0f, 1.0f - 0.7294f * h, 1.0f - 0.7725f * h, 0.1f + 0.9f * h});
    g.draw_glyph(0xE711, x + w - 20, c, 8, white(0.8f));
    app.push_hit({x + w - 34, t, 28, kRowH}, del);
}

// ---- Note row ---------------------------------------------------------------------------------------------

// The green disc grows with the ease; the tick, two round-capped strokes
// meeting at its elbow, fades in with the done value.
void check_mark(Renderer& g, float x, float c, float d, float e) {
    g.fill_circle(x + 20, c, 9.2f * e, page_color::kGreen);
    ScopedAlpha fade(g, d);
    g.draw_line(x + 16, c + 0.2f, x + 18.8f, c + 3, 1.8f, page_color::kPrimary);
    g.draw_line(x + 18.8f, c + 3, x + 24.5f, c - 3.2f, 1.8f, page_color::kPrimary);
}

void note_row(App& app, const RectF& body, size_t j, float t) {
    Renderer& g = *app.drawing.renderer;
    const NoteItem& note = app.lists.notes[j];
    const float x = body.x, w = body.w, c = t + kRowH / 2;
    const uint16_t idx = static_cast<uint16_t>(j);
    const Action toggle = Action::at(ActionKind::Note, idx), del = Action::at(ActionKind::NoteDel, idx),
                 task = Action::at(ActionKind::NoteTask, idx);
    const float r = std::max({app.hover_of(toggle), app.hover_of(del), app.hover_of(task)});
    const float d = note.fade;
    const float e = 1 - std::pow(1 - std::min(clamp01f(d), 1.0f), 3.0f);

    g.fill_rounded_rect({x, t, w, kRowH}, std::min(w / 2, 12.0f), white(0.04f + 0.06f * r));
    g.stroke_circle(x + 20, c, 8.5f,
                    with_alpha(blend(page_color::kPrimary, page_color::kGreen, clamp01f(d)), 0.45f + 0.55f * clamp01f(d)),
                    1.5f);
    if (d > 0.01f) check_mark(g, x, c, clamp01f(d), e);

    // While the "Görevlere" chip shows, the text ends before it instead of running under it.
    const bool task_chip = r > 0.01f && app.google.snap.signed_in;
    const float text_w = std::max(0.0f, task_chip ? w - kChipInset - kTextGap - kTextLeft : w - 90);
    g.draw_text(note.text, {x + kTextLeft, t, text_w, kRowH}, 13.5f, FontFamily::Text, 500, white(1 - 0.6f * clamp01f(d)),
                TextAlign::Left);
    if (d > 0.01f) {
        const float measured = g.measure_text(note.text, 13.5f, FontFamily::Text, 500);
        g.draw_line(x + kTextLeft, c, x + kTextLeft + e * std::min(measured, text_w), c, 1.4f, white(0.5f));
    }
    app.push_hit({x, t, w, kRowH}, toggle);

    if (!(r > 0.01f)) return;
    // The shared delete button fades itself with the row's hover; its region is widened to the row's height.
    draw_row_delete(app, x + w - 20, c, r, del);
    app.push_hit({x + w - 34, t, 28, kRowH}, del);
    if (!task_chip) return;
    ScopedAlpha fade(g, clamp01f(r));
    const float th = app.hover_of(task);
    const RectF chip{x + w - kChipInset, c - 11, kChipW, 22};
    g.fill_rounded_rect(chip, 11, with_alpha(page_color::kBlue, 0.2f + 0.2f * th));
    g.draw_text("Görevlere", chip, 11, FontFamily::Text, 700, toward_white(page_color::kBlue, 0.35f + 0.4f * th),
                TextAlign::Center);
    app.push_hit({x + w - kChipInset, t + 7, kChipW, 22}, task);
}

// ---- The page ----------------------------------------------------------------------------------------------

void notes_page(App& app, const RectF& island) {
    if (!app.drawing.renderer) return;
    Renderer& g = *app.drawing.renderer;
    const RectF b = page_content_rect(island);
    const float x = b.x, y = b.y, w = b.w, h = b.h;

    app.text_field({x, y, w, kFieldH}, TextField::Note, 0xE710,
                   "Not ya da hatırlatıcı: “10 dk sonra su iç”, “14:30 doktor”", "Ekle");

    const RectF view{x, y + kListTop, w, h - kListTop - kListBottomSpace};
    if (app.lists.notes.empty() && app.lists.reminders.empty()) {
        g.draw_text("Henüz not yok. Yaz, Enter'a bas · zaman yazarsan hatırlatıcı olur", view, 13, FontFamily::Text, 400,
                    page_color::kTertiary, TextAlign::Center);
    } else {
        // One clock reading per frame, so every row counts down from the same moment.
        const int64_t now = app.wall_unix();
        LocalTime lt;
        TimeOfDay clock;
        if (local_time_of(now, lt))
            clock = {static_cast<uint32_t>(lt.hour), static_cast<uint32_t>(lt.minute), static_cast<uint32_t>(lt.second)};
        const float bottom = view.y + view.h;
        g.push_clip(view);
        const size_t rows = app.lists.reminders.size() + app.lists.notes.size();
        for (size_t k = 0; k < rows; ++k) {
            const float t = list_item_top(view.y, kRowPitch, k, app.lists.notes_scroll);
            if (t > bottom || t + 38 < view.y) continue;
            if (k < app.lists.reminders.size())
                reminder_row(app, view, k, t, now, clock);
            else
                note_row(app, view, k - app.lists.reminders.size(), t);
        }
        g.pop_clip();
    }

    const size_t open = static_cast<size_t>(
        std::count_if(app.lists.notes.begin(), app.lists.notes.end(), [](const NoteItem& n) { return !n.done; }));
    const size_t done = app.lists.notes.size() - open;
    std::string summary = fmt::format("{} açık · {} tamamlandı", open, done);
    if (!app.lists.reminders.empty()) summary += fmt::format(" · {} hatırlatıcı", app.lists.reminders.size());
    g.draw_text(summary, {x + 4, y + h - 24, kSummaryW, 22}, 11.5f, FontFamily::Text, 400, page_color::kTertiary,
                TextAlign::Left);
    if (done > 0) {
        const Action clear = Action::of(ActionKind::NotesClear);
        const float hv = app.hover_of(clear);
        const RectF btn{x + w - kClearW, y + h - 24, kClearW, 24};
        g.fill_rounded_rect(btn, 12, white(0.08f + 0.1f * hv));
        g.draw_text("Tamamlananları temizle", btn, 12, FontFamily::Text, 600, white(0.62f + 0.38f * hv),
                    TextAlign::Center);
        app.push_hit(btn, clear);
    }
}

}  // namespace

void App::draw_notes_page(const RectF& island) { notes_page(*this, island); }
