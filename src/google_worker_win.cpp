// The worker thread's Windows set-up: COM for the picture decoder.
#include <objbase.h>

#include "google_worker.h"

void google_thread_setup() {
    // The thread lives as long as the program; COM stays initialised on it.
    (void)CoInitializeEx(nullptr, COINIT_MULTITHREADED);
}
