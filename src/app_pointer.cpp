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

float App::track_position(float x) const { return (x - kIslandCentreX - shift) / std::max(zoom, 0.01f) + kIslandCentreX; }

Action App::hit_test(float x, float y) const {
    // What was drawn later lies on top.
    for (auto it = hits.rbegin(); it != hits.rend(); ++it)
        if (it->rect.contains(x, y)) return it->action;
    return Action::none();
}

bool App::hit_island(float x, float y) const {
    float s = (0.55f + 0.45f * clamp01f(visibility.value)) * squash.value;
    float w = std::max(width.value, 12.0f) * s;
    float h = std::max(height.value, 12.0f) * s;
    float left = kIslandCentreX - w / 2.0f;
    if (x >= left - 2 && x < left + w + 2 && y >= 6 && y < h + 10) return true;
    float b = bubble.value;
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
    pointer_x = press_x = x;
    pointer_y = press_y = y;
    slider_moved = false;
    button_held = true;
    pressed = hit_test(x, y);
    redraw = true;

    if (open) {
        switch (pressed.kind) {
        case ActionKind::Seek:
            if (media.can_seek) seek_drag = clamp01f((track_position(x) - kSeekLeft) / kSeekWidth);
            break;
        case ActionKind::Slider:
            if (pressed.arg == 1 && !brightness_ok) break;
            slider_grab = pressed.arg;
            drag_slider(x);
            break;
        case ActionKind::Field:
            if (static_cast<uint8_t>(pressed.arg) > static_cast<uint8_t>(TextField::Gemini)) break;
            focus = static_cast<TextField>(pressed.arg);
            return effect::FocusIsland{};
        default: break;
        }
        return std::nullopt;
    }

    pressed_on_island = hit_island(x, y);
    if (pressed_on_island) {
        squash.target = kPressScale;
        press = PressRecord{now, x, y};
    }
    return std::nullopt;
}

std::optional<WindowEffect> App::on_pointer_move(float x, float y) {
    pointer_x = x;
    pointer_y = y;
    if (!pointer_inside) {
        pointer_inside = true;
        pointer_entered = now;
    }
    close_deadline.reset();
    redraw = true;

    if (slider_grab) {
        if (std::fabs(x - press_x) > kSliderClickSlop) slider_moved = true;
        drag_slider(x);
    }
    if (seek_drag) seek_drag = clamp01f((track_position(x) - kSeekLeft) / kSeekWidth);

    if (pressed.kind == ActionKind::Shelf && !drag_out &&
        std::hypot(x - press_x, y - press_y) > kShelfDragDistance) {
        uint16_t index = pressed.index;
        pressed = Action::none();
        drag_out = true;
        return effect::DragShelfItem{index};
    }

    Action now_hovered = hit_test(x, y);
    if (!action_eq(now_hovered, hovered)) {
        hovered = now_hovered;
        hover.value = 0;
        hover.target = 1;
        hover.velocity = 0;
        hover_start = now;
    }
    return std::nullopt;
}

