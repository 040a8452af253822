#pragma once
// The three clocks every animation takes its time from. Each owner keeps its
// own instance for the whole run; nothing is shared.
#include <cstdint>

// Seconds since the clock was started.
struct ElapsedClock {
    bool started = false;
    int64_t frequency = 0;   // counter ticks per second
    int64_t startCount = 0;  // counter when started
};

// Lets a fixed step run at most once per call, and only once more than 0.03 s
// have passed on its paired clock since the previous step ended.
struct TickGate {
    bool initialised = false;
    float lastStepTime = 0.0f;  // seconds on the paired clock
};

// Seconds since its previous reading; every reading restarts it.
struct DeltaClock {
    bool started = false;
    int64_t frequency = 0;
    int64_t previousCount = 0;
};

// The gate's interval, the single-precision 0.03.
constexpr float kStepThreshold = 0.03f;

// Starts the clock on its first call; later calls change nothing.
void startElapsedClock(ElapsedClock& clock);
// Seconds since start as a float; the clock must have been started.
float readElapsed(const ElapsedClock& clock);

// Starts the clock and, on the first call only, records the current time as the
// last step. True when more than kStepThreshold seconds (strictly) have passed
// since the last step. The caller then performs its step and calls
// restartTickGate, so the step's own time does not count towards the next
// interval.
bool checkTickGate(ElapsedClock& clock, TickGate& gate);
// Records a fresh reading of the clock as the time of the last step.
void restartTickGate(const ElapsedClock& clock, TickGate& gate);

// A delta clock already started, for instances made during static initialisation.
DeltaClock startDeltaClock();
// Starts the clock on its first call (returning about 0 then); returns the
// seconds since the previous reading and restarts from a second counter read.
float readAndRestart(DeltaClock& clock);
