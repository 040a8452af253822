// Left running for a week or a month, every motion still moves per frame as it
// does in the first minute: the clocks, the fish, the water and the tour,
// driven through the headless counter without GL.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/clock.h"
#include "camera/camera.h"
#include "camera/tour.h"
#include "platform/headless.h"
#include "scene/bubbles.h"
#include "scene/caustics.h"
#include "scene/fish.h"
#include "scene/water.h"

namespace {

constexpr double kWeek = 7.0 * 24 * 3600;
constexpr double kMonth = 30.0 * 24 * 3600;
constexpr int kFrames = 120;  // two seconds at 60 frames a second
constexpr int64_t kFrameTicks = kHeadlessCounterFrequency / 60;

// What moved at each of kFrames frames of 1/60 s.
struct Motion {
    int causticSteps = 0;
    int bubbleSteps = 0;
    std::vector<float> slowFishTurns;  // degrees, a fish of speed 1
    std::vector<float> fastFishTurns;  // degrees, a fish of speed 10
    std::vector<float> waterTimeSteps;
    std::vector<float> tourSteps;      // scene units
};

float turnBetween(float before, float after) {
    float turn = after - before;
    return turn < 0.0f ? turn + 360.0f : turn;
}

float distance(Vec3 a, Vec3 b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

// Starts every clock on a first frame, runs the counter AFTER seconds ahead
// (as a program left running would, one long frame standing for its days),
// then records kFrames frames of motion.
Motion runFramesAfter(double after) {
    headlessReleaseAllKeys();
    headlessSetCounter(1000);
    causticSet.causticClock = ElapsedClock{};
    causticSet.causticStepGate = TickGate{};
    bubbleClock = ElapsedClock{};
    bubbleStepGate = TickGate{};
    waterClock = ElapsedClock{};
    DeltaClock fishClock;
    Fish slow;
    Fish fast;
    slow.speed = 1.0f;
    fast.speed = 10.0f;
    startTour(false);
    auto frame = [&](Motion* motion) {
        int captured = causticSet.causticFrame;
        advanceCausticFrame();
        bool bubbleStep = checkTickGate(bubbleClock, bubbleStepGate);
        if (bubbleStep) {
            restartTickGate(bubbleStepGate);
        }
        float dt = readAndRestart(fishClock);
        float slowBefore = slow.orbitAngle;
        float fastBefore = fast.orbitAngle;
        stepFish(slow, dt);
        stepFish(fast, dt);
        startElapsedClock(waterClock);
        float water = computeWaterTime(readElapsed(waterClock));
        Vec3 tourBefore = camera.position;
        updateTourOrCamera();
        if (motion != nullptr) {
            motion->causticSteps += causticSet.causticFrame != captured;
            motion->bubbleSteps += bubbleStep;
            motion->slowFishTurns.push_back(turnBetween(slowBefore, slow.orbitAngle));
            motion->fastFishTurns.push_back(turnBetween(fastBefore, fast.orbitAngle));
            motion->waterTimeSteps.push_back(water);
            motion->tourSteps.push_back(distance(tourBefore, camera.position));
        }
        headlessSetCounter(platformReadCounter() + kFrameTicks);
    };
    frame(nullptr);
    headlessAdvanceSeconds(after);
    frame(nullptr);
    Motion motion;
    float previousWater = computeWaterTime(readElapsed(waterClock));
    for (int i = 0; i < kFrames; ++i) {
        frame(&motion);
        // The step across the wrap counts from the period's end.
        float step = motion.waterTimeSteps.back() - previousWater;
        previousWater = motion.waterTimeSteps.back();
        motion.waterTimeSteps.back() = step < 0.0f ? step + static_cast<float>(kWaterTimePeriod) : step;
    }
    return motion;
}

TEST(LongRun, EveryMotionMovesPerFrameAsInTheFirstMinute) {
    Motion first = runFramesAfter(10.0);
    ASSERT_EQ(first.slowFishTurns.size(), static_cast<size_t>(kFrames));
    // In the first minute: a caustic and a bubble step every other frame, a
    // sixth of a degree a frame for the slowest fish, a sixtieth of a second.
    EXPECT_EQ(first.causticSteps, kFrames / 2);
    EXPECT_EQ(first.bubbleSteps, kFrames / 2);
    EXPECT_NEAR(first.slowFishTurns[5], 10.0f / 60.0f, 1e-5);
    EXPECT_NEAR(first.waterTimeSteps[5], 1.0f / 60.0f, 1e-6);
    for (double after : {kWeek, kMonth}) {
        SCOPED_TRACE(after == kWeek ? "after a week" : "after a month");
        Motion later = runFramesAfter(after);
        EXPECT_EQ(later.causticSteps, first.causticSteps);
        EXPECT_EQ(later.bubbleSteps, first.bubbleSteps);
        for (int i = 0; i < kFrames; ++i) {
            EXPECT_NEAR(later.slowFishTurns[i], first.slowFishTurns[i], 1e-3) << "frame " << i;
            EXPECT_NEAR(later.fastFishTurns[i], first.fastFishTurns[i], 1e-2) << "frame " << i;
            EXPECT_NEAR(later.waterTimeSteps[i], first.waterTimeSteps[i], 1e-5) << "frame " << i;
        }
        // The tour's speed varies along its path, but smoothly: every frame
        // moves, by nearly what the frame before it moved.
        for (int i = 1; i < kFrames; ++i) {
            EXPECT_GT(later.tourSteps[i], 0.005f) << "frame " << i;
            EXPECT_NEAR(later.tourSteps[i], later.tourSteps[i - 1], 0.02f * later.tourSteps[i - 1]) << "frame " << i;
        }
    }
}

TEST(LongRun, ValuesOfTheFirstMinutesAreUnchanged) {
    // The water is sent the plain seconds until its period, then wraps with
    // no seam in either wave.
    EXPECT_EQ(computeWaterTime(2.5), 2.5f);
    EXPECT_EQ(computeWaterTime(kWaterTimePeriod + 2.5), static_cast<float>(kWaterTimePeriod + 2.5 - kWaterTimePeriod));
    for (double rate : {1.3, 2.1}) {
        double turns = rate * kWaterTimePeriod / (2.0 * 3.141592653589793);
        EXPECT_NEAR(turns, std::round(turns), 1e-9);
    }
    // A fish's angle during its first lap is the plain float sum; laps later
    // it is still below 360.
    Fish fish;
    fish.speed = 7.0f;
    float sum = 0.0f;
    for (int i = 0; i < 100; ++i) {
        stepFish(fish, 0.05f);
        sum = sum + 7.0f * 10.0f * 0.05f;
        ASSERT_EQ(fish.orbitAngle, sum);
    }
    for (int i = 0; i < 1000; ++i) {
        stepFish(fish, 0.05f);
        ASSERT_LT(fish.orbitAngle, 360.0f);
    }
}

} // namespace
