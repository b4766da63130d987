// The one dispatcher of Action values, and the page-opening and island-closing
// operations that many handlers share.
//
// Index
//   Fixed texts and addresses
//   Pages: open, set, close, which page to open
//   Pending effects
//   The dispatcher
//   Settings switches
//   Lists: re-copying and forgetting clipboard entries
//   Text fields: what Enter does
//   The assistant: questions about clipboard entries
//   Voice entry points of the settings page: microphones, wake-word teaching
#include <algorithm>
#include <array>

#include <fmt/format.h>

#include "app.h"
#include "gfx.h"
#include "sys_audio.h"
#include "sys_clipboard.h"
#include "sys_log.h"
#include "sys_mic.h"
#include "sys_os.h"
#include "sys_shell.h"
#include "sys_text.h"

namespace {

// ---- Fixed texts and addresses ------------------------------------------------------------

constexpr const char* kGmailInbox = "https://mail.google.com/mail/u/0/#inbox/";
constexpr const char* kCalendarHome = "https://calendar.google.com/calendar/r";
constexpr const char* kAppsFolder = "shell:AppsFolder\\";
constexpr std::array<const char*, 4> kSteamTargets = {
    "steam://open/downloads", "steam://open/games", "steam://store", "steam://open/friends"};
constexpr std::array<const char*, 3> kSuggestions = {
    "E-postalarımı özetle", "Bugün takvimimde ne var?", "Bana kısa bir motivasyon sözü söyle"};

constexpr double kClipRecopyIgnore = 0.6;
constexpr double kRecopyNoticeSeconds = 1.5;
constexpr float kShelfRow = 98, kShelfView = 672;
constexpr size_t kClipAskBody = 6000, kClipAskShort = 60;
// Teaching: a short pause before the first take; the notice stays while teaching runs.
constexpr double kFirstTakeDelay = 0.4, kTeachingNoticeSeconds = 120;

bool is_field(uint8_t v) { return v <= static_cast<uint8_t>(TextField::Gemini); }


}  // namespace

// ---- Pages ------------------------------------------------------------------------------------

void App::dismiss_timer_done() {
    if (!quiet) set_alarm_sound(false);
    hud_shown = false;
    countdown.ringing = false;
    countdown.running = false;
    countdown.remaining = countdown.length;
}

void App::end_countdown_alarm() {
    if (!countdown.ringing || (hud_shown && hud == HudKind::TimerDone)) return;
    countdown.ringing = false;
    if (!quiet) set_alarm_sound(false);
    if (!countdown.running) countdown.remaining = countdown.length;  // a snooze keeps its new run
}

void App::open_page(Page p) {
    if (hud_shown && hud == HudKind::TimerDone) dismiss_timer_done();
    open = true;
    hud_shown = false;
    set_page(p);
    close_deadline.reset();
    redraw = true;
}

void App::set_page(Page p) {
    if (focus != TextField::None && p != page) focus = TextField::None;
    if (p == Page::Search) {
        if (search_rows.empty()) update_search();
        page = Page::Search;  // the remembered page stays what it was
    } else {
        if (p == Page::Settings) city_edit = city;
        page = remembered_page = p;
    }
    redraw = true;
}

void App::close_island() {
    if (!open) return;
    bool had_focus = focus != TextField::None;
    open = false;
    focus = TextField::None;
    slider_grab.reset();
    seek_drag.reset();
    pressed = Action::none();
    close_deadline.reset();
    drag_hover = false;
    // Hand the keyboard back unless the closing action gave the desktop to another program.
    if (had_focus && !skip_focus_restore) push_effect(pending, PendingEffect{now, effect::RestoreFocus{}});
    skip_focus_restore = false;
    save_state();
    redraw = true;
}

void App::close_for_hand_off() {
    // A flag set while closed would wrongly silence the next close's focus hand-back.
    if (!open) return;
    skip_focus_restore = true;
    close_island();
}

Page App::page_to_open() const {
    Activities acts = live_activities();
    if (acts.has(ActKind::Music)) return remembered_page == Page::Home ? Page::Home : Page::Media;
    if (acts.has(ActKind::Steam) || acts.has(ActKind::Game)) return Page::Steam;
    if (acts.has(ActKind::Timer) || acts.has(ActKind::Pomo) || acts.has(ActKind::Watch)) return Page::Time;
    return remembered_page;
}

// ---- Pending effects --------------------------------------------------------------------------

void App::push_effect(std::vector<PendingEffect>& list, PendingEffect e) { list.push_back(std::move(e)); }

