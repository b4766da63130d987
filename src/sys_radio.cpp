// Radio result texts and the walk over the radios.
#include "sys_radio.h"

#include <fmt/format.h>

std::string radio_name(bool wifi) { return wifi ? "Wi\u2011Fi" : "Bluetooth"; }

std::string radio_result_text(RadioOutcome outcome, bool wifi) {
    std::string name = radio_name(wifi);
    switch (outcome) {
        case RadioOutcome::SwitchedOn: return fmt::format("{} {}", name, "açıldı");
        case RadioOutcome::SwitchedOff: return fmt::format("{} {}", name, "kapatıldı");
        case RadioOutcome::Denied: return fmt::format("{}: Windows izin vermedi", name);
        case RadioOutcome::NotFound: return fmt::format("{} bulunamadı", name);
        case RadioOutcome::Failed: return fmt::format("{} değiştirilemedi", name);
    }
    return fmt::format("{} bulunamadı", name);
}

RadioOutcome switch_radios(RadioBackend& backend, bool wifi, bool on) {
    // A failed access request is no answer: go on as if allowed.
    if (auto access = backend.request_access(); access && *access != kRadioAccessAllowed) return RadioOutcome::Denied;
    if (!backend.load_radios()) return RadioOutcome::NotFound;
    const int32_t wanted = wifi ? kRadioKindWiFi : kRadioKindBluetooth;
    bool switched = false;
    for (uint32_t i = 0; backend.select(i); ++i) {
        auto kind = backend.kind();
        if (!kind || *kind != wanted) continue;
        auto status = backend.set_state(on);
        // Radios switched before stay switched.
        if (!status || *status != kRadioAccessAllowed) return RadioOutcome::Failed;
        switched = true;  // every radio of the kind, not only the first
    }
    if (!switched) return RadioOutcome::NotFound;
    return on ? RadioOutcome::SwitchedOn : RadioOutcome::SwitchedOff;
}
