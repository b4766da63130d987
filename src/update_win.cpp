// Self-update, Windows part: the running executable's path and the file
// operations of the swap, with the system's message text on failure.
#include "update.h"

#include <algorithm>

#include "sys_os.h"
#include "sys_win.h"

namespace {

Error system_error_text(DWORD code) {
    std::string text = system_message(code);
    if (text.empty()) text = "Windows error " + std::to_string(code);
    return make_error(text, static_cast<int32_t>(HRESULT_FROM_WIN32(code)));
}

Result<std::string> running_exe_path() {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return system_error_text(GetLastError());
        if (n < buf.size()) return narrow(std::wstring_view(buf.data(), n));
        if (buf.size() >= 32768) return system_error_text(ERROR_INSUFFICIENT_BUFFER);
        buf.resize(buf.size() * 2);
    }
}

Status write_whole_file(const std::string& path, std::string_view bytes) {
    UniqueHandle f(CreateFileW(widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.valid()) return system_error_text(GetLastError());
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        if (!WriteFile(f.get(), bytes.data() + done, want, &wrote, nullptr) || wrote == 0)
            return system_error_text(GetLastError());
        done += wrote;
    }
    return ok_status();
}

Status rename_path(const std::string& from, const std::string& to) {
    if (!MoveFileExW(widen(from).c_str(), widen(to).c_str(), 0)) return system_error_text(GetLastError());
    return ok_status();
}

}  // namespace

SwapFiles system_swap_files() {
    return SwapFiles{running_exe_path, write_whole_file, remove_file, rename_path};
}
