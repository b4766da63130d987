#include <pthread.h>

#include "sys_thread.h"

void name_current_thread(const std::string& name) {
    // Linux limits thread names to 15 bytes.
    pthread_setname_np(pthread_self(), name.substr(0, 15).c_str());
}
