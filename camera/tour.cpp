#include "camera/tour.h"

#include <cmath>

#include "camera/camera.h"
#include "platform/platform.h"

TourState tour;

namespace {

constexpr float kTwoPi = 6.28318531f;

// One slow oscillation between LOW and HIGH with this period and phase.
float swing(float seconds, float low, float high, float period, float phase) {
    float middle = 0.5f * (low + high);
    float half = 0.5f * (high - low);
    return middle + half * std::sin(kTwoPi * seconds / period + phase);
}

// The flying keys of updateCamera. Each poll also clears a tap latched since
// the previous frame, which is what ends the tour.
bool checkFlyingKey() {
    bool any = false;
    for (int key : kFlyingKeys) {
        any |= platformIsKeyPressed(key);
    }
    return any;
}

Vec3 normalise(Vec3 v) {
    float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / length, v.y / length, v.z / length};
}

} // namespace

Pose computeTourPose(float seconds) {
    // A lap of about 100 s whose pace breathes a little, while the distance,
    // height and look height swing on periods that share no factor, so the
    // whole path takes hours to repeat. Each term's rate is small enough for
    // the speed and turn bounds (worked out in tour_test.cpp's samples).
    float angle = kTwoPi * seconds / 100.0f + 0.2f * std::sin(kTwoPi * seconds / 53.0f);
    float radius = swing(seconds, kTourMinRadius, kTourMaxRadius, 71.0f, 0.6f);
    float height = swing(seconds, kTourMinHeight, kTourMaxHeight, 59.0f, 2.0f);
    float lookHeight = swing(seconds, kTourMinLookHeight, kTourMaxLookHeight, 43.0f, 0.0f);

    Pose pose;
    pose.position = {kTourAxisX + radius * std::sin(angle), height, kTourAxisZ + radius * std::cos(angle)};
    Vec3 target = {kTourAxisX, lookHeight, kTourAxisZ};
    pose.forward = normalise({target.x - pose.position.x, target.y - pose.position.y,
                              target.z - pose.position.z});
    // Up is the world's up made perpendicular to forward: no roll.
    Vec3 side = cross({0.0f, 1.0f, 0.0f}, pose.forward);
    pose.up = normalise(cross(pose.forward, side));
    return pose;
}

void startTour(bool keysHandOver) {
    tour.flying = true;
    tour.keysHandOver = keysHandOver;
    tour.clock = ElapsedClock{};
    startElapsedClock(tour.clock);
}

void updateTourOrCamera() {
    if (tour.flying && !(tour.keysHandOver && checkFlyingKey())) {
        camera = computeTourPose(readElapsed(tour.clock));
        // Keeps the camera's own clock current, so the keys that take over
        // move it by one frame's time, not by the whole tour's.
        readAndRestart(cameraClock);
        return;
    }
    tour.flying = false;
    updateCamera();
}
