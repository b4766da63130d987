// The wave-input device: waveIn polled without callbacks over a ring of
// prepared buffers. Results other than the open's are not examined.
#include <algorithm>
#include <vector>

#include "sys_win.h"
#include "voice.h"

#include <mmsystem.h>

namespace {

class WaveInDevice final : public MicDevice {
public:
    ~WaveInDevice() override { close(); }

    uint32_t open(uint32_t device, size_t buffers) override {
        close();
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 1;
        format.nSamplesPerSec = kSampleRate;
        format.nAvgBytesPerSec = kSampleRate * 2;
        format.nBlockAlign = 2;
        format.wBitsPerSample = 16;
        format.cbSize = 0;
        HWAVEIN handle = nullptr;
        MMRESULT rc = waveInOpen(&handle, device, &format, 0, 0, CALLBACK_NULL);
        if (rc != MMSYSERR_NOERROR) return rc;
        wave_ = handle;
        // Both arrays are sized once: the driver holds pointers into them.
        data_.assign(buffers * kMicBufferSamples, 0);
        headers_.assign(buffers, WAVEHDR{});
        for (size_t i = 0; i < buffers; ++i) {
            WAVEHDR& h = headers_[i];
            h.lpData = reinterpret_cast<LPSTR>(data_.data() + i * kMicBufferSamples);
            h.dwBufferLength = static_cast<DWORD>(kMicBufferSamples * 2);
            waveInPrepareHeader(wave_, &h, sizeof h);
            waveInAddBuffer(wave_, &h, sizeof h);
        }
        waveInStart(wave_);
        return 0;
    }

    bool take(size_t index, std::vector<int16_t>& out) override {
        if (!wave_ || index >= headers_.size()) return false;
        WAVEHDR& h = headers_[index];
        if (!(h.dwFlags & WHDR_DONE)) return false;
        const size_t n = std::min<size_t>(h.dwBytesRecorded / 2, kMicBufferSamples);
        const int16_t* from = data_.data() + index * kMicBufferSamples;
        out.assign(from, from + n);
        h.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
        waveInAddBuffer(wave_, &h, sizeof h);  // stays prepared
        return true;
    }

    void close() override {
        if (!wave_) return;
        waveInStop(wave_);
        waveInReset(wave_);
        for (WAVEHDR& h : headers_) waveInUnprepareHeader(wave_, &h, sizeof h);
        waveInClose(wave_);
        wave_ = nullptr;
        headers_.clear();
        data_.clear();
    }

    void sleep_ms(uint32_t ms) override { Sleep(ms); }

private:
    HWAVEIN wave_ = nullptr;
    std::vector<WAVEHDR> headers_;
    std::vector<int16_t> data_;
};

}  // namespace

std::unique_ptr<MicDevice> platform_mic_device() { return std::make_unique<WaveInDevice>(); }