// ---- The dispatcher ---------------------------------------------------------------------------

std::optional<WindowEffect> App::act(const Action& a) {
    Page remembered_before = remembered_page;
    double timer_before = countdown.length;
    uint8_t size_before = size;
    std::optional<WindowEffect> out = dispatch(a);
    // A focus request and a new size go to the window at once; search rows redraw themselves.
    bool leaves_redraw = a.kind == ActionKind::Field || a.kind == ActionKind::Res ||
                         (a.kind == ActionKind::FieldGo && a.arg == static_cast<uint8_t>(TextField::Search)) ||
                         (a.kind == ActionKind::Size && size != size_before);
    if (!leaves_redraw) redraw = true;
    // The stored page and countdown length follow every change, whichever action made it
    // (Preset saves on its own).
    bool timer_changed = countdown.length != timer_before && a.kind != ActionKind::Preset;
    if (remembered_page != remembered_before || timer_changed) save_state();
    return out;
}

std::optional<WindowEffect> App::dispatch(const Action& a) {
    auto open_url = [&](std::string target) -> std::optional<WindowEffect> {
        close_for_hand_off();
        return effect::OpenUrl{std::move(target), std::nullopt};
    };

    switch (a.kind) {
    case ActionKind::Dock: {
        if (a.arg >= kPageCount) return std::nullopt;
        Page p = page_at(a.arg);
        set_page(p);
        if (p == Page::Notifs) unread_badge = 0;
        if (p == Page::Search) {
            focus = TextField::Search;
            return effect::FocusIsland{};
        }
        return std::nullopt;
    }
    case ActionKind::Card: {
        static constexpr Page kCards[] = {Page::Calendar, Page::Media, Page::System};
        set_page(a.arg < 3 ? kCards[a.arg] : Page::Control);
        return std::nullopt;
    }
    case ActionKind::Prev: send_media_command(media_cmd::Previous{}); return std::nullopt;
    case ActionKind::Play:
        send_media_command(media_cmd::TogglePlayPause{});
        if (media_snap.has) {
            media_snap.playing = !media_snap.playing;
            if (media_snap.playing) media_changed = now;
        }
        return std::nullopt;
    case ActionKind::Next: send_media_command(media_cmd::Next{}); return std::nullopt;
    case ActionKind::Seek:
    case ActionKind::Slider:
    case ActionKind::GMsg: return std::nullopt;
    case ActionKind::Source:
        if (a.arg < media_snap.sessions.size()) send_media_command(media_cmd::SelectSource{media_snap.sessions[a.arg].app_id});
        return std::nullopt;
    case ActionKind::SliderIcon:
        if (slider_moved) return std::nullopt;  // the press was a drag, not a click on the icon
        if (a.arg == 0) {
            muted = !muted;
            set_master_mute(out_cache, muted);
        } else if (a.arg == 2) {
            mic_muted = !mic_muted;
            set_master_mute(mic_cache, mic_muted);
        }
        return std::nullopt;
    case ActionKind::Tile: return run_tile(a.arg);
    case ActionKind::TMode:
    case ActionKind::Preset:
    case ActionKind::TMinus:
    case ActionKind::TPlus:
    case ActionKind::TToggle:
    case ActionKind::TReset:
    case ActionKind::Lap:
    case ActionKind::PomoLen:
    case ActionKind::PomoSkip:
    case ActionKind::Snooze: act_time(a); return std::nullopt;
    case ActionKind::Shelf:
        if (a.index >= shelf.size()) return std::nullopt;
        return open_url(shelf[a.index].path);
    case ActionKind::ShelfDel:
        if (a.index >= shelf.size()) return std::nullopt;
        if (renderer) renderer->forget_image(image_id(kImageOwnerShelf, shelf[a.index].id));
        shelf.erase(shelf.begin() + a.index);
        shelf_scroll = std::min(shelf_scroll, std::max(0.0f, kShelfRow * static_cast<float>(shelf.size()) + 4 - kShelfView));
        save_state();
        return std::nullopt;
    case ActionKind::ShelfClear:
        for (const auto& item : shelf)
            if (renderer) renderer->forget_image(image_id(kImageOwnerShelf, item.id));
        shelf.clear();
        shelf_scroll = 0;
        save_state();
        return std::nullopt;
    case ActionKind::Clip: recopy_clip(a.index); return std::nullopt;
    case ActionKind::ClipPin:
        if (a.index < clips.size()) clips[a.index].pinned = !clips[a.index].pinned;
        return std::nullopt;
    case ActionKind::ClipDel:
        if (a.index >= clips.size()) return std::nullopt;
        forget_clip_picture(clips[a.index]);
        clips.erase(clips.begin() + a.index);
        return std::nullopt;
    case ActionKind::ClipClear: {
        std::vector<ClipEntry> kept;
        for (auto& e : clips) {
            if (e.pinned) kept.push_back(std::move(e));
            else forget_clip_picture(e);
        }
        clips = std::move(kept);
        clip_scroll = 0;
        return std::nullopt;
    }
    case ActionKind::Note:
        if (a.index >= notes.size()) return std::nullopt;
        notes[a.index].done = !notes[a.index].done;
        save_state();
        return std::nullopt;
    case ActionKind::NoteDel:
        if (a.index >= notes.size()) return std::nullopt;
        notes.erase(notes.begin() + a.index);
        save_state();
        return std::nullopt;
    case ActionKind::NotesClear:
        std::erase_if(notes, [](const NoteItem& n) { return n.done; });
        save_state();
        return std::nullopt;
    case ActionKind::Field:
        if (!is_field(a.arg)) return std::nullopt;
        focus = static_cast<TextField>(a.arg);
        return effect::FocusIsland{};
    case ActionKind::FieldGo:
        if (!is_field(a.arg)) return std::nullopt;
        return submit_field(static_cast<TextField>(a.arg));
    case ActionKind::Res: return run_search_row(a.arg);
    case ActionKind::CalPrev:
        if (--cal_month < 1) {
            cal_month = 12;
            --cal_year;
        }
        return std::nullopt;
    case ActionKind::CalNext:
        if (++cal_month > 12) {
            cal_month = 1;
            ++cal_year;
        }
        return std::nullopt;
    case ActionKind::CalToday: {
        LocalTime t = local_time();
        cal_year = t.year;
        cal_month = t.month;
        return std::nullopt;
    }
    case ActionKind::Set: flip_setting(static_cast<SettingToggle>(a.arg)); return std::nullopt;
    case ActionKind::Size:
        if (a.arg == size) return std::nullopt;
        size = a.arg;
        scale = scale_for_size(size);
        save_state();
        return effect::Reposition{};
    case ActionKind::Bubble:
        if (bubble_act == static_cast<uint8_t>(ActKind::Pomo)) time_mode = 2;
        else if (bubble_act == static_cast<uint8_t>(ActKind::Watch)) time_mode = 1;
        else time_mode = 0;
        open_page(Page::Time);
        return std::nullopt;
    case ActionKind::TaskMgr: return open_url("taskmgr.exe");
    case ActionKind::RemDel:
        if (a.index >= reminders.size()) return std::nullopt;
        reminders.erase(reminders.begin() + a.index);
        save_state();
        return std::nullopt;
    case ActionKind::Toast:
        if (a.index >= notif_list.size()) return std::nullopt;
        return open_url(kAppsFolder + notif_list[a.index].app_id);
    case ActionKind::ToastDel:
        if (a.index < notif_list.size()) notif_list.erase(notif_list.begin() + a.index);
        return std::nullopt;
    case ActionKind::ToastClear:
        notif_list.clear();
        notif_scroll = 0;
        return std::nullopt;
    case ActionKind::SteamOpen: return open_url(kSteamTargets[a.arg % 4]);
    case ActionKind::SteamGame:
        if (a.index >= steam_snap.games.size()) return std::nullopt;
        return open_url(fmt::format("steam://rungameid/{}", steam_snap.games[a.index].app_id));
    case ActionKind::UpdateCheck:
        if (update_tx.send(UpdateRequest{})) update_status = "denetleniyor…";
        return std::nullopt;
    case ActionKind::GSignIn:
        send_google_command(gcmd::SignIn{});
        google_snap.status = "tarayıcıda giriş bekleniyor…";
        return std::nullopt;
    case ActionKind::GSignOut: send_google_command(gcmd::SignOut{}); return std::nullopt;
    case ActionKind::GRefresh:
        send_google_command(gcmd::Refresh{});
        show_info("Google yenileniyor", "");
        return std::nullopt;
    case ActionKind::GMail:
        if (a.index >= google_snap.mails.size()) return std::nullopt;
        return open_url(kGmailInbox + google_snap.mails[a.index].id);
    case ActionKind::GEvent: {
        if (a.index >= google_snap.events.size()) return std::nullopt;
        const std::string& link = google_snap.events[a.index].link;
        return open_url(link.empty() ? std::string(kCalendarHome) : link);
    }
    case ActionKind::GClear: send_google_command(gcmd::ClearChat{}); return std::nullopt;
    case ActionKind::Mic: start_voice(); return std::nullopt;
    case ActionKind::GSuggest:
        if (a.arg >= kSuggestions.size()) return std::nullopt;
        send_google_command(gcmd::Ask{kSuggestions[a.arg]});
        chat_follow = true;
        return std::nullopt;
    case ActionKind::GMailRead: {
        if (a.index >= google_snap.mails.size()) return std::nullopt;
        MailItem& mail = google_snap.mails[a.index];
        std::string id = mail.id;
        if (mail.unread) {
            mail.unread = false;
            if (google_snap.unread > 0) --google_snap.unread;
        }
        send_google_command(gcmd::MailRead{std::move(id)});
        return std::nullopt;
    }
    case ActionKind::GMailArchive: {
        if (a.index >= google_snap.mails.size()) return std::nullopt;
        MailItem mail = std::move(google_snap.mails[a.index]);
        google_snap.mails.erase(google_snap.mails.begin() + a.index);
        if (mail.unread && google_snap.unread > 0) --google_snap.unread;
        send_google_command(gcmd::MailArchive{std::move(mail.id)});
        return std::nullopt;
    }
    case ActionKind::GTab: google_tab = a.arg; return std::nullopt;
    case ActionKind::GTaskDone: {
        if (a.index >= google_snap.tasks.size()) return std::nullopt;
        std::string id = std::move(google_snap.tasks[a.index].id);
        google_snap.tasks.erase(google_snap.tasks.begin() + a.index);
        send_google_command(gcmd::TaskDone{std::move(id)});
        return std::nullopt;
    }
    case ActionKind::WakeTeach: start_wake_teaching(); return std::nullopt;
    case ActionKind::MicNext: {
        std::vector<std::string> names = microphone_names();
        if (names.empty()) return std::nullopt;
        auto it = std::find(names.begin(), names.end(), mic);
        size_t next = it == names.end() ? 1 % names.size() : (static_cast<size_t>(it - names.begin()) + 1) % names.size();
        set_microphone(names[next]);
        return std::nullopt;
    }
    case ActionKind::MicTest:
        if (mic_test || quiet) return std::nullopt;
        mic_test_peak = 0;
        // Missing: mic_test = start_mic_capture(), once the recording thread exists.
        return std::nullopt;
    case ActionKind::Website: return open_url(kWebsite);
    case ActionKind::GCopy:
        if (a.index < google_snap.chat.size() && !quiet) set_clipboard_text(window, google_snap.chat[a.index].text);
        return std::nullopt;
    case ActionKind::GSpeak:
        if (a.index < google_snap.chat.size() && !quiet) start_speech_thread(google_snap.chat[a.index].text);
        return std::nullopt;
    case ActionKind::ClipAsk: ask_about_clip(a.index, a.arg); return std::nullopt;
    case ActionKind::NoteTask:
        if (a.index < notes.size()) send_google_command(gcmd::AddTask{notes[a.index].text});
        return std::nullopt;
    case ActionKind::None: return std::nullopt;
    }
    return std::nullopt;
}

