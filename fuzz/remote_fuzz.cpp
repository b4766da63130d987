// libFuzzer target: a remote command as the window procedure receives it.
// Byte 0 picks the copy-data tag's low byte (or a wrong tag), byte 1 the
// buffer's presence; the rest is the payload, accepted, split and run in a
// quiet App.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "app.h"
#include "main_remote.h"
#include "sys_text.h"

namespace {

std::unique_ptr<App> quiet_app() {
    AppInit init;
    init.quiet = true;
    return std::make_unique<App>(std::move(init));
}

size_t count_lines_starting(std::string_view text, std::string_view start) {
    size_t n = 0;
    for (size_t pos = 0; pos < text.size();) {
        if (text.substr(pos, start.size()) == start) ++n;
        size_t nl = text.find('\n', pos);
        pos = nl == std::string_view::npos ? text.size() : nl + 1;
    }
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The reminder command writes to log.txt: keep it in a private folder.
    // tools/fuzz gives each target a folder in the build tree; otherwise a fresh one.
    if (getenv("VEMO_ISLAND_DATA")) return 0;
    static char dir[] = "/tmp/vemo-fuzz-remote-XXXXXX";
    if (!mkdtemp(dir)) std::abort();
    setenv("VEMO_ISLAND_DATA", dir, 1);
    return 0;
}

namespace {

// Every few thousand runs the log starts over, so a long run fills no disk.
void trim_log() {
    static unsigned runs = 0;
    if (++runs % 4096 == 0) std::remove((std::string(getenv("VEMO_ISLAND_DATA")) + "/log.txt").c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    trim_log();
    // Kinds 0-7 mostly, now and then a tag from outside the window of 256.
    const uint64_t dw_data = (data[0] & 0x80) ? (data[0] & 0x40 ? REMOTE_TAG - 1 - (data[0] & 0x3F) : REMOTE_TAG + 256 + data[0])
                                              : REMOTE_TAG + (data[0] & 0x07);
    const bool with_buffer = (data[1] & 1) != 0;
    const std::string_view payload(reinterpret_cast<const char*>(data + 2), size - 2);

    std::optional<RemoteMessage> m = accept_copy_data(dw_data, with_buffer ? payload.data() : nullptr, payload.size());
    const bool tagged = dw_data >= REMOTE_TAG && dw_data < REMOTE_TAG + 256;
    if (!tagged || (!with_buffer && !payload.empty())) {
        if (m) std::abort();
        return 0;
    }
    if (!m || m->kind != static_cast<uint8_t>(dw_data & 0xFF)) std::abort();
    const std::string_view read = payload.substr(0, with_buffer ? kRemoteMaxBytes : 0);
    if (m->text != sanitize_utf8(read) || !is_valid_utf8(m->text)) std::abort();

    // The splits lose nothing but their one separator.
    NotifyPayload n = split_notify_payload(m->text);
    if (n.title.find('\x01') != std::string::npos) std::abort();
    if (m->text.find('\x01') == std::string::npos ? n.title != m->text || !n.body.empty()
                                                    : n.title + '\x01' + n.body != m->text)
        std::abort();
    AskPayload a = split_ask_payload(m->text);
    if ((a.speak ? "\x01" + a.question : a.question) != m->text) std::abort();

    // The commands that need no worker thread: notice, reminder, update check, question.
    if (m->kind == 0 || m->kind == 1 || m->kind == 2 || m->kind == 3 || m->kind == 5) {
        std::unique_ptr<App> app = quiet_app();
        const size_t before = count_lines_starting(app->state_text(), "rem=");
        RemoteOutcome r = handle_remote_command(*app, m->kind, m->text);
        const size_t after = count_lines_starting(app->state_text(), "rem=");
        if (r == RemoteOutcome::Unavailable) std::abort();
        // Only a set reminder adds a line to the stored state, and only one.
        if (after != before + (m->kind == 2 && r == RemoteOutcome::Handled ? 1 : 0)) std::abort();
        if (m->kind == 0 && r != RemoteOutcome::NotHandled) std::abort();
        // Not signed in to Google: a question is never taken.
        if (m->kind == 5 && r != RemoteOutcome::NotHandled) std::abort();
    }
    return 0;
}
