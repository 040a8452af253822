// The frame cap's spacing, exact to the tick on the driven headless counter.
#include <gtest/gtest.h>

#include "app/frame_pacer.h"
#include "platform/headless/headless.h"

namespace {

constexpr int kCap = 50;
constexpr int64_t kInterval = kHeadlessCounterFrequency / kCap;

void work(int64_t ticks) { headlessSetCounter(platformReadCounter() + ticks); }

// Waits on the driven counter for as long as the pacer asks, as
// waitForFrameSlot sleeps; returns the counter value at which the frame starts.
int64_t startFrame(FramePacer& pacer) {
    int64_t wait = bookFrameSlot(pacer, platformReadCounter());
    EXPECT_GE(wait, 0);
    work(wait);
    return platformReadCounter();
}

TEST(FramePacer, FastFramesStartExactlyOneIntervalApart) {
    headlessSetCounter(int64_t{5} << 40);  // days into a run, far past 32 bits of ticks
    FramePacer pacer;
    startFramePacer(pacer, kCap);
    int64_t previous = startFrame(pacer);
    for (int64_t ticks : {int64_t{0}, int64_t{1}, kInterval / 3, kInterval - 1, kInterval, int64_t{7}}) {
        work(ticks);
        int64_t start = startFrame(pacer);
        EXPECT_EQ(start - previous, kInterval) << "after a frame of " << ticks << " ticks";
        previous = start;
    }
}

TEST(FramePacer, LateFrameStartsTheSpacingAfreshWithoutCatchingUp) {
    headlessSetCounter(1000);
    FramePacer pacer;
    startFramePacer(pacer, kCap);
    startFrame(pacer);
    work(1);
    startFrame(pacer);
    work(kInterval * 7 / 2);  // a stall of three and a half intervals
    const int64_t asked = platformReadCounter();
    int64_t previous = startFrame(pacer);
    EXPECT_EQ(previous, asked) << "a late frame waited";
    for (int frame = 1; frame <= 5; ++frame) {
        work(1);
        int64_t start = startFrame(pacer);
        EXPECT_EQ(start - previous, kInterval) << "frame " << frame << " after the late one";
        previous = start;
    }
}

}  // namespace
