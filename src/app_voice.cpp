// The island's voice entry points that the tick and the pointer call.
// The recording thread (start_mic_capture), the wake-word enrolment and the
// wake listener's process-wide flags are not part of the program yet, so:
// start_voice does everything but open the microphone, a teaching take is
// never recorded, a finished take ends the run, and the wake flags go nowhere.
#include "app.h"
#include "sys_audio.h"

void App::start_voice() {
    if (!google_snap.signed_in) {
        show_info("Önce Google ile bağlan", "Google sayfasından bağlanabilirsin");
        return;
    }
    if (voice_state == VoiceState::Listening) {
        if (voice_capture) voice_capture->request_stop();
        return;
    }
    if (!quiet) set_alarm_sound(false);  // silences an answer being spoken
    if (open) close_island();
    voice_question.clear();
    voice_answer.clear();
    level_history.fill(0);
    // Missing: unless quiet, voice_capture = start_mic_capture() and the log
    // line "voice: dinleniyor", once the recording thread exists.
    voice_state = VoiceState::Listening;
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
    teaching = WakeTeaching{};
    voice_state = VoiceState::Idle;
    hud_shown = false;
    redraw = true;
}

void App::publish_wake_flags(bool paused) {
    // Missing: wake_paused = paused and wake_enabled = wake, once the wake
    // listener and its flags exist.
    (void)paused;
}
