#include "platform/system/counter.h"

#include <ctime>

int64_t readMonotonicCounter() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * kCounterFrequency + now.tv_nsec;
}
