#include "app/frame_pacer.h"

#include <chrono>
#include <thread>

#include "platform/platform.h"

void startFramePacer(FramePacer& pacer, int maxFps) {
    pacer.interval = maxFps > 0 ? platformReadCounterFrequency() / maxFps : 0;
    pacer.nextDeadline = platformReadCounter();
}

void waitForFrameSlot(FramePacer& pacer) {
    if (pacer.interval <= 0) {
        return;
    }
    int64_t now = platformReadCounter();
    if (now < pacer.nextDeadline) {
        double seconds = static_cast<double>(pacer.nextDeadline - now) /
                         static_cast<double>(platformReadCounterFrequency());
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        pacer.nextDeadline += pacer.interval;
    } else if (now - pacer.nextDeadline > pacer.interval) {
        pacer.nextDeadline = now + pacer.interval;
    } else {
        pacer.nextDeadline += pacer.interval;
    }
}

bool countFrame(FrameRateMeter& meter, int64_t now, double* rate) {
    // The first frame only opens the window: a rate counts the frames that
    // end inside it.
    if (!meter.started) {
        meter.started = true;
        meter.windowStart = now;
        meter.frames = 0;
        return false;
    }
    ++meter.frames;
    int64_t elapsed = now - meter.windowStart;
    int64_t second = platformReadCounterFrequency();
    if (elapsed < second) {
        return false;
    }
    *rate = static_cast<double>(meter.frames) * static_cast<double>(second) / static_cast<double>(elapsed);
    meter.windowStart = now;
    meter.frames = 0;
    return true;
}

void restartFrameRateMeter(FrameRateMeter& meter) { meter.started = false; }
