// The notification watcher on Windows: Windows.UI.Notifications.Management's
// UserNotificationListener behind the NotificationListener interface, the
// notification database's file stamps, and the "notif" thread.
//
// Index
//   The listener backend
//   File stamps and clocks
//   The thread
#include "media_abi_win.h"

#include "notifications.h"
#include "sys_image.h"
#include "sys_os.h"
#include "sys_thread.h"

using Microsoft::WRL::ComPtr;
using namespace winrt_abi;

// ---- The listener backend -------------------------------------------------------------------------

namespace {

const wchar_t kListenerClass[] = L"Windows.UI.Notifications.Management.UserNotificationListener";
const wchar_t kKnownBindingsClass[] = L"Windows.UI.Notifications.KnownNotificationBindings";
constexpr FLOAT kLogoSide = 64;
constexpr uint32_t kLogoMaxBytes = 4'000'000;

HRESULT failed_or(HRESULT hr) { return FAILED(hr) ? hr : E_FAIL; }

// The binding that holds the toast's texts: the generic toast template, or else the first binding.
ComPtr<INotificationBinding> toast_binding(INotificationVisual* visual) {
    ComPtr<IKnownBindingsStatics> known;
    UniqueHstring generic;
    ComPtr<INotificationBinding> binding;
    if (SUCCEEDED(runtime_factory(kKnownBindingsClass, known)) && SUCCEEDED(known->get_ToastGeneric(generic.put())) &&
        SUCCEEDED(visual->GetBinding(generic.get(), &binding)) && binding)
        return binding;
    ComPtr<IVectorOf<INotificationBinding*>> all;
    binding.Reset();
    if (SUCCEEDED(visual->get_Bindings(&all)) && all && SUCCEEDED(all->GetAt(0, &binding)) && binding) return binding;
    return nullptr;
}

std::vector<std::string> toast_text_elements(IUserNotification* item) {
    std::vector<std::string> texts;
    ComPtr<INotification> notification;
    ComPtr<INotificationVisual> visual;
    if (FAILED(item->get_Notification(&notification)) || !notification || FAILED(notification->get_Visual(&visual)) || !visual)
        return texts;
    ComPtr<INotificationBinding> binding = toast_binding(visual.Get());
    ComPtr<IVectorViewOf<INotificationText*>> elements;
    UINT32 count = 0;
    if (!binding || FAILED(binding->GetTextElements(&elements)) || !elements || FAILED(elements->get_Size(&count)))
        return texts;
    for (UINT32 i = 0; i < count; ++i) {
        ComPtr<INotificationText> element;
        if (FAILED(elements->GetAt(i, &element)) || !element) continue;
        if (std::optional<std::string> t = runtime_text([&](HSTRING* out) { return element->get_Text(out); }))
            texts.push_back(std::move(*t));
    }
    return texts;
}

ImageRef notification_app_logo(IAppDisplayInfo* display) {
    if (!display) return nullptr;
    ComPtr<IStreamReference> logo;
    if (FAILED(display->GetLogo(Size{kLogoSide, kLogoSide}, &logo)) || !logo) return nullptr;
    std::optional<std::string> bytes = read_stream_reference(logo.Get(), kLogoMaxBytes);
    if (!bytes) return nullptr;
    std::optional<std::vector<Image>> images = decode_image(*bytes, {static_cast<uint32_t>(kLogoSide)});
    if (!images || images->empty()) return nullptr;
    return std::make_shared<const Image>(std::move(images->back()));
}

class RuntimeListener final : public NotificationListener {
public:
    ListenerStart start() override {
        ComPtr<IListenerStatics> statics;
        HRESULT hr = runtime_factory(kListenerClass, statics);
        if (SUCCEEDED(hr)) hr = statics->get_Current(&listener_);
        if (FAILED(hr) || !listener_) return {ListenerStart::NoListener, static_cast<uint32_t>(failed_or(hr))};

        ComPtr<IAsyncOperationOf<INT32>> op;
        INT32 status = 0;
        hr = listener_->RequestAccessAsync(&op);
        if (SUCCEEDED(hr) && op) {
            const bool completed = wait_async_completed(op.Get());
            hr = op->GetResults(&status);
            if (!completed) hr = failed_or(hr);
        } else {
            hr = failed_or(hr);
        }
        if (FAILED(hr)) return {ListenerStart::AccessFailed, static_cast<uint32_t>(hr)};
        if (status != kListenerAllowed) return {ListenerStart::Denied, 0};
        return {ListenerStart::Open, 0};
    }

