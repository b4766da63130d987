// One recording shared between its producer thread and the user interface.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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

// Removes "#", "*", "_" and "`" before a text is spoken.
std::string collect_speech_text(std::string_view text);
