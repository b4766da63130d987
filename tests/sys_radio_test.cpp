// The radio switch: its Turkish result texts and the walk over the radios
// (every radio of the kind, access refusal, failures midway), over a fake
// runtime.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "sys_radio.h"

namespace {

TEST(RadioTexts, EveryOutcomeNamesTheRadio) {
    const std::string wifi = "Wi\xE2\x80\x91" "Fi";  // U+2011 non-breaking hyphen
    EXPECT_EQ(radio_name(true), wifi);
    EXPECT_EQ(radio_name(false), "Bluetooth");
    struct Case {
        RadioOutcome outcome;
        bool wifi;
        std::string text;
    } cases[] = {
        {RadioOutcome::SwitchedOn, true, wifi + " açıldı"},
        {RadioOutcome::SwitchedOff, false, "Bluetooth kapatıldı"},
        {RadioOutcome::Denied, true, wifi + ": Windows izin vermedi"},
        {RadioOutcome::NotFound, false, "Bluetooth bulunamadı"},
        {RadioOutcome::Failed, true, wifi + " değiştirilemedi"},
    };
    for (const auto& c : cases) EXPECT_EQ(radio_result_text(c.outcome, c.wifi), c.text);
}

struct FakeRadio {
    std::optional<int32_t> kind;         // nothing: Kind cannot be read
    std::optional<int32_t> set_status = kRadioAccessAllowed;
    std::vector<bool> states;            // every state set on it
};

struct FakeRuntime : RadioBackend {
    std::optional<int32_t> access = kRadioAccessAllowed;
    bool has_list = true;
    std::vector<FakeRadio> radios;
    size_t selected = 0;

    std::optional<int32_t> request_access() override { return access; }
    bool load_radios() override { return has_list; }
    bool select(uint32_t index) override {
        selected = index;
        return index < radios.size();
    }
    std::optional<int32_t> kind() override { return radios[selected].kind; }
    std::optional<int32_t> set_state(bool on) override {
        radios[selected].states.push_back(on);
        return radios[selected].set_status;
    }
};

TEST(RadioWalk, EveryRadioOfTheKindIsSwitchedAndOthersAreLeftAlone) {
    FakeRuntime rt;
    rt.radios = {{kRadioKindWiFi}, {kRadioKindBluetooth}, {std::nullopt}, {kRadioKindWiFi}};
    EXPECT_EQ(switch_radios(rt, true, true), RadioOutcome::SwitchedOn);
    EXPECT_EQ(rt.radios[0].states, std::vector<bool>{true});
    EXPECT_TRUE(rt.radios[1].states.empty());
    EXPECT_TRUE(rt.radios[2].states.empty()) << "an unreadable kind is skipped";
    EXPECT_EQ(rt.radios[3].states, std::vector<bool>{true});

    EXPECT_EQ(switch_radios(rt, false, false), RadioOutcome::SwitchedOff) << "already off still reports off";
    EXPECT_EQ(rt.radios[1].states, std::vector<bool>{false});
}

TEST(RadioWalk, RefusalsMissingRadiosAndFailures) {
    {
        FakeRuntime rt;
        rt.access = 2;  // denied by the user
        rt.radios = {{kRadioKindWiFi}};
        EXPECT_EQ(switch_radios(rt, true, true), RadioOutcome::Denied);
        EXPECT_TRUE(rt.radios[0].states.empty()) << "no radio is touched";
    }
    {
        FakeRuntime rt;
        rt.access = std::nullopt;  // the request failed: go on as if allowed
        rt.radios = {{kRadioKindBluetooth}};
        EXPECT_EQ(switch_radios(rt, false, true), RadioOutcome::SwitchedOn);
    }
    {
        FakeRuntime rt;
        rt.radios = {{kRadioKindWiFi}};
        EXPECT_EQ(switch_radios(rt, false, true), RadioOutcome::NotFound) << "no Bluetooth radio";
        rt.has_list = false;
        EXPECT_EQ(switch_radios(rt, true, true), RadioOutcome::NotFound) << "no list";
    }
    {
        FakeRuntime rt;
        rt.radios = {{kRadioKindWiFi}, {kRadioKindWiFi, std::nullopt}, {kRadioKindWiFi}};
        EXPECT_EQ(switch_radios(rt, true, false), RadioOutcome::Failed);
        EXPECT_EQ(rt.radios[0].states, std::vector<bool>{false}) << "switched before stays switched";
        EXPECT_TRUE(rt.radios[2].states.empty()) << "the walk stops at the failure";
        rt.radios = {{kRadioKindWiFi, 3}};  // denied by the system for this radio
        EXPECT_EQ(switch_radios(rt, true, true), RadioOutcome::Failed);
    }
}

}  // namespace
