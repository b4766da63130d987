// Native stand-in for speech output: there is no synthesiser, so nothing is spoken.
#include "voice.h"

Result<std::string> synthesize_speech(std::string_view, double) { return make_error("speech: no synthesiser here"); }

std::string turkish_voice_name() { return "Türkçe ses yok"; }

std::optional<std::vector<int16_t>> synthesize_pcm16k(std::string_view, double) { return std::nullopt; }

void start_speech_thread(std::string) {}
