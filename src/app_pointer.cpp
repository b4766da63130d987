// Pointer input: hit testing against the last drawn frame, clicks, slider and
// seek drags, dragging shelf files out, the closed island's notice clicks and
// the mouse wheel.
//
// Index
//   Geometry: track positions, hit test, the island's outline
//   Press, move and release
//   Sliders
//   Wheel
#include <algorithm>
#include <cmath>

#include "app.h"
#include "gfx_geom.h"
#include "sys_audio.h"

namespace {

// ---- Geometry ---------------------------------------------------------------------------

// The seek bar and the sliders, in unzoomed page units.
constexpr float kSeekLeft = 328, kSeekWidth = 414;
constexpr float kSliderLeft = 114, kSliderWidth = 300;
// A grabbed slider moved further than this no longer counts as a click on its icon.
constexpr float kSliderClickSlop = 3;
// A pressed shelf item becomes a drag-out beyond this distance.
constexpr float kShelfDragDistance = 6;
// Brightness changes reach the display at most this often while dragging.
constexpr double kBrightnessPacing = 0.03;
// The release that ends hold-to-talk this soon keeps listening.
constexpr double kHoldReleaseGrace = 1.0;
constexpr float kPressScale = 0.94f;

float clamp01f(float v) { return std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f); }

bool is_slider(const Action& a, uint8_t s) { return action_eq(a, Action::byte(ActionKind::Slider, s)); }

}  // namespace

float App::track_position(float x) const { return (x - kIslandCentreX - pointer.shift) / std::max(pointer.zoom, 0.01f) + kIslandCentreX; }

Action App::hit_test(float x, float y) const {
    // What was drawn later lies on top.
    for (auto it = drawing.hits.rbegin(); it != drawing.hits.rend(); ++it)
        if (it->rect.contains(x, y)) return it->action;
    return Action::none();
}

bool App::hit_island(float x, float y) const {
    float s = (0.55f + 0.45f * clamp01f(anim.visibility.value)) * anim.squash.value;
    float w = std::max(anim.width.value, 12.0f) * s;
    float h = std::max(anim.height.value, 12.0f) * s;
    float left = kIslandCentreX - w / 2.0f;
    if (x >= left - 2 && x < left + w + 2 && y >= 6 && y < h + 10) return true;
    float b = anim.bubble.value;
    if (b >= 0.01f) {
        float cx = left + w - h / 2.0f + b * (h + 7.0f);
        float cy = 8.0f + h / 2.0f;
        float r = (0.55f + 0.45f * std::min(b, 1.0f)) * h / 2.0f;
        return std::hypot(x - cx, y - cy) <= r + 2.0f;
    }
    return false;
}

// ---- Press, move and release ------------------------------------------------------------

std::optional<WindowEffect> App::on_pointer_down(float x, float y) {
    pointer.x = pointer.press_x = x;
    pointer.y = pointer.press_y = y;
    pointer.slider_moved = false;
    pointer.held = true;
    pointer.pressed = hit_test(x, y);
    drawing.redraw = true;

    if (island.open) {
        switch (pointer.pressed.kind) {
        case ActionKind::Seek:
            if (media.snap.can_seek) pointer.seek_drag = clamp01f((track_position(x) - kSeekLeft) / kSeekWidth);
            break;
        case ActionKind::Slider:
            if (pointer.pressed.arg == 1 && !audio.brightness_ok) break;
            pointer.slider_grab = pointer.pressed.arg;
            drag_slider(x);
            break;
        case ActionKind::Field:
            if (static_cast<uint8_t>(pointer.pressed.arg) > static_cast<uint8_t>(TextField::Gemini)) break;
            island.focus = static_cast<TextField>(pointer.pressed.arg);
            return effect::FocusIsland{};
        default: break;
        }
        return std::nullopt;
    }

    pointer.pressed_on_island = hit_island(x, y);
    if (pointer.pressed_on_island) {
        anim.squash.target = kPressScale;
        voice.press = PressRecord{now, x, y};
    }
    return std::nullopt;
}

