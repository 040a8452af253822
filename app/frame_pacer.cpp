#include "app/frame_pacer.h"

#include <chrono>
#include <thread>

#include "platform/platform.h"

void startFramePacer(FramePacer& pacer, int maxFps) {
    pacer.interval = maxFps > 0 ? platformReadCounterFrequency() / maxFps : 0;
    pacer.nextDeadline = platformReadCounter();
}

int64_t bookFrameSlot(FramePacer& pacer, int64_t now) {
    if (pacer.interval <= 0) {
        return 0;
    }
    int64_t wait = 0;
    if (now < pacer.nextDeadline) {
        wait = pacer.nextDeadline - now;
        pacer.nextDeadline += pacer.interval;
    } else if (now - pacer.nextDeadline > pacer.interval) {
        pacer.nextDeadline = now + pacer.interval;
    } else {
        pacer.nextDeadline += pacer.interval;
    }
    return wait;
}

void waitForFrameSlot(FramePacer& pacer) {
    int64_t wait = bookFrameSlot(pacer, platformReadCounter());
    if (wait > 0) {
        double seconds = static_cast<double>(wait) / static_cast<double>(platformReadCounterFrequency());
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
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
    meter.lastRate = *rate;
    return true;
}

void restartFrameRateMeter(FrameRateMeter& meter) {
    meter.started = false;
    meter.lastRate = 0.0;
}
