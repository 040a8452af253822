// The clocks driven through the headless counter.
#include <gtest/gtest.h>

#include "app/clock.h"
#include "platform/headless/headless.h"

namespace {

constexpr int64_t kTicks30ms = kHeadlessCounterFrequency * 3 / 100;

TEST(TickGate, FirstCallNeverSteps) {
    TickGate gate;
    headlessAdvanceSeconds(100.0);
    EXPECT_FALSE(checkTickGate(gate));
    EXPECT_TRUE(gate.initialised);
}

TEST(TickGate, ExactlyThresholdDoesNotOpenJustAboveDoes) {
    TickGate gate;
    EXPECT_FALSE(checkTickGate(gate));
    headlessSetCounter(gate.lastStepCount + kTicks30ms);
    EXPECT_FALSE(checkTickGate(gate));
    headlessSetCounter(gate.lastStepCount + kTicks30ms + kHeadlessCounterFrequency / 100000);
    EXPECT_TRUE(checkTickGate(gate));
}

TEST(TickGate, OneStepPerCallWithoutCatchUp) {
    TickGate gate;
    checkTickGate(gate);
    headlessAdvanceSeconds(1.0);  // a very slow frame
    int steps = 0;
    for (int call = 0; call < 5; ++call) {
        if (checkTickGate(gate)) {
            ++steps;
            restartTickGate(gate);
        }
    }
    EXPECT_EQ(steps, 1);
}

TEST(TickGate, RestartReadsTheClockAfterTheStep) {
    TickGate gate;
    checkTickGate(gate);
    int64_t start = gate.lastStepCount;
    headlessAdvanceSeconds(0.05);
    ASSERT_TRUE(checkTickGate(gate));
    headlessAdvanceSeconds(0.02);  // time spent inside the step
    restartTickGate(gate);
    EXPECT_EQ(gate.lastStepCount - start, kHeadlessCounterFrequency * 7 / 100);
    headlessAdvanceSeconds(0.025);
    EXPECT_FALSE(checkTickGate(gate));  // 0.025 since the step ended
    headlessAdvanceSeconds(0.01);
    EXPECT_TRUE(checkTickGate(gate));
}

TEST(TickGate, StepRateIsTheLowerOfFrameRateAndAboutThirtyThree) {
    for (double frameTime : {0.001, 0.1}) {
        TickGate gate;
        checkTickGate(gate);
        int steps = 0;
        int frames = static_cast<int>(10.0 / frameTime);
        for (int i = 0; i < frames; ++i) {
            headlessAdvanceSeconds(frameTime);
            if (checkTickGate(gate)) {
                ++steps;
                restartTickGate(gate);
            }
        }
        if (frameTime < 0.03) {
            EXPECT_GT(steps, 300);
            EXPECT_LT(steps, 334);
        } else {
            EXPECT_EQ(steps, frames);
        }
    }
}

// The steps a gate takes over FRAMES frames of 1/FPS s at SPEED; the first
// frame starts it.
int countGateSteps(int fps, double speed, int frames) {
    setClockSpeed(speed);
    TickGate gate;
    int steps = 0;
    for (int frame = 0; frame < frames; ++frame) {
        int due = checkTickGate(gate);
        steps += due;
        if (due > 0) restartTickGate(gate);
        headlessAdvanceSeconds(1.0 / fps);
    }
    setClockSpeed(1.0);
    return steps;
}

TEST(TickGate, AtSpeedXAFrameStepsAsXFramesAtSpeedOne) {
    // Over 10 s at 30 and at 60 frames a second.
    const double speeds[4] = {0.5, 1.0, 2.0, 4.0};
    const int expected[2][4] = {{149, 299, 598, 1196}, {149, 299, 599, 1198}};
    for (int rate = 1; rate <= 2; ++rate) {
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(countGateSteps(30 * rate, speeds[i], 300 * rate), expected[rate - 1][i]) << speeds[i];
        }
    }
    // N frames at speed X take the steps X (N - 1) + 1 frames take at speed 1.
    for (int fps : {30, 45, 50, 60, 144}) {
        for (double speed : {1.5, 2.0, 3.0, 4.0}) {
            EXPECT_EQ(countGateSteps(fps, speed, 301), countGateSteps(fps, 1.0, static_cast<int>(speed * 300) + 1))
                << fps << " frames a second, speed " << speed;
        }
    }
}

