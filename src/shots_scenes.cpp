// The script of the screenshot mode: scenes 01 to 49 on one App, in one fixed
// order, each starting from the state the previous one left. A scene is its
// set-up, its input (clicks found by Action, moves, typed text), its ticks, one
// shot and its checks; checks after a shot belong to that scene.
//
// Index
//   01-09 the closed island, home, dock, media and control centre
//   10-20 time, shelf, clipboard, notes, system, calendar, search, settings, browsers
//   36-40 banners over browsers and games, notices, reminders
//   21-35 the heads-up notices
//   41-49 Steam, app notifications and the notifications page
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "gfx_geom.h"
#include "shots.h"
#include "shots_script.h"
#include "sys_os.h"
#include "sys_text.h"

namespace {

using Script = ShotScript;  // the input and reads of shots_script.h

MediaSnapshot playing_track() {
    MediaSnapshot m;
    m.title = "Gece Yarısı Treni";
    m.artist = "Vemo Band · Son Vagon";
    m.app = "Spotify";
    m.source_id = "Spotify.exe";
    m.sessions = {{"Spotify.exe", "Spotify", m.title, true}};
    m.position = 74;
    m.duration = 215;
    m.art = make_test_image(220);
    m.art_small = make_test_image(64);
    const std::array<float, 3> accent = accent_of(*m.art_small);
    for (int i = 0; i < 3; ++i) m.accent[i] = accent[static_cast<size_t>(i)];
    m.track_version = m.art_version = 1;
    m.has = m.playing = m.can_prev = m.can_next = m.can_seek = true;
    return m;
}

// ---- 01-09 -----------------------------------------------------------------------------------------

void closed_island_and_home(Script& s) {
    App& a = s.a;
    s.ticks(120);
    s.shot("01-idle");
    s.check("idle scene at start", s.mode_is(IslandMode::idle()));

    (void)a.on_pointer_move(kIslandCentreX, kIslandTop + 17);
    s.ticks(120);
    s.shot("02-peek-hover");
    s.check("hover shows peek (time · weather · battery)", s.mode_is(IslandMode::peek()));

    s.ticks(96);
    s.media([](MediaSnapshot& m) { m = playing_track(); });
    s.ticks(120);
    s.shot("03-music-compact-glow");
    s.check("playing media shows music activity", s.mode_is(IslandMode::act(ActKind::Music)));

    a.timers.mode = 0;
    (void)a.act_time(Action::of(ActionKind::TToggle));
    s.ticks(144);
    s.shot("04-music-timer-bubble-mic-dot");
    s.check("timer becomes the bubble", a.island.bubble_act == static_cast<uint8_t>(ActKind::Timer));

    simulate_click(a, 450, 24);
    s.ticks(10);
    s.shot("05-expanding-midframe");

    s.ticks(120);
    s.shot("06-home");
    s.check("click opens the home page", s.mode_is(IslandMode::open(Page::Home)));

    if (const HitRegion* h = shot_region(a, Action::byte(ActionKind::Dock, static_cast<uint8_t>(Page::Media))))
        (void)a.on_pointer_move(h->rect.x + h->rect.w / 2, h->rect.y + h->rect.h / 2);
    else
        s.click(Action::byte(ActionKind::Dock, static_cast<uint8_t>(Page::Media)));  // reports the missing icon
    s.ticks(72);
    s.shot("07-dock-magnify");
    s.check("dock magnifies under the cursor", a.anim.tab_reveal.value > 0.9f);

    s.media([](MediaSnapshot& m) { m.position += 3; });
    s.dock(Page::Media);
    s.ticks(14);
    s.shot("08a-page-slide-midframe");
    s.ticks(120);
    s.shot("08-media");
    s.check("media page", s.mode_is(IslandMode::open(Page::Media)));

    s.dock(Page::Control);
    s.ticks(120);
    s.shot("09-control");
    bool volume_set = false;
    if (const HitRegion* h = shot_region(a, Action::byte(ActionKind::Slider, 0))) {
        const RectF r = h->rect;
        const float cy = r.y + r.h / 2;
        (void)a.on_pointer_move(r.x + r.w / 2, cy);
        (void)a.on_pointer_down(r.x + r.w / 2, cy);
        s.ticks(1);
        (void)a.on_pointer_move(r.x + 0.3f * r.w, cy);
        s.ticks(1);
        (void)a.on_click(r.x + 0.3f * r.w, cy);
        volume_set = std::fabs(a.audio.volume - 0.30f) <= 0.03f;
    } else {
        s.click(Action::byte(ActionKind::Slider, 0));
    }
    s.check("volume slider drag sets ~30 %", volume_set);
    const bool dark = a.settings.dark_mode;
    s.click(Action::byte(ActionKind::Tile, 2));
    s.check("dark-mode tile toggles", a.settings.dark_mode != dark);
    s.ticks(72);
    s.shot("09b-control-dark-toggled");
}

// ---- 10-20 ---------------------------------------------------------------------------------------

void pages_and_browsers(Script& s) {
    App& a = s.a;
    s.dock(Page::Time);
    s.ticks(120);
    s.shot("10-time-timer");

    s.click(Action::byte(ActionKind::TMode, 1));
    s.ticks(24);
    s.click(Action::of(ActionKind::TToggle));
    s.ticks(276);
    s.click(Action::of(ActionKind::Lap));
    s.ticks(168);
    s.click(Action::of(ActionKind::Lap));
    s.ticks(60);
    s.shot("11-time-stopwatch");
    s.check("stopwatch runs and records laps", a.timers.stopwatch.running && a.timers.stopwatch.laps.size() == 2);

    s.click(Action::byte(ActionKind::TMode, 2));
    s.ticks(24);
    s.click(Action::of(ActionKind::TToggle));
    s.ticks(120);
    s.shot("12-time-pomodoro");
    s.check("pomodoro starts", a.timers.pomo.running);

    a.on_drag_enter();
    a.on_drop(s.run.dropped);
    (void)a.on_pointer_move(kIslandCentreX, 120);
    s.ticks(120);
    s.shot("13-shelf");
    s.check("dropped files land on the shelf", a.lists.shelf.size() >= 3);

    auto clip = [&](ClipEntry e, const char* time) {
        e.time = time;
        e.id = a.lists.next_id++;
        a.lists.clips.push_back(std::move(e));
    };
    ImageRef picture = make_test_image(96);
    clip({"", ClipEntry::Text{"Yarınki toplantı 15:30'da, gündem: bütçe ve yol haritası. Bağlantı: "
                              "https://meet.google.com/abc-defg-hij"}, 0, false},
         "14:52");
    clip({"", ClipEntry::Files{{"C:\\Users\\a\\rapor.pdf"}}, 0, false}, "14:40");
    clip({"", ClipEntry::Files{{"C:\\Users\\a\\tablo.xlsx"}}, 0, false}, "14:31");
    clip({"", ClipEntry::Text{"cargo build --release"}, 0, false}, "14:05");
    clip({"", ClipEntry::Picture{picture, picture}, 0, false}, "13:48");
    s.open_page(Page::Clip);
    s.ticks(120);
    s.shot("14-clipboard-history");

    s.open_page(Page::Notes);
    s.ticks(24);
    s.focus(TextField::Note);
    for (const char* note : {"Süt ve ekmek al", "Rust ödevini bitir", "Annemi ara"}) {
        s.type(note);
        s.enter();
    }
    s.ticks(36);
    s.click(Action::at(ActionKind::Note, 0));
    s.ticks(120);
    s.shot("15-notes");
    s.check("notes are added with Enter and checked", a.lists.notes.size() == 3 && a.lists.notes[0].done);

    s.open_page(Page::System);
    s.ticks(120);
    s.shot("16-system");

    s.open_page(Page::Calendar);
    s.ticks(120);
    s.shot("17-calendar-weather");

    s.open_page(Page::Search);
    s.ticks(24);
    s.focus(TextField::Search);
    s.type("blue");
    s.ticks(120);
    s.shot("18-search-settings");
    bool settings_row = false;
    for (const SearchRow& r : a.search_page.rows) settings_row |= std::string_view(r.label) == "Windows Ayarları";
    s.check("search finds the Bluetooth settings page", settings_row);

    s.open_page(Page::Settings);
    s.ticks(120);
    s.shot("19-settings");
    s.check("settings show the microphone picker", s.offers(Action::of(ActionKind::MicNext)));
    const bool clip_hud = a.settings.clip_hud;
    s.click(Action::byte(ActionKind::Set, static_cast<uint8_t>(SettingToggle::ClipHud)));
    s.check("settings switch flips", a.settings.clip_hud != clip_hud);
    a.on_pointer_leave();
    s.ticks(168);
    s.check("mouse leave collapses", !a.island.open);
    s.foreground("C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe");
    s.ticks(120);
    s.check("hidden while Chrome is in front", s.visibility() < 0.02f);

    s.shot("20-chrome-hidden");
    s.foreground("C:\\Windows\\explorer.exe");
    s.ticks(120);
    s.check("back when another app is in front", s.visibility() > 0.98f);
    s.foreground("C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe");
    s.ticks(60);
    s.check("own window focus keeps the Chrome state", a.island.browser_front);
    s.foreground("C:\\Program Files\\Microsoft VS Code\\code.exe");
    s.ticks(96);
    static const std::pair<const char*, const char*> kBrowsers[] = {
        {"msedge.exe", "C:\\Program Files (x86)\\Microsoft\\Edge\\Application\\"},
        {"firefox.exe", "C:\\Program Files\\Mozilla Firefox\\"},
        {"opera.exe", "C:\\Users\\a\\AppData\\Local\\Programs\\Opera\\"},
        {"brave.exe", "C:\\Program Files\\BraveSoftware\\Brave-Browser\\Application\\"},
        {"vivaldi.exe", "C:\\Users\\a\\AppData\\Local\\Vivaldi\\Application\\"},
        {"VORTEX Browser.exe", "C:\\Program Files\\VORTEX\\"}};
    for (const auto& [exe, folder] : kBrowsers) {
        s.foreground((std::string(folder) + exe).c_str());
        s.ticks(96);
        s.check("hidden while " + std::string(exe) + " is in front", s.visibility() < 0.02f);
    }
    s.foreground("C:\\Users\\a\\AppData\\Local\\Discord\\app-1.0.9\\discord.exe");
    s.ticks(96);
    s.check("shown again in Discord", s.visibility() > 0.98f);
    s.foreground("C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe");
    s.ticks(120);
    a.show_level_hud(HudKind::Volume, a.audio.volume);
    s.ticks(72);
    s.check("volume banner shows over Chrome", s.mode_is(IslandMode::hud(HudKind::Volume)));
}

// ---- 36-40 ---------------------------------------------------------------------------------------

void banners_notices_reminders(Script& s) {
    App& a = s.a;
    s.shot("36-banner-over-chrome");
    s.ticks(180);
    s.check("island hides again after the banner", s.visibility() < 0.02f);
    a.island.fullscreen_front = true;
    a.show_level_hud(HudKind::Volume, a.audio.volume);
    s.ticks(72);
    s.check("banner shows over full-screen Chrome", s.visibility() > 0.9f);
    s.ticks(180);
    s.check("full-screen Chrome hides the idle island", s.visibility() < 0.02f);
    s.foreground("C:\\Program Files (x86)\\Steam\\steamapps\\common\\Counter-Strike Global Offensive\\game\\bin\\"
                 "win64\\cs2.exe");
    a.island.fullscreen_front = true;
    a.show_level_hud(HudKind::Volume, a.audio.volume);
    s.ticks(72);
    s.check("no banner over a full-screen game", s.visibility() < 0.02f);
    a.notify("Oyunda da gelir", "Özel bildirimler her zaman görünür");
    s.ticks(96);
    s.check("custom notification shows even in a game", s.visibility() > 0.9f);
    s.tap();
    s.ticks(120);
    a.island.fullscreen_front = false;
    s.foreground("C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe");
    s.ticks(60);
    a.notify("Yemek hazır!", "Annen çağırıyor · mutfak");
    a.notify("İkinci bildirim", "Sırada bekliyordu");
    s.ticks(120);
    s.check("notification shows over Chrome", s.visibility() > 0.9f && s.mode_is(IslandMode::hud(HudKind::Notice)));

    s.shot("37-notice");
    s.tap();
    s.ticks(120);
    s.check("tap shows the queued notification", s.hud_is(HudKind::Notice) && a.notices.title == "İkinci bildirim");

    s.tap();
    s.ticks(120);
    s.foreground("C:\\Program Files\\Microsoft VS Code\\code.exe");
    s.ticks(72);
    s.stop_timer_alarm();
    const size_t notes = a.lists.notes.size(), reminders = a.lists.reminders.size();
    s.open_page(Page::Notes);
    s.ticks(24);
    s.focus(TextField::Note);
    s.type("10 dk sonra su iç");
    s.enter();
    s.type("yarın 09:00 sınav");
    s.enter();
    s.ticks(120);
    s.shot("38-notes-reminders");
    s.check("time phrases become reminders, not notes",
            a.lists.reminders.size() == reminders + 2 && a.lists.notes.size() == notes);

    s.open_page(Page::Search);
    s.ticks(24);
    s.focus(TextField::Search);
    a.search_page.text.clear();
    a.update_search();
    s.type("30 dk sonra çamaşırı as");
    s.ticks(120);
    s.shot("39-search-reminder");
    s.check("search offers a reminder",
            !a.search_page.rows.empty() && a.search_page.rows[0].kind == SearchRowKind::Reminder);
    s.enter();
    s.check("Enter schedules it", a.lists.reminders.size() == reminders + 3);
    for (ReminderItem& r : a.lists.reminders)
        if (r.text.find("amaşır") != std::string::npos) r.due = a.wall_unix();
    std::stable_sort(a.lists.reminders.begin(), a.lists.reminders.end(),
                     [](const ReminderItem& x, const ReminderItem& y) { return x.due < y.due; });
    s.ticks(300);
    s.ticks(72);
    s.check("due reminder fires a notification", s.hud_is(HudKind::Notice) && a.notices.title == "Hatırlatma");

    s.shot("40-reminder-fired");
    s.tap();
    s.ticks(96);
}

// ---- 21-35 -----------------------------------------------------------------------------------------

void heads_up_notices(Script& s) {
    App& a = s.a;
    struct Hud {
        const char* name;
        HudKind kind;
        const char* title;
        const char* body;
    };
    static const Hud kHuds[] = {
        {"21-hud-volume", HudKind::Volume, nullptr, nullptr},
        {"22-hud-charging", HudKind::Battery, nullptr, nullptr},
        {"23-hud-low-battery", HudKind::LowBattery, nullptr, nullptr},
        {"24-hud-clipboard", HudKind::Clipboard, "Panoya kopyalandı", "https://github.com/vemo-app/vemo-island"},
        {"25-hud-image", HudKind::Image, "Görsel panoya kopyalandı", "1920 × 1080"},
        {"26-hud-track", HudKind::Track, nullptr, nullptr},
        {"27-hud-timer-done", HudKind::TimerDone, nullptr, nullptr},
        {"28-hud-pomodoro", HudKind::Pomo, "Mola zamanı!", "Kısa mola · 5 dk"},
        {"29-hud-caps", HudKind::Caps, nullptr, nullptr},
        {"30-hud-layout", HudKind::Layout, nullptr, nullptr},
        {"31-hud-mic", HudKind::Mic, nullptr, nullptr},
        {"32-hud-network", HudKind::Net, "Wi‑Fi bağlandı", "Ev_5G"},
        {"33-hud-download", HudKind::Download, "İndirme tamamlandı", "kurulum-2.0.zip"},
        {"34-hud-privacy", HudKind::Privacy, "Mikrofon kullanımda", "Discord"},
        {"35-hud-info", HudKind::Info, "Bluetooth açıldı", ""},
    };
    for (const Hud& h : kHuds) {
        if (h.title) a.notices.title = h.title;
        if (h.body) a.notices.body = h.body;
        switch (h.kind) {
            case HudKind::Volume: a.show_level_hud(h.kind, a.audio.volume); break;
            case HudKind::Battery:
                a.island.has_battery = true, a.island.on_ac = true, a.island.battery = 64;
                a.show_hud(h.kind);
                break;
            case HudKind::LowBattery:
                a.island.on_ac = false, a.island.battery = 12;
                a.show_hud(h.kind);
                break;
            case HudKind::Image:
                a.notices.picture = make_test_image(96);
                ++a.notices.serial;
                a.show_hud(h.kind);
                break;
            case HudKind::Pomo:
                // The focus phase ends; the break begins with its notice.
                a.timers.pomo.end = a.now;
                s.ticks(1);
                a.show_hud(h.kind);
                break;
            case HudKind::Caps:
                a.notices.caps_state = 1;
                a.show_hud(h.kind);
                break;
            default: a.show_hud(h.kind); break;
        }
        s.ticks(120);
        s.shot(h.name);
    }
    a.island.battery = 64, a.island.on_ac = true;
    s.stop_timer_alarm();
}

// ---- 41-49 -----------------------------------------------------------------------------------------

void steam_and_notifications(Script& s) {
    App& a = s.a;
    s.ticks(60);
    const int64_t now = a.wall_unix();
    std::vector<SteamGameEntry> games = make_fake_steam_games(
        {{"Counter-Strike 2", 412}, {"Rust", 96}, {"Euro Truck Simulator 2", 230}, {"Hollow Knight", 41}}, 0, now);
    a.steam.shared.with([&](SteamSnapshot& st) {
        st = SteamSnapshot{};
        st.found = st.client = true;
        st.persona = "vemo";
        st.games = games;
        st.game_count = static_cast<uint32_t>(games.size());
        for (const SteamGameEntry& g : games) st.total_size += g.size;
        SteamActiveDownload d;
        d.name = "Euro Truck Simulator 2";
        d.total = 18.4e9;
        d.done = 7.9e9;
        d.rate = 42.5e6;
        d.header = games[2].header;
        d.app_id = games[2].app_id;
        d.state = 3;
        st.active = d;
        st.events.push_back({SteamEvent::DownloadStarted, d.total, 0, d.name});
    });
    a.on_steam_update();
    s.media([](MediaSnapshot& m) { m = MediaSnapshot{}; });
    a.media.changed = -100;
    s.ticks(144);
    s.shot("41-steam-download-compact");
    s.check("Steam download is a live activity", s.mode_is(IslandMode::act(ActKind::Steam)));

    s.tap();
    s.ticks(120);
    s.shot("42-steam-download-page");
    s.check("tapping it opens the Steam page", s.mode_is(IslandMode::open(Page::Steam)));

    a.on_pointer_leave();
    s.ticks(96);
    a.steam.shared.with([&](SteamSnapshot& st) {
        const std::string name = st.active ? st.active->name : "";
        st.active.reset();
        st.events.push_back({SteamEvent::DownloadFinished, 0, 0, name});
        SteamPlaying p;
        p.name = games[0].name;
        p.started = now - 47 * 60;
        p.header = games[0].header;
        p.app_id = games[0].app_id;
        st.playing = p;
        st.events.push_back({SteamEvent::GameStarted, 0, 0, p.name});
    });
    a.on_steam_update();
    s.ticks(144);
    s.shot("43-steam-playing-compact");
    s.check("playing a game is a live activity", s.mode_is(IslandMode::act(ActKind::Game)));
    s.stop_timer_alarm();

    s.tap();
    s.ticks(120);
    s.shot("44-steam-playing-page");

    s.ticks(60);
    s.ticks(120);
    s.shot("45-steam-profile-page");

    a.on_pointer_leave();
    s.ticks(96);
    AppNotification discord;
    discord.app = "Discord";
    discord.app_id = "com.squirrel.Discord.Discord";
    discord.title = "Mert";
    discord.body = "akşam cs atalım mı? lobiyi kurdum";
    discord.time = "19:42";
    discord.id = 1;
    AppNotification whatsapp;
    whatsapp.app = "WhatsApp";
    whatsapp.app_id = "5319275A.WhatsAppDesktop_cv1g1gvanyjgm!App";
    whatsapp.title = "Annem";
    whatsapp.body = "Eve gelirken ekmek al";
    whatsapp.time = "19:43";
    whatsapp.id = 2;
    for (AppNotification* n : {&discord, &whatsapp}) {
        a.notifs.list.insert(a.notifs.list.begin(), *n);
        ++a.notifs.unread_badge;
        a.push_toast(*n);
    }
    s.ticks(120);
    s.shot("46-toast-discord");
    s.check("app notification banner", s.mode_is(IslandMode::hud(HudKind::Toast)));
    // A toast stays its full time; the waiting one follows when it ends.
    s.ticks(std::max(0, static_cast<int>(std::ceil((a.notices.until - a.now) * 120))));
    s.ticks(120);
    s.check("queued notification follows", s.hud_is(HudKind::Toast) && a.notifs.toast &&
                                               a.notifs.toast->app_id == whatsapp.app_id);

    s.shot("47-toast-whatsapp");
    s.stop_timer_alarm();

    // The banners leave; the island is opened on its page with the dock and its badge.
    for (int i = 0; i < 1200 && a.notices.shown; ++i) s.ticks(1);
    s.tap();
    s.ticks(120);
    s.shot("48-dock-badge");

    s.open_page(Page::Notifs);
    s.ticks(120);
    s.shot("49-notifications-page");
    s.check("opening the page clears the badge", a.notifs.unread_badge == 0);
}

}  // namespace

void run_shots_scenes(ShotsRun& run) {
    Script s{run, run.app};
    closed_island_and_home(s);
    pages_and_browsers(s);
    banners_notices_reminders(s);
    heads_up_notices(s);
    steam_and_notifications(s);
    s.ticks(96);
}