// ---- Settings switches ------------------------------------------------------------------------

void App::flip_setting(SettingToggle t) {
    switch (t) {
    case SettingToggle::HoverOpen: hover_open = !hover_open; break;
    case SettingToggle::ClipHud: clip_hud = !clip_hud; break;
    case SettingToggle::KeyHud: key_hud = !key_hud; break;
    case SettingToggle::DlHud: dl_hud = !dl_hud; break;
    case SettingToggle::AutoShelf: auto_shelf = !auto_shelf; break;
    case SettingToggle::HideFs: hide_fs = !hide_fs; break;
    case SettingToggle::HideChrome: hide_chrome = !hide_chrome; break;
    case SettingToggle::Glow: glow = !glow; break;
    case SettingToggle::AppNotif: app_notif = !app_notif; break;
    case SettingToggle::Autostart:
        autostart = !autostart;
        if (!quiet) set_autostart(autostart);
        break;
    default: return;  // no such switch
    }
    save_state();
}

// ---- Lists: re-copying and forgetting clipboard entries ------------------------------------------

void App::forget_clip_picture(const ClipEntry& e) {
    if (renderer && std::holds_alternative<ClipEntry::Picture>(e.kind))
        renderer->forget_image(image_id(kImageOwnerClip, e.id));
}