std::optional<WindowEffect> App::on_pointer_move(float x, float y) {
    pointer.x = x;
    pointer.y = y;
    if (!pointer.inside) {
        pointer.inside = true;
        pointer.entered = now;
    }
    pointer.close_deadline.reset();
    drawing.redraw = true;

    if (pointer.slider_grab) {
        if (std::fabs(x - pointer.press_x) > kSliderClickSlop) pointer.slider_moved = true;
        drag_slider(x);
    }
    if (pointer.seek_drag) pointer.seek_drag = clamp01f((track_position(x) - kSeekLeft) / kSeekWidth);

    if (pointer.pressed.kind == ActionKind::Shelf && !island.drag_out &&
        std::hypot(x - pointer.press_x, y - pointer.press_y) > kShelfDragDistance) {
        uint16_t index = pointer.pressed.index;
        pointer.pressed = Action::none();
        island.drag_out = true;
        return effect::DragShelfItem{index};
    }

    Action now_hovered = hit_test(x, y);
    if (!action_eq(now_hovered, pointer.hovered)) {
        pointer.hovered = now_hovered;
        anim.hover.value = 0;
        anim.hover.target = 1;
        anim.hover.velocity = 0;
        pointer.hover_start = now;
    }
    return std::nullopt;
}

std::optional<WindowEffect> App::on_click(float x, float y) {
    anim.squash.target = 1.0f;
    voice.press.reset();
    pointer.held = false;

    // A click on the closed island while the voice notice is up belongs to the voice.
    if (voice.state != VoiceState::Idle && !island.open && hit_island(x, y)) {
        pointer.pressed_on_island = false;
        pointer.pressed = Action::none();
        switch (voice.state) {
        case VoiceState::Listening: {
            std::optional<double> started = voice.hold_talk_start;
            voice.hold_talk_start.reset();
            // The release that ends the hold which started listening keeps it going.
            if (started && now - *started < kHoldReleaseGrace) return std::nullopt;
            if (voice.capture) voice.capture->request_stop();
            return std::nullopt;
        }
        case VoiceState::Answer:
            if (!island.quiet) set_alarm_sound(false);
            voice.state = VoiceState::Idle;
            island.open = true;
            notices.shown = false;
            if (island.page != Page::Gemini) island.focus = TextField::None;
            island.page = island.remembered_page = Page::Gemini;
            pointer.close_deadline.reset();
            drawing.redraw = true;
            return std::nullopt;
        default: return std::nullopt;
        }
    }

    Action was_pressed = pointer.pressed;
    pointer.pressed = Action::none();
    Action released = hit_test(x, y);
    bool same = !was_pressed.is_none() && !released.is_none() && action_eq(was_pressed, released);

    if (pointer.seek_drag) {
        double position = static_cast<double>(*pointer.seek_drag) * media.snap.duration;
        pointer.seek_drag.reset();
        send_media_command(media_cmd::Seek{position});
        media.snap.position = position;
        media.changed = now;
        drawing.redraw = true;
        return std::nullopt;
    }
    if (pointer.slider_grab) {
        uint8_t s = *pointer.slider_grab;
        pointer.slider_grab.reset();
        // The pacing may have skipped the last value of the drag.
        if (s == 1 && audio.brightness_ok) set_brightness(audio.brightness_device, audio.brightness);
        drawing.redraw = true;
        return std::nullopt;
    }

    if (island.open) return same ? act(was_pressed) : std::nullopt;

    if (!pointer.pressed_on_island) return std::nullopt;
    pointer.pressed_on_island = false;
    if (same) return act(was_pressed);

    // Otherwise the click belongs to the notice on the closed island.
    drawing.redraw = true;
    if (!notices.shown) {
        if (hit_island(x, y)) open_page(page_to_open());
        return std::nullopt;
    }
    switch (notices.kind) {
    case HudKind::TimerDone: dismiss_timer_done(); break;
    case HudKind::Notice: notices.shown = false; break;
    case HudKind::Toast:
        notifs.unread_badge = 0;
        open_page(Page::Notifs);
        break;
    case HudKind::Steam: open_page(Page::Steam); break;
    case HudKind::Mail:
    case HudKind::Event: open_page(Page::Google); break;
    case HudKind::Clipboard:
    case HudKind::Image: open_page(Page::Clip); break;
    default:
        if (notices.kind == HudKind::Download && settings.auto_shelf) {
            open_page(Page::Shelf);
            break;
        }
        if (hit_island(x, y)) open_page(page_to_open());
        break;
    }
    return std::nullopt;
}

