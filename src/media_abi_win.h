// Windows Runtime ABI interfaces of the media and notification watchers,
// declared here because MinGW ships no Windows.Media.Control,
// Windows.UI.Notifications or Windows.ApplicationModel headers.
//
// Each interface lists IInspectable's six slots (inherited), then its
// methods in the order of the runtime metadata, including those never
// called, so every slot we call sits where the system puts it. Identifiers
// come from media_runtime_ids.h, which a native test holds against the
// published values.
//
// Index
//   Identifiers and plain ABI types
//   Generic shapes (async operation, vector, vector view)
//   Windows.Storage.Streams
//   Windows.Media.Control
//   Windows.UI.Notifications and Windows.ApplicationModel
//   Activation and helpers (media_win.cpp)
#pragma once
#include "sys_win.h"

#include <asyncinfo.h>
#include <inspectable.h>
#include <wrl/client.h>

#include <optional>
#include <string>

#include "media_runtime_ids.h"

namespace winrt_abi {

// ---- Identifiers and plain ABI types ------------------------------------------------------------

constexpr IID to_iid(const RuntimeIid& r) {
    return IID{r.data1, r.data2, r.data3, {r.data4[0], r.data4[1], r.data4[2], r.data4[3], r.data4[4], r.data4[5], r.data4[6], r.data4[7]}};
}
template <class T>
constexpr IID iid_of() { return to_iid(T::kId); }

using TimeSpanTicks = INT64;  // Windows.Foundation.TimeSpan: one 64-bit field
using DateTimeTicks = INT64;  // Windows.Foundation.DateTime: ticks since 1601 UTC
using EventToken = INT64;     // Windows.Foundation.EventRegistrationToken
struct Size { FLOAT width, height; };  // Windows.Foundation.Size, passed by value

// ---- Generic shapes -------------------------------------------------------------------------------
//
// The parameterised interfaces have computed identifiers; they are never
// asked for by identifier, only reached through typed results.

// IAsyncOperation<TResult>
template <class TResult>
struct IAsyncOperationOf : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE put_Completed(IUnknown* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Completed(IUnknown** handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetResults(TResult* results) = 0;
};

// IVectorView<T>
template <class T>
struct IVectorViewOf : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE GetAt(UINT32 index, T* item) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Size(UINT32* size) = 0;
    virtual HRESULT STDMETHODCALLTYPE IndexOf(T item, UINT32* index, boolean* found) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMany(UINT32 start, UINT32 capacity, T* items, UINT32* count) = 0;
};

// IVector<T>
template <class T>
struct IVectorOf : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE GetAt(UINT32 index, T* item) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Size(UINT32* size) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetView(IInspectable** view) = 0;
    virtual HRESULT STDMETHODCALLTYPE IndexOf(T item, UINT32* index, boolean* found) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAt(UINT32 index, T item) = 0;
    virtual HRESULT STDMETHODCALLTYPE InsertAt(UINT32 index, T item) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveAt(UINT32 index) = 0;
    virtual HRESULT STDMETHODCALLTYPE Append(T item) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveAtEnd() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clear() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMany(UINT32 start, UINT32 capacity, T* items, UINT32* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReplaceAll(UINT32 count, T* items) = 0;
};

using IAsyncBool = IAsyncOperationOf<boolean>;

// ---- Windows.Storage.Streams ----------------------------------------------------------------------

// IRandomAccessStream
struct IRandomAccessStream : IInspectable {
    static constexpr RuntimeIid kId = runtime_ids::kRandomAccessStream;
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

// IInputStream (only handed to the data reader)
struct IInputStream : IInspectable {
    static constexpr RuntimeIid kId = runtime_ids::kInputStream;
    virtual HRESULT STDMETHODCALLTYPE ReadAsync(IInspectable* buffer, UINT32 count, UINT32 options, IInspectable** operation) = 0;
};

// IRandomAccessStreamReference; the stream comes as IRandomAccessStreamWithContentType.
struct IStreamReference : IInspectable {
    static constexpr RuntimeIid kId = runtime_ids::kStreamReference;
    virtual HRESULT STDMETHODCALLTYPE OpenReadAsync(IAsyncOperationOf<IInspectable*>** operation) = 0;
};

// IDataReader
struct IDataReader : IInspectable {
    static constexpr RuntimeIid kId = runtime_ids::kDataReader;
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
    virtual HRESULT STDMETHODCALLTYPE ReadDateTime(DateTimeTicks* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReadTimeSpan(TimeSpanTicks* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE LoadAsync(UINT32 count, IAsyncOperationOf<UINT32>** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE DetachBuffer(IInspectable** buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE DetachStream(IInspectable** stream) = 0;
};

// IDataReaderFactory (the activation factory of DataReader)
struct IDataReaderFactory : IInspectable {
    static constexpr RuntimeIid kId = runtime_ids::kDataReaderFactory;
    virtual HRESULT STDMETHODCALLTYPE CreateDataReader(IInspectable* input, IDataReader** reader) = 0;
};

// ---- Windows.Media.Control ------------------------------------------------------------------------

// IGlobalSystemMediaTransportControlsSessionTimelineProperties
struct ITimelineProperties : IInspectable {
    static constexpr RuntimeIid kId = runtime_ids::kTimelineProperties;
    virtual HRESULT STDMETHODCALLTYPE get_StartTime(TimeSpanTicks* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_EndTime(TimeSpanTicks* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MinSeekTime(TimeSpanTicks* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MaxSeekTime(TimeSpanTicks* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Position(TimeSpanTicks* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LastUpdatedTime(DateTimeTicks* value) = 0;
};

// IGlobalSystemMediaTransportControlsSessionPlaybackControls
struct IPlaybackControls : IInspectable {
    static constexpr RuntimeIid kId = runtime_ids::kPlaybackControls;
    virtual HRESULT STDMETHODCALLTYPE get_IsPlayEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsPauseEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsStopEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsRecordEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsFastForwardEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsRewindEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsNextEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsPreviousEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsChannelUpEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsChannelDownEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsPlayPauseToggleEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsShuffleEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsRepeatEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsPlaybackRateEnabled(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsPlaybackPositionEnabled(boolean* value) = 0;
};

// IGlobalSystemMediaTransportControlsSessionPlaybackInfo
struct IPlaybackInfo : IInspectable {
    static constexpr RuntimeIid kId = runtime_ids::kPlaybackInfo;
    virtual HRESULT STDMETHODCALLTYPE get_Controls(IPlaybackControls** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PlaybackStatus(INT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PlaybackType(IInspectable** value) = 0;     // IReference<MediaPlaybackType>
    virtual HRESULT STDMETHODCALLTYPE get_AutoRepeatMode(IInspectable** value) = 0;   // IReference<...>
    virtual HRESULT STDMETHODCALLTYPE get_PlaybackRate(IInspectable** value) = 0;     // IReference<Double>
    virtual HRESULT STDMETHODCALLTYPE get_IsShuffleActive(IInspectable** value) = 0;  // IReference<Boolean>
};

// IGlobalSystemMediaTransportControlsSessionMediaProperties
struct IMediaProperties : IInspectable {
    static constexpr RuntimeIid kId = runtime_ids::kMediaProperties;
    virtual HRESULT STDMETHODCALLTYPE get_Title(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Subtitle(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AlbumArtist(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Artist(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AlbumTitle(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_TrackNumber(INT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Genres(IInspectable** value) = 0;        // IVectorView<String>
    virtual HRESULT STDMETHODCALLTYPE get_AlbumTrackCount(INT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PlaybackType(IInspectable** value) = 0;  // IReference<MediaPlaybackType>
    virtual HRESULT STDMETHODCALLTYPE get_Thumbnail(IStreamReference** value) = 0;
};

// IGlobalSystemMediaTransportControlsSession
struct ISession : IInspectable {
    static constexpr RuntimeIid kId = runtime_ids::kSession;
    virtual HRESULT STDMETHODCALLTYPE get_SourceAppUserModelId(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryGetMediaPropertiesAsync(IAsyncOperationOf<IMediaProperties*>** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTimelineProperties(ITimelineProperties** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPlaybackInfo(IPlaybackInfo** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryPlayAsync(IAsyncBool** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryPauseAsync(IAsyncBool** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryStopAsync(IAsyncBool** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryRecordAsync(IAsyncBool** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryFastForwardAsync(IAsyncBool** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryRewindAsync(IAsyncBool** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE TrySkipNextAsync(IAsyncBool** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE TrySkipPreviousAsync(IAsyncBool** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryChangeChannelUpAsync(IAsyncBool** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryChangeChannelDownAsync(IAsyncBool** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryTogglePlayPauseAsync(IAsyncBool** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryChangeAutoRepeatModeAsync(INT32 mode, IAsyncBool** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryChangePlaybackRateAsync(DOUBLE rate, IAsyncBool** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryChangeShuffleActiveAsync(boolean active, IAsyncBool** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryChangePlaybackPositionAsync(INT64 position, IAsyncBool** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_TimelinePropertiesChanged(IUnknown* handler, EventToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_TimelinePropertiesChanged(EventToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_PlaybackInfoChanged(IUnknown* handler, EventToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_PlaybackInfoChanged(EventToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_MediaPropertiesChanged(IUnknown* handler, EventToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_MediaPropertiesChanged(EventToken token) = 0;
};

// IGlobalSystemMediaTransportControlsSessionManager
struct ISessionManager : IInspectable {
    static constexpr RuntimeIid kId = runtime_ids::kSessionManager;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentSession(ISession** session) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSessions(IVectorViewOf<ISession*>** sessions) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_CurrentSessionChanged(IUnknown* handler, EventToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_CurrentSessionChanged(EventToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_SessionsChanged(IUnknown* handler, EventToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_SessionsChanged(EventToken token) = 0;
};

// IGlobalSystemMediaTransportControlsSessionManagerStatics (activation factory)
struct ISessionManagerStatics : IInspectable {
    static constexpr RuntimeIid kId = runtime_ids::kSessionManagerStatics;
    virtual HRESULT STDMETHODCALLTYPE RequestAsync(IAsyncOperationOf<ISessionManager*>** operation) = 0;
};

// ---- Windows.UI.Notifications and Windows.ApplicationModel --------------------------------------

// Windows.ApplicationModel.IAppDisplayInfo
struct IAppDisplayInfo : IInspectable {
    static constexpr RuntimeIid kId = runtime_ids::kAppDisplayInfo;
    virtual HRESULT STDMETHODCALLTYPE get_DisplayName(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Description(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetLogo(Size size, IStreamReference** logo) = 0;
};

// Windows.ApplicationModel.IAppInfo
struct IAppInfo : IInspectable {
    static constexpr RuntimeIid kId = runtime_ids::kAppInfo;
    virtual HRESULT STDMETHODCALLTYPE get_Id(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AppUserModelId(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DisplayInfo(IAppDisplayInfo** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PackageFamilyName(HSTRING* value) = 0;
};

// Windows.UI.Notifications.IAdaptiveNotificationText
struct INotificationText : IInspectable {
    static constexpr RuntimeIid kId = runtime_ids::kNotificationText;
    virtual HRESULT STDMETHODCALLTYPE get_Text(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Text(HSTRING value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Language(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Language(HSTRING value) = 0;
};

// Windows.UI.Notifications.INotificationBinding
struct INotificationBinding : IInspectable {
    static constexpr RuntimeIid kId = runtime_ids::kNotificationBinding;
    virtual HRESULT STDMETHODCALLTYPE get_Template(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Template(HSTRING value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Language(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Language(HSTRING value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Hints(IInspectable** value) = 0;  // IMap<String, String>
    virtual HRESULT STDMETHODCALLTYPE GetTextElements(IVectorViewOf<INotificationText*>** texts) = 0;
};

// Windows.UI.Notifications.INotificationVisual
struct INotificationVisual : IInspectable {
    static constexpr RuntimeIid kId = runtime_ids::kNotificationVisual;
    virtual HRESULT STDMETHODCALLTYPE get_Language(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Language(HSTRING value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Bindings(IVectorOf<INotificationBinding*>** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBinding(HSTRING template_name, INotificationBinding** binding) = 0;
};

// Windows.UI.Notifications.INotification
struct INotification : IInspectable {
    static constexpr RuntimeIid kId = runtime_ids::kNotification;
    virtual HRESULT STDMETHODCALLTYPE get_ExpirationTime(IInspectable** value) = 0;  // IReference<DateTime>
    virtual HRESULT STDMETHODCALLTYPE put_ExpirationTime(IInspectable* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Visual(INotificationVisual** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Visual(INotificationVisual* value) = 0;
};

// Windows.UI.Notifications.IUserNotification
struct IUserNotification : IInspectable {
    static constexpr RuntimeIid kId = runtime_ids::kUserNotification;
    virtual HRESULT STDMETHODCALLTYPE get_Notification(INotification** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AppInfo(IAppInfo** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Id(UINT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CreationTime(DateTimeTicks* value) = 0;
};

// Windows.UI.Notifications.Management.IUserNotificationListener
struct IListener : IInspectable {
    static constexpr RuntimeIid kId = runtime_ids::kListener;
    virtual HRESULT STDMETHODCALLTYPE RequestAccessAsync(IAsyncOperationOf<INT32>** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAccessStatus(INT32* status) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_NotificationChanged(IUnknown* handler, EventToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_NotificationChanged(EventToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNotificationsAsync(UINT32 kinds,
                                                            IAsyncOperationOf<IVectorViewOf<IUserNotification*>*>** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNotification(UINT32 id, IUserNotification** notification) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearNotifications() = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveNotification(UINT32 id) = 0;
};

// Windows.UI.Notifications.Management.IUserNotificationListenerStatics
struct IListenerStatics : IInspectable {
    static constexpr RuntimeIid kId = runtime_ids::kListenerStatics;
    virtual HRESULT STDMETHODCALLTYPE get_Current(IListener** listener) = 0;
};

// Windows.UI.Notifications.IKnownNotificationBindingsStatics
struct IKnownBindingsStatics : IInspectable {
    static constexpr RuntimeIid kId = runtime_ids::kKnownBindingsStatics;
    virtual HRESULT STDMETHODCALLTYPE get_ToastGeneric(HSTRING* value) = 0;
};

constexpr INT32 kListenerAllowed = 1;   // UserNotificationListenerAccessStatus.Allowed
constexpr UINT32 kNotificationToast = 1;  // NotificationKinds.Toast

// ---- Activation and helpers (media_win.cpp) -----------------------------------------------------

// RoGetActivationFactory, looked up in combase.dll when first needed.
HRESULT runtime_factory(const wchar_t* class_name, const IID& iid, void** factory);
template <class T>
HRESULT runtime_factory(const wchar_t* class_name, Microsoft::WRL::ComPtr<T>& out) {
    return runtime_factory(class_name, iid_of<T>(), reinterpret_cast<void**>(out.ReleaseAndGetAddressOf()));
}

// Waits for an operation and takes its result; false when it failed.
template <class T>
bool await_result(IAsyncOperationOf<T>* operation, T* result) {
    return operation && wait_async_completed(operation) && SUCCEEDED(operation->GetResults(result));
}

// The whole stream behind a reference when its size is 1 .. max_bytes.
std::optional<std::string> read_stream_reference(IStreamReference* reference, uint32_t max_bytes);

// The UTF-8 text of a string getter's result; nothing when the call failed.
template <class Getter>
std::optional<std::string> runtime_text(Getter&& get) {
    UniqueHstring text;
    if (FAILED(get(text.put()))) return std::nullopt;
    return hstring_utf8(text.get());
}

}  // namespace winrt_abi
