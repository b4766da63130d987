// The worker thread needs no set-up on the Linux build.
#include "google_worker.h"

void google_thread_setup() {}