std::optional<WindowEffect> App::on_click(float x, float y) {
    squash.target = 1.0f;
    press.reset();
    button_held = false;

    // A click on the closed island while the voice notice is up belongs to the voice.
    if (voice != VoiceState::Idle && !open && hit_island(x, y)) {
        pressed_on_island = false;
        pressed = Action::none();
        switch (voice) {
        case VoiceState::Listening: {
            std::optional<double> started = hold_talk_start;
            hold_talk_start.reset();
            // The release that ends the hold which started listening keeps it going.
            if (started && now - *started < kHoldReleaseGrace) return std::nullopt;
            if (voice_capture) voice_capture->request_stop();
            return std::nullopt;
        }
        case VoiceState::Answer:
            if (!quiet) set_alarm_sound(false);
            voice = VoiceState::Idle;
            open = true;
            hud_shown = false;
            if (page != Page::Gemini) focus = TextField::None;
            page = remembered_page = Page::Gemini;
            close_deadline.reset();
            redraw = true;
            return std::nullopt;
        default: return std::nullopt;
        }
    }

    Action was_pressed = pressed;
    pressed = Action::none();
    Action released = hit_test(x, y);
    bool same = !was_pressed.is_none() && !released.is_none() && action_eq(was_pressed, released);

    if (seek_drag) {
        double position = static_cast<double>(*seek_drag) * media.duration;
        seek_drag.reset();
        send_media_command(media_cmd::Seek{position});
        media.position = position;
        media_changed = now;
        redraw = true;
        return std::nullopt;
    }
    if (slider_grab) {
        uint8_t s = *slider_grab;
        slider_grab.reset();
        // The pacing may have skipped the last value of the drag.
        if (s == 1 && brightness_ok) set_brightness(brightness_device, brightness);
        redraw = true;
        return std::nullopt;
    }

    if (open) return same ? act(was_pressed) : std::nullopt;

    if (!pressed_on_island) return std::nullopt;
    pressed_on_island = false;
    if (same) return act(was_pressed);

    // Otherwise the click belongs to the notice on the closed island.
    redraw = true;
    if (!hud_shown) {
        if (hit_island(x, y)) open_page(page_to_open());
        return std::nullopt;
    }
    switch (hud) {
    case HudKind::TimerDone: dismiss_timer_done(); break;
    case HudKind::Notice: hud_shown = false; break;
    case HudKind::Toast:
        unread_badge = 0;
        open_page(Page::Notifs);
        break;
    case HudKind::Steam: open_page(Page::Steam); break;
    case HudKind::Mail:
    case HudKind::Event: open_page(Page::Google); break;
    case HudKind::Clipboard:
    case HudKind::Image: open_page(Page::Clip); break;
    default:
        if (hud == HudKind::Download && auto_shelf) {
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
    if (!slider_grab) return;
    float v = clamp01f((track_position(x) - kSliderLeft) / kSliderWidth);
    switch (*slider_grab) {
    case 1:
        brightness = v;
        if (now - brightness_changed > kBrightnessPacing) {
            set_brightness(brightness_device, v);
            brightness_changed = now;
        }
        break;
    case 2: set_mic_level(v); break;
    default: set_output_level(v); break;
    }
    redraw = true;
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
    case Page::Shelf: return std::max(0.0f, kShelfStep * n(shelf.size()) + 4 - 672);
    case Page::Clip: return std::max(0.0f, kClipStep * n(clips.size()) - 170);
    case Page::Notifs: return std::max(0.0f, kNotifStep * n(notifications.size()) - 176);
    case Page::Notes: return std::max(0.0f, kNoteStep * n(notes.size() + reminders.size()) - 128);
    case Page::Gemini: return std::max(0.0f, chat_scroll_max);
    default: return 0;
    }
}

void App::on_wheel(int32_t delta, bool shift_held) {
    float notches = static_cast<float>(delta) / 120.0f;
    redraw = true;

    if (open) {
        switch (page) {
        case Page::Shelf: shelf_scroll = scrolled(shelf_scroll, kShelfStep, notches, wheel_max(page)); return;
        case Page::Clip: clip_scroll = scrolled(clip_scroll, kClipStep, notches, wheel_max(page)); return;
        case Page::Notifs: notif_scroll = scrolled(notif_scroll, kNotifStep, notches, wheel_max(page)); return;
        case Page::Notes: notes_scroll = scrolled(notes_scroll, kNoteStep, notches, wheel_max(page)); return;
        case Page::Gemini: {
            float maximum = wheel_max(page);
            chat_scroll = std::min(chat_scroll, maximum);
            chat_scroll = scrolled(chat_scroll, kChatStep, notches, maximum);
            chat_follow = chat_scroll >= maximum - 1;
            return;
        }
        default: break;
        }
    }

    if (open && is_slider(hovered, 2)) {
        set_mic_level(clamp01f(mic_level + kLevelStep * notches));
        return;
    }
    if ((shift_held || (open && is_slider(hovered, 1))) && brightness_ok) {
        brightness = clamp01f(brightness + kBrightnessStep * notches);
        set_brightness(brightness_device, brightness);
        brightness_changed = now;
        if (!open && hud_gate()) show_level_hud(HudKind::Brightness, brightness);
        return;
    }
    set_output_level(clamp01f(volume + kLevelStep * notches));
    if (!open && hud_gate()) show_level_hud(HudKind::Volume, muted ? 0.0f : volume);
}
