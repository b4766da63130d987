// The Wi-Fi and Bluetooth radio switch and its Turkish result texts.
//
// set_radio blocks on Windows Runtime operations: it runs on a short-lived
// thread of its own, never on the user-interface thread, and its text reaches
// the island window as one boxed string posted with post_radio_result.
//
// The walk over the radios is pure (switch_radios over a RadioBackend) and
// tested with a fake; sys_radio_win.cpp provides the Windows.Devices.Radios
// backend and the posting.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// An opaque window handle (HWND on Windows).
using WindowHandle = void*;

enum class RadioOutcome : uint8_t { SwitchedOn, SwitchedOff, Denied, NotFound, Failed };

// "Wi‑Fi" (with U+2011, a non-breaking hyphen) or "Bluetooth".
std::string radio_name(bool wifi);
// The text shown for an outcome, e.g. "Wi‑Fi açıldı", "Bluetooth bulunamadı".
std::string radio_result_text(RadioOutcome outcome, bool wifi);

// Windows.Devices.Radios values the walk compares.
constexpr int32_t kRadioKindWiFi = 1;
constexpr int32_t kRadioKindBluetooth = 3;
constexpr int32_t kRadioAccessAllowed = 1;

// The runtime steps of one switch; each answers nothing when the call or its
// wait failed.
struct RadioBackend {
    virtual ~RadioBackend() = default;
    virtual std::optional<int32_t> request_access() = 0;  // RadioAccessStatus
    virtual bool load_radios() = 0;                        // false: no list
    virtual bool select(uint32_t index) = 0;               // false past the end of the list
    virtual std::optional<int32_t> kind() = 0;             // RadioKind of the selected radio
    virtual std::optional<int32_t> set_state(bool on) = 0; // RadioAccessStatus of the change
};

// Switches every radio of the wanted kind and names the outcome.
RadioOutcome switch_radios(RadioBackend& backend, bool wifi, bool on);

// One radio of the system's list; a member is absent when it could not be read.
struct RadioReading {
    std::optional<int32_t> kind;   // RadioKind
    std::optional<int32_t> state;  // RadioState (1 on, 2 off)
};
constexpr int32_t kRadioStateOn = 1;

// Windows: every radio's kind and state, read on the calling thread (which
// must have the Windows Runtime initialised); none when the list cannot be read.
std::optional<std::vector<RadioReading>> list_radios();

// Wi-Fi (wifi) or Bluetooth on or off through the Windows Runtime; the result
// text of the outcome. Never fails otherwise; never on the UI thread.
std::string set_radio(bool wifi, bool on);

// ---- Windows: the result's trip to the island window ----------------------------

// Posts `message` with the text boxed in lParam. The box belongs to this call
// until the post succeeds; when it fails the box is freed here and false is
// returned. After a successful post the receiver owns it and must pass the
// lParam to take_radio_result exactly once, whether or not an App takes the text.
bool post_radio_result(WindowHandle window, uint32_t message, std::string text);
// Takes the text out of a posted box and frees the box; nothing for a null lParam.
std::optional<std::string> take_radio_result(intptr_t lparam);
// Boxes posted and not yet taken (a leak check for tests).
int radio_results_in_flight();
