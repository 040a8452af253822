#include "app/clock.h"

#include "platform/platform.h"

namespace {

float ticksToSeconds(int64_t ticks, int64_t frequency) {
    return static_cast<float>(static_cast<double>(ticks) / static_cast<double>(frequency));
}

} // namespace

void startElapsedClock(ElapsedClock& clock) {
    if (clock.started) {
        return;
    }
    clock.frequency = platformCounterFrequency();
    clock.startCount = platformCounter();
    clock.started = true;
}

float readElapsed(const ElapsedClock& clock) {
    return ticksToSeconds(platformCounter() - clock.startCount, clock.frequency);
}

bool tickGateDue(ElapsedClock& clock, TickGate& gate) {
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

DeltaClock startedDeltaClock() {
    DeltaClock clock;
    clock.frequency = platformCounterFrequency();
    clock.previousCount = platformCounter();
    clock.started = true;
    return clock;
}

float readAndRestart(DeltaClock& clock) {
    if (!clock.started) {
        clock = startedDeltaClock();
    }
    float seconds = ticksToSeconds(platformCounter() - clock.previousCount, clock.frequency);
    clock.previousCount = platformCounter();
    return seconds;
}
