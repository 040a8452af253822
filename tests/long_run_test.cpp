// Left running for a week or a month, every motion still moves per frame as it
// does in the first minute: driven through the headless counter without GL.
#include <gtest/gtest.h>

#include <cmath>

#include "camera/camera.h"
#include "camera/tour.h"
#include "platform/headless/headless.h"
#include "scene/bubbles.h"
#include "scene/caustics.h"
#include "scene/fish.h"
#include "scene/water.h"

namespace {

constexpr int kFrames = 120;  // two seconds at 60 frames a second

// What moved over kFrames frames of 1/60 s, and the least of any one frame.
struct Motion {
    int causticSteps = 0;
    int bubbleSteps = 0;
    float slowFishTurn = 0.0f;  // degrees, a fish of speed 1
    float leastFishTurn = 1e9f;
    float waterTime = 0.0f;
    float leastWaterStep = 1e9f;
    float leastTourStep = 1e9f;  // scene units
};

// Starts every clock on a first frame, runs the counter AFTER seconds ahead
// in one long frame, as a program left running gets there, then records.
Motion runFramesAfter(double after) {
    headlessReleaseAllKeys();
    causticSet = CausticSet{};
    bubbleStepGate = TickGate{};
    waterClock = ElapsedClock{};
    DeltaClock fishClock;
    Fish fish;
    fish.speed = 1.0f;
    startTour(false);
    Motion motion;
    float water = 0.0f;
    for (int frame = -2; frame < kFrames; ++frame) {
        headlessAdvanceSeconds(frame == -1 ? after : 1.0 / 60.0);
        int shown = causticSet.causticFrame;
        advanceCausticFrame();
        bool bubbleStep = checkTickGate(bubbleStepGate);
        if (bubbleStep) restartTickGate(bubbleStepGate);
        float angle = fish.orbitAngle;
        stepFish(fish, readAndRestart(fishClock));
        float turn = std::fmod(fish.orbitAngle - angle + 360.0f, 360.0f);
        startElapsedClock(waterClock);
        float waterBefore = water;
        water = computeWaterTime(readElapsed(waterClock));
        float waterStep = std::fmod(water - waterBefore + static_cast<float>(kWaterTimePeriod),
                                    static_cast<float>(kWaterTimePeriod));
        Vec3 was = camera.position;
        updateTourOrCamera();
        if (frame < 0) continue;
        motion.causticSteps += causticSet.causticFrame != shown;
        motion.bubbleSteps += bubbleStep;
        motion.slowFishTurn += turn;
        motion.leastFishTurn = std::fmin(motion.leastFishTurn, turn);
        motion.waterTime += waterStep;
        motion.leastWaterStep = std::fmin(motion.leastWaterStep, waterStep);
        float dx = camera.position.x - was.x, dy = camera.position.y - was.y, dz = camera.position.z - was.z;
        motion.leastTourStep = std::fmin(motion.leastTourStep, std::sqrt(dx * dx + dy * dy + dz * dz));
    }
    return motion;
}

TEST(LongRun, AWeekAndAMonthInEveryMotionMovesPerFrameAsInTheFirstMinute) {
    Motion first = runFramesAfter(10.0);
    // A caustic and a bubble step every other frame, 20 degrees for the
    // slowest fish, two seconds of water time, and the tour never still.
    EXPECT_EQ(first.causticSteps, kFrames / 2);
    EXPECT_EQ(first.bubbleSteps, kFrames / 2);
    EXPECT_NEAR(first.slowFishTurn, 20.0f, 1e-2f);
    EXPECT_NEAR(first.waterTime, 2.0f, 1e-4f);
    EXPECT_GT(first.leastTourStep, 0.01f);
    for (double days : {7.0, 30.0}) {
        SCOPED_TRACE(days);
        Motion later = runFramesAfter(days * 24 * 3600);
        EXPECT_EQ(later.causticSteps, first.causticSteps);
        EXPECT_EQ(later.bubbleSteps, first.bubbleSteps);
        EXPECT_NEAR(later.slowFishTurn, first.slowFishTurn, 1e-2f);
        EXPECT_NEAR(later.leastFishTurn, first.leastFishTurn, 1e-3f);
        EXPECT_NEAR(later.waterTime, first.waterTime, 1e-3f);
        EXPECT_NEAR(later.leastWaterStep, first.leastWaterStep, 1e-4f);
        EXPECT_GT(later.leastTourStep, 0.01f);
    }
}

} // namespace
