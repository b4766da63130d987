// The media watcher on Windows: the session manager of Windows.Media.Control
// behind the MediaSessions interface, the shared runtime helpers of the two
// watchers (activation, reading a stream) and the "media" thread.
//
// Index
//   Runtime helpers
//   The session backend
//   The thread
#include "media_abi_win.h"

#include <mutex>

#include "media.h"
#include "sys_image.h"
#include "sys_os.h"
#include "sys_shell.h"
#include "sys_thread.h"

using Microsoft::WRL::ComPtr;

// ---- Runtime helpers ------------------------------------------------------------------------------

namespace winrt_abi {

namespace {
using GetFactoryFn = HRESULT(WINAPI*)(HSTRING, REFIID, void**);
const wchar_t kDataReaderClass[] = L"Windows.Storage.Streams.DataReader";

GetFactoryFn factory_function() {
    static GetFactoryFn fn = [] {
        HMODULE combase = LoadLibraryW(L"combase.dll");
        return combase ? reinterpret_cast<GetFactoryFn>(reinterpret_cast<void*>(GetProcAddress(combase, "RoGetActivationFactory")))
                       : nullptr;
    }();
    return fn;
}
}  // namespace

HRESULT runtime_factory(const wchar_t* class_name, const IID& iid, void** factory) {
    *factory = nullptr;
    GetFactoryFn fn = factory_function();
    if (!fn) return REGDB_E_CLASSNOTREG;
    HstringRef name(class_name);
    if (!name.get()) return FAILED(name.result()) ? name.result() : E_FAIL;
    return fn(name.get(), iid, factory);
}

std::optional<std::string> read_stream_reference(IStreamReference* reference, uint32_t max_bytes) {
    if (!reference) return std::nullopt;
    ComPtr<IAsyncOperationOf<IInspectable*>> open;
    ComPtr<IInspectable> stream;
    if (FAILED(reference->OpenReadAsync(&open)) || !await_result(open.Get(), stream.GetAddressOf()) || !stream)
        return std::nullopt;
    ComPtr<IRandomAccessStream> random;
    ComPtr<IInspectable> input;
    UINT64 size = 0;
    if (FAILED(stream->QueryInterface(iid_of<IRandomAccessStream>(), reinterpret_cast<void**>(random.GetAddressOf()))) ||
        FAILED(random->get_Size(&size)) ||
        FAILED(stream->QueryInterface(iid_of<IInputStream>(), reinterpret_cast<void**>(input.GetAddressOf()))))
        return std::nullopt;
    const auto count = static_cast<uint32_t>(size);  // the size as a 32-bit count
    if (count < 1 || count > max_bytes) return std::nullopt;
    ComPtr<IDataReaderFactory> factory;
    ComPtr<IDataReader> reader;
    ComPtr<IAsyncOperationOf<UINT32>> load;
    UINT32 loaded = 0;
    if (FAILED(runtime_factory(kDataReaderClass, factory)) || FAILED(factory->CreateDataReader(input.Get(), &reader)) ||
        !reader || FAILED(reader->LoadAsync(count, &load)) || !await_result(load.Get(), &loaded))
        return std::nullopt;
    std::string bytes(count, '\0');
    if (FAILED(reader->ReadBytes(count, reinterpret_cast<BYTE*>(bytes.data())))) return std::nullopt;
    return bytes;
}

}  // namespace winrt_abi

// ---- The session backend --------------------------------------------------------------------------

