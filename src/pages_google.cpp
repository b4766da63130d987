// The Google page: a sidebar with the account (or the invitation to connect),
// the Gmail inbox with read and archive buttons on a hovered row, and a panel
// with two tabs, the calendar events of the next days and the task list. It
// draws from the App's copy of the Google state and keeps no state itself.
//
// Index
//   Geometry, colours and helpers
//   Sidebar: signed out
//   Sidebar: signed in
//   Gmail column
//   Tab panel: calendar and tasks
//   The page
#include <algorithm>
#include <string>
#include <string_view>

#include <fmt/format.h>

#include "app.h"
#include "google_text.h"
#include "pages.h"
#include "sys_text.h"
#include "ui_widgets.h"

namespace {

// ---- Geometry, colours and helpers -------------------------------------------------------------------

constexpr float kSideW = 196, kGmailX = 208, kGmailW = 250, kPanelX = 470;
constexpr float kCardRadius = 20;
constexpr size_t kMostMails = 4, kMostEvents = 4, kMostTasks = 5;
constexpr float kMailPitch = 48, kEventPitch = 48, kTaskPitch = 38;

constexpr Color kGrey = rgb(58, 58, 58);
constexpr Color kGmailRed = rgb(255, 106, 97);
constexpr Color kAvatarBlue = rgb(82, 115, 250);
constexpr Color kMarkBlue = rgb(66, 133, 244), kMarkGreen = rgb(52, 168, 83), kMarkYellow = rgb(251, 188, 5),
                kMarkRed = rgb(234, 67, 53);
constexpr char32_t kGlyphMail = 0xE715, kGlyphArchive = 0xE7B8, kGlyphCheck = 0xE73E;

Color white(float a) { return rgb(255, 255, 255, a); }

float radius_for(const RectF& r, float most) { return std::max(0.0f, std::min({most, r.w / 2, r.h / 2})); }

// Multiplies the renderer's global alpha for a scope and restores it.
struct ScopedAlpha {
    Renderer& g;
    float saved;
    ScopedAlpha(Renderer& r, float factor) : g(r), saved(r.global_alpha) { g.global_alpha = saved * factor; }
    ~ScopedAlpha() { g.global_alpha = saved; }
};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

// "07.03" from a due text beginning "2025-03-07"; empty unless the text starts
// with such a date (it comes from the network, so nothing is taken on trust).
std::string task_due_label(std::string_view due) {
    if (due.size() < 10) return {};
    static constexpr size_t kDigits[] = {0, 1, 2, 3, 5, 6, 8, 9};
    for (size_t i : kDigits)
        if (!is_digit(due[i])) return {};
    if (due[4] != '-' || due[7] != '-') return {};
    return fmt::format("{}.{}", due.substr(8, 2), due.substr(5, 2));
}

// The avatar's letter: the first character of the name, else of the e-mail address, else "G".
std::string avatar_letter(std::string_view name, std::string_view email) {
    std::string_view from = !name.empty() ? name : email;
    if (from.empty()) return "G";
    size_t i = 0;
    const char32_t c = next_code_point(from, i);
    std::string one;
    append_utf8(one, c);
    return turkish_capitalize(one);
}

namespace {

// ---- Sidebar: signed out -------------------------------------------------------------------------------

void ring_mark(Renderer& g, float cx, float cy) {
    constexpr float kR = 22, kStroke = 7.92f;
    g.draw_arc(cx, cy, kR, 0.25f, 0.14f, kStroke, kMarkBlue);
    g.draw_arc(cx, cy, kR, 0.39f, 0.22f, kStroke, kMarkGreen);
    g.draw_arc(cx, cy, kR, 0.61f, 0.16f, kStroke, kMarkYellow);
    g.draw_arc(cx, cy, kR, 0.77f, 0.30f, kStroke, kMarkRed);
    g.fill_rounded_rect({cx, cy - kStroke / 2, kR + kStroke / 2, kStroke}, 1, kMarkBlue);
}

void sidebar_signed_out(App& app, const RectF& b) {
    Renderer& g = *app.drawing.renderer;
    const GoogleState& s = app.google.snap;
    const float x = b.x, y = b.y, h = b.h;
    ring_mark(g, x + 98, y + 50);
    g.draw_text("Google'a bağlan", {x + 10, y + 86, 176, 22}, 15, FontFamily::Text, 700, page_color::kPrimary,
                TextAlign::Center);
    g.draw_text("Gemini · sesli asistan", {x + 10, y + 110, 176, 18}, 12, FontFamily::Text, 400,
                page_color::kSecondary, TextAlign::Center);
    g.draw_text("Gmail · Takvim", {x + 10, y + 128, 176, 18}, 12, FontFamily::Text, 400, page_color::kSecondary,
                TextAlign::Center);
    g.draw_text(s.status, {x + 10, y + 156, 176, 18}, 11, FontFamily::Text, 400, page_color::kTertiary,
                TextAlign::Center);
    const bool waiting = s.status.find("bekleniyor") != std::string::npos;
    app.draw_primary_button({x + 14, y + h - 50, 168, 36}, waiting ? "Tarayıcıda onayla…" : "Google ile bağlan");
}

// ---- Sidebar: signed in --------------------------------------------------------------------------------

void avatar(App& app, float x, float y) {
    Renderer& g = *app.drawing.renderer;
    const GoogleState& s = app.google.snap;
    const RectF square{x + 68, y + 22, 60, 60};
    if (s.picture) {
        g.draw_image(App::google_picture_id(*s.picture), *s.picture, square, 30);
        return;
    }
    g.fill_circle(x + 98, y + 52, 30, kAvatarBlue);
    g.draw_text(avatar_letter(s.name, s.email), square, 27, FontFamily::Display, 700, page_color::kPrimary,
                TextAlign::Center);
}

void consent_button(App& app, float x, float y) {
    Renderer& g = *app.drawing.renderer;
    const Action act = Action::of(ActionKind::GSignIn);
    const float hv = app.hover_of(act);
    const RectF r{x + 14, y + 136, 168, 26};
    g.fill_rounded_rect(r, 13, with_alpha(page_color::kOrange, 0.22f + 0.15f * hv));
    g.draw_text("İzinleri güncelle", r, 12, FontFamily::Text, 700, toward_white(page_color::kOrange, 0.2f + 0.3f * hv),
                TextAlign::Center);
    app.push_hit(r, act);
}

void status_pill(App& app, float x, float y) {
    Renderer& g = *app.drawing.renderer;
    const std::string& status = app.google.snap.status;
    const bool ready = status == "bağlı";
    const std::string_view text = ready ? std::string_view("Gemini · Gmail · Takvim") : std::string_view(status);
    const Color c = ready ? page_color::kGreen : page_color::kOrange;
    const float w = std::min(g.measure_text(text, 11, FontFamily::Text, 700) + 20, 180.0f);
    const RectF r{x + 98 - w / 2, y + 138, w, 22};
    g.fill_rounded_rect(r, std::min(w / 2, 11.0f), with_alpha(c, 0.2f));
    g.draw_text(text, r, 11, FontFamily::Text, 700, c, TextAlign::Center);
}

void sidebar_signed_in(App& app, const RectF& b) {
    Renderer& g = *app.drawing.renderer;
    const GoogleState& s = app.google.snap;
    const float x = b.x, y = b.y, h = b.h;
    avatar(app, x, y);
    g.draw_text(s.name.empty() ? std::string_view("Google hesabı") : std::string_view(s.name), {x + 10, y + 90, 176, 22},
                15, FontFamily::Text, 700, page_color::kPrimary, TextAlign::Center);
    g.draw_text(s.email, {x + 10, y + 112, 176, 18}, 11.5f, FontFamily::Text, 400, page_color::kSecondary,
                TextAlign::Center);
    if (s.needs_consent && s.status == "bağlı")
        consent_button(app, x, y);
    else
        status_pill(app, x, y);
    app.draw_chip_button({x + 14, y + h - 74, 168, 28}, Action::of(ActionKind::GRefresh), "Yenile");
    app.draw_chip_button({x + 14, y + h - 40, 168, 28}, Action::of(ActionKind::GSignOut), "Çıkış yap");
}

// ---- Gmail column ----------------------------------------------------------------------------------------

void unread_badge(App& app, float gx, float y) {
    Renderer& g = *app.drawing.renderer;
    const std::string text = fmt::format("{} okunmamış", app.google.snap.unread);
    const float w = g.measure_text(text, 11.5f, FontFamily::Text, 700) + 20;
    const RectF r{gx + 236 - w, y + 13, w, 22};
    g.fill_rounded_rect(r, std::min(w / 2, 11.0f), with_alpha(page_color::kRed, 0.22f));
    g.draw_text(text, r, 11.5f, FontFamily::Text, 700, page_color::kRed, TextAlign::Center);
}

void mail_button(App& app, float bx, float t, const Action& act, const Color& c, char32_t glyph) {
    Renderer& g = *app.drawing.renderer;
    g.fill_circle(bx, t + 22, 12, blend(kGrey, c, 0.35f + 0.5f * app.hover_of(act)));
    g.draw_glyph(glyph, bx, t + 22, 10, page_color::kPrimary);
    app.push_hit({bx - 14, t, 28, 44}, act);
}

void mail_row(App& app, float gx, float t, size_t i) {
    Renderer& g = *app.drawing.renderer;
    const MailItem& mail = app.google.snap.mails[i];
    const auto idx = static_cast<uint16_t>(i);
    const Action open = Action::at(ActionKind::GMail, idx), read = Action::at(ActionKind::GMailRead, idx),
                 archive = Action::at(ActionKind::GMailArchive, idx);
    const float r = std::max({app.hover_of(open), app.hover_of(read), app.hover_of(archive)});
    const RectF row{gx + 8, t, 234, 44};
    g.fill_rounded_rect(row, 12, white(0.04f + 0.07f * app.hover_of(open)));
    if (mail.unread) g.fill_circle(gx + 18, t + 13, 3.5f, page_color::kBlue);
    const float tw = 206 - 64 * r;
    g.draw_text(mail.from, {gx + 28, t + 3, tw, 20}, 13, FontFamily::Text, mail.unread ? 700.0f : 600.0f,
                page_color::kPrimary, TextAlign::Left);
    g.draw_text(mail.subject.empty() ? mail.snippet : mail.subject, {gx + 28, t + 21, tw, 18}, 12, FontFamily::Text,
                400, page_color::kSecondary, TextAlign::Left);
    app.push_hit(row, open);

    if (!(r > 0.01f)) return;
    // The buttons fade in with the row's hover; their regions follow the row's, so they win.
    ScopedAlpha fade(g, r);
    const float bx = gx + 222;
    mail_button(app, bx, t, archive, page_color::kOrange, kGlyphArchive);
    mail_button(app, bx - 30, t, read, page_color::kGreen, kGlyphCheck);
}

void gmail_column(App& app, const RectF& b) {
    Renderer& g = *app.drawing.renderer;
    const GoogleState& s = app.google.snap;
    const float gx = b.x + kGmailX, y = b.y, h = b.h;
    g.draw_glyph(kGlyphMail, gx + 26, y + 24, 15, kGmailRed);
    g.draw_text("Gmail", {gx + 44, y + 12, 100, 24}, 14, FontFamily::Text, 700, page_color::kPrimary, TextAlign::Left);
    if (s.signed_in && s.unread > 0) unread_badge(app, gx, y);

    if (s.signed_in && !s.mails.empty()) {
        for (size_t i = 0; i < std::min(s.mails.size(), kMostMails); ++i)
            mail_row(app, gx, y + 44 + kMailPitch * static_cast<float>(i), i);
        return;
    }
    std::string_view empty = !s.signed_in                      ? std::string_view("Bağlanınca gelen kutun burada")
                             : s.status.rfind("Gmail", 0) == 0 ? std::string_view(s.status)
                                                               : std::string_view("Gelen kutusu yükleniyor…");
    g.draw_text(empty, {gx + 12, y + 44, 226, h - 60}, 12, FontFamily::Text, 400, page_color::kTertiary,
                TextAlign::Center);
}

// ---- Tab panel: calendar and tasks -------------------------------------------------------------------------

void tab_control(App& app, float rx, float rw, float y, uint8_t sel) {
    Renderer& g = *app.drawing.renderer;
    const RectF bar{rx + 12, y + 10, rw - 24, 28};
    g.fill_rounded_rect(bar, std::min(bar.w / 2, 14.0f), white(0.08f));
    const float sw = (rw - 24) / 2;
    const RectF lit{rx + 12 + sel * sw + 3, y + 13, sw - 6, 22};
    g.fill_rounded_rect(lit, std::min(lit.w / 2, 11.0f), white(0.18f));
    static const char* const kLabels[2] = {"Takvim", "Görevler"};
    for (uint8_t i = 0; i < 2; ++i) {
        const Action act = Action::byte(ActionKind::GTab, i);
        const RectF half{rx + 12 + i * sw, y + 10, sw, 28};
        const Color c = i == sel ? page_color::kPrimary : white(0.62f + 0.38f * app.hover_of(act));
        g.draw_text(kLabels[i], half, 12.5f, FontFamily::Text, 600, c, TextAlign::Center);
        app.push_hit(half, act);
    }
}

void event_row(App& app, float rx, float rw, float t, size_t i, int64_t now, int64_t offset) {
    Renderer& g = *app.drawing.renderer;
    const EventItem& ev = app.google.snap.events[i];
    const Action act = Action::at(ActionKind::GEvent, static_cast<uint16_t>(i));
    const RectF row{rx + 8, t, rw - 16, 44};
    g.fill_rounded_rect(row, std::min(row.w / 2, 12.0f), white(0.04f + 0.07f * app.hover_of(act)));
    g.fill_rounded_rect({row.x + 6, t + 8, 3, 28}, 1.5f, page_color::kBlue);
    g.draw_text(day_time_text_at(ev.start, ev.all_day, now, offset), {rx + 24, t + 3, rw - 38, 18}, 11.5f,
                FontFamily::Text, 700, page_color::kSky, TextAlign::Left);
    g.draw_text(ev.summary, {rx + 24, t + 21, rw - 38, 18}, 12.5f, FontFamily::Text, 600, page_color::kPrimary,
                TextAlign::Left);
    app.push_hit(row, act);
}

void task_row(App& app, float rx, float rw, float t, size_t i) {
    Renderer& g = *app.drawing.renderer;
    const TaskItem& task = app.google.snap.tasks[i];
    const Action act = Action::at(ActionKind::GTaskDone, static_cast<uint16_t>(i));
    const float h = app.hover_of(act);
    const RectF row{rx + 8, t, rw - 16, 34};
    g.fill_rounded_rect(row, radius_for(row, 12), white(0.04f + 0.05f * h));
    g.stroke_circle(rx + 24, t + 17, 7, blend(page_color::kBlue, page_color::kGreen, h), 1.6f);
    if (h > 0.05f) g.draw_glyph(kGlyphCheck, rx + 24, t + 17, 8, with_alpha(page_color::kGreen, h));
    const std::string due = task_due_label(task.due);
    g.draw_text(task.title, {rx + 38, t, due.empty() ? rw - 52 : rw - 104, 34}, 12.5f, FontFamily::Text, 600,
                page_color::kPrimary, TextAlign::Left);
    if (!due.empty())
        g.draw_text(due, {rx + rw - 64, t, 48, 34}, 11, FontFamily::Text, 700, page_color::kSky, TextAlign::Right);
    app.push_hit(row, act);
}

void tab_panel(App& app, const RectF& b) {
    Renderer& g = *app.drawing.renderer;
    const GoogleState& s = app.google.snap;
    const float rx = b.x + kPanelX, rw = b.w - kPanelX, y = b.y, h = b.h;
    const uint8_t sel = app.google.tab == 1 ? 1 : 0;
    tab_control(app, rx, rw, y, sel);

    std::string_view empty;
    if (sel == 0) {
        if (s.signed_in && !s.events.empty()) {
            // One clock reading for every row.
            const int64_t now = app.wall_unix(), offset = local_utc_offset(now);
            for (size_t i = 0; i < std::min(s.events.size(), kMostEvents); ++i)
                event_row(app, rx, rw, y + 46 + kEventPitch * static_cast<float>(i), i, now, offset);
            return;
        }
        empty = s.signed_in ? "Önümüzdeki 3 günde etkinlik yok" : "Bağlanınca etkinliklerin burada";
    } else {
        if (s.signed_in && !s.tasks.empty()) {
            for (size_t i = 0; i < std::min(s.tasks.size(), kMostTasks); ++i)
                task_row(app, rx, rw, y + 46 + kTaskPitch * static_cast<float>(i), i);
            return;
        }
        empty = s.signed_in ? "Görev yok · “yarın faturayı öde diye görev ekle” de" : "Bağlanınca Google Görevler burada";
    }
    g.draw_text(empty, {rx + 8, y + 44, rw - 16, h - 60}, 12, FontFamily::Text, 400, page_color::kTertiary,
                TextAlign::Center);
}

}  // namespace

// ---- The page ----------------------------------------------------------------------------------------------

void draw_google_page(App& app, const RectF& island) {
    if (!app.drawing.renderer) return;
    Renderer& g = *app.drawing.renderer;
    const RectF b = page_content_rect(island);
    const RectF cards[3] = {{b.x, b.y, kSideW, b.h}, {b.x + kGmailX, b.y, kGmailW, b.h},
                            {b.x + kPanelX, b.y, b.w - kPanelX, b.h}};
    for (const RectF& c : cards) g.fill_rounded_rect(c, radius_for(c, kCardRadius), white(0.07f));

    if (app.google.snap.signed_in)
        sidebar_signed_in(app, b);
    else
        sidebar_signed_out(app, b);
    gmail_column(app, b);
    tab_panel(app, b);
}
