#pragma once
// The monotonic counter every desktop backend hands the clocks: nanoseconds
// from an arbitrary start, never set back, 64 bits wide.
#include <cstdint>

constexpr int64_t kCounterFrequency = 1000000000;

int64_t readMonotonicCounter();
