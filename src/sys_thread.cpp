#include "sys_thread.h"

#include <cstdlib>
#include <exception>
#include <system_error>
#include <thread>

#include "sys_log.h"

bool spawn_detached(const std::string& name, std::function<void()> fn) {
    try {
        std::thread t([name, fn = std::move(fn)] {
            if (!name.empty()) name_current_thread(name);
            try {
                fn();
            } catch (const std::exception& e) {
                write_log("fatal: thread " + name + ": " + e.what());
                std::abort();
            } catch (...) {
                write_log("fatal: thread " + name);
                std::abort();
            }
        });
        t.detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}
