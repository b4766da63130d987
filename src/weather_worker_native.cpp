// The weather thread needs no set-up on the Linux build.
#include "weather_worker.h"

void weather_thread_setup() {}
