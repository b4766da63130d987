// One recording shared between its producer thread and the user interface.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sys_result.h"
#include "sys_shared.h"

constexpr uint32_t kSampleRate = 16000;

struct MicCells {
    std::atomic<bool> stop{false};
    std::atomic<uint32_t> level_bits{0};  // f32 bits, 0..1
    std::atomic<bool> done{false};
    Shared<std::vector<int16_t>> samples;
    Shared<std::optional<std::string>> error;
};

struct MicCapture {
    std::shared_ptr<MicCells> cells = std::make_shared<MicCells>();
    double started = 0;  // monotonic seconds

    // The user-interface half and the producer half on the same cells.
    static std::pair<MicCapture, MicCapture> new_pair();

    float level() const;
    void set_level(float v) const;
    bool done() const { return cells->done.load(); }
    void request_stop() const { cells->stop.store(true); }
    // A poisoned lock reads as no error.
    std::optional<std::string> error() const;
    std::vector<int16_t> samples_copy() const;
    double recorded_seconds() const;
    // RIFF/WAVE, PCM 16 kHz mono 16-bit, 44-byte header.
    std::string wav_bytes() const;
};

// ---- Microphone capture (voice_mic*.cpp) ----------------------------------------------------

constexpr size_t kMicBufferSamples = 1600;  // 0.1 s per driver buffer
constexpr size_t kMicBuffers = 6;           // a recording keeps 0.6 s queued
constexpr uint32_t kWaveMapper = 0xFFFFFFFF;  // the system's default input

// A wave-input device polled without callbacks: a ring of buffers the driver
// fills in queue order. voice_mic_win.cpp drives waveIn; tests script one.
struct MicDevice {
    virtual ~MicDevice() = default;
    // Opens `device` for 16 kHz mono 16-bit input, queues `buffers` buffers of
    // 1 600 samples and starts; 0, or the driver's result code.
    virtual uint32_t open(uint32_t device, size_t buffers) = 0;
    // When the driver has finished buffer `index`: its recorded samples into
    // `out`, the buffer queued again, true. False while it is still filling.
    virtual bool take(size_t index, std::vector<int16_t>& out) = 0;
    // Stops, resets, unprepares and closes; nothing when not open.
    virtual void close() = 0;
    // The clock the polling loops run on (monotonic seconds, sleeping).
    virtual double now();
    virtual void sleep_ms(uint32_t ms);
};

// Makes the device a recording or the wake listener opens; tests replace the
// maker (an empty one restores the platform's).
using MicDeviceMaker = std::function<std::unique_ptr<MicDevice>()>;
void set_mic_device_maker(MicDeviceMaker maker);
std::unique_ptr<MicDevice> make_mic_device();
// The platform's device (waveIn on Windows; natively one that never opens).
std::unique_ptr<MicDevice> platform_mic_device();

// One recording into the producer half: noise-floor speech detection, ending
// 1.3 s after speech, at 25 s, or at 5 s when nothing was heard. Gives the
// capture's error text: none on success, "ses duyulmadı" or "mikrofon açılamadı (N)".
std::optional<std::string> mic_record(MicDevice& dev, uint32_t device, const MicCapture& producer);
// mic_record, then the outcome, level 0 and done, in that order.
void mic_thread(MicDevice& dev, const MicCapture& producer);
// A new recording on a "mic" thread; returns the user-interface half at once.
MicCapture start_mic_capture();

// The chosen microphone by name; "" is the system default.
void set_chosen_mic(std::string_view name);
std::string chosen_mic();
// The waveIn device whose name equals the chosen one (lowest id first);
// kWaveMapper for "" or a microphone that is no longer there.
uint32_t chosen_mic_device();

// The wake-hit slot: the recording the wake-word listener started after
// hearing the wake word, waiting for the island (WM_APP_WAKE).
void put_wake_hit(MicCapture capture);
// Takes the waiting recording out of the slot; none when empty.
std::optional<MicCapture> take_wake_hit();

// Removes "#", "*", "_" and "`" before a text is spoken.
std::string collect_speech_text(std::string_view text);

// ---- Speech output (voice_speech*.cpp) ------------------------------------------------------

// Little-endian byte pairs to samples; an odd last byte is ignored.
std::vector<int16_t> pcm16_from_bytes(std::string_view bytes);
// The mean of each group of `channels` samples; a shorter last group over its own length.
std::vector<float> downmix_to_mono(std::span<const int16_t> samples, uint32_t channels);
// Linear interpolation from `rate` to 16 kHz, clamped to 16 bits.
std::vector<int16_t> resample_to_16k(std::span<const float> mono, uint32_t rate);
// A RIFF/WAVE file of 16-bit PCM at any rate and channel count as 16 kHz mono;
// nothing for another format, a zero rate or no "data" chunk.
std::optional<std::vector<int16_t>> pcm16k_from_wav(std::string_view wav);

struct VoiceInfo {
    std::string display_name;
    std::string language;
};
// A voice named "Tolga", else the first whose language begins "tr"; nothing keeps the default.
std::optional<size_t> choose_turkish_voice(std::span<const VoiceInfo> voices);

// WAV bytes of the text in the chosen Turkish voice; `rate` 1.0 is normal speed.
Result<std::string> synthesize_speech(std::string_view text, double rate);
// The chosen voice's display name, or "Türkçe ses yok".
std::string turkish_voice_name();
// synthesize_speech as 16 kHz mono samples; nothing on any failure.
std::optional<std::vector<int16_t>> synthesize_pcm16k(std::string_view text, double rate);
// Speaks the text on a "tts" thread; a newer utterance cuts off the one playing.
void start_speech_thread(std::string text);
