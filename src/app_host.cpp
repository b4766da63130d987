// What the host tells the App about its window: the pointer leaving it, focus
// gained and lost, files dragged over it, its place on a monitor, the search hot
// key and the tray menu's switches. The host calls these and writes no field.
#include <algorithm>

#include <fmt/format.h>

#include "app.h"
#include "google_signin.h"
#include "sys_os.h"
#include "sys_text.h"
#include "sys_version.h"
#include "wake.h"

// ---- Pointer and focus ----------------------------------------------------------------------

void App::on_pointer_leave() {
    pointer.inside = false;
    pointer.hovered = Action::none();
    anim.squash.target = 1.0f;
    // A drag that left the window keeps the island open until it ends.
    bool dragging = pointer.slider_grab.has_value() || pointer.seek_drag.has_value() ||
                    pointer.pressed.kind == ActionKind::Shelf || island.drag_out;
    if (island.open && island.focus == TextField::None && !dragging) pointer.close_deadline = now + 0.45;
    drawing.redraw = true;
}

void App::on_activate(bool active) {
    if (active) {
        if (island.open && island.page == Page::Search && island.focus == TextField::None)
            island.focus = TextField::Search;
    } else {
        island.focus = TextField::None;
        if (island.open && !pointer.inside && !island.drag_out) pointer.close_deadline = now + 0.15;
    }
    drawing.redraw = true;
}

// ---- Opening and closing from outside the island ----------------------------------------------

void App::open_search() {
    if (search_page.text.empty()) update_search();
    open_page(Page::Search);
    island.focus = TextField::Search;
}

std::optional<WindowEffect> App::on_search_hotkey() {
    if (island.open && island.page == Page::Search && island.focus != TextField::None) {
        close_from_host();
        return std::nullopt;
    }
    open_search();
    return effect::FocusIsland{};
}

void App::close_from_host() {
    island.drag_out = false;
    close_island();
}

void App::toggle_from_tray() {
    if (island.open) close_from_host();
    else open_page(page_to_open());
}

// ---- Files dragged over the window --------------------------------------------------------------

void App::on_drag_enter() {
    island.drag_hover = true;
    if (!(island.open && island.page == Page::Shelf)) open_page(Page::Shelf);
    pointer.close_deadline.reset();
    drawing.redraw = true;
}

void App::on_drop(std::vector<std::string> paths) {
    if (!paths.empty()) {
        on_files_dropped(std::move(paths));
        return;
    }
    island.drag_hover = false;
    if (!pointer.inside) pointer.close_deadline = now + 0.6;
    drawing.redraw = true;
}

void App::on_files_dropped(std::vector<std::string> paths) {
    island.drag_hover = false;
    drawing.redraw = true;
    // A single Google client file is taken as the OAuth client, never shelved.
    if (paths.size() == 1) {
        std::string name = to_lower(path_last_component(paths[0]));
        if (name.size() > 12 && name.starts_with("client_secret") && name.ends_with(".json")) {
            if (import_client_file(paths[0])) {
                show_info("Google istemcisi eklendi", "Google sayfasından bağlanabilirsin");
                google.snap.client_ready = true;
            } else {
                show_info("Bu dosya Google istemcisi değil", "");
            }
            return;
        }
    }
    add_to_shelf(std::move(paths), true);
    if (!pointer.inside) pointer.close_deadline = now + 1.6;
}

void App::on_drag_out_done() {
    island.drag_out = false;
    size_t before = lists.shelf.size();
    // A moved file leaves the shelf; a copied one stays.
    std::erase_if(lists.shelf, [](const ShelfItem& s) { return !file_exists(s.path); });
    if (lists.shelf.size() != before) save_state();
    if (island.open && !pointer.inside) pointer.close_deadline = now + 0.5;
    drawing.redraw = true;
}

// ---- Placement ------------------------------------------------------------------------------------

void App::place(const RectI& monitor, int x, int y) {
    drawing.monitor = monitor;
    drawing.window_x = x;
    drawing.window_y = y;
    drawing.redraw = true;
    drawing.full_present = true;
}

void App::redraw_all() {
    drawing.redraw = true;
    drawing.full_present = true;
}

// ---- Start-up ------------------------------------------------------------------------------------

void App::attach_update(Shared<UpdateState> shared, Sender<UpdateRequest> tx) {
    update.shared = std::move(shared);
    update.tx = std::move(tx);
}

void App::show_after_start(StartupNotice n) { notices.startup = std::move(n); }

void App::set_wake_model_present(bool present) { settings.wake_model_present = present; }

void App::set_search_hotkey_label(std::string label) { hotkeys.search = std::move(label); }

void App::set_voice_hotkey_label(std::string label) { hotkeys.voice = std::move(label); }

// ---- Tray menu switches ----------------------------------------------------------------------------

void App::toggle_do_not_disturb() {
    settings.dnd = !settings.dnd;
    save_state();
    show_info(fmt::format("Rahatsız etme {}", settings.dnd ? "açık · bildirim balonları susturuldu" : "kapalı"), "");
}

void App::toggle_hidden() {
    island.hidden = !island.hidden;
    drawing.redraw = true;
}

void App::toggle_wake_word() {
    settings.wake = !settings.wake;
    wake_enabled = settings.wake;
    save_state();
    show_info(fmt::format("“Hey Google” {}", settings.wake ? "açık" : "kapalı"), "");
}

void App::set_wake_sensitivity(uint8_t level) {
    static constexpr std::array<const char*, 3> kNames = {"Düşük", "Normal", "Yüksek"};
    if (level >= kNames.size()) return;
    settings.wake_sens = level;
    wake_sensitivity = sensitivity_for_level(level);
    save_state();
    show_info("“Hey Google” hassasiyeti", kNames[level]);
}

void App::connect_google() {
    if (!google.snap.signed_in) {
        start_google_sign_in();
        return;
    }
    open_page(Page::Google);
    island.focus = TextField::None;  // no text field belongs to the Google page
}

void App::request_update() { (void)update.tx.send(UpdateRequest{}); }  // without an update thread nothing is sent

void App::check_for_update() {
    request_update();
    show_info("Güncellemeler denetleniyor", std::string("şu an v") + kAppVersion);
}
