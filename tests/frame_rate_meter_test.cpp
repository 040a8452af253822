// The frame-rate report across a pause in drawing.
#include <gtest/gtest.h>

#include "app/frame_pacer.h"
#include "platform/headless/headless.h"

namespace {

constexpr int64_t kSecond = kHeadlessCounterFrequency;

// Counts a frame every 1/20 s from FROM for one second and a little; the
// first rate reported, or -1 when none was.
double countOneSecondAt20(FrameRateMeter& meter, int64_t from) {
    double rate = -1.0;
    for (int i = 0; i <= 21; ++i) {
        double reported = 0.0;
        if (countFrame(meter, from + i * kSecond / 20, &reported) && rate < 0.0) {
            rate = reported;
        }
    }
    return rate;
}

TEST(FrameRateMeter, AfterAPauseReportsTheFramesDrawnNotTheTimeAsleep) {
    FrameRateMeter meter;
    EXPECT_NEAR(countOneSecondAt20(meter, 0), 20.0, 0.5);
    // Nothing drawn for ten seconds, as while the window was minimised.
    restartFrameRateMeter(meter);
    EXPECT_EQ(meter.lastRate, 0.0) << "the rate from before the pause would still be drawn";
    EXPECT_NEAR(countOneSecondAt20(meter, 12 * kSecond), 20.0, 0.5);
}

} // namespace
