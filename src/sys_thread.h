// Named, detached worker threads.
#pragma once
#include <functional>
#include <string>

// Starts fn on a detached thread with the given name (empty: unnamed).
// False when the thread could not be started; fn is then dropped.
// An exception escaping fn is a fatal error of that thread: it is logged and
// the process ends.
bool spawn_detached(const std::string& name, std::function<void()> fn);
// Names the calling thread for debuggers (no-op where unsupported).
void name_current_thread(const std::string& name);
