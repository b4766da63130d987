// Audio endpoint volume, display brightness and the island's sounds.
// The Windows implementation is sys_audio_win.cpp; the native stand-in
// (sys_audio_native.cpp) serves a fake machine that tests can set and that
// starts with every device unavailable. The rules that need no device
// (cache freshness, the unmute threshold, brightness level snapping) live in
// sys_audio.cpp and run on both.
//
// Index
//   Records
//   Endpoint volume
//   Brightness
//   Sounds
//   Native fake machine
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// ---- Records ------------------------------------------------------------------

// Platform objects behind the caches (COM interfaces, the panel's handle).
struct EndpointPlatform;
struct BrightnessPlatform;

struct EndpointVolumeCache {
    double refreshed_at = -60;  // monotonic seconds of the last lookup
    uint32_t flow = 0;          // 0 speakers, 1 microphone
    std::shared_ptr<EndpointPlatform> platform;
};

struct BrightnessDevice {
    bool present = false;
    std::shared_ptr<BrightnessPlatform> platform;
    std::vector<uint8_t> levels;  // ascending, no duplicates
};

struct VolumeReading {
    bool muted = false;
    float level = 0;  // 0..1
};

// The three bytes the panel answers a brightness query with (percent levels).
struct DisplayBrightness {
    uint8_t policy = 0;  // 2: the battery level is in force
    uint8_t ac = 0, dc = 0;
};

// ---- Endpoint volume ------------------------------------------------------------

// A lookup's result, found or not, is trusted this long (a later lookup picks up a new default device).
constexpr double kEndpointCacheSeconds = 3.0;
// Setting a level above this unmutes the device.
constexpr float kUnmuteAbove = 0.005f;

enum class EndpointCacheStep : uint8_t { Unavailable, UseCached, Refresh };
// What the system reports about audio devices: nothing (no report is
// registered, or the last read failed), no change since the last lookup, or a
// change (a device added, removed, or a new default).
enum class EndpointWatch : uint8_t { None, Quiet, Changed };
// What endpoint_volume does at monotonic time `now`: nothing before the
// stamp (a cache stamped in the future stays shut); with the system's device
// reports the cached interface (or nothing) until a change is reported, then a
// new lookup; without them the cached interface (or nothing, when that lookup
// failed) for kEndpointCacheSeconds after the stamp (inclusive), else a new lookup.
EndpointCacheStep endpoint_cache_step(double now, double refreshed_at, bool has_endpoint,
                                      EndpointWatch watch = EndpointWatch::None);

// Nothing when the device is unavailable or a read fails.
std::optional<VolumeReading> get_master_volume(EndpointVolumeCache& cache);
// Sets the level clamped to 0..1; a level above kUnmuteAbove also unmutes the device.
void set_master_volume(EndpointVolumeCache& cache, float level);
// Failures ignored.
void set_master_mute(EndpointVolumeCache& cache, bool muted);

// Platform layer under the two setters above (failures ignored).
void endpoint_set_level(EndpointVolumeCache& cache, float level);

// ---- Brightness ------------------------------------------------------------------

// Opens the panel's brightness device; not present when it cannot be opened.
BrightnessDevice open_brightness_device();
// The panel's current level 0..1, or nothing when the query fails.
std::optional<float> query_brightness(const BrightnessDevice& device);
// Sets the panel to the supported level nearest to `level`; does nothing without a device.
void set_brightness(const BrightnessDevice& device, float level);

// The battery level when policy 2 is in force, else the mains level, as 0..1.
float brightness_of(const DisplayBrightness& reading);
// The supported levels as reported: sorted, duplicates dropped.
std::vector<uint8_t> brightness_levels_from(const uint8_t* bytes, size_t count);
// The percent value to send for a level 0..1: the level rounded to a whole
// percent, then the nearest supported level (the lower one on a tie); the
// percent itself when no levels are known.
uint8_t brightness_value_to_send(const std::vector<uint8_t>& levels, float level);

// ---- Sounds ------------------------------------------------------------------------

// On: the alarm file in a loop (the notification alias once when the file is
// missing). Off: stops every sound of the process.
void set_alarm_sound(bool on);
// The calendar notification file once (the alias when it is missing).
void play_notify_sound();

// ---- Native fake machine -------------------------------------------------------------

#ifndef _WIN32
struct FakeAudioDevice {
    float level = 0;
    bool muted = false;
};

struct FakeAudio {
    std::optional<FakeAudioDevice> output, mic;  // none: no such device
    bool brightness_present = false;
    std::vector<uint8_t> brightness_levels;      // as the driver reports them
    std::optional<DisplayBrightness> brightness;  // none: the query fails
    std::vector<uint8_t> brightness_sent;
    bool alarm_looping = false;
    int alarm_starts = 0, notify_sounds = 0, purges = 0;
};
FakeAudio& fake_audio();
#endif
