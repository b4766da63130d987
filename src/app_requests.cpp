// Requests to the workers: the Google and media senders, the island context
// that goes with every question to the assistant, questions that arrive
// from outside the island, and the Google sign-in request.
//
// Index
//   Context text
//   Senders
//   Questions from outside, sign-in
#include <algorithm>
#include <cmath>

#include <fmt/format.h>

#include "app.h"
#include "app_format.h"
#include "app_time.h"
#include "google_text.h"
#include "sys_audio.h"
#include "sys_text.h"

namespace {

constexpr size_t kContextReminders = 6;
constexpr size_t kContextNotes = 8;
constexpr size_t kContextDays = 3;

long long whole(double x) { return std::isfinite(x) ? std::llround(x) : 0; }

bool is_question(const GoogleCommand& c) {
    return std::holds_alternative<gcmd::Ask>(c) || std::holds_alternative<gcmd::AskVoice>(c) ||
           std::holds_alternative<gcmd::AskScreen>(c) || std::holds_alternative<gcmd::AskLabelled>(c);
}

}  // namespace

// ---- Context text ----------------------------------------------------------------------

std::string App::island_context() const {
    std::string out;
    if (weather.snap.ok) {
        out += fmt::format(" Hava ({}): şu an {}°C, {}.", weather.snap.city, whole(weather.snap.temp),
                           weather_code_text(static_cast<uint32_t>(weather.snap.code)));
        static const char* const labels[kContextDays] = {"Bugün", "Yarın", "Ertesi gün"};
        for (size_t i = 0; i < std::min(weather.snap.days.size(), kContextDays); ++i) {
            const WeatherDay& d = weather.snap.days[i];
            out += fmt::format(" {}: en yüksek {}°, en düşük {}°, {}, yağış %{}.", labels[i], whole(d.high),
                               whole(d.low), weather_code_text(static_cast<uint32_t>(d.code)), whole(d.precip));
        }
    }
    if (media.snap.has)
        out += fmt::format(" Medya: {} - {} ({}), {}.", media.snap.title, media.snap.artist, media.snap.app,
                           media.snap.playing ? "çalıyor" : "duraklatıldı");
    if (island.has_battery) out += fmt::format(" Pil %{}{}.", island.battery, island.on_ac ? ", şarj oluyor" : "");
    out += fmt::format(" Ses düzeyi %{}{}.", whole(audio.volume * 100.0), audio.muted ? " (kapalı)" : "");

    if (timers.countdown.running)
        out += fmt::format(" Zamanlayıcı: {} sn kaldı.", whole(countdown_left(timers.countdown, now)));
    else if (countdown_partway(timers.countdown))
        out += fmt::format(" Zamanlayıcı: {} sn kaldı (duraklatıldı).", whole(timers.countdown.remaining));
    if (timers.pomo.running)
        out += fmt::format(" Pomodoro: {} dk kaldı.", whole((timers.pomo.end - now) / 60));
    else if (pomodoro_partway(timers.pomo))
        out += fmt::format(" Pomodoro: {} dk kaldı.", whole(timers.pomo.remaining / 60));

    if (!lists.reminders.empty()) {
        out += " Adadaki hatırlatıcılar:";
        const int64_t now_unix = wall_unix(), offset = local_utc_offset(now_unix);
        for (size_t i = 0; i < std::min(lists.reminders.size(), kContextReminders); ++i)
            out += fmt::format(" [{} · {}]", day_time_text_at(lists.reminders[i].due, false, now_unix, offset),
                               lists.reminders[i].text);
    }
    size_t open_notes = 0;
    for (const NoteItem& n : lists.notes) {
        if (n.done) continue;
        if (open_notes == kContextNotes) break;
        if (open_notes++ == 0) out += " Adadaki notlar:";
        out += fmt::format(" [{}]", n.text);
    }
    if (steam.snap.playing) out += fmt::format(" Steam'de oynanıyor: {}.", steam.snap.playing->name);
    if (steam.download) {
        const SteamActiveDownload& d = *steam.download;
        double share = d.total > 0 ? std::clamp(d.done / d.total, 0.0, 1.0) : 0.0;
        out += fmt::format(" Steam indirmesi: {} %{}.", d.name, whole(share * 100));
    }
    return out;
}

// ---- Senders ------------------------------------------------------------------------------

void App::send_google_command(GoogleCommand cmd) {
    if (is_question(cmd)) {
        std::string context = island_context();
        // A poisoned state loses only the context; the question still goes.
        google.shared.with([&](GoogleState& s) { s.context = std::move(context); });
    }
    google.tx.send(std::move(cmd));  // a missing or closed channel drops it
    drawing.redraw = true;
}

void App::send_media_command(MediaCommand cmd) { media.tx.send(std::move(cmd)); }

// ---- Questions from outside ------------------------------------------------------------------

bool App::ask_assistant(std::string_view question, bool speak) {
    if (!google.snap.signed_in) return false;
    std::string_view q = trim(question);
    if (q.empty()) return false;
    if (!island.quiet) set_alarm_sound(false);
    if (island.open) close_island();
    voice.question.assign(q);
    voice.answer.clear();
    voice.state = VoiceState::Thinking;
    voice.outside = true;
    voice.speak = speak;
    show_hud(HudKind::Voice);
    send_google_command(gcmd::Ask{std::string(q)});
    return true;
}

void App::start_google_sign_in() {
    if (google.snap.signed_in && !google.snap.needs_consent) {
        show_info("Google zaten bağlı", google.snap.email);
        return;
    }
    bool consent = google.snap.signed_in;
    send_google_command(gcmd::SignIn{});
    if (consent)
        notify("Google izinleri güncelleniyor", "Tarayıcıda izin ver: takvime ekleme, Görevler, Gmail okundu/arşiv");
    else
        notify("Google girişi tarayıcıda açılıyor", "Hesabını seç ve izin ver, ada kendisi bağlanır");
}
