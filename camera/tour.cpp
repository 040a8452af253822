#include "camera/tour.h"

#include <cmath>

#include "camera/camera.h"
#include "platform/platform.h"

TourState tour;

namespace {

constexpr double kTwoPi = 6.283185307179586;

// Where SECONDS falls in a cycle of PERIOD seconds, as an angle in radians.
// Reduced in double before anything becomes a float, so the path is as smooth
// after a month as in its first minute.
double cyclePhase(double seconds, double period) { return kTwoPi * reduceByPeriod(seconds, period) / period; }

// One slow oscillation between LOW and HIGH with this period and phase.
double swing(double seconds, float low, float high, double period, double phase) {
    double middle = 0.5 * (static_cast<double>(low) + high);
    double half = 0.5 * (static_cast<double>(high) - low);
    return middle + half * std::sin(cyclePhase(seconds, period) + phase);
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

Pose computeTourPose(double seconds) {
    // A lap of about 100 s whose pace breathes a little, while the distance,
    // height and look height swing on periods that share no factor, so the
    // whole path takes hours to repeat. Each term's rate is small enough for
    // the speed and turn bounds (worked out in tour_test.cpp's samples).
    double angle = cyclePhase(seconds, 100.0) + 0.2 * std::sin(cyclePhase(seconds, 53.0));
    float radius = static_cast<float>(swing(seconds, kTourMinRadius, kTourMaxRadius, 71.0, 0.6));
    float height = static_cast<float>(swing(seconds, kTourMinHeight, kTourMaxHeight, 59.0, 2.0));
    float lookHeight = static_cast<float>(swing(seconds, kTourMinLookHeight, kTourMaxLookHeight, 43.0, 0.0));
    float sine = static_cast<float>(std::sin(angle));
    float cosine = static_cast<float>(std::cos(angle));
    Pose pose;
    pose.position = {kTourAxisX + radius * sine, height, kTourAxisZ + radius * cosine};
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

void takeCameraFromTour() {
    if (tour.flying && tour.keysHandOver) {
        tour.flying = false;
        readAndRestart(cameraClock);
    }
}
