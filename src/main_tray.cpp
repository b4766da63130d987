// The tray menu's items and the handlers of its commands.
#include "main_tray.h"

#include <algorithm>
#include <array>

#include <fmt/format.h>

#include "app.h"
#include "main.h"
#include "sys_version.h"
#include "wake.h"

namespace {

constexpr std::array<const char*, 3> kSensitivityLabels = {"Düşük (yanlış uyanma az)", "Normal",
                                                          "Yüksek (uzaktan da duyar)"};

TrayMenuItem item(uint32_t id, std::string label, bool checked = false, bool greyed = false) {
    TrayMenuItem i;
    i.id = id;
    i.label = std::move(label);
    i.checked = checked;
    i.greyed = greyed;
    return i;
}

}  // namespace

TrayMenu build_tray_menu(App* app, bool autostart) {
    TrayMenu m;
    auto& v = m.items;
    bool wake_model = app && app->settings.wake_model_present;
    v.push_back(item(MENU_OPEN, "Adayı aç"));
    v.push_back(item(MENU_SEARCH, app && !app->hotkeys.search.empty() ? fmt::format("Ara ({})", app->hotkeys.search) : "Ara"));
    v.push_back(item(MENU_HIDE, app && app->island.hidden ? "Adayı göster" : "Adayı gizle (kısayol ve tepsi çalışır)"));
    v.push_back(item(MENU_ASSISTANT, app && !app->hotkeys.voice.empty()
                                         ? fmt::format("Sesli asistan ({})", app->hotkeys.voice)
                                         : "Sesli asistan"));
    v.push_back(item(MENU_GOOGLE, app && app->google.snap.signed_in ? fmt::format("Google: {}", app->google.snap.email)
                                                               : "Google ile bağlan"));
    v.push_back(item(MENU_WAKE_TOGGLE, "“Hey Google” ile uyandır", wake_model && app->settings.wake, !wake_model));
    v.push_back(item(MENU_TEACH_WAKE, wake_model ? "“Hey Google”u yeniden öğret" : "“Hey Google”u öğret (3 kez söyle)"));

    TrayMenuItem mics = item(0, "Mikrofon");
    if (app) m.mics = app->microphone_names();
    if (m.mics.size() > kMenuMicMax) m.mics.resize(kMenuMicMax);
    for (size_t i = 0; i < m.mics.size(); ++i)
        mics.submenu.push_back(item(MENU_MIC_BASE + static_cast<uint32_t>(i),
                                    m.mics[i].empty() ? "Windows varsayılanı" : m.mics[i], m.mics[i] == app->settings.mic));
    v.push_back(std::move(mics));

    TrayMenuItem sens = item(0, "“Hey Google” hassasiyeti");
    uint8_t level = app ? std::min<uint8_t>(app->settings.wake_sens, 2) : 255;
    for (uint32_t i = 0; i < kSensitivityLabels.size(); ++i)
        sens.submenu.push_back(item(MENU_SENSITIVITY_BASE + i, kSensitivityLabels[i], level == i));
    v.push_back(std::move(sens));

    v.push_back(item(MENU_DND, "Rahatsız etme", app && app->settings.dnd));
    v.push_back(item(MENU_WEBSITE, fmt::format("Web sitesi ({})", kWebsiteHost)));
    v.push_back(item(MENU_AUTOSTART, "Windows ile başlat", autostart));
    v.push_back(item(MENU_CHECK_UPDATE, "Güncellemeleri denetle"));
    TrayMenuItem sep;
    sep.separator = true;
    v.push_back(sep);
    v.push_back(item(MENU_EXIT, "Çıkış"));
    return m;
}

// ---- Handlers ----------------------------------------------------------------------------------

void set_wake_sensitivity(App& app, uint32_t id) {
    if (id < MENU_SENSITIVITY_BASE || id > MENU_SENSITIVITY_BASE + 2) return;
    app.set_wake_sensitivity(static_cast<uint8_t>(id - MENU_SENSITIVITY_BASE));
}
