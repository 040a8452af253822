#include "app/clock.h"

#include <cmath>

#include "platform/platform.h"

namespace {

double clockSpeed = 1.0;

// Ticks to seconds of scene time. The difference is taken in 64-bit integers
// and only then converted, so it never loses the ticks of a long run.
double convertTicksToSeconds(int64_t ticks, int64_t frequency) {
    return static_cast<double>(ticks) / static_cast<double>(frequency) * clockSpeed;
}

} // namespace

void setClockSpeed(double speed) { clockSpeed = speed; }

double getClockSpeed() { return clockSpeed; }

void startElapsedClock(ElapsedClock& clock) {
    if (clock.started) {
        return;
    }
    clock.frequency = platformReadCounterFrequency();
    clock.startCount = platformReadCounter();
    clock.started = true;
}

double readElapsed(const ElapsedClock& clock) {
    return convertTicksToSeconds(platformReadCounter() - clock.startCount, clock.frequency);
}

bool checkTickGate(TickGate& gate) {
    if (!gate.initialised) {
        gate.frequency = platformReadCounterFrequency();
        gate.lastStepCount = platformReadCounter();
        gate.initialised = true;
    }
    int64_t since = platformReadCounter() - gate.lastStepCount;
    return convertTicksToSeconds(since, gate.frequency) > kStepThreshold;
}

void restartTickGate(TickGate& gate) { gate.lastStepCount = platformReadCounter(); }

DeltaClock startDeltaClock() {
    DeltaClock clock;
    clock.frequency = platformReadCounterFrequency();
    clock.previousCount = platformReadCounter();
    clock.started = true;
    return clock;
}

float readAndRestart(DeltaClock& clock) {
    if (!clock.started) {
        clock = startDeltaClock();
    }
    double seconds = convertTicksToSeconds(platformReadCounter() - clock.previousCount, clock.frequency);
    clock.previousCount = platformReadCounter();
    return static_cast<float>(seconds);
}

double reduceByPeriod(double seconds, double period) {
    double reduced = std::fmod(seconds, period);
    return reduced < 0.0 ? reduced + period : reduced;
}
