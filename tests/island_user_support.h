// Drives an App the way a user does: frames through App::tick (which draws
// through App::render and records the hit regions), pointer moves and clicks at
// points, and clicks on regions found by their Action.
#pragma once
#include <optional>

#include "app.h"

namespace island_user {

constexpr float kFrame = 1.0f / 60.0f;

inline void frames(App& a, int n) {
    for (int i = 0; i < n; ++i) a.tick(kFrame);
}

// Frames until nothing moves any more, at most `most` of them (a playing
// equaliser, for one, never stops moving).
inline void settle(App& a, int most = 600) {
    for (int i = 0; i < most; ++i)
        if (a.tick(kFrame).wait.tag == FrameWait::WaitMs) return;
}

inline void click(App& a, float x, float y) {
    a.on_pointer_move(x, y);
    a.on_pointer_down(x, y);
    a.on_click(x, y);
}

// The region drawn last for this Action (the one a click reaches).
inline std::optional<RectF> region_of(const App& a, const Action& act) {
    for (auto it = a.drawing.hits.rbegin(); it != a.drawing.hits.rend(); ++it)
        if (action_eq(it->action, act)) return it->rect;
    return std::nullopt;
}

// Points at the region of `act`, lets the island follow the pointer (the dock
// magnifies under it), then clicks the region's centre. False when not drawn.
inline bool click_action(App& a, const Action& act, int most = 600) {
    std::optional<RectF> r = region_of(a, act);
    if (!r) return false;
    a.on_pointer_move(r->x + r->w / 2, r->y + r->h / 2);
    settle(a, most);
    r = region_of(a, act);
    if (!r) return false;
    click(a, r->x + r->w / 2, r->y + r->h / 2);
    return true;
}

// Clicks the closed island's centre and lets it open.
inline void open_by_click(App& a, int most = 600) {
    settle(a, most);
    click(a, 450, 8 + a.anim.height.value / 2);
    settle(a, most);
}

// Opens the island with a click and moves to `p` with a click on its dock icon.
inline bool open_on_page(App& a, Page p, int most = 600) {
    if (!a.island.open) open_by_click(a, most);
    if (a.island.page == p) return true;
    if (!click_action(a, Action::byte(ActionKind::Dock, static_cast<uint8_t>(p)), most)) return false;
    settle(a, most);
    return a.island.page == p;
}

}  // namespace island_user