void App::recopy_clip(uint16_t index) {
    if (index >= clips.size()) return;
    // The watcher must not record the island's own write as a new copy.
    ignore_clipboard_until = now + kClipRecopyIgnore;
    const ClipEntry& e = clips[index];
    if (!quiet) {
        if (auto* t = std::get_if<ClipEntry::Text>(&e.kind)) {
            set_clipboard_text(window, t->text);
        } else if (auto* f = std::get_if<ClipEntry::Files>(&e.kind)) {
            set_clipboard_files(window, f->paths);
        } else if (auto* p = std::get_if<ClipEntry::Picture>(&e.kind)) {
            // Older entries keep only their thumbnail.
            const ImageRef& image = p->full ? p->full : p->thumbnail;
            if (image) set_clipboard_image(window, *image);
        }
    }
    ClipEntry moved = std::move(clips[index]);
    clips.erase(clips.begin() + index);
    clips.insert(clips.begin(), std::move(moved));
    clip_scroll = 0;
    close_island();
    hud_title = "Tekrar panoya alındı";
    hud_body.clear();
    show_hud(HudKind::Clipboard, kRecopyNoticeSeconds);
}

// ---- Text fields ------------------------------------------------------------------------------

std::optional<WindowEffect> App::submit_field(TextField f) {
    switch (f) {
    case TextField::Search: return run_search_row(search_sel_index);
    case TextField::Note: {
        std::string text(trim(note_text));
        if (text.empty()) return std::nullopt;
        if (!add_reminder(text)) {
            notes.insert(notes.begin(), NoteItem{text, next_id++, 0.0f, false});
            save_state();
        }
        note_text.clear();
        notes_scroll = 0;
        return std::nullopt;
    }
    case TextField::City: {
        std::string text(trim(city_edit));
        if (text.empty()) return std::nullopt;
        city = text;
        weather_tx.send(city);
        weather_snap.loading = true;
        focus = TextField::None;
        save_state();
        return std::nullopt;
    }
    case TextField::Gemini: {
        std::string text(trim(gemini_text));
        if (text.empty()) return std::nullopt;
        gemini_text.clear();
        send_google_command(gcmd::Ask{std::move(text)});
        chat_follow = true;
        return std::nullopt;
    }
    default: return std::nullopt;
    }
}