namespace {

using namespace winrt_abi;

const wchar_t kManagerClass[] = L"Windows.Media.Control.GlobalSystemMediaTransportControlsSessionManager";

std::optional<std::string> session_id(ISession* session) {
    return runtime_text([&](HSTRING* out) { return session->get_SourceAppUserModelId(out); });
}

ComPtr<IMediaProperties> media_properties(ISession* session) {
    ComPtr<IAsyncOperationOf<IMediaProperties*>> op;
    ComPtr<IMediaProperties> props;
    if (FAILED(session->TryGetMediaPropertiesAsync(&op)) || !await_result(op.Get(), props.GetAddressOf())) return nullptr;
    return props;
}

std::optional<INT32> playback_status(ISession* session, ComPtr<IPlaybackInfo>* info_out = nullptr) {
    ComPtr<IPlaybackInfo> info;
    INT32 status = 0;
    if (FAILED(session->GetPlaybackInfo(&info)) || !info || FAILED(info->get_PlaybackStatus(&status))) return std::nullopt;
    if (info_out) *info_out = info;
    return status;
}

bool flag(IPlaybackControls* controls, HRESULT (STDMETHODCALLTYPE IPlaybackControls::*getter)(boolean*), bool fallback) {
    boolean value = 0;
    if (!controls || FAILED((controls->*getter)(&value))) return fallback;
    return value != 0;
}

class RuntimeMediaSessions final : public MediaSessions {
public:
    bool has_manager() const override { return manager_ != nullptr; }

    bool request_manager() override {
        ComPtr<ISessionManagerStatics> statics;
        ComPtr<IAsyncOperationOf<ISessionManager*>> op;
        ComPtr<ISessionManager> manager;
        if (FAILED(runtime_factory(kManagerClass, statics)) || FAILED(statics->RequestAsync(&op)) ||
            !await_result(op.Get(), manager.GetAddressOf()) || !manager)
            return false;
        manager_ = manager;
        return true;
    }

    std::optional<std::vector<std::string>> session_ids() override {
        ComPtr<IVectorViewOf<ISession*>> list = sessions();
        if (!list) return std::nullopt;
        std::vector<std::string> ids;
        for (UINT32 i = 0;; ++i) {
            ComPtr<ISession> s;
            if (FAILED(list->GetAt(i, &s)) || !s) break;
            ids.push_back(session_id(s.Get()).value_or(std::string()));
        }
        listed_ = list;
        return ids;
    }

    std::vector<MediaSessionEntry> session_entries() override {
        std::vector<MediaSessionEntry> out;
        ComPtr<IVectorViewOf<ISession*>> list = sessions();
        if (!list) return out;
        for (UINT32 i = 0;; ++i) {
            ComPtr<ISession> s;
            if (FAILED(list->GetAt(i, &s)) || !s) break;
            MediaSessionEntry e;
            e.app_id = session_id(s.Get()).value_or(std::string());
            if (ComPtr<IMediaProperties> props = media_properties(s.Get()))
                e.title = runtime_text([&](HSTRING* t) { return props->get_Title(t); }).value_or(std::string());
            e.playing = playback_status(s.Get()).value_or(0) == kPlaybackPlaying;
            out.push_back(std::move(e));
        }
        return out;
    }

    bool pick_index(size_t index) override {
        picked_.Reset();
        return listed_ && SUCCEEDED(listed_->GetAt(static_cast<UINT32>(index), &picked_)) && picked_;
    }

    bool pick_current() override {
        picked_.Reset();
        return manager_ && SUCCEEDED(manager_->GetCurrentSession(&picked_)) && picked_;
    }

