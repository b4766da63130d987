// wake.bin: the trained wake word as "VWK1", the threshold, the template
// count and each template's frames, all little-endian.
#include <cstring>

#include "sys_log.h"
#include "sys_os.h"
#include "wake.h"

namespace {

constexpr char kMagic[4] = {'V', 'W', 'K', '1'};
constexpr uint64_t kFrameBytes = kMfccCount * 4;

void put_u32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void put_f32(std::string& out, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    put_u32(out, bits);
}
uint32_t get_u32(std::string_view b, uint64_t at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<uint8_t>(b[at + i])) << (8 * i);
    return v;
}
float get_f32(std::string_view b, uint64_t at) {
    uint32_t bits = get_u32(b, at);
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

}  // namespace

std::string wake_model_bytes(const WakeModel& model) {
    std::string out(kMagic, sizeof kMagic);
    put_f32(out, model.threshold);
    put_u32(out, static_cast<uint32_t>(model.templates.size()));
    for (const auto& t : model.templates) {
        put_u32(out, static_cast<uint32_t>(t.size()));
        for (const MfccFrame& f : t)
            for (float v : f) put_f32(out, v);
    }
    return out;
}

std::optional<WakeModel> parse_wake_model(std::string_view bytes) {
    const uint64_t size = bytes.size();
    if (size < 12 || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) return std::nullopt;
    WakeModel model;
    model.threshold = get_f32(bytes, 4);
    const uint32_t count = get_u32(bytes, 8);
    // A model without templates cannot match anything.
    if (count == 0) return std::nullopt;
    uint64_t pos = 12;
    for (uint32_t i = 0; i < std::min<uint32_t>(count, kWakeMaxTemplates); ++i) {
        if (size - pos < 4) return std::nullopt;
        const uint64_t frames = get_u32(bytes, pos);
        pos += 4;
        // Every frame the header claims must be there, the skipped ones too.
        if (frames * kFrameBytes > size - pos) return std::nullopt;
        WakeTemplate t(std::min<uint64_t>(frames, kWakeMaxFrames));
        for (size_t f = 0; f < t.size(); ++f)
            for (size_t k = 0; k < kMfccCount; ++k) t[f][k] = get_f32(bytes, pos + f * kFrameBytes + k * 4);
        pos += frames * kFrameBytes;
        model.templates.push_back(std::move(t));
    }
    return model;
}

Status save_wake_model(const WakeModel& model) {
    Status written = model.templates.empty() ? Status(make_error("wake: model has no templates"))
                                             : write_file_atomic(data_file("wake.bin"), wake_model_bytes(model));
    wake_reload = true;
    return written;
}

std::optional<WakeModel> load_wake_model() {
    std::optional<std::string> bytes = read_file(data_file("wake.bin"));
    if (!bytes) return std::nullopt;
    return parse_wake_model(*bytes);
}
