// The island's voice entry points that the tick and the pointer call.
// The recording thread (start_mic_capture), the wake-word enrolment and the
// wake listener's process-wide flags are not part of the program yet, so:
// start_voice does everything but open the microphone, a teaching take is
// never recorded, a finished take ends the run, and the wake flags go nowhere.
#include "app.h"
#include "sys_audio.h"

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
    // Missing: unless quiet, voice_capture = start_mic_capture() and the log
    // line "voice: dinleniyor", once the recording thread exists.
    voice.state = VoiceState::Listening;
    show_hud(HudKind::Voice);
}

void App::start_teaching_take() {
    // Missing: voice_capture = start_mic_capture() for the next take, once the
    // recording thread exists.
}

void App::teaching_take_done(MicCapture capture) {
    // Missing: keeping the take, retries and the enrolment with
    // train_wake_model / save_wake_model. Until then a finished take ends the run.
    capture.request_stop();
    voice.teaching = WakeTeaching{};
    voice.state = VoiceState::Idle;
    notices.shown = false;
    drawing.redraw = true;
}

void App::publish_wake_flags(bool paused) {
    // Missing: wake_paused = paused and wake_enabled = wake, once the wake
    // listener and its flags exist.
    (void)paused;
}