TEST(DeltaClock, LazyStartReturnsAboutZeroThenTheInterval) {
    headlessAdvanceSeconds(50.0);
    DeltaClock clock;
    EXPECT_EQ(readAndRestart(clock), 0.0f);
    headlessAdvanceSeconds(0.25);
    EXPECT_NEAR(readAndRestart(clock), 0.25f, 1e-6);
    EXPECT_EQ(readAndRestart(clock), 0.0f);
}

TEST(ElapsedClock, CountsFromItsOwnStart) {
    headlessAdvanceSeconds(7.0);
    ElapsedClock clock;
    startElapsedClock(clock);
    headlessAdvanceSeconds(1.5);
    EXPECT_NEAR(readElapsed(clock), 1.5f, 1e-6);
    startElapsedClock(clock);  // a second start changes nothing
    EXPECT_NEAR(readElapsed(clock), 1.5f, 1e-6);
}

TEST(ElapsedClock, KeepsItsResolutionAfterAMonth) {
    ElapsedClock clock;
    startElapsedClock(clock);
    headlessAdvanceSeconds(30.0 * 24 * 3600);
    double a = readElapsed(clock);
    headlessAdvanceSeconds(0.001);
    EXPECT_NEAR(readElapsed(clock) - a, 0.001, 1e-9);
}

TEST(ClockSpeed, ScalesEveryKindOfClock) {
    setClockSpeed(2.0);
    ElapsedClock clock;
    TickGate gate;
    DeltaClock delta = startDeltaClock();
    startElapsedClock(clock);
    checkTickGate(gate);
    headlessAdvanceSeconds(0.016);  // 0.032 s of scene time
    EXPECT_DOUBLE_EQ(readElapsed(clock), 0.032);
    EXPECT_FLOAT_EQ(readAndRestart(delta), 0.032f);
    EXPECT_TRUE(checkTickGate(gate));
    setClockSpeed(1.0);
    EXPECT_DOUBLE_EQ(readElapsed(clock), 0.016);
}

} // namespace

TEST(ScenePause, AfterAWeekAPauseHoldsTheSceneExactlyAndTheViewerFliesOn) {
    ElapsedClock tour;
    startElapsedClock(tour);
    DeltaClock fish = startDeltaClock();
    DeltaClock viewer = startDeltaClock(true);
    TickGate gate;
    checkTickGate(gate);
    headlessAdvanceSeconds(7.0 * 86400.0 + 0.123);
    readAndRestart(fish);
    readAndRestart(viewer);
    restartTickGate(gate);
    const double atPause = readElapsed(tour);

    setScenePaused(true);
    headlessAdvanceSeconds(3600.5);
    EXPECT_EQ(readElapsed(tour), atPause);
    EXPECT_EQ(readAndRestart(fish), 0.0f);
    EXPECT_EQ(checkTickGate(gate), 0);
    EXPECT_NEAR(readAndRestart(viewer), 3600.5f, 1e-3f) << "the camera stopped flying";

    setScenePaused(false);
    EXPECT_EQ(readElapsed(tour), atPause) << "resuming jumped by the pause";
    EXPECT_EQ(readAndRestart(fish), 0.0f);
    headlessAdvanceSeconds(0.04);
    EXPECT_NEAR(readElapsed(tour) - atPause, 0.04, 1e-9);
    EXPECT_NEAR(readAndRestart(fish), 0.04f, 1e-6f);
    EXPECT_EQ(checkTickGate(gate), 1);
    // A second pause and resume leave out only their own time.
    setScenePaused(true);
    headlessAdvanceSeconds(86400.0);
    setScenePaused(false);
    EXPECT_NEAR(readElapsed(tour) - atPause, 0.04, 1e-9);
}
