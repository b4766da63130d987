// The input a scene of the screenshot script gives the App, as a user would
// give it: clicks found by Action, taps on the pill, typing, keys, pointer
// moves; and the reads its checks make. Shared by every part of the script.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "gfx_geom.h"
#include "shots.h"
#include "sys_text.h"

struct ShotScript {
    static constexpr uint16_t kReturnKey = 13, kEscapeKey = 27;

    ShotsRun& run;
    App& a;

    void ticks(int n) { shot_ticks(a, n); }
    void shot(const std::string& name) { capture_shot(a, run.dir, name, run.report); }
    void check(std::string_view text, bool pass) { shot_check(run.report, text, pass); }
    bool click(const Action& act) { return click_action(a, act, run.report); }
    bool offers(const Action& act) const { return shot_region(a, act) != nullptr; }
    bool dock(Page p) { return click(Action::byte(ActionKind::Dock, static_cast<uint8_t>(p))); }
    // The island's pill is clicked where a user clicks it: its centre.
    bool tap() { return simulate_click(a, kIslandCentreX, kIslandTop + a.anim.height.value / 2); }
    // Opens the island with a click when closed (a click on a notice first
    // puts the notice away), then picks the page on the dock.
    void open_page(Page p) {
        for (int i = 0; i < 3 && !a.island.open; ++i) {
            tap();
            ticks(72);
        }
        if (a.island.page != p) dock(p);
    }
    // The pointer rests on the newest region bound to `act` (reveals buttons shown on hover).
    bool hover(const Action& act) {
        const HitRegion* h = shot_region(a, act);
        if (!h) return click(act);  // reports the missing region
        (void)a.on_pointer_move(h->rect.x + h->rect.w / 2, h->rect.y + h->rect.h / 2);
        return true;
    }
    void focus(TextField f) {
        if (a.island.focus != f) click(Action::byte(ActionKind::Field, static_cast<uint8_t>(f)));
    }
    void type(std::string_view text) {
        for (size_t i = 0; i < text.size();) a.on_char(next_code_point(text, i));
    }
    void enter() { (void)a.on_key(kReturnKey, false); }
    // Escape until the island is closed (a field's text goes first).
    void escape_closed() {
        for (int i = 0; i < 3 && a.island.open; ++i) (void)a.on_key(kEscapeKey, false);
    }
    void foreground(const char* exe) { a.update_browser_hide(exe, false); }
    float visibility() const { return a.anim.visibility.value; }
    bool mode_is(const IslandMode& m) const { return a.island.mode == m; }
    bool hud_is(HudKind k) const { return a.notices.shown && a.notices.kind == k; }
    void stop_timer_alarm() {
        if (hud_is(HudKind::TimerDone)) a.dismiss_timer_done();
    }
    void media(const std::function<void(MediaSnapshot&)>& change) {
        run.media.with(change);
        a.on_media_update();
    }
};
