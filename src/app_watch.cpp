// What the background watchers, the update thread and the wake-word listener
// report: each handler copies its shared state under the watcher's mutex, takes
// out the lists that must arrive once, and raises its notices after the unlock.
//
// Index
//   Limits and helpers
//   Media
//   Weather
//   System monitor: network, privacy, downloads
//   Notifications
//   Steam
//   Update
//   Wake word
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "app.h"
#include "app_format.h"
#include "sys_audio.h"
#include "sys_image.h"
#include "sys_os.h"
#include "voice.h"

namespace {

// ---- Limits and helpers ------------------------------------------------------------------------------

constexpr size_t kNotificationsKept = 80;
constexpr size_t kRecentDownloadsKept = 8;
constexpr float kDownloadThumbSide = 44;  // island units; the thumbnail is taken at the renderer's scale
constexpr double kRestartDelay = 3.0;
constexpr double kWakeListenSeconds = 60.0;

std::string joined(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& n : names) {
        if (!out.empty()) out += ", ";
        out += n;
    }
    return out;
}

std::string local_clock_text(int64_t unix_seconds) {
    LocalTime lt;
    if (!local_time_of(unix_seconds, lt)) return "00:00";
    return fmt::format("{:02}:{:02}", lt.hour, lt.minute);
}


}  // namespace

// ---- Media -------------------------------------------------------------------------------------------------

void App::on_media_update() {
    MediaSnapshot fresh;
    if (!media.shared.with([&](MediaSnapshot& s) { fresh = s; })) return;

    const MediaSnapshot& old = media.snap;
    const bool was_seen = media.seen;
    if (media.seen && fresh.track_version != old.track_version && fresh.has && fresh.playing) {
        if (hud_gate()) show_hud(HudKind::Track, hud_seconds(HudKind::Track));
    }
    media.seen = true;
    if (fresh.art_version != old.art_version && drawing.renderer) {
        drawing.renderer->forget_image(image_id(kImageOwnerArtwork, old.art_version));
        drawing.renderer->forget_image(image_id(kImageOwnerSmallArtwork, old.art_version));
    }
    if (fresh.playing || old.playing) media.active = now;
    // A seek drag keeps the position the user is choosing.
    if (pointer.seek_drag) fresh.position = old.position;
    // The watcher reports every pass; an idle one that changed nothing needs no frame.
    const bool unchanged = was_seen && media_shows_same(fresh, old);
    media.snap = std::move(fresh);
    media.changed = now;
    if (!unchanged) drawing.redraw = true;
}

// ---- Weather -------------------------------------------------------------------------------------------------

void App::on_weather_update() {
    if (!weather.shared.with([&](WeatherSnapshot& s) { weather.snap = s; })) return;
    drawing.redraw = true;
}

// ---- System monitor: network, privacy, downloads ----------------------------------------------------------

void App::on_sysmon_update() {
    SysmonSnapshot fresh;
    const bool ok = sysmon.shared.with([&](SysmonSnapshot& s) {
        fresh = s;
        s.downloads.clear();  // each finished download reaches the island once
    });
    if (!ok) return;

    const SysmonSnapshot& old = sysmon.snap;
    if (!sysmon.seen) {
        sysmon.seen = true;
    } else {
        if (fresh.net_checked && old.net_checked && fresh.online != old.online) {
            if (fresh.online) {
                notices.title = fresh.wireless ? "Wi‑Fi bağlandı" : "İnternete bağlandı";
                notices.body = fresh.net_name;
            } else {
                notices.title = "İnternet bağlantısı yok";
                notices.body.clear();
            }
            if (hud_gate()) show_hud(HudKind::Net, hud_seconds(HudKind::Net));
        }
        const bool camera = fresh.cam_users.size() > sysmon.cam_users;
        const bool microphone = fresh.mic_users.size() > sysmon.mic_users;
        if (camera || microphone) {
            notices.title = camera ? "Kamera kullanımda" : "Mikrofon kullanımda";
            notices.body = joined(camera ? fresh.cam_users : fresh.mic_users);
            if (hud_gate()) show_hud(HudKind::Privacy, hud_seconds(HudKind::Privacy));
        }
    }
    sysmon.mic_users = fresh.mic_users.size();
    sysmon.cam_users = fresh.cam_users.size();

    if (!fresh.downloads.empty()) {
        const std::string clock = local_clock_text(wall_unix());
        for (const std::string& path : fresh.downloads)
            sysmon.recent.insert(sysmon.recent.begin(), RecentDownload{path_last_component(path), clock});
        if (sysmon.recent.size() > kRecentDownloadsKept) sysmon.recent.resize(kRecentDownloadsKept);
        if (settings.auto_shelf) add_to_shelf(fresh.downloads, true);
        if (settings.dl_hud) {
            const size_t n = fresh.downloads.size();
            notices.title = n == 1 ? std::string("İndirme tamamlandı") : fmt::format("{} dosya indirildi", n);
            notices.body = path_last_component(fresh.downloads.back());
            const float scale = drawing.renderer ? drawing.renderer->scale() : 1.0f;
            const auto side = static_cast<uint32_t>(std::lround(kDownloadThumbSide * scale));
            notices.picture = shell_thumbnail(fresh.downloads.back(), side, side, false);
            ++notices.serial;
            if (hud_gate()) show_hud(HudKind::Download, hud_seconds(HudKind::Download));
        }
    }

    sysmon.snap = std::move(fresh);
    if (island.open && (island.page == Page::Home || island.page == Page::Control || island.page == Page::System))
        drawing.redraw = true;
}