// ---- The assistant: questions about clipboard entries ------------------------------------------

void App::ask_about_clip(uint16_t index, uint8_t mode) {
    if (index >= clips.size()) return;
    const auto* t = std::get_if<ClipEntry::Text>(&clips[index].kind);
    if (!t) return;
    std::string body = take_chars(t->text, kClipAskBody);
    std::string short_form = take_chars(join_words(t->text), kClipAskShort);
    std::string label, prompt;
    if (mode == 0) {
        label = fmt::format("Özetle: {}…", short_form);
        prompt = fmt::format("Şu metni kısaca, gerekirse maddeler halinde Türkçe özetle.\n\n{}", body);
    } else {
        label = fmt::format("Çevir: {}…", short_form);
        prompt = fmt::format("Şu metni çevir: Türkçeyse İngilizceye, değilse Türkçeye. Sadece çeviriyi yaz.\n\n{}", body);
    }
    if (page != Page::Gemini) focus = TextField::None;
    page = remembered_page = Page::Gemini;
    redraw = true;
    send_google_command(gcmd::AskLabelled{std::move(label), std::move(prompt)});
    chat_follow = true;
}

// ---- Voice entry points of the settings page ------------------------------------------------

std::vector<std::string> App::microphone_names() {
    if (!(quiet && !microphones.empty())) {
        microphones.assign(1, std::string());  // the Windows default comes first
        for (auto& name : collect_input_device_names(0, input_device_count())) microphones.push_back(std::move(name));
    }
    return microphones;
}

void App::set_microphone(std::string name) {
    mic = std::move(name);
    save_state();
    redraw = true;
    // Missing: telling the recording side which device to open, once it exists.
}

void App::start_wake_teaching() {
    if (!quiet) set_alarm_sound(false);
    if (voice_capture) {
        voice_capture->request_stop();
        voice_capture.reset();
    }
    close_island();  // saves when it was open
    voice_question.clear();
    voice_answer.clear();
    level_history.fill(0);
    hold_talk_start.reset();
    teaching = WakeTeaching{};
    teaching.takes.emplace();
    teaching.next_take = now + kFirstTakeDelay;
    voice_state = VoiceState::Listening;
    show_hud(HudKind::Voice, kTeachingNoticeSeconds);
    redraw = true;
    if (!quiet) write_log("wake: öğretme başladı");
}