    MediaSessionRead read_picked() override {
        MediaSessionRead r;
        props_.Reset();
        if (!picked_) return r;
        r.source_id = session_id(picked_.Get()).value_or(std::string());
        ComPtr<IPlaybackInfo> info;
        std::optional<INT32> status = playback_status(picked_.Get(), &info);
        if (status) {
            r.status = *status;
            ComPtr<IPlaybackControls> controls;
            if (SUCCEEDED(info->get_Controls(&controls)) && controls) {
                r.can_prev = flag(controls.Get(), &IPlaybackControls::get_IsPreviousEnabled, true);
                r.can_next = flag(controls.Get(), &IPlaybackControls::get_IsNextEnabled, true);
                r.can_position = flag(controls.Get(), &IPlaybackControls::get_IsPlaybackPositionEnabled, false);
            }
        }
        props_ = media_properties(picked_.Get());
        if (props_) {
            r.title = runtime_text([&](HSTRING* t) { return props_->get_Title(t); }).value_or(std::string());
            r.artist = runtime_text([&](HSTRING* t) { return props_->get_Artist(t); }).value_or(std::string());
        }
        r.readable = status && props_;
        ComPtr<ITimelineProperties> timeline;
        if (SUCCEEDED(picked_->GetTimelineProperties(&timeline)) && timeline) {
            MediaTimelineTicks t;
            if (FAILED(timeline->get_StartTime(&t.start))) t.start = 0;
            if (FAILED(timeline->get_EndTime(&t.end))) t.end = 0;
            if (FAILED(timeline->get_Position(&t.position))) t.position = 0;
            if (FAILED(timeline->get_LastUpdatedTime(&t.last_updated))) t.last_updated = 0;
            r.timeline = t;
        }
        return r;
    }

    std::optional<std::string> read_thumbnail(uint32_t max_bytes) override {
        ComPtr<IStreamReference> thumb;
        if (!props_ || FAILED(props_->get_Thumbnail(&thumb)) || !thumb) return std::nullopt;
        return read_stream_reference(thumb.Get(), max_bytes);
    }

    void command(const MediaCommand& command) override {
        if (!picked_) return;
        ComPtr<IAsyncBool> op;
        HRESULT hr = E_FAIL;
        if (std::holds_alternative<media_cmd::TogglePlayPause>(command)) hr = picked_->TryTogglePlayPauseAsync(&op);
        else if (std::holds_alternative<media_cmd::Next>(command)) hr = picked_->TrySkipNextAsync(&op);
        else if (std::holds_alternative<media_cmd::Previous>(command)) hr = picked_->TrySkipPreviousAsync(&op);
        else if (const auto* seek = std::get_if<media_cmd::Seek>(&command))
            hr = picked_->TryChangePlaybackPositionAsync(seek_ticks(seek->position), &op);
        if (SUCCEEDED(hr) && op) wait_async_completed(op.Get());  // the answer is not looked at
    }

private:
    ComPtr<IVectorViewOf<ISession*>> sessions() {
        ComPtr<IVectorViewOf<ISession*>> list;
        if (!manager_ || FAILED(manager_->GetSessions(&list))) return nullptr;
        return list;
    }

    ComPtr<ISessionManager> manager_;
    ComPtr<IVectorViewOf<ISession*>> listed_;  // the list the last session_ids() read
    ComPtr<ISession> picked_;
    ComPtr<IMediaProperties> props_;           // of the last read_picked()
};

int64_t system_file_time() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

}  // namespace

// ---- The thread -----------------------------------------------------------------------------------

MediaWorker start_media_thread(void* window, uint32_t message) {
    MediaWorker worker{Shared<MediaSnapshot>(initial_media_snapshot()), {}};
    auto [tx, rx] = channel<MediaCommand>();
    worker.commands = tx;
    auto receiver = std::make_shared<Receiver<MediaCommand>>(std::move(rx));
    Shared<MediaSnapshot> state = worker.state;
    auto hwnd = static_cast<HWND>(window);
    spawn_detached("media", [state, receiver, hwnd, message] {
        RuntimeInit runtime;  // multithreaded; a failure is ignored
        RuntimeMediaSessions sessions;
        MediaWatcher w;
        w.sessions = &sessions;
        w.shared = state;
        w.config.monotonic = monotonic_seconds;
        w.config.file_time = system_file_time;
        w.config.sleep = [](int ms) { Sleep(static_cast<DWORD>(ms)); };
        w.config.send_key = [](uint16_t vk) { send_keys({vk}); };
        w.config.decode = decode_image;
        w.config.notify = [hwnd, message] { PostMessageW(hwnd, message, 0, 0); };  // a failed post is ignored
        media_watch_loop(w, *receiver);
    });
    return worker;
}
