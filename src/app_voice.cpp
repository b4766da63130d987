// The island's voice entry points that the tick and the pointer call: starting
// a spoken question, the takes of a wake-word teaching run and the flag that
// holds the wake-word listener back while either is on.
#include <fmt/format.h>

#include "app.h"
#include "sys_audio.h"
#include "sys_log.h"
#include "wake.h"

namespace {

constexpr double kRetryTakeDelay = 0.8, kNextTakeDelay = 0.6;
constexpr uint32_t kTakes = 3, kAttemptsPerTake = 3;

}  // namespace

void App::start_voice() {
    if (!google.snap.signed_in) {
        show_info("Önce Google ile bağlan", "Google sayfasından bağlanabilirsin");
        return;
    }
    if (voice.state == VoiceState::Listening) {
        if (voice.capture) voice.capture->request_stop();
        return;
    }
    if (!island.quiet) set_alarm_sound(false);  // silences an answer being spoken
    if (island.open) close_island();
    voice.question.clear();
    voice.answer.clear();
    voice.level_history.fill(0);
    if (!island.quiet) {
        if (voice.capture) voice.capture->request_stop();
        voice.capture = start_mic_capture();
        write_log("voice: dinleniyor");
    }
    voice.state = VoiceState::Listening;
    show_hud(HudKind::Voice);
}

void App::start_teaching_take() {
    if (voice.capture) voice.capture->request_stop();
    voice.capture = start_mic_capture();
}

void App::teaching_take_done(MicCapture capture) {
    if (!voice.teaching.takes) return;
    std::optional<std::string> error = capture.error();
    WakeTeaching& t = voice.teaching;
    drawing.redraw = true;
    if (error) {
        if (!island.quiet) write_log(fmt::format("wake: öğretme kaydı {}: {}", t.take + 1, *error));
        if (t.retries + 1 >= kAttemptsPerTake) {
            voice.teaching = WakeTeaching{};
            voice.state = VoiceState::Idle;
            notices.shown = false;
            show_info("Öğretme durdu: " + *error, "Ayarlar'dan mikrofonu kontrol et (Dene), sonra tekrar başlat");
            return;
        }
        ++t.retries;
        t.next_take = now + kRetryTakeDelay;
        return;
    }
    t.retries = 0;
    t.takes->push_back(capture.samples_copy());
    ++t.take;
    if (t.takes->size() < kTakes) {
        t.next_take = now + kNextTakeDelay;
        return;
    }

    std::vector<std::vector<int16_t>> takes = std::move(*t.takes);
    voice.teaching = WakeTeaching{};
    voice.state = VoiceState::Idle;
    notices.shown = false;
    Result<WakeModel> model = train_wake_model(takes);
    if (!model.ok()) {
        show_info("Öğretilemedi: " + model.error().message, "Tekrar dene, üçünde de aynı şekilde söyle");
        return;
    }
    if (!island.quiet) {
        write_log(fmt::format("wake: öğretildi, eşik {:.3f}", model->threshold));
        (void)save_wake_model(*model);  // a failed write is not reported
    }
    settings.wake_model_present = true;
    settings.wake = true;
    wake_enabled = true;
    save_state();
    notify("“Hey Google” hazır", "Artık “Hey Google” deyince dinlerim, sonra sorunu söyle");
}

void App::publish_wake_flags(bool paused) { wake_paused = paused; }
