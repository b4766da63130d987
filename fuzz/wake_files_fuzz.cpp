// libFuzzer target: the two binary readers of the voice chain, wake.bin and
// the synthesiser's WAV file, on any bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "voice.h"
#include "wake.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);

    if (auto model = parse_wake_model(bytes)) {
        if (model->templates.empty() || model->templates.size() > kWakeMaxTemplates) std::abort();
        for (const auto& t : model->templates)
            if (t.size() > kWakeMaxFrames) std::abort();
        // What was read writes back to a file that reads the same (compared as
        // bytes: the values may be NaNs).
        std::string bytes_out = wake_model_bytes(*model);
        auto again = parse_wake_model(bytes_out);
        if (!again || wake_model_bytes(*again) != bytes_out) std::abort();
    }

    if (auto pcm = pcm16k_from_wav(bytes)) {
        // Never more output than the data could give at the lowest rate.
        if (pcm->size() > size * 16000) std::abort();
    }
    return 0;
}
