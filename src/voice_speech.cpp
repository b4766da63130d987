// Speech output, the portable half: the voice choice and the conversion of
// the synthesiser's WAV file to 16 kHz mono samples.
#include <algorithm>
#include <cmath>

#include "voice.h"

namespace {

uint32_t le32(std::string_view b, uint64_t at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<uint8_t>(b[at + i])) << (8 * i);
    return v;
}
uint16_t le16(std::string_view b, uint64_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8));
}

}  // namespace

std::vector<int16_t> pcm16_from_bytes(std::string_view bytes) {
    std::vector<int16_t> out(bytes.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<int16_t>(le16(bytes, 2 * i));
    return out;
}

std::vector<float> downmix_to_mono(std::span<const int16_t> samples, uint32_t channels) {
    const size_t c = std::max<uint32_t>(channels, 1);
    std::vector<float> out;
    out.reserve((samples.size() + c - 1) / c);
    for (size_t i = 0; i < samples.size(); i += c) {
        const size_t end = std::min(samples.size(), i + c);
        float sum = 0;
        for (size_t j = i; j < end; ++j) sum += samples[j];
        out.push_back(sum / static_cast<float>(end - i));
    }
    return out;
}

std::vector<int16_t> resample_to_16k(std::span<const float> mono, uint32_t rate) {
    if (rate == 0) return {};
    const uint64_t length = static_cast<uint64_t>(mono.size()) * 16000 / rate;
    std::vector<int16_t> out(length);
    for (uint64_t i = 0; i < length; ++i) {
        const double h = static_cast<double>(rate) * static_cast<double>(i) / 16000.0;
        const double fk = std::floor(h);
        const uint64_t k = static_cast<uint64_t>(fk);
        const bool inside = k < mono.size();
        const double a = inside ? mono[k] : 0.0;
        const double b = k + 1 < mono.size() ? mono[k + 1] : a;
        const double v = std::clamp(a + (b - a) * (h - fk), -32768.0, 32767.0);
        out[i] = static_cast<int16_t>(v);
    }
    return out;
}

std::optional<std::vector<int16_t>> pcm16k_from_wav(std::string_view wav) {
    const uint64_t size = wav.size();
    if (size < 20 || wav.substr(0, 4) != "RIFF" || wav.substr(8, 4) != "WAVE") return std::nullopt;
    uint32_t rate = 0, channels = 1, bits = 16;
    uint64_t pos = 12;
    while (size - pos >= 8) {
        const std::string_view id = wav.substr(pos, 4);
        const uint64_t chunk = le32(wav, pos + 4);
        const uint64_t body_at = pos + 8;
        // The body is cut at the end of the data the file really has.
        const std::string_view body = wav.substr(body_at, std::min(chunk, size - body_at));
        if (id == "fmt " && body.size() >= 16) {
            channels = le16(body, 2);
            rate = le32(body, 4);
            bits = le16(body, 14);
        } else if (id == "data") {
            if (bits != 16 || rate == 0) return std::nullopt;
            std::vector<int16_t> pcm = pcm16_from_bytes(body.substr(0, body.size() & ~size_t{1}));
            return resample_to_16k(downmix_to_mono(pcm, std::max<uint32_t>(channels, 1)), rate);
        }
        const uint64_t next = body_at + chunk + (chunk & 1);
        if (next >= size) break;
        pos = next;
    }
    return std::nullopt;
}

std::optional<size_t> choose_turkish_voice(std::span<const VoiceInfo> voices) {
    std::optional<size_t> held;
    for (size_t i = 0; i < voices.size(); ++i) {
        if (voices[i].display_name.find("Tolga") != std::string::npos) return i;
        if (!held && voices[i].language.size() >= 2 && voices[i].language.starts_with("tr")) held = i;
    }
    return held;
}
