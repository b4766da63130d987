// What the Google worker publishes, taken in on the user-interface thread:
// the copy of its state, and each item of its outbox turned into a notice, a
// chat line, a spoken answer or an action on the desktop.
//
// Index
//   Limits and texts
//   Copy of the state
//   Mail, event, error
//   Answers: tool calls, the screen question, the voice answer
//   The update
#include <algorithm>
#include <cmath>

#include <fmt/format.h>

#include "app.h"
#include "sys_audio.h"
#include "sys_image.h"
#include "sys_log.h"
#include "sys_text.h"
#include "voice.h"

namespace {

// ---- Limits and texts ----------------------------------------------------------------------

constexpr double kMailSeconds = 5.5, kEventSeconds = 8.0;
// A voice answer stays one second for every 13 characters, plus 5, at most 40.
constexpr size_t kVoiceCharsPerSecond = 13, kVoiceBaseSeconds = 5, kVoiceMostSeconds = 40;
constexpr const char* kScreenLook = "screen_look";
constexpr const char* kDefaultScreenQuestion = "Ekranımda ne var?";
// In quiet mode no screen is read: the PNG signature alone stands for the picture.
constexpr std::string_view kQuietPng{"\x89PNG", 4};

// Mail and event notices give way to these, and to nothing else that is shown.
bool protects_from_google(HudKind k) {
    return k == HudKind::TimerDone || k == HudKind::Notice || k == HudKind::Toast || k == HudKind::Voice;
}

int64_t minutes_until(int64_t start, int64_t now) {
    const int64_t secs = start - now;
    if (secs <= 0) return 0;
    return (secs + 59) / 60;
}

double voice_answer_seconds(std::string_view text) {
    const size_t n = char_count(text);
    return static_cast<double>(std::min(n / kVoiceCharsPerSecond + kVoiceBaseSeconds, kVoiceMostSeconds));
}

}  // namespace

// ---- Copy of the state ------------------------------------------------------------------------

uint64_t App::google_picture_id(const Image& picture) {
    return image_id(kImageOwnerGoogle, static_cast<uint64_t>(reinterpret_cast<uintptr_t>(&picture)));
}

