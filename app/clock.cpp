#include "app/clock.h"

#include "platform/platform.h"

namespace {

float convertTicksToSeconds(int64_t ticks, int64_t frequency) {
    return static_cast<float>(static_cast<double>(ticks) / static_cast<double>(frequency));
}

} // namespace

void startElapsedClock(ElapsedClock& clock) {
    if (clock.started) {
        return;
    }
    clock.frequency = platformReadCounterFrequency();
    clock.startCount = platformReadCounter();
    clock.started = true;
}

float readElapsed(const ElapsedClock& clock) {
    return convertTicksToSeconds(platformReadCounter() - clock.startCount, clock.frequency);
}

bool checkTickGate(ElapsedClock& clock, TickGate& gate) {
    startElapsedClock(clock);
    if (!gate.initialised) {
        gate.lastStepTime = readElapsed(clock);
        gate.initialised = true;
    }
    float now = readElapsed(clock);
    return now - gate.lastStepTime > kStepThreshold;
}

void restartTickGate(const ElapsedClock& clock, TickGate& gate) {
    gate.lastStepTime = readElapsed(clock);
}

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
    float seconds = convertTicksToSeconds(platformReadCounter() - clock.previousCount, clock.frequency);
    clock.previousCount = platformReadCounter();
    return seconds;
}
