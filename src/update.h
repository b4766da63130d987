// Self-update: the update thread's shared status.
#pragma once
#include <optional>
#include <string>

struct UpdateState {
    std::string status;
    std::string notes;                          // first line of the release notes
    std::optional<std::string> pending_version; // installed, waiting for the restart
    bool checking = false;
};
struct UpdateRequest {};  // one immediate check
