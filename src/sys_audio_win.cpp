// Core Audio endpoint volume, the LCD panel's brightness control codes and
// PlaySound, for the user-interface thread (COM initialised by the caller).
//
// Index
//   Platform objects
//   Endpoint volume
//   Brightness
//   Sounds
#include <algorithm>
#include <memory>

#include "sys_audio.h"
#include "sys_os.h"
#include "sys_win.h"

#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <mmsystem.h>
#include <winioctl.h>
#include <ntddvdeo.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

// ---- Platform objects ------------------------------------------------------------

struct EndpointPlatform {
    ComPtr<IMMDeviceEnumerator> enumerator;  // created on first need and kept
    ComPtr<IAudioEndpointVolume> endpoint;   // from the last successful lookup
};

struct BrightnessPlatform {
    UniqueHandle handle;  // "\\.\LCD"
};

// ---- Endpoint volume ---------------------------------------------------------------

namespace {

// The endpoint's volume interface; a failed lookup leaves the cache empty so
// the next call tries again at once.
ComPtr<IAudioEndpointVolume> endpoint_volume(EndpointVolumeCache& cache) {
    if (!cache.platform) cache.platform = std::make_shared<EndpointPlatform>();
    EndpointPlatform& p = *cache.platform;
    double now = monotonic_seconds();
    switch (endpoint_cache_step(now, cache.refreshed_at, p.endpoint != nullptr)) {
        case EndpointCacheStep::Unavailable: return nullptr;
        case EndpointCacheStep::UseCached: return p.endpoint;
        case EndpointCacheStep::Refresh: break;
    }
    cache.refreshed_at = now;
    p.endpoint.Reset();
    if (!p.enumerator &&
        FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, IID_PPV_ARGS(&p.enumerator)))) {
        p.enumerator.Reset();
        return nullptr;
    }
    ComPtr<IMMDevice> device;
    if (FAILED(p.enumerator->GetDefaultAudioEndpoint(cache.flow == 1 ? eCapture : eRender, eConsole, &device)))
        return nullptr;
    ComPtr<IAudioEndpointVolume> volume;
    if (FAILED(device->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr,
                                reinterpret_cast<void**>(volume.GetAddressOf()))))
        return nullptr;
    p.endpoint = volume;
    return volume;
}

}  // namespace

std::optional<VolumeReading> get_master_volume(EndpointVolumeCache& cache) {
    ComPtr<IAudioEndpointVolume> v = endpoint_volume(cache);
    if (!v) return std::nullopt;
    float level = 0;
    BOOL muted = FALSE;
    if (FAILED(v->GetMasterVolumeLevelScalar(&level)) || FAILED(v->GetMute(&muted))) return std::nullopt;
    return VolumeReading{muted != FALSE, std::clamp(level, 0.0f, 1.0f)};
}

void endpoint_set_level(EndpointVolumeCache& cache, float level) {
    if (ComPtr<IAudioEndpointVolume> v = endpoint_volume(cache)) v->SetMasterVolumeLevelScalar(level, nullptr);
}

void set_master_mute(EndpointVolumeCache& cache, bool muted) {
    if (ComPtr<IAudioEndpointVolume> v = endpoint_volume(cache)) v->SetMute(muted ? TRUE : FALSE, nullptr);
}

// ---- Brightness ---------------------------------------------------------------------

namespace {
constexpr size_t kLevelBufferBytes = 256;
}

BrightnessDevice open_brightness_device() {
    BrightnessDevice device;
    UniqueHandle h(CreateFileW(L"\\\\.\\LCD", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr));
    if (!h.valid()) return device;
    uint8_t buf[kLevelBufferBytes] = {};
    DWORD got = 0;
    if (DeviceIoControl(h.get(), IOCTL_VIDEO_QUERY_SUPPORTED_BRIGHTNESS, nullptr, 0, buf, sizeof buf, &got, nullptr))
        device.levels = brightness_levels_from(buf, std::min<size_t>(got, kLevelBufferBytes));
    device.present = true;
    auto platform = std::make_shared<BrightnessPlatform>();
    platform->handle = std::move(h);
    device.platform = std::move(platform);
    return device;
}

std::optional<float> query_brightness(const BrightnessDevice& device) {
    if (!device.present || !device.platform) return std::nullopt;
    DISPLAY_BRIGHTNESS b = {};
    DWORD got = 0;
    if (!DeviceIoControl(device.platform->handle.get(), IOCTL_VIDEO_QUERY_DISPLAY_BRIGHTNESS, nullptr, 0, &b, sizeof b,
                         &got, nullptr) ||
        got < sizeof b)
        return std::nullopt;
    return brightness_of(DisplayBrightness{b.ucDisplayPolicy, b.ucACBrightness, b.ucDCBrightness});
}

void set_brightness(const BrightnessDevice& device, float level) {
    if (!device.present || !device.platform) return;
    UCHAR value = brightness_value_to_send(device.levels, level);
    DISPLAY_BRIGHTNESS b = {};
    b.ucDisplayPolicy = DISPLAYPOLICY_BOTH;
    b.ucACBrightness = value;
    b.ucDCBrightness = value;
    DWORD got = 0;
    DeviceIoControl(device.platform->handle.get(), IOCTL_VIDEO_SET_DISPLAY_BRIGHTNESS, &b, sizeof b, nullptr, 0, &got,
                    nullptr);
}

// ---- Sounds -----------------------------------------------------------------------------

namespace {
const char* kAlarmFile = "C:\\Windows\\Media\\Alarm01.wav";
const char* kNotifyFile = "C:\\Windows\\Media\\Windows Notify Calendar.wav";
const wchar_t* kFallbackAlias = L"SystemNotification";

// Plays the file when its metadata can be read, else the alias once.
void play_file_or_alias(const char* file, DWORD extra_flags) {
    if (file_info(file)) {
        PlaySoundW(widen(file).c_str(), nullptr, SND_FILENAME | SND_NODEFAULT | SND_ASYNC | extra_flags);
        return;
    }
    PlaySoundW(kFallbackAlias, nullptr, SND_ALIAS | SND_ASYNC);
}
}  // namespace

void set_alarm_sound(bool on) {
    if (on)
        play_file_or_alias(kAlarmFile, SND_LOOP);
    else
        PlaySoundW(nullptr, nullptr, SND_PURGE);
}

void play_notify_sound() { play_file_or_alias(kNotifyFile, 0); }
