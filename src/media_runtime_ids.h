// Interface identifiers of the Windows Runtime interfaces that the media and
// notification watchers declare themselves (media_abi_win.h). Kept here, in
// portable form, so a native test can hold each against the published value.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

struct RuntimeIid {
    uint32_t data1;
    uint16_t data2, data3;
    uint8_t data4[8];
};

// "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx" in lower case.
std::string runtime_iid_text(const RuntimeIid& iid);

namespace runtime_ids_detail {
constexpr uint32_t hex_digit(char c) {
    if (c >= '0' && c <= '9') return static_cast<uint32_t>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<uint32_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<uint32_t>(c - 'A' + 10);
    throw "not a hexadecimal digit";  // in a constant expression: a compile error
}
constexpr uint32_t hex_field(const char* text, int from, int digits) {
    uint32_t v = 0;
    for (int i = 0; i < digits; ++i) v = v * 16 + hex_digit(text[from + i]);
    return v;
}
}  // namespace runtime_ids_detail

// An identifier from its registry form without braces; a malformed text
// does not compile where a constant is wanted.
template <size_t N>
consteval RuntimeIid runtime_iid(const char (&text)[N]) {
    static_assert(N == 37, "an interface identifier has 36 characters");
    using runtime_ids_detail::hex_field;
    if (text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') throw "dashes misplaced";
    RuntimeIid iid{hex_field(text, 0, 8), static_cast<uint16_t>(hex_field(text, 9, 4)),
                   static_cast<uint16_t>(hex_field(text, 14, 4)), {}};
    for (int i = 0; i < 2; ++i) iid.data4[i] = static_cast<uint8_t>(hex_field(text, 19 + 2 * i, 2));
    for (int i = 0; i < 6; ++i) iid.data4[2 + i] = static_cast<uint8_t>(hex_field(text, 24 + 2 * i, 2));
    return iid;
}

namespace runtime_ids {
// Windows.Foundation
inline constexpr RuntimeIid kAsyncInfo = runtime_iid("00000036-0000-0000-c000-000000000046");
// Windows.Storage.Streams
inline constexpr RuntimeIid kStreamReference = runtime_iid("33ee3134-1dd6-4e3a-8067-d1c162e8642b");
inline constexpr RuntimeIid kRandomAccessStream = runtime_iid("905a0fe1-bc53-11df-8c49-001e4fc686da");
inline constexpr RuntimeIid kInputStream = runtime_iid("905a0fe2-bc53-11df-8c49-001e4fc686da");
inline constexpr RuntimeIid kDataReader = runtime_iid("e2b50029-b4c1-4314-a4b8-fb813a2f275e");
inline constexpr RuntimeIid kDataReaderFactory = runtime_iid("d7527847-57da-4e15-914c-06806699a098");
// Windows.Media.Control
inline constexpr RuntimeIid kSessionManagerStatics = runtime_iid("2050c4ee-11a0-57de-aed7-c97c70338245");
inline constexpr RuntimeIid kSessionManager = runtime_iid("cace8eac-e86e-504a-ab31-5ff8ff1bce49");
inline constexpr RuntimeIid kSession = runtime_iid("7148c835-9b14-5ae2-ab85-dc9b1c14e1a8");
inline constexpr RuntimeIid kMediaProperties = runtime_iid("68856cf6-adb4-54b2-ac16-05837907acb6");
inline constexpr RuntimeIid kPlaybackControls = runtime_iid("6501a3e6-bc7a-503a-bb1b-68f158f3fb03");
inline constexpr RuntimeIid kPlaybackInfo = runtime_iid("94b4b6cf-e8ba-51ad-87a7-c10ade106127");
inline constexpr RuntimeIid kTimelineProperties = runtime_iid("ede34136-6f25-588d-8ecf-ea5b6735aaa5");
// Windows.UI.Notifications(.Management) and Windows.ApplicationModel
inline constexpr RuntimeIid kListenerStatics = runtime_iid("ff6123cf-4386-4aa3-b73d-b804e5b63b23");
inline constexpr RuntimeIid kListener = runtime_iid("62553e41-8a06-4cef-8215-6033a5be4b03");
inline constexpr RuntimeIid kUserNotification = runtime_iid("adf7e52f-4e53-42d5-9c33-eb5ea515b23e");
inline constexpr RuntimeIid kNotification = runtime_iid("108037fe-eb76-4f82-97bc-da07530a2e20");
inline constexpr RuntimeIid kNotificationVisual = runtime_iid("68835b8e-aa56-4e11-86d3-5f9a6957bc5b");
inline constexpr RuntimeIid kNotificationBinding = runtime_iid("f29e4b85-0370-4ad3-b4ea-da9e35e7eabf");
inline constexpr RuntimeIid kNotificationText = runtime_iid("46d4a3be-609a-4326-a40b-bfde872034a3");
inline constexpr RuntimeIid kKnownBindingsStatics = runtime_iid("79427bae-a8b7-4d58-89ea-76a7b7bccded");
inline constexpr RuntimeIid kAppInfo = runtime_iid("cf7f59b3-6a09-4de8-a6c0-5792d56880d1");
inline constexpr RuntimeIid kAppDisplayInfo = runtime_iid("1aeb1103-e4d4-41aa-a4f6-c4a276e79eac");
}  // namespace runtime_ids
