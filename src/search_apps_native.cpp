// Native stand-in for the "apps" thread: Linux has no shell Applications
// folder, so the index is final and empty at once.
#include "search.h"

std::vector<AppEntry> list_installed_apps() { return {}; }

SharedAppsIndex spawn_apps_thread() {
    SharedAppsIndex index;
    publish_apps(index, {});
    return index;
}