// ---- Sliders ----------------------------------------------------------------------------

void App::drag_slider(float x) {
    if (!pointer.slider_grab) return;
    float v = clamp01f((track_position(x) - kSliderLeft) / kSliderWidth);
    switch (*pointer.slider_grab) {
    case 1:
        audio.brightness = v;
        if (now - audio.brightness_changed > kBrightnessPacing) {
            set_brightness(audio.brightness_device, v);
            audio.brightness_changed = now;
        }
        break;
    case 2: set_mic_level(v); break;
    default: set_output_level(v); break;
    }
    drawing.redraw = true;
}

// ---- Wheel ------------------------------------------------------------------------------

namespace {

// Row steps and the visible heights the list maxima leave room for.
constexpr float kShelfStep = 98, kClipStep = 46, kNotifStep = 50, kNoteStep = 40, kChatStep = 60;
constexpr float kLevelStep = 0.02f, kBrightnessStep = 0.05f;

float scrolled(float offset, float step, float notches, float maximum) {
    return std::clamp(offset - step * notches, 0.0f, std::max(maximum, 0.0f));
}

}  // namespace

float App::wheel_max(Page p) const {
    auto n = [](size_t count) { return static_cast<float>(count); };
    switch (p) {
    case Page::Shelf: return std::max(0.0f, kShelfStep * n(lists.shelf.size()) + 4 - 672);
    case Page::Clip: return std::max(0.0f, kClipStep * n(lists.clips.size()) - 170);
    case Page::Notifs: return std::max(0.0f, kNotifStep * n(notifs.list.size()) - 176);
    case Page::Notes: return std::max(0.0f, kNoteStep * n(lists.notes.size() + lists.reminders.size()) - 128);
    case Page::Gemini: return std::max(0.0f, google.chat_scroll_max);
    default: return 0;
    }
}

void App::on_wheel(int32_t delta, bool shift_held) {
    float notches = static_cast<float>(delta) / 120.0f;
    drawing.redraw = true;

    if (island.open) {
        switch (island.page) {
        case Page::Shelf: lists.shelf_scroll = scrolled(lists.shelf_scroll, kShelfStep, notches, wheel_max(island.page)); return;
        case Page::Clip: lists.clip_scroll = scrolled(lists.clip_scroll, kClipStep, notches, wheel_max(island.page)); return;
        case Page::Notifs: notifs.scroll = scrolled(notifs.scroll, kNotifStep, notches, wheel_max(island.page)); return;
        case Page::Notes: lists.notes_scroll = scrolled(lists.notes_scroll, kNoteStep, notches, wheel_max(island.page)); return;
        case Page::Gemini: {
            float maximum = wheel_max(island.page);
            google.chat_scroll = std::min(google.chat_scroll, maximum);
            google.chat_scroll = scrolled(google.chat_scroll, kChatStep, notches, maximum);
            google.chat_follow = google.chat_scroll >= maximum - 1;
            return;
        }
        default: break;
        }
    }

    if (island.open && is_slider(pointer.hovered, 2)) {
        set_mic_level(clamp01f(audio.mic_level + kLevelStep * notches));
        return;
    }
    if ((shift_held || (island.open && is_slider(pointer.hovered, 1))) && audio.brightness_ok) {
        audio.brightness = clamp01f(audio.brightness + kBrightnessStep * notches);
        set_brightness(audio.brightness_device, audio.brightness);
        audio.brightness_changed = now;
        if (!island.open && hud_gate()) show_level_hud(HudKind::Brightness, audio.brightness);
        return;
    }
    set_output_level(clamp01f(audio.volume + kLevelStep * notches));
    if (!island.open && hud_gate()) show_level_hud(HudKind::Volume, audio.muted ? 0.0f : audio.volume);
}
