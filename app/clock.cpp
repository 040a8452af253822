#include "app/clock.h"

#include <cmath>

#include "platform/platform.h"

namespace {

double clockSpeed = 1.0;

// The scene's time: the counter, less every pause so far, and held at the
// moment the pause began while one lasts.
bool paused = false;
int64_t pausedAt = 0;
int64_t pausedTicks = 0;

int64_t readSceneCounter() { return (paused ? pausedAt : platformReadCounter()) - pausedTicks; }

// Ticks to seconds of scene time. The difference is taken in 64-bit integers
// and only then converted, so it never loses the ticks of a long run.
double convertTicksToSeconds(int64_t ticks, int64_t frequency) {
    return static_cast<double>(ticks) / static_cast<double>(frequency) * clockSpeed;
}

} // namespace

void setClockSpeed(double speed) { clockSpeed = speed; }

void setScenePaused(bool on) {
    if (on == paused) {
        return;
    }
    int64_t now = platformReadCounter();
    if (on) {
        pausedAt = now;
    } else {
        pausedTicks += now - pausedAt;
    }
    paused = on;
}

bool isScenePaused() { return paused; }

double getClockSpeed() { return clockSpeed; }

void startElapsedClock(ElapsedClock& clock) {
    if (clock.started) {
        return;
    }
    clock.frequency = platformReadCounterFrequency();
    clock.startCount = readSceneCounter();
    clock.started = true;
}

double readElapsed(const ElapsedClock& clock) {
    return convertTicksToSeconds(readSceneCounter() - clock.startCount, clock.frequency);
}

int checkTickGate(TickGate& gate) {
    int64_t now = readSceneCounter();
    if (!gate.initialised) {
        gate.frequency = platformReadCounterFrequency();
        gate.lastStepCount = now;
        gate.lastCheckCount = now;
        gate.initialised = true;
        return 0;
    }
    // A call of D ticks at speed X stands for X calls of D ticks at speed 1,
    // each D / X ticks long here. With the part of one begun before, `count`
    // of them end in this call, the k-th (ends - k) lengths before now. At
    // speed 1 the one end is now itself, as it has always been.
    double speed = clockSpeed;
    double ends = gate.callCredit + speed;
    int count = static_cast<int>(ends);
    gate.callCredit = ends - count;
    double length = static_cast<double>(now - gate.lastCheckCount) / speed;
    gate.lastCheckCount = now;
    int due = 0;
    int64_t lastStep = gate.lastStepCount;
    for (int k = 1; k <= count; ++k) {
        int64_t end = now - static_cast<int64_t>((ends - k) * length);
        if (convertTicksToSeconds(end - lastStep, gate.frequency) > kStepThreshold) {
            lastStep = end;
            ++due;
        }
    }
    gate.dueLag = now - lastStep;
    return due;
}

void restartTickGate(TickGate& gate) { gate.lastStepCount = readSceneCounter() - gate.dueLag; }

namespace {

int64_t readCounterFor(const DeltaClock& clock) {
    return clock.runsWhilePaused ? platformReadCounter() : readSceneCounter();
}

} // namespace

DeltaClock startDeltaClock(bool runsWhilePaused) {
    DeltaClock clock;
    clock.runsWhilePaused = runsWhilePaused;
    clock.frequency = platformReadCounterFrequency();
    clock.previousCount = readCounterFor(clock);
    clock.started = true;
    return clock;
}

float readAndRestart(DeltaClock& clock) {
    if (!clock.started) {
        clock = startDeltaClock(clock.runsWhilePaused);
    }
    double seconds = convertTicksToSeconds(readCounterFor(clock) - clock.previousCount, clock.frequency);
    clock.previousCount = readCounterFor(clock);
    return static_cast<float>(seconds);
}

double reduceByPeriod(double seconds, double period) {
    double reduced = std::fmod(seconds, period);
    return reduced < 0.0 ? reduced + period : reduced;
}
