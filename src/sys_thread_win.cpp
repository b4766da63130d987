#include "sys_thread.h"
#include "sys_win.h"

void name_current_thread(const std::string& name) {
    // SetThreadDescription exists from Windows 10 1607; look it up so older
    // systems and Wine builds without it still start.
    using SetDesc = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    static const auto fn = reinterpret_cast<SetDesc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
    if (fn) fn(GetCurrentThread(), widen(name).c_str());
}
