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
#include "wake.h"

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
    if (!island.quiet) set_alarm_sound(false);
    notices.shown = false;
    timers.countdown.ringing = false;
    timers.countdown.running = false;
    timers.countdown.remaining = timers.countdown.length;
}

void App::end_countdown_alarm() {
    if (!timers.countdown.ringing || (notices.shown && notices.kind == HudKind::TimerDone)) return;
    timers.countdown.ringing = false;
    if (!island.quiet) set_alarm_sound(false);
    if (!timers.countdown.running) timers.countdown.remaining = timers.countdown.length;  // a snooze keeps its new run
}

void App::open_page(Page p) {
    if (notices.shown && notices.kind == HudKind::TimerDone) dismiss_timer_done();
    island.open = true;
    notices.shown = false;
    set_page(p);
    pointer.close_deadline.reset();
    drawing.redraw = true;
}

void App::set_page(Page p) {
    if (island.focus != TextField::None && p != island.page) island.focus = TextField::None;
    if (p == Page::Search) {
        if (search_page.rows.empty()) update_search();
        island.page = Page::Search;  // the remembered page stays what it was
    } else {
        if (p == Page::Settings) settings.city_edit = settings.city;
        island.page = island.remembered_page = p;
    }
    drawing.redraw = true;
}

void App::close_island() {
    if (!island.open) return;
    bool had_focus = island.focus != TextField::None;
    island.open = false;
    island.focus = TextField::None;
    pointer.slider_grab.reset();
    pointer.seek_drag.reset();
    pointer.pressed = Action::none();
    pointer.close_deadline.reset();
    island.drag_hover = false;
    // Hand the keyboard back unless the closing action gave the desktop to another program.
    if (had_focus && !effects.skip_focus_restore) push_effect(effects.pending, PendingEffect{now, effect::RestoreFocus{}});
    effects.skip_focus_restore = false;
    save_state();
    drawing.redraw = true;
}

void App::close_for_hand_off() {
    // A flag set while closed would wrongly silence the next close's focus hand-back.
    if (!island.open) return;
    effects.skip_focus_restore = true;
    close_island();
}

Page App::page_to_open() const {
    Activities acts = live_activities();
    if (acts.has(ActKind::Music)) return island.remembered_page == Page::Home ? Page::Home : Page::Media;
    if (acts.has(ActKind::Steam) || acts.has(ActKind::Game)) return Page::Steam;
    if (acts.has(ActKind::Timer) || acts.has(ActKind::Pomo) || acts.has(ActKind::Watch)) return Page::Time;
    return island.remembered_page;
}

// ---- Pending effects --------------------------------------------------------------------------

void App::push_effect(std::vector<PendingEffect>& list, PendingEffect e) { list.push_back(std::move(e)); }

// ---- The dispatcher ---------------------------------------------------------------------------

