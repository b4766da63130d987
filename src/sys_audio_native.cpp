// Native stand-ins: a fake machine with no audio devices, no panel and
// silent sounds until a test gives it some.
#include "sys_audio.h"
#include "sys_os.h"

FakeAudio& fake_audio() {
    static FakeAudio audio;
    return audio;
}

namespace {
// The device behind a cache; a cache stamped in the future (quiet mode) reaches none.
FakeAudioDevice* device_of(const EndpointVolumeCache& cache) {
    if (endpoint_cache_step(monotonic_seconds(), cache.refreshed_at, true) == EndpointCacheStep::Unavailable)
        return nullptr;
    auto& d = cache.flow == 1 ? fake_audio().mic : fake_audio().output;
    return d ? &*d : nullptr;
}
}  // namespace

std::optional<VolumeReading> get_master_volume(EndpointVolumeCache& cache) {
    const FakeAudioDevice* d = device_of(cache);
    if (!d) return std::nullopt;
    return VolumeReading{d->muted, d->level};
}

void endpoint_set_level(EndpointVolumeCache& cache, float level) {
    if (FakeAudioDevice* d = device_of(cache)) d->level = level;
}

void set_master_mute(EndpointVolumeCache& cache, bool muted) {
    if (FakeAudioDevice* d = device_of(cache)) d->muted = muted;
}

BrightnessDevice open_brightness_device() {
    BrightnessDevice device;
    const FakeAudio& a = fake_audio();
    if (!a.brightness_present) return device;
    device.present = true;
    device.levels = brightness_levels_from(a.brightness_levels.data(), a.brightness_levels.size());
    return device;
}

std::optional<float> query_brightness(const BrightnessDevice& device) {
    if (!device.present || !fake_audio().brightness) return std::nullopt;
    return brightness_of(*fake_audio().brightness);
}

void set_brightness(const BrightnessDevice& device, float level) {
    if (!device.present) return;
    uint8_t value = brightness_value_to_send(device.levels, level);
    fake_audio().brightness_sent.push_back(value);
    fake_audio().brightness = DisplayBrightness{3, value, value};
}

void set_alarm_sound(bool on) {
    FakeAudio& a = fake_audio();
    if (on) {
        a.alarm_looping = true;
        ++a.alarm_starts;
    } else {
        a.alarm_looping = false;
        ++a.purges;
    }
}

void play_notify_sound() {
    FakeAudio& a = fake_audio();
    a.alarm_looping = false;  // one sound at a time: it replaces a looping alarm
    ++a.notify_sounds;
}
