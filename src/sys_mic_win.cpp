#include "sys_mic.h"
#include "sys_win.h"

#include <mmsystem.h>

uint32_t input_device_count() { return waveInGetNumDevs(); }

std::optional<std::string> input_device_name(uint32_t device) {
    WAVEINCAPSW caps{};
    if (waveInGetDevCapsW(device, &caps, sizeof caps) != MMSYSERR_NOERROR) return std::nullopt;
    size_t n = 0;
    while (n < MAXPNAMELEN && caps.szPname[n] != L'\0') ++n;
    return narrow(std::wstring_view(caps.szPname, n));
}
