// Remote commands on the client's side: one WM_COPYDATA to the running island.
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
