// Island geometry: target shapes per display mode and whether the frame
// loop must keep drawing.
//
// Index
//   Shapes
//   Animation test
#include "app_geometry.h"

#include <algorithm>
#include <cmath>

#include "app.h"

namespace {

constexpr float kOpenWidth = 720, kOpenRadius = 38;

// Open heights by page (search has its own rule).
constexpr float kOpenHeights[kPageCount] = {302, 300, 304, 306, 372, 290, 330, 336, 330, 324, 326, 372, 392, 0, 424};

float text_width(const App& app, std::string_view text, float size, float weight) {
    return app.drawing.renderer ? app.drawing.renderer->measure_text(text, size, FontFamily::Text, weight) : 0.0f;
}

IslandShape act_shape(ActKind k) {
    switch (k) {
        case ActKind::Music: return {256, 36, 18};
        case ActKind::Steam: return {300, 36, 18};
        case ActKind::Game: return {296, 36, 18};
        case ActKind::Pomo: return {264, 36, 18};
        case ActKind::Timer: case ActKind::Watch: break;
    }
    return {236, 36, 18};
}

IslandShape hud_shape(const App& app, HudKind k) {
    switch (k) {
        case HudKind::Volume: case HudKind::Brightness: return {320, 44, 22};
        case HudKind::Battery: case HudKind::LowBattery: return {340, 44, 22};
        case HudKind::Clipboard: case HudKind::Net: return {370, 44, 22};
        case HudKind::Caps: case HudKind::Layout: return {270, 44, 22};
        case HudKind::Mic: return {290, 44, 22};
        case HudKind::Privacy: case HudKind::Info: return {360, 44, 22};
        case HudKind::Image: return {380, 76, 30};
        case HudKind::Track: return {392, 72, 30};
        case HudKind::Download: case HudKind::Event: return {400, 76, 30};
        case HudKind::Steam: return {420, 76, 30};
        case HudKind::Mail: return {440, 76, 30};
        case HudKind::TimerDone: case HudKind::Pomo: return {404, 80, 34};
        case HudKind::Notice: {
            float w = std::fmax(text_width(app, app.notices.title, 15, 700), text_width(app, app.notices.body, 13, 400));
            return {std::clamp(w + 120, 300.0f, 600.0f), 76, 32};
        }
        case HudKind::Toast: {
            std::string_view title, body, name;
            if (app.notifs.toast) title = app.notifs.toast->title, body = app.notifs.toast->body, name = app.notifs.toast->app;
            float w = std::fmax(std::fmax(text_width(app, title, 14.5f, 700), text_width(app, body, 12.5f, 400)),
                                text_width(app, name, 11.5f, 700) + 60);
            return {std::clamp(w + 110, 320.0f, 620.0f), 80, 32};
        }
        case HudKind::Voice: {
            if (app.voice.state == VoiceState::Answer) {
                float text_h = app.drawing.renderer ? app.drawing.renderer->measure_wrapped(app.voice.answer, 500, 14, 500) : 0.0f;
                float h = std::fmin(text_h, 118.0f) + (app.voice.question.empty() ? 0.0f : 20.0f) + 40;
                return {600, std::clamp(h, 76.0f, 200.0f), 34};
            }
            if (!app.voice.teaching.takes) return {330, 64, 32};
            return {app.voice.teaching.retries > 0 ? 500.0f : 420.0f, 64, 32};
        }
    }
    return {360, 44, 22};
}

}  // namespace

// ---- Shapes -------------------------------------------------------------------------

IslandShape island_size(const App& app, uint8_t tag, uint8_t payload) {
    switch (static_cast<ModeTag>(tag)) {
        case ModeTag::Peek: return {300, 36, 18};
        case ModeTag::Act: return act_shape(static_cast<ActKind>(payload));
        case ModeTag::Hud: return hud_shape(app, static_cast<HudKind>(payload));
        case ModeTag::Open: {
            if (payload >= kPageCount) break;
            auto p = static_cast<Page>(payload);
            float h = p == Page::Search
                          ? (app.search_page.rows.empty() ? 232.0f : 186.0f + 40.0f * static_cast<float>(app.search_page.rows.size()))
                          : kOpenHeights[payload];
            return {kOpenWidth, h, kOpenRadius};
        }
        case ModeTag::Idle: case ModeTag::None: break;
    }
    return {126, 34, 17};
}

// ---- Animation test ------------------------------------------------------------------------

bool App::is_animating() const {
    if (anim.visibility.value < 0.01f) return false;
    if (anim.glow_strength.value > 0.02f) return true;
    bool playing = media.snap.playing || anim.equaliser.value > 0.01f;
    bool hint = anim.tab_reveal.value > 0.01f;
    bool generic = island.focus != TextField::None || hint;
    switch (island.mode.tag) {
        case ModeTag::Idle: case ModeTag::Peek: case ModeTag::None: return false;
        case ModeTag::Act:
            if (island.mode.act_kind() == ActKind::Music) return playing;
            if (island.mode.act_kind() == ActKind::Watch) return timers.stopwatch.running;
            return false;
        case ModeTag::Hud:
            if (island.mode.hud_kind() == HudKind::Track) return playing;
            return hud_moving(island.mode.hud_kind());
        case ModeTag::Open: break;
    }
    switch (island.mode.page()) {
        case Page::Home: case Page::Media: return playing;
        case Page::Time: return timers.stopwatch.running && timers.mode == 1;
        case Page::Steam: return (steam.download && !steam.download->paused) || generic;
        case Page::Calendar: return weather.snap.ok;
        case Page::Google: return google.snap.status == "bekleniyor" || hint;
        case Page::Gemini: return google.snap.gemini_busy || google.assistant_thinking || voice.state != VoiceState::Idle || generic;
        case Page::Settings: return voice.mic_test.has_value() || generic;
        default: return generic;
    }
}
