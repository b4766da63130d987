// Remote commands on the island's side: payload splitting, the acceptance rule
// of the copy-data message and the commands run inside the App.
#include "main_remote.h"

#include <algorithm>

#include <fmt/format.h>

#include "app.h"
#include "sys_log.h"
#include "sys_text.h"

NotifyPayload split_notify_payload(std::string_view payload) {
    size_t cut = payload.find('\x01');
    if (cut == std::string_view::npos) return {std::string(payload), {}};
    return {std::string(payload.substr(0, cut)), std::string(payload.substr(cut + 1))};
}

AskPayload split_ask_payload(std::string_view payload) {
    if (!payload.empty() && payload.front() == '\x01') return {std::string(payload.substr(1)), true};
    return {std::string(payload), false};
}

namespace {

// The notice names the reminder just set, not whichever one is due last.
std::string added_reminder_text(const App& app, uint64_t id) {
    for (const ReminderItem& r : app.lists.reminders)
        if (r.id == id) return r.text;
    return app.lists.reminders.empty() ? std::string() : app.lists.reminders.back().text;
}

}  // namespace

RemoteOutcome handle_remote_command(App& app, uint8_t kind, std::string_view text) {
    switch (static_cast<RemoteKind>(kind)) {
        case RemoteKind::Notify: {
            NotifyPayload p = split_notify_payload(text);
            app.notify(p.title, p.body);
            return RemoteOutcome::Handled;
        }
        case RemoteKind::Remind: {
            uint64_t id = app.lists.next_id;
            std::optional<std::string> when = app.add_reminder(text);
            if (!when) return RemoteOutcome::NotHandled;
            app.notify("Hatırlatıcı kuruldu", added_reminder_text(app, id) + " · " + *when);
            write_log(fmt::format("hatirlatici: {} -> {}", text, *when));
            return RemoteOutcome::Handled;
        }
        case RemoteKind::CheckUpdate:
            app.request_update();
            write_log("update check requested");
            return RemoteOutcome::Handled;
        case RemoteKind::Assistant:
            app.start_voice();
            return RemoteOutcome::Handled;
        case RemoteKind::Ask: {
            AskPayload p = split_ask_payload(text);
            bool taken = app.ask_assistant(p.question, p.speak);
            write_log(fmt::format("sor: {} karakter -> {}", char_count(p.question), taken));
            return taken ? RemoteOutcome::Handled : RemoteOutcome::NotHandled;
        }
        case RemoteKind::GoogleSignIn:
            app.start_google_sign_in();
            write_log("google sign-in requested");
            return RemoteOutcome::Handled;
        case RemoteKind::TeachWake:
            app.start_wake_teaching();
            return RemoteOutcome::Handled;
    }
    return RemoteOutcome::NotHandled;
}

std::optional<RemoteMessage> accept_copy_data(uint64_t dw_data, const void* data, size_t size) {
    // An empty payload may arrive without a buffer; a stated length needs one.
    if (dw_data - REMOTE_TAG >= 256 || (!data && size > 0)) return std::nullopt;
    RemoteMessage m;
    m.kind = static_cast<uint8_t>(dw_data & 0xFF);
    if (!data) return m;
    m.text = sanitize_utf8(std::string_view(static_cast<const char*>(data), std::min(size, kRemoteMaxBytes)));
    return m;
}

int remote_exit_code(intptr_t answer) {
    if (answer == kRemoteHandled) return 0;
    if (answer == kRemoteRejected) return 1;
    return 2;
}
