// The recording handle shared by a "mic" thread (or the wake listener) and the island.
#include <cstring>

#include "sys_os.h"
#include "voice.h"

std::pair<MicCapture, MicCapture> MicCapture::new_pair() {
    MicCapture ui;
    ui.started = monotonic_seconds();
    MicCapture producer;
    producer.cells = ui.cells;
    producer.started = ui.started;
    return {ui, producer};
}

float MicCapture::level() const {
    uint32_t bits = cells->level_bits.load();
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

void MicCapture::set_level(float v) const {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    cells->level_bits.store(bits);
}

std::optional<std::string> MicCapture::error() const {
    std::optional<std::string> out;
    cells->error.with([&](std::optional<std::string>& e) { out = e; });
    return out;
}

std::vector<int16_t> MicCapture::samples_copy() const {
    std::vector<int16_t> out;
    cells->samples.with([&](std::vector<int16_t>& s) { out = s; });
    return out;
}

double MicCapture::recorded_seconds() const {
    double secs = 0;
    cells->samples.with([&](std::vector<int16_t>& s) { secs = static_cast<double>(s.size()) / kSampleRate; });
    return secs;
}

namespace {
void put_u32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void put_u16(std::string& out, uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}
}  // namespace

std::string MicCapture::wav_bytes() const {
    std::vector<int16_t> s = samples_copy();
    uint32_t n = static_cast<uint32_t>(s.size() * 2);
    std::string out;
    out.reserve(44 + n);
    out += "RIFF";
    put_u32(out, 36 + n);
    out += "WAVEfmt ";
    put_u32(out, 16);
    put_u16(out, 1);
    put_u16(out, 1);
    put_u32(out, kSampleRate);
    put_u32(out, kSampleRate * 2);
    put_u16(out, 2);
    put_u16(out, 16);
    out += "data";
    put_u32(out, n);
    for (int16_t v : s) put_u16(out, static_cast<uint16_t>(v));
    return out;
}

namespace {
Shared<std::optional<MicCapture>>& wake_hit_slot() {
    static Shared<std::optional<MicCapture>> slot;
    return slot;
}
}  // namespace

void put_wake_hit(MicCapture capture) {
    wake_hit_slot().with([&](std::optional<MicCapture>& s) { s = std::move(capture); });
}

std::optional<MicCapture> take_wake_hit() {
    std::optional<MicCapture> out;
    wake_hit_slot().with([&](std::optional<MicCapture>& s) { out.swap(s); });
    return out;
}

std::string collect_speech_text(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '#' && c != '*' && c != '_' && c != '`') out.push_back(c);
    return out;
}
