#pragma once
// The three clocks every animation takes its time from. Each owner keeps its
// own instance for the whole run; nothing is shared. Every counter reading is
// kept in 64-bit ticks and every elapsed time is worked out in double, so a
// clock left running for months reads as finely as in its first minute; only
// quantities that stay small (a frame's step, a time already reduced by its
// period) become 32-bit floats.
#include <cstdint>

// Seconds since the clock was started.
struct ElapsedClock {
    bool started = false;
    int64_t frequency = 0;   // counter ticks per second
    int64_t startCount = 0;  // counter when started
};

// Lets a fixed step run once more than 0.03 s have passed since the previous
// step ended, looked at once a call. At speed X a call counts as X calls of
// the same length at speed 1, the gate looked at on the end of each, so a
// faster clock steps as often as a higher frame rate would.
struct TickGate {
    bool initialised = false;
    int64_t frequency = 0;       // counter ticks per second
    int64_t lastStepCount = 0;   // counter reading when the last step ended
    int64_t lastCheckCount = 0;  // counter reading at the previous call
    int64_t dueLag = 0;          // ticks from the last step found due to the call that found it
    double callCredit = 0.0;     // the part of a speed-1 call begun before the previous call
};

// Seconds since its previous reading; every reading restarts it.
struct DeltaClock {
    bool started = false;
    int64_t frequency = 0;
    int64_t previousCount = 0;
    bool runsWhilePaused = false;  // the viewer's own clock: a pause stops the scene, not the flying
};

// The gate's interval in seconds: a difference of exactly this much does not
// open it.
constexpr double kStepThreshold = 0.03;

// Makes every clock run SPEED times as fast as the counter (1 by default), so
// every motion, gated or not, speeds up alike. Set before the clocks start.
void setClockSpeed(double speed);
double getClockSpeed();

// Starts the clock on its first call; later calls change nothing.
void startElapsedClock(ElapsedClock& clock);
// Seconds since start; the clock must have been started.
double readElapsed(const ElapsedClock& clock);

// On the first call only, records the current time as the last step. Returns
// the steps due: at speed 1, one when more than kStepThreshold seconds
// (strictly) have passed since the last step, else none; at speed X, those
// the X speed-1 calls this call stands for would find, each looked at from
// the one before. The caller then performs them and calls restartTickGate,
// so the steps' own time does not count towards the next interval.
int checkTickGate(TickGate& gate);
// Records a fresh reading of the counter, less the time since the last step
// found due, as the end of the last step.
void restartTickGate(TickGate& gate);

// A delta clock already started, for instances made during static
// initialisation; RUNSWHILEPAUSED makes it read the counter itself, pause or
// not.
DeltaClock startDeltaClock(bool runsWhilePaused = false);
// Starts the clock on its first call (returning about 0 then); returns the
// seconds since the previous reading and restarts from a second counter read.
float readAndRestart(DeltaClock& clock);

// Pauses or resumes the scene's time, which every clock reads but a delta
// clock that runs while paused: paused, they all read the moment the pause
// began; resumed, they go on from that moment, the pause left out. The ticks
// are counted in 64 bits, so a pause after a month resumes as exactly as one
// in the first minute.
void setScenePaused(bool paused);
bool isScenePaused();

// SECONDS reduced into [0, PERIOD): a periodic motion looks the same either
// way, and the reduced value keeps its precision however long the run.
double reduceByPeriod(double seconds, double period);
