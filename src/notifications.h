// App notifications: the listener's shared state.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sys_image.h"

struct AppNotification {
    std::string app, app_id, title, body, time;
    ImageRef logo;
    uint32_t id = 0;
};

struct NotificationState {
    std::string status;                  // "açık" while listening, else the reason
    std::vector<AppNotification> items;  // arrived since the last message; taken by the App
};