namespace {

// Takes the outbox and a copy of the rest; false when the state is poisoned.
bool take_google_state(App& app, std::vector<GoogleUpdate>& items) {
    std::optional<GoogleState> copy;
    {
        auto guard = app.google.shared.lock();
        if (!guard) return false;
        items = std::move((*guard)->outbox);
        (*guard)->outbox.clear();
        copy = **guard;
    }
    // A replaced picture leaves the renderer's cache; a new one may reuse its address.
    const Image* old = app.google.snap.picture.get();
    if (old && old != copy->picture.get() && app.drawing.renderer)
        app.drawing.renderer->forget_image(App::google_picture_id(*old));
    app.google.snap = std::move(*copy);
    return true;
}

// ---- Mail, event, error ------------------------------------------------------------------------

void on_new_mail(App& app, const MailItem& mail) {
    if (app.settings.dnd || app.island.open) return;
    if (app.timers.pomo.running && app.timers.pomo.phase == PomoPhase::Focus) return;
    if (app.notices.shown && protects_from_google(app.notices.kind)) return;
    // The texts belong to the notice: a notice that stays up keeps its own.
    app.notices.title = mail.from;
    app.notices.body = mail.subject.empty() ? mail.snippet : mail.subject;
    app.show_hud(HudKind::Mail, kMailSeconds);
}

void on_event_soon(App& app, const EventItem& event) {
    if (!app.island.quiet) play_notify_sound();
    if (app.island.open) return;
    if (app.notices.shown && protects_from_google(app.notices.kind)) return;
    app.notices.title = fmt::format("{} dk sonra", minutes_until(event.start, app.wall_unix()));
    app.notices.body = event.summary;
    app.show_hud(HudKind::Event, kEventSeconds);
}

void on_error(App& app, const std::string& text) {
    if (!app.island.quiet) write_log("google hata: " + text);
    if (app.voice.state != VoiceState::Idle) {
        app.voice.state = VoiceState::Idle;
        app.notices.shown = false;
    }
    app.show_info(text, "");
}

// ---- Answers: tool calls, the screen question, the voice answer ---------------------------------

// Sends the screen question with a screenshot of the island's monitor.
void ask_about_screen(App& app, const gupdate::Answer& answer, std::string question) {
    if (answer.heard) app.voice.question = *answer.heard;
    const bool spoken = answer.speak || (app.voice.outside && app.voice.speak);
    std::optional<std::string> png;
    if (app.island.quiet) {
        png = std::string(kQuietPng);
    } else {
        const RectI& m = app.drawing.monitor;
        png = capture_screen(m.left, m.top, m.right, m.bottom);
    }
    if (!png || png->empty()) {
        app.show_info("Ekran görüntüsü alınamadı", "");
        app.voice.state = VoiceState::Idle;
        return;
    }
    if (!app.island.quiet) write_log(fmt::format("ekran Gemini'ye gidiyor ({} KB)", png->size() / 1024));
    app.send_google_command(gcmd::AskScreen{std::move(question), std::move(*png), spoken});
    // The answer to the screenshot comes back as a voice answer.
    if (app.voice.state == VoiceState::Thinking && !answer.speak) app.voice.outside = true;
}

// An answer without text speaks for the tools: their sentences, or "Tamam.".
std::string fill_in_answer(App& app, const std::vector<std::string>& replies) {
    std::string text;
    for (const std::string& r : replies) {
        if (!text.empty()) text += ' ';
        text += r;
    }
    if (text.empty()) text = "Tamam.";
    const ChatLine line{text, false};
    bool copied = app.google.shared.with([&](GoogleState& s) {
        s.chat.push_back(line);
        app.google.snap.chat = s.chat;
    });
    if (!copied) app.google.snap.chat.push_back(line);
    return text;
}

void show_voice_answer(App& app, const gupdate::Answer& answer, const std::string& text) {
    if (answer.speak) app.voice.question = answer.heard.value_or("");
    app.voice.outside = false;
    app.voice.answer = text;
    app.voice.state = VoiceState::Answer;
    app.show_hud(HudKind::Voice, voice_answer_seconds(text));
    if (app.island.quiet) return;
    write_log(fmt::format("gemini cevap: {} karakter", char_count(text)));
    if (answer.speak || app.voice.speak) start_speech_thread(text);
}

void on_answer(App& app, const gupdate::Answer& answer) {
    std::optional<std::string> screen_question;
    std::vector<std::string> replies;
    for (const ToolCall& call : answer.calls) {
        if (call.name == kScreenLook) {
            auto q = call.args.find("question");
            screen_question = q != call.args.end() && q->is_string() ? q->get<std::string>() : kDefaultScreenQuestion;
            continue;
        }
        if (std::optional<std::string> reply = app.run_tool_call(call)) replies.push_back(std::move(*reply));
    }
    app.google.chat_follow = true;  // the Gemini page shows the newest line
    if (screen_question) {
        ask_about_screen(app, answer, std::move(*screen_question));
        return;
    }
    std::string text = trim(answer.text).empty() ? fill_in_answer(app, replies) : answer.text;
    if ((app.voice.outside || answer.speak) && app.voice.state == VoiceState::Thinking)
        show_voice_answer(app, answer, text);
}

}  // namespace

// ---- The update -----------------------------------------------------------------------------------

void App::on_google_update() {
    std::vector<GoogleUpdate> items;
    if (!take_google_state(*this, items)) return;
    for (const GoogleUpdate& item : items) {
        if (const auto* c = std::get_if<gupdate::Connected>(&item))
            notify("Google'a bağlandı", fmt::format("{} · Gemini, Gmail ve Takvim hazır", c->label));
        else if (const auto* m = std::get_if<gupdate::NewMail>(&item))
            on_new_mail(*this, m->mail);
        else if (const auto* e = std::get_if<gupdate::EventSoon>(&item))
            on_event_soon(*this, e->event);
        else if (const auto* a = std::get_if<gupdate::Answer>(&item))
            on_answer(*this, *a);
        else if (const auto* err = std::get_if<gupdate::Error>(&item))
            on_error(*this, err->text);
    }
    drawing.redraw = true;
}