    std::optional<std::vector<std::optional<uint32_t>>> read() override {
        list_.Reset();
        ComPtr<IAsyncOperationOf<IVectorViewOf<IUserNotification*>*>> op;
        UINT32 count = 0;
        if (!listener_ || FAILED(listener_->GetNotificationsAsync(kNotificationToast, &op)) ||
            !await_result(op.Get(), list_.GetAddressOf()) || !list_ || FAILED(list_->get_Size(&count)))
            return std::nullopt;
        std::vector<std::optional<uint32_t>> ids;
        for (UINT32 i = 0; i < count; ++i) {
            ComPtr<IUserNotification> item;
            UINT32 id = 0;
            if (SUCCEEDED(list_->GetAt(i, &item)) && item && SUCCEEDED(item->get_Id(&id))) ids.push_back(id);
            else ids.push_back(std::nullopt);
        }
        return ids;
    }

    RawNotification details(size_t position) override {
        RawNotification raw;
        ComPtr<IUserNotification> item = at(position);
        if (!item) return raw;
        ComPtr<IAppInfo> app;
        if (SUCCEEDED(item->get_AppInfo(&app)) && app) {
            raw.app_id = runtime_text([&](HSTRING* t) { return app->get_AppUserModelId(t); }).value_or(std::string());
            ComPtr<IAppDisplayInfo> display;
            if (SUCCEEDED(app->get_DisplayInfo(&display)) && display)
                raw.display_name = runtime_text([&](HSTRING* t) { return display->get_DisplayName(t); }).value_or(std::string());
        }
        raw.texts = toast_text_elements(item.Get());
        DateTimeTicks created = 0;
        if (SUCCEEDED(item->get_CreationTime(&created))) raw.created = created;
        return raw;
    }

    ImageRef logo(size_t position) override {
        ComPtr<IUserNotification> item = at(position);
        ComPtr<IAppInfo> app;
        ComPtr<IAppDisplayInfo> display;
        if (!item || FAILED(item->get_AppInfo(&app)) || !app || FAILED(app->get_DisplayInfo(&display))) return nullptr;
        return notification_app_logo(display.Get());
    }

private:
    ComPtr<IUserNotification> at(size_t position) {
        ComPtr<IUserNotification> item;
        if (!list_ || FAILED(list_->GetAt(static_cast<UINT32>(position), &item))) return nullptr;
        return item;
    }

    ComPtr<IListener> listener_;
    ComPtr<IVectorViewOf<IUserNotification*>> list_;  // of the last read
};

// ---- File stamps and clocks -----------------------------------------------------------------------

constexpr int64_t kFileTimeAt1970 = 116'444'736'000'000'000;  // ticks from 1601 to 1970
constexpr int64_t kTicksPerMs = 10'000;

std::optional<FileStamp> file_stamp(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    const auto ticks = static_cast<int64_t>((static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                            data.ftLastWriteTime.dwLowDateTime);
    const int64_t since_1970 = ticks - kFileTimeAt1970;
    FileStamp s;
    s.modified_ms = since_1970 >= 0 ? since_1970 / kTicksPerMs : -1 - (-1 - since_1970) / kTicksPerMs;
    s.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return s;
}

int64_t system_file_time() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

int local_seconds_of_day() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t.wHour * 3600 + t.wMinute * 60 + t.wSecond;
}

}  // namespace

// ---- The thread -----------------------------------------------------------------------------------

Shared<NotificationState> start_notification_thread(void* window, uint32_t message) {
    Shared<NotificationState> state(NotificationState{kNotifStarting, {}});
    auto hwnd = static_cast<HWND>(window);
    spawn_detached("notif", [state, hwnd, message] {
        RuntimeInit runtime;  // multithreaded; a failure is ignored
        RuntimeListener listener;
        NotificationWatcher w;
        w.listener = &listener;
        w.shared = state;
        w.config.monotonic = monotonic_seconds;
        w.config.file_time = system_file_time;
        w.config.local_seconds = local_seconds_of_day;
        w.config.sleep = [](int ms) { Sleep(static_cast<DWORD>(ms)); };
        w.config.notify = [hwnd, message] { PostMessageW(hwnd, message, 0, 0); };  // a failed post is ignored
        w.config.file_stamp = file_stamp;
        w.config.local_app_data = get_env("LOCALAPPDATA");
        notification_watch_loop(w);
    });
    return state;
}
