// The Gemini page: the conversation with the assistant as speech bubbles, a
// typing indicator while an answer is awaited, and the input bar with its
// microphone and clear buttons; an empty conversation shows a greeting, three
// suggested questions and how to ask by voice. It draws from the App's copy
// of the Google state and writes back only the chat's scroll bookkeeping.
//
// Index
//   Geometry, colours and helpers
//   Signed out
//   Empty conversation
//   Conversation: bubble layout, bubbles, typing dots
//   Input bar
//   The page
#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include <fmt/format.h>

#include "app.h"
#include "pages.h"
#include "sys_text.h"
#include "ui_widgets.h"

namespace {

// ---- Geometry, colours and helpers -------------------------------------------------------------------

constexpr Color kBlue = rgb(10, 132, 255), kPurple = rgb(191, 90, 242), kAvatar = rgb(133, 91, 235),
                kRed = rgb(255, 69, 58);

constexpr float kTextSize = 14, kTextWeight = 500;
constexpr float kBubblePadX = 14, kBubblePadY = 9, kLeastTextHeight = 19;
constexpr float kBubbleGap = 8, kTypingHeight = 46, kBarHeight = 52;
constexpr float kModelX = 32, kAvatarRadius = 11;

constexpr char32_t kGlyphAsk = 0xE8BD, kGlyphMic = 0xE720, kGlyphClear = 0xE74D, kGlyphCopy = 0xE8C8,
                   kGlyphSpeak = 0xE994;

constexpr const char* kSuggestionLabels[3] = {"E-postalarımı özetle", "Bugün takvimimde ne var?",
                                              "Bana kısa bir motivasyon sözü söyle"};

Color white(float a) { return rgb(255, 255, 255, a); }

// Multiplies the renderer's global alpha for a scope and restores it.
struct ScopedAlpha {
    Renderer& g;
    float saved;
    ScopedAlpha(Renderer& r, float factor) : g(r), saved(r.global_alpha) { g.global_alpha = saved * factor; }
    ~ScopedAlpha() { g.global_alpha = saved; }
};

// The assistant's four-pointed star: tips on the axes, inner corners on the diagonals.
void star(Renderer& g, float cx, float cy, float tip, float inner) {
    g.fill_polygon({{cx, cy - tip}, {cx + inner, cy - inner}, {cx + tip, cy}, {cx + inner, cy + inner},
                    {cx, cy + tip}, {cx - inner, cy + inner}, {cx - tip, cy}, {cx - inner, cy - inner}},
                   white(1), 0);
}

void avatar(Renderer& g, float cx, float cy) {
    g.fill_circle(cx, cy, kAvatarRadius, kAvatar);
    star(g, cx, cy, 6.5f, 1.56f);
}

float bubble_radius(float w, float h) { return std::min({w / 2, h / 2, 16.0f}); }

std::string first_word(std::string_view name) {
    name = trim(name);
    size_t end = 0;
    while (end < name.size()) {
        size_t at = end;
        if (is_white_space(next_code_point(name, at))) break;
        end = at;
    }
    return std::string(name.substr(0, end));
}

// ---- Signed out --------------------------------------------------------------------------------------

void signed_out(App& app, const RectF& b) {
    Renderer& g = *app.drawing.renderer;
    const float x = b.x, y = b.y, w = b.w;
    app.draw_spinner(x + w / 2, y + 58, 30, app.now);
    star(g, x + w / 2, y + 58, 11, 2.64f);
    g.draw_text("Gemini için Google ile bağlan", {x, y + 104, w, 24}, 16, FontFamily::Text, 700, white(1),
                TextAlign::Center);
    g.draw_text("Yazarak ya da sesle sor · adaya basılı tutunca dinler, Türkçe sesli cevap verir", {x, y + 130, w, 20},
                12, FontFamily::Text, 400, white(0.4f), TextAlign::Center);
    app.draw_primary_button({x + w / 2 - 100, y + 170, 200, 38}, "Google ile bağlan");
}

// ---- Empty conversation ------------------------------------------------------------------------------

void suggestion_chips(App& app, const RectF& b) {
    Renderer& g = *app.drawing.renderer;
    constexpr float kChipH = 32, kGap = 10, kLabelSize = 12.5f;
    float widths[3], total = 2 * kGap;
    for (int i = 0; i < 3; ++i) {
        widths[i] = g.measure_text(kSuggestionLabels[i], kLabelSize, FontFamily::Text, 600) + 28;
        total += widths[i];
    }
    float cx = b.x + b.w / 2 - total / 2;
    for (uint8_t i = 0; i < 3; ++i) {
        const Action act = Action::byte(ActionKind::GSuggest, i);
        const float hv = app.hover_of(act);
        const RectF chip{cx, b.y + 110, widths[i], kChipH};
        const float radius = std::min(widths[i] / 2, 16.0f);
        g.fill_rounded_rect(chip, radius, white(0.08f + 0.08f * hv));
        g.stroke_rounded_rect(chip, radius, with_alpha(kPurple, 0.25f + 0.3f * hv), 1, 0, 0);
        g.draw_text(kSuggestionLabels[i], chip, kLabelSize, FontFamily::Text, 600, white(0.9f), TextAlign::Center);
        app.push_hit(chip, act);
        cx += widths[i] + kGap;
    }
}

void empty_conversation(App& app, const RectF& b) {
    Renderer& g = *app.drawing.renderer;
    const float x = b.x, y = b.y, w = b.w;
    app.google.chat_scroll_max = 0;
    app.draw_spinner(x + w / 2, y + 40, 24, app.now);
    star(g, x + w / 2, y + 40, 9, 2.16f);
    const std::string word = first_word(app.google.snap.name);
    const std::string greeting =
        word.empty() ? std::string("Merhaba! Ne sormak istersin?") : fmt::format("Merhaba {}! Ne sormak istersin?", word);
    g.draw_text(greeting, {x, y + 74, w, 24}, 16, FontFamily::Text, 700, white(1), TextAlign::Center);
    suggestion_chips(app, b);

    const bool wake = app.settings.wake_model_present && app.settings.wake;
    const std::string suffix = app.hotkeys.voice.empty() ? std::string() : fmt::format(" ya da {}", app.hotkeys.voice);
    const std::string voice = fmt::format("{}{}", wake ? "Sesli sor: “Hey Google” de, adaya basılı tut"
                                                       : "Sesli sor: adaya basılı tut", suffix);
    g.draw_text(voice, {x, y + 156, w, 20}, 11.5f, FontFamily::Text, 400, white(0.4f), TextAlign::Center);

    if (app.settings.wake_model_present) return;
    const Action teach = Action::of(ActionKind::WakeTeach);
    const float hv = app.hover_of(teach);
    const RectF r{x + w / 2 - 110, y + 182, 220, 30};
    g.fill_rounded_rect(r, 15, with_alpha(kPurple, 0.22f + 0.15f * hv));
    g.draw_text("“Hey Google”u öğret", r, 12.5f, FontFamily::Text, 700, toward_white(kPurple, 0.45f + 0.3f * hv),
                TextAlign::Center);
    app.push_hit(r, teach);
}

// ---- Conversation: bubble layout, bubbles, typing dots -------------------------------------------------

struct Bubble {
    std::string_view text;
    float text_width = 0, height = 0;
    bool user = false;
};

std::vector<Bubble> lay_out(Renderer& g, const std::vector<ChatLine>& chat, float w) {
    const float widest = std::floor(0.78f * w) - 28;
    std::vector<Bubble> out;
    out.reserve(chat.size());
    for (const ChatLine& line : chat) {
        Bubble b;
        b.text = line.text;
        b.user = line.user;
        b.text_width = line.text.find('\n') != std::string::npos
                           ? widest
                           : std::min(g.measure_text(line.text, kTextSize, FontFamily::Text, kTextWeight) + 8, widest);
        b.height = std::max(g.measure_wrapped(line.text, b.text_width, kTextSize, kTextWeight), kLeastTextHeight) +
                   2 * kBubblePadY;
        out.push_back(b);
    }
    return out;
}

// A bubble half scrolled out is only clickable where it shows: the header and
// the input bar keep their own clicks.
void push_visible(App& app, const RectF& r, const RectF& view, const Action& act) {
    const float top = std::max(r.y, view.y), bottom = std::min(r.y + r.h, view.y + view.h);
    if (bottom > top) app.push_hit({r.x, top, r.w, bottom - top}, act);
}

void bubble_button(App& app, const Action& act, char32_t glyph, float bx, float cy, const RectF& view) {
    Renderer& g = *app.drawing.renderer;
    const float hv = app.hover_of(act);
    g.fill_circle(bx, cy, 12, white(0.08f + 0.14f * hv));
    g.draw_glyph(glyph, bx, cy, 11, white(0.7f + 0.3f * hv));
    push_visible(app, {bx - 14, cy - 14, 28, 28}, view, act);
}

void model_bubble(App& app, const Bubble& b, float x, float top, uint16_t i, const RectF& view) {
    Renderer& g = *app.drawing.renderer;
    avatar(g, x + 12, top + 16);
    const RectF r{x + kModelX, top, b.text_width + 28, b.height};
    g.fill_rounded_rect(r, bubble_radius(r.w, r.h), white(0.09f));
    g.draw_wrapped_text(b.text, {x + kModelX + kBubblePadX, top + kBubblePadY, b.text_width + 2, b.height}, kTextSize,
                        kTextWeight, white(0.94f));
    const Action msg = Action::at(ActionKind::GMsg, i), copy = Action::at(ActionKind::GCopy, i),
                 speak = Action::at(ActionKind::GSpeak, i);
    push_visible(app, r, view, msg);
    const float hover = std::max({app.hover_of(msg), app.hover_of(copy), app.hover_of(speak)});
    if (!(hover > 0.01f)) return;
    // The copy and speak buttons fade in beside a hovered answer; their regions come after the bubble's.
    ScopedAlpha fade(g, hover);
    const float bx = x + kModelX + b.text_width + 28 + 18, cy = top + b.height - 14;
    bubble_button(app, copy, kGlyphCopy, bx, cy, view);
    bubble_button(app, speak, kGlyphSpeak, bx + 30, cy, view);
}

void user_bubble(App& app, const Bubble& b, float x, float w, float top) {
    Renderer& g = *app.drawing.renderer;
    const RectF r{x + w - b.text_width - 28, top, b.text_width + 28, b.height};
    g.fill_rounded_rect(r, bubble_radius(r.w, r.h), kBlue);
    g.draw_wrapped_text(b.text, {r.x + kBubblePadX, top + kBubblePadY, b.text_width + 2, b.height}, kTextSize,
                        kTextWeight, white(1));
}

void typing_dots(App& app, float x, float top) {
    Renderer& g = *app.drawing.renderer;
    avatar(g, x + 12, top + 16);
    g.fill_rounded_rect({x + kModelX, top, 72, 38}, 16, white(0.09f));
    for (int k = 0; k < 3; ++k) {
        const float p = 0.5f + 0.5f * static_cast<float>(std::sin(6 * app.now - 0.8 * k));
        g.fill_circle(x + 53 + 15.0f * static_cast<float>(k), top + 19 - 2.5f * p, 4, white(0.35f + 0.65f * p));
    }
}

// Notes a new line or a change of the busy flag, which sends the view to the bottom.
void note_chat_changes(GoogleLink& link) {
    const size_t lines = link.snap.chat.size();
    const bool busy = link.snap.gemini_busy;
    if (lines != link.chat_seen_lines || busy != link.chat_seen_busy) link.chat_follow = true;
    link.chat_seen_lines = lines;
    link.chat_seen_busy = busy;
}

void conversation(App& app, const RectF& b) {
    Renderer& g = *app.drawing.renderer;
    GoogleLink& link = app.google;
    const float x = b.x, y = b.y, w = b.w, h = b.h;
    const std::vector<Bubble> bubbles = lay_out(g, link.snap.chat, w);
    float content = -kBubbleGap;
    for (const Bubble& bb : bubbles) content += bb.height + kBubbleGap;
    if (link.snap.gemini_busy) content += kTypingHeight;

    const float view = h - kBarHeight, bottom = y + view;
    const float maximum = std::max(content - view, 0.0f);
    link.chat_scroll_max = maximum;
    if (link.chat_follow && std::fabs(link.chat_scroll - maximum) > 0.5f) link.chat_scroll = maximum;
    if (link.chat_scroll > maximum) link.chat_scroll = maximum;

    float top = y - std::clamp(link.chat_scroll, 0.0f, maximum);
    const RectF viewport{x, y, w, view};
    g.push_clip(viewport);
    for (size_t i = 0; i < bubbles.size(); ++i) {
        const Bubble& bb = bubbles[i];
        if (top + bb.height >= y && top <= bottom) {
            if (bb.user)
                user_bubble(app, bb, x, w, top);
            else
                model_bubble(app, bb, x, top, static_cast<uint16_t>(i), viewport);
        }
        top += bb.height + kBubbleGap;
    }
    if (link.snap.gemini_busy) typing_dots(app, x, top);
    g.pop_clip();
}

// ---- Input bar ---------------------------------------------------------------------------------------

void input_bar(App& app, const RectF& b) {
    Renderer& g = *app.drawing.renderer;
    const float x = b.x, y = b.y, w = b.w, h = b.h;
    app.text_field({x, y + h - 42, w - 96, 42}, TextField::Gemini, kGlyphAsk, "Gemini'ye sor…", "Sor");

    const Action mic = Action::of(ActionKind::Mic);
    const float s = press_scale(app, mic);
    const float mx = x + w - 70, my = y + h - 21;
    if (app.voice.state == VoiceState::Listening) {
        g.fill_circle(mx, my, 23 + 3 * (0.5f + 0.5f * static_cast<float>(std::sin(5 * app.now))), with_alpha(kRed, 0.25f));
        g.fill_circle(mx, my, 20 * s, with_alpha(kRed, 0.9f));
    } else {
        g.fill_circle(mx, my, 20 * s, with_alpha(kPurple, 0.3f + 0.25f * app.hover_of(mic)));
    }
    g.draw_glyph(kGlyphMic, mx, my, 15 * s, white(1));
    app.push_hit({x + w - 91, y + h - 42, 42, 42}, mic);

    const Action clear = Action::of(ActionKind::GClear);
    const float hv = app.hover_of(clear);
    const float cx = x + w - 21, cy = y + h - 21;
    g.fill_circle(cx, cy, 20, white(0.07f + 0.1f * hv));
    g.draw_glyph(kGlyphClear, cx, cy, 14, white(0.62f + 0.38f * hv));
    app.push_hit({x + w - 42, y + h - 42, 42, 42}, clear);
}

}  // namespace

// ---- The page ----------------------------------------------------------------------------------------

void draw_gemini_page(App& app, const RectF& island) {
    if (!app.drawing.renderer) return;
    const RectF b = page_content_rect(island);
    const GoogleState& s = app.google.snap;
    if (!s.signed_in) {
        signed_out(app, b);
        return;
    }
    note_chat_changes(app.google);
    if (s.chat.empty() && !s.gemini_busy)
        empty_conversation(app, b);
    else
        conversation(app, b);
    input_bar(app, b);
}
