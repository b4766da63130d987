// The wake-word listener: keeps the chosen microphone open while the wake word
// is on, feeds the streaming detector, and after a hit records the question
// that follows into a MicCapture handed to the island through the wake-hit slot.
#pragma once
#include <atomic>
#include <functional>
#include <optional>

#include "voice.h"
#include "wake.h"

constexpr size_t kWakeBuffers = 8;  // 0.8 s queued: a match may take that long

// What the listener reads and calls; the defaults are the process-wide ones.
struct WakeListenerHooks {
    std::atomic<bool>* enabled = &wake_enabled;
    std::atomic<bool>* reload = &wake_reload;
    std::atomic<bool>* paused = &wake_paused;
    std::function<std::optional<WakeModel>()> load_model = load_wake_model;
    std::function<uint32_t()> device = chosen_mic_device;
    // Tells the island a capture waits in the wake-hit slot (WM_APP_WAKE).
    std::function<void()> notify;
    // The loop runs while this holds; the real listener never ends.
    std::function<bool()> running = [] { return true; };
};

// The listener loop over `dev`.
void wake_listener(MicDevice& dev, const WakeListenerHooks& hooks);
// Starts the detached "wake" thread on the platform's microphone.
void start_wake_thread(std::function<void()> notify);
