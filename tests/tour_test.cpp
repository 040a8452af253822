// The tour's path, computed without GL: ten minutes of driven time sampled at
// two frame rates.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "camera/camera.h"
#include "camera/tour.h"
#include "platform/headless/headless.h"

namespace {

float length(Vec3 v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }
Vec3 minus(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
float angleBetween(Vec3 a, Vec3 b) {
    return std::acos(std::fmin(1.0f, std::fmax(-1.0f, dot(a, b) / (length(a) * length(b)))));
}

// The tank's glass in room coordinates: its axis, base, top and radius with
// the plinth around it.
constexpr float kGlassRadius = 13.3f;
constexpr float kTankBase = 1.37f;
constexpr float kTankTop = 31.37f;

// Flies the tour through the real clocks for SECONDS of driven time at FPS
// frames a second; returns the camera's pose at each whole second.
std::vector<Pose> flyTour(int fps, int seconds) {
    headlessReleaseAllKeys();
    headlessSetCounter(0);
    startTour(true);
    std::vector<Pose> perSecond;
    for (int frame = 0; frame <= fps * seconds; ++frame) {
        headlessSetCounter(static_cast<int64_t>(frame) * kHeadlessCounterFrequency / fps);
        updateTourOrCamera();
        if (frame % fps == 0) {
            perSecond.push_back(camera);
        }
    }
    return perSecond;
}

} // namespace

TEST(TourTest, StaysOutsideTheGlassInsideTheRoomAndLooksAtTheTank) {
    for (int i = 0; i <= 600 * 20; ++i) {
        Pose p = computeTourPose(i / 20.0f);
        float fromAxis = std::hypot(p.position.x - kTourAxisX, p.position.z - kTourAxisZ);
        ASSERT_GT(fromAxis, kGlassRadius + 5.0f) << "at " << i / 20.0f << " s";
        ASSERT_GT(p.position.y, kTankBase + 5.0f) << "above the sand, at " << i / 20.0f << " s";
        ASSERT_LT(std::fabs(p.position.x), 48.0f);
        ASSERT_LT(std::fabs(p.position.z), 48.0f);
        ASSERT_LT(p.position.y, 98.0f);
        // The line of sight crosses the tank's axis between its base and top.
        float t = -dot(minus(p.position, {kTourAxisX, 0.0f, kTourAxisZ}), {p.forward.x, 0.0f, p.forward.z}) /
                  (p.forward.x * p.forward.x + p.forward.z * p.forward.z);
        Vec3 nearest = {p.position.x + t * p.forward.x, p.position.y + t * p.forward.y,
                        p.position.z + t * p.forward.z};
        ASSERT_GT(t, 0.0f);
        ASSERT_LT(std::hypot(nearest.x - kTourAxisX, nearest.z - kTourAxisZ), 0.01f);
        ASSERT_GT(nearest.y, kTankBase);
        ASSERT_LT(nearest.y, kTankTop);
        // A proper pose, with no roll.
        ASSERT_NEAR(length(p.forward), 1.0f, 1e-4f);
        ASSERT_NEAR(length(p.up), 1.0f, 1e-4f);
        ASSERT_NEAR(dot(p.forward, p.up), 0.0f, 1e-4f);
        ASSERT_NEAR(dot(cross(p.forward, p.up), {0.0f, 1.0f, 0.0f}), 0.0f, 1e-4f);
        ASSERT_GT(p.up.y, 0.0f);
    }
}

TEST(TourTest, KeepsItsSpeedAndTurnBoundsAndVariesSlowly) {
    const float step = 0.01f;
    float fastest = 0.0f;
    float quickestTurn = 0.0f;
    float lowest = 100.0f;
    float highest = 0.0f;
    Pose previous = computeTourPose(0.0f);
    for (int i = 1; i <= 60000; ++i) {
        Pose p = computeTourPose(i * step);
        fastest = std::fmax(fastest, length(minus(p.position, previous.position)) / step);
        quickestTurn = std::fmax(quickestTurn, angleBetween(p.forward, previous.forward) / step);
        quickestTurn = std::fmax(quickestTurn, angleBetween(p.up, previous.up) / step);
        lowest = std::fmin(lowest, p.position.y);
        highest = std::fmax(highest, p.position.y);
        previous = p;
    }
    std::printf("tour: fastest %.2f units/s, quickest turn %.3f rad/s, heights %.1f to %.1f\n", fastest,
                quickestTurn, lowest, highest);
    EXPECT_LE(fastest, kTourMaxSpeed);
    EXPECT_LE(quickestTurn, kTourMaxTurnRate);
    // It is not standing still, and it shows the tank from several heights.
    EXPECT_GT(fastest, 1.0f);
    EXPECT_GT(highest - lowest, 15.0f);
    // No pose of the first minute comes back in the next nine.
    for (int a = 0; a < 60; ++a) {
        Pose early = computeTourPose(static_cast<float>(a));
        for (int b = 60 * 4; b < 600 * 4; ++b) {
            Pose later = computeTourPose(b / 4.0f);
            ASSERT_GT(length(minus(early.position, later.position)) + angleBetween(early.forward, later.forward),
                      0.05f)
                << a << " s and " << b / 4.0f << " s";
        }
    }
}

TEST(TourTest, PoseAtATimeIsTheSameAtAnyFrameRate) {
    std::vector<Pose> slow = flyTour(24, 600);
    std::vector<Pose> fast = flyTour(144, 600);
    ASSERT_EQ(slow.size(), fast.size());
    for (size_t s = 0; s < slow.size(); ++s) {
        ASSERT_NEAR(slow[s].position.x, fast[s].position.x, 1e-3f) << s << " s";
        ASSERT_NEAR(slow[s].position.y, fast[s].position.y, 1e-3f) << s << " s";
        ASSERT_NEAR(slow[s].position.z, fast[s].position.z, 1e-3f) << s << " s";
        ASSERT_LT(angleBetween(slow[s].forward, fast[s].forward), 1e-3f) << s << " s";
    }
}

TEST(TourTest, AFlyingKeyHandsTheCameraToTheKeyboardWhereTheTourWas) {
    flyTour(30, 20);
    Pose reached = camera;
    // A tap between two frames ends the tour without moving the camera.
    headlessTapKey('A');
    headlessAdvanceSeconds(1.0 / 30);
    updateTourOrCamera();
    EXPECT_FALSE(tour.flying);
    EXPECT_EQ(length(minus(camera.position, reached.position)), 0.0f);
    // From then on the camera stays where the keys leave it.
    for (int frame = 0; frame < 60; ++frame) {
        headlessAdvanceSeconds(1.0 / 30);
        updateTourOrCamera();
    }
    EXPECT_EQ(length(minus(camera.position, reached.position)), 0.0f);
    EXPECT_EQ(angleBetween(camera.forward, reached.forward), 0.0f);
    // A held key moves it by the time since the previous frame only.
    headlessSetKey('W', true);
    headlessAdvanceSeconds(0.5);
    updateTourOrCamera();
    headlessSetKey('W', false);
    EXPECT_NEAR(length(minus(camera.position, reached.position)), 0.5f * moveSpeed, 1e-3f);
}

TEST(TourTest, WithoutHandOverKeysNeverEndIt) {
    headlessSetCounter(0);
    startTour(false);
    headlessSetKey('W', true);
    headlessAdvanceSeconds(5.0);
    updateTourOrCamera();
    headlessReleaseAllKeys();
    EXPECT_TRUE(tour.flying);
    Pose expected = computeTourPose(5.0f);
    EXPECT_NEAR(camera.position.x, expected.position.x, 1e-4f);
    EXPECT_NEAR(camera.position.z, expected.position.z, 1e-4f);
}

TEST(TourTest, TheMouseHandsTheCameraOverAsAKeyDoesButNotWithoutHandOver) {
    startTour(true);
    headlessAdvanceSeconds(3.0);
    updateTourOrCamera();
    Pose where = camera;
    takeCameraFromTour();
    EXPECT_FALSE(tour.flying);
    headlessAdvanceSeconds(3.0);
    updateTourOrCamera();
    EXPECT_EQ(camera.position.x, where.position.x) << "the tour flew on after the mouse took the camera";
    startTour(false);
    takeCameraFromTour();
    EXPECT_TRUE(tour.flying);
}
