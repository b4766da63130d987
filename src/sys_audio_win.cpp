// Core Audio endpoint volume, the LCD panel's brightness control codes and
// PlaySound, for the user-interface thread (COM initialised by the caller).
//
// Index
//   Platform objects
//   Endpoint volume
//   Brightness
//   Sounds
#include <algorithm>
#include <atomic>
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

namespace {

// Counts the system's reports of device changes; they arrive on a thread of the
// audio service, so the count is atomic. Property changes are not counted: a
// level change is read by the poll itself.
class DeviceChangeCounter final : public IMMNotificationClient {
public:
    uint32_t changes() const { return count_.load(std::memory_order_acquire); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IMMNotificationClient)) {
            *out = static_cast<IMMNotificationClient*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return refs_.fetch_add(1) + 1; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = refs_.fetch_sub(1) - 1;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override { return changed(); }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return changed(); }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override { return changed(); }
    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow, ERole, LPCWSTR) override { return changed(); }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override { return S_OK; }

private:
    HRESULT changed() {
        count_.fetch_add(1, std::memory_order_release);
        return S_OK;
    }
    std::atomic<ULONG> refs_{1};
    std::atomic<uint32_t> count_{0};
};

}  // namespace

struct EndpointPlatform {
    ComPtr<IMMDeviceEnumerator> enumerator;  // created on first need and kept
    ComPtr<IAudioEndpointVolume> endpoint;   // from the last successful lookup
    ComPtr<DeviceChangeCounter> reports;     // registered with the enumerator, or empty
    uint32_t changes_seen = 0;               // the report count at the last lookup
    bool read_failed = false;                // the last read failed: timed lookups again

    EndpointPlatform() = default;
    EndpointPlatform(const EndpointPlatform&) = delete;
    EndpointPlatform& operator=(const EndpointPlatform&) = delete;
    ~EndpointPlatform() {
        if (enumerator && reports) enumerator->UnregisterEndpointNotificationCallback(reports.Get());
    }

    EndpointWatch watch() const {
        if (!reports || read_failed) return EndpointWatch::None;
        return reports->changes() != changes_seen ? EndpointWatch::Changed : EndpointWatch::Quiet;
    }
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
    switch (endpoint_cache_step(now, cache.refreshed_at, p.endpoint != nullptr, p.watch())) {
        case EndpointCacheStep::Unavailable: return nullptr;
        case EndpointCacheStep::UseCached: return p.endpoint;
        case EndpointCacheStep::Refresh: break;
    }
    cache.refreshed_at = now;
    p.endpoint.Reset();
    p.read_failed = false;
    if (!p.enumerator) {
        if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, IID_PPV_ARGS(&p.enumerator)))) {
            p.enumerator.Reset();
            return nullptr;
        }
        // Without the reports the lookup is repeated on a timer instead.
        ComPtr<DeviceChangeCounter> reports;
        reports.Attach(new DeviceChangeCounter());
        if (SUCCEEDED(p.enumerator->RegisterEndpointNotificationCallback(reports.Get()))) p.reports = reports;
    }
    if (p.reports) p.changes_seen = p.reports->changes();
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
    if (FAILED(v->GetMasterVolumeLevelScalar(&level)) || FAILED(v->GetMute(&muted))) {
        cache.platform->read_failed = true;  // a device gone without a report: look again in a while
        return std::nullopt;
    }
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
