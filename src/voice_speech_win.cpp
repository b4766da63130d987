// Speech output on Windows: Windows.Media.SpeechSynthesis to a WAV file in
// memory, played from memory with PlaySound on a "tts" thread per utterance.
//
// Index
//   ABI interfaces (declared here where MinGW's headers stop)
//   Class names
//   Voice choice
//   Synthesis
//   Playing
#include "sys_win.h"

#include <inspectable.h>
#include <mmsystem.h>
#include <roapi.h>
#include <winstring.h>
#include <wrl/client.h>

#include "sys_shared.h"
#include "sys_thread.h"
#include "voice.h"

using Microsoft::WRL::ComPtr;

// ---- ABI interfaces --------------------------------------------------------------------------
//
// MinGW's Windows.Media.SpeechSynthesis header does not compile with GCC (its
// forward-declared enums), so the few interfaces are declared here. Slots
// follow the runtime metadata: IInspectable's six, then the methods in
// declaration order. Methods never called keep their slot with plain types.

namespace speech_abi {
constexpr IID kIidSynthesizer = {0xce9f7c76, 0x97f4, 0x4ced, {0xad, 0x68, 0xd5, 0x1c, 0x45, 0x8e, 0x45, 0xc6}};
constexpr IID kIidInstalledVoices = {0x7d526ecc, 0x7533, 0x4c3f, {0x85, 0xbe, 0x88, 0x8c, 0x2b, 0xae, 0xeb, 0xdc}};
constexpr IID kIidSynthesizer2 = {0xa7c5ecb2, 0x4339, 0x4d6a, {0xbb, 0xf8, 0xc7, 0xa4, 0xf1, 0x54, 0x4c, 0x2e}};
constexpr IID kIidOptions2 = {0x1cbef60e, 0x119c, 0x4bed, {0xb1, 0x18, 0xd2, 0x50, 0xc3, 0xa2, 0x57, 0x93}};
constexpr IID kIidRandomAccessStream = {0x905a0fe1, 0xbc53, 0x11df, {0x8c, 0x49, 0x00, 0x1e, 0x4f, 0xc6, 0x86, 0xda}};
constexpr IID kIidInputStream = {0x905a0fe2, 0xbc53, 0x11df, {0x8c, 0x49, 0x00, 0x1e, 0x4f, 0xc6, 0x86, 0xda}};
constexpr IID kIidDataReaderFactory = {0xd7527847, 0x57da, 0x4e15, {0x91, 0x4c, 0x06, 0x80, 0x66, 0x99, 0xa0, 0x98}};

// Windows.Media.SpeechSynthesis.IVoiceInformation
struct IVoiceInformation : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_DisplayName(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Id(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Language(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Description(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Gender(INT32* value) = 0;
};

// IVectorView<VoiceInformation>
struct IVoiceList : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE GetAt(UINT32 index, IVoiceInformation** item) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Size(UINT32* size) = 0;
    virtual HRESULT STDMETHODCALLTYPE IndexOf(IVoiceInformation* item, UINT32* index, boolean* found) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMany(UINT32 start, UINT32 capacity, IVoiceInformation** items, UINT32* count) = 0;
};

// Windows.Media.SpeechSynthesis.IInstalledVoicesStatic (a static of SpeechSynthesizer)
struct IInstalledVoicesStatic : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_AllVoices(IVoiceList** voices) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DefaultVoice(IVoiceInformation** voice) = 0;
};

// IAsyncOperation<SpeechSynthesisStream>; the stream is only queried for other interfaces.
struct IAsyncStream : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE put_Completed(IUnknown* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Completed(IUnknown** handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetResults(IInspectable** stream) = 0;
};

// Windows.Media.SpeechSynthesis.ISpeechSynthesizer
struct ISpeechSynthesizer : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE SynthesizeTextToStreamAsync(HSTRING text, IAsyncStream** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE SynthesizeSsmlToStreamAsync(HSTRING ssml, IAsyncStream** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Voice(IVoiceInformation* voice) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Voice(IVoiceInformation** voice) = 0;
};

// Windows.Media.SpeechSynthesis.ISpeechSynthesizer2
struct ISynthesizer2 : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Options(IInspectable** options) = 0;
};

// Windows.Media.SpeechSynthesis.ISpeechSynthesizerOptions2
struct IOptions2 : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_AudioVolume(double* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AudioVolume(double value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SpeakingRate(double* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_SpeakingRate(double value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AudioPitch(double* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AudioPitch(double value) = 0;
};

// Windows.Storage.Streams.IRandomAccessStream
struct IRandomAccessStream : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Size(UINT64* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Size(UINT64 value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInputStreamAt(UINT64 position, IInspectable** stream) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetOutputStreamAt(UINT64 position, IInspectable** stream) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Position(UINT64* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE Seek(UINT64 position) = 0;
    virtual HRESULT STDMETHODCALLTYPE CloneStream(IInspectable** stream) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CanRead(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CanWrite(boolean* value) = 0;
};

// IAsyncOperation<UInt32> (DataReaderLoadOperation)
struct ILoadOperation : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE put_Completed(IUnknown* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Completed(IUnknown** handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetResults(UINT32* loaded) = 0;
};

// Windows.Storage.Streams.IDataReader
struct IDataReader : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_UnconsumedBufferLength(UINT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_UnicodeEncoding(INT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_UnicodeEncoding(INT32 value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ByteOrder(INT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ByteOrder(INT32 value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_InputStreamOptions(UINT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_InputStreamOptions(UINT32 value) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReadByte(BYTE* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReadBytes(UINT32 length, BYTE* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReadBuffer(UINT32 length, IInspectable** buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReadBoolean(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReadGuid(GUID* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReadInt16(INT16* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReadInt32(INT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReadInt64(INT64* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReadUInt16(UINT16* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReadUInt32(UINT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReadUInt64(UINT64* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReadSingle(FLOAT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReadDouble(DOUBLE* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReadString(UINT32 length, HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReadDateTime(INT64* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReadTimeSpan(INT64* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE LoadAsync(UINT32 count, ILoadOperation** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE DetachBuffer(IInspectable** buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE DetachStream(IInspectable** stream) = 0;
};

// Windows.Storage.Streams.IDataReaderFactory
struct IDataReaderFactory : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE CreateDataReader(IInspectable* input, IDataReader** reader) = 0;
};
}  // namespace speech_abi

// ---- Class names ----------------------------------------------------------------------------

namespace {

const wchar_t kSynthesizerClass[] = L"Windows.Media.SpeechSynthesis.SpeechSynthesizer";
const wchar_t kDataReaderClass[] = L"Windows.Storage.Streams.DataReader";

// ---- Voice choice ---------------------------------------------------------------------------

// The installed voices with their names and languages; a failed read is empty text.
struct VoiceList {
    ComPtr<speech_abi::IVoiceList> list;
    std::vector<VoiceInfo> infos;
};

std::optional<VoiceList> installed_voices() {
    HstringRef cls(kSynthesizerClass);
    ComPtr<speech_abi::IInstalledVoicesStatic> statics;
    if (!cls.get() || FAILED(RoGetActivationFactory(cls.get(), speech_abi::kIidInstalledVoices,
                                                    reinterpret_cast<void**>(statics.GetAddressOf()))))
        return std::nullopt;
    VoiceList out;
    UINT32 count = 0;
    if (FAILED(statics->get_AllVoices(&out.list)) || !out.list || FAILED(out.list->get_Size(&count))) return std::nullopt;
    for (UINT32 i = 0; i < count; ++i) {
        VoiceInfo info;
        ComPtr<speech_abi::IVoiceInformation> voice;
        if (SUCCEEDED(out.list->GetAt(i, &voice)) && voice) {
            UniqueHstring name, lang;
            if (SUCCEEDED(voice->get_DisplayName(name.put()))) info.display_name = hstring_utf8(name.get());
            if (SUCCEEDED(voice->get_Language(lang.put()))) info.language = hstring_utf8(lang.get());
        }
        out.infos.push_back(std::move(info));
    }
    return out;
}

}  // namespace

std::string turkish_voice_name() {
    RuntimeInit runtime;
    std::optional<VoiceList> voices = installed_voices();
    if (!voices) return "Türkçe ses yok";
    std::optional<size_t> chosen = choose_turkish_voice(voices->infos);
    return chosen ? voices->infos[*chosen].display_name : "Türkçe ses yok";
}

// ---- Synthesis ------------------------------------------------------------------------------

namespace {

// The whole stream through a DataReader; its size is checked before the 32-bit load.
Result<std::string> read_whole_stream(IInspectable* stream) {
    ComPtr<speech_abi::IRandomAccessStream> random;
    HRESULT hr = stream->QueryInterface(speech_abi::kIidRandomAccessStream, reinterpret_cast<void**>(random.GetAddressOf()));
    if (FAILED(hr)) return win_error("IRandomAccessStream", hr);
    UINT64 size = 0;
    if (FAILED(hr = random->get_Size(&size))) return win_error("IRandomAccessStream::get_Size", hr);
    if (size > UINT32_MAX) return make_error("speech: stream too large");
    ComPtr<IInspectable> input;
    if (FAILED(hr = stream->QueryInterface(speech_abi::kIidInputStream, reinterpret_cast<void**>(input.GetAddressOf()))))
        return win_error("IInputStream", hr);
    HstringRef cls(kDataReaderClass);
    ComPtr<speech_abi::IDataReaderFactory> factory;
    if (FAILED(hr = RoGetActivationFactory(cls.get(), speech_abi::kIidDataReaderFactory,
                                           reinterpret_cast<void**>(factory.GetAddressOf()))))
        return win_error("RoGetActivationFactory(DataReader)", hr);
    ComPtr<speech_abi::IDataReader> reader;
    if (FAILED(hr = factory->CreateDataReader(input.Get(), &reader))) return win_error("CreateDataReader", hr);
    ComPtr<speech_abi::ILoadOperation> load;
    if (FAILED(hr = reader->LoadAsync(static_cast<UINT32>(size), &load))) return win_error("DataReader::LoadAsync", hr);
    if (!wait_async_completed(load.Get())) return make_error("speech: loading the stream failed");
    UINT32 loaded = 0;
    if (FAILED(hr = load->GetResults(&loaded))) return win_error("DataReader::LoadAsync", hr);
    // Only what was really loaded can be read.
    std::string bytes(std::min<UINT64>(loaded, size), '\0');
    if (!bytes.empty() &&
        FAILED(hr = reader->ReadBytes(static_cast<UINT32>(bytes.size()), reinterpret_cast<BYTE*>(bytes.data()))))
        return win_error("DataReader::ReadBytes", hr);
    return bytes;
}

void set_speaking_rate(speech_abi::ISpeechSynthesizer* synthesizer, double rate) {
    ComPtr<speech_abi::ISynthesizer2> s2;
    ComPtr<IInspectable> options;
    ComPtr<speech_abi::IOptions2> options2;
    if (FAILED(synthesizer->QueryInterface(speech_abi::kIidSynthesizer2, reinterpret_cast<void**>(s2.GetAddressOf()))) ||
        FAILED(s2->get_Options(&options)) || !options ||
        FAILED(options->QueryInterface(speech_abi::kIidOptions2, reinterpret_cast<void**>(options2.GetAddressOf()))))
        return;
    options2->put_SpeakingRate(rate);
}

}  // namespace

Result<std::string> synthesize_speech(std::string_view text, double rate) {
    HstringRef cls(kSynthesizerClass);
    ComPtr<IInspectable> instance;
    HRESULT hr = RoActivateInstance(cls.get(), &instance);
    if (FAILED(hr)) return win_error("RoActivateInstance(SpeechSynthesizer)", hr);
    ComPtr<speech_abi::ISpeechSynthesizer> synthesizer;
    if (FAILED(hr = instance->QueryInterface(speech_abi::kIidSynthesizer, reinterpret_cast<void**>(synthesizer.GetAddressOf()))))
        return win_error("ISpeechSynthesizer", hr);
    if (std::abs(rate - 1.0) > 0.01) set_speaking_rate(synthesizer.Get(), rate);

    if (std::optional<VoiceList> voices = installed_voices()) {
        if (std::optional<size_t> chosen = choose_turkish_voice(voices->infos)) {
            ComPtr<speech_abi::IVoiceInformation> voice;
            if (SUCCEEDED(voices->list->GetAt(static_cast<UINT32>(*chosen), &voice)) && voice)
                synthesizer->put_Voice(voice.Get());
        }
    }

    std::wstring wide = widen(text);
    HstringRef htext(wide.c_str(), static_cast<UINT32>(wide.size()));
    if (FAILED(hr = htext.result())) return win_error("WindowsCreateStringReference", hr);
    ComPtr<speech_abi::IAsyncStream> op;
    if (FAILED(hr = synthesizer->SynthesizeTextToStreamAsync(htext.get(), &op))) return win_error("SynthesizeTextToStreamAsync", hr);
    if (!wait_async_completed(op.Get())) return make_error("speech: synthesis failed");
    ComPtr<IInspectable> stream;
    if (FAILED(hr = op->GetResults(&stream)) || !stream) return win_error("SynthesizeTextToStreamAsync", FAILED(hr) ? hr : E_POINTER);
    return read_whole_stream(stream.Get());
}

std::optional<std::vector<int16_t>> synthesize_pcm16k(std::string_view text, double rate) {
    Result<std::string> wav = synthesize_speech(text, rate);
    if (!wav) return std::nullopt;
    return pcm16k_from_wav(*wav);
}

// ---- Playing --------------------------------------------------------------------------------

namespace {

// The bytes PlaySound is playing stay here until the next utterance replaces them.
Shared<std::string>& speech_wav() {
    static Shared<std::string> wav;
    return wav;
}

void speech_thread(const std::string& text) {
    RuntimeInit runtime;
    Result<std::string> wav = synthesize_speech(collect_speech_text(text), 1.0);
    if (!wav) return;
    speech_wav().with([&](std::string& playing) {
        PlaySoundW(nullptr, nullptr, SND_PURGE);
        playing = std::move(*wav);
        PlaySoundW(reinterpret_cast<LPCWSTR>(playing.data()), nullptr, SND_ASYNC | SND_NODEFAULT | SND_MEMORY);
    });
}

}  // namespace

void start_speech_thread(std::string text) {
    spawn_detached("tts", [text = std::move(text)] { speech_thread(text); });
}