std::optional<WindowEffect> App::act(const Action& a) {
    Page remembered_before = island.remembered_page;
    double timer_before = timers.countdown.length;
    uint8_t size_before = settings.size;
    std::optional<WindowEffect> out = dispatch(a);
    // A focus request and a new size go to the window at once; search rows redraw themselves.
    bool leaves_redraw = a.kind == ActionKind::Field || a.kind == ActionKind::Res ||
                         (a.kind == ActionKind::FieldGo && a.arg == static_cast<uint8_t>(TextField::Search)) ||
                         (a.kind == ActionKind::Size && settings.size != size_before);
    if (!leaves_redraw) drawing.redraw = true;
    // The stored page and countdown length follow every change, whichever action made it
    // (Preset saves on its own).
    bool timer_changed = timers.countdown.length != timer_before && a.kind != ActionKind::Preset;
    if (island.remembered_page != remembered_before || timer_changed) save_state();
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
        if (p == Page::Notifs) notifs.unread_badge = 0;
        if (p == Page::Search) {
            island.focus = TextField::Search;
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
        if (media.snap.has) {
            media.snap.playing = !media.snap.playing;
            if (media.snap.playing) media.changed = now;
        }
        return std::nullopt;
    case ActionKind::Next: send_media_command(media_cmd::Next{}); return std::nullopt;
    case ActionKind::Seek:
    case ActionKind::Slider:
    case ActionKind::GMsg: return std::nullopt;
    case ActionKind::Source:
        if (a.arg < media.snap.sessions.size()) send_media_command(media_cmd::SelectSource{media.snap.sessions[a.arg].app_id});
        return std::nullopt;
    case ActionKind::SliderIcon:
        if (pointer.slider_moved) return std::nullopt;  // the press was a drag, not a click on the icon
        if (a.arg == 0) {
            audio.muted = !audio.muted;
            set_master_mute(audio.out_cache, audio.muted);
        } else if (a.arg == 2) {
            audio.mic_muted = !audio.mic_muted;
            set_master_mute(audio.mic_cache, audio.mic_muted);
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
        if (a.index >= lists.shelf.size()) return std::nullopt;
        return open_url(lists.shelf[a.index].path);
    case ActionKind::ShelfDel:
        if (a.index >= lists.shelf.size()) return std::nullopt;
        if (drawing.renderer) drawing.renderer->forget_image(image_id(kImageOwnerShelf, lists.shelf[a.index].id));
        lists.shelf.erase(lists.shelf.begin() + a.index);
        lists.shelf_scroll = std::min(lists.shelf_scroll, std::max(0.0f, kShelfRow * static_cast<float>(lists.shelf.size()) + 4 - kShelfView));
        save_state();
        return std::nullopt;
    case ActionKind::ShelfClear:
        for (const auto& item : lists.shelf)
            if (drawing.renderer) drawing.renderer->forget_image(image_id(kImageOwnerShelf, item.id));
        lists.shelf.clear();
        lists.shelf_scroll = 0;
        save_state();
        return std::nullopt;
    case ActionKind::Clip: recopy_clip(a.index); return std::nullopt;
    case ActionKind::ClipPin:
        if (a.index < lists.clips.size()) lists.clips[a.index].pinned = !lists.clips[a.index].pinned;
        return std::nullopt;
    case ActionKind::ClipDel:
        if (a.index >= lists.clips.size()) return std::nullopt;
        forget_clip_picture(lists.clips[a.index]);
        lists.clips.erase(lists.clips.begin() + a.index);
        return std::nullopt;
    case ActionKind::ClipClear: {
        std::vector<ClipEntry> kept;
        for (auto& e : lists.clips) {
            if (e.pinned) kept.push_back(std::move(e));
            else forget_clip_picture(e);
        }
        lists.clips = std::move(kept);
        lists.clip_scroll = 0;
        return std::nullopt;
    }
    case ActionKind::Note:
        if (a.index >= lists.notes.size()) return std::nullopt;
        lists.notes[a.index].done = !lists.notes[a.index].done;
        save_state();
        return std::nullopt;
    case ActionKind::NoteDel:
        if (a.index >= lists.notes.size()) return std::nullopt;
        lists.notes.erase(lists.notes.begin() + a.index);
        save_state();
        return std::nullopt;
    case ActionKind::NotesClear:
        std::erase_if(lists.notes, [](const NoteItem& n) { return n.done; });
        save_state();
        return std::nullopt;
    case ActionKind::Field:
        if (!is_field(a.arg)) return std::nullopt;
        island.focus = static_cast<TextField>(a.arg);
        return effect::FocusIsland{};
    case ActionKind::FieldGo:
        if (!is_field(a.arg)) return std::nullopt;
        return submit_field(static_cast<TextField>(a.arg));
    case ActionKind::Res: return run_search_row(a.arg);
    case ActionKind::CalPrev:
        if (--island.cal_month < 1) {
            island.cal_month = 12;
            --island.cal_year;
        }
        return std::nullopt;
    case ActionKind::CalNext:
        if (++island.cal_month > 12) {
            island.cal_month = 1;
            ++island.cal_year;
        }
        return std::nullopt;
    case ActionKind::CalToday: {
        LocalTime t = local_time();
        island.cal_year = t.year;
        island.cal_month = t.month;
        return std::nullopt;
    }
    case ActionKind::Set: flip_setting(static_cast<SettingToggle>(a.arg)); return std::nullopt;
    case ActionKind::Size:
        if (a.arg == settings.size) return std::nullopt;
        settings.size = a.arg;
        drawing.scale = scale_for_size(settings.size);
        save_state();
        return effect::Reposition{};
    case ActionKind::Bubble:
        if (island.bubble_act == static_cast<uint8_t>(ActKind::Pomo)) timers.mode = 2;
        else if (island.bubble_act == static_cast<uint8_t>(ActKind::Watch)) timers.mode = 1;
        else timers.mode = 0;
        open_page(Page::Time);
        return std::nullopt;
    case ActionKind::TaskMgr: return open_url("taskmgr.exe");
    case ActionKind::RemDel:
        if (a.index >= lists.reminders.size()) return std::nullopt;
        lists.reminders.erase(lists.reminders.begin() + a.index);
        save_state();
        return std::nullopt;
    case ActionKind::Toast:
        if (a.index >= notifs.list.size()) return std::nullopt;
        return open_url(kAppsFolder + notifs.list[a.index].app_id);
    case ActionKind::ToastDel:
        if (a.index < notifs.list.size()) notifs.list.erase(notifs.list.begin() + a.index);
        return std::nullopt;
    case ActionKind::ToastClear:
        notifs.list.clear();
        notifs.scroll = 0;
        return std::nullopt;
    case ActionKind::SteamOpen: return open_url(kSteamTargets[a.arg % 4]);
    case ActionKind::SteamGame:
        if (a.index >= steam.snap.games.size()) return std::nullopt;
        return open_url(fmt::format("steam://rungameid/{}", steam.snap.games[a.index].app_id));
    case ActionKind::UpdateCheck:
        if (update.tx.send(UpdateRequest{})) update.status = "denetleniyor…";
        return std::nullopt;
    case ActionKind::GSignIn:
        send_google_command(gcmd::SignIn{});
        google.snap.status = "tarayıcıda giriş bekleniyor…";
        return std::nullopt;
    case ActionKind::GSignOut: send_google_command(gcmd::SignOut{}); return std::nullopt;
    case ActionKind::GRefresh:
        send_google_command(gcmd::Refresh{});
        show_info("Google yenileniyor", "");
        return std::nullopt;
    case ActionKind::GMail:
        if (a.index >= google.snap.mails.size()) return std::nullopt;
        return open_url(kGmailInbox + google.snap.mails[a.index].id);
    case ActionKind::GEvent: {
        if (a.index >= google.snap.events.size()) return std::nullopt;
        const std::string& link = google.snap.events[a.index].link;
        return open_url(link.empty() ? std::string(kCalendarHome) : link);
    }
    case ActionKind::GClear: send_google_command(gcmd::ClearChat{}); return std::nullopt;
    case ActionKind::Mic: start_voice(); return std::nullopt;
    case ActionKind::GSuggest:
        if (a.arg >= kSuggestions.size()) return std::nullopt;
        send_google_command(gcmd::Ask{kSuggestions[a.arg]});
        google.chat_follow = true;
        return std::nullopt;
    case ActionKind::GMailRead: {
        if (a.index >= google.snap.mails.size()) return std::nullopt;
        MailItem& mail = google.snap.mails[a.index];
        std::string id = mail.id;
        if (mail.unread) {
            mail.unread = false;
            if (google.snap.unread > 0) --google.snap.unread;
        }
        send_google_command(gcmd::MailRead{std::move(id)});
        return std::nullopt;
    }
    case ActionKind::GMailArchive: {
        if (a.index >= google.snap.mails.size()) return std::nullopt;
        MailItem mail = std::move(google.snap.mails[a.index]);
        google.snap.mails.erase(google.snap.mails.begin() + a.index);
        if (mail.unread && google.snap.unread > 0) --google.snap.unread;
        send_google_command(gcmd::MailArchive{std::move(mail.id)});
        return std::nullopt;
    }
    case ActionKind::GTab: google.tab = a.arg; return std::nullopt;
    case ActionKind::GTaskDone: {
        if (a.index >= google.snap.tasks.size()) return std::nullopt;
        std::string id = std::move(google.snap.tasks[a.index].id);
        google.snap.tasks.erase(google.snap.tasks.begin() + a.index);
        send_google_command(gcmd::TaskDone{std::move(id)});
        return std::nullopt;
    }
    case ActionKind::WakeTeach: start_wake_teaching(); return std::nullopt;
    case ActionKind::MicNext: {
        std::vector<std::string> names = microphone_names();
        if (names.empty()) return std::nullopt;
        auto it = std::find(names.begin(), names.end(), settings.mic);
        size_t next = it == names.end() ? 1 % names.size() : (static_cast<size_t>(it - names.begin()) + 1) % names.size();
        set_microphone(names[next]);
        return std::nullopt;
    }
    case ActionKind::MicTest:
        if (voice.mic_test || island.quiet) return std::nullopt;
        voice.mic_test_peak = 0;
        voice.mic_test = start_mic_capture();
        return std::nullopt;
    case ActionKind::Website: return open_url(kWebsite);
    case ActionKind::GCopy:
        if (a.index < google.snap.chat.size() && !island.quiet) set_clipboard_text(drawing.window, google.snap.chat[a.index].text);
        return std::nullopt;
    case ActionKind::GSpeak:
        if (a.index < google.snap.chat.size() && !island.quiet) start_speech_thread(google.snap.chat[a.index].text);
        return std::nullopt;
    case ActionKind::ClipAsk: ask_about_clip(a.index, a.arg); return std::nullopt;
    case ActionKind::NoteTask:
        if (a.index < lists.notes.size()) send_google_command(gcmd::AddTask{lists.notes[a.index].text});
        return std::nullopt;
    case ActionKind::None: return std::nullopt;
    }
    return std::nullopt;
}

// ---- Settings switches ------------------------------------------------------------------------

void App::flip_setting(SettingToggle t) {
    const SettingRow* row = setting_row(t);
    if (!row || !row->flag) return;  // no such switch
    bool& on = settings.*row->flag;
    on = !on;
    if (t == SettingToggle::Autostart && !island.quiet) set_autostart(on);
    save_state();
}

// ---- Lists: re-copying and forgetting clipboard entries ------------------------------------------

void App::forget_clip_picture(const ClipEntry& e) {
    if (drawing.renderer && std::holds_alternative<ClipEntry::Picture>(e.kind))
        drawing.renderer->forget_image(image_id(kImageOwnerClip, e.id));
}

void App::recopy_clip(uint16_t index) {
    if (index >= lists.clips.size()) return;
    // The watcher must not record the island's own write as a new copy.
    lists.ignore_clipboard_until = now + kClipRecopyIgnore;
    const ClipEntry& e = lists.clips[index];
    if (!island.quiet) {
        if (auto* t = std::get_if<ClipEntry::Text>(&e.kind)) {
            set_clipboard_text(drawing.window, t->text);
        } else if (auto* f = std::get_if<ClipEntry::Files>(&e.kind)) {
            set_clipboard_files(drawing.window, f->paths);
        } else if (auto* p = std::get_if<ClipEntry::Picture>(&e.kind)) {
            // Older entries keep only their thumbnail.
            const ImageRef& image = p->full ? p->full : p->thumbnail;
            if (image) set_clipboard_image(drawing.window, *image);
        }
    }
    ClipEntry moved = std::move(lists.clips[index]);
    lists.clips.erase(lists.clips.begin() + index);
    lists.clips.insert(lists.clips.begin(), std::move(moved));
    lists.clip_scroll = 0;
    close_island();
    notices.title = "Tekrar panoya alındı";
    notices.body.clear();
    show_hud(HudKind::Clipboard, kRecopyNoticeSeconds);
}

// ---- Text fields ------------------------------------------------------------------------------

std::optional<WindowEffect> App::submit_field(TextField f) {
    switch (f) {
    case TextField::Search: return run_search_row(search_page.sel);
    case TextField::Note: {
        std::string text(trim(lists.note_text));
        if (text.empty()) return std::nullopt;
        if (!add_reminder(text)) {
            lists.notes.insert(lists.notes.begin(), NoteItem{text, lists.next_id++, 0.0f, false});
            save_state();
        }
        lists.note_text.clear();
        lists.notes_scroll = 0;
        return std::nullopt;
    }
    case TextField::City: {
        std::string text(trim(settings.city_edit));
        if (text.empty()) return std::nullopt;
        settings.city = text;
        weather.tx.send(settings.city);
        weather.snap.loading = true;
        island.focus = TextField::None;
        save_state();
        return std::nullopt;
    }
    case TextField::Gemini: {
        std::string text(trim(google.gemini_text));
        if (text.empty()) return std::nullopt;
        google.gemini_text.clear();
        send_google_command(gcmd::Ask{std::move(text)});
        google.chat_follow = true;
        return std::nullopt;
    }
    default: return std::nullopt;
    }
}

// ---- The assistant: questions about clipboard entries ------------------------------------------

void App::ask_about_clip(uint16_t index, uint8_t mode) {
    if (index >= lists.clips.size()) return;
    const auto* t = std::get_if<ClipEntry::Text>(&lists.clips[index].kind);
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
    if (island.page != Page::Gemini) island.focus = TextField::None;
    island.page = island.remembered_page = Page::Gemini;
    drawing.redraw = true;
    send_google_command(gcmd::AskLabelled{std::move(label), std::move(prompt)});
    google.chat_follow = true;
}

// ---- Voice entry points of the settings page ------------------------------------------------

std::vector<std::string> App::microphone_names() {
    if (!(island.quiet && !voice.microphones.empty())) {
        voice.microphones.assign(1, std::string());  // the Windows default comes first
        for (auto& name : collect_input_device_names(0, input_device_count())) voice.microphones.push_back(std::move(name));
    }
    return voice.microphones;
}

void App::set_microphone(std::string name) {
    settings.mic = std::move(name);
    set_chosen_mic(settings.mic);
    wake_reload = true;  // the listener reopens on the new device
    save_state();
    const std::string shown = settings.mic.empty() ? std::string("Windows varsayılanı") : settings.mic;
    if (!island.quiet) write_log("mikrofon: " + shown);
    if (!island.open) show_info("Mikrofon", shown);
    drawing.redraw = true;
}

void App::start_wake_teaching() {
    if (!island.quiet) set_alarm_sound(false);
    if (voice.capture) {
        voice.capture->request_stop();
        voice.capture.reset();
    }
    close_island();  // saves when it was open
    voice.question.clear();
    voice.answer.clear();
    voice.level_history.fill(0);
    voice.hold_talk_start.reset();
    voice.teaching = WakeTeaching{};
    voice.teaching.takes.emplace();
    voice.teaching.next_take = now + kFirstTakeDelay;
    voice.state = VoiceState::Listening;
    show_hud(HudKind::Voice, kTeachingNoticeSeconds);
    drawing.redraw = true;
    if (!island.quiet) write_log("wake: öğretme başladı");
}
