// The interface identifiers of the hand-declared Windows Runtime interfaces
// against the values published for them (Windows SDK metadata). A wrong
// identifier fails only on real Windows, so each is written here once more,
// as text, from the published value.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "media_runtime_ids.h"

namespace {

TEST(RuntimeIids, MatchThePublishedInterfaceIds) {
    const struct {
        const char* interface_name;
        const char* published;
        RuntimeIid declared;
    } cases[] = {
        {"Windows.Foundation.IAsyncInfo", "00000036-0000-0000-c000-000000000046", runtime_ids::kAsyncInfo},
        {"Windows.Storage.Streams.IRandomAccessStreamReference", "33ee3134-1dd6-4e3a-8067-d1c162e8642b", runtime_ids::kStreamReference},
        {"Windows.Storage.Streams.IRandomAccessStream", "905a0fe1-bc53-11df-8c49-001e4fc686da", runtime_ids::kRandomAccessStream},
        {"Windows.Storage.Streams.IInputStream", "905a0fe2-bc53-11df-8c49-001e4fc686da", runtime_ids::kInputStream},
        {"Windows.Storage.Streams.IDataReader", "e2b50029-b4c1-4314-a4b8-fb813a2f275e", runtime_ids::kDataReader},
        {"Windows.Storage.Streams.IDataReaderFactory", "d7527847-57da-4e15-914c-06806699a098", runtime_ids::kDataReaderFactory},
        {"Windows.Media.Control.IGlobalSystemMediaTransportControlsSessionManagerStatics", "2050c4ee-11a0-57de-aed7-c97c70338245", runtime_ids::kSessionManagerStatics},
        {"Windows.Media.Control.IGlobalSystemMediaTransportControlsSessionManager", "cace8eac-e86e-504a-ab31-5ff8ff1bce49", runtime_ids::kSessionManager},
        {"Windows.Media.Control.IGlobalSystemMediaTransportControlsSession", "7148c835-9b14-5ae2-ab85-dc9b1c14e1a8", runtime_ids::kSession},
        {"Windows.Media.Control.IGlobalSystemMediaTransportControlsSessionMediaProperties", "68856cf6-adb4-54b2-ac16-05837907acb6", runtime_ids::kMediaProperties},
        {"Windows.Media.Control.IGlobalSystemMediaTransportControlsSessionPlaybackControls", "6501a3e6-bc7a-503a-bb1b-68f158f3fb03", runtime_ids::kPlaybackControls},
        {"Windows.Media.Control.IGlobalSystemMediaTransportControlsSessionPlaybackInfo", "94b4b6cf-e8ba-51ad-87a7-c10ade106127", runtime_ids::kPlaybackInfo},
        {"Windows.Media.Control.IGlobalSystemMediaTransportControlsSessionTimelineProperties", "ede34136-6f25-588d-8ecf-ea5b6735aaa5", runtime_ids::kTimelineProperties},
        {"Windows.UI.Notifications.Management.IUserNotificationListenerStatics", "ff6123cf-4386-4aa3-b73d-b804e5b63b23", runtime_ids::kListenerStatics},
        {"Windows.UI.Notifications.Management.IUserNotificationListener", "62553e41-8a06-4cef-8215-6033a5be4b03", runtime_ids::kListener},
        {"Windows.UI.Notifications.IUserNotification", "adf7e52f-4e53-42d5-9c33-eb5ea515b23e", runtime_ids::kUserNotification},
        {"Windows.UI.Notifications.INotification", "108037fe-eb76-4f82-97bc-da07530a2e20", runtime_ids::kNotification},
        {"Windows.UI.Notifications.INotificationVisual", "68835b8e-aa56-4e11-86d3-5f9a6957bc5b", runtime_ids::kNotificationVisual},
        {"Windows.UI.Notifications.INotificationBinding", "f29e4b85-0370-4ad3-b4ea-da9e35e7eabf", runtime_ids::kNotificationBinding},
        {"Windows.UI.Notifications.IAdaptiveNotificationText", "46d4a3be-609a-4326-a40b-bfde872034a3", runtime_ids::kNotificationText},
        {"Windows.UI.Notifications.IKnownNotificationBindingsStatics", "79427bae-a8b7-4d58-89ea-76a7b7bccded", runtime_ids::kKnownBindingsStatics},
        {"Windows.ApplicationModel.IAppInfo", "cf7f59b3-6a09-4de8-a6c0-5792d56880d1", runtime_ids::kAppInfo},
        {"Windows.ApplicationModel.IAppDisplayInfo", "1aeb1103-e4d4-41aa-a4f6-c4a276e79eac", runtime_ids::kAppDisplayInfo},
    };
    std::set<std::string> distinct;
    for (const auto& c : cases) {
        EXPECT_EQ(runtime_iid_text(c.declared), c.published) << c.interface_name;
        distinct.insert(runtime_iid_text(c.declared));
    }
    EXPECT_EQ(distinct.size(), std::size(cases));  // no identifier pasted twice
}

TEST(RuntimeIids, TheRegistryFormIsReadFieldByField) {
    constexpr RuntimeIid iid = runtime_iid("0102a3b4-c5d6-E7F8-090a-0b0c0d0e0f10");
    EXPECT_EQ(iid.data1, 0x0102a3b4u);
    EXPECT_EQ(iid.data2, 0xc5d6u);
    EXPECT_EQ(iid.data3, 0xe7f8u);
    const uint8_t tail[8] = {0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f, 0x10};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(iid.data4[i], tail[i]) << i;
    EXPECT_EQ(runtime_iid_text(iid), "0102a3b4-c5d6-e7f8-090a-0b0c0d0e0f10");
}

}  // namespace
