// The native stand-in for the wave-input device: there is no microphone, so
// every open fails the way waveIn does without a capture device.
#include "voice.h"

namespace {

constexpr uint32_t kNoDriver = 6;  // MMSYSERR_NODRIVER

class NoMicDevice final : public MicDevice {
public:
    uint32_t open(uint32_t, size_t) override { return kNoDriver; }
    bool take(size_t, std::vector<int16_t>&) override { return false; }
    void close() override {}
};

}  // namespace

std::unique_ptr<MicDevice> platform_mic_device() { return std::make_unique<NoMicDevice>(); }
