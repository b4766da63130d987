// The weather thread's Windows set-up: the Windows Runtime, multithreaded.
#include <roapi.h>

#include "weather_worker.h"

void weather_thread_setup() {
    // The thread lives as long as the channel; a failure leaves WinHTTP working all the same.
    (void)RoInitialize(RO_INIT_MULTITHREADED);
}