// ---- Notifications -------------------------------------------------------------------------------------------

void App::on_notifications_update() {
    std::vector<AppNotification> arrived;
    const bool ok = notifs.shared.with([&](NotificationState& s) {
        arrived.swap(s.items);
        notifs.status = s.status;
    });
    if (!ok) return;
    for (AppNotification& n : arrived) {
        notifs.list.insert(notifs.list.begin(), n);
        if (!settings.app_notif) continue;
        if (!island.open) {
            ++notifs.unread_badge;
            push_toast(std::move(n));
        } else if (island.page != Page::Notifs) {
            ++notifs.unread_badge;
        }
    }
    if (notifs.list.size() > kNotificationsKept) notifs.list.resize(kNotificationsKept);
    drawing.redraw = true;
}

// ---- Steam -------------------------------------------------------------------------------------------------------

void App::on_steam_update() {
    std::vector<SteamEvent> events;
    SteamSnapshot fresh;
    const bool ok = steam.shared.with([&](SteamSnapshot& s) {
        events.swap(s.events);
        fresh = s;
    });
    if (!ok) return;
    steam.found = fresh.found;
    steam.downloads = fresh.downloads;
    steam.download = fresh.active;
    steam.snap = std::move(fresh);

    for (const SteamEvent& e : events) {
        ImageRef picture;
        switch (e.kind) {
            case SteamEvent::DownloadStarted:
                notices.title = "Steam indirmesi başladı";
                notices.body = e.size > 0 ? fmt::format("{} · {}", e.name, format_bytes(static_cast<uint64_t>(e.size))) : e.name;
                break;
            case SteamEvent::DownloadFinished:
                notices.title = "İndirme bitti";
                notices.body = fmt::format("{} · oynamaya hazır", e.name);
                if (!island.quiet) play_notify_sound();
                break;
            case SteamEvent::GameStarted:
                notices.title = "Oyun başladı";
                notices.body = e.name;
                break;
            case SteamEvent::GameClosed:
                notices.title = "Oyun kapandı";
                notices.body = fmt::format("{} · {} oynadın", e.name, play_time_text(e.seconds));
                break;
        }
        if (e.kind == SteamEvent::GameStarted) {
            if (steam.snap.playing) picture = steam.snap.playing->header;
        } else if (steam.download) {
            picture = steam.download->header;
        }
        notices.picture = std::move(picture);
        ++notices.serial;
        if (hud_gate()) show_hud(HudKind::Steam, hud_seconds(HudKind::Steam));
    }
    drawing.redraw = true;
}

// ---- Update --------------------------------------------------------------------------------------------------------

void App::on_update_event() {
    std::string status, notes;
    std::optional<std::string> version;
    const bool ok = update.shared.with([&](UpdateState& s) {
        status = s.status;
        notes = s.notes;
        version = s.pending_version;
    });
    if (!ok) return;
    update.status = std::move(status);
    const bool restart_queued = std::any_of(effects.pending.begin(), effects.pending.end(), [](const PendingEffect& p) {
        return std::holds_alternative<effect::RestartAfterUpdate>(p.effect);
    });
    if (version && !restart_queued) {
        notify("Vemo Ada güncelleniyor",
               fmt::format("v{} · {}", *version, notes.empty() ? std::string("yeniden başlatılıyor") : notes));
        push_effect(effects.pending, PendingEffect{now + kRestartDelay, effect::RestartAfterUpdate{}});
    }
    drawing.redraw = true;
}

// ---- Wake word -------------------------------------------------------------------------------------------------------

void App::on_wake_heard() {
    std::optional<MicCapture> heard = take_wake_hit();
    if (!heard) return;
    if (voice.state != VoiceState::Idle || voice.teaching.takes) {
        heard->request_stop();
        return;
    }
    if (!google.snap.signed_in) {
        heard->request_stop();
        show_info("“Hey Google” duydum", "Önce Google ile bağlan (tepsi menüsü)");
        return;
    }
    if (!island.quiet) set_alarm_sound(false);
    if (island.open) close_island();
    voice.question.clear();
    voice.answer.clear();
    voice.outside = false;
    voice.speak = true;
    voice.level_history.fill(0);
    if (voice.capture) voice.capture->request_stop();
    voice.capture = std::move(heard);
    voice.state = VoiceState::Listening;
    show_hud(HudKind::Voice, kWakeListenSeconds);
    drawing.redraw = true;
    if (!island.quiet) play_notify_sound();
}
