// Remote commands over WM_COPYDATA: the client's one message to the running
// island, and the island's answer to it.
#include "main_remote.h"
#include "main_win.h"

int send_remote_command(uint8_t kind, std::string_view payload) {
    HWND island = FindWindowW(kIslandClassName, nullptr);
    if (!island) return 1;
    COPYDATASTRUCT cds{};
    cds.dwData = REMOTE_TAG | kind;
    cds.cbData = static_cast<DWORD>(payload.size());
    cds.lpData = const_cast<char*>(payload.data());
    LRESULT answer = SendMessageW(island, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
    return remote_exit_code(static_cast<intptr_t>(answer));
}

LRESULT answer_copy_data(LPARAM lp) {
    const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lp);
    if (!cds) return kRemoteRejected;
    std::optional<RemoteMessage> m = accept_copy_data(cds->dwData, cds->lpData, cds->cbData);
    if (!m) return kRemoteRejected;
    RemoteOutcome outcome = RemoteOutcome::Unavailable;
    with_app([&](App& app) { outcome = handle_remote_command(app, m->kind, m->text); });
    return outcome == RemoteOutcome::Handled ? kRemoteHandled : kRemoteNotHandled;
}
