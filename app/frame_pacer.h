#pragma once
// Frame pacing and the frame-rate report, both on the platform's counter.
#include <cstdint>

// Spaces frames evenly at a cap, sleeping between them. Valid once
// startFramePacer has run; an interval of 0 means no cap.
struct FramePacer {
    int64_t interval = 0;      // counter ticks between frames
    int64_t nextDeadline = 0;  // counter value at which the next frame may start
};

// Prepares the pacer for at most MAXFPS frames a second (0: no cap).
void startFramePacer(FramePacer& pacer, int maxFps);
// Books the frame that asks to start at counter value NOW and returns the
// ticks it must wait first (0: it may start at once). Frames that come early
// start exactly one interval apart; a frame that comes more than an interval
// late starts the spacing afresh instead of rushing to catch up.
int64_t bookFrameSlot(FramePacer& pacer, int64_t now);
// Sleeps for the wait that bookFrameSlot gives at the counter's present value.
void waitForFrameSlot(FramePacer& pacer);

// Counts frames and, once a second has passed, yields that second's rate.
struct FrameRateMeter {
    bool started = false;
    int64_t windowStart = 0;
    int frames = 0;
    double lastRate = 0.0;  // the rate of the latest window to end; 0 before the first
};

// Counts one frame at counter value NOW; true, with the frames a second of
// the window just ended in *RATE, when at least a second has passed since the
// window began.
bool countFrame(FrameRateMeter& meter, int64_t now, double* rate);
// Drops the window being counted and the last rate: after a pause in
// drawing, the next frame opens a fresh window instead of ending one that
// spans the pause, and no rate from before the pause is shown after it.
void restartFrameRateMeter(FrameRateMeter& meter);
